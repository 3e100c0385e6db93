// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/animation_control.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleHints>

namespace {
constexpr int kDefaultInterval = 80;
}

AnimationControl::AnimationControl(QWidget* parent) : QWidget(parent) {
    // A member that is also a child: destroyed before QWidget's destructor runs, so it is
    // never deleted twice, and it follows the widget's thread.
    timer_.setParent(this);
    timer_.setInterval(kDefaultInterval);
    connect(&timer_, &QTimer::timeout, this, &AnimationControl::tick);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void AnimationControl::setStrip(const QString& name, const PictureStrip& strip) {
    if (name == stripName_ && !stripName_.isEmpty()) return;
    stripName_ = name;
    strip_ = strip;
    frame_ = 0;
    // The first frame gets a whole interval, as after start().
    if (timer_.isActive()) timer_.start();
    update();
}

void AnimationControl::setInterval(int milliseconds) {
    timer_.setInterval(milliseconds);
}

int AnimationControl::interval() const {
    return timer_.interval();
}

void AnimationControl::start() {
    if (timer_.isActive()) return;
    frame_ = 0;
    timer_.start();
    update();
}

void AnimationControl::stop() {
    timer_.stop();
    frame_ = 0;
    update();
}

bool AnimationControl::isRunning() const {
    return timer_.isActive();
}

void AnimationControl::tick() {
    const int count = strip_.frameCount();
    if (count <= 1) return;
    frame_ = (frame_ + 1) % count;
    update();
}

void AnimationControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    strip_.draw(painter, QRect(QPoint(0, 0), strip_.frameSize()), frame_);
}

void AnimationControl::mousePressEvent(QMouseEvent* event) {
    pressedHere_ = event->button() == Qt::LeftButton;
    pressTime_ = event->timestamp();
    QWidget::mousePressEvent(event);
}

void AnimationControl::mouseDoubleClickEvent(QMouseEvent* event) {
    const bool firstPressHere =
        pressedHere_ && event->timestamp() - pressTime_ <=
                            quint64(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    pressedHere_ = false;
    if (event->button() == Qt::LeftButton && !firstPressHere) {
        event->accept();
        return;
    }
    if (event->button() == Qt::LeftButton) {
        emit doubleClicked();
        event->accept();
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}
