// SPDX-License-Identifier: GPL-3.0-or-later
// The combine page's list commands: drop, move, reverse and clear from their buttons, menu and
// keys, the right-click menu, the keys off the page, and the list's horizontal extent.

#include <QHash>
#include <QScrollBar>
#include <QtTest>
#include <tuple>

#include "list_entries.h"
#include "main_window_harness.h"
#include "widgets/image_button.h"

using Kind = UserDialogs::MessageKind;

namespace {

// A path at least `pixels` wide in the list's font, grown one letter at a time.
QString PathOfWidth(const QFontMetrics& metrics, int pixels, QChar letter = QLatin1Char('m')) {
    QString path = QStringLiteral("/");
    while (metrics.horizontalAdvance(path) < pixels) path += letter;
    return path;
}

}  // namespace

class TestCombineList : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

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

    // --- Shortcuts -----------------------------------------------------------------------

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
};

QTEST_MAIN(TestCombineList)
#include "tst_combinelist.moc"
