# SPDX-License-Identifier: GPL-3.0-or-later
"""The combine journey: a list built through the real add dialog, ordered with the side buttons
and the shortcuts, and combined; the list's order is read off the screen."""

import os
import time

from xsession import *  # noqa: F401,F403 (the layout constants and helpers)

# A column of the list right of the longest entry's text, where a row shows only its
# background (white, or the selection's colour).
SPARE_X = 445


def list_row(row):
    return (LIST_LEFT + 100, LIST_TOP + 2 + LIST_ROW * row + LIST_ROW // 2)


def row_extent(s, pixels, row):
    """Where an entry's text ends: the rightmost column that stands out from the entry's
    background by more than half the text's contrast (light on dark when selected)."""
    x0 = s.origin[0] + LIST_LEFT + 3
    y0 = s.origin[1] + LIST_TOP + 2 + LIST_ROW * row
    background = sum(pixels.at(x0 + SPARE_X, y0 + LIST_ROW // 2))
    contrast = max(background, 765 - background)
    for dx in range(400, -1, -1):
        for dy in range(2, LIST_ROW - 2):
            if abs(sum(pixels.at(x0 + dx, y0 + dy)) - background) > contrast / 2:
                return dx
    return -1


def read_list(s, pixels, rows):
    """The entries of the first rows, each known by where its text ends (the file names
    differ in length by far more than a selection or smoothing can change); and the
    selected row."""
    order, selected = "", None
    for row in range(rows):
        extent = row_extent(s, pixels, row)
        order += min(s.extents, key=lambda n: abs(s.extents[n] - extent))
        x = s.origin[0] + LIST_LEFT + 3 + SPARE_X
        y = s.origin[1] + LIST_TOP + 2 + LIST_ROW * row + LIST_ROW // 2
        if not near((255, 255, 255), 30)(pixels.at(x, y)):
            selected = row
    return order, selected


def list_settled(s):
    """The list's rows look the same twice, 150 ms apart (the animation beside it never
    settles)."""
    first = [row_extent(s, s.pixels(), row) for row in range(3)]
    time.sleep(0.15)
    return first == [row_extent(s, s.pixels(), row) for row in range(3)]


def expect_list(s, order, selected):
    seen = []
    def probe():
        seen[:] = [read_list(s, s.pixels(), len(order))]
        return seen[0] == (order, selected)
    try:
        s.wait_for(probe, 5, "the list %s" % order, interval=0.1)
    except Failure:
        s.shot("unexpected_list")
        raise Failure("expected the list %s with row %s selected, the screen shows %s" %
                      (order, selected, seen[0] if seen else None))


def combine(s):
    # Names of clearly different lengths, so that the list's order can be read off the
    # screen; the dialog's names are sorted, so a b c as typed c a b.
    names = {n: n * (1 + 10 * i) + ".bin" for i, n in enumerate("abcd")}
    inputs = {n: pattern(10 + i, size) for i, (n, size) in
              enumerate([("a", 3000), ("b", 4500), ("c", 1), ("d", 7777)])}
    for n, data in inputs.items():
        s.write_file(names[n], data)
    old = time.time() - 3600
    os.utime(os.path.join(s.work, names["a"]), (old, old))
    output = os.path.join(s.work, "out", "deeper", "combined.bin")

    s.click(RB_COMBINE)
    s.click(NEXT_SLOT)
    s.expect_page("combine")

    # Three files in one use of the add dialog: first into the folder, then their names.
    s.click(BTN_ADD)
    dialog = s.wait_dialog("Select files to add", "the add dialog")
    s.shot("add_dialog")
    s.key("ctrl+a")
    s.type_text(s.work + "/")
    s.key("Return")
    time.sleep(0.3)
    s.key("ctrl+a")
    s.type_text('"%s" "%s" "%s"' % (names["c"], names["a"], names["b"]))
    s.shot("add_dialog_three_names")
    s.key("Return")
    s.wait_dialog_gone(dialog, "the add dialog")
    s.shot("list_a_b_c")

    # The look of each entry, to read the list's order from the screen from now on.
    s.wait_for(lambda: list_settled(s), 5, "the list to be painted")
    s.extents = {n: row_extent(s, s.pixels(), row)
                    for row, n in enumerate(["a", "b", "c"])}
    expect_list(s, "abc", None)

    # Order it with the shortcuts and the side buttons; the list after each step.
    for action, target, order, selected in [
            ("click", list_row(0), "abc", 0),
            ("key", "ctrl+Down", "bac", 1),
            ("key", "ctrl+Down", "bca", 2),
            ("click", list_row(0), "bca", 0),
            ("click", BTN_MOVE_DOWN, "cba", 1),
            ("key", "ctrl+r", "abc", None),
            ("click", list_row(2), "abc", 2),
            ("click", BTN_MOVE_UP, "acb", 1),
            ("key", "ctrl+Up", "cab", 0)]:
        if action == "click":
            s.click(target)
        else:
            s.key(target)
        expect_list(s, order, selected)
        s.shot("list_%s_after_%s" % (order, target if action == "key" else "click"))
    # A full path typed until the dialog's completion list opens, then Return: the dialog
    # closes and leaves nothing behind, so Ctrl+Insert at once opens it again.
    s.key("ctrl+Insert")
    dialog = s.wait_dialog("Select files to add", "the add dialog")
    s.key("ctrl+a")
    s.type_text(os.path.join(s.work, names["d"]))
    s.wait_for(lambda: len(s.app_windows()) == 3, 10, "the completion list to open")
    s.shot("add_dialog_completion_list")
    s.key("Return")
    s.wait_dialog_gone(dialog, "the add dialog")
    s.key("ctrl+Insert")
    dialog = s.wait_dialog("Select files to add", "the add dialog, at once again")
    s.key("ctrl+a")
    s.type_text(names["a"])
    s.key("Return")
    s.wait_dialog_gone(dialog, "the add dialog")
    s.expect_nothing_but_the_main_window()
    s.extents["d"] = row_extent(s, s.pixels(), 3)
    expect_list(s, "cabda", 0)  # the new entries are not selected
    # The keyboard is back in the list.
    s.key("End")
    expect_list(s, "cabda", 4)
    s.shot("list_cabda")

    # Start without an output, one click: the information box, then the focus on the output
    # field.
    s.click(NEXT_SLOT)
    box = s.message_box("information", "no output message")
    s.key("Return")
    s.wait_dialog_gone(box, "the message box")
    s.type_text(output)
    s.shot("combine_settings_complete")
    s.click(NEXT_SLOT)
    s.expect_page("done-ok", 60)
    s.shot("combine_done")
    if read(output) != b"".join(inputs[n] for n in "cabda"):
        raise Failure("the combined file is not c+a+b+d+a")
    if abs(os.path.getmtime(output) - old) > 2:
        raise Failure("the combined file does not carry the last input's time")
    log("combined file matches c+a+b+d+a and carries a's time")

    s.click(BTN_START_OVER)
    s.expect_page("task")
