// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a screen reader learns of the program's own widgets through Qt's accessibility
// interface (QAccessible). Qt's own interfaces serve the stock controls; the main window (a
// frame), the image and browse buttons (pressed through their press action, as they never take
// the keyboard focus, with their key as the press's key binding), the progress bar, the
// animations, the status line and the About window's link get interfaces of their own here.

class QLabel;

// Puts the interfaces in place; must come before Qt is first asked for an interface of one of
// the widgets, so each window runs it before it makes any.
void InstallAccessibleWidgets();

// Tells assistive technology that the progress page's status line has a new text, so that a
// screen reader speaks it.
void AnnounceStatusLine(QLabel& line);
