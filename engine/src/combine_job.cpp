// SPDX-License-Identifier: GPL-3.0-or-later
#include "partory/combine_job.h"

#include <ctime>
#include <string>

#include "owned_file.h"
#include "path_identity.h"
#include "slices.h"

namespace partory {

namespace {

constexpr const char* kCopyErrorText = "Error while copying a file.";
constexpr const char* kCreateErrorText = "Unable to create the combined file.";
constexpr const char* kProcessedText = " file(s) processed sucessfully!";

void Fail(RunState& state, const char* text) {
    state.ResultText = text;
    state.Succeeded = false;
    state.Stopped = true;
}

// The time the output is to carry: what setting it after each input would have left. Bytes
// appended make it the time of their writing; then an input's time, as the DOS date and time
// keeps it, replaces that, and one outside the DOS years leaves what was there. Converted once
// per distinct time, since the conversion reads the time zone.
class OutputTime {
  public:
    void Take(std::int64_t inputSeconds, bool bytesAppended) {
        if (!last_ || *last_ != inputSeconds) {
            last_ = inputSeconds;
            converted_ = RoundTripDosTime(inputSeconds);
        }
        if (bytesAppended) hasPending_ = false;
        if (converted_) {
            pending_ = *converted_;
            hasPending_ = true;
        }
    }
    // Once, when nothing more is appended: the outcome is the same as setting it after each
    // input, without touching the output's inode once per input.
    void Apply(FileLayer& files, FileHandle output) const {
        if (hasPending_) files.SetModifiedTime(output, pending_);  // failure is not reported
    }

  private:
    std::optional<std::int64_t> last_;
    std::optional<std::int64_t> converted_;
    // A plain pair rather than an optional: g++ 12 sees a false use before setting in one.
    std::int64_t pending_ = 0;
    bool hasPending_ = false;
};

// Appends one whole input to the output and notes its time for the output. False when the
// input cannot be opened or read whole, or the output cannot take it.
bool AppendInput(const std::string& path, HoleWriter& output, const FileIdentity& outputIdentity,
                 OutputTime& time, FileLayer& files, SliceCopier& slices) {
    // Only read: a failed close loses nothing, so it is left to the destructor.
    OwnedFile input(files, files.OpenRead(path));
    if (!input) return false;
    auto status = files.Status(input.get());
    // Only regular files are inputs: a device or pipe has no size to copy.
    if (!status || status->kind != PathKind::File) return false;
    // Reading the output into itself would never be what the user asked for.
    if (status->identity == outputIdentity) return false;
    const std::int64_t size = status->size;
    time.Take(status->modifiedSeconds, size > 0);
    if (size > 0) {
        SourceRuns runs(files);
        runs.Start(input.get(), *status);
        if (slices.Copy(runs, output, size) != size) return false;
    }
    return true;
}

}  // namespace

std::optional<std::int64_t> RoundTripDosTime(std::int64_t secondsSinceEpoch) {
    std::time_t time = static_cast<std::time_t>(secondsSinceEpoch);
    std::tm local{};
    if (!::localtime_r(&time, &local)) return std::nullopt;
    const int year = local.tm_year + 1900;
    if (year < 1980 || year > 2107) return std::nullopt;

    const unsigned date = (static_cast<unsigned>(year - 1980) << 9) |
                          (static_cast<unsigned>(local.tm_mon + 1) << 5) |
                          static_cast<unsigned>(local.tm_mday);
    const unsigned clock = (static_cast<unsigned>(local.tm_hour) << 11) |
                           (static_cast<unsigned>(local.tm_min) << 5) |
                           static_cast<unsigned>(local.tm_sec / 2);

    std::tm back{};
    back.tm_year = static_cast<int>(date >> 9) + 1980 - 1900;
    back.tm_mon = static_cast<int>((date >> 5) & 0x0f) - 1;
    back.tm_mday = static_cast<int>(date & 0x1f);
    back.tm_hour = static_cast<int>(clock >> 11);
    back.tm_min = static_cast<int>((clock >> 5) & 0x3f);
    back.tm_sec = static_cast<int>(clock & 0x1f) * 2;
    back.tm_isdst = -1;
    std::time_t result = std::mktime(&back);
    if (result == static_cast<std::time_t>(-1)) return std::nullopt;
    return static_cast<std::int64_t>(result);
}

void RunCombineJob(const CombineSettings& settings, RunState& state, ProgressSink& progress,
                   EventPump& pump, FileLayer& files) {
    const auto& inputs = settings.InputPaths;
    const auto count = static_cast<std::int64_t>(inputs.size());

    // A file that is not there yet cannot be one of the inputs, so only an output that exists
    // already is compared with every input (the check's probe normally leaves none).
    const bool outputExisted = LookTwice(settings.OutputPath, files).has_value();
    OwnedFile output(files, files.Create(settings.OutputPath, /*exclusive=*/true));
    if (!output) {
        Fail(state, kCreateErrorText);
        return;
    }
    auto outputStatus = files.Status(output.get());
    if (!outputStatus) {
        Fail(state, kCreateErrorText);
        return;
    }
    // Cutting an output that is also an input would destroy that input: refuse before it. A
    // new, empty output is caught per input instead, before anything is appended to itself.
    const bool mayBeAnInput =
        outputExisted || outputStatus->size > 0 || outputStatus->linkCount > 1;
    if (mayBeAnInput && OutputMayBeAnInput(*outputStatus, inputs, files)) {
        Fail(state, kCopyErrorText);
        return;
    }
    if (outputStatus->size > 0 && !files.Truncate(output.get())) {
        Fail(state, kCreateErrorText);
        return;
    }

    progress.SetMaximum(count);
    progress.SetPosition(0);

    OutputTime time;
    const bool outputIsFile = outputStatus->kind == PathKind::File;
    Durability durability(files);
    if (outputIsFile) durability.Begin(output.get(), /*manyFiles=*/false);
    SliceCopier slices(files, pump, durability);
    HoleWriter writer(files);
    writer.Start(output.get(), 0, outputIsFile);

    for (std::int64_t i = 1; i <= count; ++i) {
        WaitWhilePaused(state, pump);
        if (state.CancelRequested) {
            TakeCancelStep(state);
            break;
        }
        if (!AppendInput(inputs[static_cast<std::size_t>(i - 1)], writer, outputStatus->identity,
                         time, files, slices)) {
            Fail(state, kCopyErrorText);
            break;
        }
        progress.SetPosition(i);
        pump.PumpEvents();
        state.Succeeded = true;
    }

    time.Apply(files, output.get());
    // Appended is not done: the output, its time with it, counts only once it is on the medium.
    if (durability.waits()) pump.KeepAlive();
    if (state.Succeeded && !durability.FlushFile(output.get())) Fail(state, kCopyErrorText);
    // A close that fails may have lost buffered data: the output cannot be called complete.
    if (!output.Close() && state.Succeeded) {
        Fail(state, kCopyErrorText);
        return;
    }
    if (state.Succeeded) state.ResultText = std::to_string(count) + kProcessedText;
}

}  // namespace partory
