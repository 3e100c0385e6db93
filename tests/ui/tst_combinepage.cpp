// SPDX-License-Identifier: GPL-3.0-or-later
// The combine page: its controls, the natural order of added files, adding files and the total,
// dropping files on the list, the output field, and combining through the window.

#include <QFileSystemModel>
#include <QMimeData>
#include <QtTest>
#include <algorithm>
#include <filesystem>
#include <random>

#include "list_entries.h"
#include "main_window_harness.h"
#include "partory/divide_job.h"
#include "temp_dir.h"
#include "text/natural_order.h"
#include "widgets/image_button.h"

using partory::testing::PatternBytes;
using partory::testing::ReadFile;
using partory::testing::RecordingProgress;
using partory::testing::ScriptedPump;
using partory::testing::TempDir;
using partory::testing::WriteFile;

namespace {

QString Str(const std::string& text) {
    return QString::fromStdString(text);
}

int Sign(int value) {
    return (value > 0) - (value < 0);
}

}  // namespace

class TestCombinePage : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    // --- Natural order -------------------------------------------------------------------

    void naturalCompare_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("sign");
        QTest::newRow("numbers by value") << "name_2"
                                          << "name_10" << -1;
        QTest::newRow("part names") << "REPORT_PDF_9"
                                    << "REPORT_PDF_10" << -1;
        QTest::newRow("same number") << "a7b"
                                     << "a7b" << 0;
        QTest::newRow("text after equal numbers") << "x12b"
                                                  << "x12a" << 1;
        QTest::newRow("letters ignore case") << "Apple"
                                             << "banana" << -1;
        QTest::newRow("shorter first") << "file"
                                       << "file1" << -1;
        QTest::newRow("folders by value") << "/d2/x"
                                          << "/d10/x" << -1;
        QTest::newRow("beyond 64 bits") << "n18446744073709551616"
                                        << "n18446744073709551615" << 1;
        QTest::newRow("leading zeros keep an order") << "x01"
                                                     << "x1" << -1;
        QTest::newRow("case keeps an order") << "A"
                                             << "a" << -1;
        QTest::newRow("number before underscore") << "a1"
                                                  << "a_" << -1;
    }

    void naturalCompare() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, sign);
        QCOMPARE(Sign(NaturalCompare(a, b)), sign);
        QCOMPARE(Sign(NaturalCompare(b, a)), -sign);
    }

    void naturalSort_data() {
        QTest::addColumn<QStringList>("given");
        QTest::addColumn<QStringList>("sorted");
        QTest::newRow("parts 1 to 12") << QStringList{"p_10", "p_1", "p_12", "p_2", "p_11", "p_3"}
                                       << QStringList{"p_1", "p_2", "p_3", "p_10", "p_11", "p_12"};
        QTest::newRow("mixed names") << QStringList{"b2", "B10", "a", "b1", "a10", "a9"}
                                     << QStringList{"a", "a9", "a10", "b1", "b2", "B10"};
        QTest::newRow("duplicates stay")
            << QStringList{"f3", "f1", "f3"} << QStringList{"f1", "f3", "f3"};
    }

    void naturalSort() {
        QFETCH(QStringList, given);
        QFETCH(QStringList, sorted);
        QCOMPARE(InNaturalOrder(given), sorted);
    }

    // --- Controls ------------------------------------------------------------------------

    void controlsAtTheirPlaces_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("hint");
        QTest::newRow("movie_arrows") << "movie_arrows" << QRect(8, 28, 9, 135)
                                      << "List of files is combined\nfrom top to bottom";
        QTest::newRow("list") << "list" << QRect(24, 22, 457, 147)
                              << "List of files to be combined\n(from top to bottom)";
        QTest::newRow("add") << "btnCombinedAdd" << QRect(486, 53, 30, 30)
                             << "Add files...\n(Ctrl + Insert)";
        QTest::newRow("remove") << "btnCombinedRemove" << QRect(522, 53, 30, 30)
                                << "Drop file...\n(Ctrl + Delete)";
        QTest::newRow("clear") << "btnCombinedClear" << QRect(486, 88, 30, 30)
                               << "Clear list...\n(Shift + Ctrl + Delete)";
        QTest::newRow("reverse") << "btnCombinedReverse" << QRect(522, 88, 30, 30)
                                 << "Reverse order\n(Ctrl + R)";
        QTest::newRow("up") << "btnCombinedMoveUp" << QRect(486, 123, 30, 30)
                            << "Move up\n(Ctrl + Up)";
        QTest::newRow("down") << "btnCombinedMoveDown" << QRect(522, 123, 30, 30)
                              << "Move down\n(Ctrl + Down)";
        QTest::newRow("output") << "edSaveCombined" << QRect(123, 192, 430, 21)
                                << "Double-click to open dialog\n(Ctrl + S)";
    }

    void controlsAtTheirPlaces() {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        QFETCH(QString, hint);
        MainWindowHarness h;
        QVERIFY(h.open());
        h.toCombinePage();
        auto* control = h.fm.pnlCombine->findChild<QWidget*>(name);
        QVERIFY(control != nullptr);
        QCOMPARE(control->geometry(), geometry);
        QCOMPARE(control->toolTip(), hint);
        if (auto* button = qobject_cast<ImageButton*>(control)) {
            QCOMPARE(button->focusPolicy(), Qt::NoFocus);
        }
    }

    void labelsFitTheirPlaces_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QPoint>("place");
        QTest::addColumn<QString>("text");
        QTest::newRow("Label10") << "Label10" << QPoint(8, 3) << "Step 3: Specify job details:";
        QTest::newRow("Label20") << "Label20" << QPoint(8, 178) << "Step 4:";
        QTest::newRow("Label11") << "Label11" << QPoint(8, 195) << "Save combined files as:";
        QTest::newRow("Label9") << "Label9" << QPoint(8, 227) << "Step 5:";
        QTest::newRow("Label7") << "Label7" << QPoint(8, 244)
                                << "Click \"Start\" after you have completed the steps above";
    }

    void labelsFitTheirPlaces() {
        QFETCH(QString, name);
        QFETCH(QPoint, place);
        QFETCH(QString, text);
        MainWindowHarness h;
        QVERIFY(h.open());
        auto* label = h.fm.pnlCombine->findChild<QLabel*>(name);
        QVERIFY(label != nullptr);
        QCOMPARE(label->pos(), place);
        QCOMPARE(label->text(), text);
        // The whole text is shown and stays clear of the output field beside it.
        QVERIFY(label->fontMetrics().horizontalAdvance(text) <= label->width());
        QVERIFY(!label->geometry().intersects(h.fm.edSaveCombined->geometry()));
    }

    void listRowsTabOrderAndArrows() {
        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        h.toCombinePage();
        QCOMPARE(fm.list->selectionMode(), QAbstractItemView::SingleSelection);
        QVERIFY(!fm.list->isSortingEnabled());
        h.dialogs.openFilesResults = {{"/z", "/b", "/a"}};
        fm.btnCombinedAddClick();
        QCOMPARE(fm.list->visualItemRect(fm.list->item(0)).height(), 13);
        QCOMPARE(fm.list->visualItemRect(fm.list->item(1)).top(),
                 fm.list->visualItemRect(fm.list->item(0)).top() + 13);

        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(fm.list));
        QTest::keyClick(fm.list, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(fm.edSaveCombined));

        QVERIFY(fm.movie_arrows->isRunning());
        QCOMPARE(fm.movie_arrows->interval(), 100);
        QCOMPARE(fm.strip(QStringLiteral("movie_arrows")).frameCount(), 23);
        QTRY_COMPARE_WITH_TIMEOUT(fm.movie_arrows->currentFrame(), 22, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(fm.movie_arrows->currentFrame(), 0, 1000);
    }

    void contextMenuItems() {
        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        const struct {
            QAction* item;
            const char* name;
            const char* caption;
            QAction* hiddenItem;
        } expected[] = {
            {fm.ppmAddfiles, "ppmAddfiles", "Add files...", fm.ADD1},
            {fm.N1, "N1", "", nullptr},
            {fm.ppmMoveup, "ppmMoveup", "Move up", fm.UP1},
            {fm.ppmMovedown, "ppmMovedown", "Move down", fm.DOWN1},
            {fm.ppmReversefileorder, "ppmReversefileorder", "Reverse order", fm.REVERSE1},
            {fm.N2, "N2", "", nullptr},
            {fm.ppmDropfile, "ppmDropfile", "Drop file...", fm.REMOVE1},
            {fm.ppmDropallfiles, "ppmDropallfiles", "Clear list...", fm.CLEAR1},
        };
        const QList<QAction*> items = fm.PopupMenu1->actions();
        QCOMPARE(items.size(), int(std::size(expected)));
        const int icons[] = {0, -1, 4, 5, 3, -1, 1, 2};
        for (int i = 0; i < items.size(); ++i) {
            QAction* item = items[i];
            QCOMPARE(item, expected[i].item);
            QCOMPARE(item->objectName(), QString::fromLatin1(expected[i].name));
            // No live binding: the hidden menu alone handles the keys.
            QVERIFY(item->shortcut().isEmpty());
            if (expected[i].hiddenItem == nullptr) {
                QVERIFY(item->isSeparator());
                continue;
            }
            QCOMPARE(item->text().section(QLatin1Char('\t'), 0, 0),
                     QString::fromLatin1(expected[i].caption));
            QCOMPARE(item->text().section(QLatin1Char('\t'), 1),
                     expected[i].hiddenItem->shortcut().toString(QKeySequence::NativeText));
            QCOMPARE(
                item->icon().pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32),
                fm.ImageList1.frame(icons[i]).toImage().convertToFormat(QImage::Format_ARGB32));
        }
        QCOMPARE(fm.ImageList1.frameCount(), 6);
    }

    // --- Add files and the total ---------------------------------------------------------

    void totalAndAdd() {
        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        h.toCombinePage();
        const int rightEdge = fm.lbl_total->x() + fm.lbl_total->width();
        QCOMPARE(fm.lbl_total->text(), QStringLiteral("Total:"));
        QCOMPARE(rightEdge, 479);
        QCOMPARE(fm.lbl_total->y(), 6);

        fm.btnCombinedAddClick();  // cancelled
        QCOMPARE(fm.lbl_total->text(), QStringLiteral("Total: 0"));
        QCOMPARE(fm.lbl_total->x() + fm.lbl_total->width(), 479);
        QVERIFY(fm.lbl_total->width() >=
                fm.lbl_total->fontMetrics().horizontalAdvance(fm.lbl_total->text()));
        QCOMPARE(fm.list->count(), 0);

        h.dialogs.openFilesResults = {{"/d/first"}, {"/d/name_10", "/d/name_2", "/d/name_1"}};
        fm.btnCombinedAddClick();
        fm.list->setCurrentRow(0);
        QTest::mouseClick(fm.btnCombinedAdd, Qt::LeftButton);
        QCOMPARE(Entries(fm.list),
                 QStringList({"/d/first", "/d/name_1", "/d/name_2", "/d/name_10"}));
        QCOMPARE(SelectedRows(fm.list), QList<int>{0});
        QCOMPARE(fm.lbl_total->text(), QStringLiteral("Total: 4"));
        QCOMPARE(fm.lbl_total->x() + fm.lbl_total->width(), 479);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(fm.list));

        // Every use goes through the one long-lived dialog.
        QCOMPARE(h.dialogs.count(ScriptedDialogs::Call::OpenFiles), 3);
        for (const auto& call : h.dialogs.calls)
            QCOMPARE(call.text, QStringLiteral("Select files to add..."));
        QCOMPARE(fm.open_d->fileMode(), QFileDialog::ExistingFiles);
        QCOMPARE(fm.open_d->acceptMode(), QFileDialog::AcceptOpen);
        QVERIFY(fm.open_d->filter() & QDir::Hidden);
        QCOMPARE(fm.findChildren<QFileDialog*>().size(), 1);
    }

    // The add dialog lives between uses but watches its folder only while it is shown: a job
    // writing there must not have the window take in every new file, and the next use must
    // still show what was written meanwhile.
    void addDialogWatchesItsFolderOnlyWhileShown() {
        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        TempDir temp;
        const QString folder = Str(temp.path());
        WriteFile(temp / "old", "x");
        auto* listing = fm.open_d->findChild<QFileSystemModel*>();
        QVERIFY(listing != nullptr);
        fm.open_d->setDirectory(folder);
        const auto listed = [&] { return listing->rowCount(listing->index(folder)); };
        QTRY_COMPARE(listed(), 1);

        auto writeParts = [&](const std::string& prefix) {
            for (int i = 1; i <= 40; ++i) WriteFile(temp / (prefix + std::to_string(i)), "p");
        };
        writeParts("part");
        std::filesystem::remove(temp / "old");
        QTest::qWait(300);
        QCOMPARE(listed(), 1);

        h.toCombinePage();
        int listedWhileShown = -1;
        bool oldListed = true;
        h.dialogs.onDialog = [&](ScriptedDialogs::Call) {
            static_cast<void>(QTest::qWaitFor([&] { return listed() == 40; }, 5000));
            listedWhileShown = listed();
            oldListed = listing->index(Str(temp / "old")).isValid();
        };
        h.dialogs.openFilesResults = {{}};
        fm.btnCombinedAddClick();
        QCOMPARE(listedWhileShown, 40);
        QVERIFY(!oldListed);
        QCOMPARE(fm.open_d->directory().absolutePath(), folder);

        writeParts("later");
        QTest::qWait(300);
        QCOMPARE(listed(), 40);
    }

    void sameFileTwiceIsCombinedTwice() {
        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        TempDir temp;
        WriteFile(temp / "a", "alpha-");
        WriteFile(temp / "b", "beta-");
        h.toCombinePage();
        h.dialogs.openFilesResults = {{Str(temp / "a")}, {Str(temp / "b"), Str(temp / "a")}};
        fm.btnCombinedAddClick();
        fm.btnCombinedAddClick();
        QCOMPARE(Entries(fm.list),
                 QStringList({Str(temp / "a"), Str(temp / "a"), Str(temp / "b")}));
        fm.edSaveCombined->setText(Str(temp / "joined"));
        fm.btnNextClick();
        QCOMPARE(fm.lblDoneExplanation->text(), QStringLiteral("3 file(s) processed sucessfully!"));
        QCOMPARE(ReadFile(temp / "joined"), std::string("alpha-alpha-beta-"));
    }

    void combineOfDividedParts() {
        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        TempDir temp;
        const std::string original = PatternBytes(11 * 4096 + 1234);
        WriteFile(temp / "report.pdf", original);
        partory::DivideSettings divide;
        divide.SourcePath = temp / "report.pdf";
        divide.DestinationFolder = temp.path();
        divide.NameTemplate = "REPORT_PDF_[COUNTER]";
        divide.PartSizeValue = 4;
        partory::RunState state;
        RecordingProgress progress;
        ScriptedPump pump;
        partory::RunDivideJob(divide, state, progress, pump, partory::OsFileLayer());
        QVERIFY2(state.Succeeded, state.ResultText.c_str());

        QStringList parts;
        for (int part = 1; part <= 12; ++part)
            parts << Str(temp / ("REPORT_PDF_" + std::to_string(part)));
        QStringList shuffled = parts;
        std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(12));
        QVERIFY(shuffled != parts);

        h.toCombinePage();
        h.dialogs.openFilesResults = {shuffled};
        fm.btnCombinedAddClick();
        QCOMPARE(Entries(fm.list), parts);
        fm.edSaveCombined->setText(Str(temp / "joined.pdf"));
        fm.btnNextClick();
        QCOMPARE(fm.lblDoneExplanation->text(),
                 QStringLiteral("12 file(s) processed sucessfully!"));
        QVERIFY(ReadFile(temp / "joined.pdf") == original);
    }

    void filesDroppedFromAFileManager() {
        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        TempDir temp;
        for (const char* name : {"log_10", "log_9", "log_1"}) WriteFile(temp / name, "x");
        QDir().mkdir(Str(temp / "folder"));
        h.toCombinePage();
        fm.list->addItem(QStringLiteral("/already/there"));
        fm.edSaveCombined->setFocus();

        QMimeData data;
        data.setUrls(
            {QUrl::fromLocalFile(Str(temp / "log_10")), QUrl::fromLocalFile(Str(temp / "missing")),
             QUrl::fromLocalFile(Str(temp / "folder")), QUrl::fromLocalFile(Str(temp / "log_9")),
             QUrl::fromLocalFile(Str(temp / "log_1"))});
        QWidget* viewport = fm.list->viewport();
        const QPoint at(20, 20);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &drop);
        QVERIFY(drop.isAccepted());

        QCOMPARE(Entries(fm.list), QStringList({"/already/there", Str(temp / "log_1"),
                                                Str(temp / "log_9"), Str(temp / "log_10")}));
        QCOMPARE(fm.lbl_total->text(), QStringLiteral("Total: 4"));
        // The first path sets the extent; the others are not 30 pixels wider than it.
        QCOMPARE(fm.listHorizontalExtent(),
                 fm.fontMetrics().horizontalAdvance(Str(temp / "log_1")) + 30);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(fm.list));

        QMimeData text;
        text.setText(QStringLiteral("not files"));
        QDragEnterEvent refused(at, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &refused);
        QVERIFY(!refused.isAccepted());
    }

    // --- The output field ----------------------------------------------------------------

    void ctrlInsertFromTheOutputField() {
        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        h.toCombinePage();
        fm.edSaveCombined->setText(QStringLiteral("/tmp/out.bin"));
        fm.edSaveCombined->setFocus();
        fm.edSaveCombined->setCursorPosition(3);
        h.dialogs.openFilesResults = {{"/x/f_10", "/x/f_9"}};
        QTest::keyClick(fm.edSaveCombined, Qt::Key_Insert, Qt::ControlModifier);
        QCOMPARE(h.dialogs.count(ScriptedDialogs::Call::OpenFiles), 1);
        QCOMPARE(Entries(fm.list), QStringList({"/x/f_9", "/x/f_10"}));
        QCOMPARE(fm.edSaveCombined->text(), QStringLiteral("/tmp/out.bin"));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(fm.list));
    }

    void outputFieldDialog() {
        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        h.toCombinePage();
        QWidget* focusInDialog = nullptr;
        h.dialogs.onDialog = [&](ScriptedDialogs::Call) {
            focusInDialog = QApplication::focusWidget();
        };
        h.dialogs.saveFileResults = {QStringLiteral("/home/u/joined.bin"), QString()};
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(fm.list));
        QTest::mouseDClick(fm.edSaveCombined, Qt::LeftButton);
        QCOMPARE(focusInDialog, static_cast<QWidget*>(fm.edSaveCombined));
        QCOMPARE(fm.edSaveCombined->text(), QStringLiteral("/home/u/joined.bin"));

        fm.list->setFocus();
        QTest::keyClick(fm.list, Qt::Key_S, Qt::ControlModifier);  // cancelled
        QCOMPARE(h.dialogs.count(ScriptedDialogs::Call::SaveFile), 2);
        QCOMPARE(focusInDialog, static_cast<QWidget*>(fm.edSaveCombined));
        QCOMPARE(fm.edSaveCombined->text(), QStringLiteral("/home/u/joined.bin"));
    }
};

QTEST_MAIN(TestCombinePage)
#include "tst_combinepage.moc"
