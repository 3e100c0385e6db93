// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

// `text` in `font` on at most `maxLines` lines no wider than `width` pixels: broken at blanks
// where it can be and inside a word that is too wide for a line by itself. When even that
// takes more lines, the middle of the quoted name (of the whole text when there is none)
// gives way to "…", so that its start, its end and what follows it stay in sight. Nothing is
// ever cut inside a character (a surrogate pair, a letter with its combining marks).
QStringList FitToLines(const QString& text, const QFont& font, int width, int maxLines);

// `text` with every run without a blank that is wider than `width` pixels broken into lines
// no wider than that, between characters; all else as it is.
QString BreakWordsWiderThan(const QString& text, const QFont& font, int width);
