# SPDX-License-Identifier: GPL-3.0-or-later
"""What every journey of the real-window suite shares: the X server, window manager and program
it runs, xdotool input, pictures of the screen, and reading the window's state off them."""

import ctypes
import os
import random
import re
import shutil
import signal
import subprocess
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

# About window: a spot on its panel, away from the link; the link.
ABOUT_PANEL_SPOT = (20, 75)
ABOUT_LINK = (86 + 30, 48 + 7)


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
        self.last_click = (None, 0.0)
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
            raise Failure("missing %s: run tools/install-deps.sh test" % ", ".join(missing))
        read_end, write_end = os.pipe()
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
             "%dx%dx24" % (SCREEN_W, SCREEN_H), "-dpi", "96", "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=die_with_parent)
        self.children.append(xvfb)
        self.xvfb = xvfb
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
            # The program keeps its dialogs' state in a temporary folder of its own, which a
            # run ended by a signal leaves behind: inside the scratch folder.
            "TMPDIR": self.work,
            "LC_ALL": "C.UTF-8",
        })
        env.pop("XAUTHORITY", None)
        # A stand-in browser opener that writes down the environment it was started with.
        tools = os.path.join(self.work, "bin")
        os.makedirs(tools)
        self.opener_log = os.path.join(self.work, "xdg-open.env")
        opener = os.path.join(tools, "xdg-open")
        with open(opener, "w") as out:
            out.write('#!/bin/sh\n{ echo "ARGS=$*"; env; } > "%s.part" && mv "%s.part" "%s"\n'
                      % ((self.opener_log,) * 3))
        os.chmod(opener, 0o755)
        env["PATH"] = tools + os.pathsep + env.get("PATH", "/usr/bin:/bin")
        self.env = env
        log("X server on display %s" % self.display)

    def start_window_manager(self):
        self.spawn(["openbox"], "openbox.log")
        self.wait_for(lambda: "_NET_SUPPORTING_WM_CHECK(WINDOW)" in
                      self.run(["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], check=False),
                      10, "openbox to manage the screen")

    def start_partory(self, env=None):
        self.app = self.spawn([self.partory], "partory.log", env)
        self.main = self.wait_for(lambda: self.single_window("^Partory$"), 20,
                                  "the main window")
        # A window manager frames the window after it shows, and the window centres itself
        # again then: the clicks need the place where it stays.
        seen = [None]
        def settled():
            origin, seen[0] = seen[0], self.window_origin(self.main)
            time.sleep(0.25)
            return origin == seen[0]
        self.wait_for(settled, 10, "the main window to settle")
        self.origin = seen[0]
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
        """The mapped windows of the program, as {id: name}. A window that goes away while it
        is looked at is left out (xdotool then reports an X error instead of a name)."""
        if self.app is None:
            return {}
        def ask(*args):
            result = subprocess.run(["xdotool"] + list(args), env=self.env, timeout=30,
                                    stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
            return result.stdout.decode(errors="replace") if result.returncode == 0 else None
        windows = {}
        for word in (ask("search", "--onlyvisible", "--pid", str(self.app.pid)) or "").split():
            name = ask("getwindowname", word)
            if word.isdigit() and name is not None:
                windows[word] = name.strip()
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

    def expect_nothing_but_the_main_window(self):
        """No dialog, completion list or other popup of the program is left on screen."""
        left = {w: n for w, n in self.app_windows().items() if w != self.main}
        if left:
            self.shot("left_on_screen")
            raise Failure("windows left on screen: %s" % left)

    def frame_centre_offset(self, window):
        """How far the centre of the window's frame (title bar and border included, as the
        window manager reports them) is from the centre of the screen."""
        x, y, w, h = self.window_geometry(window)
        out = self.run(["xprop", "-id", window, "_NET_FRAME_EXTENTS"], check=False)
        found = re.search(r"=\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+)", out)
        left, right, top, bottom = (int(n) for n in found.groups()) if found else (0, 0, 0, 0)
        return ((x - left + (w + left + right) / 2.0) - SCREEN_W / 2.0,
                (y - top + (h + top + bottom) / 2.0) - SCREEN_H / 2.0)

    def expect_frame_centred(self, window, what):
        seen = []
        def probe():
            seen[:] = [self.frame_centre_offset(window)]
            return max(abs(seen[0][0]), abs(seen[0][1])) <= 1
        try:
            self.wait_for(probe, 5, what + " to be centred")
        except Failure:
            raise Failure("%s: frame centre off the screen's by %s" % (what, seen[0]))

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
        # A click on the spot of the last one, within the double-click time, would be taken
        # for the second half of a double-click.
        # A press on a slot of the button bar within that time after its button changed
        # (mostly by the last click) is refused, as the second half of a double-click would be.
        last_spot, last_time = self.last_click
        if last_spot == (x, y) or point in (NEXT_SLOT, BACK_SLOT):
            time.sleep(max(0.0, last_time + 0.6 - time.monotonic()))
        # No --sync: this xdotool waits many seconds for a move to the spot the pointer is on.
        # The move and the clicks go down one connection in order, so none is needed.
        self.xdo("mousemove", x, y, "click", "--repeat", repeat, "--delay", 60, button)
        self.last_click = ((x, y), time.monotonic())

    def click_twice_apart(self, point, pause_seconds):
        """Two clicks on one spot with a pause between, in one go, so that the second lands
        while the handler of the first is still running."""
        x, y = self.screen_point(point)
        time.sleep(max(0.0, self.last_click[1] + 0.6 - time.monotonic()))
        self.xdo("mousemove", x, y, "click", 1, "sleep", pause_seconds, "click", 1)
        self.last_click = ((x, y), time.monotonic())

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

    def checked_task(self):
        """The task whose radio button shows its dot."""
        p = self.pixels()
        dots = [self.client_count(p, (88 + 3, PAGE_TOP + top + 5, 7, 7), dark) for top in (88, 120)]
        if abs(dots[0] - dots[1]) < 5:
            return None
        return "divide" if dots[0] > dots[1] else "combine"

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
