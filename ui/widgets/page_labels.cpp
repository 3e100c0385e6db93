// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/page_labels.h"

#include <QLineEdit>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>

#include "text/fonts.h"

QLabel* PageLabel(QWidget* page, const char* name, const QString& text, int left, int top,
                  bool bold) {
    auto* label = new QLabel(text, page);
    label->setObjectName(QString::fromLatin1(name));
    label->setFont(bold ? BoldLabelFont() : WindowFont());
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->adjustSize();
    label->move(left, top);
    return label;
}

int TextBaseline(const QLineEdit& edit) {
    QStyleOptionFrame panel;
    panel.initFrom(&edit);
    panel.rect = edit.rect();
    panel.lineWidth = edit.hasFrame()
                          ? edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &panel, &edit)
                          : 0;
    panel.midLineWidth = 0;
    panel.state |= QStyle::State_Sunken;
    const QRect room = edit.style()
                           ->subElementRect(QStyle::SE_LineEditContents, &panel, &edit)
                           .marginsRemoved(edit.textMargins());
    const QFontMetrics metrics(edit.font());
    const int top = room.y() + (room.height() - metrics.height() + 1) / 2;
    return top + metrics.ascent();
}

void AlignWithFieldText(QLabel* label, const QLineEdit& field) {
    const int below = field.y() + TextBaseline(field) - label->y() - label->fontMetrics().ascent();
    label->setContentsMargins(0, std::max(below, 0), 0, 0);
    if (below < 0) label->move(label->x(), label->y() + below);
    label->adjustSize();
}

void EngravedLabel::paintEvent(QPaintEvent*) {
    constexpr int kDepth = 2;
    const QColor engraving(192, 192, 192);
    QPainter painter(this);
    painter.setFont(font());
    const QRect box = contentsRect();
    const int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
    painter.setPen(engraving);
    painter.drawText(box.translated(kDepth, kDepth), flags, text());
    painter.setPen(Qt::black);
    painter.drawText(box, flags, text());
}

void BevelStrip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect box = rect();
    painter.fillRect(box, QColor(160, 160, 164));
    painter.setPen(QColor(128, 128, 128));
    painter.drawLine(box.topLeft(), box.topRight());
    painter.drawLine(box.topLeft(), box.bottomLeft());
    painter.setPen(Qt::white);
    painter.drawLine(box.bottomLeft(), box.bottomRight());
    painter.drawLine(box.topRight(), box.bottomRight());
}
