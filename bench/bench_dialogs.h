// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

#include "platform/user_dialogs.h"

// Answers the add dialog with a prepared list and every question with Yes, so that a benchmark
// drives the window's own handlers without a person at the dialogs.
class BenchDialogs : public UserDialogs {
  public:
    QStringList files;
    bool showMessage(QWidget*, MessageKind, const QString&) override { return true; }
    QString openFile(QWidget*) override { return QString(); }
    QStringList openFiles(QFileDialog&) override { return files; }
    QString saveFile(QWidget*) override { return QString(); }
    QString browseFolder(QWidget*, const QString&) override { return QString(); }
    bool openUrl(const QUrl&) override { return false; }
};
