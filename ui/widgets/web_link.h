// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>

class QKeyEvent;
class QMouseEvent;

// A label that is a link: a pointing hand over it, the keyboard focus by Tab, and opened by a
// click (a left press and release on it) or by Return or Space. A press on it never reaches
// what lies under it. What opening does, and how the link looks, is up to its window.
class WebLink : public QLabel {
    Q_OBJECT

  public:
    explicit WebLink(QWidget* parent = nullptr);

    // Opens the link as the keyboard or a screen reader does: pressed, then clicked.
    void press();

  signals:
    // Any mouse button went down on the link, or press() ran.
    void pressed();
    void clicked();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    // A click needs the left button's press and release both on the link.
    bool leftDown_ = false;
};
