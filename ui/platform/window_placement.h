// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

// Centres `window` on the desktop, title bar and border included, when it first shows, and
// once more when a window manager has put its frame around it (the frame's size is unknown
// until then). Later showings and moves by the user are left alone.
void KeepCentredOnFirstShow(QWidget* window);
