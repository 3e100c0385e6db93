// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The picture families of partory_draw_pictures, each in its own file, and the helpers they
// share. Every picture is drawn by code, so the PNGs can always be drawn again.

#include <QColor>
#include <QImage>
#include <QRectF>
#include <functional>
#include <initializer_list>
#include <vector>

class QPainter;

namespace pictures {

constexpr double kPi = 3.14159265358979323846;

// common.cpp
QImage NewImage(int width, int height, QColor ground = Qt::transparent);
// Antialiased, with smooth transforms.
void StartPainter(QPainter& painter, QImage& image);
// Lays equal frames side by side in one row.
QImage JoinFrames(const std::vector<QImage>& frames);
double Lerp(double from, double to, double t);
QColor Mix(QColor from, QColor to, double t);
double SmoothStep(double t);
// The sixteen colours of the classic palette, keyed by one letter each.
QColor PaletteColour(char key);
// A picture given as rows of palette letters; '.' is transparent.
QImage FromPixelRows(std::initializer_list<const char*> rows);
// The three faces of a button (normal, under the mouse, pressed), each drawn on a fresh
// width x height frame, side by side.
enum class Face { Normal, Over, Pressed };
QImage FaceStrip(int width, int height, const std::function<void(QPainter&, Face)>& draw);
// The white gloss over the top of a round shape: an ellipse in `area` fading down from
// `topAlpha` at `fromY` to `bottomAlpha` at `toY`.
void DrawShine(QPainter& painter, const QRectF& area, double fromY, double toY, int topAlpha,
               int bottomAlpha = 0);
// A glyph shape ('#' rows) in dark blue with a black shadow one pixel down and right.
QImage ShadowedGlyph(std::initializer_list<const char*> shape);

// buttons.cpp
QImage DrawNew3d();
QImage DrawNewLong();
QImage DrawSmallBalls();
QImage DrawGlyphLeft();
QImage DrawGlyphRight();
QImage DrawGlyphPause();
QImage DrawListGlyphs();
QImage DrawBrowseOpen();
QImage DrawBrowseFolder();
QImage DrawBrowseSave();

// animations.cpp
QImage DrawMovie();
QImage DrawReversed();
QImage DrawMovieArrows();

// emblems.cpp
QImage DrawHeaderRamp();
// The product icon drawn from its 256-unit outline at `size` pixels.
QImage DrawProductIcon(int size);
QImage DrawBadge();
QImage DrawRibbonTails();
QImage DrawDoneOk();
QImage DrawDoneError();

// desktop_icons.cpp
// The program's icon for the desktop's icon theme at `size` pixels: the product icon, with
// its own simpler drawing on the pixel grid for the small sizes.
QImage DrawDesktopIcon(int size);

}  // namespace pictures
