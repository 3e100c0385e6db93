// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QClipboard>
#include <QLineEdit>

class QToolButton;

// A numeric edit with small up and down buttons at its right end. It holds a number with "."
// as the decimal point whatever the locale. The user may type digits, "+", "-", "." and
// control keys other than Enter (anything else beeps) and enter at most six characters; the
// field's own values (start, steps, range rule) are shown with two decimals and may be longer.
// When the focus leaves it, `exited` runs first, then the range rule: a value under the
// minimum becomes the minimum.
class SizeSpinEdit : public QLineEdit {
    Q_OBJECT
  public:
    static constexpr int kMaxTypedLength = 6;

    explicit SizeSpinEdit(QWidget* parent = nullptr);

    // The text read as a number; the minimum when it does not read as one. Not brought into
    // range.
    double value() const;
    // Shows the value (never under the minimum) with two decimals and remembers it as the last
    // value set by the field itself.
    void setValue(double value);
    double minimum() const { return minimum_; }
    // The last value the field set itself; the down step is refused while it is the minimum
    // or less.
    double lastSetValue() const { return lastSetValue_; }
    // One step up (+1) or down (-1), then the whole text is selected.
    void stepBy(int steps);

    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

    // "#######0.00": at least one integer digit, two decimals, "." and no grouping.
    static QString FormatValue(double value);
    // Blanks around, an optional sign, digits with at most one ".", an optional exponent.
    static bool ReadNumber(const QString& text, double* value);

  signals:
    // The focus left the field; the range rule runs right after the receivers.
    void exited();
    // A typed key was refused with a beep.
    void keyRefused();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    static bool IsAcceptedCharacter(QChar c);
    void refuseKey();
    // Whether typed text may go in: every character allowed (else a beep) and room for it.
    bool admitsTyped(const QString& typed);
    // Pastes as much of the clipboard's first line as the length limit leaves room for.
    void pasteLimited(QClipboard::Mode mode);
    void stepFromButton(int steps);

    QToolButton* up_;
    QToolButton* down_;
    double minimum_ = 1.0;
    double lastSetValue_ = 1.0;
};
