// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/web_link.h"

#include <QKeyEvent>
#include <QMouseEvent>

WebLink::WebLink(QWidget* parent) : QLabel(parent) {
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_NoMousePropagation);
    setFocusPolicy(Qt::TabFocus);
}

void WebLink::press() {
    emit pressed();
    emit clicked();
}

// A double click comes here too, as a second press.
void WebLink::mousePressEvent(QMouseEvent* event) {
    event->accept();
    emit pressed();
    if (event->button() == Qt::LeftButton) leftDown_ = true;
}

void WebLink::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton) return;
    const bool click = leftDown_ && rect().contains(event->position().toPoint());
    leftDown_ = false;
    if (click) emit clicked();
}

void WebLink::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
        event->accept();
        press();
        return;
    }
    QLabel::keyPressEvent(event);
}
