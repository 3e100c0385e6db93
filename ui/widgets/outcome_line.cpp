// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/outcome_line.h"

#include <QPainter>
#include <algorithm>

#include "text/text_fitting.h"

OutcomeLine::OutcomeLine(QWidget* parent) : QLabel(parent) {}

QStringList OutcomeLine::shownLines() const {
    const QSize size = contentsRect().size();
    if (!layout_.valid || layout_.text != text() || layout_.font != font() ||
        layout_.size != size) {
        const int lines = std::max(1, size.height() / fontMetrics().height());
        layout_.text = text();
        layout_.font = font();
        layout_.size = size;
        layout_.lines = FitToLines(layout_.text, layout_.font, size.width(), lines);
        layout_.valid = true;
    }
    return layout_.lines;
}

void OutcomeLine::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(contentsRect(), Qt::AlignHCenter | Qt::AlignTop,
                     shownLines().join(QLatin1Char('\n')));
}
