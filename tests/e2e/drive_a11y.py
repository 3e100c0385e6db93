#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Drives the Partory window as a screen-reader user does: only through the accessibility bus.

    drive_a11y.py <partory> <shots folder> x11|wayland

Runs inside a private session bus (dbus-run-session), which starts the accessibility bus. x11:
an X server and openbox; the accessible tree of every page is walked against a table (role,
name, states), a divide and a combine job are run with actions and editable text alone, and
what a screen reader hears is checked: the progress bar's value as it moves, the status line
when it changes, the outcome when the job ends. wayland: a headless weston; the window comes
up at its size, keeps it, and a divide through the bus gives exact parts. Without weston that
journey is skipped (exit 77). Needs python3-pyatspi: run with the system's python3.
"""

import os
import shutil
import signal
import subprocess
import sys
import time

sys.dont_write_bytecode = True  # nothing written into the source tree

from xsession import CLIENT_H, CLIENT_W, Failure, Suite, log, pattern  # noqa: E402

SKIPPED = 77
PAUSED = 'Process paused.  Press "Continue" to resume.'
WAIT = "Please, wait..."
START_OVER = 'Click here for another "Partory" task...'
HOST = "www.partory-app.org"

# What each page shows a screen reader: (page, role, name, states it has, states it lacks).
# The image buttons never take the focus, so the focus is on the control named "focused".
PAGES = [
    ("task", "frame", "Partory", {"active"}, set()),
    ("task", "radio button", "DIVIDE A FILE into parts", {"focused", "checked"}, set()),
    ("task", "radio button", "COMBINE MULTIPLE FILES into one", {"focusable"}, {"checked"}),
    ("task", "image", "Divide animation", set(), set()),
    ("task", "push button", "Next", {"enabled"}, {"focusable"}),
    ("task", "push button", "Back", set(), {"enabled"}),
    ("task", "push button", "About...", {"enabled"}, set()),
    ("divide", "text", "Select a file to divide:", {"focused", "editable"}, set()),
    ("divide", "label", "Select a file to divide:", set(), set()),
    ("divide", "text", "Select the destination folder:", {"editable"}, set()),
    ("divide", "text", "Size of new file parts:", {"editable"}, set()),
    ("divide", "combo box", "Kbytes", {"focusable"}, set()),
    ("divide", "text", "Step 4: Specify how new file parts will be named:", {"editable"}, set()),
    ("divide", "push button", "Browse", {"enabled"}, {"focusable"}),
    ("divide", "push button", "Add counter", {"enabled"}, set()),
    ("divide", "check box", "Use UPPER case", {"focusable", "checked"}, set()),
    ("divide", "push button", "Start", {"enabled"}, set()),
    ("divide", "push button", "Back", {"enabled"}, set()),
    ("paused", "notification", PAUSED, {"focused", "focusable"}, set()),
    ("paused", "push button", "Continue", {"enabled"}, set()),
    ("paused", "push button", "Cancel", {"enabled"}, set()),
    ("paused", "image", "Divide animation", set(), set()),
    ("completion", "label", "CONGRATULATIONS! %(parts)d file(s) sucessfully created!",
     {"focused"}, set()),
    ("completion", "label", "%(parts)d file(s) sucessfully created!", set(), {"focused"}),
    ("completion", "image", "Success", set(), set()),
    ("completion", "push button", "Finish", {"enabled"}, set()),
    ("completion", "push button", START_OVER, {"enabled"}, set()),
    ("about", "dialog", " About", {"active"}, set()),
    ("about", "link", HOST, {"focused", "focusable"}, set()),
    ("combine", "list", "List of files to be combined", {"focused"}, set()),
    ("combine", "push button", "Add files...", {"enabled"}, set()),
    ("combine", "push button", "Move up", {"enabled"}, set()),
    ("combine", "text", "Save combined files as:", {"editable"}, set()),
    ("combine", "push button", "Start", {"enabled"}, set()),
]
# The keys of the image buttons, as their key bindings: (page, button name, binding). Pages
# without rows here only check that no two buttons share one.
KEYS = [
    ("task", "Next", "<Alt>n"),
    ("task", "About...", "<Alt>a"),
    ("divide", "Start", "<Alt>s"),
    ("divide", "Back", "<Alt>b"),
    ("divide", "Add counter", "<Alt>c"),
    ("paused", "Continue", "<Alt>o"),
    ("paused", "Cancel", "<Alt>c"),
    ("completion", "Finish", "<Alt>f"),
    ("completion", START_OVER, "<Alt>t"),
    ("combine", "Add files...", "<Control>Insert"),
    ("combine", "Start", "<Alt>s"),
]

NEEDS_NAME = {"push button", "radio button", "check box", "combo box", "text", "list",
              "progress bar", "link"}


def walk(bus, page, root, values=None):
    """Checks the page's rows, and what holds on every page: each control has a name, the
    focus is on a control (never a bare pane), no two buttons share a key."""
    import a11y
    shown = bus.shown(root)
    seen = [(n.getRoleName(), n.name, a11y.states(n), a11y.key_bindings(n)) for n in shown]
    for row_page, role, name, has, lacks in PAGES:
        if row_page != page:
            continue
        name = name % (values or {})
        found = [s for r, n, s, _ in seen if r == role and n == name]
        if not found:
            raise Failure("%s page: no %s %r among %s" % (page, role, name,
                                                          [(r, n) for r, n, _, _ in seen]))
        if not any(has <= s and not lacks & s for s in found):
            raise Failure("%s page: %s %r has states %s, wanted %s without %s" %
                          (page, role, name, sorted(found[0]), sorted(has), sorted(lacks)))
    for role, name, _, _ in seen:
        if role in NEEDS_NAME and not name.strip():
            raise Failure("%s page: a %s without a name" % (page, role))
    focused = [(r, n) for r, n, s, _ in seen if "focused" in s]
    if not focused or any(r in ("filler", "panel", "frame") for r, _ in focused):
        raise Failure("%s page: the focus is on %s" % (page, focused))
    keys = [k for r, _, _, ks in seen if r == "push button" for k in ks]
    if len(keys) != len(set(keys)):
        raise Failure("%s page: buttons share a key: %s" % (page, sorted(keys)))
    for row_page, button, key in KEYS:
        if row_page == page and key not in [k for r, n, _, ks in seen if n == button
                                            for k in ks]:
            raise Failure("%s page: %r has not the key %s" % (page, button, key))
    log("%s page: %d objects as a screen reader sees them" % (page, len(seen)))


def heard_focus(bus, mark, name):
    return [h for h in bus.heard_since(mark, "object:state-changed:focused")
            if h.detail == 1 and h.name == name]


def heard_shown(bus, mark, name):
    """The status line is a notification: a screen reader speaks it as it shows again."""
    return [h for h in bus.heard_since(mark, "object:state-changed:showing")
            if h.detail == 1 and h.role == "notification" and h.name == name]


def divide(suite, bus, size_kb, parts_kb, pause):
    """A divide job through the bus from the task page; returns the number of parts."""
    source_bytes = pattern(19, size_kb * 1024)
    source = suite.write_file("movie.bin", source_bytes)
    folder = os.path.join(suite.work, "parts-%d" % size_kb)
    os.makedirs(folder)
    bus.press("Next")
    bus.control("text", "Select a file to divide:")
    if pause:
        walk(bus, "divide", bus.main())
    bus.type_into("Select a file to divide:", source)
    bus.type_into("Select the destination folder:", folder)
    bus.type_into("Size of new file parts:", str(parts_kb))
    bus.type_into("Step 4: Specify how new file parts will be named:", "part[COUNTER]")
    # The unit list, set by its items' actions.
    for unit in ("bytes", "Kbytes"):
        units = next(n for n in bus.shown(bus.main()) if n.getRoleName() == "combo box")
        bus.act(next(item for item in units[0] if item.name == unit), "Toggle")
        bus.control("combo box", unit)
    parts = -(-size_kb // parts_kb)
    # Looked up while hidden, and pressed once the status line has taken the focus: looked
    # up after Start, its questions waited for the busy job's pumps, and a loaded machine ran
    # the whole job first. Pressed before that focus was heard, the line said it was paused
    # by the time the listener asked its name.
    press_pause = bus.action(bus.anywhere("push button", "Pause"), "Press")
    mark = len(bus.heard)
    started = time.monotonic()
    bus.press("Start")
    if pause:
        bus.wait(lambda: heard_focus(bus, mark, WAIT), 20, WAIT + " on the status line")
        press_pause()
        bus.control("notification", PAUSED)
        walk(bus, "paused", bus.main())
        bus.press("Continue")
    outcome = "CONGRATULATIONS! %d file(s) sucessfully created!" % parts
    if pause:
        bus.wait(lambda: heard_focus(bus, mark, outcome), 120, "the outcome to take the focus")
    else:
        # A headless compositor activates no window: nothing takes the focus there.
        bus.control("label", outcome)
    if pause:
        for what, probe in ((WAIT + " on the status line at the start",
                             heard_focus(bus, mark, WAIT)),
                            ("the paused line", heard_shown(bus, mark, PAUSED)),
                            ("the running line again", heard_shown(bus, mark, WAIT))):
            if not probe:
                raise Failure("not heard: %s (heard %s)" % (what, bus.heard_since(mark)))
        walk(bus, "completion", bus.main(), {"parts": parts})
    values = [h for h in bus.heard_since(mark, "object:property-change:accessible-value")
              if h.name == "Job progress"]
    log("heard %d progress values: %s" % (len(values), [v.value for v in values]))
    if pause:
        check_progress_heard(values, parts, started)
    suite.check_parts(folder, lambda p: "part%d" % p, source_bytes, parts_kb * 1024, parts)
    return parts


def check_progress_heard(values, parts, started):
    if len(values) < 2:
        raise Failure("the bar told its value %d times during the job" % len(values))
    numbers = [v.value for v in values if v.value is not None]
    if numbers != sorted(numbers) or not 0 < numbers[0] < numbers[-1] <= parts:
        raise Failure("the values heard do not follow the job: %s" % numbers)
    # Stamped as they arrive here, and each asks the busy program for its value: the first
    # ones can arrive late and bunch up with the rest. None was sent before Start was pressed.
    span = values[-1].at - started
    if len(values) > span * 4 + 2:
        raise Failure("%d values in %.2f s: more than four a second" % (len(values), span))


def about(suite, bus):
    bus.press("About...")
    dialog = bus.window("dialog", " About")
    if dialog.description != "Partory Version 1.0":
        raise Failure("the About window reads %r" % dialog.description)
    import a11y
    # The window manager activates the window after it shows, later under load.
    bus.wait(lambda: "active" in a11y.states(dialog), 10, "the About window to be active")
    walk(bus, "about", dialog)
    # A press on a window under the modal one does nothing: Finish would end the program.
    bus.act(bus.control("push button", "Finish"), "Press")
    bus.pump(0.5)
    if suite.app.poll() is not None:
        raise Failure("Finish pressed under the About window ended the program")
    suite.key("Escape")
    bus.wait(lambda: not any(w.name == " About" and a11y.showing(w) for w in bus.windows()), 10,
             "About to close")


def combine(suite, bus):
    inputs = [pattern(40 + i, 3000 + 700 * i) for i in range(3)]
    paths = [suite.write_file("piece%d.bin" % i, data) for i, data in enumerate(inputs)]
    out = os.path.join(suite.work, "whole.bin")
    bus.press(START_OVER)
    bus.act(bus.control("radio button", "COMBINE MULTIPLE FILES into one"), "Toggle")
    bus.control("image", "Combine animation")
    bus.press("Next")
    bus.control("list", "List of files to be combined")
    bus.press("Add files...")
    dialog = bus.window("dialog", "Select files to add...")
    bus.type_into("File name:", " ".join('"%s"' % p for p in paths), dialog)
    bus.press("Open", root=dialog)
    rows = bus.wait(lambda: [i.name for i in bus.control("list", "List of files to be combined")]
                    or None, 10, "the list to fill")
    if rows != paths:
        raise Failure("the list holds %s" % rows)
    walk(bus, "combine", bus.main())
    bus.type_into("Save combined files as:", out)
    mark = len(bus.heard)
    bus.press("Start")
    outcome = "CONGRATULATIONS! 3 file(s) processed sucessfully!"
    bus.wait(lambda: heard_focus(bus, mark, outcome), 60, "the combine outcome to take the focus")
    with open(out, "rb") as whole:
        if whole.read() != b"".join(inputs):
            raise Failure("the combined file differs from its inputs")


def finish(suite, bus):
    bus.press("Finish")
    suite.wait_for(lambda: suite.app.poll() is not None or None, 15, "the program to end")
    if suite.app.returncode != 0:
        raise Failure("the program ended with code %s" % suite.app.returncode)


def frame_size(bus):
    import pyatspi
    extents = bus.main().queryComponent().getExtents(pyatspi.WINDOW_COORDS)
    return extents.width, extents.height


def start_wayland(suite):
    env = {k: v for k, v in os.environ.items()
           if not k.startswith(("QT_", "XDG_", "DESKTOP_", "WAYLAND", "DISPLAY", "XAUTHORITY"))}
    runtime = os.path.join(suite.work, "runtime")
    os.makedirs(runtime, mode=0o700)
    env.update({"XDG_RUNTIME_DIR": runtime, "HOME": suite.work, "TMPDIR": suite.work,
                "XDG_CONFIG_HOME": os.path.join(suite.work, "config"), "LC_ALL": "C.UTF-8"})
    suite.env = env
    suite.spawn(["weston", "--backend=headless-backend.so", "--socket=wayland-partory",
                 "--idle-time=0", "--width=1024", "--height=768"], "weston.log")
    suite.wait_for(lambda: os.path.exists(os.path.join(runtime, "wayland-partory")), 20,
                   "weston's socket")
    env = dict(env, WAYLAND_DISPLAY="wayland-partory", QT_QPA_PLATFORM="wayland")
    suite.app = suite.spawn([suite.partory], "partory.log", env)


def x11_journeys(suite, bus):
    walk(bus, "task", bus.main())
    parts = divide(suite, bus, 16 * 1024, 1, pause=True)
    log("divide of %d parts through the bus" % parts)
    about(suite, bus)
    combine(suite, bus)
    finish(suite, bus)


def wayland_smoke(suite, bus):
    sizes = [frame_size(bus)]
    if sizes[0] != (CLIENT_W, CLIENT_H):
        raise Failure("the window came up at %dx%d" % sizes[0])
    divide(suite, bus, 100, 10, pause=False)
    bus.pump(0.5)
    sizes.append(frame_size(bus))
    if sizes[-1] != (CLIENT_W, CLIENT_H):
        raise Failure("the window changed its size to %dx%d" % sizes[-1])
    log("window %dx%d under weston, before and after a divide" % sizes[0])
    finish(suite, bus)


def main():
    if len(sys.argv) != 4 or sys.argv[3] not in ("x11", "wayland"):
        print(__doc__, file=sys.stderr)
        return 2
    partory, shots, mode = sys.argv[1:]
    if mode == "wayland" and shutil.which("weston") is None:
        print("SKIPPED: weston is not installed; the Wayland journey needs it")
        return SKIPPED
    shutil.rmtree(shots, ignore_errors=True)
    os.makedirs(shots)
    suite = Suite(os.path.abspath(partory), None, os.path.abspath(shots))
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    bus = None
    started = time.monotonic()
    try:
        # The accessibility bus of this session, ours to end (one that the session bus starts
        # on demand outlives the journey by many seconds), before pyatspi asks for it.
        suite.spawn(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                    "at-spi-bus.log", dict(os.environ))
        import a11y
        a11y.enable_assistive_technology()
        if mode == "x11":
            suite.start_x()
            suite.start_window_manager()
            suite.start_partory()
        else:
            start_wayland(suite)
        bus = a11y.Bus(suite)
        bus.find_app()
        bus.wait(lambda: any(w.getRoleName() == "frame" for w in bus.windows()), 20,
                 "the main window")
        (x11_journeys if mode == "x11" else wayland_smoke)(suite, bus)
        log("%s journeys through the accessibility bus passed in %.1f s" %
            (mode, time.monotonic() - started))
        return 0
    except Failure as failure:
        log("FAILED: %s" % failure)
        if bus is not None:
            log("last heard: %s" % bus.heard[-15:])
        for name in ("partory.log", "openbox.log", "weston.log"):
            path = os.path.join(suite.work, name)
            if os.path.exists(path):
                shutil.copy(path, shots)
        return 1
    finally:
        if bus is not None:
            bus.close()
        suite.cleanup()


if __name__ == "__main__":
    sys.exit(main())
