// SPDX-License-Identifier: GPL-3.0-or-later
// The slow-stick cases: a divide onto ext4 in an image on a loop device, the image on a FUSE
// file system that writes at 8 MB/s, as a slow USB stick does. Timed to a durable result
// against dd conv=fsync of the same bytes onto the same stick, and run through the real window
// with the longest time between its paints, the final flush included.

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <vector>

#include "bench_util.h"
#include "fuse_mount.h"
#ifdef PARTORY_WINDOW_RUN
#include "window_cases.h"
#endif

namespace bench {

namespace {

constexpr double kStickBytesPerSecond = 8e6;

void CheckParts(const std::string& name, const std::string& folder, const std::string& source,
                std::int64_t partBytes, std::int64_t parts) {
    if (EntryCount(folder) != parts) {
        Fail(name + ": expected " + std::to_string(parts) + " parts, found " +
             std::to_string(EntryCount(folder)));
    }
    for (std::int64_t p = 1; p <= parts; ++p) {
        const std::string part = PartPath(folder, p);
        if (FileSize(part) != partBytes) Fail(name + ": " + part + " has the wrong size");
        CompareRanges(part, 0, source, (p - 1) * partBytes, partBytes, name);
    }
}

}  // namespace

std::vector<Row> SlowStickCases(const Config& config, const std::string& folder,
                                std::string& skipped) {
    const std::int64_t partBytes = 4 * kMiB;
    const std::int64_t parts = Scaled(10, config.scale);
    const std::int64_t bytes = partBytes * parts;
    MakeFolder(folder);
    // The source is on the disk, where both tools read it from memory.
    const std::string source = folder + "/source";
    WriteRandomFile(source, bytes, 88);
    // Each run takes bytes / 8 MB/s: a few runs.
    const int runs = std::min(config.runs, 3);
    std::vector<Row> rows;
    {
        std::string whyNot;
        // Room for the parts and dd's copy at once, and ext4's own.
        const auto stick = partory::testing::SlowStick::Make(
            folder + "/fixture", kStickBytesPerSecond, 3 * bytes / kMiB + 64, whyNot);
        if (!stick) {
            skipped = "slow-stick rows skipped: " + whyNot;
            RemoveTree(folder);
            return rows;
        }
        const std::string partoryDir = stick->path() + "/partory";
        const std::string ddOut = stick->path() + "/dd.out";
        MakeFolder(partoryDir);

        Row divide = Alternate(
            "divide stick", runs, [&] { EmptyFolder(partoryDir); },
            [&] { return RunPartoryDivide(source, partoryDir, partBytes); },
            [&] { RemoveTree(ddOut); },
            [&] {
                return RunProcess(
                    {"dd", "if=" + source, "of=" + ddOut, "bs=1M", "conv=fsync", "status=none"});
            });
        CheckParts(divide.name, partoryDir, source, partBytes, parts);
        CompareFiles(ddOut, source, divide.name);
        char note[160];
        std::snprintf(note, sizeof(note),
                      "%lld parts of 4 MiB checked; peer: dd bs=1M conv=fsync; stick %.0f MB/s",
                      static_cast<long long>(parts), kStickBytesPerSecond / 1e6);
        divide.note = note;
        const double slower = divide.partory / *divide.peer;
        char figures[48];
        std::snprintf(figures, sizeof(figures), "%.2f x dd's time", slower);
        divide.targets.push_back(
            {"divide onto the slow stick within 1.1 x the time of dd conv=fsync", slower <= 1.1,
             figures});
        divide.ownTargetsOnly = true;
        const double ddSeconds = *divide.peer;
        rows.push_back(std::move(divide));

#ifdef PARTORY_WINDOW_RUN
        // The same divide from the window's "Start"; its paints are counted from the click to the
        // completion page, so a flush that held the window shows as a gap.
        std::vector<double> times;
        double longest = 0;
        long paints = 0;
        for (int run = 0; run < runs; ++run) {
            Prepared([&] { EmptyFolder(partoryDir); });
            times.push_back(RunWindowJob(folder, {"divide-paints", source, partoryDir,
                                                  kPartTemplate, std::to_string(partBytes)})
                                .seconds);
            std::ifstream report(folder + "/window-report");
            double seconds = 0, gap = 0;
            long count = 0;
            if (!(report >> seconds >> gap >> count)) Fail("the window divide reported no paints");
            longest = std::max(longest, gap);
            paints += count;
        }
        CheckParts("window divide stick", partoryDir, source, partBytes, parts);
        Row window =
            MakeRow("window divide stick", Median(times), ddSeconds, 0,
                    std::to_string(parts) + " parts checked; longest without a paint " +
                        std::to_string(static_cast<int>(longest * 1000)) + " ms; peer: dd");
        char paintFigures[64];
        std::snprintf(paintFigures, sizeof(paintFigures),
                      "longest %.0f ms over %d runs, %ld paints", longest * 1000, runs, paints);
        window.targets.push_back(
            {"the window paints at least every 200 ms during a divide onto the slow stick",
             longest < 0.2, paintFigures});
        window.ownTargetsOnly = true;
        rows.push_back(std::move(window));
#endif
    }
    RemoveTree(folder);
    return rows;
}

}  // namespace bench
