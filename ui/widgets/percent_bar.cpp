// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/percent_bar.h"

#include <qdrawutil.h>

#include <QAccessible>
#include <QGlyphRun>
#include <QPainter>
#include <QRegion>
#include <algorithm>

#include "text/fonts.h"

namespace {

const QColor kBarColor(79, 79, 255);
constexpr int kFrameMilliseconds = 16;
// A screen reader speaks a progress bar's value now and then; more events only load the bus.
constexpr int kAnnouncementMilliseconds = 250;

}  // namespace

PercentBar::PercentBar(QWidget* parent) : QWidget(parent) {
    // Every pixel is drawn by paintEvent: nothing beneath needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    nextFrame_.setParent(this);
    nextFrame_.setSingleShot(true);
    connect(&nextFrame_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    nextAnnouncement_.setParent(this);
    nextAnnouncement_.setSingleShot(true);
    connect(&nextAnnouncement_, &QTimer::timeout, this, &PercentBar::announceValue);
}

void PercentBar::SetMaximum(std::int64_t maximum) {
    // Zero (the minimum) would leave no range; a negative count is as meaningless.
    if (maximum == maximum_ || maximum <= 0) return;
    maximum_ = maximum;
    if (position_ > maximum_) position_ = maximum_;
}

void PercentBar::SetPosition(std::int64_t position) {
    position_ = std::clamp<std::int64_t>(position, 0, maximum_);
    const int now = percent();
    if (now == drawnPercent_) return;
    drawnPercent_ = now;
    show();
    requestPaint();
    requestAnnouncement();
}

void PercentBar::requestAnnouncement() {
    if (!QAccessible::isActive() || nextAnnouncement_.isActive()) return;
    const qint64 since = sinceLastAnnouncement_.isValid() ? sinceLastAnnouncement_.elapsed()
                                                          : kAnnouncementMilliseconds;
    if (since >= kAnnouncementMilliseconds) {
        announceValue();
    } else {
        nextAnnouncement_.start(static_cast<int>(kAnnouncementMilliseconds - since));
    }
}

void PercentBar::announceValue() {
    sinceLastAnnouncement_.restart();
    QAccessibleValueChangeEvent event(this, qlonglong(position_));
    QAccessible::updateAccessibility(&event);
}

void PercentBar::requestPaint() {
    // A job of small parts can change the per cent every few hundred microseconds, and each
    // paint waits on the window system: a paint within a frame of the last one waits for the
    // frame's end, and shows whatever per cent is current then.
    if (nextFrame_.isActive()) return;
    const qint64 since = sinceLastPaint_.isValid() ? sinceLastPaint_.elapsed() : kFrameMilliseconds;
    if (since >= kFrameMilliseconds) {
        update();
    } else {
        nextFrame_.start(static_cast<int>(kFrameMilliseconds - since));
    }
}

int PercentBar::percent() const {
    // Exact: position * 100 needs more than 64 bits for the largest counts.
    using Wide = unsigned __int128;
    const Wide position = static_cast<Wide>(std::clamp<std::int64_t>(position_, 0, maximum_));
    const Wide maximum = static_cast<Wide>(maximum_);
    const Wide scaled = position * 100;
    Wide quotient = scaled / maximum;
    const Wide twiceRemainder = (scaled % maximum) * 2;
    if (twiceRemainder > maximum || (twiceRemainder == maximum && (quotient & 1) != 0)) {
        ++quotient;
    }
    return static_cast<int>(quotient > 100 ? 100 : quotient);
}

void PercentBar::resetForJob() {
    nextFrame_.stop();
    nextAnnouncement_.stop();
    hide();
    drawnPercent_ = 0;
}

void PercentBar::drawPercentText(QPainter& painter, int percent) {
    const QString text = QString::number(percent) + QLatin1Char('%');
    const QFont& font = painter.font();
    if (!glyphs_.looked || glyphs_.font != font) {
        glyphs_ = PercentGlyphs{};
        glyphs_.looked = true;
        glyphs_.font = font;
        glyphs_.raw = QRawFont::fromFont(font);
        const QList<quint32> index =
            glyphs_.raw.glyphIndexesForString(QStringLiteral("0123456789%"));
        const QList<QPointF> advance = glyphs_.raw.advancesForGlyphIndexes(index);
        glyphs_.usable = glyphs_.raw.isValid() && index.size() == 11 && advance.size() == 11 &&
                         !index.contains(0u);
        for (qsizetype i = 0; glyphs_.usable && i < 11; ++i) {
            glyphs_.index[static_cast<std::size_t>(i)] = index[i];
            glyphs_.advance[static_cast<std::size_t>(i)] = advance[i].x();
        }
    }
    const int flags = Qt::AlignCenter | Qt::TextSingleLine;
    if (!glyphs_.usable) {
        // A font without those glyphs: its own layout finds a fallback.
        painter.drawText(rect(), flags, text);
        return;
    }
    QList<quint32> index;
    QList<QPointF> at;
    qreal x = 0;
    for (const QChar c : text) {
        const auto i = static_cast<std::size_t>(c == QLatin1Char('%') ? 10 : c.digitValue());
        index.append(glyphs_.index[i]);
        at.append(QPointF(x, 0));
        x += glyphs_.advance[i];
    }
    QGlyphRun run;
    run.setRawFont(glyphs_.raw);
    run.setGlyphIndexes(index);
    run.setPositions(at);
    // Centred as drawText centres a line: by its advance and by ascent plus descent.
    const qreal ascent = glyphs_.raw.ascent();
    const qreal lineHeight = ascent + glyphs_.raw.descent();
    painter.drawGlyphRun(QPointF((width() - x) / 2, (height() - lineHeight) / 2 + ascent), run);
}

void PercentBar::paintEvent(QPaintEvent*) {
    sinceLastPaint_.restart();
    QPainter painter(this);
    const QRect whole = rect();
    qDrawShadePanel(&painter, whole, palette(), /*sunken=*/true, 1);

    const QRect inner = whole.adjusted(1, 1, -1, -1);
    const QColor ground = palette().color(QPalette::Active, QPalette::Button);
    painter.fillRect(inner, ground);

    const int shown = drawnPercent_;
    const int filledWidth =
        static_cast<int>(static_cast<std::int64_t>(inner.width()) * shown / 100);
    const QRect filled(inner.left(), inner.top(), filledWidth, inner.height());
    if (shown > 0 && filledWidth > 0) {
        painter.fillRect(filled, kBarColor);
        // Raised edge: a light line top and left, a dark one bottom and right.
        painter.setPen(kBarColor.lighter(150));
        painter.drawLine(filled.topLeft(), filled.topRight());
        painter.drawLine(filled.topLeft(), filled.bottomLeft());
        painter.setPen(kBarColor.darker(170));
        painter.drawLine(filled.bottomLeft(), filled.bottomRight());
        painter.drawLine(filled.topRight(), filled.bottomRight());
    }

    painter.setFont(PercentFont());
    const QRegion filledRegion(filled);
    painter.setClipRegion(filledRegion);
    painter.setPen(ground);
    drawPercentText(painter, shown);

    painter.setClipRegion(QRegion(whole).subtracted(filledRegion));
    painter.setPen(kBarColor);
    drawPercentText(painter, shown);
}
