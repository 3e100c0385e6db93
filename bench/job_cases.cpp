// SPDX-License-Identifier: GPL-3.0-or-later
// The cases of the engine's jobs: divides and combines against split and cat, a sparse divide
// of large parts, a paused job; and the child side that runs one job for them.

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <thread>

#include "bench_util.h"
#include "job_settings.h"
#include "partory/combine_job.h"
#include "partory/divide_job.h"
#include "partory/run_control.h"

namespace bench {

// Cases 1 and 2: divide `partCount` parts' worth of random bytes, against split -b.
Row DivideCase(const Config& config, const std::string& folder, const std::string& name,
               std::int64_t partBytes, std::int64_t partCount, const std::string& splitSize,
               std::uint64_t seed, bool durable) {
    MakeFolder(folder);
    const std::string source = folder + "/source";
    const std::string partoryDir = folder + "/partory";
    const std::string splitDir = folder + "/split";
    WriteRandomFile(source, partBytes * partCount, seed);
    MakeFolder(partoryDir);
    MakeFolder(splitDir);
    const int suffix = SuffixLength(partCount);

    Row row = Alternate(
        name, config.runs, [&] { EmptyFolder(partoryDir); },
        [&] { return RunPartoryDivide(source, partoryDir, partBytes); },
        [&] { EmptyFolder(splitDir); },
        [&] {
            return PeerRun(
                durable, [&] { return RunSplit(source, splitDir, splitSize, suffix); }, splitDir);
        });

    CheckPartsAgainstSplit(name, partoryDir, splitDir, partCount, suffix);
    SetAside(splitDir);
    row.note = std::to_string(partCount) + " parts checked against split" +
               (durable ? " (+ sync -f)" : "");
    row.durable = durable;
    return row;
}

// Cases 3 and 4: combine `inputs` into one file, against cat of the same list.
Row CombineCase(const Config& config, const std::string& folder, const std::string& name,
                const std::vector<std::string>& inputs, const std::string& expected, bool durable) {
    const std::string listFile = folder + "/list";
    TradedPaths outputs(folder + "/out.1", folder + "/out.2");
    WriteListFile(listFile, inputs);
    const auto batches = CatBatches(inputs);

    Row row = Alternate(
        name, config.runs, [&] { SetAside(outputs.NextPartory()); },
        [&] { return RunPartoryCombine(listFile, outputs.Partory()); },
        [&] { SetAside(outputs.NextPeer()); },
        [&] {
            return PeerRun(
                durable, [&] { return RunCat(batches, outputs.Peer()); }, outputs.Peer());
        });

    CompareFiles(outputs.Partory(), outputs.Peer(), name);
    if (!expected.empty()) CompareFiles(outputs.Partory(), expected, name);
    SetAside(outputs.Partory());
    SetAside(outputs.Peer());
    row.note = std::to_string(inputs.size()) + " inputs checked against cat" +
               (batches.size() > 1 ? " (" + std::to_string(batches.size()) + " cat calls)" : "") +
               (durable ? " (+ sync -f)" : "");
    row.durable = durable;
    return row;
}

// Case 5: a sparse source of five parts; a few marks at known offsets show that every part
// holds the right range, and the whole of every part is compared with the source. split, which
// writes every zero of the holes, runs once as the peer. Then the parts are combined back,
// against cp --sparse=auto of the source.
std::vector<Row> SparseCases(const Config& config, const std::string& folder) {
    MakeFolder(folder);
    const std::int64_t partBytes = std::max<std::int64_t>(
        64 * kKiB, std::llround(static_cast<double>(kGiB) * config.scale) & ~std::int64_t{4095});
    const std::int64_t parts = 5;
    const std::int64_t size = partBytes * parts;
    const std::string source = folder + "/source";
    const std::string partoryDir = folder + "/partory";
    const std::string splitDir = folder + "/split";
    MakeFolder(partoryDir);

    struct Mark {
        std::int64_t offset;
        std::string bytes;
    };
    std::vector<Mark> marks;
    const std::int64_t places[] = {0,
                                   partBytes - 16,
                                   partBytes,
                                   2 * partBytes + 12345,
                                   3 * partBytes + partBytes / 2,
                                   4 * partBytes + 1,
                                   size - 16};
    for (std::int64_t at : places) {
        marks.push_back({at, "PARTORY@" + std::to_string(at % 100000000)});
        marks.back().bytes.resize(16, '#');
    }
    {
        Fd fd = OpenOrFail(source, O_RDWR | O_CREAT | O_TRUNC);
        if (::ftruncate(fd.get(), size) != 0) Fail("cannot size " + source + ": " + Errno());
        for (const auto& mark : marks) {
            WriteAllAt(fd.get(), mark.bytes.data(), 16, mark.offset, source);
        }
    }
    ::sync();

    std::vector<double> times;
    long rss = 0;
    for (int run = -1; run < config.runs; ++run) {
        EmptyFolder(partoryDir);
        ::sync();
        std::optional<RssReported> warmUp;
        if (run < 0) warmUp.emplace();
        const ProcessResult result = RunPartoryDivide(source, partoryDir, partBytes);
        warmUp.reset();
        rss = std::max(rss, result.maxRssKiB);
        if (run >= 0) times.push_back(result.seconds);
    }
    MakeFolder(splitDir);
    ::sync();
    const ProcessResult split = ThenSynced(
        [&] { return RunSplit(source, splitDir, std::to_string(partBytes), 2); }, splitDir);
    RemoveTree(splitDir);

    if (EntryCount(partoryDir) != parts) {
        Fail("sparse: expected 5 parts, found " + std::to_string(EntryCount(partoryDir)));
    }
    for (const auto& mark : marks) {
        const std::string part = PartPath(partoryDir, mark.offset / partBytes + 1);
        Fd fd = OpenOrFail(part, O_RDONLY);
        char found[16];
        if (ReadAt(fd.get(), found, 16, mark.offset % partBytes, part) != 16 ||
            std::memcmp(found, mark.bytes.data(), 16) != 0) {
            Fail("sparse: the mark at source offset " + std::to_string(mark.offset) +
                 " is not where it belongs in " + part);
        }
    }
    std::int64_t partsAllocated = 0;
    std::vector<std::string> partPaths;
    for (std::int64_t p = 1; p <= parts; ++p) {
        const std::string part = PartPath(partoryDir, p);
        if (FileSize(part) != partBytes) {
            Fail("sparse: " + part + " holds " + std::to_string(FileSize(part)) + " bytes, not " +
                 std::to_string(partBytes));
        }
        CompareRanges(part, 0, source, (p - 1) * partBytes, partBytes, "sparse");
        partsAllocated += AllocatedBytes(part);
        partPaths.push_back(part);
    }
    const std::int64_t sourceAllocated = AllocatedBytes(source);

    std::vector<Row> rows;
    char note[200];
    std::snprintf(note, sizeof(note),
                  "%.2f GiB into %lld parts of %.2f GiB checked; parts use %s, the source %s",
                  static_cast<double>(size) / kGiB, static_cast<long long>(parts),
                  static_cast<double>(partBytes) / kGiB,
                  MiBText(static_cast<double>(partsAllocated)).c_str(),
                  MiBText(static_cast<double>(sourceAllocated)).c_str());
    Row divide = MakeRow("divide sparse", Median(times), split.seconds, rss, note);
    divide.partoryCpu = 0;
    divide.durable = true;
    const double faster = split.seconds / divide.partory;
    divide.targets.push_back({"sparse divide >= 20 x faster than writing every zero (split)",
                              faster >= 20, std::to_string(static_cast<int>(faster)) + " x"});
    divide.targets.push_back({"sparse divide's parts use <= the source's blocks + 1 MiB",
                              partsAllocated <= sourceAllocated + kMiB,
                              MiBText(static_cast<double>(partsAllocated)) + " vs " +
                                  MiBText(static_cast<double>(sourceAllocated))});
    rows.push_back(std::move(divide));

    // The parts back into one file, against cp --sparse=auto of the source.
    const std::string listFile = folder + "/list";
    const std::string partoryOut = folder + "/partory.out";
    const std::string cpOut = folder + "/cp.out";
    WriteListFile(listFile, partPaths);
    std::int64_t outAllocated = 0, cpAllocated = 0;
    Row combine = Alternate(
        "combine sparse", config.runs, [&] { RemoveTree(partoryOut); },
        [&] {
            const ProcessResult result = RunPartoryCombine(listFile, partoryOut);
            outAllocated = AllocatedBytes(partoryOut);
            return result;
        },
        [&] { RemoveTree(cpOut); },
        [&] {
            const ProcessResult result = ThenSynced(
                [&] {
                    return RunProcess({"cp", "--sparse=auto", source, cpOut});
                },
                cpOut);
            cpAllocated = AllocatedBytes(cpOut);
            return result;
        });
    CompareFiles(partoryOut, source, "combine sparse");
    combine.note = "5 parts checked against the source; output uses " +
                   MiBText(static_cast<double>(outAllocated)) + ", cp's " +
                   MiBText(static_cast<double>(cpAllocated)) + "; peer: cp --sparse=auto + sync -f";
    const double ratio = *combine.peer / combine.partory;
    char figures[64];
    std::snprintf(figures, sizeof(figures), "%.2f x cp", ratio);
    combine.targets.push_back(
        {"sparse combine within 2 x the time of cp --sparse=auto", ratio >= 0.5, figures});
    combine.targets.push_back({"sparse combine uses no more blocks than cp",
                               outAllocated <= cpAllocated,
                               MiBText(static_cast<double>(outAllocated)) + " vs " +
                                   MiBText(static_cast<double>(cpAllocated))});
    combine.ownTargetsOnly = true;
    combine.durable = true;
    rows.push_back(std::move(combine));
    RemoveTree(folder);
    return rows;
}

// An event loop that sleeps in poll() like the window's: the first pump after a part presses
// Pause and starts a timer thread; the timer's event wakes the wait, and the pump that sees it
// presses Continue, on the job's own thread.
class TimerPump final : public partory::EventPump {
  public:
    TimerPump(partory::RunState& state, double pauseSeconds)
        : state_(state), pauseSeconds_(pauseSeconds), event_(::eventfd(0, EFD_CLOEXEC)) {
        if (event_ < 0) Fail("cannot create an eventfd: " + Errno());
    }
    ~TimerPump() override {
        if (timer_.joinable()) timer_.join();
        ::close(event_);
    }

    void PumpEvents() override {
        if (!pauseStarted_) {
            pauseStarted_ = true;
            partory::PauseJob(state_);
            pauseWall_ = Now();
            pauseCpu_ = CpuSeconds();
            timer_ = std::thread([this] {
                std::this_thread::sleep_for(std::chrono::duration<double>(pauseSeconds_));
                const std::uint64_t one = 1;
                if (::write(event_, &one, sizeof(one)) != sizeof(one)) std::abort();
            });
            return;
        }
        pollfd wait{event_, POLLIN, 0};
        if (::poll(&wait, 1, 0) == 1) {
            std::uint64_t count;
            if (::read(event_, &count, sizeof(count)) != sizeof(count)) Fail("eventfd read");
            partory::ResumeJob(state_);
            pausedCpu_ = CpuSeconds() - pauseCpu_;
            pausedWall_ = Now() - pauseWall_;
            resumed_ = true;
        }
    }

    void WaitForEvents() override {
        ++waits_;
        pollfd wait{event_, POLLIN, 0};
        while (::poll(&wait, 1, -1) < 0 && errno == EINTR) CheckInterrupted();
    }

    bool resumed() const { return resumed_; }
    double pausedCpu() const { return pausedCpu_; }
    double pausedWall() const { return pausedWall_; }
    int waits() const { return waits_; }

  private:
    partory::RunState& state_;
    double pauseSeconds_;
    int event_;
    std::thread timer_;
    bool pauseStarted_ = false;
    bool resumed_ = false;
    double pauseWall_ = 0, pauseCpu_ = 0, pausedCpu_ = 0, pausedWall_ = 0;
    int waits_ = 0;
};

// Case 6: a three-part divide job paused after its first part for two seconds.
Row PauseCase(const std::string& folder) {
    MakeFolder(folder);
    const std::string source = folder + "/source";
    const std::string partoryDir = folder + "/partory";
    MakeFolder(partoryDir);
    WriteRandomFile(source, 3 * 4 * kKiB, 6);

    partory::DivideSettings settings;
    settings.SourcePath = source;
    settings.DestinationFolder = partoryDir;
    settings.NameTemplate = kPartTemplate;
    settings.PartSizeValue = 4;
    settings.Unit = partory::SizeUnit::Kbytes;
    partory::RunState state;
    partory::ResetRunState(state);
    partory::testing::QuietProgress progress;
    TimerPump pump(state, 2.0);
    partory::RunDivideJob(settings, state, progress, pump, partory::OsFileLayer());

    if (!state.Succeeded) Fail("pause: the job failed: " + state.ResultText);
    if (!pump.resumed()) Fail("pause: the job never waited for Continue");
    for (std::int64_t p = 1; p <= 3; ++p) {
        CompareRanges(PartPath(partoryDir, p), 0, source, (p - 1) * 4 * kKiB, 4 * kKiB, "pause");
    }
    RemoveTree(folder);

    char note[160];
    std::snprintf(note, sizeof(note), "%.2f s paused, %.4f CPU s, %.4f CPU s per s, %d waits",
                  pump.pausedWall(), pump.pausedCpu(), pump.pausedCpu() / pump.pausedWall(),
                  pump.waits());
    Row row = MakeRow("paused (CPU s)", pump.pausedCpu(), std::nullopt, 0, note);
    row.pausedWall = pump.pausedWall();
    return row;
}

std::vector<std::string> WriteInputFiles(const std::string& folder, std::int64_t count,
                                         std::int64_t bytes) {
    MakeFolder(folder);
    std::vector<std::string> files;
    for (std::int64_t i = 1; i <= count; ++i) {
        files.push_back(folder + "/f" + std::to_string(i));
        WriteRandomFile(files.back(), bytes, 1000 + static_cast<std::uint64_t>(i));
    }
    return files;
}

}  // namespace bench
