// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLabel>
#include <QString>
#include <QWidget>

class QLineEdit;

// A label of a page, sized to its text: bold 13-pixel or the window's font.
QLabel* PageLabel(QWidget* page, const char* name, const QString& text, int left, int top,
                  bool bold);

// Where a single-line edit draws its text: the y of the baseline, in the edit's coordinates, as
// its paint event places a line of its font in the middle of the room inside the frame.
int TextBaseline(const QLineEdit& edit);

// Lowers the text of a label that stands beside a field onto the baseline of the field's text;
// the label keeps its place.
void AlignWithFieldText(QLabel* label, const QLineEdit& field);

// The header's product name: black text with a light copy of it two pixels lower and to the
// right, so that it looks cut into the header.
class EngravedLabel : public QLabel {
  public:
    using QLabel::QLabel;

  protected:
    void paintEvent(QPaintEvent*) override;
};

// The grey strip across the top of the button bar, inside a lowered bevel.
class BevelStrip : public QWidget {
  public:
    using QWidget::QWidget;

  protected:
    void paintEvent(QPaintEvent*) override;
};
