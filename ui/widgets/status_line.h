#pragma once

#include <QLabel>

// The progress page's status line. A class of its own so that a screen reader learns it as a
// notification (accessibility.cpp), spoken each time it shows again.
class StatusLine : public QLabel {
    Q_OBJECT

  public:
    using QLabel::QLabel;
};
