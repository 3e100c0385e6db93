// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a screen reader learns of the window through Qt's accessibility interface (QAccessible):
// a name and a role for every control. Qt's own interfaces serve the stock controls; the main
// window (a frame), the image and browse buttons (pressed through their press action, as they
// never take the keyboard focus, with their key as the press's key binding), the progress bar,
// the animations and the About window's link get interfaces of their own here.

class QLabel;
class TfmMain;

// Names the controls that show no text of their own (the glyph buttons, the browse buttons,
// the list, the progress bar, the outcome pictures) and ties each field to the label beside
// it. Run once, at the end of the window's construction.
void NameControlsForAccessibility(TfmMain& fm);

// Puts the interfaces of the window's own widgets in place; must come before Qt is first
// asked for an interface of one of them, so the window runs it before it makes any.
void InstallAccessibleWidgets();

// Tells assistive technology that the progress page's status line has a new text, so that a
// screen reader speaks it.
void AnnounceStatusLine(QLabel& line);
