// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/window_placement.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

namespace {

// Centres its window at its first showing and again when the frame first shows up around it.
class FirstShowCentring : public QObject {
  public:
    explicit FirstShowCentring(QWidget* window) : QObject(window), window_(window) {
        window->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::Show:
                if (!shown_) centre();
                shown_ = true;
                break;
            case QEvent::Move:
            case QEvent::WindowActivate:
                if (shown_ && Framed(frameMargins())) {
                    window_->removeEventFilter(this);
                    centre();
                    deleteLater();
                }
                break;
            default:
                break;
        }
        return false;
    }

  private:
    // While the window manager is still building the frame, the margins read from it can be
    // anything (a 1-pixel frame gives negative ones).
    static bool Framed(const QMargins& margins) {
        return !margins.isNull() && margins.left() >= 0 && margins.top() >= 0 &&
               margins.right() >= 0 && margins.bottom() >= 0;
    }

    QMargins frameMargins() const {
        const QWindow* handle = window_->windowHandle();
        return handle != nullptr ? handle->frameMargins() : QMargins();
    }

    // Placed by the frame's corner, from the window's fixed size and the frame's margins:
    // while the window manager is still framing the window, its geometry is not to be trusted.
    void centre() {
        QWindow* handle = window_->windowHandle();
        QScreen* screen = window_->screen();
        if (handle == nullptr || screen == nullptr) return;
        QRect whole(QPoint(), window_->size().grownBy(frameMargins()));
        whole.moveCenter(screen->availableGeometry().center());
        handle->setFramePosition(whole.topLeft());
    }

    QWidget* window_;
    bool shown_ = false;
};

}  // namespace

void KeepCentredOnFirstShow(QWidget* window) {
    // Placed before it exists, the window is placed by its frame's corner from the start (the
    // window manager is told so), which the later centring relies on.
    if (const QScreen* screen = window->screen()) {
        window->move(screen->availableGeometry().center() -
                     QPoint(window->width() / 2, window->height() / 2));
    }
    new FirstShowCentring(window);
}
