// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>

#include "scripted_dialogs.h"
#include "widgets/animation_control.h"
#include "widgets/browse_edit.h"
#include "window/unMain.h"

// The main window, shown and activated, answered by scripted dialogs.
struct MainWindowHarness {
    MainWindowHarness() : MainWindowHarness(partory::OsFileLayer()) {}
    // A window whose jobs go through `files`.
    explicit MainWindowHarness(partory::FileLayer& files) : fm(files, dialogs) {}

    ScriptedDialogs dialogs;
    TfmMain fm;

    // Shows the window and waits for its first-activation reset; false when it never came.
    bool open() {
        fm.show();
        if (!QTest::qWaitForWindowActive(&fm)) return false;
        return QTest::qWaitFor([this] { return fm.movie_intro->isRunning(); });
    }

    void toDividePage() {
        fm.rbDivide->setChecked(true);
        fm.btnNextClick();
    }
    void toCombinePage() {
        fm.rbCombine->setChecked(true);
        fm.btnNextClick();
    }

    void fillDivide(const std::string& source, const std::string& folder,
                    const QString& nameTemplate, const QString& size, int unit) {
        fm.edFromFile->setText(QString::fromStdString(source));
        fm.edToFolder->setText(QString::fromStdString(folder));
        fm.edNewNames->setText(nameTemplate);
        fm.edDivideBytes->setText(size);
        fm.boxDivideType->setCurrentIndex(unit);
    }

    // Runs `action` at the first event pump from now: inside a job started right after, that
    // is the pump of the job start.
    void atNextPump(std::function<void()> action, int milliseconds = 0) {
        QTimer::singleShot(milliseconds, &fm, std::move(action));
    }

    // The page now shown; empty when none or more than one.
    QString visiblePage() const {
        QString shown;
        int count = 0;
        for (QWidget* page :
             {fm.pnlInit, fm.pnlDivide, fm.pnlCombine, fm.pnlProgress, fm.pnlDone}) {
            if (page->isVisible()) {
                shown = page->objectName();
                ++count;
            }
        }
        return count == 1 ? shown : QString();
    }
};
