#include "event_pump.h"

#include <QCoreApplication>
#include <QtGlobal>

void QtEventPump::PumpEvents() {
    QCoreApplication::processEvents();
}

void QtEventPump::WaitForEvents() {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void QtEventPump::KeepAlive() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ChooseLeanEventLoop(OwnEnvironment& own) {
    own.setUnlessSet("QT_NO_GLIB", "1");
}
