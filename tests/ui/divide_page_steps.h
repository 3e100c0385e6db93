// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QString>
#include <QTest>

#include "main_window_harness.h"
#include "widgets/image_button.h"

// Steps shared by the tests of the divide page.

inline QWidget* Focused() {
    return QApplication::focusWidget();
}

// Opens the window on the divide page.
inline bool OpenOnDividePage(MainWindowHarness& h) {
    if (!h.open()) return false;
    QTest::mouseClick(h.fm.btnNext, Qt::LeftButton);
    return h.fm.pnlDivide->isVisible();
}

// Picks `path` in the source dialog through a double-click on the field.
inline void Pick(MainWindowHarness& h, const QString& path) {
    h.dialogs.openFileResults.push_back(path);
    h.fm.edFromFileDblClick();
}
