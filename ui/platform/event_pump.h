// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <functional>

#include "partory/run_control.h"
#include "platform/own_environment.h"

class QObject;

// The window's event loop as a job sees it: a full pump after each unit of work and while
// paused; between the slices of one long unit, only what keeps the window alive (timers, paint,
// the window system's ping and expose), so that no handler of user input runs inside a unit.
//
// A job of small parts pumps every few microseconds, and a pass of the loop (what handlers
// queued, the window system's socket, the timers, the paints they ask for) costs more than such
// a part. So a pump runs one only while the last one found something to do, or once a frame's
// time has passed since it: a click or a key then acts at a part boundary within a frame, and
// the bar is painted at most once a frame.
//
// The page flow pumps through PumpAll instead, the full pass whatever the last one found, so
// that a page it has just changed is painted at once.
class QtEventPump : public partory::EventPump {
  public:
    void PumpEvents() override;
    void PumpAll();
    void WaitForEvents() override;
    // Clicks and keys that arrive meanwhile stay queued for the next PumpEvents, and so do
    // the commands of PostUserCommand.
    void KeepAlive() override;

  private:
    void fullPass();

    static constexpr qint64 kQuietPassMilliseconds = 16;  // a frame at 60 Hz
    QElapsedTimer sinceFullPass_;
    bool lastPassIdle_ = false;
};

// Runs `command` as user input that does not come through the window system (a press by an
// assistive technology): from the event loop once the caller has returned, and never inside
// a unit's KeepAlive, where it waits for the next full pump as a click would. Dropped when
// `context` is gone by then.
void PostUserCommand(QObject* context, std::function<void()> command);

// Picks Qt's own event loop over GLib's for this process; must run before the application
// object exists. A job pumps once after every part, and an empty pass of Qt's loop costs about
// half of GLib's. An explicit QT_NO_GLIB in the environment wins.
void ChooseLeanEventLoop(OwnEnvironment& own);
