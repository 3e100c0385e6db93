#include "event_pump.h"

#include <QCoreApplication>

void QtEventPump::PumpEvents() {
    QCoreApplication::processEvents();
}

void QtEventPump::WaitForEvents() {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void QtEventPump::KeepAlive() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
