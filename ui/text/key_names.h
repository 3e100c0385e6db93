// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QKeySequence>
#include <QString>

// How people read the key: "Alt+N", "Shift+Ctrl+Delete".
QString KeyText(const QKeySequence& key);
// How the desktop's accessibility bus writes a key binding: "<Alt>n", "<Shift><Control>Delete".
QString KeyBindingName(const QKeySequence& key);
