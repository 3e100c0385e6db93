// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QLabel>
#include <QSize>
#include <QStringList>

// The completion page's outcome line: centred, wrapped onto a second line when it is too long,
// a word too wide for a line broken inside, and a name that not even two lines can hold
// shortened in its middle, so that its start and end always show. Its own paint does all
// that, so QLabel's alignment and word wrap do not apply. text() stays the whole outcome, and
// so does the name a screen reader reads.
class OutcomeLine : public QLabel {
    Q_OBJECT

  public:
    explicit OutcomeLine(QWidget* parent = nullptr);

    // The lines drawn: the text fitted to the width, on as many lines as the height holds.
    // Laid out again only when the text, the font or the size has changed.
    QStringList shownLines() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    struct Layout {
        QString text;
        QFont font;
        QSize size;
        QStringList lines;
        bool valid = false;
    };
    mutable Layout layout_;
};
