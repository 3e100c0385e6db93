// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFrame>
#include <QLabel>

// A label that takes the focus only so that a screen reader reads it (a page's status line or
// heading). QLabel builds a whole text document for its text at each focus-in after a change
// of text, and then paints through it, for selection and links that these labels never have:
// a page change then costs more than the page's paint.
class FocusLabel : public QLabel {
    Q_OBJECT

  public:
    using QLabel::QLabel;

  protected:
    void focusInEvent(QFocusEvent* event) override { QFrame::focusInEvent(event); }
    void focusOutEvent(QFocusEvent* event) override { QFrame::focusOutEvent(event); }
};
