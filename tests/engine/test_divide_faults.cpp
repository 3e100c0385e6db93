// SPDX-License-Identifier: GPL-3.0-or-later
// Every file operation of the divide job, and of its check, fails in turn: the N-th call for
// N = 1, 2, ... until a run meets no fault, and each operation at its first and a later call.
// After every run: an allowed outcome, nothing left open, nothing deleted, the source unchanged.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "fault_sweep.h"
#include "partory/divide_job.h"
#include "partory/settings_check.h"
#include "same_bytes.h"
#include "sparse_files.h"
#include "temp_dir.h"

namespace partory::testing {
namespace {

// Divide: a 2,600-byte source in 1 Kbytes parts (1,024, 1,024, 552), or a sparse source of three
// parts. A file already has the name of part 2 (so it is cut), and an unrelated file shares the
// destination folder.

constexpr std::int64_t K = 1024;

struct DivideRun {
    TempDir dir;
    std::string source = dir / "source.bin";
    std::string out = dir / "out";
    std::int64_t partBytes = K;
    std::string sourceBytes;
    std::string oldPart2 = PatternBytes(3000, 9);
    std::string neighbour = dir / "out/keep.txt";
    DivideSettings settings;
    RunState state;
    RecordingProgress progress;
    ScriptedPump pump;

    DivideRun() : DivideRun(K, {}) {}
    // With data extents: a sparse source of that many bytes with holes elsewhere.
    DivideRun(std::int64_t partSize, const std::vector<Extent>& data, std::int64_t size = 0)
        : partBytes(partSize) {
        if (data.empty()) {
            sourceBytes = PatternBytes(2600, 7);
            WriteFile(source, sourceBytes);
        } else {
            sourceBytes = WriteSparseFile(source, size, data, 7);
        }
        std::filesystem::create_directory(out);
        WriteFile(Part(2), oldPart2);
        WriteFile(neighbour, "neighbour");
        settings.SourcePath = source;
        settings.DestinationFolder = out;
        settings.NameTemplate = "PART[COUNTER].bin";
        settings.PartSizeValue = static_cast<double>(partBytes / K);
        settings.Unit = SizeUnit::Kbytes;
    }
    std::string Part(int p) const { return out + "/PART" + std::to_string(p) + ".bin"; }
    std::string Expected(int p) const { return sourceBytes.substr((p - 1) * partBytes, partBytes); }
};

// Holes at the start of every part, holes that cross parts' boundaries and parts that end in
// a hole: small parts go through the job's blocks, large ones through the copy in slices.
struct SparseSmallPartsRun : DivideRun {
    SparseSmallPartsRun()
        : DivideRun(64 * K, {{16 * K, 24 * K}, {72 * K, 80 * K}, {136 * K, 140 * K}}, 176 * K) {}
};
struct SparseLargePartsRun : DivideRun {
    SparseLargePartsRun()
        : DivideRun(256 * K, {{64 * K, 96 * K}, {288 * K, 320 * K}, {544 * K, 560 * K}}, 704 * K) {}
};

constexpr int kDivideParts = 3;

// Checks one finished divide run against the fault that fired in it.
void CheckDivideRun(DivideRun& run, const Layers& layers, const FiredFault& fault,
                    const std::vector<std::string>& before, int descriptorsBefore,
                    const std::string& context) {
    const FaultyFileLayer& faulty = layers.faulty;
    EXPECT_EQ(faulty.openHandles(), 0) << context;
    EXPECT_EQ(OpenDescriptorCount(), descriptorsBefore) << context;
    ExpectAllStillThere(before, context);
    EXPECT_TRUE(SameBytes(ReadFile(run.source), run.sourceBytes)) << context << ": source changed";
    EXPECT_TRUE(SameBytes(ReadFile(run.neighbour), "neighbour")) << context;
    EXPECT_FALSE(run.state.Stopped) << context;

    // A length the file system will not set: the zeros of the part's last hole are written.
    if (!fault.fired || fault.op == FileOp::SetLength) {
        EXPECT_TRUE(run.state.Succeeded) << context;
        EXPECT_EQ(run.state.ResultText, "3 file(s) sucessfully created!") << context;
        for (int p = 1; p <= kDivideParts; ++p)
            EXPECT_TRUE(SameBytes(ReadFile(run.Part(p)), run.Expected(p)));
        EXPECT_EQ(run.progress.position(), kDivideParts) << context;
        return;
    }

    // The divide job ignores no fault at all.
    EXPECT_FALSE(run.state.Succeeded) << context;
    EXPECT_EQ(run.state.ResultText, "File division error: \"source.bin\".") << context;

    // The part being worked on when the fault fired: each part begins with one CreateNew.
    const int failing = std::max(1, CountBefore(faulty.log(), fault.index + 1, FileOp::CreateNew));
    // The flush of every part, the source's close and that of the flush's handle.
    const bool afterLastPart =
        CountBefore(faulty.log(), fault.index, FileOp::Close) >= kDivideParts;
    const int complete = afterLastPart ? kDivideParts : failing - 1;
    for (int p = 1; p <= complete; ++p) {
        EXPECT_TRUE(SameBytes(ReadFile(run.Part(p)), run.Expected(p))) << context << ": part " << p;
    }
    EXPECT_EQ(run.progress.position(), complete == 0 ? -1 : complete) << context;
    if (afterLastPart) return;
    // The failing part holds a beginning of its bytes, or is the old file it was about to cut.
    if (Exists(run.Part(failing))) {
        const std::string held = ReadFile(run.Part(failing));
        const bool prefix = run.Expected(failing).compare(0, held.size(), held) == 0;
        const bool untouchedOld = failing == 2 && held == run.oldPart2;
        EXPECT_TRUE(prefix || untouchedOld)
            << context << ": part " << failing << " holds " << held.size() << " unexpected bytes";
    }
    // No later part was made; the old file of part 2 is not touched before its turn.
    for (int p = failing + 1; p <= kDivideParts; ++p) {
        if (p == 2) {
            EXPECT_TRUE(SameBytes(ReadFile(run.Part(2)), run.oldPart2)) << context;
        } else {
            EXPECT_FALSE(Exists(run.Part(p))) << context << ": part " << p;
        }
    }
}

class DivideFaultSweep : public ::testing::TestWithParam<CopyPath> {};

TEST_P(DivideFaultSweep, EveryNthOperationFails) {
    const int runs = SweepEveryNthOperation<DivideRun>(
        GetParam(), 300,
        [](DivideRun& run, FileLayer& files) {
            RunDivideJob(run.settings, run.state, run.progress, run.pump, files);
        },
        CheckDivideRun);
    // A divide of three parts opens, sizes, creates, copies and closes at least this often.
    EXPECT_GE(runs, 15);
    RecordProperty("runs", runs);
}

INSTANTIATE_TEST_SUITE_P(BothCopyPaths, DivideFaultSweep,
                         ::testing::Values(CopyPath::Kernel, CopyPath::ReadWrite));

// Seeks past holes and lengths set at the end fail in turn as well.
template <typename Run>
void SweepSparseDivide(CopyPath path) {
    {
        Run run;
        Layers layers(path);
        RunDivideJob(run.settings, run.state, run.progress, run.pump, layers.job());
        ASSERT_TRUE(run.state.Succeeded) << run.state.ResultText;
        ASSERT_GT(layers.faulty.callCount(FileOp::Seek), 0) << "the source's holes went unseen";
        ASSERT_GT(layers.faulty.callCount(FileOp::SetLength), 0);
    }
    const int runs = SweepEveryNthOperation<Run>(
        path, 300,
        [](Run& run, FileLayer& files) {
            RunDivideJob(run.settings, run.state, run.progress, run.pump, files);
        },
        [](Run& run, const Layers& layers, const FiredFault& fault,
           const std::vector<std::string>& before, int descriptors, const std::string& context) {
            CheckDivideRun(run, layers, fault, before, descriptors, context);
        });
    EXPECT_GE(runs, 20);
    ::testing::Test::RecordProperty("runs", runs);
}

TEST_P(DivideFaultSweep, SparseSourceSmallPartsEveryNthOperationFails) {
    SweepSparseDivide<SparseSmallPartsRun>(GetParam());
}

TEST_P(DivideFaultSweep, SparseSourceLargePartsEveryNthOperationFails) {
    SweepSparseDivide<SparseLargePartsRun>(GetParam());
}

// A file system that will not lengthen a file (FAT behind FUSE) gets the zeros of a part's last
// hole written instead; only when they cannot be written either is the divide an error.
TEST(DivideLengthRefused, ZerosAreWrittenAndOnlyTheirFailureIsAnError) {
    for (const bool zerosFail : {false, true}) {
        SparseLargePartsRun run;
        Layers layers(CopyPath::Kernel);
        layers.faulty.FailAll(FileOp::SetLength);
        if (zerosFail) layers.faulty.FailAll(FileOp::Write);
        RunDivideJob(run.settings, run.state, run.progress, run.pump, layers.job());
        EXPECT_EQ(run.state.Succeeded, !zerosFail) << run.state.ResultText;
        if (!zerosFail) {
            EXPECT_TRUE(SameBytes(ReadFile(run.Part(3)), run.Expected(3)));
            EXPECT_GT(layers.faulty.callCount(FileOp::Write), 0);
        }
    }
}

// Parts long enough for their write-back to start while they are copied: a failure to start or
// wait for it, at the first part or a later one, ends the divide like a failed write.
TEST(DivideWriteOutFails, EndsTheDivideAsAFailedWriteDoes) {
    for (const int occurrence : {1, 2}) {
        TempDir dir;
        WriteFile(dir / "source.bin", PatternBytes(1200 * K));
        DivideSettings settings{dir / "source.bin", dir.path(), "P[COUNTER]", 512,
                                SizeUnit::Kbytes};
        RunState state;
        RecordingProgress progress;
        ScriptedPump pump;
        Layers layers(CopyPath::Kernel);
        layers.faulty.FailOp(FileOp::WriteOut, occurrence);
        RunDivideJob(settings, state, progress, pump, layers.job());
        ASSERT_TRUE(layers.faulty.failed()) << "no write-back was started";
        EXPECT_FALSE(state.Succeeded);
        EXPECT_EQ(state.ResultText, "File division error: \"source.bin\".");
        EXPECT_EQ(layers.faulty.openHandles(), 0);
    }
}

class DivideOperationFails : public ::testing::TestWithParam<OpRow> {};

TEST_P(DivideOperationFails, AtItsFirstAndALaterCall) {
    const OpRow row = GetParam();
    DivideRun run;
    RunWithOperationFailing(
        run, row, 300,
        [](DivideRun& run, FileLayer& files) {
            RunDivideJob(run.settings, run.state, run.progress, run.pump, files);
        },
        CheckDivideRun);
    const int expectedPosition = row.completeParts == 0 ? -1 : row.completeParts;
    EXPECT_EQ(run.progress.position(), expectedPosition) << RowName(row);
}

// Operation order of a part: CreateNew (for part 2, which exists: then Create, Status and
// Truncate), the source's block Read (once, for part 1: the source fits one block), Write,
// Close.
INSTANTIATE_TEST_SUITE_P(
    Rows, DivideOperationFails,
    ::testing::Values(OpRow{FileOp::OpenReadWrite, 1, CopyPath::Kernel, 0},  // the source
                      OpRow{FileOp::Status, 1, CopyPath::Kernel, 0},         // source size
                      OpRow{FileOp::Status, 2, CopyPath::Kernel, 1},         // part 2
                      OpRow{FileOp::CreateNew, 1, CopyPath::Kernel, 0},
                      OpRow{FileOp::CreateNew, 2, CopyPath::Kernel, 1},
                      OpRow{FileOp::CreateNew, 3, CopyPath::Kernel, 2},
                      OpRow{FileOp::Create, 1, CopyPath::Kernel, 1},    // the old part 2
                      OpRow{FileOp::Truncate, 1, CopyPath::Kernel, 1},  // the old part 2
                      OpRow{FileOp::Read, 1, CopyPath::Kernel, 0},
                      OpRow{FileOp::Write, 1, CopyPath::ReadWrite, 0},
                      OpRow{FileOp::Write, 3, CopyPath::ReadWrite, 2},
                      OpRow{FileOp::Close, 1, CopyPath::Kernel, 0},  // part 1
                      OpRow{FileOp::Close, 3, CopyPath::Kernel, 2},  // part 3
                      OpRow{FileOp::Close, 4, CopyPath::Kernel, 3},  // the source, after all parts
                      // Flushes: the kernel-copy rows run as a disk file system, flushed whole at
                      // the end through a second handle to part 1; the read-and-write rows as a
                      // FUSE or network one, flushed part by part.
                      OpRow{FileOp::Duplicate, 1, CopyPath::Kernel, 0},
                      OpRow{FileOp::FlushFileSystem, 1, CopyPath::Kernel, 3},
                      OpRow{FileOp::Flush, 2, CopyPath::ReadWrite, 1}),
    OpRowTestName);

TEST(DivideCheckFaultSweep, EveryNthOperationFails) {
    int runs = 0;
    for (std::int64_t nth = 1;; ++nth) {
        ASSERT_LT(nth, 1000);
        DivideRun run;
        DivideSettings settings = run.settings;
        settings.DestinationFolder = run.dir / "new/deeper/";
        FaultyFileLayer faulty;
        faulty.FailNth(nth);
        const int descriptors = OpenDescriptorCount();
        const SettingsCheckResult result = CheckDivideSettings(settings, faulty);
        const std::string op = faulty.failed() ? FileOpName(faulty.log()[nth - 1]) : "none";
        const std::string context = "operation " + std::to_string(nth) + " (" + op + ")";

        EXPECT_EQ(faulty.openHandles(), 0) << context;
        EXPECT_EQ(OpenDescriptorCount(), descriptors) << context;
        EXPECT_TRUE(SameBytes(ReadFile(run.source), run.sourceBytes)) << context;
        if (nth > 1) {
            EXPECT_EQ(settings.DestinationFolder, run.dir / "new/deeper") << context;
        }
        if (result.Passed) {
            // A failed kind test of a folder that is missing anyway changes nothing.
            EXPECT_TRUE(!faulty.failed() || op == "StatusOfPath") << context;
            EXPECT_TRUE(std::filesystem::is_directory(run.dir / "new/deeper")) << context;
        } else {
            // The first test looks at the source; every later one at the folder.
            EXPECT_TRUE(faulty.failed()) << context << ": " << result.MessageText;
            EXPECT_EQ(result.MessageKind, MessageKind::Error) << context;
            EXPECT_EQ(result.MessageText, nth == 1 ? "File \"" + run.source + "\" does not exist."
                                                   : "Unable to create the following directory:\r" +
                                                         (run.dir / "new/deeper"))
                << context;
        }
        ++runs;
        if (!faulty.failed()) break;
    }
    RecordProperty("runs", runs);
}

}  // namespace
}  // namespace partory::testing
