// SPDX-License-Identifier: GPL-3.0-or-later
// The header pieces (ramp, product icon, badge and ribbon tails) and the outcome pictures.

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTransform>
#include <algorithm>
#include <array>
#include <cmath>

#include "pictures/drawing.h"

namespace pictures {

// ---------------------------------------------------------------------------------------------
// Header pieces

QImage DrawHeaderRamp() {
    constexpr int kHeight = 142;
    constexpr int kWhiteFrom = 71;
    QImage image = NewImage(1, kHeight, Qt::white);
    for (int y = 0; y < kWhiteFrom; ++y) {
        const double t = static_cast<double>(y) / kWhiteFrom;
        image.setPixelColor(0, y,
                            QColor(255, 255, static_cast<int>(std::lround(Lerp(77, 255, t)))));
    }
    return image;
}

// The product icon, drawn on a 256-unit square: a sheet cut into three parts with a pair of
// scissors in the first cut.
void DrawProductIconUnits(QPainter& painter) {
    const QColor ink(44, 70, 120);
    const std::array<double, 3> shifts = {-8.0, 6.0, -3.0};
    const double left = 34, width = 136, pieceHeight = 60, gap = 13, top = 22, fold = 30;
    for (int i = 0; i < 3; ++i) {
        const QRectF piece(left + shifts[i], top + i * (pieceHeight + gap), width, pieceHeight);
        QPainterPath outline;
        if (i == 0) {
            outline.moveTo(piece.bottomLeft());
            outline.lineTo(piece.topLeft());
            outline.lineTo(piece.right() - fold, piece.top());
            outline.lineTo(piece.right(), piece.top() + fold);
            outline.lineTo(piece.bottomRight());
            outline.closeSubpath();
        } else {
            outline.addRect(piece);
        }
        // A soft shadow below and to the right.
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(20, 30, 60, 50));
        painter.drawPath(outline.translated(5, 6));

        QLinearGradient paper(piece.topLeft(), piece.bottomRight());
        paper.setColorAt(0.0, QColor(255, 255, 255));
        paper.setColorAt(1.0, QColor(214, 226, 244));
        painter.setPen(QPen(ink, 6, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.setBrush(paper);
        painter.drawPath(outline);
        if (i == 0) {
            QPainterPath corner;
            corner.moveTo(piece.right() - fold, piece.top());
            corner.lineTo(piece.right() - fold, piece.top() + fold);
            corner.lineTo(piece.right(), piece.top() + fold);
            corner.closeSubpath();
            painter.setBrush(QColor(186, 204, 232));
            painter.drawPath(corner);
        }
        // Lines of text, each part a different colour so the parts read as numbered pieces.
        static const std::array<QColor, 3> kLineColours = {QColor(220, 50, 40), QColor(236, 160, 0),
                                                           QColor(40, 150, 60)};
        painter.setPen(QPen(kLineColours[i], 9, Qt::SolidLine, Qt::RoundCap));
        const double lineRight = piece.right() - (i == 0 ? fold + 10 : 18);
        painter.drawLine(QPointF(piece.left() + 18, piece.top() + 20),
                         QPointF(lineRight, piece.top() + 20));
        painter.setPen(QPen(QColor(150, 166, 196), 8, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(piece.left() + 18, piece.top() + 40),
                         QPointF(piece.right() - 40, piece.top() + 40));
    }

    // Scissors with the blades in the first cut, handles off the sheet to the right.
    painter.save();
    painter.translate(186, 90);
    painter.rotate(-6);
    for (int side = -1; side <= 1; side += 2) {
        painter.save();
        painter.rotate(side * 7);
        // Shank and ring handle, below the blades.
        const QPointF ring(40, side * 34.0);
        const QPointF shankEnd = ring - QPointF(12, side * 10.0);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(120, 16, 16), 18, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(0, 0), shankEnd);
        painter.drawEllipse(ring, 19, 16);
        painter.setPen(QPen(QColor(226, 46, 40), 11, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(0, 0), shankEnd);
        painter.drawEllipse(ring, 19, 16);
        painter.setPen(QPen(QColor(255, 150, 130), 3, Qt::SolidLine, Qt::RoundCap));
        painter.drawArc(QRectF(ring.x() - 19, ring.y() - 16, 38, 32), 70 * 16, 70 * 16);

        // A blade: straight cutting edge towards the other blade, curved back.
        QPainterPath blade;
        blade.moveTo(14, -side * 11.0);
        blade.quadTo(-40, -side * 15.0, -100, 0);
        blade.lineTo(14, side * 3.0);
        blade.closeSubpath();
        QLinearGradient steel(QPointF(0, -side * 10.0), QPointF(0, side * 3.0));
        steel.setColorAt(0.0, QColor(170, 180, 198));
        steel.setColorAt(1.0, QColor(250, 251, 254));
        painter.setPen(QPen(QColor(50, 56, 74), 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(steel);
        painter.drawPath(blade);
        painter.restore();
    }
    painter.setPen(QPen(QColor(50, 56, 74), 3.5));
    painter.setBrush(QColor(236, 238, 244));
    painter.drawEllipse(QPointF(0, 0), 7, 7);
    painter.restore();
}

QImage DrawProductIcon(int size) {
    QImage image = NewImage(size, size);
    QPainter painter;
    StartPainter(painter, image);
    painter.scale(size / 256.0, size / 256.0);
    DrawProductIconUnits(painter);
    painter.end();
    return image;
}

// The badge and the ribbon tails are one picture of 64 x 108 cut in two: the badge is the
// top 74 rows, in the header; the tails are the 34 rows below, at the top of each page.
constexpr int kBadgeHeight = 74;
constexpr int kTailsHeight = 34;

void DrawRibbon(QPainter& painter, int side) {
    // side -1: the left ribbon, +1: the right one (mirrored about the middle).
    painter.save();
    if (side > 0) {
        painter.translate(64, 0);
        painter.scale(-1, 1);
    }
    const QPointF topLeft(21, 30), topRight(35, 32), bottomLeft(7, 106), bottomRight(21, 106);
    const QPointF notch(14.5, 99);
    QPainterPath ribbon;
    ribbon.moveTo(topLeft);
    ribbon.lineTo(topRight);
    ribbon.lineTo(bottomRight);
    ribbon.lineTo(notch);
    ribbon.lineTo(bottomLeft);
    ribbon.closeSubpath();

    QLinearGradient across(QPointF(10, 70), QPointF(27, 72));
    const QColor deep = side < 0 ? QColor(18, 52, 150) : QColor(24, 62, 168);
    const QColor bright = side < 0 ? QColor(58, 112, 226) : QColor(70, 126, 236);
    across.setColorAt(0.0, deep);
    across.setColorAt(0.45, bright);
    across.setColorAt(1.0, deep);
    painter.setPen(QPen(QColor(10, 30, 96), 1.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    painter.setBrush(across);
    painter.drawPath(ribbon);

    // A pale stripe down the middle of the ribbon.
    painter.setPen(QPen(QColor(200, 220, 255, 200), 1.6, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(Lerp(topLeft.x(), topRight.x(), 0.5) * 1.0, 31.0, 14.0, 101.0);
    painter.restore();
}

void DrawRosette(QPainter& painter) {
    const QPointF centre(32, 27);
    constexpr int kPleats = 24;
    const double outer = 26.0, inner = 21.5;
    // Pleated blue ring with a scalloped rim.
    QPainterPath rim;
    for (int i = 0; i <= kPleats; ++i) {
        const double a = 2 * kPi * i / kPleats;
        const double mid = 2 * kPi * (i - 0.5) / kPleats;
        const QPointF point = centre + QPointF(std::cos(a), std::sin(a)) * (outer - 1.8);
        const QPointF bulge = centre + QPointF(std::cos(mid), std::sin(mid)) * (outer + 1.2);
        if (i == 0) {
            rim.moveTo(point);
        } else {
            rim.quadTo(bulge, point);
        }
    }
    rim.closeSubpath();
    painter.setPen(QPen(QColor(10, 30, 96), 1.0));
    painter.setBrush(QColor(40, 84, 196));
    painter.drawPath(rim);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < kPleats; ++i) {
        const double a0 = 2 * kPi * (i - 0.5) / kPleats;
        const double a1 = 2 * kPi * (i + 0.5) / kPleats;
        QPainterPath pleat;
        pleat.moveTo(centre + QPointF(std::cos(a0), std::sin(a0)) * inner);
        pleat.lineTo(centre + QPointF(std::cos(a0), std::sin(a0)) * (outer - 1.5));
        pleat.lineTo(centre + QPointF(std::cos(a1), std::sin(a1)) * (outer - 1.5));
        pleat.lineTo(centre + QPointF(std::cos(a1), std::sin(a1)) * inner);
        pleat.closeSubpath();
        // Light from the upper left: pleats facing it are brighter.
        const double facing = 0.5 + 0.5 * std::cos((a0 + a1) / 2 + 3 * kPi / 4);
        const QColor base = i % 2 == 0 ? QColor(64, 118, 232) : QColor(34, 78, 190);
        painter.setBrush(Mix(base.darker(135), base.lighter(125), facing));
        painter.drawPath(pleat);
    }

    // Gold medal with a star.
    QRadialGradient gold(centre, 19, centre + QPointF(-6, -7));
    gold.setColorAt(0.0, QColor(255, 246, 176));
    gold.setColorAt(0.6, QColor(246, 196, 48));
    gold.setColorAt(1.0, QColor(178, 122, 10));
    painter.setPen(QPen(QColor(128, 82, 0), 1.0));
    painter.setBrush(gold);
    painter.drawEllipse(centre, 17.5, 17.5);
    painter.setPen(QPen(QColor(255, 236, 150), 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(centre, 14.0, 14.0);

    QPainterPath star;
    for (int i = 0; i < 10; ++i) {
        const double a = -kPi / 2 + kPi * i / 5;
        const double r = i % 2 == 0 ? 10.5 : 4.4;
        const QPointF point = centre + QPointF(std::cos(a), std::sin(a)) * r + QPointF(0, 0.8);
        if (i == 0) {
            star.moveTo(point);
        } else {
            star.lineTo(point);
        }
    }
    star.closeSubpath();
    painter.setPen(QPen(QColor(150, 96, 0), 1.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    painter.setBrush(QColor(255, 252, 228));
    painter.drawPath(star);
}

QImage BadgeWithTails() {
    QImage image = NewImage(64, kBadgeHeight + kTailsHeight);
    QPainter painter;
    StartPainter(painter, image);
    DrawRibbon(painter, -1);
    DrawRibbon(painter, +1);
    DrawRosette(painter);
    painter.end();
    return image;
}

QImage DrawBadge() {
    return BadgeWithTails().copy(0, 0, 64, kBadgeHeight);
}

QImage DrawRibbonTails() {
    return BadgeWithTails().copy(0, kBadgeHeight, 64, kTailsHeight);
}

// ---------------------------------------------------------------------------------------------
// Outcome pictures, 32 x 32

QImage DrawDoneOk() {
    QImage image = NewImage(32, 32);
    QPainter painter;
    StartPainter(painter, image);
    const QPointF centre(16, 16);
    QRadialGradient disc(centre, 15, QPointF(11, 10));
    disc.setColorAt(0.0, QColor(150, 236, 120));
    disc.setColorAt(0.55, QColor(40, 170, 40));
    disc.setColorAt(1.0, QColor(0, 110, 0));
    painter.setPen(QPen(QColor(0, 86, 0), 1.2));
    painter.setBrush(disc);
    painter.drawEllipse(centre, 14.6, 14.6);

    DrawShine(painter, QRectF(7, 2.6, 18, 12), 2, 15, 170);

    QPainterPath tick;
    tick.moveTo(8.5, 16.5);
    tick.lineTo(13.8, 21.8);
    tick.lineTo(23.5, 10.5);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0, 70, 0, 120), 4.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(tick.translated(0.6, 0.9));
    painter.setPen(QPen(Qt::white, 3.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(tick);
    painter.end();
    return image;
}

QImage DrawDoneError() {
    QImage image = NewImage(32, 32);
    QPainter painter;
    StartPainter(painter, image);
    QPainterPath cross;
    for (double angle : {45.0, -45.0}) {
        QPainterPath bar;
        bar.addRoundedRect(QRectF(-14.5, -4.6, 29, 9.2), 2.5, 2.5);
        cross = cross.united(QTransform().translate(16, 16).rotate(angle).map(bar));
    }
    QLinearGradient fill(QPointF(4, 4), QPointF(28, 28));
    fill.setColorAt(0.0, QColor(255, 150, 70));
    fill.setColorAt(0.5, QColor(250, 80, 20));
    fill.setColorAt(1.0, QColor(210, 40, 0));
    painter.setPen(QPen(QColor(130, 0, 0), 1.5, Qt::SolidLine, Qt::SquareCap, Qt::RoundJoin));
    painter.setBrush(fill);
    painter.drawPath(cross);
    painter.end();
    return image;
}

}  // namespace pictures
