// Draws every picture of the Partory window and writes them as PNG files into the folder
// given as the only argument. The PNGs are kept in resources/pictures/; run this again
// (QT_QPA_PLATFORM=offscreen partory_draw_pictures resources/pictures) after changing a picture.

#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTransform>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

// ---------------------------------------------------------------------------------------------
// Shared helpers

QImage NewImage(int width, int height, QColor ground = Qt::transparent) {
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

// ---------------------------------------------------------------------------------------------
// Button faces: normal, under the mouse, pressed.

enum class Face { Normal, Over, Pressed };

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
    std::vector<QImage> frames;
    for (Face face : {Face::Normal, Face::Over, Face::Pressed}) {
        QImage frame = NewImage(faceWidth, faceHeight);
        QPainter painter;
        StartPainter(painter, frame);
        DrawButtonFace(painter, QRectF(0, 0, faceWidth, faceHeight), face);
        painter.end();
        frames.push_back(frame);
    }
    return JoinFrames(frames);
}

QImage DrawNew3d() {
    return ButtonFaceStrip(105, 30);
}

QImage DrawNewLong() {
    return ButtonFaceStrip(310, 30);
}

// The round side buttons: glossy balls with the same palette as the wide buttons.
QImage DrawSmallBalls() {
    std::vector<QImage> frames;
    for (Face face : {Face::Normal, Face::Over, Face::Pressed}) {
        QImage frame = NewImage(30, 30);
        QPainter painter;
        StartPainter(painter, frame);
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

        if (face != Face::Pressed) {
            QLinearGradient shine(QPointF(15, 2), QPointF(15, 15));
            shine.setColorAt(0.0, QColor(255, 255, 255, 220));
            shine.setColorAt(1.0, QColor(255, 255, 255, 0));
            painter.setPen(Qt::NoPen);
            painter.setBrush(shine);
            painter.drawEllipse(QRectF(6, 2.2, 18, 12));
        }
        if (face == Face::Over) {
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(QColor(255, 214, 90, 170), 1.5));
            painter.drawEllipse(centre, radius - 1.5, radius - 1.5);
        }
        painter.end();
        frames.push_back(frame);
    }
    return JoinFrames(frames);
}

// ---------------------------------------------------------------------------------------------
// The apple scene of the task and progress animations.

constexpr int kSceneWidth = 249;
constexpr int kSceneHeight = 30;
constexpr int kSceneFrames = 37;
constexpr int kPieces = 3;
constexpr int kFlightFrames = 10;   // frames a piece is in the air
constexpr int kFlightSpacing = 11;  // frames from one piece's start to the next
const QPointF kAppleCentre(18.5, 17.0);
constexpr double kAppleRadius = 8.3;
constexpr double kPieceRadius = 7.0;
const std::array<QPointF, kPieces> kPieceRests = {QPointF(217.5, 13.0), QPointF(225.5, 12.0),
                                                  QPointF(233.5, 13.5)};
const std::array<double, kPieces> kPieceRestAngles = {-104.0, -88.0, -74.0};
// Where each piece sits in the whole apple (its skin pointing that way).
const std::array<double, kPieces> kPieceStartAngles = {-30.0, 90.0, 210.0};

void DrawDocument(QPainter& painter, const QRectF& page) {
    const double fold = 7.0;
    QPainterPath sheet;
    sheet.moveTo(page.topLeft());
    sheet.lineTo(page.right() - fold, page.top());
    sheet.lineTo(page.right(), page.top() + fold);
    sheet.lineTo(page.bottomRight());
    sheet.lineTo(page.bottomLeft());
    sheet.closeSubpath();
    QLinearGradient paper(page.topLeft(), page.bottomRight());
    paper.setColorAt(0.0, QColor(255, 255, 255));
    paper.setColorAt(1.0, QColor(226, 232, 242));
    painter.setPen(QPen(QColor(98, 110, 134), 1.0));
    painter.setBrush(paper);
    painter.drawPath(sheet);

    QPainterPath corner;
    corner.moveTo(page.right() - fold, page.top());
    corner.lineTo(page.right() - fold, page.top() + fold);
    corner.lineTo(page.right(), page.top() + fold);
    corner.closeSubpath();
    painter.setBrush(QColor(206, 214, 228));
    painter.drawPath(corner);

    // A few faint lines of text along the top and bottom edges.
    painter.setPen(QPen(QColor(184, 194, 212), 1.0));
    painter.drawLine(QPointF(page.left() + 3, page.top() + 3.5),
                     QPointF(page.right() - fold - 2, page.top() + 3.5));
    painter.drawLine(QPointF(page.left() + 3, page.bottom() - 2.5),
                     QPointF(page.right() - 3, page.bottom() - 2.5));
}

void DrawApple(QPainter& painter, QPointF centre, double radius) {
    painter.save();
    painter.translate(centre);
    painter.scale(radius, radius);

    QPainterPath body;
    body.moveTo(0, -0.72);
    body.cubicTo(0.35, -1.05, 1.05, -0.85, 1.0, -0.15);
    body.cubicTo(0.98, 0.5, 0.6, 1.0, 0.25, 0.98);
    body.cubicTo(0.1, 0.97, -0.1, 0.97, -0.25, 0.98);
    body.cubicTo(-0.6, 1.0, -0.98, 0.5, -1.0, -0.15);
    body.cubicTo(-1.05, -0.85, -0.35, -1.05, 0, -0.72);

    QRadialGradient skin(QPointF(-0.1, 0.0), 1.25, QPointF(-0.4, -0.4));
    skin.setColorAt(0.0, QColor(255, 150, 140));
    skin.setColorAt(0.35, QColor(232, 30, 28));
    skin.setColorAt(1.0, QColor(140, 0, 0));
    painter.setPen(QPen(QColor(110, 0, 0), 1.0 / radius));
    painter.setBrush(skin);
    painter.drawPath(body);

    painter.setPen(
        QPen(QColor(100, 60, 20), std::max(0.16, 1.1 / radius), Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(0, -0.7), QPointF(0.12, -1.12));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(60, 160, 40));
    painter.save();
    painter.translate(0.38, -0.98);
    painter.rotate(-25);
    painter.drawEllipse(QRectF(-0.28, -0.13, 0.56, 0.26));
    painter.restore();
    painter.restore();
}

// A slice of apple, its skin towards `angle` degrees (clockwise from the right), centred
// on its middle.
void DrawApplePiece(QPainter& painter, QPointF centre, double angle) {
    const double halfOpening = 55.0;
    painter.save();
    painter.translate(centre);
    painter.rotate(angle);
    painter.translate(-0.55 * kPieceRadius, 0);

    const QRectF circle(-kPieceRadius, -kPieceRadius, 2 * kPieceRadius, 2 * kPieceRadius);
    QPainterPath wedge;
    wedge.moveTo(0, 0);
    wedge.arcTo(circle, halfOpening, -2 * halfOpening);
    wedge.closeSubpath();
    QLinearGradient flesh(QPointF(0, 0), QPointF(kPieceRadius, 0));
    flesh.setColorAt(0.0, QColor(255, 246, 206));
    flesh.setColorAt(1.0, QColor(246, 222, 160));
    painter.setPen(QPen(QColor(170, 120, 60), 0.7));
    painter.setBrush(flesh);
    painter.drawPath(wedge);

    QPainterPath skin;
    skin.arcMoveTo(circle.adjusted(0.9, 0.9, -0.9, -0.9), halfOpening);
    skin.arcTo(circle.adjusted(0.9, 0.9, -0.9, -0.9), halfOpening, -2 * halfOpening);
    painter.setPen(QPen(QColor(214, 20, 20), 2.0, Qt::SolidLine, Qt::FlatCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(skin);

    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(90, 50, 20));
    painter.drawEllipse(QRectF(1.6, -0.7, 1.8, 1.4));
    painter.restore();
}

const QRectF kFolderBody(207.5, 8.5, 33, 19);

void DrawFolderBack(QPainter& painter) {
    QPainterPath back;
    back.moveTo(kFolderBody.left(), kFolderBody.bottom());
    back.lineTo(kFolderBody.left(), kFolderBody.top() - 3);
    back.quadTo(kFolderBody.left(), kFolderBody.top() - 4, kFolderBody.left() + 1,
                kFolderBody.top() - 4);
    back.lineTo(kFolderBody.left() + 11, kFolderBody.top() - 4);
    back.lineTo(kFolderBody.left() + 13, kFolderBody.top());
    back.lineTo(kFolderBody.right(), kFolderBody.top());
    back.lineTo(kFolderBody.right(), kFolderBody.bottom());
    back.closeSubpath();
    QLinearGradient fill(kFolderBody.topLeft(), kFolderBody.bottomLeft());
    fill.setColorAt(0.0, QColor(236, 184, 40));
    fill.setColorAt(1.0, QColor(204, 140, 16));
    painter.setPen(QPen(QColor(140, 90, 0), 1.0));
    painter.setBrush(fill);
    painter.drawPath(back);
}

void DrawFolderFront(QPainter& painter) {
    const double top = 15.5;
    QPainterPath front;
    front.moveTo(kFolderBody.left() + 5, top);
    front.lineTo(kFolderBody.right() + 5, top);
    front.lineTo(kFolderBody.right(), kFolderBody.bottom());
    front.lineTo(kFolderBody.left(), kFolderBody.bottom());
    front.closeSubpath();
    QLinearGradient fill(QPointF(0, top), QPointF(0, kFolderBody.bottom()));
    fill.setColorAt(0.0, QColor(255, 238, 130));
    fill.setColorAt(1.0, QColor(250, 204, 52));
    painter.setPen(QPen(QColor(150, 100, 0), 1.0));
    painter.setBrush(fill);
    painter.drawPath(front);
    painter.setPen(QPen(QColor(255, 250, 210), 1.0));
    painter.drawLine(QPointF(kFolderBody.left() + 6.5, top + 1.2),
                     QPointF(kFolderBody.right() + 2.8, top + 1.2));
}

// Where piece `index` is at `frame`, or nothing: still in the apple, flying, or in the folder.
struct PiecePlace {
    enum Where { InApple, Flying, InFolder, Gone } where;
    QPointF centre;
    double angle;
};

PiecePlace PlaceOfPiece(int index, int frame) {
    if (frame == kSceneFrames - 1) return {PiecePlace::Gone, {}, 0};
    const int start = 1 + index * kFlightSpacing;
    if (frame < start) return {PiecePlace::InApple, {}, 0};
    const int step = frame - start + 1;  // 1 .. kFlightFrames while in the air
    if (step >= kFlightFrames) {
        return {PiecePlace::InFolder, kPieceRests[index], kPieceRestAngles[index]};
    }
    const double t = SmoothStep(static_cast<double>(step) / kFlightFrames);
    const QPointF from = kAppleCentre + QPointF(0, -1);
    const QPointF to = kPieceRests[index];
    const double lift = 10.5;
    const QPointF centre(Lerp(from.x(), to.x(), t),
                         Lerp(from.y(), to.y(), t) - lift * 4.0 * t * (1.0 - t));
    const double angle = Lerp(kPieceStartAngles[index], kPieceRestAngles[index] + 360.0, t);
    return {PiecePlace::Flying, centre, angle};
}

// Renders one frame of the divide animation; the combine animation is this mirrored and
// played backwards.
QImage AppleSceneFrame(int frame) {
    QImage image = NewImage(kSceneWidth, kSceneHeight, Qt::white);
    QPainter painter;
    StartPainter(painter, image);

    DrawDocument(painter, QRectF(5.5, 1.5, 26, 27));

    int piecesInApple = 0;
    for (int i = 0; i < kPieces; ++i) {
        if (PlaceOfPiece(i, frame).where == PiecePlace::InApple) ++piecesInApple;
    }
    if (piecesInApple > 0) {
        // The apple shrinks with what is left of it, keeping its foot on the same spot.
        const double scale = std::sqrt(static_cast<double>(piecesInApple) / kPieces);
        const double radius = kAppleRadius * scale;
        const QPointF centre(kAppleCentre.x(),
                             kAppleCentre.y() + kAppleRadius * 0.98 - radius * 0.98);
        DrawApple(painter, centre, radius);
    }

    DrawFolderBack(painter);
    for (int i = 0; i < kPieces; ++i) {
        const PiecePlace place = PlaceOfPiece(i, frame);
        if (place.where == PiecePlace::InFolder) DrawApplePiece(painter, place.centre, place.angle);
    }
    DrawFolderFront(painter);
    // A piece in the air is drawn over the folder until it has landed.
    for (int i = 0; i < kPieces; ++i) {
        const PiecePlace place = PlaceOfPiece(i, frame);
        if (place.where == PiecePlace::Flying) DrawApplePiece(painter, place.centre, place.angle);
    }
    painter.end();
    return image;
}

std::vector<QImage> AppleSceneFrames() {
    std::vector<QImage> frames;
    for (int frame = 0; frame < kSceneFrames; ++frame) frames.push_back(AppleSceneFrame(frame));
    return frames;
}

QImage DrawMovie() {
    return JoinFrames(AppleSceneFrames());
}

QImage DrawReversed() {
    std::vector<QImage> frames = AppleSceneFrames();
    std::reverse(frames.begin(), frames.end());
    for (QImage& frame : frames) frame = frame.mirrored(true, false);
    return JoinFrames(frames);
}

// ---------------------------------------------------------------------------------------------
// The arrows beside the combine list: chevrons sliding down, one pixel per frame.

QImage DrawMovieArrows() {
    constexpr int kFrames = 23;
    constexpr int kWidth = 9;
    constexpr int kHeight = 136;
    constexpr int kSpacing = kFrames;  // a chevron moves into the next one's place in one loop
    std::vector<QImage> frames;
    for (int frame = 0; frame < kFrames; ++frame) {
        QImage image = NewImage(kWidth, kHeight, Qt::white);
        QPainter painter;
        StartPainter(painter, image);
        painter.setPen(QPen(QColor(214, 222, 236), 1.0));
        painter.drawLine(QPointF(4.5, 0), QPointF(4.5, kHeight));
        for (int y = frame - kSpacing; y < kHeight + kSpacing; y += kSpacing) {
            for (int twin = 0; twin < 2; ++twin) {
                const double top = y + twin * 5.0;
                // Fade in at the top and out at the bottom so chevrons never pop up.
                const double middle = top + 2.0;
                const double edge = std::min(middle, kHeight - middle);
                const double strength = std::clamp(edge / 18.0, 0.0, 1.0);
                const double along = std::clamp(middle / kHeight, 0.0, 1.0);
                QColor colour = Mix(QColor(90, 140, 230), QColor(0, 30, 150), along);
                colour = Mix(QColor(255, 255, 255), colour, strength);
                painter.setPen(QPen(colour, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                QPainterPath chevron;
                chevron.moveTo(1.0, top);
                chevron.lineTo(4.5, top + 3.5);
                chevron.lineTo(8.0, top);
                painter.drawPath(chevron);
            }
        }
        painter.end();
        frames.push_back(image);
    }
    return JoinFrames(frames);
}

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

    QLinearGradient shine(QPointF(16, 2), QPointF(16, 15));
    shine.setColorAt(0.0, QColor(255, 255, 255, 170));
    shine.setColorAt(1.0, QColor(255, 255, 255, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(shine);
    painter.drawEllipse(QRectF(7, 2.6, 18, 12));

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

// ---------------------------------------------------------------------------------------------

struct Picture {
    const char* name;
    int width;
    int height;
    QImage (*draw)();
};

QImage DrawProductIcon48() {
    return DrawProductIcon(48);
}
QImage DrawProductIcon256() {
    return DrawProductIcon(256);
}

const Picture kPictures[] = {
    {"new_3d", 315, 30, DrawNew3d},
    {"new_long", 930, 30, DrawNewLong},
    {"small_balls", 90, 30, DrawSmallBalls},
    {"movie", 9213, 30, DrawMovie},
    {"reversed", 9213, 30, DrawReversed},
    {"movie_arrows", 207, 136, DrawMovieArrows},
    {"header_ramp", 1, 142, DrawHeaderRamp},
    {"product_icon", 48, 48, DrawProductIcon48},
    {"product_icon_256", 256, 256, DrawProductIcon256},
    {"badge", 64, 74, DrawBadge},
    {"ribbon_tails", 64, 34, DrawRibbonTails},
    {"glyph_left", 12, 11, DrawGlyphLeft},
    {"glyph_right", 12, 11, DrawGlyphRight},
    {"glyph_pause", 12, 11, DrawGlyphPause},
    {"list_glyphs", 96, 16, DrawListGlyphs},
    {"done_ok", 32, 32, DrawDoneOk},
    {"done_error", 32, 32, DrawDoneError},
    {"browse_open", 12, 12, DrawBrowseOpen},
    {"browse_folder", 12, 12, DrawBrowseFolder},
    {"browse_save", 12, 12, DrawBrowseSave},
};

// Drawing may differ by a rounding step between processors, so colours within 2 levels match.
bool SamePixels(const QImage& drawn, const QImage& stored) {
    const QImage a = drawn.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage b = stored.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < a.height(); ++y) {
        const QRgb* rowA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const QRgb* rowB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x) {
            const QRgb pa = rowA[x], pb = rowB[x];
            if (std::abs(qRed(pa) - qRed(pb)) > 2 || std::abs(qGreen(pa) - qGreen(pb)) > 2 ||
                std::abs(qBlue(pa) - qBlue(pb)) > 2 || std::abs(qAlpha(pa) - qAlpha(pb)) > 2) {
                return false;
            }
        }
    }
    return true;
}

// The ribbons must go on from the badge's last row into the tails' first row at the same
// columns (a slanted edge moves by a fraction of a pixel per row), or they look broken.
bool RibbonsJoin(const QImage& badge, const QImage& tails) {
    int covered = 0;
    for (int x = 0; x < badge.width(); ++x) {
        const int above = qAlpha(badge.pixel(x, badge.height() - 1));
        const int below = qAlpha(tails.pixel(x, 0));
        if (std::abs(above - below) > 96) return false;
        if (above == 255) ++covered;
    }
    return covered > 0;
}

// Compares the pictures in `folder` with what this program draws now.
int CheckFolder(const QDir& folder) {
    int failures = 0;
    for (const Picture& picture : kPictures) {
        const QString path = folder.filePath(QString::fromLatin1(picture.name) + ".png");
        const QImage stored(path);
        if (stored.isNull()) {
            std::fprintf(stderr, "%s: missing or unreadable\n", qPrintable(path));
            ++failures;
        } else if (stored.width() != picture.width || stored.height() != picture.height) {
            std::fprintf(stderr, "%s: %dx%d, expected %dx%d\n", picture.name, stored.width(),
                         stored.height(), picture.width, picture.height);
            ++failures;
        } else if (!SamePixels(picture.draw(), stored)) {
            std::fprintf(stderr, "%s: differs from the drawing code; redraw the pictures\n",
                         picture.name);
            ++failures;
        }
    }
    const QImage badge(folder.filePath("badge.png")), tails(folder.filePath("ribbon_tails.png"));
    if (!badge.isNull() && !tails.isNull() && !RibbonsJoin(badge, tails)) {
        std::fprintf(stderr, "badge.png and ribbon_tails.png: the ribbons do not join\n");
        ++failures;
    }
    return failures;
}

int WriteFolder(const QDir& folder) {
    int failures = 0;
    for (const Picture& picture : kPictures) {
        const QImage image = picture.draw();
        const QString path = folder.filePath(QString::fromLatin1(picture.name) + ".png");
        if (image.width() != picture.width || image.height() != picture.height) {
            std::fprintf(stderr, "%s: drawn %dx%d, expected %dx%d\n", picture.name, image.width(),
                         image.height(), picture.width, picture.height);
            ++failures;
            continue;
        }
        if (!image.save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            ++failures;
        }
    }
    return failures;
}

}  // namespace

// partory_draw_pictures <folder>          draws every picture into the folder
// partory_draw_pictures --check <folder>  fails when the folder's pictures are out of date
int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const bool check = argc == 3 && std::strcmp(argv[1], "--check") == 0;
    if (argc != 2 && !check) {
        std::fprintf(stderr, "usage: %s [--check] <picture folder>\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[argc - 1]));
    if (check) return CheckFolder(folder) == 0 ? 0 : 1;
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[argc - 1]);
        return 1;
    }
    return WriteFolder(folder) == 0 ? 0 : 1;
}
