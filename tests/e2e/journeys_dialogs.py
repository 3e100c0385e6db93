# SPDX-License-Identifier: GPL-3.0-or-later
"""What a run leaves behind: a run that opens and closes every dialog leaves the home folder as
it found it, so that no run reads another's traces."""

import hashlib
import os
import signal
import subprocess
import time

from xsession import *  # noqa: F401,F403 (the layout constants and helpers)


def snapshot(folder):
    """Every file and folder below `folder`: size, modification time and content."""
    seen = {}
    for root, dirs, files in os.walk(folder):
        for name in dirs + files:
            path = os.path.join(root, name)
            info = os.lstat(path)
            digest = ""
            if os.path.isfile(path) and not os.path.islink(path):
                digest = hashlib.sha1(read(path)).hexdigest()
            seen[os.path.relpath(path, folder)] = (info.st_size, info.st_mtime_ns, digest)
    return seen


def run_and_close(s, env, actions):
    s.start_partory(env)
    s.wait_for(lambda: s.active() == s.main, 10, "the main window to be active")
    s.expect_page("task")
    actions()
    s.key("alt+F4")
    try:
        code = s.app.wait(30)
    except subprocess.TimeoutExpired:
        raise Failure("the program did not end on the close button")
    s.children.remove(s.app)
    s.app = None
    if code != 0:
        raise Failure("the program ended with code %d" % code)


def close_with(s, key, pattern, what):
    window = s.wait_dialog(pattern, what)
    s.shot(what.replace(" ", "_"))
    s.key(key)
    s.wait_dialog_gone(window, what)
    s.expect_nothing_but_the_main_window()


def open_every_dialog(s):
    chosen = s.write_file("home_input.bin", b"home")
    s.click(ABOUT)
    close_with(s, "Escape", "About", "the About window")
    s.click(NEXT_SLOT)
    s.expect_page("divide")
    s.key("ctrl+o")
    close_with(s, "Escape", ".", "the source file dialog")
    s.click(ED_TO_FOLDER, repeat=2)
    close_with(s, "Escape", ".", "the folder dialog")
    s.click(NEXT_SLOT)  # Start with nothing filled in
    close_with(s, "Return", "^Partory$", "the message box")
    s.click(BACK_SLOT)
    s.click(RB_COMBINE)
    s.click(NEXT_SLOT)
    s.expect_page("combine")
    s.key("ctrl+Insert")
    s.wait_dialog("Select files to add", "the add dialog")
    s.key("ctrl+a")
    s.type_text(chosen)
    close_with(s, "Return", "Select files to add", "the add dialog")
    s.key("ctrl+s")
    close_with(s, "Escape", ".", "the save dialog")


def home_left_as_found(s):
    home = os.path.join(s.work, "home")
    os.makedirs(home)
    # The user's own folders, as a desktop session without any XDG settings has them.
    env = {k: v for k, v in s.env.items() if not k.startswith("XDG_") or k == "XDG_RUNTIME_DIR"}
    env["HOME"] = home
    # A first run may fill the caches of the system's libraries (fonts); what counts is what a
    # run that uses every dialog adds after that.
    run_and_close(s, env, lambda: None)
    before = snapshot(home)
    run_and_close(s, env, lambda: open_every_dialog(s))
    after = snapshot(home)
    changed = sorted(p for p in set(before) | set(after) if before.get(p) != after.get(p))
    if changed:
        raise Failure("the run changed the home folder: %s" % ", ".join(changed))
    log("the home folder is as the run found it (%d entries)" % len(after))


def private_folders(s):
    runtime = s.env["XDG_RUNTIME_DIR"]
    return sorted(n for n in os.listdir(runtime) if n.startswith("partory-"))


def open_source_dialog(s, close_it):
    """The divide page's file dialog, which makes the dialogs' private folder; returns it."""
    s.start_partory()
    s.wait_for(lambda: s.active() == s.main, 10, "the main window to be active")
    s.expect_page("task")
    if private_folders(s):
        raise Failure("a private folder made before any dialog: %s" % private_folders(s))
    s.click(NEXT_SLOT)
    s.expect_page("divide")
    s.key("ctrl+o")
    dialog = s.wait_dialog("Open", "the source file dialog")
    made = private_folders(s)
    if len(made) != 1:
        raise Failure("private folders in XDG_RUNTIME_DIR: %s" % made)
    folder = os.path.join(s.env["XDG_RUNTIME_DIR"], made[0])
    mode = os.stat(folder).st_mode & 0o777
    if mode != 0o700:
        raise Failure("the private folder has mode %o" % mode)
    if close_it:
        s.key("Escape")  # the dialog saves its state into the folder
        s.wait_dialog_gone(dialog, "the source file dialog")
    return folder


def nothing_left_behind(s):
    """The dialogs' private folder is made only when a dialog needs it, and every way out but
    SIGKILL removes it; a link inside is removed, never followed."""
    outside = os.path.join(s.work, "outside")
    os.makedirs(outside)
    kept = s.write_file(os.path.join("outside", "keep.txt"), b"keep")
    for number, dialog_open in ((signal.SIGTERM, False), (signal.SIGINT, True),
                                (signal.SIGHUP, False)):
        name = signal.Signals(number).name
        folder = open_source_dialog(s, close_it=not dialog_open)
        os.symlink(outside, os.path.join(folder, "link"))
        s.app.send_signal(number)
        try:
            code = s.app.wait(20)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end on %s" % name)
        s.children.remove(s.app)
        s.app = None
        if code != 0:
            raise Failure("the program ended with code %d on %s" % (code, name))
        if private_folders(s):
            raise Failure("%s left %s behind" % (name, private_folders(s)))
        if read(kept) != b"keep":
            raise Failure("the removal followed a link out of the private folder")
        log("%s: the program ended and left no private folder" % name)


def display_lost(s):
    """The X server goes away under the program: it ends, and leaves nothing behind. Ends
    the suite's X server, so it comes last."""
    open_source_dialog(s, close_it=True)
    s.stop(s.xvfb)
    try:
        code = s.app.wait(20)
    except subprocess.TimeoutExpired:
        raise Failure("the program did not end when the display went away")
    s.children.remove(s.app)
    s.app = None
    if private_folders(s):
        raise Failure("the lost display left %s behind" % private_folders(s))
    log("display lost: the program ended with code %d, no private folder left" % code)
