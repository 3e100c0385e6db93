// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "widgets/focus_label.h"

// The progress page's status line. A class of its own so that a screen reader learns it as a
// notification (accessible_widgets.cpp), spoken each time it shows again.
class StatusLine : public FocusLabel {
    Q_OBJECT

  public:
    using FocusLabel::FocusLabel;
};
