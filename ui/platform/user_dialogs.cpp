// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/user_dialogs.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QSignalBlocker>
#include <QUrl>
#include <algorithm>

#include "platform/dialog_state_folder.h"
#include "text/text_fitting.h"

namespace {

const QString kTitle = QStringLiteral("Partory");
const QString kAnyFileFilter = QStringLiteral("Any file (*)");

// Messages join their lines with a lone carriage return; a message box breaks lines on line
// feeds only.
QString WithLineBreaks(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

// A message box wraps its text at blanks only and grows with its longest word up to the
// screen's width, then cuts it: a long name without a blank is broken into lines short enough
// for the box's usual width, so that all of it can be read.
QString FitWithinScreen(const QString& text, const QMessageBox& box) {
    const QScreen* screen =
        box.screen() != nullptr ? box.screen() : QGuiApplication::primaryScreen();
    const int screenWidth = screen != nullptr ? screen->availableGeometry().width() : 640;
    // Qt's own wrap width for a message box, less the icon and the margins beside the text.
    const int width = std::max(120, std::min(screenWidth / 2, 500) - 100);
    return BreakWordsWiderThan(text, box.font(), width);
}

// The folder dialog opens on the folder's parent with the folder highlighted; a folder that
// does not exist (yet) opens its nearest existing parent; no folder opens the home folder.
void OpenOnFolder(QFileDialog& dialog, const QString& folder) {
    const QString path = QDir::cleanPath(QDir::fromNativeSeparators(folder.trimmed()));
    if (path.isEmpty() || path == QStringLiteral(".")) {
        dialog.setDirectory(QDir::homePath());
        return;
    }
    const QFileInfo shown(QDir::current().absoluteFilePath(path));
    if (shown.isDir() && !shown.isRoot()) {
        dialog.setDirectory(shown.absolutePath());
        dialog.selectFile(shown.fileName());
        return;
    }
    QDir nearest(shown.isDir() ? shown.absoluteFilePath() : shown.absolutePath());
    while (!nearest.exists() && nearest.cdUp()) {
    }
    dialog.setDirectory(nearest.exists() ? nearest.absolutePath() : QDir::homePath());
}

// Qt's own dialog on every desktop: it behaves as this program expects (hidden files, the
// highlighted folder) and keeps its state in the private folder of this run, made now if it is
// not there yet (a dialog constructed earlier saves its state when it is destroyed).
void UseOwnDialog(QFileDialog& dialog) {
    MakeDialogStateFolder();
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
}

class QtUserDialogs final : public UserDialogs {
  public:
    bool showMessage(QWidget* parent, MessageKind kind, const QString& text) override {
        QMessageBox::Icon icon = QMessageBox::Information;
        QMessageBox::StandardButtons buttons = QMessageBox::Ok;
        QMessageBox::StandardButton defaultButton = QMessageBox::Ok;
        switch (kind) {
            case MessageKind::Information:
                break;
            case MessageKind::Error:
                icon = QMessageBox::Critical;
                break;
            case MessageKind::Question:
                icon = QMessageBox::Question;
                buttons = QMessageBox::Yes | QMessageBox::No;
                defaultButton = QMessageBox::Yes;
                break;
        }
        QMessageBox box(icon, kTitle, QString(), buttons, parent);
        box.setText(FitWithinScreen(WithLineBreaks(text), box));
        // File names in messages are shown as they are, never read as markup.
        box.setTextFormat(Qt::PlainText);
        box.setDefaultButton(defaultButton);
        const int answer = RunModal(box);
        return kind == MessageKind::Question ? answer == QMessageBox::Yes : true;
    }

    QString openFile(QWidget* parent) override {
        MakeDialogStateFolder();
        QFileDialog dialog(parent);
        UseOwnDialog(dialog);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        ApplyAnyFileFilter(dialog);
        if (RunModal(dialog) != QDialog::Accepted) return QString();
        const QStringList files = dialog.selectedFiles();
        return files.isEmpty() ? QString() : files.first();
    }

    QStringList openFiles(QFileDialog& dialog) override {
        UseOwnDialog(dialog);
        if (RunModal(dialog) != QDialog::Accepted) return QStringList();
        return dialog.selectedFiles();
    }

    QString saveFile(QWidget* parent) override {
        MakeDialogStateFolder();
        QFileDialog dialog(parent);
        UseOwnDialog(dialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        ApplyAnyFileFilter(dialog);
        dialog.setDefaultSuffix(QString());
        dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
        if (RunModal(dialog) != QDialog::Accepted) return QString();
        const QStringList files = dialog.selectedFiles();
        return files.isEmpty() ? QString() : files.first();
    }

    QString browseFolder(QWidget* parent, const QString& startFolder) override {
        MakeDialogStateFolder();
        QFileDialog dialog(parent);
        UseOwnDialog(dialog);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly, true);
        OpenOnFolder(dialog, startFolder);
        if (RunModal(dialog) != QDialog::Accepted) return QString();
        const QStringList folders = dialog.selectedFiles();
        return folders.isEmpty() ? QString() : folders.first();
    }

    bool openUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }
};

}  // namespace

UserDialogs& QtDialogs() {
    static QtUserDialogs instance;
    return instance;
}

int RunModal(QDialog& dialog) {
    const int result = dialog.exec();
    // A completion list that was open when Return accepted the dialog stays up: its line edit
    // still has the focus at that moment, so the completer does not hide it, and a folder
    // listing that ends later opens it again. Detached, the completer can show nothing until
    // its line edit takes the focus again at the next use of the dialog.
    for (QCompleter* completer : dialog.findChildren<QCompleter*>()) {
        completer->setWidget(nullptr);
        if (QAbstractItemView* list = completer->popup()) list->hide();
    }
    // Nothing else may stay up either: any popup left would take the keyboard and the next
    // click of the user.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->windowType() == Qt::Popup && window->isVisible()) window->close();
    }
    return result;
}

namespace {

QFileSystemModel* ListingOf(QFileDialog& dialog) {
    return dialog.findChild<QFileSystemModel*>();
}

}  // namespace

void StopWatching(QFileDialog& dialog) {
    // The dialog's own widgets, and with them its listing, exist from now on.
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (QFileSystemModel* listing = ListingOf(dialog))
        listing->setOption(QFileSystemModel::DontWatchForChanges, true);
}

WatchedWhileShown::WatchedWhileShown(QFileDialog& dialog) : dialog_(dialog) {
    QFileSystemModel* listing = ListingOf(dialog);
    if (listing == nullptr) return;
    listing->setOption(QFileSystemModel::DontWatchForChanges, false);
    // What was listed while nothing watched may be out of date. Leaving the folder marks its
    // listing stale, and coming back reads it again; the dialog is not told of the detour, so
    // that its history stays as the user left it.
    const QString folder = dialog.directory().absolutePath();
    {
        const QSignalBlocker quiet(listing);
        listing->setRootPath(QString());
    }
    dialog.setDirectory(folder);
}

WatchedWhileShown::~WatchedWhileShown() {
    if (QFileSystemModel* listing = ListingOf(dialog_))
        listing->setOption(QFileSystemModel::DontWatchForChanges, true);
}

void ApplyAnyFileFilter(QFileDialog& dialog) {
    dialog.setNameFilter(kAnyFileFilter);
    dialog.setFilter(dialog.filter() | QDir::Hidden);
}
