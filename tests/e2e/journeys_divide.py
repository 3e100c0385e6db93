# SPDX-License-Identifier: GPL-3.0-or-later
"""Journeys of the divide task: the task page and About, the settings checks and a full divide,
a divide that is paused, continued and cancelled, and the close button during a job."""

import os
import subprocess
import time

from xsession import *  # noqa: F401,F403 (the layout constants and helpers)

MANY_PARTS = 150000


def centred_without_window_manager(s):
    s.start_partory()
    x, y = s.origin
    want_x, want_y = (SCREEN_W - CLIENT_W) / 2, (SCREEN_H - CLIENT_H) / 2
    s.shot("centred_without_window_manager")
    _, _, w, h = s.window_geometry(s.main)
    if (w, h) != (CLIENT_W, CLIENT_H):
        raise Failure("client area %dx%d, not %dx%d" % (w, h, CLIENT_W, CLIENT_H))
    if abs(x - want_x) > 2 or abs(y - want_y) > 2:
        raise Failure("window at (%d, %d), not centred at (%g, %g)" % (x, y, want_x, want_y))
    s.stop(s.app)
    s.app = None


def task_page(s):
    s.wait_for(lambda: s.active() == s.main, 10, "the main window to be active")
    s.expect_frame_centred(s.main, "the main window")
    s.expect_page("task")
    s.shot("task_page")
    s.click(RB_COMBINE)
    s.shot("task_combine_chosen")
    s.click(NEXT_SLOT)
    s.expect_page("combine")
    s.shot("combine_page_first")
    s.click(BACK_SLOT)
    s.expect_page("task")
    s.shot("back_to_task")
    # Back is disabled on the task page: a click changes nothing.
    s.click(BACK_SLOT)
    s.expect_page("task")
    # A double-click on the animation flips the task back to divide.
    s.click(MOVIE_INTRO, repeat=2)
    s.shot("task_flipped_to_divide")
    s.click(NEXT_SLOT)
    s.expect_page("divide")
    s.shot("divide_page_empty")
    s.click(BACK_SLOT)
    s.expect_page("task")
    s.click(NEXT_SLOT)
    s.expect_page("divide")

    s.click(ABOUT)
    about = s.wait_dialog("About", "the About window")
    s.expect_frame_centred(about, "the About window")
    s.wait_for(lambda: s.page() == "divide", 5, "the About window to be painted")
    s.shot("about_window")
    ax, ay = s.window_origin(about)
    # The link starts the browser opener without the settings the program made for itself.
    s.xdo("mousemove", ax + ABOUT_LINK[0], ay + ABOUT_LINK[1], "click", 1)
    s.wait_for(lambda: os.path.exists(s.opener_log), 10, "the browser opener to start")
    opened = read(s.opener_log).decode()
    for own in ("QT_NO_GLIB", "QT_ENABLE_HIGHDPI_SCALING"):
        if ("\n%s=" % own) in "\n" + opened:
            raise Failure("the browser opener was started with %s set" % own)
    if not opened.startswith("ARGS=http://www.partory-app.org"):
        raise Failure("the browser opener was not given the address: " + opened.split("\n")[0])
    time.sleep(0.6)  # the next click is no second half of a double-click
    s.xdo("mousemove", ax + ABOUT_PANEL_SPOT[0], ay + ABOUT_PANEL_SPOT[1], "click", 1)
    s.wait_dialog_gone(about, "the About window")
    s.expect_page("divide")


def settings_check_and_full_divide(s):
    source = pattern(1, 50000)
    source_path = s.write_file("full.bin", source)
    parts = os.path.join(s.work, "parts_full")

    # Nothing chosen: the information box, then the focus is on the source field.
    s.click(NEXT_SLOT)
    box = s.message_box("information", "no source message")
    s.key("Return")
    s.wait_dialog_gone(box, "the message box")
    # What is typed now lands in edFromFile: the next check names that missing file.
    s.type_text(os.path.join(s.work, "missing.bin"))
    s.click(NEXT_SLOT)
    box = s.message_box("error", "missing source message")
    s.key("Return")
    s.wait_dialog_gone(box, "the message box")
    s.expect_page("divide")

    # Pick the source through the real file dialog (Ctrl+O), by typing its path.
    s.key("ctrl+o")
    dialog = s.wait_dialog("Open", "the source file dialog")
    s.shot("source_file_dialog")
    s.key("ctrl+a")
    s.type_text(source_path)
    s.key("Return")
    s.wait_dialog_gone(dialog, "the source file dialog")
    s.shot("source_picked")
    # The focus is now in edToFolder, which holds the source's folder.
    s.key("ctrl+a")
    s.type_text(parts)
    s.replace_field(ED_DIVIDE_BYTES, "7")
    s.key("Tab")  # leaving the field makes it 7.00; the unit stays Kbytes
    # A template without the counter: the information box, then the focus on the template.
    s.replace_field(ED_NEW_NAMES, "full_part")
    s.shot("divide_settings_without_counter")
    s.click(NEXT_SLOT)
    box = s.message_box("information", "no counter message")
    s.key("Return")
    s.wait_dialog_gone(box, "the message box")
    s.key("End")
    s.type_text("_[COUNTER].bin")
    s.shot("divide_settings_complete")
    s.click(NEXT_SLOT)
    s.expect_page("done-ok", 60)
    s.shot("divide_done")
    s.check_parts(parts, lambda p: "full_part_%d.bin" % p, source, 7 * 1024, 7)
    log("7 parts of 7 Kbytes match the source")

    s.click(BTN_START_OVER)
    s.expect_page("task")
    s.shot("start_over")


def pause_continue_cancel(s):
    # Parts of 10 bytes: long enough a job for a Pause clicked 0.15 s after Start to land well
    # before its end, even on a busy machine.
    source = pattern(2, 10 * MANY_PARTS)
    source_path = s.write_file("many.bin", source)
    parts = os.path.join(s.work, "parts_cancel")
    name = lambda p: "MANY_BIN_%d" % p

    s.click(NEXT_SLOT)
    s.expect_page("divide")
    s.shot("divide_values_kept")
    s.click(FROM_FILE_BROWSE)
    dialog = s.wait_dialog("Open", "the source file dialog")
    s.key("ctrl+a")
    s.type_text(source_path)
    s.key("Return")
    s.wait_dialog_gone(dialog, "the source file dialog")
    s.key("ctrl+a")
    s.type_text(parts)
    s.replace_field(ED_DIVIDE_BYTES, "10")
    s.key("Tab", "Down")  # to the unit list, and "bytes"
    # The keyboard in the template, where a key typed on a later page would rename the parts
    # of the next job.
    s.click(ED_NEW_NAMES)
    s.key("End")
    s.shot("divide_ten_bytes")

    # Start, then a double-click on Pause, in the same slot, while the parts are being
    # written: one click, so the job pauses. The first press comes after the double-click time,
    # as a press sooner after Pause took the slot is taken for one aimed at Start.
    s.click(NEXT_SLOT)
    time.sleep(0.6)
    s.click(NEXT_SLOT, repeat=2)
    first = s.wait_paused(parts)
    s.type_text("XYZ")  # changes no setting: the job after the next one shows it
    s.shot("paused")
    if not 0 < first < MANY_PARTS:
        raise Failure("paused after %d parts" % first)
    s.click_twice_apart(NEXT_SLOT, 0.6)  # Continue, and Pause again
    second = s.wait_paused(parts)
    if second <= first:
        raise Failure("Continue did not run the job on (%d, then %d parts)" % (first, second))
    s.shot("paused_again")
    log("paused after %d files, then after %d" % (first, second))

    s.click(BACK_SLOT)  # Cancel
    box = s.message_box("question", "cancel question")
    s.key("alt+n")
    s.wait_dialog_gone(box, "the cancel question")
    if s.wait_paused(parts) != second:
        raise Failure("the job moved on after the cancel was answered No")
    s.shot("cancel_answered_no")

    s.click(BACK_SLOT)
    box = s.message_box("question", "cancel question again")
    s.key("alt+y")
    s.wait_dialog_gone(box, "the cancel question")
    s.expect_page("done-error")
    s.type_text("XYZ")
    s.shot("cancelled")
    # The files written before the cancel: whole parts, then the next one created empty.
    s.check_parts(parts, name, source, 10, MANY_PARTS, complete=second)
    log("%d whole parts before the cancel, then one empty" % second)

    s.click(BTN_START_OVER)
    s.expect_page("task")
    # The keyboard is on the task chosen: the arrow keys switch the task.
    s.type_text("XYZ")
    for arrow, task in (("Down", "combine"), ("Up", "divide")):
        s.key(arrow)
        s.wait_for(lambda: s.checked_task() == task, 5, "the %s task to be chosen" % task)
    s.shot("task_switched_by_arrows")


def close_during_job(s):
    source = read(os.path.join(s.work, "many.bin"))
    parts = os.path.join(s.work, "parts_close")

    s.click(RB_DIVIDE)
    s.click(NEXT_SLOT)
    s.expect_page("divide")
    s.replace_field(ED_TO_FOLDER, parts)
    s.shot("divide_for_close")
    s.click_twice_apart(NEXT_SLOT, 0.6)  # Start, and Pause
    s.wait_paused(parts)
    # The close button (through the window manager's Alt+F4) while the job runs: the
    # window stays, the job waits for Continue as before.
    s.key("alt+F4")
    time.sleep(0.5)
    if s.app.poll() is not None or s.main not in s.app_windows():
        raise Failure("the program ended during a paused job")
    s.expect_page("paused")
    s.shot("close_asked_while_paused")
    s.click(NEXT_SLOT)  # Continue: the job runs to its end, then the program ends
    try:
        code = s.app.wait(60)
    except subprocess.TimeoutExpired:
        s.shot("still_running_after_close")
        raise Failure("the program did not end after its job")
    if code != 0:
        raise Failure("the program ended with code %d" % code)
    s.children.remove(s.app)
    s.app = None
    # The keys typed on the progress and completion pages of the last divide changed nothing.
    s.check_parts(parts, lambda p: "MANY_BIN_%d" % p, source, 10, MANY_PARTS)
    log("the program ended after writing all %d parts" % MANY_PARTS)


def double_clicks(s):
    """A double-click on a slot of the button bar is one click: its second press does not
    press the button that has just taken the slot."""
    source = pattern(3, 1000)
    source_path = s.write_file("dbl.bin", source)
    parts = os.path.join(s.work, "parts_dbl")
    # A folder in the place of the first part: the job fails at once.
    os.makedirs(os.path.join(parts, "dbl_1"))

    s.start_partory()
    s.wait_for(lambda: s.active() == s.main, 10, "the main window to be active")
    s.expect_page("task")
    task = s.checked_task()
    s.click(NEXT_SLOT, repeat=2)  # Next, not Start on the settings page
    s.expect_page("divide")
    time.sleep(1.0)
    s.expect_nothing_but_the_main_window()
    s.shot("double_click_next")
    s.click(BACK_SLOT, repeat=2)  # Back, and nothing on the disabled Back
    s.expect_page("task")
    s.click(NEXT_SLOT)
    s.expect_page("divide")

    s.replace_field(ED_FROM_FILE, source_path)
    s.replace_field(ED_TO_FOLDER, parts)
    s.replace_field(ED_DIVIDE_BYTES, "100")
    s.key("Tab")
    s.replace_field(ED_NEW_NAMES, "dbl_[COUNTER]")
    s.click(NEXT_SLOT, repeat=2)  # Start, not Finish on the completion page
    s.expect_page("done-error")
    time.sleep(1.0)
    if s.app.poll() is not None:
        raise Failure("the program ended: the second press reached Finish")
    s.expect_page("done-error")
    s.shot("double_click_start_failing_job")

    s.click(BTN_START_OVER, repeat=2)  # the task page with the task last chosen
    s.expect_page("task")
    time.sleep(0.5)
    if s.checked_task() != task:
        raise Failure("the start-over double-click switched the task")
    s.shot("double_click_start_over")
    # Both presses on the animation are still its own double-click.
    time.sleep(0.6)
    s.click(MOVIE_INTRO, repeat=2)
    s.wait_for(lambda: s.checked_task() not in (task, None), 5, "the task to switch")
    time.sleep(0.6)
    s.click(MOVIE_INTRO, repeat=2)
    s.wait_for(lambda: s.checked_task() == task, 5, "the task to switch back")
    s.stop(s.app)
    s.app = None
