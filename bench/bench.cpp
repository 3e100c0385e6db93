// Measures the divide and combine jobs against split and cat on the same files, checks every
// result byte for byte, and prints a table and a one-line summary.
//
// Every Partory run is this program started again with --divide or --combine, so each run pays
// for its own process start as split and cat do, and its peak RSS belongs to that job alone.
//
// Environment: PARTORY_BENCH_DIR (scratch parent, default /tmp), PARTORY_BENCH_SCALE (sizes,
// default 1), PARTORY_BENCH_RUNS (counted runs per tool, default 5), PARTORY_BENCH_STRICT=1
// (a missed target fails the run), PARTORY_BENCH_VERBOSE=1 (every run's times).

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "partory/combine_job.h"
#include "partory/divide_job.h"
#include "partory/run_control.h"

extern char** environ;

namespace {

constexpr std::int64_t kKiB = 1024;
constexpr std::int64_t kMiB = 1024 * kKiB;
constexpr std::int64_t kGiB = 1024 * kMiB;
constexpr const char* kPartTemplate = "part[COUNTER]";

struct BenchError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

[[noreturn]] void Fail(const std::string& what) {
    throw BenchError(what);
}

std::string Errno() {
    return std::strerror(errno);
}

volatile sig_atomic_t gInterrupted = 0;
void OnSignal(int) {
    gInterrupted = 1;
}
void CheckInterrupted() {
    if (gInterrupted) Fail("interrupted");
}

double Now() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

double CpuSeconds() {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& tv) {
        return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) * 1e-6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// ---- files ------------------------------------------------------------------------------

class Fd {
  public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }

  private:
    int fd_;
};

Fd OpenOrFail(const std::string& path, int flags) {
    int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) Fail("cannot open " + path + ": " + Errno());
    return Fd(fd);
}

void WriteAllAt(int fd, const char* bytes, std::int64_t count, std::int64_t offset,
                const std::string& path) {
    while (count > 0) {
        ssize_t put = ::pwrite(fd, bytes, static_cast<size_t>(count), offset);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) Fail("cannot write " + path + ": " + Errno());
        bytes += put;
        count -= put;
        offset += put;
    }
}

// Fewer than count bytes only at the end of the file.
std::int64_t ReadAt(int fd, char* bytes, std::int64_t count, std::int64_t offset,
                    const std::string& path) {
    std::int64_t done = 0;
    while (done < count) {
        ssize_t got = ::pread(fd, bytes + done, static_cast<size_t>(count - done), offset + done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) Fail("cannot read " + path + ": " + Errno());
        if (got == 0) break;
        done += got;
    }
    return done;
}

std::int64_t FileSize(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) Fail("missing " + path + ": " + Errno());
    return st.st_size;
}

void MakeFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0755) != 0) Fail("cannot create folder " + path + ": " + Errno());
}

void RemoveTree(const std::string& path) {
    auto removeOne = [](const char* entry, const struct stat*, int, FTW*) {
        return ::remove(entry) == 0 || errno == ENOENT ? 0 : -1;
    };
    if (::nftw(path.c_str(), removeOne, 32, FTW_DEPTH | FTW_PHYS) != 0 && errno != ENOENT) {
        Fail("cannot remove " + path + ": " + Errno());
    }
}

void EmptyFolder(const std::string& path) {
    RemoveTree(path);
    MakeFolder(path);
}

std::int64_t EntryCount(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) Fail("cannot list " + folder + ": " + Errno());
    std::int64_t count = 0;
    while (dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) ++count;
    }
    ::closedir(dir);
    return count;
}

// splitmix64: fast, and every file gets its own stream from its seed.
class RandomBytes {
  public:
    explicit RandomBytes(std::uint64_t seed) : state_(seed) {}
    void Fill(char* bytes, std::size_t count) {
        for (std::size_t i = 0; i < count; i += 8) {
            std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
            z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
            z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
            z ^= z >> 31;
            std::memcpy(bytes + i, &z, std::min<std::size_t>(8, count - i));
        }
    }

  private:
    std::uint64_t state_;
};

void WriteRandomFile(const std::string& path, std::int64_t size, std::uint64_t seed) {
    Fd fd = OpenOrFail(path, O_WRONLY | O_CREAT | O_TRUNC);
    RandomBytes random(seed);
    std::vector<char> block(static_cast<std::size_t>(std::min(size, 4 * kMiB)));
    for (std::int64_t offset = 0; offset < size;) {
        const std::int64_t count = std::min<std::int64_t>(size - offset, std::ssize(block));
        random.Fill(block.data(), static_cast<std::size_t>(count));
        WriteAllAt(fd.get(), block.data(), count, offset, path);
        offset += count;
    }
}

// Byte for byte: `length` bytes of a from offsetA against b from offsetB; both must hold them.
void CompareRanges(const std::string& a, std::int64_t offsetA, const std::string& b,
                   std::int64_t offsetB, std::int64_t length, const std::string& what) {
    static std::vector<char> bufferA(4 * kMiB), bufferB(4 * kMiB);
    Fd fa = OpenOrFail(a, O_RDONLY);
    Fd fb = OpenOrFail(b, O_RDONLY);
    for (std::int64_t done = 0; done < length;) {
        const std::int64_t want = std::min<std::int64_t>(length - done, std::ssize(bufferA));
        const std::int64_t gotA = ReadAt(fa.get(), bufferA.data(), want, offsetA + done, a);
        const std::int64_t gotB = ReadAt(fb.get(), bufferB.data(), want, offsetB + done, b);
        if (gotA != want || gotB != want) Fail(what + ": " + a + " or " + b + " ends early");
        if (std::memcmp(bufferA.data(), bufferB.data(), static_cast<size_t>(want)) != 0) {
            std::int64_t at = 0;
            while (bufferA[static_cast<size_t>(at)] == bufferB[static_cast<size_t>(at)]) ++at;
            Fail(what + ": " + a + " differs from " + b + " at byte " + std::to_string(done + at));
        }
        done += want;
    }
}

void CompareFiles(const std::string& a, const std::string& b, const std::string& what) {
    const std::int64_t sizeA = FileSize(a), sizeB = FileSize(b);
    if (sizeA != sizeB) {
        Fail(what + ": " + a + " holds " + std::to_string(sizeA) + " bytes, " + b + " holds " +
             std::to_string(sizeB));
    }
    CompareRanges(a, 0, b, 0, sizeA, what);
}

// ---- processes --------------------------------------------------------------------------

struct ProcessResult {
    double seconds = 0;
    double cpuSeconds = 0;  // user + system, steadier than wall time on a busy machine
    long maxRssKiB = 0;     // of Partory's runs only
};

double Seconds(const timeval& tv) {
    return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) * 1e-6;
}

// Starts args[0] (searched on PATH), with stdout sent to stdoutPath when given, and waits.
ProcessResult RunProcess(const std::vector<std::string>& args, const std::string& stdoutPath = {},
                         bool append = false) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!stdoutPath.empty()) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, stdoutPath.c_str(),
                                         O_WRONLY | O_CREAT | (append ? O_APPEND : O_TRUNC), 0644);
    }
    std::vector<char*> argv;
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    const double start = Now();
    pid_t pid;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) Fail("cannot start " + args[0] + ": " + std::strerror(rc));
    int status = 0;
    rusage usage{};
    while (::wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR) Fail("cannot wait for " + args[0] + ": " + Errno());
    }
    const double seconds = Now() - start;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        Fail(args[0] + " " + (args.size() > 1 ? args[1] : "") + " failed (" +
             (WIFEXITED(status) ? "exit " + std::to_string(WEXITSTATUS(status))
                                : "signal " + std::to_string(WTERMSIG(status))) +
             ")");
    }
    CheckInterrupted();
    return {seconds, Seconds(usage.ru_utime) + Seconds(usage.ru_stime), 0};
}

std::string SelfPath() {
    char path[4096];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0) Fail("cannot find this program's path: " + Errno());
    return std::string(path, static_cast<size_t>(length));
}

bool gVerbose = false;  // PARTORY_BENCH_VERBOSE=1: every run's times, the warm-up as run 0

// Where a Partory run reports its peak RSS; set once the scratch folder exists.
std::string gRssReport;

// Runs one job in a fresh process and takes the peak RSS that it reports.
ProcessResult RunPartory(const std::vector<std::string>& args) {
    ProcessResult result = RunProcess(args, gRssReport);
    std::ifstream report(gRssReport);
    if (!(report >> result.maxRssKiB)) Fail("the job reported no peak RSS");
    return result;
}

ProcessResult RunPartoryDivide(const std::string& source, const std::string& folder,
                               std::int64_t partBytes) {
    return RunPartory(
        {SelfPath(), "--divide", source, folder, kPartTemplate, std::to_string(partBytes)});
}

ProcessResult RunPartoryCombine(const std::string& listFile, const std::string& output) {
    return RunPartory({SelfPath(), "--combine", listFile, output});
}

std::string PartPath(const std::string& folder, std::int64_t number) {
    return folder + "/part" + std::to_string(number);
}

// split's suffixes run aa, ab... with `length` letters.
int SuffixLength(std::int64_t count) {
    int length = 2;
    for (std::int64_t names = 26 * 26; names < count; names *= 26) ++length;
    return length;
}

std::string SplitPath(const std::string& folder, std::int64_t index, int length) {
    std::string suffix(static_cast<size_t>(length), 'a');
    for (int i = length - 1; i >= 0; --i, index /= 26) {
        suffix[static_cast<size_t>(i)] = static_cast<char>('a' + index % 26);
    }
    return folder + "/x" + suffix;
}

// cat gets every path in one call when the argument list fits, else several appending calls.
std::vector<std::vector<std::string>> CatBatches(const std::vector<std::string>& inputs) {
    std::int64_t environment = 0;
    for (char** entry = environ; *entry; ++entry) {
        environment += static_cast<std::int64_t>(std::strlen(*entry) + 1 + sizeof(char*));
    }
    const std::int64_t budget = sysconf(_SC_ARG_MAX) - environment - 64 * kKiB;
    std::vector<std::vector<std::string>> batches(1);
    std::int64_t used = 0;
    for (const auto& input : inputs) {
        const auto cost = static_cast<std::int64_t>(input.size() + 1 + sizeof(char*));
        if (used + cost > budget && !batches.back().empty()) {
            batches.emplace_back();
            used = 0;
        }
        batches.back().push_back(input);
        used += cost;
    }
    return batches;
}

ProcessResult RunCat(const std::vector<std::vector<std::string>>& batches,
                     const std::string& output) {
    ProcessResult total;
    for (std::size_t i = 0; i < batches.size(); ++i) {
        std::vector<std::string> args{"cat"};
        args.insert(args.end(), batches[i].begin(), batches[i].end());
        const ProcessResult one = RunProcess(args, output, i > 0);
        total.seconds += one.seconds;
        total.cpuSeconds += one.cpuSeconds;
    }
    return total;
}

// ---- measuring --------------------------------------------------------------------------

struct Row {
    std::string name;
    double partory = 0;
    std::optional<double> peer;
    long rssKiB = 0;
    std::string note;
    double pausedWall = 0;  // only for the pause case
    double partoryCpu = 0;  // medians of user + system seconds
    double peerCpu = 0;
};

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// A warm-up pair, then `runs` counted pairs, Partory and peer taking turns. Each side's
// prepare step (emptying its output, flushing dirty pages) runs untimed just before it.
Row Alternate(const std::string& name, int runs, const std::function<void()>& preparePartory,
              const std::function<ProcessResult()>& partory,
              const std::function<void()>& preparePeer,
              const std::function<ProcessResult()>& peer) {
    std::vector<double> partoryTimes, peerTimes, partoryCpu, peerCpu;
    long rss = 0;
    for (int run = -1; run < runs; ++run) {
        preparePartory();
        ::sync();
        const ProcessResult result = partory();
        rss = std::max(rss, result.maxRssKiB);
        preparePeer();
        ::sync();
        const ProcessResult peerResult = peer();
        if (run >= 0) {
            partoryTimes.push_back(result.seconds);
            peerTimes.push_back(peerResult.seconds);
            partoryCpu.push_back(result.cpuSeconds);
            peerCpu.push_back(peerResult.cpuSeconds);
        }
        if (gVerbose) {
            std::printf("    %s run %d: Partory %.4f s (CPU %.4f), peer %.4f s (CPU %.4f)\n",
                        name.c_str(), run + 1, result.seconds, result.cpuSeconds,
                        peerResult.seconds, peerResult.cpuSeconds);
        }
    }
    return {name, Median(partoryTimes), Median(peerTimes), rss, {},
            0,    Median(partoryCpu),   Median(peerCpu)};
}

struct Config {
    double scale = 1.0;
    int runs = 5;
    bool strict = false;
};

std::int64_t Scaled(std::int64_t count, double scale, std::int64_t least = 2) {
    return std::max<std::int64_t>(least, std::llround(static_cast<double>(count) * scale));
}

// Cases 1 and 2: divide `partCount` parts' worth of random bytes, against split -b.
Row DivideCase(const Config& config, const std::string& folder, const std::string& name,
               std::int64_t partBytes, std::int64_t partCount, const std::string& splitSize,
               std::uint64_t seed) {
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
            return RunProcess(
                {"split", "-b", splitSize, "-a", std::to_string(suffix), source, splitDir + "/x"});
        });

    if (EntryCount(partoryDir) != partCount || EntryCount(splitDir) != partCount) {
        Fail(name + ": expected " + std::to_string(partCount) + " parts, Partory wrote " +
             std::to_string(EntryCount(partoryDir)) + ", split " +
             std::to_string(EntryCount(splitDir)));
    }
    for (std::int64_t p = 1; p <= partCount; ++p) {
        const std::string part = PartPath(partoryDir, p);
        if (FileSize(part) != partBytes) Fail(name + ": " + part + " has the wrong size");
        CompareFiles(part, SplitPath(splitDir, p - 1, suffix), name);
    }
    RemoveTree(splitDir);
    row.note = std::to_string(partCount) + " parts checked against split";
    return row;
}

// Cases 3 and 4: combine `inputs` into one file, against cat of the same list.
Row CombineCase(const Config& config, const std::string& folder, const std::string& name,
                const std::vector<std::string>& inputs, const std::string& expected) {
    const std::string listFile = folder + "/list";
    const std::string partoryOut = folder + "/partory.out";
    const std::string catOut = folder + "/cat.out";
    {
        std::ofstream list(listFile);
        for (const auto& input : inputs) list << input << '\n';
        if (!list) Fail("cannot write " + listFile);
    }
    const auto batches = CatBatches(inputs);

    Row row = Alternate(
        name, config.runs, [&] { RemoveTree(partoryOut); },
        [&] { return RunPartoryCombine(listFile, partoryOut); }, [&] { RemoveTree(catOut); },
        [&] { return RunCat(batches, catOut); });

    CompareFiles(partoryOut, catOut, name);
    if (!expected.empty()) CompareFiles(partoryOut, expected, name);
    RemoveTree(partoryOut);
    RemoveTree(catOut);
    row.note = std::to_string(inputs.size()) + " inputs checked against cat" +
               (batches.size() > 1 ? " (" + std::to_string(batches.size()) + " cat calls)" : "");
    return row;
}

// Case 5: a sparse source of five parts; a few marks at known offsets show that every part
// holds the right range, and the whole of every part is compared with the source.
Row SparseCase(const std::string& folder, double scale) {
    MakeFolder(folder);
    const std::int64_t partBytes = std::max<std::int64_t>(
        64 * kKiB, std::llround(static_cast<double>(kGiB) * scale) & ~std::int64_t{4095});
    const std::int64_t parts = 5;
    const std::int64_t size = partBytes * parts;
    const std::string source = folder + "/source";
    const std::string partoryDir = folder + "/partory";
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
    const ProcessResult result = RunPartoryDivide(source, partoryDir, partBytes);

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
    for (std::int64_t p = 1; p <= parts; ++p) {
        const std::string part = PartPath(partoryDir, p);
        if (FileSize(part) != partBytes) {
            Fail("sparse: " + part + " holds " + std::to_string(FileSize(part)) + " bytes, not " +
                 std::to_string(partBytes));
        }
        CompareRanges(part, 0, source, (p - 1) * partBytes, partBytes, "sparse");
    }
    RemoveTree(folder);

    char note[160];
    std::snprintf(note, sizeof(note), "%.2f GiB into %lld parts of %.2f GiB checked, %.0f MiB/s",
                  static_cast<double>(size) / kGiB, static_cast<long long>(parts),
                  static_cast<double>(partBytes) / kGiB,
                  static_cast<double>(size) / kMiB / result.seconds);
    return {"divide sparse", result.seconds, std::nullopt, result.maxRssKiB, note};
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

class QuietProgress final : public partory::ProgressSink {
  public:
    void SetMaximum(std::int64_t) override {}
    void SetPosition(std::int64_t) override {}
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
    QuietProgress progress;
    TimerPump pump(state, 2.0);
    partory::RunDivideJob(settings, state, progress, pump);

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
    return {"paused (CPU s)", pump.pausedCpu(), std::nullopt, 0, note, pump.pausedWall()};
}

// ---- the child side: one job, as the window would run it ---------------------------------

class IdlePump final : public partory::EventPump {
  public:
    void PumpEvents() override {}
    void WaitForEvents() override {}
};

int RunChildJob(int argc, char** argv) {
    partory::RunState state;
    partory::ResetRunState(state);
    QuietProgress progress;
    IdlePump pump;
    const std::string mode = argv[1];
    if (mode == "--divide" && argc == 6) {
        partory::DivideSettings settings;
        settings.SourcePath = argv[2];
        settings.DestinationFolder = argv[3];
        settings.NameTemplate = argv[4];
        settings.PartSizeValue = std::strtod(argv[5], nullptr);
        settings.Unit = partory::SizeUnit::Bytes;
        partory::RunDivideJob(settings, state, progress, pump);
    } else if (mode == "--combine" && argc == 4) {
        partory::CombineSettings settings;
        std::ifstream list(argv[2]);
        for (std::string line; std::getline(list, line);) settings.InputPaths.push_back(line);
        settings.OutputPath = argv[3];
        partory::RunCombineJob(settings, state, progress, pump);
    } else {
        std::fprintf(stderr, "partory_bench: unknown job %s\n", mode.c_str());
        return 2;
    }
    if (!state.Succeeded) {
        std::fprintf(stderr, "partory_bench: the job failed: %s\n", state.ResultText.c_str());
        return 3;
    }
    // The parent's wait4() figure would count the parent too: the spawn shares its memory until
    // exec, and exec keeps that high-water mark. VmHWM is this program's own.
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0)
            std::printf("%ld\n", std::strtol(line.c_str() + 6, nullptr, 10));
    }
    return 0;
}

// ---- the harness ------------------------------------------------------------------------

// Removes the scratch folder with everything in it, however the run ends.
class Scratch {
  public:
    Scratch() {
        const char* parent = std::getenv("PARTORY_BENCH_DIR");
        std::string pattern =
            std::string(parent && *parent ? parent : "/tmp") + "/partory-bench-XXXXXX";
        if (!::mkdtemp(pattern.data())) Fail("cannot create a scratch folder: " + Errno());
        path_ = pattern;
    }
    ~Scratch() {
        try {
            RemoveTree(path_);
        } catch (const BenchError& error) {
            std::fprintf(stderr, "bench: %s\n", error.what());
        }
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

Config ReadConfig() {
    Config config;
    if (const char* scale = std::getenv("PARTORY_BENCH_SCALE"); scale && *scale) {
        config.scale = std::strtod(scale, nullptr);
        if (!(config.scale > 0 && config.scale <= 16))
            Fail("PARTORY_BENCH_SCALE must be in (0, 16]");
    }
    if (const char* runs = std::getenv("PARTORY_BENCH_RUNS"); runs && *runs) {
        config.runs = std::atoi(runs);
        if (config.runs < 1) Fail("PARTORY_BENCH_RUNS must be 1 or more");
    }
    if (const char* verbose = std::getenv("PARTORY_BENCH_VERBOSE")) {
        gVerbose = std::strcmp(verbose, "1") == 0;
    }
    if (const char* strict = std::getenv("PARTORY_BENCH_STRICT")) {
        config.strict = std::strcmp(strict, "1") == 0;
    }
    return config;
}

std::string Seconds(double value) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.4f", value);
    return text;
}

void PrintTable(const std::vector<Row>& rows) {
    std::printf("\n%-18s %12s %12s %9s %10s %19s  %s\n", "case", "Partory (s)", "peer (s)",
                "peer/P", "peak RSS", "CPU s Partory/peer", "checked");
    for (const auto& row : rows) {
        const std::string peer = row.peer ? Seconds(*row.peer) : "-";
        char ratio[16] = "-";
        if (row.peer) std::snprintf(ratio, sizeof(ratio), "%.2f", *row.peer / row.partory);
        char rss[16] = "-";
        if (row.rssKiB > 0) std::snprintf(rss, sizeof(rss), "%.1f MiB", row.rssKiB / 1024.0);
        char cpu[32] = "-";
        if (row.peer) std::snprintf(cpu, sizeof(cpu), "%.4f/%.4f", row.partoryCpu, row.peerCpu);
        std::printf("%-18s %12s %12s %9s %10s %19s  %s\n", row.name.c_str(),
                    Seconds(row.partory).c_str(), peer.c_str(), ratio, rss, cpu, row.note.c_str());
    }
    std::printf(
        "(medians of the counted runs, wall time; the peer is split for divide cases, cat for "
        "combine cases)\n\n");
}

int RunBench() {
    const Config config = ReadConfig();
    Scratch scratch;
    gRssReport = scratch / "rss";

    const std::int64_t case1Parts = Scaled(1024, config.scale);
    const std::int64_t case2Parts = Scaled(16384, config.scale);
    const std::int64_t case4Files = Scaled(10000, config.scale);
    // The most the disk holds at once: case 5's real parts, or case 3's source, parts and
    // two outputs.
    const double needed = std::max(5.0 * kGiB * config.scale, 4.0 * case1Parts * kMiB) + 256 * kMiB;
    struct statvfs fs;
    if (::statvfs(scratch.path().c_str(), &fs) == 0) {
        const double free = static_cast<double>(fs.f_bavail) * static_cast<double>(fs.f_frsize);
        if (free < needed) {
            Fail("not enough room under " + scratch.path() + ": needs about " +
                 std::to_string(static_cast<long long>(needed / kMiB)) +
                 " MiB; set PARTORY_BENCH_SCALE or PARTORY_BENCH_DIR");
        }
    }
    std::printf("bench: scratch %s, scale %g, %d counted runs after a warm-up, A B A B\n",
                scratch.path().c_str(), config.scale, config.runs);
    std::fflush(stdout);

    std::vector<Row> rows;
    auto report = [&rows](Row row) {
        std::printf("  %-18s done: %s\n", row.name.c_str(), row.note.c_str());
        std::fflush(stdout);
        rows.push_back(std::move(row));
    };

    report(DivideCase(config, scratch / "c1", "divide 1M", kMiB, case1Parts, "1M", 1));
    report(DivideCase(config, scratch / "c2", "divide 4K", 4 * kKiB, case2Parts, "4K", 2));
    RemoveTree(scratch / "c2");

    std::vector<std::string> parts;
    for (std::int64_t p = 1; p <= case1Parts; ++p)
        parts.push_back(PartPath(scratch / "c1/partory", p));
    report(CombineCase(config, scratch / "c1", "combine 1M parts", parts, scratch / "c1/source"));
    RemoveTree(scratch / "c1");

    MakeFolder(scratch / "c4");
    MakeFolder(scratch / "c4/in");
    std::vector<std::string> files;
    for (std::int64_t i = 1; i <= case4Files; ++i) {
        files.push_back(scratch / ("c4/in/f" + std::to_string(i)));
        WriteRandomFile(files.back(), 4 * kKiB, 1000 + static_cast<std::uint64_t>(i));
    }
    report(CombineCase(config, scratch / "c4", "combine 4K files", files, {}));
    RemoveTree(scratch / "c4");

    report(SparseCase(scratch / "c5", config.scale));
    report(PauseCase(scratch / "c6"));

    PrintTable(rows);

    const Row* worst = nullptr;
    for (const auto& row : rows) {
        if (row.peer && (!worst || *row.peer / row.partory < *worst->peer / worst->partory)) {
            worst = &row;
        }
    }
    long peakRss = 0;
    for (const auto& row : rows) peakRss = std::max(peakRss, row.rssKiB);
    const double worstRatio = *worst->peer / worst->partory;
    const long rss4K = rows[1].rssKiB, rssSparse = rows[4].rssKiB;
    const Row& pause = rows[5];
    const double pausedPerSecond = pause.partory / pause.pausedWall;

    const bool ratioMet = worstRatio >= 1.0;
    const bool rssMet = std::labs(rssSparse - rss4K) <= 1024;
    const bool pauseMet = pausedPerSecond < 0.05;
    std::printf("target: every ratio >= 1.00: %s (worst %.2f, %s)\n", ratioMet ? "met" : "MISSED",
                worstRatio, worst->name.c_str());
    std::printf("target: sparse divide RSS within 1 MiB of 4K divide: %s (%.1f vs %.1f MiB)\n",
                rssMet ? "met" : "MISSED", rssSparse / 1024.0, rss4K / 1024.0);
    std::printf("target: paused CPU < 0.05 s per s: %s (%s)\n", pauseMet ? "met" : "MISSED",
                pause.note.c_str());
    std::printf("bench: worst ratio %.2f (%s), peak RSS %.1f MiB, paused CPU %.4f s/s\n",
                worstRatio, worst->name.c_str(), peakRss / 1024.0, pausedPerSecond);
    return config.strict && !(ratioMet && rssMet && pauseMet) ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && argv[1][0] == '-') return RunChildJob(argc, argv);

    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    try {
        return RunBench();
    } catch (const BenchError& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "bench: FAILED: %s\n", error.what());
        return 1;
    } catch (const std::exception& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "bench: FAILED: %s\n", error.what());
        return 1;
    }
}
