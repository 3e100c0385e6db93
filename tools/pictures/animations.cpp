// SPDX-License-Identifier: GPL-3.0-or-later
// The apple scene of the task and progress animations, and the arrows beside the list.

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTransform>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "pictures/drawing.h"

namespace pictures {

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

}  // namespace pictures
