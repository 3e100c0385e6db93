// SPDX-License-Identifier: GPL-3.0-or-later
// The divide page: its controls, the source pick with its proposals, the insert buttons, the
// template field's selection, and drops from the file manager.

#include <QCheckBox>
#include <QDir>
#include <QMimeData>
#include <QToolButton>
#include <QtTest>

#include "divide_page_steps.h"
#include "main_window_harness.h"
#include "temp_dir.h"
#include "widgets/image_button.h"

using partory::testing::TempDir;
using partory::testing::WriteFile;

class TestDividePage : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void controlsStandAsLaidOut_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("place");  // an empty size: a label, only its place counts
        QTest::addColumn<QString>("text");
        const QString none;
        QTest::newRow("Label5") << "Label5" << QRect(8, 10, 0, 0) << "Step 3: Specify job details:";
        QTest::newRow("Label6") << "Label6" << QRect(8, 40, 0, 0)
                                << QString::fromUtf8("Select \xD0\xB0 file to divide:");
        QTest::newRow("edFromFile") << "edFromFile" << QRect(146, 37, 407, 21) << none;
        QTest::newRow("Label12") << "Label12" << QRect(8, 67, 0, 0)
                                 << "Select the destination folder:";
        QTest::newRow("edToFolder") << "edToFolder" << QRect(146, 64, 407, 21) << none;
        QTest::newRow("Label13") << "Label13" << QRect(8, 94, 0, 0) << "Size of new file parts:";
        QTest::newRow("edDivideBytes") << "edDivideBytes" << QRect(146, 91, 95, 21) << "1.00";
        QTest::newRow("boxDivideType") << "boxDivideType" << QRect(253, 91, 95, 21) << "Kbytes";
        QTest::newRow("Label16") << "Label16" << QRect(8, 131, 0, 0)
                                 << "Step 4: Specify how new file parts will be named:";
        QTest::newRow("edNewNames") << "edNewNames" << QRect(8, 152, 545, 21) << none;
        QTest::newRow("btnDivide_AddName")
            << "btnDivide_AddName" << QRect(7, 178, 105, 30) << "Add file name";
        QTest::newRow("btnDivide_AddExtension")
            << "btnDivide_AddExtension" << QRect(117, 178, 105, 30) << "Add file extension";
        QTest::newRow("boxUpperCase")
            << "boxUpperCase" << QRect(229, 186, 204, 17) << "Use UPPER case";
        QTest::newRow("btnDivide_AddCounter")
            << "btnDivide_AddCounter" << QRect(450, 178, 105, 30) << "Add counter";
        QTest::newRow("Label17") << "Label17" << QRect(455, 208, 0, 0) << "Counter: 1, 2, 3, etc.";
        QTest::newRow("Label4") << "Label4" << QRect(8, 227, 0, 0) << "Step 5:";
        QTest::newRow("Label3") << "Label3" << QRect(8, 244, 0, 0)
                                << "Click \"Start\" after you have completed the steps above";
    }

    void controlsStandAsLaidOut() {
        QFETCH(QString, name);
        QFETCH(QRect, place);
        QFETCH(QString, text);
        MainWindowHarness h;
        QVERIFY(OpenOnDividePage(h));
        auto* control = h.fm.pnlDivide->findChild<QWidget*>(name);
        QVERIFY(control != nullptr);
        QCOMPARE(control->parentWidget(), h.fm.pnlDivide);
        QVERIFY(control->isVisible());
        if (place.isEmpty()) {
            QCOMPARE(control->pos(), place.topLeft());
        } else {
            QCOMPARE(control->geometry(), place);
        }
        if (auto* label = qobject_cast<QLabel*>(control)) {
            QCOMPARE(label->text(), text);
            // The whole text fits: nothing is cut off at the label's edge.
            QVERIFY(label->width() >= label->fontMetrics().horizontalAdvance(text));
        } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            QCOMPARE(edit->text(), text);
        } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            QCOMPARE(button->text(), text);
        } else if (auto* box = qobject_cast<QComboBox*>(control)) {
            QCOMPARE(box->currentText(), text);
        }
    }

    void startValuesHintsAndTabOrder() {
        MainWindowHarness h;
        QVERIFY(OpenOnDividePage(h));
        TfmMain& fm = h.fm;
        QCOMPARE(fm.edFromFile->toolTip(),
                 QStringLiteral("Double-click to open dialog\n(Ctrl + O)"));
        QCOMPARE(fm.edToFolder->toolTip(), QStringLiteral("Double-click to open dialog"));
        QCOMPARE(fm.btnDivide_AddName->toolTip(), QString());
        QCOMPARE(fm.btnDivide_AddExtension->toolTip(), QString());
        QCOMPARE(fm.btnDivide_AddCounter->toolTip(), QStringLiteral("Add [COUNTER]"));

        QCOMPARE(fm.boxDivideType->count(), 2);
        QCOMPARE(fm.boxDivideType->itemText(0), QStringLiteral("Kbytes"));
        QCOMPARE(fm.boxDivideType->itemText(1), QStringLiteral("bytes"));
        QVERIFY(!fm.boxDivideType->isEditable());
        QVERIFY(fm.boxUpperCase->isChecked());
        QCOMPARE(fm.edDivideBytes->value(), 1.0);

        const ImageButton* inserts[] = {fm.btnDivide_AddName, fm.btnDivide_AddExtension,
                                        fm.btnDivide_AddCounter};
        for (int tag = 1; tag <= 3; ++tag) {
            QCOMPARE(inserts[tag - 1]->tag(), tag);
            QCOMPARE(inserts[tag - 1]->focusPolicy(), Qt::NoFocus);
        }
        QCOMPARE(fm.edDivideBytes->upButton()->focusPolicy(), Qt::NoFocus);
        QCOMPARE(fm.edDivideBytes->downButton()->focusPolicy(), Qt::NoFocus);

        QCOMPARE(Focused(), static_cast<QWidget*>(fm.edFromFile));
        const QList<QWidget*> expected = {fm.edToFolder, fm.edDivideBytes, fm.boxDivideType,
                                          fm.edNewNames, fm.boxUpperCase};
        for (QWidget* next : expected) {
            QTest::keyClick(Focused(), Qt::Key_Tab);
            QCOMPARE(Focused(), next);
        }
    }

    void pickingASourceProposesFolderHintsAndTemplate_data() {
        QTest::addColumn<QString>("picked");
        QTest::addColumn<bool>("upperCase");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("nameTemplate");
        QTest::addColumn<QString>("nameHint");
        QTest::addColumn<QString>("extensionHint");
        QTest::newRow("no extension") << "/report" << true << "/"
                                      << "REPORT__[COUNTER]"
                                      << "Add \"report\""
                                      << "";
        QTest::newRow("pdf") << "/data/docs/report.pdf" << true << "/data/docs/"
                             << "REPORT_PDF_[COUNTER]"
                             << "Add \"report\""
                             << "Add \"pdf\"";
        QTest::newRow("lower case") << "/data/archive.tar.gz" << false << "/data/"
                                    << "archive.tar_gz_[COUNTER]"
                                    << "Add \"archive.tar\""
                                    << "Add \"gz\"";
        QTest::newRow("dot file") << "/home/u/.profile" << true << "/home/u/"
                                  << "PROFILE_[COUNTER]"
                                  << ""
                                  << "Add \"profile\"";
        QTest::newRow("beyond ASCII")
            << QString::fromUtf8("/d/na\xC3\xAFve \xF0\x9F\x98\x80.txt") << true << "/d/"
            << QString::fromUtf8("NA\xC3\x8FVE \xF0\x9F\x98\x80_TXT_[COUNTER]")
            << QString::fromUtf8("Add \"na\xC3\xAFve \xF0\x9F\x98\x80\"") << "Add \"txt\"";
    }

    void pickingASourceProposesFolderHintsAndTemplate() {
        QFETCH(QString, picked);
        QFETCH(bool, upperCase);
        QFETCH(QString, folder);
        QFETCH(QString, nameTemplate);
        QFETCH(QString, nameHint);
        QFETCH(QString, extensionHint);
        MainWindowHarness h;
        QVERIFY(OpenOnDividePage(h));
        TfmMain& fm = h.fm;
        fm.boxUpperCase->setChecked(upperCase);
        fm.edNewNames->setText(QStringLiteral("OLD_[COUNTER]"));
        fm.edDivideBytes->setFocus();
        QWidget* focusWhileOpen = nullptr;
        h.dialogs.onDialog = [&](ScriptedDialogs::Call) { focusWhileOpen = Focused(); };

        // The browse button opens the dialog as a double-click would.
        h.dialogs.openFileResults.push_back(picked);
        QTest::mouseClick(fm.edFromFile->browseButton(), Qt::LeftButton);

        QCOMPARE(h.dialogs.count(ScriptedDialogs::Call::OpenFile), 1);
        QCOMPARE(focusWhileOpen, static_cast<QWidget*>(fm.edFromFile));
        QCOMPARE(fm.edFromFile->text(), picked);
        QCOMPARE(fm.edToFolder->text(), folder);
        QCOMPARE(fm.edNewNames->text(), nameTemplate);
        QCOMPARE(fm.btnDivide_AddName->toolTip(), nameHint);
        QCOMPARE(fm.btnDivide_AddExtension->toolTip(), extensionHint);
        QCOMPARE(fm.btnDivide_AddCounter->toolTip(), QStringLiteral("Add [COUNTER]"));
        QCOMPARE(Focused(), static_cast<QWidget*>(fm.edToFolder));
    }

    void secondPickReplacesAnEditedTemplate() {
        MainWindowHarness h;
        QVERIFY(OpenOnDividePage(h));
        TfmMain& fm = h.fm;
        Pick(h, QStringLiteral("/a/first.txt"));
        fm.edNewNames->setFocus();
        fm.edNewNames->end(false);
        QTest::keyClicks(fm.edNewNames, QStringLiteral("_mine"));
        QCOMPARE(fm.edNewNames->text(), QStringLiteral("FIRST_TXT_[COUNTER]_mine"));
        Pick(h, QStringLiteral("/b/c/second.bin"));
        QCOMPARE(fm.edNewNames->text(), QStringLiteral("SECOND_BIN_[COUNTER]"));
        QCOMPARE(fm.edToFolder->text(), QStringLiteral("/b/c/"));
    }

    void cancelledDialogsChangeNothing() {
        MainWindowHarness h;
        QVERIFY(OpenOnDividePage(h));
        TfmMain& fm = h.fm;
        h.fillDivide("/s/x.bin", "/s/parts", QStringLiteral("T_[COUNTER]"), QStringLiteral("2.00"),
                     0);
        QWidget* focusWhileOpen = nullptr;
        h.dialogs.onDialog = [&](ScriptedDialogs::Call) { focusWhileOpen = Focused(); };

        fm.edFromFileDblClick();  // nothing queued: cancelled
        QCOMPARE(fm.edFromFile->text(), QStringLiteral("/s/x.bin"));
        QCOMPARE(fm.edToFolder->text(), QStringLiteral("/s/parts"));
        QCOMPARE(fm.edNewNames->text(), QStringLiteral("T_[COUNTER]"));

        QTest::mouseDClick(fm.edToFolder, Qt::LeftButton);
        QCOMPARE(focusWhileOpen, static_cast<QWidget*>(fm.edToFolder));
        QCOMPARE(h.dialogs.calls.back().call, ScriptedDialogs::Call::BrowseFolder);
        QCOMPARE(h.dialogs.calls.back().text, QStringLiteral("/s/parts"));
        QCOMPARE(fm.edToFolder->text(), QStringLiteral("/s/parts"));

        h.dialogs.folderResults.push_back(QStringLiteral("/elsewhere"));
        QTest::mouseClick(fm.edToFolder->browseButton(), Qt::LeftButton);
        QCOMPARE(fm.edToFolder->text(), QStringLiteral("/elsewhere"));
        QCOMPARE(fm.edFromFile->text(), QStringLiteral("/s/x.bin"));
        QCOMPARE(fm.edNewNames->text(), QStringLiteral("T_[COUNTER]"));
    }

    void typingASourceUpdatesOnlyTheHints() {
        MainWindowHarness h;
        QVERIFY(OpenOnDividePage(h));
        TfmMain& fm = h.fm;
        Pick(h, QStringLiteral("/a/first.txt"));
        fm.edFromFile->setFocus();
        fm.edFromFile->clear();
        QTest::keyClicks(fm.edFromFile, QStringLiteral("/b/second.dat"));
        QCOMPARE(fm.btnDivide_AddName->toolTip(), QStringLiteral("Add \"second\""));
        QCOMPARE(fm.btnDivide_AddExtension->toolTip(), QStringLiteral("Add \"dat\""));
        QCOMPARE(fm.edToFolder->text(), QStringLiteral("/a/"));
        QCOMPARE(fm.edNewNames->text(), QStringLiteral("FIRST_TXT_[COUNTER]"));
        QCOMPARE(h.dialogs.count(ScriptedDialogs::Call::OpenFile), 1);
    }

    void blankSourceKeepsHintsAndMakesInsertsInert() {
        MainWindowHarness h;
        QVERIFY(OpenOnDividePage(h));
        TfmMain& fm = h.fm;
        Pick(h, QStringLiteral("/a/first.txt"));
        fm.edNewNames->setSelection(6, 3);
        for (const QString& blank : {QString(), QStringLiteral("  \t ")}) {
            fm.edFromFile->setFocus();
            fm.edFromFile->setText(blank);
            QCOMPARE(fm.btnDivide_AddName->toolTip(), QStringLiteral("Add \"first\""));
            QCOMPARE(fm.btnDivide_AddExtension->toolTip(), QStringLiteral("Add \"txt\""));
            for (ImageButton* button :
                 {fm.btnDivide_AddName, fm.btnDivide_AddExtension, fm.btnDivide_AddCounter}) {
                QTest::mouseClick(button, Qt::LeftButton);
                QCOMPARE(fm.edNewNames->text(), QStringLiteral("FIRST_TXT_[COUNTER]"));
                QCOMPARE(fm.edNewNames->selectedText(), QStringLiteral("TXT"));
                QCOMPARE(Focused(), static_cast<QWidget*>(fm.edFromFile));
            }
        }
    }

    void insertButtonsAtCaretOrSelection_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("selStart");  // positions of the edit, in UTF-16 units
        QTest::addColumn<int>("selLength");
        QTest::addColumn<int>("tag");
        QTest::addColumn<bool>("upperCase");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("caret");
        const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");  // two UTF-16 units
        const QString eAcute = QString::fromUtf8("\xC3\xA9");
        QTest::newRow("counter after A") << "/r.pdf"
                                         << "A" << 1 << 0 << 3 << true << "A_[COUNTER]" << 11;
        QTest::newRow("counter inside") << "/r.pdf"
                                        << "A_B" << 1 << 0 << 3 << true << "A_[COUNTER]_B" << 11;
        QTest::newRow("over part of it")
            << "/r.pdf"
            << "REPORT_PDF" << 7 << 3 << 3 << true << "REPORT__[COUNTER]" << 17;
        QTest::newRow("empty extension over all") << "/x/README"
                                                  << "REPORT" << 0 << 6 << 2 << true << "" << 0;
        QTest::newRow("into empty") << "/r.pdf"
                                    << "" << 0 << 0 << 3 << true << "[COUNTER]" << 9;
        QTest::newRow("name after a pair")
            << QString::fromUtf8("/d/na\xC3\xAFve.txt") << eAcute + smile << 3 << 0 << 1 << true
            << eAcute + smile + QString::fromUtf8("_NA\xC3\x8FVE") << 9;
        QTest::newRow("extension over text after a pair")
            << "/d/file.txt" << eAcute + smile + "Z" << 3 << 1 << 2 << false
            << eAcute + smile + "_txt" << 7;
        QTest::newRow("between pairs") << "/r.pdf" << smile + "A" + smile << 3 << 0 << 3 << true
                                       << smile + "A_[COUNTER]" + smile << 13;
        QTest::newRow("over a pair")
            << "/r.pdf"
            << "a" + smile + "b" << 1 << 2 << 3 << true << "a_[COUNTER]b" << 11;
        QTest::newRow("selection backwards") << "/r.pdf"
                                             << "ABCD" << 3 << -2 << 1 << true << "A_RD" << 3;
    }

    void insertButtonsAtCaretOrSelection() {
        QFETCH(QString, source);
        QFETCH(QString, before);
        QFETCH(int, selStart);
        QFETCH(int, selLength);
        QFETCH(int, tag);
        QFETCH(bool, upperCase);
        QFETCH(QString, after);
        QFETCH(int, caret);
        MainWindowHarness h;
        QVERIFY(OpenOnDividePage(h));
        TfmMain& fm = h.fm;
        fm.edFromFile->setText(source);
        fm.boxUpperCase->setChecked(upperCase);
        fm.edNewNames->setText(before);
        fm.edNewNames->setFocus();
        fm.edNewNames->setSelection(selStart, selLength);
        // The button is pressed while another field has the focus.
        fm.edToFolder->setFocus();
        ImageButton* buttons[] = {fm.btnDivide_AddName, fm.btnDivide_AddExtension,
                                  fm.btnDivide_AddCounter};
        QTest::mouseClick(buttons[tag - 1], Qt::LeftButton);
        QCOMPARE(fm.edNewNames->text(), after);
        QCOMPARE(fm.edNewNames->cursorPosition(), caret);
        QVERIFY(!fm.edNewNames->hasSelectedText());
        QCOMPARE(Focused(), static_cast<QWidget*>(fm.edNewNames));
        // One insert is one step of Undo.
        fm.edNewNames->undo();
        QCOMPARE(fm.edNewNames->text(), before);
    }

    void templateFieldKeepsItsSelection() {
        MainWindowHarness h;
        QVERIFY(OpenOnDividePage(h));
        TfmMain& fm = h.fm;
        fm.edNewNames->setText(QStringLiteral("ABCDEF"));
        fm.edNewNames->setFocus();
        fm.edNewNames->setSelection(3, -2);

        // Tab away and back, by code and by mouse: the selection and its direction stay.
        QTest::keyClick(fm.edNewNames, Qt::Key_Tab);
        QCOMPARE(Focused(), static_cast<QWidget*>(fm.boxUpperCase));
        QCOMPARE(fm.edNewNames->selectedText(), QStringLiteral("BC"));
        // Shown while unfocused: the highlight colour is on screen.
        const QColor highlight = fm.edNewNames->palette().color(QPalette::Highlight);
        const QImage shot = fm.edNewNames->grab().toImage();
        int highlighted = 0;
        for (int y = 0; y < shot.height(); ++y) {
            for (int x = 0; x < shot.width(); ++x)
                highlighted += shot.pixelColor(x, y) == highlight;
        }
        QVERIFY(highlighted > 20);

        QTest::keyClick(fm.boxUpperCase, Qt::Key_Backtab);
        QCOMPARE(Focused(), static_cast<QWidget*>(fm.edNewNames));
        QCOMPARE(fm.edNewNames->selectedText(), QStringLiteral("BC"));
        QCOMPARE(fm.edNewNames->cursorPosition(), 1);

        // A bare caret: Tab in does not select everything.
        fm.edNewNames->setCursorPosition(4);
        fm.edToFolder->setFocus();
        QTest::keyClick(fm.edToFolder, Qt::Key_Tab);  // edDivideBytes
        QTest::keyClick(Focused(), Qt::Key_Tab);      // boxDivideType
        QTest::keyClick(Focused(), Qt::Key_Tab);      // edNewNames
        QCOMPARE(Focused(), static_cast<QWidget*>(fm.edNewNames));
        QVERIFY(!fm.edNewNames->hasSelectedText());
        QCOMPARE(fm.edNewNames->cursorPosition(), 4);
    }

    void ctrlOOpensTheSourceDialogOnlyOnThisPage() {
        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        QTest::keyClick(fm.rbDivide, Qt::Key_O, Qt::ControlModifier);
        h.toCombinePage();
        QTest::keyClick(fm.list, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(h.dialogs.count(ScriptedDialogs::Call::OpenFile), 0);
        fm.btnBackClick();
        h.toDividePage();

        QWidget* focusWhileOpen = nullptr;
        h.dialogs.onDialog = [&](ScriptedDialogs::Call) { focusWhileOpen = Focused(); };
        h.dialogs.openFileResults.push_back(QStringLiteral("/k/key.log"));
        fm.edNewNames->setFocus();
        QTest::keyClick(fm.edNewNames, Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(h.dialogs.count(ScriptedDialogs::Call::OpenFile), 1);
        QCOMPARE(focusWhileOpen, static_cast<QWidget*>(fm.edFromFile));
        QCOMPARE(fm.edNewNames->text(), QStringLiteral("KEY_LOG_[COUNTER]"));
        QCOMPARE(fm.edToFolder->text(), QStringLiteral("/k/"));
    }

    void dropsFromTheFileManager_data() {
        QTest::addColumn<bool>("ontoSource");
        QTest::addColumn<QString>("what");
        QTest::addColumn<bool>("taken");
        QTest::newRow("file onto source") << true << "file" << true;
        QTest::newRow("folder onto source") << true << "folder" << false;
        QTest::newRow("two files onto source") << true << "two" << false;
        QTest::newRow("web address onto source") << true << "web" << false;
        QTest::newRow("missing file onto source") << true << "missing" << false;
        QTest::newRow("folder onto destination") << false << "folder" << true;
        QTest::newRow("file onto destination") << false << "file" << false;
    }

    void dropsFromTheFileManager() {
        QFETCH(bool, ontoSource);
        QFETCH(QString, what);
        QFETCH(bool, taken);
        MainWindowHarness h;
        QVERIFY(OpenOnDividePage(h));
        TfmMain& fm = h.fm;
        TempDir temp;
        const QString folder = QString::fromStdString(temp / "in");
        const QString file = QString::fromStdString(temp / "in/clip.mov");
        QVERIFY(QDir().mkpath(folder));
        WriteFile(file.toStdString(), "abc");
        h.fillDivide("/old/a.bin", "/old/", QStringLiteral("OLD_[COUNTER]"), "1.00", 0);
        fm.edDivideBytes->setFocus();

        QList<QUrl> urls;
        if (what == "file") urls << QUrl::fromLocalFile(file);
        if (what == "folder") urls << QUrl::fromLocalFile(folder + '/');
        if (what == "two") urls << QUrl::fromLocalFile(file) << QUrl::fromLocalFile(file);
        if (what == "web") urls << QUrl(QStringLiteral("https://example.com/a.bin"));
        if (what == "missing") urls << QUrl::fromLocalFile(folder + "/gone.bin");
        QMimeData data;
        data.setUrls(urls);
        QLineEdit* target = ontoSource ? static_cast<QLineEdit*>(fm.edFromFile) : fm.edToFolder;
        const QPoint middle = target->rect().center();
        QDragEnterEvent enter(middle, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QCOMPARE(enter.isAccepted(), taken);
        QDropEvent drop(QPointF(middle), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton,
                        Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        QCOMPARE(drop.isAccepted(), taken);

        if (!taken) {
            QCOMPARE(fm.edFromFile->text(), QStringLiteral("/old/a.bin"));
            QCOMPARE(fm.edToFolder->text(), QStringLiteral("/old/"));
            QCOMPARE(fm.edNewNames->text(), QStringLiteral("OLD_[COUNTER]"));
        } else if (ontoSource) {
            QCOMPARE(fm.edFromFile->text(), file);
            QCOMPARE(fm.edToFolder->text(), folder + '/');
            QCOMPARE(fm.edNewNames->text(), QStringLiteral("CLIP_MOV_[COUNTER]"));
            QCOMPARE(fm.btnDivide_AddExtension->toolTip(), QStringLiteral("Add \"mov\""));
            QCOMPARE(Focused(), static_cast<QWidget*>(fm.edToFolder));
        } else {
            QCOMPARE(fm.edToFolder->text(), folder);
            QCOMPARE(fm.edFromFile->text(), QStringLiteral("/old/a.bin"));
            QCOMPARE(Focused(), static_cast<QWidget*>(fm.edToFolder));
        }
        QCOMPARE(h.dialogs.calls.size(), std::size_t(0));
    }
};

QTEST_MAIN(TestDividePage)
#include "tst_dividepage.moc"
