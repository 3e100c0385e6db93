// The combine page: its controls, the six list commands from their buttons, menu and keys,
// the horizontal extent, the natural order of added files, dropping files on the list, the
// output field, and combining through the window.

#include <QMimeData>
#include <QScrollBar>
#include <QtTest>
#include <algorithm>
#include <random>

#include "main_window_harness.h"
#include "natural_order.h"
#include "partory/divide_job.h"
#include "temp_dir.h"
#include "widgets/image_button.h"

using partory::testing::PatternBytes;
using partory::testing::ReadFile;
using partory::testing::RecordingProgress;
using partory::testing::ScriptedPump;
using partory::testing::TempDir;
using partory::testing::WriteFile;
using Kind = UserDialogs::MessageKind;

namespace {

QStringList Entries(const QListWidget* list) {
    QStringList entries;
    for (int row = 0; row < list->count(); ++row) entries << list->item(row)->text();
    return entries;
}

QList<int> SelectedRows(const QListWidget* list) {
    QList<int> rows;
    for (const QListWidgetItem* item : list->selectedItems()) rows << list->row(item);
    return rows;
}

// A path at least `pixels` wide in the list's font, grown one letter at a time.
QString PathOfWidth(const QFontMetrics& metrics, int pixels, QChar letter = QLatin1Char('m')) {
    QString path = QStringLiteral("/");
    while (metrics.horizontalAdvance(path) < pixels) path += letter;
    return path;
}

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

    // --- The horizontal extent -----------------------------------------------------------

    void horizontalExtent_data() {
        // Widths in pixels of the paths added, one dialog use each, and the extent expected
        // after each use, given as "the width of the path of use n plus 30" (n) or 0 (-1).
        QTest::addColumn<QList<int>>("widths");
        QTest::addColumn<QList<int>>("extentFromUse");
        QTest::newRow("short path leaves 0") << QList<int>{20} << QList<int>{-1};
        QTest::newRow("wide path") << QList<int>{200} << QList<int>{0};
        QTest::newRow("within 30 of the extent") << QList<int>{600, 650} << QList<int>{0, 0};
        QTest::newRow("more than 30 beyond") << QList<int>{600, 670} << QList<int>{0, 1};
        QTest::newRow("narrower later") << QList<int>{700, 100} << QList<int>{0, 0};
    }

    void horizontalExtent() {
        QFETCH(QList<int>, widths);
        QFETCH(QList<int>, extentFromUse);
        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        h.toCombinePage();
        const QFontMetrics metrics(fm.font());
        QCOMPARE(fm.listHorizontalExtent(), 0);
        QList<int> measured;
        for (int i = 0; i < widths.size(); ++i) {
            const QString path = PathOfWidth(metrics, widths[i]);
            measured << metrics.horizontalAdvance(path);
            h.dialogs.openFilesResults = {{path}};
            fm.btnCombinedAddClick();
            const int from = extentFromUse[i];
            QCOMPARE(fm.listHorizontalExtent(), from < 0 ? 0 : measured[from] + 30);
        }
        // The list scrolls sideways over the extent and no further.
        const int expectedRange = qMax(0, fm.listHorizontalExtent() - fm.list->viewport()->width());
        QCOMPARE(fm.list->horizontalScrollBar()->maximum(), expectedRange);
    }

    void extentOnlyRaisedByAddAndResetByClear() {
        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        h.toCombinePage();
        const QFontMetrics metrics(fm.font());
        const QString wide = PathOfWidth(metrics, 900);
        h.dialogs.openFilesResults = {{wide, "/b", "/c"}};
        fm.btnCombinedAddClick();
        const int extent = metrics.horizontalAdvance(wide) + 30;
        QCOMPARE(fm.listHorizontalExtent(), extent);
        QCOMPARE(fm.list->horizontalScrollBar()->maximum(), extent - fm.list->viewport()->width());

        fm.list->setCurrentRow(0);
        fm.btnCombinedRemoveClick();  // answered Yes
        QCOMPARE(fm.list->count(), 2);
        fm.btnCombinedReverseClick();
        QCOMPARE(fm.listHorizontalExtent(), extent);

        h.dialogs.answers = {false};
        fm.btnCombinedClearClick();
        QCOMPARE(fm.listHorizontalExtent(), extent);
        fm.btnCombinedClearClick();  // Yes
        QCOMPARE(fm.list->count(), 0);
        QCOMPARE(fm.listHorizontalExtent(), 0);
        QCOMPARE(fm.list->horizontalScrollBar()->maximum(), 0);
    }

    // --- Drop, move, reverse, clear ------------------------------------------------------

    void commandsOnTheSelection_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("selected");  // -1: none (current entry 1 but not selected)
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("message");  // "kind:text" of the one message, or empty
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QList<int>>("selectionAfter");
        QTest::addColumn<QString>("totalAfter");
        const QStringList abc{"a", "b", "c"};
        const QString select = QStringLiteral("info:Select a file, please.");
        for (const char* command : {"drop", "up", "down"}) {
            QTest::addRow("%s on an empty list", command)
                << command << 0 << -1 << true << "" << QStringList() << QList<int>() << "Total:";
            QTest::addRow("%s with none selected", command)
                << command << 3 << -1 << true << select << abc << QList<int>() << "Total:";
        }
        QTest::newRow("drop answered No")
            << "drop" << 3 << 1 << false
            << "question:Do you want to drop the following file:\rb   ?" << abc << QList<int>{1}
            << "Total: 3";
        QTest::newRow("drop answered Yes")
            << "drop" << 3 << 2 << true << "question:Do you want to drop the following file:\rc   ?"
            << QStringList{"a", "b"} << QList<int>() << "Total: 2";
        QTest::newRow("up on the top")
            << "up" << 3 << 0 << true << "" << abc << QList<int>{0} << "Total:";
        QTest::newRow("down on the bottom")
            << "down" << 3 << 2 << true << "" << abc << QList<int>{2} << "Total:";
        QTest::newRow("up") << "up" << 3 << 2 << true << "" << QStringList{"a", "c", "b"}
                            << QList<int>{1} << "Total: 3";
        QTest::newRow("down") << "down" << 3 << 0 << true << "" << QStringList{"b", "a", "c"}
                              << QList<int>{1} << "Total: 3";
        QTest::newRow("reverse with a selection")
            << "reverse" << 3 << 1 << true << "" << QStringList{"c", "b", "a"} << QList<int>()
            << "Total: 3";
        QTest::newRow("reverse one entry")
            << "reverse" << 1 << 0 << true << "" << QStringList{"a"} << QList<int>() << "Total: 1";
        QTest::newRow("reverse empty")
            << "reverse" << 0 << -1 << true << "" << QStringList() << QList<int>() << "Total:";
        QTest::newRow("clear empty")
            << "clear" << 0 << -1 << true << "" << QStringList() << QList<int>() << "Total:";
        QTest::newRow("clear answered No")
            << "clear" << 3 << 1 << false << "question:Do you want to drop all the files ?" << abc
            << QList<int>{1} << "Total:";
        QTest::newRow("clear answered Yes")
            << "clear" << 3 << 1 << true << "question:Do you want to drop all the files ?"
            << QStringList() << QList<int>() << "Total: 0";
    }

    // Each command from its button, its menu item and its key gives the same result.
    void commandsOnTheSelection() {
        QFETCH(QString, command);
        QFETCH(int, entries);
        QFETCH(int, selected);
        QFETCH(bool, answer);
        QFETCH(QString, message);
        QFETCH(QStringList, after);
        QFETCH(QList<int>, selectionAfter);
        QFETCH(QString, totalAfter);

        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        const QHash<QString, std::tuple<ImageButton*, QAction*, QAction*>> ways{
            {"drop", {fm.btnCombinedRemove, fm.ppmDropfile, fm.REMOVE1}},
            {"clear", {fm.btnCombinedClear, fm.ppmDropallfiles, fm.CLEAR1}},
            {"reverse", {fm.btnCombinedReverse, fm.ppmReversefileorder, fm.REVERSE1}},
            {"up", {fm.btnCombinedMoveUp, fm.ppmMoveup, fm.UP1}},
            {"down", {fm.btnCombinedMoveDown, fm.ppmMovedown, fm.DOWN1}},
        };
        const auto [button, menuItem, hiddenItem] = ways.value(command);
        h.toCombinePage();

        for (int way = 0; way < 3; ++way) {
            fm.list->clear();
            fm.lbl_total->setText(QStringLiteral("Total:"));
            fm.list->addItems(QStringList{"a", "b", "c"}.mid(0, entries));
            if (selected >= 0) {
                fm.list->setCurrentRow(selected);
            } else if (entries > 1) {
                fm.list->setCurrentRow(1, QItemSelectionModel::NoUpdate);
            }
            fm.edSaveCombined->setFocus();
            h.dialogs.calls.clear();
            h.dialogs.answers = {answer};
            if (way == 0) {
                QTest::mouseClick(button, Qt::LeftButton);
            } else if (way == 1) {
                menuItem->trigger();
            } else {
                QTest::keySequence(fm.edSaveCombined, hiddenItem->shortcut());
            }
            const auto messages = h.dialogs.messages();
            QString shown;
            if (!messages.empty()) {
                QCOMPARE(messages.size(), size_t(1));
                shown = (messages[0].kind == Kind::Question      ? QStringLiteral("question:")
                         : messages[0].kind == Kind::Information ? QStringLiteral("info:")
                                                                 : QStringLiteral("error:")) +
                        messages[0].text;
            }
            QCOMPARE(shown, message);
            QCOMPARE(Entries(fm.list), after);
            QCOMPARE(SelectedRows(fm.list), selectionAfter);
            QCOMPARE(fm.lbl_total->text(), totalAfter);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(fm.list));
            QVERIFY(QApplication::overrideCursor() == nullptr);
        }
    }

    // --- Context menu --------------------------------------------------------------------

    void rightClickSelectsBeforeTheMenu_data() {
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("selectedBefore");
        QTest::addColumn<int>("clickedRow");  // -1: blank area below the entries
        QTest::addColumn<QList<int>>("selectedInMenu");
        QTest::newRow("entry") << 3 << 0 << 2 << QList<int>{2};
        QTest::newRow("entry with none selected") << 3 << -1 << 1 << QList<int>{1};
        QTest::newRow("blank area") << 3 << 0 << -1 << QList<int>{0};
        QTest::newRow("empty list") << 0 << -1 << -1 << QList<int>();
    }

    void rightClickSelectsBeforeTheMenu() {
        QFETCH(int, entries);
        QFETCH(int, selectedBefore);
        QFETCH(int, clickedRow);
        QFETCH(QList<int>, selectedInMenu);
        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        h.toCombinePage();
        fm.list->addItems(QStringList{"a", "b", "c"}.mid(0, entries));
        if (selectedBefore >= 0) fm.list->setCurrentRow(selectedBefore);
        const QPoint at = clickedRow >= 0
                              ? fm.list->visualItemRect(fm.list->item(clickedRow)).center()
                              : QPoint(30, fm.list->viewport()->height() - 5);

        bool menuShown = false;
        QList<int> selectionWhileShown{-99};
        QTimer::singleShot(50, &fm, [&] {
            menuShown = fm.PopupMenu1->isVisible();
            selectionWhileShown = SelectedRows(fm.list);
            // The user picks "Drop file..." from the menu.
            fm.PopupMenu1->setActiveAction(fm.ppmDropfile);
            QTest::keyClick(fm.PopupMenu1, Qt::Key_Return);
        });
        h.dialogs.answers = {false};
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, fm.list->viewport()->mapToGlobal(at));
        QApplication::sendEvent(fm.list->viewport(), &event);

        QVERIFY(menuShown);
        QVERIFY(!fm.PopupMenu1->isVisible());
        QCOMPARE(selectionWhileShown, selectedInMenu);
        const auto messages = h.dialogs.messages();
        if (selectedInMenu.isEmpty()) {
            QVERIFY(messages.empty() || messages[0].text == "Select a file, please.");
        } else {
            QCOMPARE(messages.size(), size_t(1));
            QCOMPARE(messages[0].text,
                     QStringLiteral("Do you want to drop the following file:\r%1   ?")
                         .arg(fm.list->item(selectedInMenu[0])->text()));
        }
    }

    // --- Shortcuts and the output field --------------------------------------------------

    void shortcutsInertOffThePage_data() {
        QTest::addColumn<QString>("page");
        QTest::newRow("task") << "task";
        QTest::newRow("divide") << "divide";
        QTest::newRow("progress") << "progress";
    }

    void shortcutsInertOffThePage() {
        QFETCH(QString, page);
        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        h.toCombinePage();
        fm.list->addItems({"a", "b", "c"});
        fm.list->setCurrentRow(1);
        fm.btnBackClick();
        QWidget* target = fm.rbDivide;
        if (page == QLatin1String("divide")) {
            h.toDividePage();
            target = fm.edNewNames;
        } else if (page == QLatin1String("progress")) {
            h.toCombinePage();
            fm.pnlCombine->hide();
            fm.EnterProgressPage();
            target = &fm;
        }
        target->setFocus();
        h.dialogs.openFilesResults = {{"d"}};
        for (QAction* item :
             {fm.UP1, fm.DOWN1, fm.ADD1, fm.REMOVE1, fm.CLEAR1, fm.REVERSE1, fm.SAVE1}) {
            QTest::keySequence(target, item->shortcut());
        }
        // The handlers themselves check the page too.
        fm.btnCombinedAddClick();
        fm.btnCombinedReverseClick();
        fm.btnCombinedClearClick();
        QCOMPARE(Entries(fm.list), QStringList({"a", "b", "c"}));
        QCOMPARE(SelectedRows(fm.list), QList<int>{1});
        QVERIFY(h.dialogs.calls.empty());
        QCOMPARE(fm.lbl_total->text(), QStringLiteral("Total:"));
    }

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
