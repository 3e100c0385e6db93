// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QtGlobal>

// Colour checks on grabbed widgets, shared by the widget tests.

inline bool Near(const QColor& a, const QColor& b, int tolerance = 24) {
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance &&
           qAbs(a.blue() - b.blue()) <= tolerance;
}

// Counts the pixels of `area` close to `colour`.
inline int CountNear(const QImage& image, const QRect& area, const QColor& colour,
                     int tolerance = 24) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            n += Near(image.pixelColor(x, y), colour, tolerance) ? 1 : 0;
        }
    }
    return n;
}
