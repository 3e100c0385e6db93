// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What every case of the benchmark shares: scratch files, child processes, and the
// alternating runs of Partory and its peer.

#include <signal.h>
#include <sys/time.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace bench {

constexpr std::int64_t kKiB = 1024;
constexpr std::int64_t kMiB = 1024 * kKiB;
constexpr std::int64_t kGiB = 1024 * kMiB;
constexpr const char* kPartTemplate = "part[COUNTER]";

struct BenchError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
[[noreturn]] void Fail(const std::string& what);
std::string Errno();

extern volatile sig_atomic_t gInterrupted;
void OnSignal(int);
void CheckInterrupted();
double Now();
double CpuSeconds();

// ---- files

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd();
    int get() const { return fd_; }

  private:
    int fd_;
};

Fd OpenOrFail(const std::string& path, int flags);
void WriteAllAt(int fd, const char* bytes, std::int64_t count, std::int64_t offset,
                const std::string& path);
std::int64_t ReadAt(int fd, char* bytes, std::int64_t count, std::int64_t offset,
                    const std::string& path);
std::int64_t FileSize(const std::string& path);
void MakeFolder(const std::string& path);
void RemoveTree(const std::string& path);
// What a case is done with is moved into the aside folder of its file system and emptied there,
// not deleted: on ext4 without a journal, creating a file walks past every inode deleted in the
// last one to five minutes, so deleting a run's 16,384 parts slowed the next runs, of either
// tool, up to five times. The aside folder goes with the scratch folder, after the last case.
void AddAsideFolder(const std::string& folder);
void DropAsideFolder(const std::string& folder);
void SetAside(const std::string& path);
// SetAside, then the folder made again, empty.
void EmptyFolder(const std::string& path);
std::int64_t EntryCount(const std::string& folder);
void WriteRandomFile(const std::string& path, std::int64_t size, std::uint64_t seed);
void CompareRanges(const std::string& a, std::int64_t offsetA, const std::string& b,
                   std::int64_t offsetB, std::int64_t length, const std::string& what);
void CompareFiles(const std::string& a, const std::string& b, const std::string& what);

// ---- processes

struct ProcessResult {
    double seconds = 0;
    double cpuSeconds = 0;  // user + system, steadier than wall time on a busy machine
    long maxRssKiB = 0;     // of Partory's runs only
};

ProcessResult RunProcess(const std::vector<std::string>& args, const std::string& stdoutPath = {},
                         bool append = false);

extern bool gVerbose;           // PARTORY_BENCH_VERBOSE=1: every run's times, the warm-up as run 0
extern std::string gRssReport;  // where a Partory run reports its peak RSS

// While one lives, Partory's runs report their peak RSS. Reading it costs a run about 30 us,
// which shows where a whole job takes 2 ms, so only untimed warm-up runs do.
class RssReported {
  public:
    RssReported();
    ~RssReported();
    RssReported(const RssReported&) = delete;
    RssReported& operator=(const RssReported&) = delete;
};

ProcessResult RunPartory(std::vector<std::string> args);
ProcessResult RunPartoryDivide(const std::string& source, const std::string& folder,
                               std::int64_t partBytes);
ProcessResult RunPartoryCombine(const std::string& listFile, const std::string& output);
std::string PartPath(const std::string& folder, std::int64_t number);
int SuffixLength(std::int64_t count);
std::string SplitPath(const std::string& folder, std::int64_t index, int length);
// split -b <size> of `source` into `folder`, with suffixes of `suffix` letters.
ProcessResult RunSplit(const std::string& source, const std::string& folder,
                       const std::string& size, int suffix);
// Every part Partory wrote holds what split wrote for it, and there are `count` of them.
void CheckPartsAgainstSplit(const std::string& name, const std::string& partoryFolder,
                            const std::string& splitFolder, std::int64_t count, int suffix);
std::vector<std::vector<std::string>> CatBatches(const std::vector<std::string>& inputs);
// The list file a combine run reads: one input path a line.
void WriteListFile(const std::string& path, const std::vector<std::string>& inputs);
ProcessResult RunCat(const std::vector<std::vector<std::string>>& batches,
                     const std::string& output);
// A peer's run followed by `sync -f destination`, one syncfs of the destination's file system:
// the cheapest way for split, cat or cp to give the promise Partory's job gives, that its
// results are on the medium when it ends. The two are timed together.
ProcessResult ThenSynced(const std::function<ProcessResult()>& run, const std::string& destination);
// ThenSynced when `durable`, else `run` alone.
ProcessResult PeerRun(bool durable, const std::function<ProcessResult()>& run,
                      const std::string& destination);

// ---- measuring

// A target a case checks itself: its text, whether it was met, and the figures behind it.
struct Target {
    std::string text;
    bool met = false;
    std::string figures;
};

struct Row {
    std::string name;
    double partory = 0;
    std::optional<double> peer;
    long rssKiB = 0;
    std::string note;
    double pausedWall = 0;  // only for the pause case
    double partoryCpu = 0;  // medians of user + system seconds
    double peerCpu = 0;
    std::optional<double> engine;  // window cases: the same job through the engine alone
    std::vector<Target> targets;
    // The row's own targets set its bar against the peer; the every-ratio target leaves it out.
    bool ownTargetsOnly = false;
    // On a disk: Partory's job ends with its results on the medium, and the peer's time takes in
    // a sync -f of its destination, so that both promise the same.
    bool durable = false;
};

inline Row MakeRow(std::string name, double partory, std::optional<double> peer, long rssKiB = 0,
                   std::string note = {}) {
    Row row;
    row.name = std::move(name);
    row.partory = partory;
    row.peer = peer;
    row.rssKiB = rssKiB;
    row.note = std::move(note);
    return row;
}

double Median(std::vector<double> values);
// A run's untimed preparation: dirty pages flushed, then `prepare` (which empties the run's
// output), then its unlinks committed. The pages freed are taken again at once by the run.
void Prepared(const std::function<void()>& prepare);
Row Alternate(const std::string& name, int runs, const std::function<void()>& preparePartory,
              const std::function<ProcessResult()>& partory,
              const std::function<void()>& preparePeer, const std::function<ProcessResult()>& peer);

// The two output paths of an Alternate row, traded between the tools every second pair, so
// that each tool writes each path in both orders. The pages freed when a path is emptied are
// taken again by the next file written there, so a path keeps its memory from run to run; with
// cat against cat over sets of 20 pairs of a 1 GiB combine, the run that always wrote the same
// path came out 2.3-4.8% slower in each of three sets, and 0.3-1.1% with the paths traded.
// Each side asks for its path once per run, in its preparation.
class TradedPaths {
  public:
    TradedPaths(std::string first, std::string second)
        : paths_{std::move(first), std::move(second)} {}
    const std::string& NextPartory() { return paths_[Traded(partoryRuns_++)]; }
    const std::string& NextPeer() { return paths_[1 - Traded(peerRuns_++)]; }
    // The paths of the latest run.
    const std::string& Partory() const { return paths_[Traded(partoryRuns_ - 1)]; }
    const std::string& Peer() const { return paths_[1 - Traded(peerRuns_ - 1)]; }

  private:
    // The warm-up and the first counted pair run Partory first, then every two pairs hold one
    // pair of each order.
    static int Traded(int run) { return run / 2 % 2; }
    std::string paths_[2];
    int partoryRuns_ = 0;
    int peerRuns_ = 0;
};

struct Config {
    double scale = 1.0;
    int runs = 5;
    bool strict = false;
};

std::int64_t Scaled(std::int64_t count, double scale, std::int64_t least = 2);

// ---- the cases

// `durable`: on a disk, the peer's time takes in a sync -f of its output (Row::durable).
Row DivideCase(const Config& config, const std::string& folder, const std::string& name,
               std::int64_t partBytes, std::int64_t partCount, const std::string& splitSize,
               std::uint64_t seed, bool durable);
Row CombineCase(const Config& config, const std::string& folder, const std::string& name,
                const std::vector<std::string>& inputs, const std::string& expected, bool durable);
// A sparse source divided into five parts against split, and the parts combined back against
// cp --sparse=auto of the source.
std::vector<Row> SparseCases(const Config& config, const std::string& folder);
// Divide and combine of 1 GiB in 64 MiB parts on XFS and btrfs images, against split and cat;
// `skipped` tells which could not run and why.
std::vector<Row> CopyOnWriteCases(const Config& config, const std::string& folder,
                                  std::string& skipped);
// A divide onto a slow stick (ext4 on a loop device over a FUSE file system that writes at
// 8 MB/s) against dd conv=fsync of the same bytes, and the same divide through the window with
// the longest time between its paints; `skipped` says why when the stick cannot be made.
std::vector<Row> SlowStickCases(const Config& config, const std::string& folder,
                                std::string& skipped);
std::int64_t AllocatedBytes(const std::string& path);
std::string MiBText(double bytes);
Row PauseCase(const std::string& folder);

// Writes `count` random files of `bytes` each under `folder`; gives their paths.
std::vector<std::string> WriteInputFiles(const std::string& folder, std::int64_t count,
                                         std::int64_t bytes);

}  // namespace bench
