// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/image_button.h"

#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include "text/fonts.h"

namespace {

constexpr int kGlyphGap = 10;
const QColor kGreyedColor(128, 128, 128);

// A disabled button shows its glyph as a flat grey shape of the same outline.
QPixmap GreyedGlyph(const QPixmap& glyph) {
    QImage image = glyph.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), kGreyedColor);
    painter.end();
    return QPixmap::fromImage(image);
}

}  // namespace

ImageButton::ImageButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::NoFocus);
    setFont(WindowFont());
}

void ImageButton::setFaces(const PictureStrip& faces) {
    faces_ = faces;
    updateGeometry();
    update();
}

void ImageButton::setGlyph(const QPixmap& glyph, GlyphPlace place) {
    glyph_ = glyph;
    glyphPlace_ = place;
    update();
}

void ImageButton::setKey(const QString& caption, const QKeySequence& key) {
    keys_.insert(caption, key);
}

int ImageButton::faceIndex() const {
    if (!isEnabled()) return 0;
    if (isDown()) return 2;
    return hovered_ ? 1 : 0;
}

QSize ImageButton::sizeHint() const {
    if (!faces_.isNull()) return faces_.frameSize();
    const int captionWidth = fontMetrics().horizontalAdvance(text());
    const int glyphWidth = glyph_.isNull() ? 0 : glyph_.width() + kGlyphGap;
    return QSize(captionWidth + glyphWidth + 16, qMax(fontMetrics().height(), 11) + 12);
}

void ImageButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    faces_.draw(painter, rect(), faceIndex());

    // Caption and glyph are centred together as one group.
    const QString caption = text();
    const QFontMetrics metrics(font());
    const int captionWidth = caption.isEmpty() ? 0 : metrics.horizontalAdvance(caption);
    const bool hasGlyph = !glyph_.isNull();
    const int glyphWidth = hasGlyph ? glyph_.width() : 0;
    const int gap = hasGlyph && captionWidth > 0 ? kGlyphGap : 0;
    const int groupWidth = captionWidth + gap + glyphWidth;
    int x = (width() - groupWidth) / 2;

    int captionX = x;
    int glyphX = x;
    if (glyphPlace_ == GlyphPlace::BeforeCaption) {
        captionX = x + glyphWidth + gap;
    } else {
        glyphX = x + captionWidth + gap;
    }

    if (hasGlyph) {
        const QPixmap glyph = isEnabled() ? glyph_ : GreyedGlyph(glyph_);
        painter.drawPixmap(glyphX, (height() - glyph_.height()) / 2, glyph);
    }
    if (captionWidth > 0) {
        painter.setFont(font());
        painter.setPen(isEnabled() ? palette().color(QPalette::Active, QPalette::ButtonText)
                                   : kGreyedColor);
        painter.drawText(QRect(captionX, 0, captionWidth, height()),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, caption);
    }
}

void ImageButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void ImageButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void ImageButton::mousePressEvent(QMouseEvent* event) {
    if (event->timestamp() < refuseBefore_) {
        event->accept();
        return;
    }
    QAbstractButton::mousePressEvent(event);
}

void ImageButton::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}
