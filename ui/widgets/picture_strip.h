#pragma once

#include <QPixmap>
#include <QSize>

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

private:
    QPixmap picture_;
    QSize frameSize_;
};
