// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench_util.h"

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

extern char** environ;

namespace bench {

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

Fd::~Fd() {
    if (fd_ >= 0) ::close(fd_);
}

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

std::int64_t AllocatedBytes(const std::string& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) Fail("missing " + path + ": " + Errno());
    return static_cast<std::int64_t>(st.st_blocks) * 512;
}

std::string MiBText(double bytes) {
    char text[32];
    std::snprintf(text, sizeof(text), "%.1f MiB", bytes / kMiB);
    return text;
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

namespace {

std::vector<std::string>& AsideFolders() {
    static std::vector<std::string> folders;
    return folders;
}

}  // namespace

void AddAsideFolder(const std::string& folder) {
    MakeFolder(folder);
    AsideFolders().push_back(folder);
}

void DropAsideFolder(const std::string& folder) {
    auto& folders = AsideFolders();
    folders.erase(std::remove(folders.begin(), folders.end(), folder), folders.end());
}

void SetAside(const std::string& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno == ENOENT) return;
        Fail("cannot look at " + path + ": " + Errno());
    }
    static long setAside = 0;
    for (const auto& folder : AsideFolders()) {
        struct stat aside;
        if (::stat(folder.c_str(), &aside) != 0 || aside.st_dev != st.st_dev) continue;
        const std::string to = folder + "/" + std::to_string(++setAside);
        if (::rename(path.c_str(), to.c_str()) != 0) {
            Fail("cannot move " + path + " aside: " + Errno());
        }
        // Emptied, so that what is set aside takes no room; the inodes stay in use.
        auto empty = [](const char* entry, const struct stat* info, int kind, FTW*) {
            if (kind != FTW_F || !S_ISREG(info->st_mode) || info->st_size == 0) return 0;
            return ::truncate(entry, 0);
        };
        if (::nftw(to.c_str(), empty, 32, FTW_PHYS) != 0)
            Fail("cannot empty " + to + ": " + Errno());
        return;
    }
    RemoveTree(path);  // a file system with no aside folder: a loop-mounted image
}

void EmptyFolder(const std::string& path) {
    SetAside(path);
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

double Seconds(const timeval& tv) {
    return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) * 1e-6;
}

// Starts args[0] (searched on PATH), with stdout sent to stdoutPath when given, and waits.
ProcessResult RunProcess(const std::vector<std::string>& args, const std::string& stdoutPath,
                         bool append) {
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

bool gVerbose = false;

std::string gRssReport;  // set once the scratch folder exists

namespace {
bool gReportRss = false;
}  // namespace

RssReported::RssReported() {
    gReportRss = true;
}
RssReported::~RssReported() {
    gReportRss = false;
}

// Runs one job in a fresh process, and takes the peak RSS that it reports when asked to.
ProcessResult RunPartory(std::vector<std::string> args) {
    if (!gReportRss) return RunProcess(args, "/dev/null");
    args.push_back("--rss");
    ProcessResult result = RunProcess(args, gRssReport);
    std::ifstream report(gRssReport);
    if (!(report >> result.maxRssKiB)) Fail("the job reported no peak RSS");
    return result;
}

ProcessResult RunPartoryDivide(const std::string& source, const std::string& folder,
                               std::int64_t partBytes) {
    return RunPartory(
        {PARTORY_JOB_RUN, "--divide", source, folder, kPartTemplate, std::to_string(partBytes)});
}

ProcessResult RunPartoryCombine(const std::string& listFile, const std::string& output) {
    return RunPartory({PARTORY_JOB_RUN, "--combine", listFile, output});
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

ProcessResult ThenSynced(const std::function<ProcessResult()>& run,
                         const std::string& destination) {
    ProcessResult result = run();
    const ProcessResult sync = RunProcess({"sync", "-f", destination});
    result.seconds += sync.seconds;
    result.cpuSeconds += sync.cpuSeconds;
    return result;
}

ProcessResult PeerRun(bool durable, const std::function<ProcessResult()>& run,
                      const std::string& destination) {
    return durable ? ThenSynced(run, destination) : run();
}

// ---- measuring --------------------------------------------------------------------------

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// This machine hands free memory back to its host, and a run that takes such pages again
// slows down several times. Emptied before the flush of the other side's output, a gigabyte's
// freed pages sat through that flush: 20 of 60 runs of a 1 GiB combine took 0.37-0.85 s in
// place of about 0.2 s, for either tool. Emptied after it, 6 of 60.
void Prepared(const std::function<void()>& prepare) {
    ::sync();
    prepare();
    ::sync();
}

// A warm-up pair, then `runs` counted pairs of Partory and the peer; the warm-up run of
// Partory reports its peak RSS. Every other counted pair runs the peer first: with the same
// program in both places, the one run first came out 0.5-2.3% slower in four sets of 41 pairs
// of 4 ms runs, and 5-6% in two sets of 1 GiB copies.
Row Alternate(const std::string& name, int runs, const std::function<void()>& preparePartory,
              const std::function<ProcessResult()>& partory,
              const std::function<void()>& preparePeer,
              const std::function<ProcessResult()>& peer) {
    std::vector<double> partoryTimes, peerTimes, partoryCpu, peerCpu;
    long rss = 0;
    for (int run = -1; run < runs; ++run) {
        ProcessResult result, peerResult;
        auto runPartory = [&] {
            Prepared(preparePartory);
            std::optional<RssReported> warmUp;
            if (run < 0) warmUp.emplace();
            result = partory();
            warmUp.reset();
            rss = std::max(rss, result.maxRssKiB);
        };
        auto runPeer = [&] {
            Prepared(preparePeer);
            peerResult = peer();
        };
        // With an odd count Partory goes first once more than the peer.
        const bool peerFirst = run >= 0 && run % 2 == 1;
        if (peerFirst) {
            runPeer();
            runPartory();
        } else {
            runPartory();
            runPeer();
        }
        if (run >= 0) {
            partoryTimes.push_back(result.seconds);
            peerTimes.push_back(peerResult.seconds);
            partoryCpu.push_back(result.cpuSeconds);
            peerCpu.push_back(peerResult.cpuSeconds);
        }
        if (gVerbose) {
            std::printf("    %s run %d%s: Partory %.4f s (CPU %.4f), peer %.4f s (CPU %.4f)\n",
                        name.c_str(), run + 1, peerFirst ? " (peer first)" : "", result.seconds,
                        result.cpuSeconds, peerResult.seconds, peerResult.cpuSeconds);
        }
    }
    Row row = MakeRow(name, Median(partoryTimes), Median(peerTimes), rss);
    row.partoryCpu = Median(partoryCpu);
    row.peerCpu = Median(peerCpu);
    return row;
}

std::int64_t Scaled(std::int64_t count, double scale, std::int64_t least) {
    return std::max<std::int64_t>(least, std::llround(static_cast<double>(count) * scale));
}

ProcessResult RunSplit(const std::string& source, const std::string& folder,
                       const std::string& size, int suffix) {
    return RunProcess({"split", "-b", size, "-a", std::to_string(suffix), source, folder + "/x"});
}

void CheckPartsAgainstSplit(const std::string& name, const std::string& partoryFolder,
                            const std::string& splitFolder, std::int64_t count, int suffix) {
    if (EntryCount(partoryFolder) != count || EntryCount(splitFolder) != count) {
        Fail(name + ": expected " + std::to_string(count) + " parts, Partory wrote " +
             std::to_string(EntryCount(partoryFolder)) + ", split " +
             std::to_string(EntryCount(splitFolder)));
    }
    for (std::int64_t p = 1; p <= count; ++p) {
        CompareFiles(PartPath(partoryFolder, p), SplitPath(splitFolder, p - 1, suffix), name);
    }
}

void WriteListFile(const std::string& path, const std::vector<std::string>& inputs) {
    std::ofstream list(path);
    for (const auto& input : inputs) list << input << '\n';
    if (!list) Fail("cannot write " + path);
}

}  // namespace bench
