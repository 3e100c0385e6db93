// SPDX-License-Identifier: GPL-3.0-or-later
// The program's icon in the sizes of the desktop's icon theme. From 48 pixels up the product
// icon's own drawing reads well; at 16 and 32 pixels its strokes and the scissors' blades
// would blur into each other, so those two sizes are drawn on the pixel grid: the three parts
// of the sheet with one coloured line each, and the scissors reduced to a blade in the first
// cut and two ring handles.

#include <QPainter>

#include "pictures/drawing.h"

namespace pictures {

namespace {

const QColor kInk(44, 70, 120);
const QColor kPaper(255, 255, 255);
const QColor kPaperShade(214, 226, 244);
const QColor kFold(186, 204, 232);
const QColor kTextGrey(150, 166, 196);
const QColor kShadow(20, 30, 60, 60);
const QColor kBladeDark(50, 56, 74);
const QColor kBladeLight(236, 238, 244);
const QColor kHandle(226, 46, 40);
const QColor kHandleDark(120, 16, 16);
const QColor kLineColours[3] = {QColor(220, 50, 40), QColor(236, 160, 0), QColor(40, 150, 60)};

// `unit` pixels per cell of a 16 x 16 grid: 1 at 16 pixels, 2 at 32.
QImage SmallIcon(int unit) {
    const int size = 16 * unit;
    QImage image = NewImage(size, size);
    QPainter painter(&image);
    // Cells are set, not blended: a transparent cell cuts a hole.
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const auto box = [&](int x, int y, int w, int h, const QColor& colour) {
        painter.fillRect(QRect(x, y, w, h), colour);
    };

    // The parts, left edges shifted as in the large icon, in grid cells.
    const int lefts[3] = {1, 2, 1};
    const int tops[3] = {1, 6, 11};
    const int width = 9 * unit;
    const int height = 4 * unit;
    for (int i = 0; i < 3; ++i) {
        const int x = lefts[i] * unit;
        const int y = tops[i] * unit;
        if (unit > 1) box(x + 1, y + 1, width, height, kShadow);
        box(x, y, width, height, kInk);
        box(x + 1, y + 1, width - 2, height - 2, kPaper);
        // A shaded band along the bottom, as the large icon's paper gradient ends.
        box(x + 1, y + height - 1 - unit / 2, width - 2, unit / 2, kPaperShade);
        if (i == 0) {
            // The folded corner.
            const int fold = 2 * unit;
            for (int k = 0; k < fold; ++k) {
                box(x + width - fold + k, y, fold - k, 1, Qt::transparent);
                box(x + width - fold + k, y + k, 1, 1, kInk);
            }
            if (unit > 1) box(x + width - fold, y + 1, 1, fold - 1, kInk);
            if (unit > 1) box(x + width - fold + 1, y + fold - 1, fold - 1, 1, kInk);
            if (unit > 1) box(x + width - fold + 1, y + 1, 1, fold - 2, kFold);
        }
        const int lineRight = i == 0 ? width - 2 * unit - 2 : width - 2 * unit;
        box(x + 2 * unit, y + unit, lineRight - 2 * unit, unit, kLineColours[i]);
        if (unit > 1) box(x + 2 * unit, y + 5, width - 6 * unit, 1, kTextGrey);
    }

    // The scissors: a closed blade reaching into the first cut, from the pivot at the right.
    const int cutY = 5 * unit;
    const int pivotX = 12 * unit;
    box(7 * unit, cutY, pivotX - 7 * unit + unit, unit, kBladeDark);
    if (unit > 1) box(7 * unit + 2, cutY, pivotX - 7 * unit - 2, 1, kBladeLight);
    // Shanks from the pivot to the two ring handles above and below the blade's line.
    box(pivotX, cutY - unit, unit, unit, kHandleDark);
    box(pivotX, cutY + unit, unit, unit, kHandleDark);
    if (unit == 1) {
        // Square rings of three pixels round a one-pixel hole.
        for (const int ringTop : {2, 6}) {
            box(13, ringTop, 3, 3, kHandle);
            box(14, ringTop + 1, 1, 1, Qt::transparent);
        }
    } else {
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setBrush(Qt::NoBrush);
        for (const double ringCentreY : {7.0, 17.0}) {
            const QPointF centre(28.0, ringCentreY);
            painter.setPen(QPen(kHandleDark, 3.0));
            painter.drawEllipse(centre, 2.6, 2.6);
            painter.setPen(QPen(kHandle, 1.6));
            painter.drawEllipse(centre, 2.6, 2.6);
        }
    }
    painter.end();
    return image;
}

}  // namespace

QImage DrawDesktopIcon(int size) {
    if (size < 48) return SmallIcon(size / 16);
    return DrawProductIcon(size);
}

}  // namespace pictures
