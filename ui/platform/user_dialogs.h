// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class QDialog;
class QFileDialog;
class QUrl;
class QWidget;

// Every message box, common dialog and address opening of the window goes through here, so
// that tests can answer them. The windows are handed the one they use; Qt's is the default.
class UserDialogs {
  public:
    enum class MessageKind { Information, Error, Question };

    virtual ~UserDialogs() = default;
    // A modal message box titled "Partory". Lines are separated by a lone carriage return as
    // the messages hold them. Returns true for Yes (questions) or OK.
    virtual bool showMessage(QWidget* parent, MessageKind kind, const QString& text) = 0;
    // Open dialog for one existing file; empty when cancelled.
    virtual QString openFile(QWidget* parent) = 0;
    // Runs the long-lived several-files dialog (it keeps its state between uses); the chosen
    // files, empty when cancelled.
    virtual QStringList openFiles(QFileDialog& dialog) = 0;
    // Save dialog that asks before an existing file is replaced; empty when cancelled.
    virtual QString saveFile(QWidget* parent) = 0;
    // Folder dialog on the parent of `startFolder` with that folder highlighted, or on the
    // home folder when `startFolder` is empty; empty when cancelled.
    virtual QString browseFolder(QWidget* parent, const QString& startFolder) = 0;
    // The user's default browser; false when it cannot be opened.
    virtual bool openUrl(const QUrl& url) = 0;
};

// The "Any file" filter entry of every file dialog, listing hidden files too. Its pattern is
// "*": "*.*" would hide the many files that have no extension on this platform.
void ApplyAnyFileFilter(QFileDialog& dialog);

// Runs a modal window of the program and leaves nothing of it behind, however it was closed:
// no completion list or other popup of it stays on screen, now or later.
int RunModal(QDialog& dialog);

// A file dialog kept between uses lists the folder it shows and watches it, hidden or not, so
// that a job writing there would have the window add, look up and sort every part on the spot.
// Such a dialog watches nothing from StopWatching on; while a WatchedWhileShown lives it
// watches again, its folder read afresh.
void StopWatching(QFileDialog& dialog);
class WatchedWhileShown {
  public:
    explicit WatchedWhileShown(QFileDialog& dialog);
    ~WatchedWhileShown();
    WatchedWhileShown(const WatchedWhileShown&) = delete;
    WatchedWhileShown& operator=(const WatchedWhileShown&) = delete;

  private:
    QFileDialog& dialog_;
};

// Qt's dialogs, one for the whole run.
UserDialogs& QtDialogs();
