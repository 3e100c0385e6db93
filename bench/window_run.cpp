// SPDX-License-Identifier: GPL-3.0-or-later
// Runs jobs through the real main window: TfmMain, its pages and its "Start" handler, with the
// dialogs answered (every question Yes, the add dialog with a prepared list).
//
//     partory_window_run divide <source> <folder> <template> <part bytes>
//     partory_window_run divide-engine <source> <folder> <template> <part bytes>
//     partory_window_run divide-paints <source> <folder> <template> <part bytes>
//     partory_window_run combine <list file> <output>
//     partory_window_run combine-engine <list file> <output>
//     partory_window_run soak <scratch folder> <jobs>
//     partory_window_run long-part <scratch folder> <seconds>
//
// A job prints the seconds from the click on "Start" to the completion page (the -engine forms:
// the same job without a window, through the engine alone; divide-paints also the longest time
// without a paint from the click to the completion page, and the paints). The soak runs divides and
// combines in turn with "Start over" between them, and prints the resident memory and the open
// descriptors after job 10 and after the last; it fails when a descriptor stayed open. The long
// part divides a file whose first part takes <seconds> to copy (the copy made slow through the
// file layer), clicks Pause during it (on X, with xdotool), and prints the longest time without
// a paint during the part and where the Pause took effect.
//
// The window runs on the platform that QT_QPA_PLATFORM names (offscreen when unset).

#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "bench_dialogs.h"
#include "faulty_file_layer.h"
#include "job_settings.h"
#include "partory/combine_job.h"
#include "partory/divide_job.h"
#include "platform/event_pump.h"
#include "platform/user_dialogs.h"
#include "temp_dir.h"
#include "text/fonts.h"
#include "widgets/animation_control.h"
#include "widgets/browse_edit.h"
#include "widgets/image_button.h"
#include "widgets/size_spin_edit.h"
#include "widgets/template_edit.h"
#include "window/unMain.h"

namespace {

[[noreturn]] void Die(const std::string& what) {
    std::fprintf(stderr, "partory_window_run: %s\n", what.c_str());
    std::exit(1);
}

QStringList ReadList(const char* path) {
    QStringList inputs;
    std::ifstream list(path);
    for (std::string line; std::getline(list, line);) inputs << QString::fromStdString(line);
    if (inputs.isEmpty()) Die(std::string("no inputs in ") + path);
    return inputs;
}

long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

// The window, opened as a user finds it: shown, activated, on the task page.
class Window {
  public:
    explicit Window(partory::FileLayer& files = partory::OsFileLayer()) : fm(files, dialogs) {
        fm.show();
        if (!QTest::qWaitForWindowExposed(&fm)) Die("the window was never shown");
        fm.activateWindow();
        if (!QTest::qWaitFor([this] { return fm.movie_intro->isRunning(); })) fm.FormActivate();
    }

    void fillDivide(const QString& source, const QString& folder, const QString& nameTemplate,
                    const QString& bytes) {
        toPage(fm.rbDivide);
        fm.edFromFile->setText(source);
        fm.edToFolder->setText(folder);
        fm.edNewNames->setText(nameTemplate);
        fm.edDivideBytes->setText(bytes);
        fm.boxDivideType->setCurrentIndex(1);  // bytes
    }

    void fillCombine(const QStringList& inputs, const QString& output) {
        toPage(fm.rbCombine);
        fm.btnCombinedClearClick();
        dialogs.files = inputs;
        fm.btnCombinedAddClick();
        if (fm.list->count() != inputs.size()) Die("the list did not take every input");
        fm.edSaveCombined->setText(output);
        QCoreApplication::processEvents();
    }

    // Clicks "Start" and gives the seconds until its handler has shown the outcome.
    double start() {
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(fm.btnNext, Qt::LeftButton);
        const double seconds = static_cast<double>(clock.nsecsElapsed()) * 1e-9;
        if (!fm.pnlDone->isVisible()) Die("the click on Start did not run a job");
        if (!MainRunState().Succeeded) {
            Die("the job failed: " + MainRunState().ResultText);
        }
        return seconds;
    }

    void startOver() {
        QTest::mouseClick(fm.btnStartOver, Qt::LeftButton);
        if (!fm.pnlInit->isVisible()) Die("start over did not return to the task page");
    }

  private:
    void toPage(QRadioButton* task) {
        if (!fm.pnlInit->isVisible()) Die("not on the task page");
        task->setChecked(true);
        QTest::mouseClick(fm.btnNext, Qt::LeftButton);
    }

    BenchDialogs dialogs;

  public:
    TfmMain fm;
};

double EngineJob(const std::string& mode, char** argv) {
    partory::RunState state;
    partory::ResetRunState(state);
    partory::testing::QuietProgress progress;
    partory::testing::IdlePump pump;
    QElapsedTimer clock;
    clock.start();
    if (mode == "divide-engine") {
        partory::RunDivideJob(partory::testing::DivideSettingsOf(argv + 2), state, progress, pump,
                              partory::OsFileLayer());
    } else {
        partory::CombineSettings settings;
        for (const QString& input : ReadList(argv[2]))
            settings.InputPaths.push_back(input.toStdString());
        settings.OutputPath = argv[3];
        partory::RunCombineJob(settings, state, progress, pump, partory::OsFileLayer());
    }
    const double seconds = static_cast<double>(clock.nsecsElapsed()) * 1e-9;
    if (!state.Succeeded) Die("the job failed: " + state.ResultText);
    return seconds;
}

// The real files, with a kernel copy slowed to `secondsPerByte`; runs `onCopy` before each copy.
struct SlowCopyLayer : partory::testing::FaultyFileLayer {
    std::function<void()> onCopy;
    explicit SlowCopyLayer(double secondsPerByte) {
        SetBeforeCopy([this, secondsPerByte](std::int64_t bytes) {
            if (onCopy) onCopy();
            std::this_thread::sleep_for(std::chrono::duration<double>(secondsPerByte * bytes));
        });
    }
};

// Notes the time of every paint that reaches a widget of the window.
class PaintTimes : public QObject {
  public:
    QElapsedTimer clock;
    std::vector<double> at;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            at.push_back(static_cast<double>(clock.nsecsElapsed()) * 1e-9);
        return false;
    }
};

// A click through the X server, as a user's: it waits in the window's queue until events run.
bool ClickThroughX(QWidget* button) {
    if (qEnvironmentVariable("QT_QPA_PLATFORM") != QStringLiteral("xcb") ||
        QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) {
        return false;
    }
    const QPoint at = button->mapToGlobal(button->rect().center());
    return QProcess::execute(
               QStringLiteral("xdotool"),
               {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                QStringLiteral("click"), QStringLiteral("1")}) == 0;
}

int LongPart(const QString& folder, double seconds) {
    constexpr std::int64_t kPart = 64 * 1024 * 1024;
    const QString source = folder + QStringLiteral("/source");
    const QString parts = folder + QStringLiteral("/parts");
    if (!QDir().mkpath(parts)) Die("cannot create " + parts.toStdString());
    {
        // A first part of 64 MiB, then one byte. Data, not a hole: holes are passed over
        // without a copy, so the slow copy would never run.
        QFile file(source);
        if (!file.open(QIODevice::WriteOnly)) Die("cannot make the source");
        const QByteArray block(1024 * 1024, 'p');
        for (std::int64_t written = 0; written < kPart; written += block.size()) {
            if (file.write(block) != block.size()) Die("cannot write the source");
        }
        if (file.write("p", 1) != 1) Die("cannot write the source");
    }
    SlowCopyLayer files(seconds / static_cast<double>(kPart));
    Window window(files);
    window.fillDivide(source, parts, QStringLiteral("part[COUNTER]"), QString::number(kPart));
    const QString part2 = parts + QStringLiteral("/part2");

    PaintTimes paints;
    bool clicked = false;
    bool pausedInPart = false;
    double partStart = -1, partEnd = -1;
    files.onCopy = [&] {
        if (QFile::exists(part2)) return;
        if (partStart < 0) {
            // The click's own run of xdotool holds this thread: the count starts after it.
            clicked = ClickThroughX(window.fm.btnPause);
            paints.clock.start();
            qApp->installEventFilter(&paints);
            partStart = 0;
        }
        pausedInPart = pausedInPart || MainRunState().Paused;
        partEnd = static_cast<double>(paints.clock.nsecsElapsed()) * 1e-9;
    };
    // Once paused after the part: is part 2 there yet? Then Continue, through its handler.
    int pausedSeen = 0;
    bool part2WhilePaused = false;
    QTimer whilePaused;
    whilePaused.setInterval(20);
    QObject::connect(&whilePaused, &QTimer::timeout, [&] {
        if (!MainRunState().Paused || ++pausedSeen != 3) return;
        part2WhilePaused = QFile::exists(part2);
        window.fm.btnContinueClick();
    });
    whilePaused.start();
    window.start();
    qApp->removeEventFilter(&paints);
    QDir(folder).removeRecursively();

    // The longest stretch of the part without a paint, its ends included.
    double longest = 0, last = 0;
    for (double at : paints.at) {
        if (at > partEnd) break;
        longest = std::max(longest, at - last);
        last = at;
    }
    longest = std::max(longest, partEnd - last);
    const char* pause = !clicked           ? "not clicked (no X server or xdotool)"
                        : pausedInPart     ? "took effect inside the part"
                        : pausedSeen < 3   ? "never took effect"
                        : part2WhilePaused ? "took effect after part 2 was begun"
                                           : "took effect before part 2";
    std::printf("long part: %.1f s, %zu paints, longest without a paint %.0f ms; Pause %s\n",
                partEnd, paints.at.size(), longest * 1000, pause);
    std::printf("%.6f %d\n", longest,
                clicked && !pausedInPart && pausedSeen >= 3 && !part2WhilePaused);
    return 0;
}

// A divide from "Start" with every paint of the window noted, from the click until the handler
// has shown the outcome: a flush that held the window shows as a gap.
int DividePaints(char** argv) {
    Window window;
    window.fillDivide(argv[2], argv[3], argv[4], argv[5]);
    PaintTimes paints;
    paints.clock.start();
    qApp->installEventFilter(&paints);
    const double seconds = window.start();
    const double end = static_cast<double>(paints.clock.nsecsElapsed()) * 1e-9;
    qApp->removeEventFilter(&paints);
    double longest = 0, last = 0;
    for (double at : paints.at) {
        longest = std::max(longest, at - last);
        last = at;
    }
    longest = std::max(longest, end - last);
    std::printf("%.6f %.6f %zu\n", seconds, longest, paints.at.size());
    return 0;
}

// Divides a 1 MiB file into 16 parts and combines them back, in turn, `jobs` jobs in all.
int Soak(const QString& folder, int jobs) {
    const QString source = folder + QStringLiteral("/source");
    const QString parts = folder + QStringLiteral("/parts");
    const QString combined = folder + QStringLiteral("/combined");
    if (!QDir().mkpath(parts)) Die("cannot create " + parts.toStdString());
    {
        std::ofstream out(source.toStdString(), std::ios::binary);
        for (int i = 0; i < 1024 * 1024; ++i) out.put(static_cast<char>(i * 7 + i / 4099));
    }
    QStringList inputs;
    for (int p = 1; p <= 16; ++p) inputs << parts + QStringLiteral("/part%1").arg(p);

    Window window;
    // Taken after the first divide and combine: the combine page's file dialog, made at its
    // first use and kept, holds two descriptors for its watcher thread.
    int descriptorsAtStart = 0;
    long rssAt10 = 0;
    int descriptorsAt10 = 0;
    for (int job = 1; job <= jobs; ++job) {
        if (job % 2 == 1) {
            window.fillDivide(source, parts, QStringLiteral("part[COUNTER]"),
                              QStringLiteral("65536"));
        } else {
            window.fillCombine(inputs, combined);
        }
        window.start();
        window.startOver();
        QCoreApplication::processEvents();
        if (job == 2) descriptorsAtStart = partory::testing::OpenDescriptorCount();
        if (job == 10) {
            rssAt10 = ResidentKiB();
            descriptorsAt10 = partory::testing::OpenDescriptorCount();
        }
    }
    const long rssAtEnd = ResidentKiB();
    const int descriptorsAtEnd = partory::testing::OpenDescriptorCount();
    std::printf(
        "soak: %d jobs; after job 10: %.1f MiB, %d descriptors; after job %d: %.1f MiB, "
        "%d descriptors (%d after job 2)\n",
        jobs, rssAt10 / 1024.0, descriptorsAt10, jobs, rssAtEnd / 1024.0, descriptorsAtEnd,
        descriptorsAtStart);
    std::printf("%ld %d %ld %d\n", rssAt10, descriptorsAt10, rssAtEnd, descriptorsAtEnd);
    QDir(folder).removeRecursively();
    if (descriptorsAtEnd != descriptorsAtStart) {
        std::fprintf(stderr, "partory_window_run: %d descriptors left open\n",
                     descriptorsAtEnd - descriptorsAtStart);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::string mode = argc > 1 ? argv[1] : "";
    if ((mode == "divide-engine" && argc == 6) || (mode == "combine-engine" && argc == 4)) {
        std::printf("%.6f\n", EngineJob(mode, argv));
        return 0;
    }
    OwnEnvironment own;
    ChooseLeanEventLoop(own);  // as the program does
    QApplication application(argc, argv);
    own.takeBack();
    InstallFontSubstitutes();
    if (mode == "divide" && argc == 6) {
        Window window;
        window.fillDivide(argv[2], argv[3], argv[4], argv[5]);
        std::printf("%.6f\n", window.start());
        return 0;
    }
    if (mode == "combine" && argc == 4) {
        Window window;
        window.fillCombine(ReadList(argv[2]), argv[3]);
        std::printf("%.6f\n", window.start());
        return 0;
    }
    if (mode == "divide-paints" && argc == 6) return DividePaints(argv);
    if (mode == "long-part" && argc == 4) return LongPart(argv[2], std::strtod(argv[3], nullptr));
    if (mode == "soak" && argc == 4 && std::atoi(argv[3]) >= 10)
        return Soak(argv[2], std::atoi(argv[3]));
    std::fprintf(stderr,
                 "usage: partory_window_run divide[-engine|-paints] <source> <folder> <template> "
                 "<bytes>\n"
                 "       partory_window_run combine[-engine] <list file> <output>\n"
                 "       partory_window_run soak <scratch folder> <jobs>\n"
                 "       partory_window_run long-part <scratch folder> <seconds>\n");
    return 2;
}
