// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The keys of the window's image buttons. The buttons never take the focus, so each has a key
// instead: Alt plus a letter of its caption, one for every caption it can show, unique on every
// page; the glyph-only buttons of the combine list have the list shortcuts of the hidden menu.
// The window's event filter runs them as it runs the hidden menu's shortcuts: a button's key is
// taken from whichever control has the focus, and presses the button, as a click does, only
// while the button is shown and enabled.

#include <QKeyCombination>
#include <QKeySequence>
#include <QString>

class QKeyEvent;
class ImageButton;
class TfmMain;

// Gives every image button of the window its keys. Runs after the hidden menu exists.
void GiveButtonsTheirKeys(TfmMain& fm);

// A key press as a shortcut compares it: the key with Shift, Ctrl, Alt and Meta.
QKeyCombination PressedKeys(const QKeyEvent& key);
// Whether `pressed` is a key of any image button of `fm`, for any caption, shown or not.
bool IsButtonKey(const TfmMain& fm, QKeyCombination pressed);
// The button that `pressed` presses now: shown, enabled, and with `pressed` as the key of the
// caption it shows. Null when there is none.
ImageButton* ButtonForKey(const TfmMain& fm, QKeyCombination pressed);

// How people read the key: "Alt+N", "Shift+Ctrl+Delete".
QString KeyText(const QKeySequence& key);
// How the desktop's accessibility bus writes a key binding: "<Alt>n", "<Shift><Control>Delete".
QString KeyBindingName(const QKeySequence& key);
