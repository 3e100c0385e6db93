// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QFont>
#include <QRawFont>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>

#include "partory/run_control.h"

// The progress bar of the progress page and the one sink a job reports to. It stays hidden
// until a position gives a whole per cent that differs from the last one drawn, and then
// follows the job. The text "N%" is drawn in two colours: the ground colour over the filled
// part, the bar colour over the empty part. Changes that come faster than a screen shows them
// are painted together, at most once a frame, with the last of them. Assistive technology is
// told of a new per cent at most four times a second, the last one always.
class PercentBar : public QWidget, public partory::ProgressSink {
    Q_OBJECT
  public:
    explicit PercentBar(QWidget* parent = nullptr);

    // A maximum equal to the current one or to the minimum 0 is ignored; a position above the
    // new maximum is lowered to it.
    void SetMaximum(std::int64_t maximum) override;
    // Brought into 0..maximum; shows and redraws the bar when the whole per cent changes.
    void SetPosition(std::int64_t position) override;

    std::int64_t maximum() const { return maximum_; }
    std::int64_t position() const { return position_; }
    // position / maximum * 100, rounded half to even, within 0..100.
    int percent() const;
    int drawnPercent() const { return drawnPercent_; }
    // At each job start: hidden, and the last drawn per cent is 0 again.
    void resetForJob();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void requestPaint();
    void requestAnnouncement();
    void announceValue();
    // Draws "N%" centred in the bar, in the painter's pen. A bar paints up to once a frame, and
    // laying its text out costs more than the rest of the paint: the text is placed from the
    // glyphs of "0123456789%", looked up once per font.
    void drawPercentText(QPainter& painter, int percent);

    struct PercentGlyphs {
        QFont font;
        QRawFont raw;
        std::array<quint32, 11> index{};
        std::array<qreal, 11> advance{};
        bool looked = false;  // for `font`
        bool usable = false;
    };
    PercentGlyphs glyphs_;

    QTimer nextFrame_;
    QElapsedTimer sinceLastPaint_;
    QTimer nextAnnouncement_;
    QElapsedTimer sinceLastAnnouncement_;
    std::int64_t maximum_ = 1;
    std::int64_t position_ = 0;
    int drawnPercent_ = 0;
};
