// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

#include "faulty_file_layer.h"
#include "partory/divide_job.h"
#include "partory/name_template.h"
#include "partory/paths.h"
#include "temp_dir.h"

namespace partory {
namespace {

using testing::Exists;
using testing::FaultyFileLayer;
using testing::FileOp;
using testing::OpenDescriptorCount;
using testing::PatternBytes;
using testing::ReadFile;
using testing::RecordingProgress;
using testing::ScriptedPump;
using testing::TempDir;
using testing::WriteFile;

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

TEST(GetPartSize, ScalesKbytesAndRoundsHalfToEven) {
    struct Case {
        double value;
        SizeUnit unit;
        std::int64_t bytes;
    } cases[] = {
        {1, SizeUnit::Kbytes, 1024},
        {1.01, SizeUnit::Kbytes, 1034},
        {2.5, SizeUnit::Bytes, 2},
        {3.5, SizeUnit::Bytes, 4},
        {0.5, SizeUnit::Bytes, 0},
        {1.5, SizeUnit::Bytes, 2},
        {-2.5, SizeUnit::Bytes, -2},
        {-3.5, SizeUnit::Bytes, -4},
        {0.4, SizeUnit::Bytes, 0},
        {2.5000001, SizeUnit::Bytes, 3},
        {0.5 / 1024, SizeUnit::Kbytes, 0},
        // Beyond 32 bits: 4 GiB in Kbytes, and a part size above 2 GiB.
        {4194304, SizeUnit::Kbytes, 4294967296},
        {2147483648.0, SizeUnit::Bytes, 2147483648},
        {9007199254740993.0, SizeUnit::Bytes, 9007199254740992},
        // The last halves a double holds: odd below, so up to the even 2^52.
        {4503599627370495.5, SizeUnit::Bytes, 4503599627370496},
        {-4503599627370494.5, SizeUnit::Bytes, -4503599627370494},
        {1e30, SizeUnit::Bytes, kMax},
        {9223372036854775808.0, SizeUnit::Bytes, kMax},
        {-1e30, SizeUnit::Kbytes, kMin},
        {INFINITY, SizeUnit::Bytes, kMax},
        {-INFINITY, SizeUnit::Bytes, kMin},
        {NAN, SizeUnit::Kbytes, 0},
    };
    for (const Case& c : cases) {
        DivideSettings settings;
        settings.PartSizeValue = c.value;
        settings.Unit = c.unit;
        EXPECT_EQ(GetPartSize(settings), c.bytes)
            << c.value << (c.unit == SizeUnit::Kbytes ? " K" : " B");
    }
}

TEST(DivisionErrorText, NamesTheLastComponentOfTheSource) {
    EXPECT_EQ(DivisionErrorText("/home/me/report.pdf"), "File division error: \"report.pdf\".");
    EXPECT_EQ(DivisionErrorText("report"), "File division error: \"report\".");
}

class DivideJobTest : public ::testing::Test {
  protected:
    void SetUp() override { std::filesystem::create_directory(out); }

    DivideSettings Settings(double value, SizeUnit unit,
                            std::string nameTemplate = "part[COUNTER]") {
        DivideSettings settings;
        settings.SourcePath = source;
        settings.DestinationFolder = out;
        settings.NameTemplate = std::move(nameTemplate);
        settings.PartSizeValue = value;
        settings.Unit = unit;
        return settings;
    }

    void Run(const DivideSettings& settings, EventPump& pump, FileLayer& files = OsFileLayer()) {
        state.Succeeded = true;  // leftovers of an earlier job, cleared by the job start
        state.ResultText = "stale";
        ResetRunState(state);
        RunDivideJob(settings, state, progress, pump, files);
    }

    std::string Part(int p) const { return out + "/part" + std::to_string(p); }

    std::size_t FilesInOut() const {
        std::size_t count = 0;
        for ([[maybe_unused]] auto& entry : std::filesystem::directory_iterator(out)) ++count;
        return count;
    }

    void ExpectDivisionError() {
        EXPECT_EQ(state.ResultText, "File division error: \"source.bin\".");
        EXPECT_FALSE(state.Succeeded);
        EXPECT_FALSE(state.Stopped);
    }

    TempDir dir;
    std::string source = dir / "source.bin";
    std::string out = dir / "out";
    RunState state;
    RecordingProgress progress;
    ScriptedPump pump;
};

struct SplitCase {
    std::size_t sourceSize;
    double value;
    SizeUnit unit;
    std::vector<std::size_t> partSizes;
};

// Short, stable test names in CTest.
void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << c.sourceSize << " bytes at " << c.value << (c.unit == SizeUnit::Kbytes ? " K" : " B");
}

class DivideSplits : public DivideJobTest, public ::testing::WithParamInterface<SplitCase> {};

TEST_P(DivideSplits, WritesConsecutiveSlicesAndReportsEachPart) {
    const SplitCase& c = GetParam();
    const std::string data = PatternBytes(c.sourceSize);
    WriteFile(source, data);
    const int descriptors = OpenDescriptorCount();
    const std::size_t count = c.partSizes.size();

    ScriptedPump pump([&](int pumpNumber) {
        // Each pump comes after its part is closed, complete, and reported.
        EXPECT_EQ(progress.position(), pumpNumber);
        EXPECT_TRUE(Exists(Part(pumpNumber)));
        EXPECT_FALSE(Exists(Part(pumpNumber + 1)));
    });
    Run(Settings(c.value, c.unit), pump);

    EXPECT_TRUE(state.Succeeded);
    EXPECT_FALSE(state.Stopped);
    EXPECT_EQ(state.ResultText, std::to_string(count) + " file(s) sucessfully created!");
    std::vector<std::string> calls{"max " + std::to_string(count)};
    std::size_t offset = 0;
    for (std::size_t p = 1; p <= count; ++p) {
        calls.push_back("pos " + std::to_string(p));
        EXPECT_EQ(ReadFile(Part(p)), data.substr(offset, c.partSizes[p - 1])) << "part " << p;
        offset += c.partSizes[p - 1];
    }
    EXPECT_EQ(offset, data.size());
    EXPECT_EQ(progress.calls, calls);
    EXPECT_EQ(pump.pumps, static_cast<int>(count));
    EXPECT_EQ(FilesInOut(), count);  // no empty part after an exact multiple
    EXPECT_EQ(ReadFile(source), data);
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
}

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, DivideSplits,
    ::testing::Values(SplitCase{2560, 1, SizeUnit::Kbytes, {1024, 1024, 512}},
                      SplitCase{3072, 1, SizeUnit::Kbytes, {1024, 1024, 1024}},
                      SplitCase{300, 1, SizeUnit::Kbytes, {300}},
                      SplitCase{0, 1, SizeUnit::Kbytes, {}},
                      SplitCase{450, 100, SizeUnit::Bytes, {100, 100, 100, 100, 50}},
                      SplitCase{7, 2.5, SizeUnit::Bytes, {2, 2, 2, 1}},
                      SplitCase{2, 1, SizeUnit::Bytes, {1, 1}},
                      SplitCase{5000, 1.01, SizeUnit::Kbytes, {1034, 1034, 1034, 1034, 864}},
                      SplitCase{300000, 200, SizeUnit::Kbytes, {204800, 95200}},
                      // Small parts across the source's 128 KiB read blocks, and ending on one.
                      SplitCase{300000, 100000, SizeUnit::Bytes, {100000, 100000, 100000}},
                      SplitCase{262144, 64, SizeUnit::Kbytes, {65536, 65536, 65536, 65536}},
                      // A large part copied in several slices.
                      SplitCase{3670016, 3072, SizeUnit::Kbytes, {3145728, 524288}}));

TEST_F(DivideJobTest, TwoCountersInTheTemplateBothTakeThePartNumber) {
    WriteFile(source, "abcdefghijkl");
    Run(Settings(1, SizeUnit::Bytes, "PART[COUNTER]_[COUNTER]"), pump);
    EXPECT_EQ(state.ResultText, "12 file(s) sucessfully created!");
    EXPECT_EQ(ReadFile(out + "/PART12_12"), "l");
    EXPECT_EQ(ReadFile(out + "/PART1_1"), "a");
}

TEST_F(DivideJobTest, ExistingPartFilesAreReplaced) {
    const std::string data = PatternBytes(1500);
    WriteFile(source, data);
    WriteFile(Part(1), PatternBytes(5000, 9));  // longer than the new part
    WriteFile(Part(2), "");
    Run(Settings(1, SizeUnit::Kbytes), pump);
    EXPECT_TRUE(state.Succeeded);
    EXPECT_EQ(ReadFile(Part(1)), data.substr(0, 1024));
    EXPECT_EQ(ReadFile(Part(2)), data.substr(1024));
}

TEST_F(DivideJobTest, PartSizeBelowOneByteWritesNothing) {
    WriteFile(source, "some bytes");
    const int descriptors = OpenDescriptorCount();
    const std::pair<double, SizeUnit> sizes[] = {{0.0, SizeUnit::Kbytes},
                                                 {0.4, SizeUnit::Bytes},
                                                 {-1.0, SizeUnit::Bytes},
                                                 {-1.0, SizeUnit::Kbytes},
                                                 {NAN, SizeUnit::Kbytes}};
    for (auto [value, unit] : sizes) {
        progress.calls.clear();
        Run(Settings(value, unit), pump);
        SCOPED_TRACE(value);
        ExpectDivisionError();
        EXPECT_EQ(FilesInOut(), 0u);
        EXPECT_TRUE(progress.calls.empty());
        EXPECT_EQ(ReadFile(source), "some bytes");
        EXPECT_EQ(OpenDescriptorCount(), descriptors);
    }
}

TEST_F(DivideJobTest, MissingSourceIsTheDivisionError) {
    Run(Settings(1, SizeUnit::Kbytes), pump);
    ExpectDivisionError();
    EXPECT_EQ(FilesInOut(), 0u);
}

TEST_F(DivideJobTest, SourceThatCannotBeOpenedForWritingFailsBeforeAnyPart) {
    WriteFile(source, PatternBytes(3000));
    FaultyFileLayer files;
    files.FailOp(FileOp::OpenReadWrite);
    Run(Settings(1, SizeUnit::Kbytes), pump, files);
    ExpectDivisionError();
    EXPECT_EQ(FilesInOut(), 0u);
    EXPECT_EQ(files.callCount(FileOp::Create) + files.callCount(FileOp::CreateNew), 0);
}

// The real thing: a file its user may read but not write, with root's rights dropped.
TEST_F(DivideJobTest, ReadOnlySourceOnDiskFailsBeforeAnyPart) {
    WriteFile(source, PatternBytes(3000));
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod(out.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(source.c_str(), 0444), 0);
    pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(2);
        ScriptedPump quiet;
        Run(Settings(1, SizeUnit::Kbytes), quiet);
        bool ok = state.ResultText == "File division error: \"source.bin\"." && !state.Succeeded &&
                  !Exists(Part(1));
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadFile(source), PatternBytes(3000));
}

// Ways in which part 2's path can name the source itself.
enum class SourceAlias { Template, Symlink, HardLink, OtherSpelling };

void PrintTo(SourceAlias alias, std::ostream* os) {
    const char* names[] = {"template", "symlink", "hard link", "other spelling"};
    *os << names[static_cast<int>(alias)];
}

class DivideIntoSource : public DivideJobTest, public ::testing::WithParamInterface<SourceAlias> {};

TEST_P(DivideIntoSource, StopsBeforeCuttingTheSourceAndKeepsEarlierParts) {
    const std::string data = PatternBytes(2560);
    DivideSettings settings = Settings(1, SizeUnit::Kbytes);
    switch (GetParam()) {
        case SourceAlias::Template:
            // Destination is the source's folder; the template gives the source's own name.
            source = dir / "src2";
            settings.SourcePath = source;
            settings.DestinationFolder = dir.path();
            settings.NameTemplate = "src[COUNTER]";
            break;
        case SourceAlias::Symlink:
            std::filesystem::create_symlink(source, Part(2));
            break;
        case SourceAlias::HardLink:
            WriteFile(source, data);
            std::filesystem::create_hard_link(source, Part(2));
            break;
        case SourceAlias::OtherSpelling:
            source = out + "/part2";
            settings.SourcePath = dir / "out/../out/./part2";
            break;
    }
    WriteFile(source, data);
    const int descriptors = OpenDescriptorCount();

    Run(settings, pump);

    EXPECT_EQ(state.ResultText, DivisionErrorText(settings.SourcePath));
    EXPECT_FALSE(state.Succeeded);
    EXPECT_FALSE(state.Stopped);
    EXPECT_EQ(ReadFile(source), data);
    const std::string first =
        JoinPath(settings.DestinationFolder, MakePartName(settings.NameTemplate, 1));
    EXPECT_EQ(ReadFile(first), data.substr(0, 1024));
    EXPECT_FALSE(
        Exists(JoinPath(settings.DestinationFolder, MakePartName(settings.NameTemplate, 3))));
    EXPECT_EQ(progress.calls, (std::vector<std::string>{"max 3", "pos 1"}));
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
}

INSTANTIATE_TEST_SUITE_P(AllAliases, DivideIntoSource,
                         ::testing::Values(SourceAlias::Template, SourceAlias::Symlink,
                                           SourceAlias::HardLink, SourceAlias::OtherSpelling));

TEST_F(DivideJobTest, FullDiskWhilePartTwoIsWritten) {
    const std::string data = PatternBytes(2560);
    WriteFile(source, data);
    std::filesystem::create_symlink("/dev/full", Part(2));
    const int descriptors = OpenDescriptorCount();

    Run(Settings(1, SizeUnit::Kbytes), pump);

    ExpectDivisionError();
    EXPECT_EQ(ReadFile(Part(1)), data.substr(0, 1024));
    EXPECT_FALSE(Exists(Part(3)));
    EXPECT_EQ(progress.calls, (std::vector<std::string>{"max 3", "pos 1"}));
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
    EXPECT_EQ(ReadFile(source), data);
}

struct FaultCase {
    const char* label;
    FileOp op;
    int occurrence;
    std::int64_t bytesBeforeFailure;
    std::size_t partTwoSize;  // what part 2 holds after the failure
};

void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.label;
}

class DivideFaults : public DivideJobTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(DivideFaults, LeavesEarlierPartsCompleteAndClosesEverything) {
    const FaultCase& c = GetParam();
    const std::string data = PatternBytes(2560);
    WriteFile(source, data);
    FaultyFileLayer files;
    files.FailOp(c.op, c.occurrence);
    files.SetBytesBeforeCopyFailure(c.bytesBeforeFailure);
    const int descriptors = OpenDescriptorCount();

    Run(Settings(1, SizeUnit::Kbytes), pump, files);

    ExpectDivisionError();
    EXPECT_EQ(ReadFile(Part(1)), data.substr(0, 1024));
    EXPECT_EQ(ReadFile(Part(2)), data.substr(1024, c.partTwoSize));
    EXPECT_FALSE(Exists(Part(3)));
    EXPECT_EQ(files.openHandles(), 0);
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
    EXPECT_EQ(ReadFile(source), data);
}

INSTANTIATE_TEST_SUITE_P(
    PartTwo, DivideFaults,
    ::testing::Values(FaultCase{"WriteFailsAtOnce", FileOp::Write, 2, 0, 0},
                      FaultCase{"WriteFailsAfterSomeBytes", FileOp::Write, 2, 300, 300},
                      FaultCase{"CloseFails", FileOp::Close, 2, 0, 1024}),
    [](const ::testing::TestParamInfo<FaultCase>& info) { return info.param.label; });

// A source cut short by another program while it is divided: the parts already written stay,
// the part being written keeps what was read, and nothing after it is made.
struct ShrinkCase {
    const char* label;
    std::size_t sourceSize;
    double partKbytes;
    std::int64_t endsAfter;              // bytes readable before the early end of the file
    std::vector<std::size_t> partSizes;  // what the parts hold afterwards
};

void PrintTo(const ShrinkCase& c, std::ostream* os) {
    *os << c.label;
}

class DivideShrunkSource : public DivideJobTest,
                           public ::testing::WithParamInterface<ShrinkCase> {};

TEST_P(DivideShrunkSource, IsTheDivisionErrorAndKeepsWhatWasWritten) {
    const ShrinkCase& c = GetParam();
    const std::string data = PatternBytes(c.sourceSize);
    WriteFile(source, data);
    FaultyFileLayer files;
    files.EndFilesAfter(c.endsAfter);

    Run(Settings(c.partKbytes, SizeUnit::Kbytes), pump, files);

    ExpectDivisionError();
    std::size_t offset = 0;
    for (std::size_t p = 1; p <= c.partSizes.size(); ++p) {
        EXPECT_EQ(ReadFile(Part(p)), data.substr(offset, c.partSizes[p - 1])) << "part " << p;
        offset += c.partSizes[p - 1];
    }
    EXPECT_EQ(FilesInOut(), c.partSizes.size());
    EXPECT_EQ(files.openHandles(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    EarlyEnd, DivideShrunkSource,
    ::testing::Values(
        // Small parts, read a block at a time.
        ShrinkCase{"BlocksEndInsidePartTwo", 2560, 1, 1500, {1024, 476}},
        ShrinkCase{"BlocksEndOnAPartBoundary", 2560, 1, 2048, {1024, 1024, 0}},
        ShrinkCase{"BlocksEndOneByteShort", 2560, 1, 2559, {1024, 1024, 511}},
        // Large parts, copied in slices.
        ShrinkCase{"SlicesEndInsidePartTwo", 300000, 200, 250000, {204800, 45200}},
        ShrinkCase{"SlicesEndInsidePartOne", 300000, 200, 100000, {100000}},
        ShrinkCase{"SlicesEndOneByteShort", 300000, 200, 299999, {204800, 95199}}),
    [](const ::testing::TestParamInfo<ShrinkCase>& info) { return info.param.label; });

TEST_F(DivideJobTest, SourceThatGrowsIsDividedAtTheSizeItHadAtTheStart) {
    const std::string data = PatternBytes(300000);
    WriteFile(source, data);
    FaultyFileLayer files;
    // Another program appends to the source while its first part is copied.
    bool grown = false;
    files.SetBeforeCopy([&](std::int64_t) {
        if (!grown)
            std::ofstream(source, std::ios::binary | std::ios::app) << std::string(5000, 'x');
        grown = true;
    });

    Run(Settings(200, SizeUnit::Kbytes), pump, files);

    EXPECT_TRUE(state.Succeeded);
    EXPECT_EQ(state.ResultText, "2 file(s) sucessfully created!");
    EXPECT_EQ(ReadFile(Part(1)), data.substr(0, 204800));
    EXPECT_EQ(ReadFile(Part(2)).substr(0, 95200), data.substr(204800));
    EXPECT_EQ(FilesInOut(), 2u);
}

TEST_F(DivideJobTest, SourceCloseFailingAfterTheLastPartIsNoSuccess) {
    const std::string data = PatternBytes(2048);
    WriteFile(source, data);
    FaultyFileLayer files;
    files.FailOp(FileOp::Close, 3);  // part 1, part 2, then the source
    Run(Settings(1, SizeUnit::Kbytes), pump, files);
    ExpectDivisionError();
    EXPECT_EQ(ReadFile(Part(2)), data.substr(1024));
    EXPECT_EQ(files.openHandles(), 0);
}

// Every file call of a good job, made to fail in turn: each ends as the division error with
// nothing left open.
TEST_F(DivideJobTest, AnyFailingFileCallEndsAsTheDivisionErrorWithNothingOpen) {
    WriteFile(source, PatternBytes(2560));
    WriteFile(Part(2), "old");  // so that a Truncate is among the calls
    FaultyFileLayer counting;
    Run(Settings(1, SizeUnit::Kbytes), pump, counting);
    ASSERT_TRUE(state.Succeeded);
    ASSERT_EQ(counting.callCount(FileOp::Truncate), 1);
    const int descriptors = OpenDescriptorCount();

    for (std::int64_t n = 1; n <= counting.callCount(); ++n) {
        WriteFile(Part(2), "old");
        FaultyFileLayer files;
        files.FailNth(n);
        Run(Settings(1, SizeUnit::Kbytes), pump, files);
        SCOPED_TRACE(testing::FileOpName(files.log()[n - 1]));
        ExpectDivisionError();
        EXPECT_EQ(files.openHandles(), 0);
        EXPECT_EQ(OpenDescriptorCount(), descriptors);
    }
}

TEST_F(DivideJobTest, CancelWhilePausedAfterPartTwoLeavesAnEmptyPartThree) {
    const std::string data = PatternBytes(5 * 1024);
    WriteFile(source, data);
    WriteFile(Part(3), "leftover");
    ScriptedPump pump([&](int n) {
        if (n == 2) PauseJob(state);
        if (n == 3) {
            EXPECT_EQ(ReadFile(Part(3)), "leftover");  // paused before part 3 begins
        }
        if (n == 4) CancelJob(state);
    });
    const int descriptors = OpenDescriptorCount();

    Run(Settings(1, SizeUnit::Kbytes), pump);

    EXPECT_EQ(state.ResultText, "The process was terminated.");
    EXPECT_FALSE(state.Succeeded);
    EXPECT_TRUE(state.Stopped);
    EXPECT_EQ(ReadFile(Part(2)), data.substr(1024, 1024));
    EXPECT_EQ(ReadFile(Part(3)), "");
    EXPECT_FALSE(Exists(Part(4)));
    EXPECT_FALSE(Exists(Part(5)));
    EXPECT_EQ(progress.calls, (std::vector<std::string>{"max 5", "pos 1", "pos 2", "pos 3"}));
    // Pumps: after parts 1 and 2, twice in the pause wait, once after part 3.
    EXPECT_EQ(pump.pumps, 5);
    EXPECT_EQ(pump.waits, 1);
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
}

TEST_F(DivideJobTest, PauseSleepsInTheEventWaitAndContinueGoesOn) {
    const std::string data = PatternBytes(3000);
    WriteFile(source, data);
    int pumpsWhilePaused = 0;
    ScriptedPump pump([&](int n) {
        if (n == 1) PauseJob(state);
        if (state.Paused && n > 1) {
            ++pumpsWhilePaused;
            EXPECT_FALSE(Exists(Part(2)));
            if (pumpsWhilePaused == 3) ResumeJob(state);
        }
    });

    Run(Settings(1, SizeUnit::Kbytes), pump);

    EXPECT_TRUE(state.Succeeded);
    EXPECT_EQ(ReadFile(Part(3)), data.substr(2048));
    // One wait between each two pumps of the pause, none after the pump that resumed.
    EXPECT_EQ(pump.waits, 2);
    EXPECT_EQ(pump.pumps, 3 + 3);
}

TEST_F(DivideJobTest, CancelOrPauseAfterTheLastPartStillSucceeds) {
    WriteFile(source, PatternBytes(2048));
    for (bool cancel : {true, false}) {
        ScriptedPump pump([&](int n) {
            if (n == 2) cancel ? CancelJob(state) : PauseJob(state);
        });
        Run(Settings(1, SizeUnit::Kbytes), pump);
        EXPECT_TRUE(state.Succeeded) << cancel;
        EXPECT_EQ(state.ResultText, "2 file(s) sucessfully created!");
        EXPECT_FALSE(state.Stopped);
        EXPECT_EQ(pump.pumps, 2);
        EXPECT_EQ(pump.waits, 0);
    }
}

// A sparse source beyond 4 GiB, divided at a part size above 2 GiB (and one that is negative
// in 32 bits). The big first part goes to /dev/null; the small second part must hold exactly
// the bytes written at the far end of the source, which it only does if every count is 64-bit.
TEST_F(DivideJobTest, SourcesAndPartsBeyondThirtyTwoBits) {
    constexpr std::int64_t kPartSize = (std::int64_t{4} << 30) - 4096;
    constexpr std::int64_t kSourceSize = (std::int64_t{4} << 30) + 8192;
    const std::string tail = PatternBytes(kSourceSize - kPartSize, 7);
    {
        int fd = ::open(source.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, kSourceSize), 0);
        ASSERT_EQ(::pwrite(fd, tail.data(), tail.size(), kPartSize),
                  static_cast<ssize_t>(tail.size()));
        ::close(fd);
    }
    std::filesystem::create_symlink("/dev/null", Part(1));

    Run(Settings(static_cast<double>(kPartSize) / 1024, SizeUnit::Kbytes), pump);

    EXPECT_EQ(state.ResultText, "2 file(s) sucessfully created!");
    EXPECT_TRUE(state.Succeeded);
    EXPECT_EQ(ReadFile(Part(2)), tail);
    EXPECT_EQ(progress.calls, (std::vector<std::string>{"max 2", "pos 1", "pos 2"}));
}

}  // namespace
}  // namespace partory
