// SPDX-License-Identifier: GPL-3.0-or-later
// Times the combine page's list with many entries, through the real handlers of the window:
//
//     partory_list_bench [entries] [runs]
//
// Each run adds `entries` files in one use of the add dialog (answered by a scripted dialog,
// in a shuffled order, so the natural sort has work to do), then reverses the list, then
// clears it. Prints every run and the median of each step.

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QListWidget>
#include <QRadioButton>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <vector>

#include "bench_dialogs.h"
#include "platform/user_dialogs.h"
#include "text/fonts.h"
#include "window/unMain.h"

namespace {

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double MillisecondsOf(const std::function<void()>& step) {
    QElapsedTimer clock;
    clock.start();
    step();
    return clock.nsecsElapsed() / 1e6;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int entries = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 7;
    if (entries <= 0 || runs <= 0) {
        std::fprintf(stderr, "usage: partory_list_bench [entries] [runs]\n");
        return 2;
    }
    InstallFontSubstitutes();

    BenchDialogs dialogs;
    for (int i = 1; i <= entries; ++i) {
        dialogs.files << QStringLiteral("/home/user/documents/split/REPORT_PDF_%1").arg(i);
    }
    std::shuffle(dialogs.files.begin(), dialogs.files.end(), std::mt19937(2024));

    TfmMain fm(partory::OsFileLayer(), dialogs);
    fm.show();
    fm.FormActivate();
    fm.rbCombine->setChecked(true);
    fm.btnNextClick();
    QCoreApplication::processEvents();

    std::vector<double> adds;
    std::vector<double> reverses;
    std::vector<double> clears;
    std::printf("%d entries, %d runs (ms): add / reverse / clear\n", entries, runs);
    for (int run = 0; run < runs; ++run) {
        // Each step's time includes painting the list it leaves.
        adds.push_back(MillisecondsOf([&] {
            fm.btnCombinedAddClick();
            QCoreApplication::processEvents();
        }));
        if (fm.list->count() != entries ||
            !fm.list->item(entries - 1)->text().endsWith(QStringLiteral("_%1").arg(entries))) {
            std::fprintf(stderr, "partory_list_bench: the list is not in natural order\n");
            return 1;
        }
        reverses.push_back(MillisecondsOf([&] { fm.btnCombinedReverseClick(); }));
        if (!fm.list->item(0)->text().endsWith(QStringLiteral("_%1").arg(entries))) {
            std::fprintf(stderr, "partory_list_bench: the list was not reversed\n");
            return 1;
        }
        clears.push_back(MillisecondsOf([&] {
            fm.btnCombinedClearClick();
            QCoreApplication::processEvents();
        }));
        std::printf("run %d: %.1f / %.1f / %.1f\n", run + 1, adds.back(), reverses.back(),
                    clears.back());
    }
    std::printf("median: add %.1f ms, reverse %.1f ms, clear %.1f ms\n", Median(adds),
                Median(reverses), Median(clears));
    return 0;
}
