// SPDX-License-Identifier: GPL-3.0-or-later
// Helpers shared by every picture family: images, frames, the classic palette.

#include <QPainter>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "pictures/drawing.h"

namespace pictures {

QImage NewImage(int width, int height, QColor ground) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(ground);
    return image;
}

void StartPainter(QPainter& painter, QImage& image) {
    painter.begin(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

// Lays equal frames side by side in one row.
QImage JoinFrames(const std::vector<QImage>& frames) {
    const int width = frames.front().width();
    const int height = frames.front().height();
    QImage strip = NewImage(width * static_cast<int>(frames.size()), height);
    QPainter painter(&strip);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (size_t i = 0; i < frames.size(); ++i) {
        painter.drawImage(static_cast<int>(i) * width, 0, frames[i]);
    }
    return strip;
}

QImage FaceStrip(int width, int height, const std::function<void(QPainter&, Face)>& draw) {
    std::vector<QImage> frames;
    for (Face face : {Face::Normal, Face::Over, Face::Pressed}) {
        QImage frame = NewImage(width, height);
        QPainter painter;
        StartPainter(painter, frame);
        draw(painter, face);
        painter.end();
        frames.push_back(frame);
    }
    return JoinFrames(frames);
}

void DrawShine(QPainter& painter, const QRectF& area, double fromY, double toY, int topAlpha,
               int bottomAlpha) {
    const double x = area.center().x();
    QLinearGradient shine(QPointF(x, fromY), QPointF(x, toY));
    shine.setColorAt(0.0, QColor(255, 255, 255, topAlpha));
    shine.setColorAt(1.0, QColor(255, 255, 255, bottomAlpha));
    painter.setPen(Qt::NoPen);
    painter.setBrush(shine);
    painter.drawEllipse(area);
}

double Lerp(double from, double to, double t) {
    return from + (to - from) * t;
}

QColor Mix(QColor from, QColor to, double t) {
    return QColor::fromRgbF(Lerp(from.redF(), to.redF(), t), Lerp(from.greenF(), to.greenF(), t),
                            Lerp(from.blueF(), to.blueF(), t), Lerp(from.alphaF(), to.alphaF(), t));
}

double SmoothStep(double t) {
    return t * t * (3.0 - 2.0 * t);
}

// The sixteen colours of the classic palette, keyed by one letter each, for the small glyphs
// that are drawn pixel by pixel.
QColor PaletteColour(char key) {
    switch (key) {
        case 'K':
            return QColor(0, 0, 0);
        case 'r':
            return QColor(128, 0, 0);
        case 'g':
            return QColor(0, 128, 0);
        case 'y':
            return QColor(128, 128, 0);
        case 'b':
            return QColor(0, 0, 128);
        case 'p':
            return QColor(128, 0, 128);
        case 'c':
            return QColor(0, 128, 128);
        case 's':
            return QColor(192, 192, 192);
        case 'd':
            return QColor(128, 128, 128);
        case 'R':
            return QColor(255, 0, 0);
        case 'G':
            return QColor(0, 255, 0);
        case 'Y':
            return QColor(255, 255, 0);
        case 'B':
            return QColor(0, 0, 255);
        case 'P':
            return QColor(255, 0, 255);
        case 'C':
            return QColor(0, 255, 255);
        case 'W':
            return QColor(255, 255, 255);
        default:
            return Qt::transparent;
    }
}

// A picture given as rows of palette letters; '.' is transparent.
QImage FromPixelRows(std::initializer_list<const char*> rows) {
    const int height = static_cast<int>(rows.size());
    const int width = static_cast<int>(std::strlen(*rows.begin()));
    QImage image = NewImage(width, height);
    int y = 0;
    for (const char* row : rows) {
        if (static_cast<int>(std::strlen(row)) != width) {
            std::fprintf(stderr, "pixel row %d has the wrong length\n", y);
            std::exit(1);
        }
        for (int x = 0; x < width; ++x) image.setPixelColor(x, y, PaletteColour(row[x]));
        ++y;
    }
    return image;
}

// A glyph shape ('#' rows) in dark blue with a black shadow one pixel down and right.
QImage ShadowedGlyph(std::initializer_list<const char*> shape) {
    const int height = static_cast<int>(shape.size());
    const int width = static_cast<int>(std::strlen(*shape.begin()));
    QImage image = NewImage(width, height);
    for (int pass = 0; pass < 2; ++pass) {
        const int shift = pass == 0 ? 1 : 0;
        const QColor colour = pass == 0 ? PaletteColour('K') : QColor(0, 0, 140);
        int y = 0;
        for (const char* row : shape) {
            for (int x = 0; x < width; ++x) {
                if (row[x] == '#' && x + shift < width && y + shift < height) {
                    image.setPixelColor(x + shift, y + shift, colour);
                }
            }
            ++y;
        }
    }
    return image;
}

}  // namespace pictures
