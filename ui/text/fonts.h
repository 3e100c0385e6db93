// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>

// The window's faces at their pixel sizes. The named Windows faces are mapped to free
// metric-compatible ones (Liberation Sans) by InstallFontSubstitutes().
void InstallFontSubstitutes();
QFont WindowFont();     // "MS Sans Serif", 11 px
QFont BoldLabelFont();  // bold sans-serif, 13 px (step labels, status, outcome)
QFont HeaderFont();     // bold "Arial", 21 px
QFont PercentFont();    // bold "MS Sans Serif", 11 px
