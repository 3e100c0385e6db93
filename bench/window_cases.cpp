// SPDX-License-Identifier: GPL-3.0-or-later
// The window cases: the same small-part jobs started from the real window (partory_window_run)
// against split and cat and against the engine alone, and the soak of many jobs in a row.

#include "window_cases.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <thread>

#include "loop_mount.h"

namespace bench {

namespace {

bool OnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::string rest = path ? path : "";
    while (!rest.empty()) {
        const auto colon = rest.find(':');
        const std::string dir = rest.substr(0, colon);
        if (!dir.empty() && ::access((dir + "/" + program).c_str(), X_OK) == 0) return true;
        if (colon == std::string::npos) break;
        rest.erase(0, colon + 1);
    }
    return false;
}

void Stop(pid_t& pid) {
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    pid = -1;
}

// The seconds that a partory_window_run job printed.
double ReportedSeconds(const std::string& report) {
    std::ifstream in(report);
    double seconds = 0;
    if (!(in >> seconds)) Fail("the window job reported no time");
    return seconds;
}

}  // namespace

WindowSystem::WindowSystem() {
    // Qt wants a private runtime folder; without one it warns on every start.
    if (!std::getenv("XDG_RUNTIME_DIR")) {
        std::string pattern = "/tmp/partory-runtime-XXXXXX";
        if (::mkdtemp(pattern.data())) {
            runtimeDir_ = pattern;
            ::setenv("XDG_RUNTIME_DIR", runtimeDir_.c_str(), 1);
        }
    }
    if (!OnPath("Xvfb")) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        description_ = "offscreen (no Xvfb)";
        return;
    }
    for (int display = 140; display < 240 && xvfb_ < 0; ++display) {
        // Built by appending: `":" + std::to_string(...)` draws a false warning from g++ 12.
        const std::string number = std::to_string(display);
        std::string name = ":";
        name += number;
        const std::string lock = "/tmp/.X" + number + "-lock";
        const std::string socket = "/tmp/.X11-unix/X" + number;
        struct stat st;
        if (::stat(lock.c_str(), &st) == 0 || ::stat(socket.c_str(), &st) == 0) continue;
        xvfb_ = partory::testing::SpawnQuietly(
            {"Xvfb", name, "-screen", "0", "1024x768x24", "-nolisten", "tcp"});
        if (xvfb_ < 0) break;
        for (int wait = 0; wait < 100 && ::stat(socket.c_str(), &st) != 0; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (::stat(socket.c_str(), &st) != 0) {
            Stop(xvfb_);
            continue;
        }
        ::setenv("DISPLAY", name.c_str(), 1);
        ::setenv("QT_QPA_PLATFORM", "xcb", 1);
        description_ = "Xvfb " + name;
    }
    if (xvfb_ < 0) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        description_ = "offscreen (Xvfb did not start)";
        return;
    }
    if (OnPath("openbox")) {
        openbox_ = partory::testing::SpawnQuietly({"openbox"});
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        description_ += openbox_ > 0 ? " with openbox" : " without a window manager";
    } else {
        description_ += " without a window manager";
    }
}

WindowSystem::~WindowSystem() {
    Stop(openbox_);
    Stop(xvfb_);
    if (!runtimeDir_.empty()) {
        try {
            RemoveTree(runtimeDir_);
        } catch (const BenchError&) {
        }
    }
}

// One run of partory_window_run; its time is what it printed (from the click on "Start", or
// the engine's call, to the job's end), not the process's life.
ProcessResult RunWindowJob(const std::string& scratch, const std::vector<std::string>& args) {
    std::vector<std::string> command{PARTORY_WINDOW_RUN};
    command.insert(command.end(), args.begin(), args.end());
    const std::string report = scratch + "/window-report";
    ProcessResult result = RunProcess(command, report);
    result.seconds = ReportedSeconds(report);
    return result;
}

namespace {

// Window, engine alone and peer take turns: a warm-up, then `runs` counted rounds. Each round
// starts one place further along, so that each goes first, second and third as often: the one
// run first has come out slower with the same program in both places, and when the window
// always ran first it also ran just after split had filled its folder.
Row AlternateThree(const std::string& name, int runs, const std::function<void()>& prepare,
                   const std::function<ProcessResult()>& window,
                   const std::function<ProcessResult()>& engine,
                   const std::function<void()>& preparePeer,
                   const std::function<ProcessResult()>& peer) {
    std::vector<double> windowTimes, engineTimes, peerTimes;
    for (int run = -1; run < runs; ++run) {
        double w = 0, e = 0, p = 0;
        const std::function<void()> steps[] = {
            [&] {
                Prepared(prepare);
                w = window().seconds;
            },
            [&] {
                Prepared(prepare);
                e = engine().seconds;
            },
            [&] {
                Prepared(preparePeer);
                p = peer().seconds;
            },
        };
        const int first = run < 0 ? 0 : run % 3;
        for (int step = 0; step < 3; ++step) steps[(first + step) % 3]();
        if (run >= 0) {
            windowTimes.push_back(w);
            engineTimes.push_back(e);
            peerTimes.push_back(p);
        }
        if (gVerbose) {
            static const char* const kFirst[] = {"window", "engine", "peer"};
            std::printf("    %s run %d (%s first): window %.4f s, engine %.4f s, peer %.4f s\n",
                        name.c_str(), run + 1, kFirst[first], w, e, p);
        }
    }
    Row row = MakeRow(name, Median(windowTimes), Median(peerTimes));
    row.engine = Median(engineTimes);
    return row;
}

}  // namespace

Row WindowDivideCase(const Config& config, const std::string& folder, const std::string& name,
                     std::int64_t partBytes, std::int64_t partCount, bool durable) {
    MakeFolder(folder);
    const std::string source = folder + "/source";
    const std::string partoryDir = folder + "/partory";
    const std::string splitDir = folder + "/split";
    WriteRandomFile(source, partBytes * partCount, 7);
    MakeFolder(partoryDir);
    MakeFolder(splitDir);
    const int suffix = SuffixLength(partCount);
    const std::string bytes = std::to_string(partBytes);

    // In some runs the window's divide took half as long again as in the rest (0.43-0.56 s
    // against 0.30 s, in 3 rounds of 6) while the engine's stayed put: as for the combine, more
    // runs keep one such spell out of the median.
    Row row = AlternateThree(
        name, 3 * config.runs, [&] { EmptyFolder(partoryDir); },
        [&] {
            return RunWindowJob(folder, {"divide", source, partoryDir, kPartTemplate, bytes});
        },
        [&] {
            return RunWindowJob(folder,
                                {"divide-engine", source, partoryDir, kPartTemplate, bytes});
        },
        [&] { EmptyFolder(splitDir); },
        [&] {
            return PeerRun(
                durable, [&] { return RunSplit(source, splitDir, bytes, suffix); }, splitDir);
        });

    // The last run in that folder may have been the engine's: once more through the window,
    // and check what it wrote.
    EmptyFolder(partoryDir);
    RunWindowJob(folder, {"divide", source, partoryDir, kPartTemplate, bytes});
    CheckPartsAgainstSplit(name, partoryDir, splitDir, partCount, suffix);
    SetAside(folder);
    row.note = std::to_string(partCount) + " parts checked against split" +
               (durable ? " (+ sync -f)" : "");
    row.durable = durable;
    return row;
}

Row WindowCombineCase(const Config& config, const std::string& folder, const std::string& name,
                      const std::vector<std::string>& inputs, bool durable) {
    const std::string listFile = folder + "/list";
    const std::string partoryOut = folder + "/partory.out";
    const std::string catOut = folder + "/cat.out";
    WriteListFile(listFile, inputs);
    const auto batches = CatBatches(inputs);

    // A run takes about a tenth of a second, where a busy moment of the machine's weighs as
    // much as the window's whole share: more runs keep the median steady.
    Row row = AlternateThree(
        name, 3 * config.runs, [&] { SetAside(partoryOut); },
        [&] {
            return RunWindowJob(folder, {"combine", listFile, partoryOut});
        },
        [&] {
            return RunWindowJob(folder, {"combine-engine", listFile, partoryOut});
        },
        [&] { SetAside(catOut); },
        [&] {
            return PeerRun(
                durable, [&] { return RunCat(batches, catOut); }, catOut);
        });

    SetAside(partoryOut);
    RunWindowJob(folder, {"combine", listFile, partoryOut});
    CompareFiles(partoryOut, catOut, name);
    SetAside(partoryOut);
    SetAside(catOut);
    row.note = std::to_string(inputs.size()) + " inputs checked against cat" +
               (durable ? " (+ sync -f)" : "");
    row.durable = durable;
    return row;
}

SoakResult SoakCase(const std::string& folder, int jobs) {
    const std::string report = folder + "-report";
    const double start = Now();
    RunProcess({PARTORY_WINDOW_RUN, "soak", folder, std::to_string(jobs)}, report);
    SoakResult soak;
    soak.seconds = Now() - start;
    std::ifstream in(report);
    std::string summary;
    std::getline(in, summary);
    if (!(in >> soak.rssAt10KiB >> soak.descriptorsAt10 >> soak.rssAtEndKiB >>
          soak.descriptorsAtEnd)) {
        Fail("the soak reported no figures");
    }
    RemoveTree(report);
    soak.jobs = jobs;
    return soak;
}

LongPartResult LongPartCase(const std::string& folder, double seconds) {
    const std::string report = folder + "-report";
    RunProcess({PARTORY_WINDOW_RUN, "long-part", folder, std::to_string(seconds)}, report);
    LongPartResult result;
    std::ifstream in(report);
    std::getline(in, result.note);
    int pauseHeld = 0;
    if (!(in >> result.longestWithoutPaint >> pauseHeld)) Fail("the long part reported no figures");
    result.pauseHeld = pauseHeld != 0;
    const std::string prefix = "long part: ";
    if (result.note.rfind(prefix, 0) == 0) result.note.erase(0, prefix.size());
    RemoveTree(report);
    return result;
}

}  // namespace bench
