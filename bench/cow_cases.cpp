// SPDX-License-Identifier: GPL-3.0-or-later
// The copy-on-write cases: on an XFS and a btrfs image mounted through a loop device, the
// kernel's copy shares the source's blocks with the parts and the combined file. Divide and
// combine of 1 GiB in 64 MiB parts against split and cat, with the space each one adds. As
// Partory's job ends with its results on the medium, each peer's run takes in a sync -f.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>

#include "bench_util.h"
#include "loop_mount.h"

namespace bench {

namespace {

using partory::testing::LoopMount;

struct Added {
    long long before = 0;
    long long most = 0;  // over the counted runs and the warm-up
};

std::string RatioText(double ratio, const char* peer) {
    char text[48];
    std::snprintf(text, sizeof(text), "%.1f x %s", ratio, peer);
    return text;
}

// A row's two targets: `what` at least `least` times as fast as the peer (`claim` says so in
// words), and adding under 1 MiB of used space.
void AddTargets(Row& row, const std::string& what, const std::string& claim, double least,
                const char* peer, long long added) {
    const double ratio = *row.peer / row.partory;
    row.targets.push_back({what + " " + claim, ratio >= least, RatioText(ratio, peer)});
    row.targets.push_back(
        {what + " adds < 1 MiB of used space", added < kMiB, MiBText(static_cast<double>(added))});
}

std::vector<Row> CasesOn(const Config& config, const std::string& type, LoopMount& mount) {
    const std::string root = mount.path();
    const std::string label = type == "xfs" ? "XFS" : type;
    const std::int64_t partBytes = 64 * kMiB;
    const std::int64_t parts =
        std::max<std::int64_t>(2, std::llround(16.0 * std::min(config.scale, 1.0)));
    const std::string source = root + "/source";
    const std::string partoryDir = root + "/partory";
    const std::string splitDir = root + "/split";
    WriteRandomFile(source, partBytes * parts, 77);
    MakeFolder(partoryDir);
    MakeFolder(splitDir);
    const int suffix = SuffixLength(parts);
    // Fewer runs: split and cat write the whole gigabyte each time.
    const int runs = std::min(config.runs, 3);

    auto measured = [&mount](Added& added, const std::function<ProcessResult()>& job) {
        const ProcessResult result = job();
        added.most = std::max(added.most, mount.UsedBytes() - added.before);
        return result;
    };
    auto prepare = [&mount](Added& added, const std::function<void()>& clear) {
        clear();
        added.before = mount.UsedBytes();
    };

    std::vector<Row> rows;
    Added partoryDivide, splitDivide;
    Row divide = Alternate(
        "divide 1G " + label, runs,
        [&] { prepare(partoryDivide, [&] { EmptyFolder(partoryDir); }); },
        [&] {
            return measured(partoryDivide,
                            [&] { return RunPartoryDivide(source, partoryDir, partBytes); });
        },
        [&] { prepare(splitDivide, [&] { EmptyFolder(splitDir); }); },
        [&] {
            return measured(splitDivide, [&] {
                return ThenSynced([&] { return RunSplit(source, splitDir, "64M", suffix); },
                                  splitDir);
            });
        });
    CheckPartsAgainstSplit(divide.name, partoryDir, splitDir, parts, suffix);
    RemoveTree(splitDir);
    divide.note = std::to_string(parts) + " parts checked against split; added " +
                  MiBText(static_cast<double>(partoryDivide.most)) + ", split " +
                  MiBText(static_cast<double>(splitDivide.most));
    AddTargets(divide, label + " divide", ">= 10 x faster than split", 10, "split",
               partoryDivide.most);
    divide.durable = true;
    rows.push_back(std::move(divide));

    std::vector<std::string> inputs;
    for (std::int64_t p = 1; p <= parts; ++p) inputs.push_back(PartPath(partoryDir, p));
    const std::string listFile = root + "/list";
    const std::string partoryOut = root + "/partory.out";
    const std::string catOut = root + "/cat.out";
    WriteListFile(listFile, inputs);
    const auto batches = CatBatches(inputs);
    Added partoryCombine, catCombine;
    // Both sides of the combine only share blocks: a run takes 3-6 ms, process start included,
    // and the first pairs after split's gigabyte is freed swing by half. With 15 counted pairs
    // the median still flipped between runs of the whole bench (1.18 to 0.96).
    Row combine = Alternate(
        "combine 1G " + label, 9 * config.runs,
        [&] { prepare(partoryCombine, [&] { RemoveTree(partoryOut); }); },
        [&] {
            return measured(partoryCombine,
                            [&] { return RunPartoryCombine(listFile, partoryOut); });
        },
        [&] { prepare(catCombine, [&] { RemoveTree(catOut); }); },
        [&] {
            return measured(catCombine, [&] {
                return ThenSynced([&] { return RunCat(batches, catOut); }, catOut);
            });
        });
    CompareFiles(partoryOut, source, combine.name);
    CompareFiles(catOut, source, combine.name);
    combine.note = std::to_string(parts) + " inputs checked against the source; added " +
                   MiBText(static_cast<double>(partoryCombine.most)) + ", cat " +
                   MiBText(static_cast<double>(catCombine.most));
    AddTargets(combine, label + " combine", "at least as fast as cat", 1, "cat",
               partoryCombine.most);
    combine.durable = true;
    rows.push_back(std::move(combine));
    return rows;
}

}  // namespace

std::vector<Row> CopyOnWriteCases(const Config& config, const std::string& folder,
                                  std::string& skipped) {
    MakeFolder(folder);
    std::vector<Row> rows;
    std::vector<std::string> notMade;
    for (const std::string type : {"xfs", "btrfs"}) {
        std::string whyNot;
        // The source, split's parts and cat's output each take their gigabyte; the rest shares.
        const auto mount =
            LoopMount::Make(type, folder + "/" + type + ".img", folder + "/" + type, 4096, whyNot);
        if (!mount) {
            notMade.push_back(type + " (" + whyNot + ")");
            continue;
        }
        for (Row& row : CasesOn(config, type, *mount)) rows.push_back(std::move(row));
    }
    RemoveTree(folder);
    if (!notMade.empty()) {
        skipped = "copy-on-write rows skipped:";
        for (const auto& why : notMade) skipped += " " + why;
    }
    return rows;
}

}  // namespace bench
