// SPDX-License-Identifier: GPL-3.0-or-later
// What a job costs the window: a part that takes long to copy keeps the window painting while
// a click that arrives meanwhile waits for the pump after the part; a bar whose per cent
// changes faster than a screen shows it is painted once a frame. Runs on a real X server
// (CMake starts one), so that clicks arrive as they do from a user: through the window system's
// queue while the job is busy. A press by assistive technology waits for the same pump.

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QProcess>
#include <QStyleHints>
#include <QtTest>
#include <chrono>
#include <functional>
#include <thread>

#include "faulty_file_layer.h"
#include "main_window_harness.h"
#include "temp_dir.h"
#include "widgets/image_button.h"
#include "widgets/percent_bar.h"

using partory::testing::Exists;
using partory::testing::FaultyFileLayer;
using partory::testing::PatternBytes;
using partory::testing::ReadFile;
using partory::testing::TempDir;
using partory::testing::WriteFile;

namespace {

constexpr std::int64_t kMiB = 1024 * 1024;
constexpr int kPartMiB = 6;

// The real files, whose kernel copy takes 50 ms per MiB, as on a slow stick; runs `onCopy`
// before each copy. Counts the handles left open.
struct SlowCopyLayer : FaultyFileLayer {
    std::function<void()> onCopy;
    SlowCopyLayer() {
        SetBeforeCopy([this](std::int64_t bytes) {
            if (onCopy) onCopy();
            std::this_thread::sleep_for(std::chrono::milliseconds(50 * bytes / kMiB + 1));
        });
    }
};

// Counts the paints that reach a widget, and what a percent bar showed in the last one.
class PaintCounter : public QObject {
  public:
    explicit PaintCounter(QWidget* widget) : widget_(widget) { widget->installEventFilter(this); }
    int paints = 0;
    int lastPercent = -1;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
            if (auto* bar = qobject_cast<PercentBar*>(widget_)) lastPercent = bar->drawnPercent();
        }
        return false;
    }

  private:
    QWidget* widget_;
};

// A real click through the X server; it waits in the window's queue until events are run.
void QueueClick(QWidget* button) {
    const QPoint at = button->mapToGlobal(button->rect().center());
    QProcess::execute(QStringLiteral("xdotool"),
                      {QStringLiteral("mousemove"), QString::number(at.x()),
                       QString::number(at.y()), QStringLiteral("click"), QStringLiteral("1")});
    // Time for the window system's reader to take it in.
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
}

// A press by assistive technology: through the button's accessible press action.
void PressAccessibly(QWidget* button) {
    QAccessible::queryAccessibleInterface(button)->actionInterface()->doAction(
        QAccessibleActionInterface::pressAction());
}

}  // namespace

class TestLongUnit : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }
    void clickDuringALongPart_data();
    void clickDuringALongPart();
    void percentChangesWithinAFramePaintOnce();
    void clickAmongManyQuickParts();
};

void TestLongUnit::clickDuringALongPart_data() {
    QTest::addColumn<bool>("cancel");
    QTest::addColumn<bool>("assistive");
    QTest::newRow("pause, then continue") << false << false;
    QTest::newRow("cancel") << true << false;
    // Qt's own press action clicks through a timer, which a part's slices run.
    QTest::newRow("assistive pause, then continue") << false << true;
    QTest::newRow("assistive cancel") << true << true;
}

void TestLongUnit::clickDuringALongPart() {
    QFETCH(bool, cancel);
    QFETCH(bool, assistive);
    const auto press = [assistive](QWidget* button) {
        assistive ? PressAccessibly(button) : QueueClick(button);
    };
    TempDir dir;
    const std::string source = dir / "movie.bin";
    const std::string bytes = PatternBytes(2 * kPartMiB * kMiB, 3);
    WriteFile(source, bytes);
    const auto part = [&](int p) { return dir / ("movie" + std::to_string(p)); };

    SlowCopyLayer files;
    MainWindowHarness h(files);
    h.fm.show();
    QVERIFY(QTest::qWaitForWindowExposed(&h.fm));
    // No window manager activates it here: the first-activation reset by hand.
    h.fm.FormActivate();
    h.toDividePage();
    h.fillDivide(source, dir.path(), QStringLiteral("movie[COUNTER]"),
                 QString::number(kPartMiB * 1024), 0);
    PaintCounter paints(h.fm.movie_process);

    // Seen at each slice of part 1: the animation's frame, the paints so far, and whether a
    // handler of the queued click has run inside the part.
    QList<int> frames;
    QList<int> paintCounts;
    bool handlerRanInPart = false;
    files.onCopy = [&] {
        if (Exists(part(2))) return;
        if (frames.isEmpty()) press(cancel ? h.fm.btnCancel : h.fm.btnPause);
        frames << h.fm.movie_process->currentFrame();
        paintCounts << paints.paints;
        handlerRanInPart = handlerRanInPart || !h.dialogs.calls.empty() || MainRunState().Paused;
    };
    // While paused (after part 1): part 2 not begun; then Continue.
    bool part2WhilePaused = true;
    int pausedPumps = 0;
    QTimer whilePaused;
    whilePaused.setInterval(20);
    QObject::connect(&whilePaused, &QTimer::timeout, [&] {
        if (!MainRunState().Paused || ++pausedPumps != 3) return;
        part2WhilePaused = Exists(part(2));
        press(h.fm.btnContinue);
    });
    whilePaused.start();

    QTest::mouseClick(h.fm.btnNext, Qt::LeftButton);

    QVERIFY(frames.size() >= 4);
    QVERIFY2(!handlerRanInPart, "a click was handled inside the part");
    QVERIFY2(QSet<int>(frames.begin(), frames.end()).size() > 1,
             "the animation stood still during the part");
    QVERIFY2(paintCounts.last() > paintCounts.first(), "nothing was painted during the part");
    QCOMPARE(h.visiblePage(), QStringLiteral("pnlDone"));
    QCOMPARE(ReadFile(part(1)), bytes.substr(0, kPartMiB * kMiB));
    if (cancel) {
        QCOMPARE(h.dialogs.calls.size(), std::size_t{1});
        QCOMPARE(h.fm.lblDoneExplanation->text(), QStringLiteral("The process was terminated."));
        QVERIFY(Exists(part(2)));
        QCOMPARE(ReadFile(part(2)), std::string());
    } else {
        QVERIFY2(pausedPumps >= 3, "the job never waited for Continue");
        QVERIFY2(!part2WhilePaused, "part 2 was begun while the job was paused");
        QCOMPARE(h.fm.lblDoneExplanation->text(), QStringLiteral("2 file(s) sucessfully created!"));
        QCOMPARE(ReadFile(part(2)), bytes.substr(kPartMiB * kMiB));
    }
    QCOMPARE(files.openHandles(), 0);
}

void TestLongUnit::percentChangesWithinAFramePaintOnce() {
    QWidget page;
    page.resize(600, 200);
    auto* bar = new PercentBar(&page);
    bar->setGeometry(8, 96, 545, 20);
    PaintCounter paints(bar);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    bar->resetForJob();
    bar->SetMaximum(1000);

    // A job of 1,000 small units: the per cent changes every tenth unit, a pump after each.
    // The bar's first paint comes from its showing at the first per cent, which no frame
    // holds back: the paints are counted from after it.
    QElapsedTimer clock;
    int shownPaints = 0;
    for (int unit = 1; unit <= 1000; ++unit) {
        bar->SetPosition(unit);
        QCoreApplication::processEvents();
        if (!clock.isValid() && paints.paints > 0) {
            shownPaints = paints.paints;
            clock.start();
        }
    }
    QVERIFY2(clock.isValid(), "the bar was never painted");
    const qint64 frames = clock.elapsed() / 16 + 2;
    const int later = paints.paints - shownPaints;

    QVERIFY2(later <= frames,
             qPrintable(QStringLiteral("%1 paints in %2 frames").arg(later).arg(frames)));
    QTRY_COMPARE(paints.lastPercent, 100);
}

// Parts that take far less than the pump's quiet time: a click that arrives during one of them
// still acts within a few parts, long before the job's end, and the job goes on after Continue.
void TestLongUnit::clickAmongManyQuickParts() {
    constexpr int kParts = 300;
    constexpr std::int64_t kPartBytes = 128 * 1024;
    TempDir dir;
    const std::string source = dir / "many.bin";
    WriteFile(source, PatternBytes(kParts * kPartBytes, 5));

    FaultyFileLayer files;
    int copies = 0;
    int copiesAtClick = -1;
    MainWindowHarness h(files);
    files.SetBeforeCopy([&](std::int64_t) {
        ++copies;
        if (copies == 10) {
            QueueClick(h.fm.btnPause);
            copiesAtClick = copies;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    });
    h.fm.show();
    QVERIFY(QTest::qWaitForWindowExposed(&h.fm));
    h.fm.FormActivate();
    h.toDividePage();
    h.fillDivide(source, dir.path(), QStringLiteral("many[COUNTER]"), QStringLiteral("128"), 0);

    int partsAtPause = -1;
    QElapsedTimer sincePause;
    bool continued = false;
    QTimer whilePaused;
    whilePaused.setInterval(20);
    QObject::connect(&whilePaused, &QTimer::timeout, [&] {
        if (!MainRunState().Paused || continued) return;
        if (partsAtPause < 0) {
            partsAtPause = static_cast<int>(h.fm.bar->position());
            sincePause.start();
        }
        // Continue stands where Pause stood: within the double-click time a press there is
        // taken as aimed at Pause, and ignored.
        if (sincePause.elapsed() <= QGuiApplication::styleHints()->mouseDoubleClickInterval())
            return;
        continued = true;
        QueueClick(h.fm.btnContinue);
    });
    whilePaused.start();

    QTest::mouseClick(h.fm.btnNext, Qt::LeftButton);

    QCOMPARE(copiesAtClick, 10);
    QVERIFY2(partsAtPause >= 10, "the job paused before the click");
    // Parts take at least 0.5 ms: a click acts within a frame's time, a few dozen parts.
    QVERIFY2(partsAtPause < 10 + 100, "the click waited far longer than a frame");
    qInfo("paused after part %d of %d (clicked during part 10)", partsAtPause, kParts);
    QCOMPARE(h.fm.lblDoneExplanation->text(), QStringLiteral("300 file(s) sucessfully created!"));
    QCOMPARE(files.openHandles(), 0);
}

QTEST_MAIN(TestLongUnit)
#include "tst_longunit.moc"
