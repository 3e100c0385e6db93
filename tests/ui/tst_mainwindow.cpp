// SPDX-License-Identifier: GPL-3.0-or-later
// The main window: its frame, the page flow with its button slots, the values it keeps, the
// "Start" check and the hidden menu's shortcuts.

#include <QCheckBox>
#include <QMouseEvent>
#include <QScreen>
#include <QStyleHints>
#include <QtTest>

#include "main_window_harness.h"
#include "partory/run_control.h"
#include "temp_dir.h"
#include "widgets/image_button.h"

using partory::testing::TempDir;
using partory::testing::WriteFile;

namespace {

enum class PageState { Task, Divide, Combine, Running, Paused, Done };

// What the button bar shows: the visible buttons by name with their left edge and state.
struct BarSnapshot {
    QStringList visible;
    QHash<QString, int> left;
    QHash<QString, bool> enabled;
    QString nextCaption;
};

BarSnapshot TakeBar(TfmMain& fm) {
    BarSnapshot bar;
    for (ImageButton* button : {fm.btnAbout, fm.btnBack, fm.btnNext, fm.btnFinish, fm.btnPause,
                                fm.btnContinue, fm.btnCancel}) {
        if (!button->isVisible()) continue;
        bar.visible << button->objectName();
        bar.left.insert(button->objectName(), button->x());
        bar.enabled.insert(button->objectName(), button->isEnabled());
    }
    bar.visible.sort();
    bar.nextCaption = fm.btnNext->text();
    return bar;
}

QString CallName(ScriptedDialogs::Call call) {
    switch (call) {
        case ScriptedDialogs::Call::Message:
            return QStringLiteral("Message");
        case ScriptedDialogs::Call::OpenFile:
            return QStringLiteral("OpenFile");
        case ScriptedDialogs::Call::OpenFiles:
            return QStringLiteral("OpenFiles");
        case ScriptedDialogs::Call::SaveFile:
            return QStringLiteral("SaveFile");
        case ScriptedDialogs::Call::BrowseFolder:
            return QStringLiteral("BrowseFolder");
        case ScriptedDialogs::Call::OpenUrl:
            return QStringLiteral("OpenUrl");
    }
    return QString();
}

// The list's entries and the dialogs that came up, as one comparable text.
QString Fingerprint(MainWindowHarness& h) {
    QStringList entries;
    for (int row = 0; row < h.fm.list->count(); ++row) entries << h.fm.list->item(row)->text();
    QStringList calls;
    for (const auto& record : h.dialogs.calls) calls << CallName(record.call);
    return entries.join(',') + '|' + calls.join(',');
}

// The lowest row of `area` that holds dark ink: the baseline of a text without descenders.
int LowestInk(const QImage& image, const QRect& area) {
    for (int y = area.bottom(); y >= area.top(); --y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 100) return y;
        }
    }
    return -1;
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void frameIsFixedCentredAndTitled() {
        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        QCOMPARE(fm.size(), QSize(560, 407));
        QCOMPARE(fm.minimumSize(), QSize(560, 407));
        QCOMPARE(fm.maximumSize(), QSize(560, 407));
        QVERIFY(!(fm.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(fm.windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(fm.windowFlags() & Qt::WindowCloseButtonHint);
        fm.resize(800, 600);
        QCOMPARE(fm.size(), QSize(560, 407));

        const QRect desktop = fm.screen()->availableGeometry();
        const QPoint offset = fm.frameGeometry().center() - desktop.center();
        QVERIFY2(offset.manhattanLength() <= 40, "the window opens centred");

        QCOMPARE(fm.windowTitle(), QStringLiteral("Partory"));
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Partory"));
        QCOMPARE(fm.palette().color(QPalette::Window), QColor(Qt::white));
        for (QWidget* page :
             {fm.pnlInit, fm.pnlDivide, fm.pnlCombine, fm.pnlProgress, fm.pnlDone}) {
            QCOMPARE(page->geometry(), QRect(0, 81, 560, 282));
        }
        QCOMPARE(fm.pnlButtons->geometry(), QRect(0, 363, 560, 44));
        QCOMPARE(h.visiblePage(), QStringLiteral("pnlInit"));
    }

    void labelsStandOnTheBaselineOfTheirFields_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("field");
        QTest::newRow("source") << "Label6"
                                << "edFromFile";
        QTest::newRow("folder") << "Label12"
                                << "edToFolder";
        QTest::newRow("size") << "Label13"
                              << "edDivideBytes";
        QTest::newRow("output") << "Label11"
                                << "edSaveCombined";
    }

    void labelsStandOnTheBaselineOfTheirFields() {
        QFETCH(QString, label);
        QFETCH(QString, field);
        MainWindowHarness h;
        QVERIFY(h.open());
        auto* caption = h.fm.findChild<QLabel*>(label);
        auto* edit = h.fm.findChild<QLineEdit*>(field);
        QVERIFY(caption != nullptr && edit != nullptr);
        QWidget* page = caption->parentWidget();
        h.fm.pnlInit->hide();
        page->show();
        // Capitals only, so that the lowest ink of each is its baseline.
        caption->setText(QStringLiteral("HEH"));
        edit->setText(QStringLiteral("HEH"));
        const QImage image = page->grab().toImage();
        const int inLabel = LowestInk(image, caption->geometry());
        const QRect text(edit->x() + 3, edit->y() + 2, 30, edit->height() - 4);
        const int inField = LowestInk(image, text);
        QVERIFY(inLabel > 0 && inField > 0);
        QCOMPARE(inLabel, inField);
        // The label keeps its place beside the field, 3 pixels below its top.
        QCOMPARE(caption->y(), edit->y() + 3);
    }

    void firstActivationResetsOnlyOnce() {
        MainWindowHarness h;
        QVERIFY(h.open());
        QCOMPARE(h.fm.movie_intro->stripName(), QStringLiteral("movie"));
        h.toDividePage();
        QCOMPARE(h.visiblePage(), QStringLiteral("pnlDivide"));
        // Coming back from another window activates it again; the wizard must stay put.
        QEvent activate(QEvent::WindowActivate);
        QApplication::sendEvent(&h.fm, &activate);
        h.fm.FormActivate();
        QCOMPARE(h.visiblePage(), QStringLiteral("pnlDivide"));
        QCOMPARE(h.fm.btnNext->text(), QStringLiteral("Start"));
    }

    void buttonSlots_data() {
        QTest::addColumn<PageState>("state");
        QTest::addColumn<QString>("backSlot");
        QTest::addColumn<bool>("backEnabled");
        QTest::addColumn<QString>("nextSlot");
        QTest::addColumn<QString>("nextCaption");
        QTest::newRow("task") << PageState::Task << "btnBack" << false << "btnNext"
                              << "Next";
        QTest::newRow("divide") << PageState::Divide << "btnBack" << true << "btnNext"
                                << "Start";
        QTest::newRow("combine") << PageState::Combine << "btnBack" << true << "btnNext"
                                 << "Start";
        QTest::newRow("running") << PageState::Running << "btnCancel" << true << "btnPause"
                                 << "Pause";
        QTest::newRow("paused") << PageState::Paused << "btnCancel" << true << "btnContinue"
                                << "Continue";
        QTest::newRow("done") << PageState::Done << "" << false << "btnFinish"
                              << "Finish";
    }

    void buttonSlots() {
        QFETCH(PageState, state);
        QFETCH(QString, backSlot);
        QFETCH(bool, backEnabled);
        QFETCH(QString, nextSlot);
        QFETCH(QString, nextCaption);

        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        TempDir temp;
        BarSnapshot bar;

        if (state == PageState::Task) {
            bar = TakeBar(fm);
        } else if (state == PageState::Combine) {
            h.toCombinePage();
            bar = TakeBar(fm);
        } else {
            h.toDividePage();
            if (state == PageState::Divide) {
                bar = TakeBar(fm);
            } else {
                WriteFile(temp / "source.bin", std::string(3000, 'x'));
                h.fillDivide(temp / "source.bin", temp.path(), "p[COUNTER]", "1.00", 0);
                h.atNextPump([&] {
                    if (state == PageState::Running) {
                        bar = TakeBar(fm);
                        return;
                    }
                    if (state != PageState::Paused) return;
                    fm.btnPauseClick();
                    bar = TakeBar(fm);
                    h.atNextPump([&] { fm.btnContinueClick(); }, 50);
                });
                fm.btnNextClick();
                QCOMPARE(h.visiblePage(), QStringLiteral("pnlDone"));
                if (state == PageState::Done) bar = TakeBar(fm);
            }
        }

        QStringList expected{QStringLiteral("btnAbout"), nextSlot};
        if (!backSlot.isEmpty()) expected << backSlot;
        expected.sort();
        QCOMPARE(bar.visible, expected);
        QCOMPARE(bar.left.value(QStringLiteral("btnAbout")), 8);
        QVERIFY(bar.enabled.value(QStringLiteral("btnAbout")));
        QCOMPARE(bar.left.value(nextSlot), 450);
        QVERIFY(bar.enabled.value(nextSlot));
        if (!backSlot.isEmpty()) {
            QCOMPARE(bar.left.value(backSlot), 344);
            QCOMPARE(bar.enabled.value(backSlot), backEnabled);
        }
        if (nextSlot == QLatin1String("btnNext")) QCOMPARE(bar.nextCaption, nextCaption);
    }

    void backIsInertOnTaskPage() {
        MainWindowHarness h;
        QVERIFY(h.open());
        QTest::mouseClick(h.fm.btnBack, Qt::LeftButton);
        h.fm.btnBackClick();
        QCOMPARE(h.visiblePage(), QStringLiteral("pnlInit"));
        QCOMPARE(h.fm.btnNext->text(), QStringLiteral("Next"));
        QVERIFY(!h.fm.btnBack->isEnabled());
    }

    void nextAndBackFollowTheTaskAndKeepValues() {
        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        QTest::mouseClick(fm.btnNext, Qt::LeftButton);
        QCOMPARE(h.visiblePage(), QStringLiteral("pnlDivide"));
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(fm.edFromFile));
        QVERIFY(!fm.movie_intro->isRunning());
        h.fillDivide("/nowhere/a.bin", "/nowhere", "X_[COUNTER]", "2.50", 1);
        fm.boxUpperCase->setChecked(false);

        QTest::mouseClick(fm.btnBack, Qt::LeftButton);
        QCOMPARE(h.visiblePage(), QStringLiteral("pnlInit"));
        QVERIFY(fm.movie_intro->isRunning());
        QCOMPARE(fm.btnNext->text(), QStringLiteral("Next"));
        QVERIFY(!fm.btnBack->isEnabled());

        fm.rbCombine->setChecked(true);
        QTest::mouseClick(fm.btnNext, Qt::LeftButton);
        QCOMPARE(h.visiblePage(), QStringLiteral("pnlCombine"));
        QVERIFY(fm.movie_arrows->isRunning());
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(fm.list));
        fm.list->addItems({QStringLiteral("/a"), QStringLiteral("/b")});
        fm.edSaveCombined->setText(QStringLiteral("/out"));

        QTest::mouseClick(fm.btnBack, Qt::LeftButton);
        QVERIFY(!fm.movie_arrows->isRunning());
        QCOMPARE(fm.movie_intro->stripName(), QStringLiteral("reversed"));
        fm.rbDivide->setChecked(true);
        QTest::mouseClick(fm.btnNext, Qt::LeftButton);
        QCOMPARE(h.visiblePage(), QStringLiteral("pnlDivide"));
        QCOMPARE(fm.edFromFile->text(), QStringLiteral("/nowhere/a.bin"));
        QCOMPARE(fm.edToFolder->text(), QStringLiteral("/nowhere"));
        QCOMPARE(fm.edNewNames->text(), QStringLiteral("X_[COUNTER]"));
        QCOMPARE(fm.edDivideBytes->text(), QStringLiteral("2.50"));
        QCOMPARE(fm.boxDivideType->currentIndex(), 1);
        QVERIFY(!fm.boxUpperCase->isChecked());
        QCOMPARE(fm.list->count(), 2);
        QCOMPARE(fm.edSaveCombined->text(), QStringLiteral("/out"));
    }

    // A double-click on a slot of the button bar is one click: its second press does not
    // press the button that has just taken the slot. Clicks by program still act at once.
    void doubleClickOnTheBarIsOneClick() {
        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        const auto spotOf = [&](QWidget* button) {
            return button->mapTo(&fm, button->rect().center());
        };
        // Next on the task page: the divide page, and no Start with its message.
        QTest::mouseDClick(fm.windowHandle(), Qt::LeftButton, {}, spotOf(fm.btnNext));
        QCOMPARE(h.visiblePage(), QStringLiteral("pnlDivide"));
        QCOMPARE(fm.btnNext->text(), QStringLiteral("Start"));
        QCOMPARE(h.dialogs.messages().size(), size_t(0));
        // Presses that Qt does not take for a double-click (stamped by hand: QTest puts its
        // clicks far apart). Back makes Next read "Next" again; a press on it within the
        // double-click time after that does nothing, a later one is Next.
        const auto click = [&](ImageButton* button, quint64 stamp) {
            const QPointF spot = button->rect().center();
            for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
                QMouseEvent event(type, spot, button->mapToGlobal(spot), Qt::LeftButton,
                                  type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                  Qt::NoModifier);
                event.setTimestamp(stamp);
                QApplication::sendEvent(button, &event);
            }
        };
        const quint64 interval = quint64(QGuiApplication::styleHints()->mouseDoubleClickInterval());
        const quint64 start = 10'000'000;
        click(fm.btnBack, start);
        QCOMPARE(h.visiblePage(), QStringLiteral("pnlInit"));
        click(fm.btnNext, start + interval / 2);
        QCOMPARE(h.visiblePage(), QStringLiteral("pnlInit"));
        click(fm.btnNext, start + interval + 1000);
        QCOMPARE(h.visiblePage(), QStringLiteral("pnlDivide"));
        QCOMPARE(h.dialogs.messages().size(), size_t(0));
        // A keyboard or program click is never held back.
        fm.btnNext->click();
        QCOMPARE(h.dialogs.messages().size(), size_t(1));
    }

    void doubleClickFlipsTaskAndStrip() {
        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        for (const bool divideNext : {false, true, false}) {
            // Both presses on the animation, through the window as the platform sends them.
            QTest::mouseDClick(fm.windowHandle(), Qt::LeftButton, {},
                               fm.movie_intro->mapTo(&fm, fm.movie_intro->rect().center()));
            QCOMPARE(fm.rbDivide->isChecked(), divideNext);
            QCOMPARE(fm.rbCombine->isChecked(), !divideNext);
            QCOMPARE(fm.movie_intro->stripName(),
                     divideNext ? QStringLiteral("movie") : QStringLiteral("reversed"));
            QCOMPARE(fm.movie_intro->currentFrame(), 0);
            QVERIFY(fm.movie_intro->isRunning());
        }
        // Choosing the task already chosen leaves the animation where it is.
        QTRY_VERIFY(fm.movie_intro->currentFrame() > 0);
        QTest::mouseClick(fm.rbCombine, Qt::LeftButton);
        QCOMPARE(fm.movie_intro->stripName(), QStringLiteral("reversed"));
        QVERIFY(fm.movie_intro->currentFrame() > 0);
    }

    void failedCheckKeepsThePage_data() {
        QTest::addColumn<bool>("divide");
        QTest::addColumn<QString>("source");  // "<file>" is replaced by an existing file
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("nameTemplate");
        QTest::addColumn<QString>("output");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("tidiedSource");

        using Kind = UserDialogs::MessageKind;
        QTest::newRow("no source")
            << true << "   "
            << ""
            << ""
            << "" << int(Kind::Information) << "Please, select a file to divide."
            << "edFromFile"
            << "";
        QTest::newRow("missing source")
            << true << " /no/such/file.bin "
            << ""
            << ""
            << "" << int(Kind::Error) << "File \"/no/such/file.bin\" does not exist."
            << "edFromFile"
            << "/no/such/file.bin";
        QTest::newRow("no folder")
            << true << "<file>"
            << "  "
            << ""
            << "" << int(Kind::Information) << "Please, select the destination folder."
            << "edToFolder"
            << "<file>";
        QTest::newRow("no counter")
            << true << "<file>"
            << "<dir>"
            << "part_[counter]"
            << "" << int(Kind::Information) << "The counter should be specified in the file part."
            << "edNewNames"
            << "<file>";
        QTest::newRow("empty list")
            << false << ""
            << ""
            << ""
            << "" << int(Kind::Information) << "Please, select files to combine."
            << "list"
            << "";
        QTest::newRow("no output")
            << false << "<file>"
            << ""
            << ""
            << "  " << int(Kind::Information) << "Please, select the destination file."
            << "edSaveCombined"
            << "";
    }

    void failedCheckKeepsThePage() {
        QFETCH(bool, divide);
        QFETCH(QString, source);
        QFETCH(QString, folder);
        QFETCH(QString, nameTemplate);
        QFETCH(QString, output);
        QFETCH(int, kind);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        QFETCH(QString, tidiedSource);

        TempDir temp;
        const QString file = QString::fromStdString(temp / "source.bin");
        WriteFile(temp / "source.bin", "data");
        const auto expand = [&](QString text) {
            return text.replace(QStringLiteral("<file>"), file)
                .replace(QStringLiteral("<dir>"), QString::fromStdString(temp.path()));
        };

        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        if (divide) {
            h.toDividePage();
            fm.edFromFile->setText(expand(source));
            fm.edToFolder->setText(expand(folder));
            fm.edNewNames->setText(nameTemplate);
        } else {
            h.toCombinePage();
            if (!source.isEmpty()) fm.list->addItem(expand(source));
            fm.edSaveCombined->setText(output);
        }
        const QString page = h.visiblePage();

        QTest::mouseClick(fm.btnNext, Qt::LeftButton);

        const auto messages = h.dialogs.messages();
        QCOMPARE(int(messages.size()), 1);
        QCOMPARE(int(messages[0].kind), kind);
        QCOMPARE(messages[0].text, message);
        QCOMPARE(QApplication::focusWidget()->objectName(), focus);
        QCOMPARE(h.visiblePage(), page);
        QVERIFY(fm.btnNext->isVisible() && fm.btnNext->isEnabled());
        QCOMPARE(fm.btnNext->text(), QStringLiteral("Start"));
        QVERIFY(fm.btnBack->isVisible() && fm.btnBack->isEnabled());
        QVERIFY(!fm.btnPause->isVisible());
        if (divide) QCOMPARE(fm.edFromFile->text(), expand(tidiedSource));
        if (!divide && !output.isEmpty()) QCOMPARE(fm.edSaveCombined->text(), QString());

        // Corrected, the same "Start" runs the job.
        if (divide) {
            fm.edFromFile->setText(file);
            fm.edToFolder->setText(QString::fromStdString(temp.path()) + '/');
            fm.edNewNames->setText(QStringLiteral("part_[COUNTER]"));
        } else {
            fm.list->clear();
            fm.list->addItem(file);
            fm.edSaveCombined->setText(QString::fromStdString(temp / "joined.bin"));
        }
        QTest::mouseClick(fm.btnNext, Qt::LeftButton);
        QCOMPARE(h.visiblePage(), QStringLiteral("pnlDone"));
        QCOMPARE(fm.lblDone->text(), QStringLiteral("CONGRATULATIONS!"));
        // The check's tidying reaches the field: no trailing separator on the folder.
        if (divide) QCOMPARE(fm.edToFolder->text(), QString::fromStdString(temp.path()));
    }

    void shortcutsActOnlyOnTheirPage_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("onCombine");
        QTest::addColumn<QString>("onDivide");
        const int ctrl = Qt::ControlModifier;
        QTest::newRow("UP1") << int(Qt::Key_Up) << ctrl << "b,a,c|"
                             << "a,b,c|";
        QTest::newRow("DOWN1") << int(Qt::Key_Down) << ctrl << "a,c,b|"
                               << "a,b,c|";
        QTest::newRow("ADD1") << int(Qt::Key_Insert) << ctrl << "a,b,c,d|OpenFiles"
                              << "a,b,c|";
        QTest::newRow("REMOVE1") << int(Qt::Key_Delete) << ctrl << "a,b,c|Message"
                                 << "a,b,c|";
        QTest::newRow("CLEAR1") << int(Qt::Key_Delete) << (ctrl | int(Qt::ShiftModifier))
                                << "a,b,c|Message"
                                << "a,b,c|";
        QTest::newRow("REVERSE1") << int(Qt::Key_R) << ctrl << "c,b,a|"
                                  << "a,b,c|";
        QTest::newRow("OPEN1") << int(Qt::Key_O) << ctrl << "a,b,c|"
                               << "a,b,c|OpenFile";
        QTest::newRow("SAVE1") << int(Qt::Key_S) << ctrl << "a,b,c|SaveFile"
                               << "a,b,c|";
    }

    void shortcutsActOnlyOnTheirPage() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, onCombine);
        QFETCH(QString, onDivide);

        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        const QString editText = QStringLiteral("/tmp/some file.bin");
        // The key goes to a line edit whose own bindings (copy, delete word...) would take it.
        const auto press = [&](QLineEdit* edit) {
            fm.list->clear();
            fm.list->addItems({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
            fm.list->setCurrentRow(1);
            h.dialogs.calls.clear();
            h.dialogs.answers = {false};
            h.dialogs.openFilesResults = {{QStringLiteral("d")}};
            QWidget* target = fm.rbDivide;
            if (edit != nullptr) {
                edit->setText(editText);
                edit->setFocus();
                edit->setCursorPosition(0);
                target = edit;
            }
            QTest::keyClick(target, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        };

        press(nullptr);
        QCOMPARE(Fingerprint(h), QStringLiteral("a,b,c|"));

        h.toDividePage();
        press(fm.edNewNames);
        QCOMPARE(Fingerprint(h), onDivide);
        QCOMPARE(fm.edNewNames->text(), editText);

        fm.btnBackClick();
        h.toCombinePage();
        press(fm.edSaveCombined);
        QCOMPARE(Fingerprint(h), onCombine);
        QCOMPARE(fm.edSaveCombined->text(), editText);
    }

    void shortcutsInertDuringJob() {
        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        TempDir temp;
        WriteFile(temp / "source.bin", std::string(2048, 'x'));
        h.toDividePage();
        h.fillDivide(temp / "source.bin", temp.path(), "p[COUNTER]", "1.00", 0);
        fm.list->addItems({QStringLiteral("a"), QStringLiteral("b")});
        fm.list->setCurrentRow(1);
        QString during;
        h.atNextPump([&] {
            fm.btnPauseClick();
            h.dialogs.openFilesResults = {{QStringLiteral("d")}};
            for (QAction* item : fm.MainMenu1->actions()) {
                QTest::keySequence(&fm, item->shortcut());
            }
            during = Fingerprint(h);
            fm.btnContinueClick();
        });
        fm.btnNextClick();
        QCOMPARE(during, QStringLiteral("a,b|"));
        QCOMPARE(fm.lblDone->text(), QStringLiteral("CONGRATULATIONS!"));
    }

    void hiddenMenuItemsAreInvisible() {
        MainWindowHarness h;
        QVERIFY(h.open());
        const QStringList names{"UP1",    "DOWN1",    "ADD1",  "REMOVE1",
                                "CLEAR1", "REVERSE1", "OPEN1", "SAVE1"};
        QStringList found;
        for (QAction* item : h.fm.MainMenu1->actions()) {
            found << item->objectName();
            QVERIFY(!item->isVisible());
        }
        QCOMPARE(found, names);
        QVERIFY(!h.fm.MainMenu1->isVisible());
    }

    void finishClosesTheWindow() {
        MainWindowHarness h;
        QVERIFY(h.open());
        h.fm.btnFinishClick();
        QVERIFY(!h.fm.isVisible());
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
