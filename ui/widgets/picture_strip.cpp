// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/picture_strip.h"

#include <QPainter>
#include <utility>

PictureStrip::PictureStrip(QPixmap picture, QSize frameSize)
    : picture_(std::move(picture)), frameSize_(frameSize) {}

PictureStrip PictureStrip::load(const QString& name, QSize frameSize) {
    QPixmap picture(QStringLiteral(":/pictures/%1.png").arg(name));
    if (picture.isNull()) return PictureStrip();
    return PictureStrip(picture, frameSize);
}

int PictureStrip::frameCount() const {
    if (isNull()) return 0;
    return picture_.width() / frameSize_.width();
}

QRect PictureStrip::frameRect(int i) const {
    if (i < 0 || i >= frameCount()) return QRect();
    return QRect(QPoint(i * frameSize_.width(), 0), frameSize_);
}

QPixmap PictureStrip::frame(int i) const {
    const QRect place = frameRect(i);
    return place.isEmpty() ? QPixmap() : picture_.copy(place);
}

void PictureStrip::draw(QPainter& painter, const QRect& target, int i) const {
    const QRect place = frameRect(i);
    if (place.isEmpty()) return;
    if (target.size() == place.size()) {
        painter.drawPixmap(target.topLeft(), picture_, place);
        return;
    }
    // Scaled from a frame of its own, so that the smoothing never takes in the next frame.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(target, picture_.copy(place));
}
