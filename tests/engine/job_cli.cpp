// SPDX-License-Identifier: GPL-3.0-or-later
// Runs one job from the command line, for tests that wrap a real process (strace fault
// injection, resource limits). Not part of the program.
//
//   job_cli divide <source> <folder> <template> <part size> <kbytes|bytes>
//   job_cli combine <output> <input>...
//
// Prints the result text and the progress position; exits 0 when the job succeeded, 1 when it
// failed, 2 on a usage error.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "partory/combine_job.h"
#include "partory/divide_job.h"

namespace {

class NoEvents : public partory::EventPump {
  public:
    void PumpEvents() override {}
    void WaitForEvents() override {}
};

class LastPosition : public partory::ProgressSink {
  public:
    void SetMaximum(std::int64_t) override {}
    void SetPosition(std::int64_t position) override { position_ = position; }
    std::int64_t position() const { return position_; }

  private:
    std::int64_t position_ = -1;
};

int Usage() {
    std::fputs(
        "usage: job_cli divide <source> <folder> <template> <size> <kbytes|bytes>\n"
        "       job_cli combine <output> <input>...\n",
        stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string job = argv[1];
    partory::RunState state;
    LastPosition progress;
    NoEvents pump;
    partory::ResetRunState(state);

    if (job == "divide" && argc == 7) {
        partory::DivideSettings settings;
        settings.SourcePath = argv[2];
        settings.DestinationFolder = argv[3];
        settings.NameTemplate = argv[4];
        settings.PartSizeValue = std::strtod(argv[5], nullptr);
        settings.Unit =
            std::string(argv[6]) == "bytes" ? partory::SizeUnit::Bytes : partory::SizeUnit::Kbytes;
        partory::RunDivideJob(settings, state, progress, pump, partory::OsFileLayer());
    } else if (job == "combine" && argc >= 4) {
        partory::CombineSettings settings;
        settings.OutputPath = argv[2];
        for (int i = 3; i < argc; ++i) settings.InputPaths.push_back(argv[i]);
        partory::RunCombineJob(settings, state, progress, pump, partory::OsFileLayer());
    } else {
        return Usage();
    }
    std::printf("%s\n%lld\n", state.ResultText.c_str(),
                static_cast<long long>(progress.position()));
    return state.Succeeded ? 0 : 1;
}
