#include "widgets/percent_bar.h"

#include <qdrawutil.h>

#include <QPainter>
#include <QRegion>
#include <algorithm>

#include "fonts.h"

namespace {

const QColor kBarColor(79, 79, 255);

}  // namespace

PercentBar::PercentBar(QWidget* parent) : QWidget(parent) {}

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
    update();
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
    hide();
    drawnPercent_ = 0;
}

void PercentBar::paintEvent(QPaintEvent*) {
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

    const QString text = QString::asprintf("%d%%", shown);
    painter.setFont(PercentFont());
    const int flags = Qt::AlignCenter | Qt::TextSingleLine;

    const QRegion filledRegion(filled);
    painter.setClipRegion(filledRegion);
    painter.setPen(ground);
    painter.drawText(whole, flags, text);

    painter.setClipRegion(QRegion(whole).subtracted(filledRegion));
    painter.setPen(kBarColor);
    painter.drawText(whole, flags, text);
}
