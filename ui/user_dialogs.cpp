#include "user_dialogs.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

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

class QtDialogs final : public UserDialogs {
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
        QMessageBox box(icon, kTitle, WithLineBreaks(text), buttons, parent);
        // File names in messages are shown as they are, never read as markup.
        box.setTextFormat(Qt::PlainText);
        box.setDefaultButton(defaultButton);
        const int answer = box.exec();
        return kind == MessageKind::Question ? answer == QMessageBox::Yes : true;
    }

    QString openFile(QWidget* parent) override {
        QFileDialog dialog(parent);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
        ApplyAnyFileFilter(dialog);
        if (dialog.exec() != QDialog::Accepted) return QString();
        const QStringList files = dialog.selectedFiles();
        return files.isEmpty() ? QString() : files.first();
    }

    QStringList openFiles(QFileDialog& dialog) override {
        if (dialog.exec() != QDialog::Accepted) return QStringList();
        return dialog.selectedFiles();
    }

    QString saveFile(QWidget* parent) override {
        QFileDialog dialog(parent);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        ApplyAnyFileFilter(dialog);
        dialog.setDefaultSuffix(QString());
        dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
        if (dialog.exec() != QDialog::Accepted) return QString();
        const QStringList files = dialog.selectedFiles();
        return files.isEmpty() ? QString() : files.first();
    }

    QString browseFolder(QWidget* parent, const QString& startFolder) override {
        return QFileDialog::getExistingDirectory(parent, QString(), startFolder,
                                                 QFileDialog::ShowDirsOnly);
    }

    bool openUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }
};

QtDialogs& QtDialogsInstance() {
    static QtDialogs instance;
    return instance;
}

UserDialogs* g_dialogs = nullptr;

}  // namespace

void ApplyAnyFileFilter(QFileDialog& dialog) {
    dialog.setNameFilter(kAnyFileFilter);
    dialog.setFilter(dialog.filter() | QDir::Hidden);
}

UserDialogs& Dialogs() {
    return g_dialogs != nullptr ? *g_dialogs : QtDialogsInstance();
}

void SetDialogs(UserDialogs* dialogs) {
    g_dialogs = dialogs;
}
