// SPDX-License-Identifier: GPL-3.0-or-later
// Button faces, the button-bar glyphs, the list glyphs and the browse-button pictures.

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>
#include <vector>

#include "pictures/drawing.h"

namespace pictures {

// ---------------------------------------------------------------------------------------------
// Button faces: normal, under the mouse, pressed.

void DrawButtonFace(QPainter& painter, const QRectF& box, Face face) {
    const QRectF outer = box.adjusted(0.5, 0.5, -0.5, -0.5);
    const double radius = 6.0;

    QColor top(238, 243, 250), bottom(190, 205, 226), border(112, 132, 164);
    if (face == Face::Over) {
        top = QColor(250, 252, 255);
        bottom = QColor(212, 225, 243);
        border = QColor(214, 160, 30);
    } else if (face == Face::Pressed) {
        top = QColor(176, 193, 218);
        bottom = QColor(214, 225, 240);
        border = QColor(88, 106, 138);
    }

    QLinearGradient body(outer.topLeft(), outer.bottomLeft());
    body.setColorAt(0.0, top);
    body.setColorAt(0.5, Mix(top, bottom, 0.45));
    body.setColorAt(0.52, Mix(top, bottom, 0.7));
    body.setColorAt(1.0, bottom);
    painter.setPen(QPen(border, 1.0));
    painter.setBrush(body);
    painter.drawRoundedRect(outer, radius, radius);

    // The glossy upper half (sunk in when pressed, so only a soft lower light remains).
    if (face != Face::Pressed) {
        const QRectF gloss = outer.adjusted(2, 1.5, -2, -outer.height() / 2 - 0.5);
        QLinearGradient shine(gloss.topLeft(), gloss.bottomLeft());
        shine.setColorAt(0.0, QColor(255, 255, 255, 230));
        shine.setColorAt(1.0, QColor(255, 255, 255, 40));
        painter.setPen(Qt::NoPen);
        painter.setBrush(shine);
        painter.drawRoundedRect(gloss, radius - 2, radius - 2);
    } else {
        QLinearGradient shade(outer.topLeft(), outer.topLeft() + QPointF(0, 6));
        shade.setColorAt(0.0, QColor(40, 60, 90, 90));
        shade.setColorAt(1.0, QColor(40, 60, 90, 0));
        painter.setPen(Qt::NoPen);
        painter.setBrush(shade);
        painter.drawRoundedRect(outer.adjusted(1, 1, -1, -1), radius - 1, radius - 1);
    }

    if (face == Face::Over) {
        // A warm inner glow ring that matches the yellow header.
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(255, 214, 90, 160), 1.5));
        painter.drawRoundedRect(outer.adjusted(1.5, 1.5, -1.5, -1.5), radius - 1.5, radius - 1.5);
    } else if (face == Face::Normal) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(255, 255, 255, 150), 1.0));
        painter.drawRoundedRect(outer.adjusted(1, 1, -1, -1), radius - 1, radius - 1);
    }
}

QImage ButtonFaceStrip(int faceWidth, int faceHeight) {
    return FaceStrip(faceWidth, faceHeight, [&](QPainter& painter, Face face) {
        DrawButtonFace(painter, QRectF(0, 0, faceWidth, faceHeight), face);
    });
}

QImage DrawNew3d() {
    return ButtonFaceStrip(105, 30);
}

QImage DrawNewLong() {
    return ButtonFaceStrip(310, 30);
}

// The round side buttons: glossy balls with the same palette as the wide buttons.
QImage DrawSmallBalls() {
    return FaceStrip(30, 30, [](QPainter& painter, Face face) {
        const QPointF centre(15, 15);
        const double radius = 14.0;

        QColor light(246, 249, 255), dark(160, 180, 210), border(104, 124, 158);
        QPointF focus(11, 9);
        if (face == Face::Over) {
            light = QColor(255, 255, 255);
            dark = QColor(190, 208, 232);
            border = QColor(214, 160, 30);
        } else if (face == Face::Pressed) {
            light = QColor(220, 230, 244);
            dark = QColor(150, 170, 200);
            border = QColor(84, 102, 134);
            focus = QPointF(17, 20);
        }
        QRadialGradient body(centre, radius, focus);
        body.setColorAt(0.0, light);
        body.setColorAt(1.0, dark);
        painter.setBrush(body);
        painter.setPen(QPen(border, 1.0));
        painter.drawEllipse(centre, radius, radius);

        if (face != Face::Pressed) DrawShine(painter, QRectF(6, 2.2, 18, 12), 2, 15, 220);
        if (face == Face::Over) {
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(QColor(255, 214, 90, 170), 1.5));
            painter.drawEllipse(centre, radius - 1.5, radius - 1.5);
        }
    });
}

// ---------------------------------------------------------------------------------------------
// Button-bar glyphs, 12 x 11

QImage DrawGlyphRight() {
    return ShadowedGlyph({
        "............",
        "....#.......",
        "....##......",
        "....###.....",
        "....####....",
        "....#####...",
        "....####....",
        "....###.....",
        "....##......",
        "....#.......",
        "............",
    });
}

QImage DrawGlyphLeft() {
    return ShadowedGlyph({
        "............",
        ".......#....",
        "......##....",
        ".....###....",
        "....####....",
        "...#####....",
        "....####....",
        ".....###....",
        "......##....",
        ".......#....",
        "............",
    });
}

QImage DrawGlyphPause() {
    return ShadowedGlyph({
        "............",
        "..###..###..",
        "..###..###..",
        "..###..###..",
        "..###..###..",
        "..###..###..",
        "..###..###..",
        "..###..###..",
        "..###..###..",
        "..###..###..",
        "............",
    });
}

// ---------------------------------------------------------------------------------------------
// The six list glyphs, 16 x 16 each: plus, minus, blank sheet, circling arrows, up, down.

QImage GlyphPlus() {
    return FromPixelRows({
        "................",
        ".....rrrrrr.....",
        ".....rRRRRr.....",
        ".....rRRRRr.....",
        ".....rRRRRr.....",
        ".rrrrrRRRRrrrrr.",
        ".rRRRRRRRRRRRRr.",
        ".rRRRRRRRRRRRRr.",
        ".rRRRRRRRRRRRRr.",
        ".rRRRRRRRRRRRRr.",
        ".rrrrrRRRRrrrrr.",
        ".....rRRRRr.....",
        ".....rRRRRr.....",
        ".....rRRRRr.....",
        ".....rrrrrr.....",
        "................",
    });
}

QImage GlyphMinus() {
    return FromPixelRows({
        "................",
        "................",
        "................",
        "................",
        "................",
        ".rrrrrrrrrrrrrr.",
        ".rRRRRRRRRRRRRr.",
        ".rRRRRRRRRRRRRr.",
        ".rRRRRRRRRRRRRr.",
        ".rRRRRRRRRRRRRr.",
        ".rrrrrrrrrrrrrr.",
        "................",
        "................",
        "................",
        "................",
        "................",
    });
}

QImage GlyphBlankSheet() {
    return FromPixelRows({
        "................",
        "..KKKKKKKKK.....",
        "..KWWWWWWWKK....",
        "..KWWWWWWWKsK...",
        "..KWWWWWWWKssK..",
        "..KWWWWWWWKKKKd.",
        "..KWWWWWWWWWWKd.",
        "..KWWWWWWWWWWKd.",
        "..KWWWWWWWWWWKd.",
        "..KWWWWWWWWWWKd.",
        "..KWWWWWWWWWWKd.",
        "..KWWWWWWWWWWKd.",
        "..KWWWWWWWWWWKd.",
        "..KWWWWWWWWWWKd.",
        "..KKKKKKKKKKKKd.",
        "...dddddddddddd.",
    });
}

// A red arrow over the top running clockwise, and the same arrow turned half round in green.
QImage GlyphCirclingArrows() {
    QImage image = FromPixelRows({
        "................",
        ".....RRRRR......",
        "...RRRRRRRRR....",
        "..RRR.....RRR...",
        ".RRR.......RR...",
        ".RR.......RRRRR.",
        ".RR........RRR..",
        "............R...",
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
    });
    const QImage turned = image.mirrored(true, true);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (turned.pixelColor(x, y).alpha() != 0) image.setPixelColor(x, y, PaletteColour('g'));
        }
    }
    return image;
}

QImage GlyphArrowUp() {
    return FromPixelRows({
        "................",
        ".......rr.......",
        "......rRRr......",
        ".....rRRRRr.....",
        "....rRRRRRRr....",
        "...rRRRRRRRRr...",
        "..rRRRRRRRRRRr..",
        ".rRRRRRRRRRRRRr.",
        ".rrrrrRRRRrrrrr.",
        ".....rRRRRr.....",
        ".....rRRRRr.....",
        ".....rRRRRr.....",
        ".....rRRRRr.....",
        ".....rRRRRr.....",
        ".....rrrrrr.....",
        "................",
    });
}

QImage GlyphArrowDown() {
    return GlyphArrowUp().mirrored(false, true);
}

QImage DrawListGlyphs() {
    return JoinFrames({GlyphPlus(), GlyphMinus(), GlyphBlankSheet(), GlyphCirclingArrows(),
                       GlyphArrowUp(), GlyphArrowDown()});
}

// ---------------------------------------------------------------------------------------------
// Browse-button pictures, 12 x 12

QImage DrawBrowseOpen() {
    return FromPixelRows({
        "............",
        "............",
        ".KKKK.......",
        "KyyyyKKKKKK.",
        "KyyyyyyyyyK.",
        "KyKKKKKKKKKK",
        "KyKYYYYYYYK.",
        "KKYYYYYYYYK.",
        "KKYYYYYYYK..",
        "KYYYYYYYYK..",
        "KKKKKKKKK...",
        "............",
    });
}

QImage DrawBrowseFolder() {
    return FromPixelRows({
        "............",
        "............",
        ".KKKK.......",
        "KWYYWKKKKKK.",
        "KWWWWWWWWWK.",
        "KWYYYYYYYYK.",
        "KWYYYYYYYYK.",
        "KWYYYYYYYYK.",
        "KWYYYYYYYYK.",
        "KyyyyyyyyyK.",
        "KKKKKKKKKKK.",
        "............",
    });
}

QImage DrawBrowseSave() {
    return FromPixelRows({
        "KKKKKKKKKK..",
        "KbsssKssbbK.",
        "KbsssKssbbbK",
        "KbsssKssbbbK",
        "KbssssssbbbK",
        "KbbbbbbbbbbK",
        "KbWWWWWWWWbK",
        "KbWddddddWbK",
        "KbWWWWWWWWbK",
        "KbWddddddWbK",
        "KbWWWWWWWWbK",
        "KKKKKKKKKKKK",
    });
}

}  // namespace pictures
