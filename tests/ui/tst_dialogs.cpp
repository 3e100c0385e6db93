// SPDX-License-Identifier: GPL-3.0-or-later
// The Qt side of the dialog seam: message boxes and file dialogs as the user meets them, and
// what they leave behind once closed.

#include <QApplication>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <functional>

#include "platform/dialog_state_folder.h"
#include "platform/user_dialogs.h"
#include "scripted_dialogs.h"
#include "text/fonts.h"
#include "widgets/browse_edit.h"
#include "window/unAbout.h"
#include "window/unMain.h"

namespace {

// Runs `handle` on the first modal widget that comes up, polling from the event loop that the
// modal widget runs itself.
void WhenModalShown(std::function<void(QWidget*)> handle) {
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, handle] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr || !modal->isVisible()) return;
        poll->stop();
        poll->deleteLater();
        handle(modal);
    });
    poll->start();
}

}  // namespace

class TestDialogs : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { InstallFontSubstitutes(); }
    void cleanup();

    void qtMessageBox_data();
    void qtMessageBox();
    void qtOpenFileDialog();
    void qtSaveDialog();
    void qtFolderDialog_data();
    void qtFolderDialog();
    void windowUsesDialogsHandedIn();

    void dialogsLeaveNothingBehind_data();
    void dialogsLeaveNothingBehind();
    void dialogStateStaysInThisRun();
};

void TestDialogs::cleanup() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QWidgetList left = QApplication::topLevelWidgets();
    QVERIFY2(left.isEmpty(), qPrintable(QString("%1 top-level widget(s) leaked").arg(left.size())));
}

void TestDialogs::qtMessageBox_data() {
    using Kind = UserDialogs::MessageKind;
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("buttons");
    QTest::addColumn<int>("icon");
    QTest::addColumn<int>("press");
    QTest::addColumn<bool>("result");
    const int yesNo = QMessageBox::Yes | QMessageBox::No;
    QTest::newRow("question, Yes")
        << int(Kind::Question) << "Are you sure to cancel the process ?" << yesNo
        << int(QMessageBox::Question) << int(QMessageBox::Yes) << true;
    QTest::newRow("question, No") << int(Kind::Question) << "Are you sure to cancel the process ?"
                                  << yesNo << int(QMessageBox::Question) << int(QMessageBox::No)
                                  << false;
    QTest::newRow("error, two lines")
        << int(Kind::Error) << "Unable to create the following file:\r/tmp/a<b>.bin"
        << int(QMessageBox::Ok) << int(QMessageBox::Critical) << int(QMessageBox::Ok) << true;
    QTest::newRow("information") << int(Kind::Information) << "Nothing to do."
                                 << int(QMessageBox::Ok) << int(QMessageBox::Information)
                                 << int(QMessageBox::Ok) << true;
    // Long names without a blank: the box stays within the screen, the name all readable.
    const QString longName = "/tmp/" + QString(250, 'n') + "_end.bin";
    QTest::newRow("error, a long name without blanks")
        << int(Kind::Error) << "File \"" + longName + "\" does not exist." << int(QMessageBox::Ok)
        << int(QMessageBox::Critical) << int(QMessageBox::Ok) << true;
    QTest::newRow("question, dropping a long name")
        << int(Kind::Question) << "Do you want to drop the following file:\r" + longName + "   ?"
        << yesNo << int(QMessageBox::Question) << int(QMessageBox::No) << false;
    QString emoji;
    for (int i = 0; i < 150; ++i) emoji += QString::fromUcs4(U"\U0001F600") + "e\u0301";
    QTest::newRow("error, a long name of emoji and accents")
        << int(Kind::Error) << "File \"" + emoji + "\" does not exist." << int(QMessageBox::Ok)
        << int(QMessageBox::Critical) << int(QMessageBox::Ok) << true;
}

void TestDialogs::qtMessageBox() {
    QFETCH(int, kind);
    QFETCH(QString, text);
    QFETCH(int, buttons);
    QFETCH(int, icon);
    QFETCH(int, press);
    QFETCH(bool, result);
    QString seenTitle, seenText;
    int seenButtons = 0;
    int seenIcon = -1;
    Qt::TextFormat seenFormat = Qt::AutoText;
    bool boxInScreen = false;
    int widestRun = -1;
    int labelWidth = -1;
    WhenModalShown([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box == nullptr) {
            modal->close();
            return;
        }
        seenTitle = box->windowTitle();
        seenText = box->text();
        seenButtons = int(box->standardButtons());
        seenIcon = int(box->icon());
        seenFormat = box->textFormat();
        // Within the screen, and every run without a blank as wide as the text's place at most.
        const QRect screen = box->screen()->availableGeometry();
        boxInScreen = screen.contains(box->frameGeometry()) && box->width() <= screen.width();
        if (const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
            widestRun = 0;
            for (const QString& line : seenText.split('\n')) {
                for (const QString& run : line.split(' ')) {
                    widestRun = std::max(widestRun, label->fontMetrics().horizontalAdvance(run));
                }
            }
            labelWidth = label->contentsRect().width();
        }
        box->button(QMessageBox::StandardButton(press))->click();
    });
    const bool answer =
        QtDialogs().showMessage(nullptr, static_cast<UserDialogs::MessageKind>(kind), text);
    QCOMPARE(seenTitle, QString("Partory"));
    QString expectedText = text;
    expectedText.replace('\r', '\n');
    // The exact text; a long name may be broken into lines, between its characters.
    const QStringList seenLines = seenText.split('\n');
    for (const QString& line : seenLines) {
        QVERIFY2(!line.isEmpty() && !line.front().isLowSurrogate() &&
                     !line.back().isHighSurrogate() && line.front() != QChar(0x0301),
                 qPrintable(line));
    }
    QCOMPARE(QString(seenText).remove('\n'), QString(expectedText).remove('\n'));
    if (expectedText.size() < 100) QCOMPARE(seenText, expectedText);
    QVERIFY(boxInScreen);
    QVERIFY2(
        widestRun >= 0 && widestRun <= labelWidth,
        qPrintable(QString("a run of %1 pixels in a label of %2").arg(widestRun).arg(labelWidth)));
    QCOMPARE(seenFormat, Qt::PlainText);
    QCOMPARE(seenButtons, buttons);
    QCOMPARE(seenIcon, icon);
    QCOMPARE(answer, result);
}

namespace {

// The names the dialog's file list shows once it has read its folder.
QStringList ListedNames(QFileDialog& dialog, int atLeast) {
    auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
    QStringList names;
    if (view == nullptr) return names;
    (void)QTest::qWaitFor(
        [&] {
            names.clear();
            const QModelIndex root = view->rootIndex();
            for (int i = 0; i < view->model()->rowCount(root); ++i) {
                names << view->model()->index(i, 0, root).data().toString();
            }
            return names.size() >= atLeast;
        },
        3000);
    names.sort();
    return names;
}

// Makes `folder` the working folder, where a dialog without a start folder opens.
struct WorkingFolder {
    explicit WorkingFolder(const QString& folder) : previous(QDir::currentPath()) {
        QDir::setCurrent(folder);
    }
    ~WorkingFolder() { QDir::setCurrent(previous); }
    QString previous;
};

}  // namespace

void TestDialogs::qtOpenFileDialog() {
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    for (const char* name : {"README", "report.pdf", ".profile"}) {
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    WorkingFolder working(folder.path());
    QStringList filters;
    int mode = -1;
    int acceptMode = -1;
    QStringList listed;
    WhenModalShown([&](QWidget* modal) {
        if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            filters = dialog->nameFilters();
            mode = int(dialog->fileMode());
            acceptMode = int(dialog->acceptMode());
            listed = ListedNames(*dialog, 3);
        }
        modal->close();
    });
    const QString chosen = QtDialogs().openFile(nullptr);
    QVERIFY(chosen.isEmpty());  // cancelled
    QCOMPARE(filters, QStringList{"Any file (*)"});
    QCOMPARE(mode, int(QFileDialog::ExistingFile));
    QCOMPARE(acceptMode, int(QFileDialog::AcceptOpen));
    // Files without an extension and hidden files are listed too.
    QCOMPARE(listed, (QStringList{".profile", "README", "report.pdf"}));
}

void TestDialogs::qtSaveDialog() {
    int acceptMode = -1;
    bool confirmsOverwrite = false;
    QString suffix = "unset";
    QStringList filters;
    WhenModalShown([&](QWidget* modal) {
        if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            acceptMode = int(dialog->acceptMode());
            confirmsOverwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
            suffix = dialog->defaultSuffix();
            filters = dialog->nameFilters();
        }
        modal->close();
    });
    QVERIFY(QtDialogs().saveFile(nullptr).isEmpty());
    QCOMPARE(acceptMode, int(QFileDialog::AcceptSave));
    QVERIFY(confirmsOverwrite);
    QCOMPARE(suffix, QString());
    QCOMPARE(filters, QStringList{"Any file (*)"});
}

void TestDialogs::qtFolderDialog_data() {
    QTest::addColumn<QString>("field");  // inside a fresh folder; empty for an empty field
    QTest::addColumn<QString>("shown");  // likewise; "~" for the home folder
    QTest::addColumn<QString>("highlighted");
    QTest::newRow("a folder: its parent, the folder highlighted") << "parts"
                                                                  << "."
                                                                  << "parts";
    QTest::newRow("a trailing separator") << "parts/"
                                          << "."
                                          << "parts";
    QTest::newRow("a folder inside") << "parts/inner"
                                     << "parts"
                                     << "inner";
    QTest::newRow("a folder not made yet: the nearest that exists") << "parts/new/deeper"
                                                                    << "parts"
                                                                    << "";
    QTest::newRow("empty: the home folder") << ""
                                            << "~"
                                            << "";
}

void TestDialogs::qtFolderDialog() {
    QFETCH(QString, field);
    QFETCH(QString, shown);
    QFETCH(QString, highlighted);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QVERIFY(QDir(folder.path()).mkpath("parts/inner"));
    const QDir base(folder.path());
    int mode = -1;
    bool dirsOnly = false;
    QString shownFolder;
    QStringList selected;
    WhenModalShown([&](QWidget* modal) {
        if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            mode = int(dialog->fileMode());
            dirsOnly = dialog->testOption(QFileDialog::ShowDirsOnly);
            shownFolder = dialog->directory().absolutePath();
            ListedNames(*dialog, 1);
            auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
            if (view != nullptr) {
                for (const QModelIndex& row : view->selectionModel()->selectedRows()) {
                    selected << row.data().toString();
                }
            }
        }
        modal->close();
    });
    const QString start = field.isEmpty() ? QString() : folder.path() + "/" + field;
    QVERIFY(QtDialogs().browseFolder(nullptr, start).isEmpty());
    QCOMPARE(mode, int(QFileDialog::Directory));
    QVERIFY(dirsOnly);
    QCOMPARE(shownFolder,
             shown == "~" ? QDir::homePath() : QDir::cleanPath(base.absoluteFilePath(shown)));
    QCOMPARE(selected, highlighted.isEmpty() ? QStringList() : QStringList{highlighted});
}

void TestDialogs::windowUsesDialogsHandedIn() {
    QCOMPARE(&QtDialogs(), &QtDialogs());
    ScriptedDialogs scripted;
    scripted.openFileResults = {QStringLiteral("/data/report.pdf")};
    scripted.folderResults = {QStringLiteral("/data/parts")};
    TfmMain fm(partory::OsFileLayer(), scripted);
    fm.edFromFileDblClick();
    fm.edToFolderDblClick();
    QCOMPARE(scripted.count(ScriptedDialogs::Call::OpenFile), 1);
    QCOMPARE(scripted.count(ScriptedDialogs::Call::BrowseFolder), 1);
    QCOMPARE(fm.edFromFile->text(), QStringLiteral("/data/report.pdf"));
    QCOMPARE(fm.edToFolder->text(), QStringLiteral("/data/parts"));
}

namespace {

enum class Opened { Add, Source, Save, Folder, Message, About };
enum class Closed { TypedPathAndReturn, DoubleClick, Escape, Cancel, Return };

QList<QWidget*> StrayPopups() {
    QList<QWidget*> popups;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->windowType() == Qt::Popup && window->isVisible()) popups << window;
    }
    return popups;
}

// The view of the dialog's folder that is shown (list or details); they share one model.
QAbstractItemView* ShownView(QFileDialog& dialog) {
    for (auto* view : dialog.findChildren<QAbstractItemView*>()) {
        const QString name = view->objectName();
        if ((name == "listView" || name == "treeView") && view->isVisible()) return view;
    }
    return nullptr;
}

// The row of `name` in the shown folder, once the dialog has read it.
QModelIndex Listed(QFileDialog& dialog, const QString& name) {
    QModelIndex found;
    (void)QTest::qWaitFor([&] {
        QAbstractItemView* view = ShownView(dialog);
        if (view == nullptr) return false;
        const QModelIndex root = view->rootIndex();
        for (int row = 0; row < view->model()->rowCount(root); ++row) {
            const QModelIndex index = view->model()->index(row, 0, root);
            if (index.data().toString() == name) found = index;
        }
        return found.isValid();
    });
    return found;
}

// Once the dialog has read its folder, types `name` into its name field key by key, as the
// user does, and waits for the completion list to open over the dialog.
bool TypeWithCompletion(QFileDialog& dialog, const QString& name) {
    auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (edit == nullptr || !Listed(dialog, QStringLiteral("parts")).isValid()) return false;
    edit->setFocus();
    edit->clear();
    for (const QChar c : name) {
        QTest::keyClicks(edit, QString(c));
        QTest::qWait(5);
    }
    QCompleter* completer = edit->completer();
    return completer != nullptr &&
           QTest::qWaitFor([completer] { return completer->popup()->isVisible(); }, 5000);
}

bool DoubleClickListed(QFileDialog& dialog, const QString& name) {
    const QModelIndex index = Listed(dialog, name);
    QAbstractItemView* view = ShownView(dialog);
    if (!index.isValid() || view == nullptr) return false;
    view->scrollTo(index);
    const QPoint spot = view->visualRect(index).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, spot);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, spot);
    return true;
}

}  // namespace

void TestDialogs::dialogsLeaveNothingBehind_data() {
    QTest::addColumn<Opened>("opened");
    QTest::addColumn<Closed>("closed");
    QTest::addColumn<QString>("typed");  // inside the test folder
    QTest::addColumn<QString>("focus");  // where the keyboard is afterwards
    QTest::addColumn<bool>("taken");     // whether the dialog's choice reached the window
    const auto row = [](const char* name, Opened opened, Closed closed, const QString& typed,
                        const QString& focus, bool taken) {
        QTest::newRow(name) << opened << closed << typed << focus << taken;
    };
    using O = Opened;
    using C = Closed;
    row("add, typed path and Return", O::Add, C::TypedPathAndReturn, "part1.bin", "list", true);
    row("add, double-click", O::Add, C::DoubleClick, "part1.bin", "list", true);
    row("add, Escape", O::Add, C::Escape, "", "list", false);
    row("add, Cancel", O::Add, C::Cancel, "", "list", false);
    row("source, typed path and Return", O::Source, C::TypedPathAndReturn, "part1.bin",
        "edToFolder", true);
    row("source, double-click", O::Source, C::DoubleClick, "part1.bin", "edToFolder", true);
    row("source, Escape", O::Source, C::Escape, "", "edFromFile", false);
    row("source, Cancel", O::Source, C::Cancel, "", "edFromFile", false);
    row("save, typed path and Return", O::Save, C::TypedPathAndReturn, "part", "edSaveCombined",
        true);
    row("save, Escape", O::Save, C::Escape, "", "edSaveCombined", false);
    row("save, Cancel", O::Save, C::Cancel, "", "edSaveCombined", false);
    row("folder, typed path and Return", O::Folder, C::TypedPathAndReturn, "parts", "edToFolder",
        true);
    row("folder, Escape", O::Folder, C::Escape, "", "edToFolder", false);
    row("folder, Cancel", O::Folder, C::Cancel, "", "edToFolder", false);
    row("message box, Return", O::Message, C::Return, "", "edFromFile", false);
    row("message box, Escape", O::Message, C::Escape, "", "edFromFile", false);
    row("About, Escape", O::About, C::Escape, "", "edNewNames", false);
}

void TestDialogs::dialogsLeaveNothingBehind() {
    QFETCH(Opened, opened);
    QFETCH(Closed, closed);
    QFETCH(QString, typed);
    QFETCH(QString, focus);
    QFETCH(bool, taken);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QVERIFY(QDir(folder.path()).mkdir("parts"));
    QFile file(folder.filePath("part1.bin"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();

    TfmMain fm;
    fm.show();
    QVERIFY(QTest::qWaitForWindowActive(&fm));
    QTRY_VERIFY(fm.pnlInit->isVisible());
    const bool combine = opened == Opened::Add || opened == Opened::Save;
    (combine ? fm.rbCombine : fm.rbDivide)->setChecked(true);
    fm.btnNextClick();
    fm.edNewNames->setFocus();

    bool handled = false;
    WhenModalShown([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (dialog != nullptr) dialog->setDirectory(folder.path());
        switch (closed) {
            case Closed::TypedPathAndReturn:
                if (dialog == nullptr || !TypeWithCompletion(*dialog, typed)) break;
                handled = true;
                QTest::keyClick(QApplication::activePopupWidget() != nullptr
                                    ? QApplication::activePopupWidget()
                                    : QApplication::focusWidget(),
                                Qt::Key_Return);
                break;
            case Closed::DoubleClick:
                handled = dialog != nullptr && DoubleClickListed(*dialog, typed);
                break;
            case Closed::Escape:
            case Closed::Return:
                handled = true;
                QTest::keyClick(
                    QApplication::focusWidget() != nullptr ? QApplication::focusWidget() : modal,
                    closed == Closed::Escape ? Qt::Key_Escape : Qt::Key_Return);
                break;
            case Closed::Cancel:
                if (auto* buttons = modal->findChild<QDialogButtonBox*>()) {
                    handled = buttons->button(QDialogButtonBox::Cancel) != nullptr;
                    if (handled) buttons->button(QDialogButtonBox::Cancel)->click();
                }
                break;
        }
        if (modal->isVisible()) modal->close();
    });
    switch (opened) {
        case Opened::Add:
            QTest::keyClick(fm.list, Qt::Key_Insert, Qt::ControlModifier);
            break;
        case Opened::Source:
            QTest::keyClick(fm.edNewNames, Qt::Key_O, Qt::ControlModifier);
            break;
        case Opened::Save:
            QTest::keyClick(fm.list, Qt::Key_S, Qt::ControlModifier);
            break;
        case Opened::Folder:
            QTest::mouseDClick(fm.edToFolder, Qt::LeftButton);
            break;
        case Opened::Message:
            fm.btnNextClick();  // "Start" with nothing filled in
            break;
        case Opened::About:
            fm.btnAboutClick();
            break;
    }
    QVERIFY2(handled, "the dialog was not closed the way this row says");
    // The keyboard goes back to the window's own focus control once the window manager has
    // made it active again, which this platform leaves to the test.
    const auto check = [&] {
        QVERIFY(StrayPopups().isEmpty());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(fm.focusWidget() != nullptr);
        QCOMPARE(fm.focusWidget()->objectName(), focus);
    };
    check();
    if (QTest::currentTestFailed()) return;
    // A folder listing that ends later must not bring anything back.
    QTest::qWait(300);
    check();
    if (QTest::currentTestFailed()) return;
    const bool changed = combine
                             ? fm.list->count() + fm.edSaveCombined->text().size() > 0
                             : !fm.edFromFile->text().isEmpty() || !fm.edToFolder->text().isEmpty();
    QCOMPARE(changed, taken);
}

void TestDialogs::dialogStateStaysInThisRun() {
    const QString home = QDir::homePath() + "/";
    const QString userConfig =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/";
    const QString userState = userConfig + "QtProject.conf";
    const QFileInfo before(userState);
    const QDateTime beforeTime = before.exists() ? before.lastModified() : QDateTime();

    // The file dialogs keep their state (history, last folder, view) under this name.
    const QString kept = QSettings(QSettings::UserScope, "QtProject").fileName();
    QVERIFY2(!kept.startsWith(home) && !kept.startsWith(userConfig), qPrintable(kept));
    const QString shared = QSettings(QSettings::SystemScope, "QtProject").fileName();
    QVERIFY2(!shared.startsWith("/etc") && !shared.startsWith(home), qPrintable(shared));

    WhenModalShown([](QWidget* modal) { modal->close(); });
    QVERIFY(QtDialogs().openFile(nullptr).isEmpty());
    // The dialog did keep its state, in this run's own place: a folder of this user's only.
    const QString folder = DialogStateFolder();
    QVERIFY(!folder.isEmpty());
    QCOMPARE(
        QFileInfo(folder).permissions() & ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                            QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
        QFile::Permissions());
    const QString keptNow = QSettings(QSettings::UserScope, "QtProject").fileName();
    QVERIFY2(keptNow.startsWith(folder + "/"), qPrintable(keptNow));
    QTRY_VERIFY(QFileInfo::exists(keptNow));
    const QFileInfo after(userState);
    QCOMPARE(after.exists(), before.exists());
    if (after.exists()) QCOMPARE(after.lastModified(), beforeTime);
}

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
