# SPDX-License-Identifier: GPL-3.0-or-later
"""The keyboard-only journey: no pointer at all. The task is chosen with the arrow keys, the
fields are filled by typing and Tab, and every button is pressed by its key (Alt and a letter of
its caption): a divide that is paused, continued and cancelled, the start-over button, a combine
whose files come through the add dialog, About, and Finish."""

import os
import subprocess
import time

from xsession import *  # noqa: F401,F403 (the layout constants and helpers)

PARTS = 150000  # 10-byte parts: long enough a job; paused at once, it leaves few files behind


def choose_task(s, arrow, task):
    s.key(arrow)
    s.wait_for(lambda: s.checked_task() == task, 5, "the %s task to be chosen" % task)


def divide_paused_continued_cancelled(s):
    source = pattern(3, 10 * PARTS)
    source_path = s.write_file("keys.bin", source)
    parts = os.path.join(s.work, "parts_keys")

    # The keyboard starts on the task chosen.
    choose_task(s, "Down", "combine")
    choose_task(s, "Up", "divide")
    s.key("alt+n")
    s.expect_page("divide")
    s.key("alt+b")  # Back
    s.expect_page("task")
    s.key("alt+n")
    s.expect_page("divide")

    # The keyboard is in edFromFile; Tab walks the fields in their order.
    s.type_text(source_path)
    s.key("Tab")
    s.type_text(parts)
    s.key("Tab", "ctrl+a")
    s.type_text("10")
    s.key("Tab", "Down")  # the unit list: "bytes"
    s.key("Tab")  # the template, empty
    # The insert buttons by their keys: name, extension, counter.
    s.key("alt+m", "alt+x", "alt+c")
    s.shot("keys_divide_settings")

    # Start, and Pause in the same slot while the parts are being written.
    s.xdo("key", "alt+s", "sleep", 0.05, "key", "alt+p")
    first = s.wait_paused(parts)
    s.shot("keys_paused")
    if not 0 < first < PARTS:
        raise Failure("paused after %d parts" % first)
    s.xdo("key", "alt+o", "sleep", 0.05, "key", "alt+p")  # Continue, and Pause again
    second = s.wait_paused(parts)
    if second <= first:
        raise Failure("Continue did not run the job on (%d, then %d parts)" % (first, second))
    log("paused by key after %d files, then after %d" % (first, second))

    s.key("alt+c")  # Cancel
    box = s.message_box("question", "keys cancel question")
    s.key("alt+y")
    s.wait_dialog_gone(box, "the cancel question")
    s.expect_page("done-error")
    s.shot("keys_cancelled")
    s.check_parts(parts, lambda p: "KEYS_BIN_%d" % p, source, 10, PARTS, complete=second)
    log("%d whole parts before the cancel by key, then one empty" % second)

    s.key("alt+t")  # the start-over button
    s.expect_page("task")


def combine(s):
    inputs = {name: pattern(20 + i, size)
              for i, (name, size) in enumerate([("k1.bin", 2500), ("k2.bin", 6001)])}
    for name, data in inputs.items():
        s.write_file(name, data)
    output = os.path.join(s.work, "keys_combined.bin")

    choose_task(s, "Down", "combine")
    s.key("alt+n")
    s.expect_page("combine")
    # The add dialog by its shortcut; its folder, then both names.
    s.key("ctrl+Insert")
    dialog = s.wait_dialog("Select files to add", "the add dialog")
    s.key("ctrl+a")
    s.type_text(s.work + "/")
    s.key("Return")
    time.sleep(0.3)
    s.key("ctrl+a")
    s.type_text('"k2.bin" "k1.bin"')
    s.key("Return")
    s.wait_dialog_gone(dialog, "the add dialog")
    # The keyboard is back in the list; the output field comes next.
    s.key("Tab")
    s.type_text(output)
    s.shot("keys_combine_settings")
    s.key("alt+s")
    s.expect_page("done-ok", 60)
    s.shot("keys_combined")
    if read(output) != inputs["k1.bin"] + inputs["k2.bin"]:
        raise Failure("the combined file is not k1 + k2")
    log("combined by keys: k1 + k2")


def keyboard_only(s):
    s.start_partory()
    s.wait_for(lambda: s.active() == s.main, 10, "the main window to be active")
    s.expect_page("task")
    divide_paused_continued_cancelled(s)
    combine(s)

    s.key("alt+a")
    about = s.wait_dialog("About", "the About window")
    s.shot("keys_about")
    s.key("Escape")
    s.wait_dialog_gone(about, "the About window")
    s.expect_page("done-ok")

    s.key("alt+f")  # Finish
    try:
        code = s.app.wait(30)
    except subprocess.TimeoutExpired:
        s.shot("still_running_after_finish")
        raise Failure("the program did not end on Finish")
    s.children.remove(s.app)
    s.app = None
    if code != 0:
        raise Failure("the program ended with code %d" % code)
    log("Finish by key ended the program")
