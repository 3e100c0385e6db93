// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPixmap>
#include <QRect>
#include <QSize>

class QPainter;

// A row of equal frames in one picture: button faces, animation frames, small icons.
class PictureStrip {
  public:
    PictureStrip() = default;
    PictureStrip(QPixmap picture, QSize frameSize);
    // Loads ":/pictures/<name>.png"; a null strip when the picture is missing.
    static PictureStrip load(const QString& name, QSize frameSize);

    bool isNull() const { return picture_.isNull() || frameSize_.isEmpty(); }
    int frameCount() const;
    QSize frameSize() const { return frameSize_; }
    // Frame i, or a null pixmap outside 0..frameCount()-1.
    QPixmap frame(int i) const;
    // Draws frame i into `target`, scaled when the sizes differ; at its own size straight from
    // the strip, with no copy of the frame. Draws nothing outside 0..frameCount()-1.
    void draw(QPainter& painter, const QRect& target, int i) const;

  private:
    // Frame i's place in the picture; an empty rectangle outside 0..frameCount()-1.
    QRect frameRect(int i) const;

    QPixmap picture_;
    QSize frameSize_;
};
