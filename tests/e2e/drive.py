#!/usr/bin/env python3
"""Drives the real Partory window under Xvfb with real mouse clicks and key presses.

    drive.py <partory> <e2e_xshot> <shots folder>

Starts its own X server on a free display, checks the window's first position without a window
manager, then runs openbox (without one a Qt window never gets the keyboard focus) and walks the
user's journeys: the task page, Next and Back, About, the settings checks and their message
boxes, a divide that is paused, continued and cancelled, a divide that completes, a combine list
built through the real add dialog and ordered with the side buttons and the shortcuts, and the
close button during a job. Every file produced is checked byte for byte.

A picture of the screen is taken after every step into the shots folder (NN_step.png), with a
log of the steps; they stay there, and on a failure the last one shows where it went wrong.
Only the standard library is used.
"""

import ctypes
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SCREEN_W, SCREEN_H = 1024, 768
CLIENT_W, CLIENT_H = 560, 407
PAGE_TOP = 81  # the pages start below the header
BAR_TOP = 363  # the button bar

# Button bar slots: (left + half the width, bar top + 10 + half the height).
ABOUT = (8 + 52, BAR_TOP + 25)
BACK_SLOT = (344 + 52, BAR_TOP + 25)  # Back or Cancel
NEXT_SLOT = (450 + 52, BAR_TOP + 25)  # Next, Start, Pause, Continue or Finish

# Task page.
RB_DIVIDE = (88 + 8, PAGE_TOP + 88 + 8)
RB_COMBINE = (88 + 8, PAGE_TOP + 120 + 8)
MOVIE_INTRO = (159 + 124, PAGE_TOP + 152 + 15)

# Divide page.
ED_FROM_FILE = (146 + 150, PAGE_TOP + 37 + 10)
ED_TO_FOLDER = (146 + 150, PAGE_TOP + 64 + 10)
ED_DIVIDE_BYTES = (146 + 30, PAGE_TOP + 91 + 10)
ED_NEW_NAMES = (8 + 270, PAGE_TOP + 152 + 10)
FROM_FILE_BROWSE = (146 + 407 - 9, PAGE_TOP + 37 + 10)

# Combine page.
LIST_LEFT, LIST_TOP, LIST_ROW = 24, PAGE_TOP + 22, 13
BTN_ADD = (486 + 15, PAGE_TOP + 53 + 15)
BTN_MOVE_UP = (486 + 15, PAGE_TOP + 123 + 15)
BTN_MOVE_DOWN = (522 + 15, PAGE_TOP + 123 + 15)
ED_SAVE_COMBINED = (123 + 200, PAGE_TOP + 192 + 10)

# Completion page.
BTN_START_OVER = (127 + 156, PAGE_TOP + 162 + 14)
LBL_DONE = (123, PAGE_TOP + 59, 313, 16)

# About window: a spot on its panel, away from the link.
ABOUT_PANEL_SPOT = (20, 75)


class Failure(Exception):
    pass


def log(text):
    line = time.strftime("%H:%M:%S ") + text
    print(line, flush=True)
    if Suite.current is not None:
        with open(os.path.join(Suite.current.shots, "log.txt"), "a") as out:
            out.write(line + "\n")


def die_with_parent():
    """Children get SIGTERM when the driver dies, however it dies."""
    try:
        libc = ctypes.CDLL(None, use_errno=True)
        libc.prctl(1, signal.SIGTERM)  # PR_SET_PDEATHSIG
    except OSError:
        pass


def pattern(seed, size):
    return random.Random(seed).randbytes(size)


def read(path):
    with open(path, "rb") as f:
        return f.read()


class Pixels:
    """A binary PPM picture of the whole screen."""

    def __init__(self, path):
        data = read(path)
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", data)
        if header is None:
            raise Failure("unreadable screen picture " + path)
        self.width, self.height = int(header.group(1)), int(header.group(2))
        self.data = data[header.end():]

    def at(self, x, y):
        i = 3 * (y * self.width + x)
        return self.data[i], self.data[i + 1], self.data[i + 2]

    def count(self, left, top, width, height, test):
        n = 0
        for y in range(max(top, 0), min(top + height, self.height)):
            for x in range(max(left, 0), min(left + width, self.width)):
                if test(self.at(x, y)):
                    n += 1
        return n

    def share(self, left, top, width, height, test):
        return self.count(left, top, width, height, test) / float(max(width * height, 1))


def dark(p):
    return max(p) < 110


def not_white(p):
    return min(p) < 235


def near(colour, tolerance=40):
    return lambda p: all(abs(a - b) <= tolerance for a, b in zip(p, colour))


def reddish(p):
    return p[0] > 170 and p[1] < 90 and p[2] < 90


def bluish(p):
    return p[2] > 150 and p[0] < 110


class Suite:
    current = None

    def __init__(self, partory, shot_tool, shots):
        self.partory = partory
        self.shot_tool = shot_tool
        self.shots = shots
        self.children = []
        self.app = None
        self.main = None
        self.origin = (0, 0)
        self.step_number = 0
        # run.sh gives a scratch folder that it removes even when the driver is killed.
        self.work = tempfile.mkdtemp(prefix="work-", dir=os.environ.get("PARTORY_E2E_WORK"))
        self.display = None
        self.env = None
        Suite.current = self

    # --- processes -----------------------------------------------------------------------

    def spawn(self, args, log_name, env=None):
        out = open(os.path.join(self.work, log_name), "wb")
        child = subprocess.Popen(args, stdout=out, stderr=subprocess.STDOUT,
                                 env=env or self.env, preexec_fn=die_with_parent,
                                 cwd=self.work)
        self.children.append(child)
        return child

    def stop(self, child, timeout=5.0):
        if child.poll() is None:
            child.terminate()
            try:
                child.wait(timeout)
            except subprocess.TimeoutExpired:
                child.kill()
                child.wait()
        if child in self.children:
            self.children.remove(child)

    def cleanup(self):
        for child in reversed(list(self.children)):
            self.stop(child, 3.0)
        shutil.rmtree(self.work, ignore_errors=True)

    def start_x(self):
        missing = [tool for tool in ("Xvfb", "openbox", "xdotool", "xwininfo", "xprop")
                   if shutil.which(tool) is None]
        if missing:
            raise Failure("missing %s: run tools/install-deps.sh" % ", ".join(missing))
        read_end, write_end = os.pipe()
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
             "%dx%dx24" % (SCREEN_W, SCREEN_H), "-dpi", "96", "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=die_with_parent)
        self.children.append(xvfb)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 20
        while not number.endswith(b"\n"):
            if time.monotonic() > deadline or xvfb.poll() is not None:
                raise Failure("Xvfb did not start")
            chunk = os.read(read_end, 16)
            if not chunk:
                raise Failure("Xvfb did not tell its display number")
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()
        env = {k: v for k, v in os.environ.items()
               if not k.startswith(("QT_", "XDG_", "DESKTOP_", "WAYLAND", "GNOME", "KDE"))}
        runtime = os.path.join(self.work, "runtime")
        os.makedirs(runtime, mode=0o700)
        env.update({
            "DISPLAY": self.display,
            "QT_QPA_PLATFORM": "xcb",
            "QT_QPA_PLATFORMTHEME": "generic",  # Qt's own file dialogs, whatever is installed
            "HOME": self.work,
            "XDG_RUNTIME_DIR": runtime,
            "XDG_CONFIG_HOME": os.path.join(self.work, "config"),
            "LC_ALL": "C.UTF-8",
        })
        env.pop("XAUTHORITY", None)
        self.env = env
        log("X server on display %s" % self.display)

    def start_window_manager(self):
        self.spawn(["openbox"], "openbox.log")
        self.wait_for(lambda: "_NET_SUPPORTING_WM_CHECK(WINDOW)" in
                      self.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check=False),
                      10, "openbox to manage the screen")

    def start_partory(self):
        self.app = self.spawn([self.partory], "partory.log")
        self.main = self.wait_for(lambda: self.single_window("^Partory$"), 20,
                                  "the main window")
        self.origin = self.window_origin(self.main)
        log("main window %s, client area at %s" % (self.main, self.origin))

    # --- X helpers -----------------------------------------------------------------------

    def run(self, args, check=True):
        result = subprocess.run(args, env=self.env, stdout=subprocess.PIPE,
                                stderr=subprocess.STDOUT, timeout=30)
        if check and result.returncode != 0:
            raise Failure("%s failed: %s" % (" ".join(args), result.stdout.decode()))
        return result.stdout.decode(errors="replace")

    def xdo(self, *args):
        return self.run(["xdotool"] + [str(a) for a in args])

    def wait_for(self, probe, timeout, what, interval=0.05):
        deadline = time.monotonic() + timeout
        while True:
            value = probe()
            if value:
                return value
            if self.app is not None and self.app.poll() is not None:
                raise Failure("partory ended (code %s) while waiting for %s" %
                              (self.app.returncode, what))
            if time.monotonic() > deadline:
                raise Failure("timed out waiting for " + what)
            time.sleep(interval)

    def app_windows(self):
        """The mapped windows of the program, as {id: name}."""
        if self.app is None:
            return {}
        out = self.run(["xdotool", "search", "--onlyvisible", "--pid", str(self.app.pid)],
                       check=False)
        windows = {}
        for word in out.split():
            if word.isdigit():
                name = self.run(["xdotool", "getwindowname", word], check=False).strip()
                windows[word] = name
        return windows

    def single_window(self, name_pattern):
        found = [w for w, n in self.app_windows().items() if re.search(name_pattern, n)]
        return found[0] if len(found) == 1 else None

    def dialog(self, name_pattern):
        """A mapped window of the program, other than the main window, whose name matches."""
        for window, name in self.app_windows().items():
            if window != self.main and re.search(name_pattern, name):
                return window
        return None

    def wait_dialog(self, name_pattern, what):
        window = self.wait_for(lambda: self.dialog(name_pattern), 15, what)
        self.wait_for(lambda: self.active() == window, 10, what + " to take the focus")
        return window

    def wait_dialog_gone(self, window, what):
        self.wait_for(lambda: window not in self.app_windows(), 15, what + " to close")
        self.wait_for(lambda: self.active() == self.main, 10,
                      "the main window to get the focus back")

    def active(self):
        return self.run(["xdotool", "getactivewindow"], check=False).strip()

    def window_geometry(self, window):
        out = self.run(["xwininfo", "-id", window])
        value = lambda key: int(re.search(key + r":\s+(-?\d+)", out).group(1))
        return (value("Absolute upper-left X"), value("Absolute upper-left Y"),
                value("Width"), value("Height"))

    def window_origin(self, window):
        x, y, _, _ = self.window_geometry(window)
        return x, y

    # --- input ---------------------------------------------------------------------------

    def screen_point(self, point):
        return self.origin[0] + point[0], self.origin[1] + point[1]

    def click(self, point, repeat=1, button=1):
        x, y = self.screen_point(point)
        # No --sync: this xdotool waits many seconds for a move to the spot the pointer is on.
        # The move and the clicks go down one connection in order, so none is needed.
        self.xdo("mousemove", x, y, "click", "--repeat", repeat, "--delay", 60, button)

    def click_twice_apart(self, point, pause_seconds):
        """Two clicks on one spot with a pause between, in one go, so that the second lands
        while the handler of the first is still running."""
        x, y = self.screen_point(point)
        self.xdo("mousemove", x, y, "click", 1, "sleep", pause_seconds, "click", 1)

    def key(self, *keys):
        self.xdo("key", *keys)

    def type_text(self, text):
        self.xdo("type", "--delay", 4, text)

    def replace_field(self, point, text):
        """Click into a field, select all of it, and type the new text."""
        self.click(point)
        self.key("ctrl+a")
        self.type_text(text)

    # --- pictures ------------------------------------------------------------------------

    def pixels(self, png="-"):
        ppm = os.path.join(self.work, "screen.ppm")
        self.run([self.shot_tool, png, ppm])
        return Pixels(ppm)

    def shot(self, name):
        self.step_number += 1
        png = os.path.join(self.shots, "%02d_%s.png" % (self.step_number, name))
        log("step %02d: %s" % (self.step_number, name))
        return self.pixels(png)

    def client_share(self, pixels, rect, test):
        left, top, width, height = rect
        return pixels.share(self.origin[0] + left, self.origin[1] + top, width, height, test)

    def client_count(self, pixels, rect, test):
        left, top, width, height = rect
        return pixels.count(self.origin[0] + left, self.origin[1] + top, width, height, test)

    # --- which page is shown -------------------------------------------------------------

    def page(self, pixels=None):
        p = pixels or self.pixels()
        if self.client_count(p, LBL_DONE, near((0, 128, 0), 30)) > 15:
            return "done-ok"
        if self.client_count(p, LBL_DONE, near((255, 0, 0), 30)) > 15:
            return "done-error"
        # The top edge of edFromFile, of the list; the dot of the checked task radio button.
        if self.client_share(p, (150, PAGE_TOP + 37, 380, 1), not_white) > 0.9:
            return "divide"
        if self.client_share(p, (250, LIST_TOP, 200, 1), not_white) > 0.9:
            return "combine"
        if self.client_count(p, (88, PAGE_TOP + 88, 14, 46), dark) > 10:
            return "task"
        # The status line: short while running, long while paused.
        if self.client_count(p, (8, PAGE_TOP + 72, 90, 14), dark) > 10:
            if self.client_count(p, (160, PAGE_TOP + 72, 140, 14), dark) > 10:
                return "paused"
            return "running"
        return "unknown"

    def expect_page(self, wanted, timeout=15):
        def probe():
            return self.page() == wanted
        try:
            self.wait_for(probe, timeout, "the %s page" % wanted, interval=0.1)
        except Failure:
            self.shot("unexpected_page")
            raise Failure("expected the %s page, the screen shows %s" % (wanted, self.page()))

    def message_box(self, kind, what):
        """Waits for the program's message box; checks its icon kind from its colours."""
        box = self.wait_dialog("^Partory$", what)
        x, y, w, h = self.window_geometry(box)
        self.wait_for(lambda: self.pixels().count(x, y, w, h, not_white) > 100, 5,
                      "the message box to be painted")
        p = self.shot(what.replace(" ", "_"))
        red, blue = p.count(x, y, w, h, reddish), p.count(x, y, w, h, bluish)
        if kind == "error" and red < 30:
            raise Failure("%s: no error icon (red %d, blue %d)" % (what, red, blue))
        if kind in ("information", "question") and (blue < 30 or red > 30):
            raise Failure("%s: not an %s icon (red %d, blue %d)" % (what, kind, red, blue))
        return box

    # --- files ---------------------------------------------------------------------------

    def write_file(self, name, data):
        path = os.path.join(self.work, name)
        with open(path, "wb") as out:
            out.write(data)
        return path

    def check_parts(self, folder, make_name, source, part_size, expected_count, complete=None):
        """Part p holds the source's bytes from (p-1)*size. With `complete` given (a cancel),
        parts 1..complete are whole, the next one is empty and there is none after it."""
        names = set(os.listdir(folder))
        if complete is None:
            wanted = {make_name(p) for p in range(1, expected_count + 1)}
            last_whole = expected_count
        else:
            wanted = {make_name(p) for p in range(1, complete + 2)}
            last_whole = complete
        if names != wanted:
            extra, missing = sorted(names - wanted)[:5], sorted(wanted - names)[:5]
            raise Failure("parts in %s: missing %s, unexpected %s" % (folder, missing, extra))
        for p in range(1, last_whole + 1):
            if read(os.path.join(folder, make_name(p))) != source[(p - 1) * part_size:
                                                                  p * part_size]:
                raise Failure("part %d in %s differs from the source" % (p, folder))
        if complete is not None and os.path.getsize(os.path.join(folder,
                                                                 make_name(complete + 1))):
            raise Failure("the part after the cancel is not empty")

    def count_files(self, folder):
        return len(os.listdir(folder)) if os.path.isdir(folder) else 0

    def wait_paused(self, folder):
        """Waits for the paused page and for the part count to stand still; returns it."""
        def probe():
            shown = self.page()
            if shown.startswith("done"):
                raise Failure("the job ended before the pause landed; make it longer")
            return shown == "paused"
        self.wait_for(probe, 20, "the paused progress page", interval=0.1)
        before = self.count_files(folder)
        time.sleep(0.4)
        after = self.count_files(folder)
        if before != after:
            raise Failure("parts still being written while paused (%d, then %d)" %
                          (before, after))
        return after

    # --- journeys ------------------------------------------------------------------------

    def journey_centred_without_window_manager(self):
        self.start_partory()
        x, y = self.origin
        want_x, want_y = (SCREEN_W - CLIENT_W) / 2, (SCREEN_H - CLIENT_H) / 2
        self.shot("centred_without_window_manager")
        _, _, w, h = self.window_geometry(self.main)
        if (w, h) != (CLIENT_W, CLIENT_H):
            raise Failure("client area %dx%d, not %dx%d" % (w, h, CLIENT_W, CLIENT_H))
        if abs(x - want_x) > 2 or abs(y - want_y) > 2:
            raise Failure("window at (%d, %d), not centred at (%g, %g)" % (x, y, want_x, want_y))
        self.stop(self.app)
        self.app = None

    def journey_task_page(self):
        self.wait_for(lambda: self.active() == self.main, 10, "the main window to be active")
        self.expect_page("task")
        self.shot("task_page")
        self.click(RB_COMBINE)
        self.shot("task_combine_chosen")
        self.click(NEXT_SLOT)
        self.expect_page("combine")
        self.shot("combine_page_first")
        self.click(BACK_SLOT)
        self.expect_page("task")
        self.shot("back_to_task")
        # Back is disabled on the task page: a click changes nothing.
        self.click(BACK_SLOT)
        self.expect_page("task")
        # A double-click on the animation flips the task back to divide.
        self.click(MOVIE_INTRO, repeat=2)
        self.shot("task_flipped_to_divide")
        self.click(NEXT_SLOT)
        self.expect_page("divide")
        self.shot("divide_page_empty")
        self.click(BACK_SLOT)
        self.expect_page("task")
        self.click(NEXT_SLOT)
        self.expect_page("divide")

        self.click(ABOUT)
        about = self.wait_dialog("About", "the About window")
        self.wait_for(lambda: self.page() == "divide", 5, "the About window to be painted")
        self.shot("about_window")
        ax, ay = self.window_origin(about)
        self.xdo("mousemove", ax + ABOUT_PANEL_SPOT[0], ay + ABOUT_PANEL_SPOT[1], "click", 1)
        self.wait_dialog_gone(about, "the About window")
        self.expect_page("divide")

    def journey_settings_check_and_full_divide(self):
        source = pattern(1, 50000)
        source_path = self.write_file("full.bin", source)
        parts = os.path.join(self.work, "parts_full")

        # Nothing chosen: the information box, then the focus is on the source field.
        self.click(NEXT_SLOT)
        box = self.message_box("information", "no source message")
        self.key("Return")
        self.wait_dialog_gone(box, "the message box")
        # What is typed now lands in edFromFile: the next check names that missing file.
        self.type_text(os.path.join(self.work, "missing.bin"))
        self.click(NEXT_SLOT)
        box = self.message_box("error", "missing source message")
        self.key("Return")
        self.wait_dialog_gone(box, "the message box")
        self.expect_page("divide")

        # Pick the source through the real file dialog (Ctrl+O), by typing its path.
        self.key("ctrl+o")
        dialog = self.wait_dialog("Open", "the source file dialog")
        self.shot("source_file_dialog")
        self.key("ctrl+a")
        self.type_text(source_path)
        self.key("Return")
        self.wait_dialog_gone(dialog, "the source file dialog")
        self.shot("source_picked")
        # The focus is now in edToFolder, which holds the source's folder.
        self.key("ctrl+a")
        self.type_text(parts)
        self.replace_field(ED_DIVIDE_BYTES, "7")
        self.key("Tab")  # leaving the field makes it 7.00; the unit stays Kbytes
        # A template without the counter: the information box, then the focus on the template.
        self.replace_field(ED_NEW_NAMES, "full_part")
        self.shot("divide_settings_without_counter")
        self.click(NEXT_SLOT)
        box = self.message_box("information", "no counter message")
        self.key("Return")
        self.wait_dialog_gone(box, "the message box")
        self.key("End")
        self.type_text("_[COUNTER].bin")
        self.shot("divide_settings_complete")
        self.click(NEXT_SLOT)
        self.expect_page("done-ok", 60)
        self.shot("divide_done")
        self.check_parts(parts, lambda p: "full_part_%d.bin" % p, source, 7 * 1024, 7)
        log("7 parts of 7 Kbytes match the source")

        self.click(BTN_START_OVER)
        self.expect_page("task")
        self.shot("start_over")

    def journey_pause_continue_cancel(self):
        source = pattern(2, 200000)
        source_path = self.write_file("many.bin", source)
        parts = os.path.join(self.work, "parts_cancel")
        name = lambda p: "MANY_BIN_%d" % p

        self.click(NEXT_SLOT)
        self.expect_page("divide")
        self.shot("divide_values_kept")
        self.click(FROM_FILE_BROWSE)
        dialog = self.wait_dialog("Open", "the source file dialog")
        self.key("ctrl+a")
        self.type_text(source_path)
        self.key("Return")
        self.wait_dialog_gone(dialog, "the source file dialog")
        self.key("ctrl+a")
        self.type_text(parts)
        self.replace_field(ED_DIVIDE_BYTES, "10")
        self.key("Tab", "Down")  # to the unit list, and "bytes"
        self.shot("divide_ten_bytes")

        # Start, and Pause in the same slot while the 20000 parts are being written.
        self.click_twice_apart(NEXT_SLOT, 0.15)
        first = self.wait_paused(parts)
        self.shot("paused")
        if not 0 < first < 20000:
            raise Failure("paused after %d parts" % first)
        self.click_twice_apart(NEXT_SLOT, 0.1)  # Continue, and Pause again
        second = self.wait_paused(parts)
        if second <= first:
            raise Failure("Continue did not run the job on (%d, then %d parts)" % (first, second))
        self.shot("paused_again")
        log("paused after %d files, then after %d" % (first, second))

        self.click(BACK_SLOT)  # Cancel
        box = self.message_box("question", "cancel question")
        self.key("alt+n")
        self.wait_dialog_gone(box, "the cancel question")
        if self.wait_paused(parts) != second:
            raise Failure("the job moved on after the cancel was answered No")
        self.shot("cancel_answered_no")

        self.click(BACK_SLOT)
        box = self.message_box("question", "cancel question again")
        self.key("alt+y")
        self.wait_dialog_gone(box, "the cancel question")
        self.expect_page("done-error")
        self.shot("cancelled")
        # The files written before the cancel: whole parts, then the next one created empty.
        self.check_parts(parts, name, source, 10, 20000, complete=second)
        log("%d whole parts before the cancel, then one empty" % second)

        self.click(BTN_START_OVER)
        self.expect_page("task")

    def list_row(self, row):
        return (LIST_LEFT + 100, LIST_TOP + 2 + LIST_ROW * row + LIST_ROW // 2)

    def row_extent(self, pixels, row):
        """Where an entry's text ends: the rightmost column that stands out from the entry's
        background by more than half the text's contrast (light on dark when selected)."""
        x0 = self.origin[0] + LIST_LEFT + 3
        y0 = self.origin[1] + LIST_TOP + 2 + LIST_ROW * row
        background = sum(pixels.at(x0 + 420, y0 + LIST_ROW // 2))
        contrast = max(background, 765 - background)
        for dx in range(400, -1, -1):
            for dy in range(2, LIST_ROW - 2):
                if abs(sum(pixels.at(x0 + dx, y0 + dy)) - background) > contrast / 2:
                    return dx
        return -1

    def read_list(self, pixels, rows):
        """The entries of the first rows, each known by where its text ends (the file names
        differ in length by far more than a selection or smoothing can change); and the
        selected row."""
        order, selected = "", None
        for row in range(rows):
            extent = self.row_extent(pixels, row)
            order += min(self.extents, key=lambda n: abs(self.extents[n] - extent))
            x = self.origin[0] + LIST_LEFT + 3 + 420
            y = self.origin[1] + LIST_TOP + 2 + LIST_ROW * row + LIST_ROW // 2
            if not near((255, 255, 255), 30)(pixels.at(x, y)):
                selected = row
        return order, selected

    def list_settled(self):
        """The list's rows look the same twice, 150 ms apart (the animation beside it never
        settles)."""
        first = [self.row_extent(self.pixels(), row) for row in range(3)]
        time.sleep(0.15)
        return first == [self.row_extent(self.pixels(), row) for row in range(3)]

    def expect_list(self, order, selected):
        seen = []
        def probe():
            seen[:] = [self.read_list(self.pixels(), len(order))]
            return seen[0] == (order, selected)
        try:
            self.wait_for(probe, 5, "the list %s" % order, interval=0.1)
        except Failure:
            self.shot("unexpected_list")
            raise Failure("expected the list %s with row %s selected, the screen shows %s" %
                          (order, selected, seen[0] if seen else None))

    def journey_combine(self):
        # Names of clearly different lengths, so that the list's order can be read off the
        # screen; the dialog's names are sorted, so a b c as typed c a b.
        names = {n: n * (1 + 10 * i) + ".bin" for i, n in enumerate("abcd")}
        inputs = {n: pattern(10 + i, size) for i, (n, size) in
                  enumerate([("a", 3000), ("b", 4500), ("c", 1), ("d", 7777)])}
        for n, data in inputs.items():
            self.write_file(names[n], data)
        old = time.time() - 3600
        os.utime(os.path.join(self.work, names["d"]), (old, old))
        output = os.path.join(self.work, "out", "deeper", "combined.bin")

        self.click(RB_COMBINE)
        self.click(NEXT_SLOT)
        self.expect_page("combine")

        # Three files in one use of the add dialog: first into the folder, then their names.
        self.click(BTN_ADD)
        dialog = self.wait_dialog("Select files to add", "the add dialog")
        self.shot("add_dialog")
        self.key("ctrl+a")
        self.type_text(self.work + "/")
        self.key("Return")
        time.sleep(0.3)
        self.key("ctrl+a")
        self.type_text('"%s" "%s" "%s"' % (names["c"], names["a"], names["b"]))
        self.shot("add_dialog_three_names")
        self.key("Return")
        self.wait_dialog_gone(dialog, "the add dialog")
        self.shot("list_a_b_c")

        # The look of each entry, to read the list's order from the screen from now on.
        self.wait_for(self.list_settled, 5, "the list to be painted")
        self.extents = {n: self.row_extent(self.pixels(), row)
                        for row, n in enumerate(["a", "b", "c"])}
        self.expect_list("abc", None)

        # Order it with the shortcuts and the side buttons; the list after each step.
        for action, target, order, selected in [
                ("click", self.list_row(0), "abc", 0),
                ("key", "ctrl+Down", "bac", 1),
                ("key", "ctrl+Down", "bca", 2),
                ("click", self.list_row(0), "bca", 0),
                ("click", BTN_MOVE_DOWN, "cba", 1),
                ("key", "ctrl+r", "abc", None),
                ("click", self.list_row(2), "abc", 2),
                ("click", BTN_MOVE_UP, "acb", 1),
                ("key", "ctrl+Up", "cab", 0)]:
            if action == "click":
                self.click(target)
            else:
                self.key(target)
            self.expect_list(order, selected)
            self.shot("list_%s_after_%s" % (order, target if action == "key" else "click"))
        # Ctrl+Insert: the same dialog again, which starts in the folder it was left in.
        self.key("ctrl+Insert")
        dialog = self.wait_dialog("Select files to add", "the add dialog")
        self.key("ctrl+a")
        self.type_text('"%s" "%s"' % (names["d"], names["a"]))
        self.key("Return")
        self.wait_dialog_gone(dialog, "the add dialog")
        self.extents["d"] = self.row_extent(self.pixels(), 4)
        self.expect_list("cabad", 0)  # the new entries are not selected
        self.shot("list_cabad")

        # Start without an output: the information box, then the focus on the output field.
        self.click(NEXT_SLOT)
        box = self.message_box("information", "no output message")
        self.key("Return")
        self.wait_dialog_gone(box, "the message box")
        self.type_text(output)
        self.shot("combine_settings_complete")
        self.click(NEXT_SLOT)
        self.expect_page("done-ok", 60)
        self.shot("combine_done")
        if read(output) != b"".join(inputs[n] for n in "cabad"):
            raise Failure("the combined file is not c+a+b+a+d")
        if abs(os.path.getmtime(output) - old) > 2:
            raise Failure("the combined file does not carry the last input's time")
        log("combined file matches c+a+b+a+d and carries d's time")

        self.click(BTN_START_OVER)
        self.expect_page("task")

    def journey_close_during_job(self):
        source = read(os.path.join(self.work, "many.bin"))
        parts = os.path.join(self.work, "parts_close")

        self.click(RB_DIVIDE)
        self.click(NEXT_SLOT)
        self.expect_page("divide")
        self.replace_field(ED_TO_FOLDER, parts)
        self.shot("divide_for_close")
        self.click_twice_apart(NEXT_SLOT, 0.15)  # Start, and Pause
        self.wait_paused(parts)
        # The close button (through the window manager's Alt+F4) while the job runs: the
        # window stays, the job waits for Continue as before.
        self.key("alt+F4")
        time.sleep(0.5)
        if self.app.poll() is not None or self.main not in self.app_windows():
            raise Failure("the program ended during a paused job")
        self.expect_page("paused")
        self.shot("close_asked_while_paused")
        self.click(NEXT_SLOT)  # Continue: the job runs to its end, then the program ends
        try:
            code = self.app.wait(60)
        except subprocess.TimeoutExpired:
            self.shot("still_running_after_close")
            raise Failure("the program did not end after its job")
        if code != 0:
            raise Failure("the program ended with code %d" % code)
        self.children.remove(self.app)
        self.app = None
        self.check_parts(parts, lambda p: "MANY_BIN_%d" % p, source, 10, 20000)
        log("the program ended after writing all 20000 parts")

    def run_all(self):
        started = time.monotonic()
        self.start_x()
        self.journey_centred_without_window_manager()
        self.start_window_manager()
        self.start_partory()
        self.journey_task_page()
        self.journey_settings_check_and_full_divide()
        self.journey_pause_continue_cancel()
        self.journey_combine()
        self.journey_close_during_job()
        self.shot("end")
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
        suite.run_all()
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
