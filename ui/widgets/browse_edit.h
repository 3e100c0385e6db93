// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLineEdit>
#include <QToolButton>

// The button at a BrowseEdit's right end; a class of its own so that a screen reader learns it
// as a button it can press (accessible_widgets.cpp).
class BrowseButton : public QToolButton {
    Q_OBJECT
  public:
    using QToolButton::QToolButton;
};

// A single-line edit with an 18-pixel browse button at its right end. A double-click in the
// edit or a click on the button asks its owner to open the dialog (browseRequested); the
// owner's handler opens it, so Ctrl+O and Ctrl+S can reach the same handler.
class BrowseEdit : public QLineEdit {
    Q_OBJECT
  public:
    enum class Kind { OpenFile, SaveFile, Folder };

    explicit BrowseEdit(Kind kind, QWidget* parent = nullptr);
    Kind kind() const { return kind_; }
    QToolButton* browseButton() const { return button_; }

  signals:
    void browseRequested();

  protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    Kind kind_;
    QToolButton* button_;
};
