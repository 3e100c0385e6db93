# SPDX-License-Identifier: GPL-3.0-or-later
"""What the accessibility journeys share: the accessibility bus as a screen reader sees it
(pyatspi, the library Orca uses), the events it hears, and presses and typing through it."""

import time

from xsession import Failure, log

try:
    from gi.repository import Gio, GLib
except ImportError as missing:
    raise Failure("%s: run tools/install-deps.sh test (python3-gi)" % missing)

pyatspi = None  # imported once the accessibility bus is up

HEARD = ("object:property-change:accessible-value", "object:property-change:accessible-name",
         "object:state-changed:focused", "object:state-changed:showing", "window:activate")


def start_pyatspi():
    """pyatspi connects to the accessibility bus as it is imported."""
    global pyatspi
    try:
        import pyatspi
    except ImportError as missing:
        raise Failure("%s: run tools/install-deps.sh test (python3-pyatspi)" % missing)


def enable_assistive_technology():
    """Waits for the accessibility bus, then tells applications on this session bus that a
    screen reader runs, as Orca does."""
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    bus.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.freedesktop.DBus.Properties", "Set",
                  GLib.Variant("(ssv)", ("org.a11y.Status", "IsEnabled",
                                         GLib.Variant("b", True))),
                  None, Gio.DBusCallFlags.NONE, 10000, None)
    start_pyatspi()


class Heard:
    """One thing the bus told a listener: (seconds, type, role, name, value)."""

    def __init__(self, kind, source, detail):
        self.at = time.monotonic()
        self.kind = kind
        self.detail = detail
        try:
            self.role, self.name = source.getRoleName(), source.name
            self.value = source.queryValue().currentValue if self.kind.endswith("value") else None
        except Exception:  # the source may be gone already
            self.role, self.name, self.value = "?", "?", None

    def __repr__(self):
        return "%s %s %r%s" % (self.kind, self.role, self.name,
                               "" if self.value is None else " = %s" % self.value)


class Bus:
    """The program's accessible tree and the events heard from it."""

    def __init__(self, suite):
        self.suite = suite
        self.heard = []
        # Seconds spent in the listener, which asks the program about every event it hears.
        self.listening = 0.0
        self._listener = self._hear
        for kind in HEARD:
            pyatspi.Registry.registerEventListener(self._listener, kind)
        self.app = None

    def _hear(self, event):
        started = time.monotonic()
        self.heard.append(Heard(event.type, event.source, event.detail1))
        self.listening += time.monotonic() - started

    def close(self):
        for kind in HEARD:
            pyatspi.Registry.deregisterEventListener(self._listener, kind)

    def pump(self, seconds=0.0):
        """Lets the events that arrived reach the listener."""
        context = GLib.MainContext.default()
        end = time.monotonic() + seconds
        while True:
            while context.pending():
                context.iteration(False)
            if time.monotonic() >= end:
                return
            time.sleep(0.01)

    def wait(self, probe, timeout, what):
        def pumped():
            self.pump()
            return probe()
        return self.suite.wait_for(pumped, timeout, what)

    def find_app(self):
        def probe():
            for app in pyatspi.Registry.getDesktop(0):
                if app is not None and app.name == "Partory":
                    return app
            return None
        self.app = self.wait(probe, 20, "the program on the accessibility bus")
        return self.app

    # --- the tree ------------------------------------------------------------------------

    def windows(self):
        return [w for w in self.app if w is not None]

    def window(self, role, name):
        return self.wait(lambda: next((w for w in self.windows() if w.getRoleName() == role and
                                       w.name == name and showing(w)), None),
                         15, "the %s %r" % (role, name))

    def shown(self, root):
        """Every showing object under root, root included."""
        found = []
        def walk(node):
            if node is None or not showing(node):
                return
            found.append(node)
            for child in node:
                walk(child)
        walk(root)
        return found

    def control(self, role, name, root=None):
        """The showing control of that role and name."""
        def probe():
            for node in self.shown(root or self.main()):
                if node.getRoleName() == role and node.name == name:
                    return node
            return None
        return self.wait(probe, 15, "%s %r" % (role, name))

    def anywhere(self, role, name):
        """The control of that role and name, shown or not."""
        found = pyatspi.findDescendant(self.main(), lambda n: n is not None and
                                       n.getRoleName() == role and n.name == name)
        if found is None:
            raise Failure("no %s %r in the window" % (role, name))
        return found

    def main(self):
        return next(w for w in self.windows() if w.getRoleName() == "frame")

    def focused(self):
        for window in self.windows():
            for node in self.shown(window):
                if node.getState().contains(pyatspi.STATE_FOCUSED):
                    return node
        return None

    # --- acting ---------------------------------------------------------------------------

    def action(self, node, action):
        """The node's action as a call to make later: looked up now, so that the call sends the
        press at once, with no question to a program that may be busy with a job by then."""
        actions = node.queryAction()
        names = [actions.getName(i) for i in range(actions.nActions)]
        if action not in names:
            raise Failure("%s %r has no %s action (%s)" % (node.getRoleName(), node.name,
                                                          action, names))
        index, name = names.index(action), node.name

        def call():
            # Events that arrive while the call waits reach the listener inside it, and each
            # asks the program, busy with a job by then, about its source: that time is the
            # listener's.
            started, listened = time.monotonic(), self.listening
            actions.doAction(index)
            took = time.monotonic() - started - (self.listening - listened)
            if took > 1.0:
                raise Failure("the %s of %r took %.1f s to answer" % (action, name, took))
        return call

    def act(self, node, action):
        self.action(node, action)()

    def press(self, name, role="push button", root=None):
        self.act(self.control(role, name, root), "Press")
        log("pressed %r" % name)

    def type_into(self, field_name, text, root=None):
        field = self.control("text", field_name, root)
        field.queryEditableText().setTextContents(text)
        self.wait(lambda: field.queryText().getText(0, -1) == text, 5, "the text of " + field_name)

    def heard_since(self, mark, kind=None):
        return [h for h in self.heard[mark:] if kind is None or h.kind == kind]


def showing(node):
    try:
        return node.getState().contains(pyatspi.STATE_SHOWING)
    except Exception:
        return False


def states(node):
    return {pyatspi.stateToString(s) for s in node.getState().getStates()}


def key_bindings(node):
    try:
        actions = node.queryAction()
    except NotImplementedError:
        return []
    return [actions.getKeyBinding(i) for i in range(actions.nActions) if actions.getKeyBinding(i)]
