#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Drives the real Partory window under Xvfb with real mouse clicks and key presses.

    drive.py <partory> <e2e_xshot> <shots folder>

Starts its own X server on a free display, checks the window's first position without a window
manager, then runs openbox (without one a Qt window never gets the keyboard focus) and walks the
user's journeys: the task page, Next and Back, About, the settings checks and their message
boxes, a divide that is paused, continued and cancelled with keys typed on pages that hold no
field, a divide that completes, a combine list built through the real add dialog and ordered with
the side buttons and the shortcuts, the close button during a job, the same jobs from the
keyboard alone (the buttons' keys, no pointer), a run that opens every dialog and must leave the
home folder as it found it, double-clicks on every slot of the button bar, and the signals and
the lost display that end the program without leaving its private folder behind. Every file
produced is checked byte for
byte. The journeys live in journeys_*.py, what they share in xsession.py.

A picture of the screen is taken after every step into the shots folder (NN_step.png), with a
log of the steps; they stay there, and on a failure the last one shows where it went wrong.
Only the standard library is used.
"""

import os
import shutil
import signal
import sys
import time

sys.dont_write_bytecode = True  # nothing written into the source tree

import journeys_combine  # noqa: E402
import journeys_dialogs  # noqa: E402
import journeys_divide  # noqa: E402
import journeys_keyboard  # noqa: E402
from xsession import Failure, Suite, log  # noqa: E402


def run_all(suite):
    started = time.monotonic()
    suite.start_x()
    journeys_divide.centred_without_window_manager(suite)
    suite.start_window_manager()
    suite.start_partory()
    journeys_divide.task_page(suite)
    journeys_divide.settings_check_and_full_divide(suite)
    journeys_divide.pause_continue_cancel(suite)
    journeys_combine.combine(suite)
    journeys_divide.close_during_job(suite)
    journeys_keyboard.keyboard_only(suite)
    journeys_dialogs.home_left_as_found(suite)
    journeys_divide.double_clicks(suite)
    journeys_dialogs.nothing_left_behind(suite)
    suite.shot("end")
    journeys_dialogs.display_lost(suite)
    log("all journeys passed in %.1f s" % (time.monotonic() - started))


def main():
    if len(sys.argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    partory, shot_tool, shots = sys.argv[1:]
    shutil.rmtree(shots, ignore_errors=True)
    os.makedirs(shots)
    suite = Suite(os.path.abspath(partory), os.path.abspath(shot_tool), os.path.abspath(shots))
    # A test runner's timeout ends the driver with SIGTERM: clean up on the way out.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    try:
        run_all(suite)
        return 0
    except Failure as failure:
        log("FAILED: %s" % failure)
        try:
            suite.shot("failure")
        except Exception:
            pass
        for name in ("partory.log", "openbox.log"):
            path = os.path.join(suite.work, name)
            if os.path.exists(path):
                shutil.copy(path, shots)
        log("pictures of every step are in %s" % shots)
        return 1
    finally:
        suite.cleanup()


if __name__ == "__main__":
    sys.exit(main())
