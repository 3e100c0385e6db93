#include "widgets/picture_strip.h"

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

QPixmap PictureStrip::frame(int i) const {
    if (i < 0 || i >= frameCount()) return QPixmap();
    return picture_.copy(i * frameSize_.width(), 0, frameSize_.width(), frameSize_.height());
}
