// SPDX-License-Identifier: GPL-3.0-or-later
// Every file operation of the combine job, and of its check, fails in turn: the N-th call for
// N = 1, 2, ... until a run meets no fault, and each operation at its first and a later call.
// After every run: an allowed outcome, nothing left open, nothing deleted, no input changed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fault_sweep.h"
#include "partory/combine_job.h"
#include "partory/settings_check.h"
#include "same_bytes.h"
#include "sparse_files.h"
#include "temp_dir.h"

namespace partory::testing {
namespace {

constexpr const char* kCopyError = "Error while copying a file.";
constexpr const char* kCreateError = "Unable to create the combined file.";
constexpr std::int64_t K = 1024;

// ---------------------------------------------------------------------------------------------
// Combine: four inputs (70,000 bytes, empty, 5,000 bytes, 123 bytes) into an output that
// already exists and is replaced.

struct CombineRun {
    TempDir dir;
    std::vector<std::string> inputs;
    std::vector<std::string> bytes;
    std::string output = dir / "out/combined.bin";
    std::string oldOutput = "an older combined file";
    CombineSettings settings;
    RunState state;
    RecordingProgress progress;
    ScriptedPump pump;

    struct Input {
        std::int64_t size;
        std::vector<Extent> data;  // none: all of it data
    };
    CombineRun() : CombineRun({{70000, {}}, {0, {}}, {5000, {}}, {123, {}}}) {}
    explicit CombineRun(const std::vector<Input>& layout) {
        std::filesystem::create_directory(dir / "in");
        std::filesystem::create_directory(dir / "out");
        for (std::size_t i = 0; i < 4; ++i) {
            inputs.push_back(dir / ("in/input" + std::to_string(i + 1)));
            const Input& input = layout[i];
            if (input.data.empty()) {
                bytes.push_back(PatternBytes(static_cast<std::size_t>(input.size), 20 + i));
                WriteFile(inputs.back(), bytes.back());
            } else {
                bytes.push_back(WriteSparseFile(inputs.back(), input.size, input.data, 20 + i));
            }
            // A time the DOS format holds: 2001-09-09, plus a step per input.
            struct timespec times[2] = {{0, UTIME_OMIT}, {1000000000 + 3600 * (long)i, 0}};
            ::utimensat(AT_FDCWD, inputs.back().c_str(), times, 0);
        }
        WriteFile(output, oldOutput);
        settings.InputPaths = inputs;
        settings.OutputPath = output;
    }
    std::string Concatenation(std::size_t count) const {
        std::string all;
        for (std::size_t i = 0; i < count; ++i) all += bytes[i];
        return all;
    }
    void ExpectInputsUnchanged(const std::string& context) const {
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            EXPECT_TRUE(SameBytes(ReadFile(inputs[i]), bytes[i])) << context << ": input " << i + 1;
        }
    }
};

constexpr int kCombineInputs = 4;

void CheckCombineRun(CombineRun& run, const Layers& layers, const FiredFault& fault,
                     const std::vector<std::string>& before, int descriptorsBefore,
                     const std::string& context) {
    const FaultyFileLayer& faulty = layers.faulty;
    EXPECT_EQ(faulty.openHandles(), 0) << context;
    EXPECT_EQ(OpenDescriptorCount(), descriptorsBefore) << context;
    ExpectAllStillThere(before, context);
    run.ExpectInputsUnchanged(context);

    const std::string success = "4 file(s) processed sucessfully!";
    const auto& log = faulty.log();
    // Faults the job may pass over: a time that cannot be set; the close of an input it only
    // read, whose bytes have all arrived; an identity test of an input when the output is
    // none of them; a length the file system will not set, whose zeros are written instead.
    // The output's flush and close come after every input.
    const bool outputClose =
        fault.fired &&
        ((fault.op == FileOp::Close && fault.index + 1 == log.size()) || fault.op == FileOp::Flush);
    const bool ignorable =
        fault.fired &&
        (fault.op == FileOp::SetModifiedTime || fault.op == FileOp::StatusOfPath ||
         fault.op == FileOp::SetLength || (fault.op == FileOp::Close && !outputClose));
    if (!fault.fired || ignorable) {
        EXPECT_TRUE(run.state.Succeeded) << context;
        EXPECT_FALSE(run.state.Stopped) << context;
        EXPECT_EQ(run.state.ResultText, success) << context;
        EXPECT_TRUE(SameBytes(ReadFile(run.output), run.Concatenation(kCombineInputs))) << context;
        EXPECT_EQ(run.progress.position(), kCombineInputs) << context;
        if (!fault.fired) {
            struct stat out, last;
            ASSERT_EQ(::stat(run.output.c_str(), &out), 0);
            ASSERT_EQ(::stat(run.inputs.back().c_str(), &last), 0);
            EXPECT_LE(std::llabs(out.st_mtime - last.st_mtime), 2) << context;
        }
        return;
    }

    EXPECT_FALSE(run.state.Succeeded) << context;
    EXPECT_TRUE(run.state.Stopped) << context;
    const int opened = CountBefore(log, fault.index + 1, FileOp::OpenRead);
    if (opened == 0 && !outputClose) {
        // Before the first input: the output could not be made ready.
        EXPECT_EQ(run.state.ResultText, kCreateError) << context;
        const std::string held = ReadFile(run.output);
        EXPECT_TRUE(held.empty() || held == run.oldOutput) << context;
        return;
    }
    EXPECT_EQ(run.state.ResultText, kCopyError) << context;
    // The output holds the inputs before the failing one whole, then a beginning of it.
    const int appended = outputClose ? kCombineInputs : opened - 1;
    EXPECT_EQ(run.progress.position(), appended) << context;
    const std::string held = ReadFile(run.output);
    const std::string whole = run.Concatenation(appended);
    ASSERT_GE(held.size(), whole.size()) << context;
    EXPECT_TRUE(SameBytes(held.substr(0, whole.size()), whole)) << context;
    if (!outputClose) {
        const std::string& failing = run.bytes[appended];
        const std::string rest = held.substr(whole.size());
        EXPECT_EQ(failing.compare(0, rest.size(), rest), 0) << context;
        EXPECT_LE(rest.size(), failing.size()) << context;
    }
}

class CombineFaultSweep : public ::testing::TestWithParam<CopyPath> {};

TEST_P(CombineFaultSweep, EveryNthOperationFails) {
    const int runs = SweepEveryNthOperation<CombineRun>(
        GetParam(), 1000,
        [](CombineRun& run, FileLayer& files) {
            RunCombineJob(run.settings, run.state, run.progress, run.pump, files);
        },
        CheckCombineRun);
    EXPECT_GE(runs, 20);
    RecordProperty("runs", runs);
}

INSTANTIATE_TEST_SUITE_P(BothCopyPaths, CombineFaultSweep,
                         ::testing::Values(CopyPath::Kernel, CopyPath::ReadWrite));

// Inputs with holes at their start, middle and end; the last ends in one, so the output's
// length is set at the end.
struct SparseCombineRun : CombineRun {
    SparseCombineRun()
        : CombineRun({{256 * K, {{64 * K, 96 * K}, {128 * K, 132 * K}}},
                      {0, {}},
                      {5000, {}},
                      {192 * K, {{0, 8 * K}}}}) {}
};

TEST_P(CombineFaultSweep, SparseInputsEveryNthOperationFails) {
    {
        SparseCombineRun run;
        Layers layers(GetParam());
        RunCombineJob(run.settings, run.state, run.progress, run.pump, layers.job());
        ASSERT_TRUE(run.state.Succeeded) << run.state.ResultText;
        ASSERT_GT(layers.faulty.callCount(FileOp::Seek), 0) << "the inputs' holes went unseen";
        ASSERT_GT(layers.faulty.callCount(FileOp::SetLength), 0);
    }
    const int runs = SweepEveryNthOperation<SparseCombineRun>(
        GetParam(), 1000,
        [](SparseCombineRun& run, FileLayer& files) {
            RunCombineJob(run.settings, run.state, run.progress, run.pump, files);
        },
        [](SparseCombineRun& run, const Layers& layers, const FiredFault& fault,
           const std::vector<std::string>& before, int descriptors, const std::string& context) {
            CheckCombineRun(run, layers, fault, before, descriptors, context);
        });
    EXPECT_GE(runs, 25);
    RecordProperty("runs", runs);
}

class CombineOperationFails : public ::testing::TestWithParam<OpRow> {};

TEST_P(CombineOperationFails, AtItsFirstAndALaterCall) {
    const OpRow row = GetParam();
    CombineRun run;
    RunWithOperationFailing(
        run, row, 1000,
        [](CombineRun& run, FileLayer& files) {
            RunCombineJob(run.settings, run.state, run.progress, run.pump, files);
        },
        CheckCombineRun);
    EXPECT_EQ(run.progress.position(), row.completeParts) << RowName(row);
}

// Per input: OpenRead, Status, Copy (none for the empty input 2), Close; the time is set once.
INSTANTIATE_TEST_SUITE_P(
    Rows, CombineOperationFails,
    ::testing::Values(OpRow{FileOp::Create, 1, CopyPath::Kernel, -1},  // the output
                      OpRow{FileOp::Status, 1, CopyPath::Kernel, -1},  // the output's
                      OpRow{FileOp::Truncate, 1, CopyPath::Kernel, -1},
                      OpRow{FileOp::StatusOfPath, 1, CopyPath::Kernel, 4},
                      OpRow{FileOp::StatusOfPath, 4, CopyPath::Kernel, 4},
                      OpRow{FileOp::OpenRead, 1, CopyPath::Kernel, 0},
                      OpRow{FileOp::OpenRead, 3, CopyPath::Kernel, 2},
                      OpRow{FileOp::Status, 2, CopyPath::Kernel, 0},  // input 1's size
                      OpRow{FileOp::Status, 5, CopyPath::Kernel, 3},  // input 4's size
                      OpRow{FileOp::Copy, 1, CopyPath::Kernel, 0},
                      OpRow{FileOp::Copy, 2, CopyPath::Kernel, 2},
                      OpRow{FileOp::Read, 1, CopyPath::ReadWrite, 0},
                      OpRow{FileOp::Read, 50, CopyPath::ReadWrite, 0},
                      OpRow{FileOp::Read, 102, CopyPath::ReadWrite, 2},
                      OpRow{FileOp::Write, 1, CopyPath::ReadWrite, 0},
                      OpRow{FileOp::Write, 109, CopyPath::ReadWrite, 3},
                      OpRow{FileOp::SetModifiedTime, 1, CopyPath::Kernel, 4},
                      OpRow{FileOp::Close, 1, CopyPath::Kernel, 4},  // input 1
                      OpRow{FileOp::Flush, 1, CopyPath::Kernel, 4},  // the output, at the end
                      OpRow{FileOp::Close, 5, CopyPath::Kernel, 4}   // the output
                      ),
    OpRowTestName);

// ---------------------------------------------------------------------------------------------
// The output is a hard link to input 2: whatever single operation fails, the job must not cut
// it, so input 2 keeps its bytes.

TEST(CombineFaultSweep, OutputLinkedToAnInputIsNeverCut) {
    int runs = 0;
    for (std::int64_t nth = 1;; ++nth) {
        ASSERT_LT(nth, 1000);
        CombineRun run;
        run.bytes[1] = PatternBytes(4000, 99);
        WriteFile(run.inputs[1], run.bytes[1]);
        std::filesystem::remove(run.output);
        std::filesystem::create_hard_link(run.inputs[1], run.output);
        FaultyFileLayer faulty;
        faulty.FailNth(nth);
        const int descriptors = OpenDescriptorCount();
        RunCombineJob(run.settings, run.state, run.progress, run.pump, faulty);
        const std::string context =
            "operation " + std::to_string(nth) +
            (faulty.failed() ? std::string(" (") + FileOpName(faulty.log()[nth - 1]) + ")"
                             : std::string(" (none)"));
        EXPECT_FALSE(run.state.Succeeded) << context;
        EXPECT_EQ(faulty.openHandles(), 0) << context;
        EXPECT_EQ(OpenDescriptorCount(), descriptors) << context;
        run.ExpectInputsUnchanged(context);
        ++runs;
        if (!faulty.failed()) {
            EXPECT_EQ(run.state.ResultText, kCopyError);
            break;
        }
    }
    RecordProperty("runs", runs);
}

// ---------------------------------------------------------------------------------------------
// The combine check creates folders, probes and deletes: every one of its operations fails in
// turn. It must end with one of its messages or pass, leave nothing open and keep the inputs.

TEST(CombineCheckFaultSweep, EveryNthOperationFails) {
    int runs = 0;
    for (std::int64_t nth = 1;; ++nth) {
        ASSERT_LT(nth, 1000);
        CombineRun run;
        std::filesystem::remove(run.output);
        const std::string output = run.dir / "new/deeper/combined.bin";
        CombineSettings settings{run.inputs, "  " + output + " "};
        FaultyFileLayer faulty;
        faulty.FailNth(nth);
        const int descriptors = OpenDescriptorCount();
        const SettingsCheckResult result = CheckCombineSettings(settings, faulty);
        const std::string op = faulty.failed() ? FileOpName(faulty.log()[nth - 1]) : "none";
        const std::string context = "operation " + std::to_string(nth) + " (" + op + ")";

        EXPECT_EQ(faulty.openHandles(), 0) << context;
        EXPECT_EQ(OpenDescriptorCount(), descriptors) << context;
        run.ExpectInputsUnchanged(context);
        EXPECT_EQ(settings.OutputPath, output) << context;
        const std::string folderMessage =
            "Unable to create the following directory:\r" + (run.dir / "new/deeper");
        const std::string fileMessage = "Unable to create the following file:\r" + output;
        if (result.Passed) {
            // Only a fault in a path's identity or kind test may pass unseen: the output did not
            // exist, so no match can hide behind it.
            EXPECT_TRUE(!faulty.failed() || op == "StatusOfPath") << context;
            EXPECT_FALSE(Exists(output)) << context;
        } else {
            EXPECT_TRUE(faulty.failed()) << context << ": " << result.MessageText;
            EXPECT_EQ(result.MessageKind, MessageKind::Error) << context;
            EXPECT_EQ(result.FocusField, SettingsField::OutputFile) << context;
            if (op == "CreateFolder" || op == "StatusOfPath") {
                // A folder that seems missing is created again, which fails.
                EXPECT_EQ(result.MessageText, folderMessage) << context;
            } else {
                EXPECT_EQ(result.MessageText, fileMessage) << context;
            }
        }
        ++runs;
        if (!faulty.failed()) break;
    }
    RecordProperty("runs", runs);
}

}  // namespace
}  // namespace partory::testing
