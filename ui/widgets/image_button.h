// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractButton>
#include <QHash>
#include <QKeySequence>
#include <QList>
#include <QPixmap>

#include "widgets/picture_strip.h"

// A button that draws its face from a three-face strip (normal, mouse over, pressed) with an
// optional glyph beside its caption. It never takes the keyboard focus, so pressing it leaves
// the focus (and an edit's leaving rule) where it was. It knows the key that presses it for
// each caption it can show; the window runs the keys (a Qt shortcut would press it late,
// through animateClick, and could move the focus).
class ImageButton : public QAbstractButton {
    Q_OBJECT
  public:
    enum class GlyphPlace { BeforeCaption, AfterCaption };

    explicit ImageButton(QWidget* parent = nullptr);

    void setFaces(const PictureStrip& faces);
    // The glyph stands 10 pixels from the caption; with no caption it is centred.
    void setGlyph(const QPixmap& glyph, GlyphPlace place = GlyphPlace::BeforeCaption);
    // Which piece or command the button stands for (the insert buttons' 1, 2, 3).
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }
    // The key that presses the button while it shows `caption` (a glyph-only button: "").
    void setKey(const QString& caption, const QKeySequence& key);
    // The key for the caption now shown; empty when it has none.
    QKeySequence key() const { return keys_.value(text()); }
    // The keys of every caption it can show.
    QList<QKeySequence> keys() const { return keys_.values(); }
    // The face now drawn: 0 normal, 1 mouse over, 2 pressed.
    int faceIndex() const;
    // Mouse presses stamped before `eventTime` (the input events' own clock) do not press the
    // button: the button has just taken the place of another, and such a press was aimed at
    // that one. Clicks by keyboard or program are never refused.
    void refuseMousePressesBefore(quint64 eventTime) { refuseBefore_ = eventTime; }

    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // The second press of a double-click does nothing: a double-click is one click.
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    PictureStrip faces_;
    QPixmap glyph_;
    GlyphPlace glyphPlace_ = GlyphPlace::BeforeCaption;
    QHash<QString, QKeySequence> keys_;
    int tag_ = 0;
    bool hovered_ = false;
    quint64 refuseBefore_ = 0;
};
