// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/event_pump.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEvent>
#include <QList>
#include <QPointer>
#include <QtGlobal>
#include <utility>

namespace {

// Inside a KeepAlive: user commands wait.
int gKeepAliveDepth = 0;

class UserCommandEvent : public QEvent {
  public:
    UserCommandEvent(QObject* context, std::function<void()> command)
        : QEvent(Type()), context(context), command(std::move(command)) {}
    static QEvent::Type Type() {
        static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
        return type;
    }
    QPointer<QObject> context;
    std::function<void()> command;
};

// The commands delivered inside a KeepAlive (posted events are not user input to Qt, so
// ExcludeUserInputEvents lets them through): posted again when it ends, so that the next
// full pump runs them in their order.
QList<UserCommandEvent*> gHeld;

class UserCommandQueue : public QObject {
  public:
    static UserCommandQueue* Instance() {
        static QPointer<UserCommandQueue> queue;
        if (queue == nullptr) queue = new UserCommandQueue(QCoreApplication::instance());
        return queue;
    }

  protected:
    bool event(QEvent* event) override {
        if (event->type() != UserCommandEvent::Type()) return QObject::event(event);
        auto* command = static_cast<UserCommandEvent*>(event);
        if (gKeepAliveDepth > 0) {
            gHeld.append(new UserCommandEvent(command->context, std::move(command->command)));
        } else if (command->context != nullptr) {
            command->command();
        }
        return true;
    }

  private:
    using QObject::QObject;
};

void ReleaseHeld() {
    const QList<UserCommandEvent*> held = std::exchange(gHeld, {});
    for (UserCommandEvent* event : held)
        QCoreApplication::postEvent(UserCommandQueue::Instance(), event);
}

}  // namespace

void QtEventPump::PumpEvents() {
    if (lastPassIdle_ && sinceFullPass_.elapsed() < kQuietPassMilliseconds) return;
    QCoreApplication::sendPostedEvents();
    fullPass();
}

void QtEventPump::PumpAll() {
    fullPass();
    // What the page flow found says nothing of a job's events: a job's first pump still makes
    // its full pass.
    lastPassIdle_ = false;
}

void QtEventPump::fullPass() {
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (dispatcher == nullptr) return;
    lastPassIdle_ = !dispatcher->processEvents(QEventLoop::AllEvents);
    sinceFullPass_.start();
}

void QtEventPump::WaitForEvents() {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void QtEventPump::KeepAlive() {
    ++gKeepAliveDepth;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    --gKeepAliveDepth;
    if (gKeepAliveDepth == 0 && !gHeld.isEmpty()) ReleaseHeld();
}

void PostUserCommand(QObject* context, std::function<void()> command) {
    QCoreApplication::postEvent(UserCommandQueue::Instance(),
                                new UserCommandEvent(context, std::move(command)));
}

void ChooseLeanEventLoop(OwnEnvironment& own) {
    own.setUnlessSet("QT_NO_GLIB", "1");
}
