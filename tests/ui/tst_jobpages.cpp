// SPDX-License-Identifier: GPL-3.0-or-later
// Jobs run through the window: the progress page with Pause, Continue and Cancel pressed from
// inside the job's pumps, the progress bar's rules, the completion page and closing the window
// while a job runs.

#include <QtTest>

#include "faulty_file_layer.h"
#include "main_window_harness.h"
#include "partory/run_control.h"
#include "temp_dir.h"
#include "text/fonts.h"
#include "widgets/image_button.h"
#include "widgets/outcome_line.h"
#include "widgets/percent_bar.h"

using partory::testing::Exists;
using partory::testing::PatternBytes;
using partory::testing::ReadFile;
using partory::testing::TempDir;
using partory::testing::WriteFile;

namespace {

const QString kPausedText = QStringLiteral("Process paused.  Press \"Continue\" to resume.");

// Records, each time the bar comes up, the position and the per cent it shows.
class BarShowRecorder : public QObject {
  public:
    explicit BarShowRecorder(PercentBar* bar) : bar_(bar) { bar->installEventFilter(this); }
    QStringList shows;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            shows << QStringLiteral("%1:%2").arg(bar_->position()).arg(bar_->drawnPercent());
        }
        return false;
    }

  private:
    PercentBar* bar_;
};

// What the progress page shows at one moment of a job.
struct ProgressSnapshot {
    QString status;
    bool pauseShown = false;
    bool continueShown = false;
    int continueLeft = -1;
    bool animationRunning = false;
    int animationFrame = -1;
    QString animationStrip;
};

ProgressSnapshot TakeProgress(TfmMain& fm) {
    return {fm.lblProcessStatus->text(),   fm.btnPause->isVisible(),
            fm.btnContinue->isVisible(),   fm.btnContinue->x(),
            fm.movie_process->isRunning(), fm.movie_process->currentFrame(),
            fm.movie_process->stripName()};
}

// Counts the paints that reach a widget from the moment it is watched.
class PaintCount : public QObject {
  public:
    int paints = 0;
    void watch(QWidget* widget) {
        paints = 0;
        widget->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

}  // namespace

class TestJobPages : public QObject {
    Q_OBJECT

    // A divide job of `size` bytes in parts of `partBytes` bytes, ready to start.
    void prepareDivide(MainWindowHarness& h, const TempDir& temp, std::size_t size,
                       int partBytes = 1024) {
        WriteFile(temp / "source.bin", PatternBytes(size));
        h.toDividePage();
        if (partBytes == 1024) {
            h.fillDivide(temp / "source.bin", temp.path(), "part_[COUNTER]", "1.00", 0);
        } else {
            h.fillDivide(temp / "source.bin", temp.path(), "part_[COUNTER]",
                         QString::number(partBytes) + ".00", 1);
        }
    }

    void runAgain(MainWindowHarness& h) {
        h.fm.btnStartOverClick();
        h.fm.btnNextClick();  // Next: the settings page of the task still chosen
    }

    void verifyOutcome(TfmMain& fm, bool success, const QString& text) {
        QVERIFY(fm.pnlDone->isVisible());
        QVERIFY(!fm.pnlProgress->isVisible());
        QLabel* shown = success ? fm.imgDoneOK : fm.imgDoneError;
        QLabel* hidden = success ? fm.imgDoneError : fm.imgDoneOK;
        QVERIFY(shown->isVisible());
        QVERIFY(!hidden->isVisible());
        QCOMPARE(shown->y(), 53);
        QCOMPARE(fm.lblDone->text(),
                 success ? QStringLiteral("CONGRATULATIONS!") : QStringLiteral("ERROR!"));
        QCOMPARE(fm.lblDone->palette().color(QPalette::WindowText),
                 success ? QColor(0, 128, 0) : QColor(255, 0, 0));
        QCOMPARE(fm.lblDoneExplanation->text(), text);
        QVERIFY(fm.btnFinish->isVisible());
        QCOMPARE(fm.btnFinish->x(), fm.btnNext->x());
        for (ImageButton* gone :
             {fm.btnNext, fm.btnBack, fm.btnPause, fm.btnContinue, fm.btnCancel}) {
            QVERIFY2(!gone->isVisible(), qPrintable(gone->objectName()));
        }
        QVERIFY(!fm.movie_process->isRunning());
        QVERIFY(!fm.jobRunning());
    }

  private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void divideThroughTheWindowAndStartOver() {
        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        TempDir temp;
        prepareDivide(h, temp, 2500);
        ProgressSnapshot atStart;
        h.atNextPump([&] { atStart = TakeProgress(fm); });
        QTest::mouseClick(fm.btnNext, Qt::LeftButton);

        QCOMPARE(atStart.status, QStringLiteral("Please, wait..."));
        QVERIFY(atStart.pauseShown && !atStart.continueShown && atStart.animationRunning);
        QCOMPARE(atStart.animationStrip, QStringLiteral("movie"));
        verifyOutcome(fm, true, QStringLiteral("3 file(s) sucessfully created!"));
        const std::string source = ReadFile(temp / "source.bin");
        QCOMPARE(ReadFile(temp / "part_1"), source.substr(0, 1024));
        QCOMPARE(ReadFile(temp / "part_3"), source.substr(2048));

        QTest::mouseClick(fm.btnStartOver, Qt::LeftButton);
        QCOMPARE(h.visiblePage(), QStringLiteral("pnlInit"));
        QVERIFY(!fm.btnFinish->isVisible());
        QVERIFY(fm.btnNext->isVisible() && fm.btnNext->isEnabled());
        QCOMPARE(fm.btnNext->text(), QStringLiteral("Next"));
        QVERIFY(fm.btnBack->isVisible() && !fm.btnBack->isEnabled());
        QVERIFY(fm.rbDivide->isChecked());
        QCOMPARE(fm.movie_intro->stripName(), QStringLiteral("movie"));
        QVERIFY(fm.movie_intro->isRunning());

        // The page kept its values, and the next job starts from them.
        QTest::mouseClick(fm.btnNext, Qt::LeftButton);
        QCOMPARE(fm.edFromFile->text(), QString::fromStdString(temp / "source.bin"));
        QCOMPARE(fm.edNewNames->text(), QStringLiteral("part_[COUNTER]"));
        fm.edDivideBytes->setText(QStringLiteral("2"));
        QTest::mouseClick(fm.btnNext, Qt::LeftButton);
        verifyOutcome(fm, true, QStringLiteral("2 file(s) sucessfully created!"));
        QCOMPARE(ReadFile(temp / "part_2"), source.substr(2048));
    }

    void combineThroughTheWindow() {
        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        TempDir temp;
        WriteFile(temp / "a", "first-");
        WriteFile(temp / "b", "second-");
        h.toCombinePage();
        for (const char* name : {"a", "b", "a"})
            fm.list->addItem(QString::fromStdString(temp / name));
        fm.edSaveCombined->setText(QString::fromStdString(" " + (temp / "out/joined.bin") + " "));
        ProgressSnapshot atStart;
        h.atNextPump([&] { atStart = TakeProgress(fm); });
        QTest::mouseClick(fm.btnNext, Qt::LeftButton);

        QCOMPARE(atStart.animationStrip, QStringLiteral("reversed"));
        verifyOutcome(fm, true, QStringLiteral("3 file(s) processed sucessfully!"));
        QCOMPARE(ReadFile(temp / "out/joined.bin"), std::string("first-second-first-"));
        QCOMPARE(fm.edSaveCombined->text(), QString::fromStdString(temp / "out/joined.bin"));
        QCOMPARE(fm.list->count(), 3);
    }

    // The check of "Start" goes through the window's file layer, as the job does.
    void checkUsesTheWindowsFileLayer() {
        partory::testing::FaultyFileLayer files;
        files.FailOp(partory::testing::FileOp::Create);
        MainWindowHarness h(files);
        QVERIFY(h.open());
        TempDir temp;
        WriteFile(temp / "a", "first-");
        h.toCombinePage();
        h.fm.list->addItem(QString::fromStdString(temp / "a"));
        h.fm.edSaveCombined->setText(QString::fromStdString(temp / "joined.bin"));
        QTest::mouseClick(h.fm.btnNext, Qt::LeftButton);

        QCOMPARE(h.visiblePage(), QStringLiteral("pnlCombine"));
        QCOMPARE(h.dialogs.messages().back().text,
                 QString::fromStdString("Unable to create the following file:\r" +
                                        (temp / "joined.bin")));
    }

    // A step of the page flow has painted what it changed by the time its handler returns,
    // although no event runs meanwhile but those of the handler's own pump.
    void eachStepPaintsItsChangeAtOnce_data() {
        QTest::addColumn<QString>("step");
        for (const char* step : {"next", "back", "pause", "continue", "start over"})
            QTest::newRow(step) << QString::fromLatin1(step);
    }

    void eachStepPaintsItsChangeAtOnce() {
        QFETCH(QString, step);
        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        TempDir temp;
        PaintCount count;
        int paintedInStep = -1;
        const auto take = [&](QWidget* changed, void (TfmMain::*handler)()) {
            count.watch(changed);
            (fm.*handler)();
            paintedInStep = count.paints;
        };
        if (step == QLatin1String("next")) {
            fm.rbDivide->setChecked(true);
            take(fm.pnlDivide, &TfmMain::btnNextClick);
        } else if (step == QLatin1String("back")) {
            h.toDividePage();
            take(fm.pnlInit, &TfmMain::btnBackClick);
        } else if (step == QLatin1String("start over")) {
            prepareDivide(h, temp, 2048);
            fm.btnNextClick();
            take(fm.pnlInit, &TfmMain::btnStartOverClick);
        } else {
            const bool pause = step == QLatin1String("pause");
            prepareDivide(h, temp, 4096);
            h.atNextPump([&] {
                if (pause) {
                    take(fm.lblProcessStatus, &TfmMain::btnPauseClick);
                } else {
                    fm.btnPauseClick();
                }
                h.atNextPump(
                    [&] {
                        if (pause) {
                            fm.btnContinueClick();
                        } else {
                            take(fm.lblProcessStatus, &TfmMain::btnContinueClick);
                        }
                    },
                    50);
            });
            fm.btnNextClick();
            QVERIFY(fm.pnlDone->isVisible());
        }
        QVERIFY2(paintedInStep > 0, "the change waited for a later pass of the event loop");
    }

    void pauseThenContinue() {
        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        TempDir temp;
        prepareDivide(h, temp, 4096);
        ProgressSnapshot paused, resumed;
        bool partWrittenWhilePaused = true;
        bool pausedFlag = false;
        h.atNextPump([&] {
            fm.btnPauseClick();
            // Long enough for several animation ticks, had it kept running.
            h.atNextPump(
                [&] {
                    paused = TakeProgress(fm);
                    pausedFlag = MainRunState().Paused;
                    partWrittenWhilePaused = Exists(temp / "part_1");
                    fm.btnContinueClick();
                    resumed = TakeProgress(fm);
                },
                300);
        });
        fm.btnNextClick();

        QCOMPARE(paused.status, kPausedText);
        QVERIFY(!paused.pauseShown && paused.continueShown);
        QCOMPARE(paused.continueLeft, fm.btnNext->x());
        QVERIFY(!paused.animationRunning);
        QCOMPARE(paused.animationFrame, 0);
        QVERIFY(pausedFlag);
        QVERIFY(!partWrittenWhilePaused);

        QCOMPARE(resumed.status, QStringLiteral("Please, wait..."));
        QVERIFY(resumed.pauseShown && !resumed.continueShown);
        QVERIFY(resumed.animationRunning);
        QCOMPARE(resumed.animationFrame, 0);
        verifyOutcome(fm, true, QStringLiteral("4 file(s) sucessfully created!"));
    }

    void cancelAnsweredNoWhilePaused() {
        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        TempDir temp;
        prepareDivide(h, temp, 2048);
        ProgressSnapshot afterNo;
        bool stillPaused = false;
        h.atNextPump([&] {
            fm.btnPauseClick();
            h.atNextPump(
                [&] {
                    h.dialogs.answers = {false};
                    fm.btnCancelClick();
                    afterNo = TakeProgress(fm);
                    stillPaused = MainRunState().Paused && !MainRunState().CancelRequested;
                    h.atNextPump([&] { fm.btnContinueClick(); }, 50);
                },
                50);
        });
        fm.btnNextClick();

        const auto messages = h.dialogs.messages();
        QCOMPARE(int(messages.size()), 1);
        QCOMPARE(messages[0].kind, UserDialogs::MessageKind::Question);
        QCOMPARE(messages[0].text, QStringLiteral("Are you sure to cancel the process ?"));
        QVERIFY(stillPaused);
        QCOMPARE(afterNo.status, kPausedText);
        QVERIFY(afterNo.continueShown && !afterNo.pauseShown);
        verifyOutcome(fm, true, QStringLiteral("2 file(s) sucessfully created!"));
    }

    void cancelAnsweredYes_data() {
        QTest::addColumn<bool>("whilePaused");
        QTest::newRow("while paused") << true;
        QTest::newRow("while running") << false;
    }

    void cancelAnsweredYes() {
        QFETCH(bool, whilePaused);
        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        TempDir temp;
        prepareDivide(h, temp, 3000);
        ProgressSnapshot afterYes;
        h.atNextPump([&] {
            if (whilePaused) fm.btnPauseClick();
            h.dialogs.answers = {true};
            fm.btnCancelClick();
            afterYes = TakeProgress(fm);
        });
        fm.btnNextClick();

        // The handler itself changes nothing on the page.
        QCOMPARE(afterYes.status, whilePaused ? kPausedText : QStringLiteral("Please, wait..."));
        QCOMPARE(afterYes.continueShown, whilePaused);
        verifyOutcome(fm, false, QStringLiteral("The process was terminated."));
        // The cancel is seen at the first read of the next part, after its file was created.
        QVERIFY(Exists(temp / "part_1"));
        QCOMPARE(ReadFile(temp / "part_1"), std::string());
        QVERIFY(!Exists(temp / "part_2"));
    }

    void outcomeFollowsTheLastJob() {
        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        TempDir temp;
        prepareDivide(h, temp, 100);
        fm.btnNextClick();
        verifyOutcome(fm, true, QStringLiteral("1 file(s) sucessfully created!"));

        runAgain(h);
        h.atNextPump([&] {
            h.dialogs.answers = {true};
            fm.btnCancelClick();
        });
        fm.btnNextClick();
        verifyOutcome(fm, false, QStringLiteral("The process was terminated."));

        runAgain(h);
        fm.btnNextClick();
        verifyOutcome(fm, true, QStringLiteral("1 file(s) sucessfully created!"));
    }

    void barComesUpAtTheFirstWholePercent_data() {
        QTest::addColumn<int>("sourceSize");
        QTest::addColumn<QString>("shows");
        QTest::addColumn<int>("finalPercent");
        // One byte per part: the source size is the number of parts.
        QTest::newRow("one unit") << 1 << "1:100" << 100;
        QTest::newRow("300 parts") << 300 << "2:1" << 100;
        QTest::newRow("empty source") << 0 << "" << 0;
    }

    void barComesUpAtTheFirstWholePercent() {
        QFETCH(int, sourceSize);
        QFETCH(QString, shows);
        QFETCH(int, finalPercent);
        MainWindowHarness h;
        QVERIFY(h.open());
        TempDir temp;
        prepareDivide(h, temp, std::size_t(sourceSize), 1);
        BarShowRecorder recorder(h.fm.bar);
        bool hiddenAtStart = false;
        h.atNextPump([&] { hiddenAtStart = !h.fm.bar->isVisible(); });
        h.fm.btnNextClick();

        QVERIFY(hiddenAtStart);
        QCOMPARE(recorder.shows.join(','), shows);
        QCOMPARE(h.fm.bar->drawnPercent(), finalPercent);
        QVERIFY(h.fm.pnlDone->isVisible());
    }

    void secondJobHidesTheBarUntilItsFirstPercent() {
        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        TempDir temp;
        prepareDivide(h, temp, 1, 1);
        fm.btnNextClick();
        QCOMPARE(fm.bar->drawnPercent(), 100);

        WriteFile(temp / "source.bin", PatternBytes(300));
        runAgain(h);
        BarShowRecorder recorder(fm.bar);
        bool hiddenAtStart = false;
        int percentAtStart = -1;
        h.atNextPump([&] {
            hiddenAtStart = !fm.bar->isVisible();
            percentAtStart = fm.bar->drawnPercent();
        });
        fm.btnNextClick();
        QVERIFY(hiddenAtStart);
        QCOMPARE(percentAtStart, 0);
        QCOMPARE(recorder.shows.join(','), QStringLiteral("2:1"));
    }

    void outcomeLineFitsTheLabel_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("lines");
        QTest::addColumn<bool>("whole");  // every character shown, none elided
        const QString name =
            QStringLiteral("source_") + QString(60, 'n') + QStringLiteral("_end.bin");
        const QString huge =
            QStringLiteral("source_") + QString(300, 'n') + QStringLiteral("_end.bin");
        const QString meeting = QStringLiteral(
            "Annual General Meeting of the Members of the Association, recorded in "
            "the Great Hall on the Second Day, with Questions and Answers from the "
            "Floor, Part One of Two (final edited version).mp4");
        QString emoji;
        // A letter among them: where no font draws emoji they take no room, and the name must
        // still be too long.
        for (int i = 0; i < 120; ++i) emoji += QString::fromUcs4(U"\U0001F600\U0001F600a");
        emoji += QStringLiteral(".bin");
        QString accents;
        for (int i = 0; i < 150; ++i) accents += QStringLiteral("e\u0301");
        accents += QStringLiteral(".txt");
        QTest::newRow("short: one line") << "3 file(s) processed sucessfully!" << 1 << true;
        QTest::newRow("a sentence: broken at a blank")
            << QString("Unable to open the following file for reading: ").repeated(2) << 2 << true;
        QTest::newRow("a long name: broken inside it, on the first line already")
            << "File division error: \"" + name + "\"." << 2 << true;
        QTest::newRow("a name too long for two lines: its middle gives way")
            << "File division error: \"" + huge + "\"." << 2 << false;
        QTest::newRow("a long name with blanks: its middle gives way as a whole")
            << "File division error: \"" + meeting + "\"." << 2 << false;
        QTest::newRow("a name of emoji: never half a surrogate pair")
            << "File division error: \"" + emoji + "\"." << 2 << false;
        QTest::newRow("combining marks stay with their letter")
            << "File division error: \"" + accents + "\"." << 2 << false;
    }

    void outcomeLineFitsTheLabel() {
        QFETCH(QString, text);
        QFETCH(int, lines);
        QFETCH(bool, whole);
        MainWindowHarness h;
        auto* label = qobject_cast<OutcomeLine*>(h.fm.lblDoneExplanation);
        QVERIFY(label != nullptr);
        const int width = label->contentsRect().width();
        QVERIFY(label->contentsRect().height() >= 2 * label->fontMetrics().height());
        // Laid out for another text first: the lines must follow the new one.
        label->setText(QStringLiteral("3 file(s) processed sucessfully!"));
        QCOMPARE(label->shownLines().size(), 1);
        label->setText(text);
        const QStringList shown = label->shownLines();
        QCOMPARE(label->text(), text);
        QCOMPARE(shown.size(), lines);
        for (const QString& line : shown) {
            QVERIFY2(label->fontMetrics().horizontalAdvance(line) <= width, qPrintable(line));
            // No line starts or ends inside a character.
            QVERIFY2(!line.isEmpty() && !line.front().isLowSurrogate() &&
                         !line.back().isHighSurrogate() && line.front() != QChar(0x0301),
                     qPrintable(line));
        }
        QString together = shown.join(QString());
        together.remove(' ');
        QString wanted = text;
        wanted.remove(' ');
        if (whole) {
            QCOMPARE(together, wanted);
            // A word too wide for a line starts right after the words before it.
            if (lines == 2) QVERIFY(label->fontMetrics().horizontalAdvance(shown[0]) > width / 2);
            return;
        }
        // One "…" in the name; the name's first and last characters, the closing quote and the
        // full stop all shown; every piece shown is the text's own.
        QCOMPARE(together.count(QChar(0x2026)), 1);
        const qsizetype cut = together.indexOf(QChar(0x2026));
        const QString head = together.left(cut);
        const QString tail = together.mid(cut + 1);
        const QString prefix = QStringLiteral("Filedivisionerror:\"");
        QVERIFY2(head.size() > prefix.size() + 1 && wanted.startsWith(head), qPrintable(head));
        QVERIFY2(tail.size() > 3 && wanted.endsWith(tail), qPrintable(tail));
        QVERIFY(tail.endsWith(QStringLiteral("\".")));
        QVERIFY(!head.back().isHighSurrogate() && !tail.front().isLowSurrogate());
        QVERIFY(tail.front() != QChar(0x0301));
    }

    // The lines are laid out once for a text, a font and a size; a new width or font lays them
    // out again.
    void outcomeLineFollowsWidthAndFont() {
        OutcomeLine line;
        line.setFont(BoldLabelFont());
        line.resize(545, 36);
        line.setText(QStringLiteral("Unable to open the following file for reading: ").repeated(2));
        const QStringList wide = line.shownLines();
        QCOMPARE(wide.size(), 2);
        QCOMPARE(line.shownLines(), wide);
        const auto fits = [&line] {
            for (const QString& each : line.shownLines()) {
                if (line.fontMetrics().horizontalAdvance(each) > line.contentsRect().width())
                    return false;
            }
            return true;
        };
        line.resize(300, 36);
        QVERIFY(line.shownLines() != wide);
        QVERIFY(fits());
        line.resize(545, 36);
        QCOMPARE(line.shownLines(), wide);
        QFont bigger = line.font();
        bigger.setPixelSize(bigger.pixelSize() + 4);
        line.setFont(bigger);
        QVERIFY(line.shownLines() != wide);
        QVERIFY(fits());
        // Room for one line only: one line shown.
        line.resize(545, line.fontMetrics().height());
        QCOMPARE(line.shownLines().size(), 1);
        QVERIFY(fits());
    }

    void closeDuringJobWaitsForTheJob() {
        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        TempDir temp;
        prepareDivide(h, temp, 3072);
        bool closeRefused = false;
        bool openAfterClose = false;
        bool pauseWorked = false;
        h.atNextPump([&] {
            closeRefused = !fm.close();
            openAfterClose = fm.isVisible();
            fm.btnPauseClick();
            h.atNextPump(
                [&] {
                    pauseWorked = MainRunState().Paused && fm.btnContinue->isVisible() &&
                                  !Exists(temp / "part_1");
                    fm.btnContinueClick();
                },
                50);
        });
        fm.btnNextClick();

        QVERIFY(closeRefused);
        QVERIFY(openAfterClose);
        QVERIFY(pauseWorked);
        // The job ran to its end, then the window went.
        QVERIFY(Exists(temp / "part_3"));
        QVERIFY(MainRunState().Succeeded);
        QVERIFY(!fm.isVisible());
    }
};

QTEST_MAIN(TestJobPages)
#include "tst_jobpages.moc"
