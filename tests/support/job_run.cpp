// SPDX-License-Identifier: GPL-3.0-or-later
// One job without a window, as the window would run it: the Partory side of the benchmark's
// engine cases, a program of its own so that a run starts as cat and split do, and the real
// process that tests trace with strace.
//
//     partory_job_run --divide <source> <folder> <template> <part bytes> [--report] [--rss]
//     partory_job_run --combine <list file> <output> [--report] [--rss]
//
// --report prints the result text and the last progress position; --rss the peak resident
// memory in KiB once the job is done. Exits 0 when the job succeeded, 3 when it failed, 2 on a
// usage error.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "job_settings.h"
#include "partory/combine_job.h"
#include "partory/divide_job.h"
#include "partory/run_control.h"

namespace {

// A file's lines through stdio: the first use of a C++ stream sets up its locale, which took
// longer than a whole combine where the file system only shares blocks.
std::vector<std::string> Lines(const char* path) {
    std::vector<std::string> lines;
    std::FILE* file = std::fopen(path, "re");
    if (!file) return lines;
    char* line = nullptr;
    std::size_t capacity = 0;
    for (ssize_t length; (length = ::getline(&line, &capacity, file)) >= 0;) {
        if (length > 0 && line[length - 1] == '\n') --length;
        lines.emplace_back(line, static_cast<std::size_t>(length));
    }
    std::free(line);
    std::fclose(file);
    return lines;
}

// Takes `flag` off the end of the arguments when it is there.
bool TakeLast(int& argc, char** argv, const char* flag) {
    if (argc <= 2 || std::strcmp(argv[argc - 1], flag) != 0) return false;
    --argc;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const bool reportRss = TakeLast(argc, argv, "--rss");
    const bool report = TakeLast(argc, argv, "--report");
    partory::RunState state;
    partory::ResetRunState(state);
    partory::testing::QuietProgress progress;
    partory::testing::IdlePump pump;
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "--divide" && argc == 6) {
        partory::RunDivideJob(partory::testing::DivideSettingsOf(argv + 2), state, progress, pump,
                              partory::OsFileLayer());
    } else if (mode == "--combine" && argc == 4) {
        partory::CombineSettings settings;
        settings.InputPaths = Lines(argv[2]);
        settings.OutputPath = argv[3];
        partory::RunCombineJob(settings, state, progress, pump, partory::OsFileLayer());
    } else {
        std::fprintf(stderr, "partory_job_run: unknown job %s\n", mode.c_str());
        return 2;
    }
    if (report) {
        std::printf("%s\n%lld\n", state.ResultText.c_str(),
                    static_cast<long long>(progress.position()));
    }
    if (!state.Succeeded) {
        std::fprintf(stderr, "partory_job_run: the job failed: %s\n", state.ResultText.c_str());
        return 3;
    }
    // The parent's wait4() figure would count the parent too: the spawn shares its memory until
    // exec, and exec keeps that high-water mark. VmHWM is this program's own.
    if (!reportRss) return 0;
    for (const std::string& line : Lines("/proc/self/status")) {
        if (line.rfind("VmHWM:", 0) == 0)
            std::printf("%ld\n", std::strtol(line.c_str() + 6, nullptr, 10));
    }
    return 0;
}
