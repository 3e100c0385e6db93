// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QStringList>

// The window's faces at their pixel sizes. The named Windows faces are mapped to free
// metric-compatible ones (Liberation Sans) by InstallFontSubstitutes().
void InstallFontSubstitutes();
QFont WindowFont();     // "MS Sans Serif", 11 px
QFont BoldLabelFont();  // bold sans-serif, 13 px (step labels, status, outcome)
QFont HeaderFont();     // bold "Arial", 21 px
QFont PercentFont();    // bold "MS Sans Serif", 11 px

// `text` in `font` on at most `maxLines` lines no wider than `width` pixels: broken at blanks
// where it can be and inside a word that is too wide for a line by itself. When even that
// takes more lines, the middle of the quoted name (of the whole text when there is none)
// gives way to "…", so that its start, its end and what follows it stay in sight. Nothing is
// ever cut inside a character (a surrogate pair, a letter with its combining marks).
QStringList FitToLines(const QString& text, const QFont& font, int width, int maxLines);

// `text` with every run without a blank that is wider than `width` pixels broken into lines
// no wider than that, between characters; all else as it is.
QString BreakWordsWiderThan(const QString& text, const QFont& font, int width);
