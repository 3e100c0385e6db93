#include "event_pump.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QtGlobal>

void QtEventPump::PumpEvents() {
    QCoreApplication::sendPostedEvents();
    if (lastPassIdle_ && sinceFullPass_.elapsed() < kQuietPassMilliseconds) return;
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (dispatcher == nullptr) return;
    lastPassIdle_ = !dispatcher->processEvents(QEventLoop::AllEvents);
    sinceFullPass_.start();
}

void QtEventPump::WaitForEvents() {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void QtEventPump::KeepAlive() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ChooseLeanEventLoop() {
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB")) qputenv("QT_NO_GLIB", "1");
}
