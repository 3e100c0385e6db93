// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTimer>
#include <QWidget>

#include "widgets/picture_strip.h"

// Loops over the frames of a picture strip on a timer. A stopped control rests on the strip's
// first frame. It only moves while the window processes events.
class AnimationControl : public QWidget {
    Q_OBJECT
  public:
    explicit AnimationControl(QWidget* parent = nullptr);

    // A new strip shows its first frame and, when running, keeps running from there; giving
    // the strip it already has (same name) changes nothing.
    void setStrip(const QString& name, const PictureStrip& strip);
    QString stripName() const { return stripName_; }
    void setInterval(int milliseconds);
    int interval() const;

    // Starting a stopped control shows the first frame and starts the ticks; starting a
    // running one changes nothing.
    void start();
    // Ends the ticks and shows the first frame.
    void stop();
    bool isRunning() const;
    int currentFrame() const { return frame_; }

  signals:
    void doubleClicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // Only a double-click whose first press was on this control too: the second press of a
    // double-click on a button that has just made way for the control is no double-click here.
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    void tick();

    QTimer timer_;
    PictureStrip strip_;
    QString stripName_;
    int frame_ = 0;
    bool pressedHere_ = false;
    quint64 pressTime_ = 0;
};
