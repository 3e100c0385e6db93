// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "faulty_file_layer.h"
#include "forwarding_layer.h"
#include "partory/combine_job.h"
#include "temp_dir.h"

namespace partory {
namespace {

using testing::FaultyFileLayer;
using testing::FileOp;
using testing::ForwardingLayer;
using testing::OpenDescriptorCount;
using testing::PatternBytes;
using testing::ReadFile;
using testing::RecordingProgress;
using testing::ScriptedPump;
using testing::TempDir;
using testing::WriteFile;

constexpr const char* kCopyError = "Error while copying a file.";

std::int64_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&tm));
}

void SetFileTime(const std::string& path, std::int64_t seconds) {
    struct timespec times[2] = {{static_cast<time_t>(seconds), 0},
                                {static_cast<time_t>(seconds), 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

std::int64_t FileTime(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return -1;
    return st.st_mtim.tv_sec;
}

// A zone with daylight saving, written out so that no time zone data is needed: a time
// converted back as standard time is an hour off in summer only.
constexpr const char* kCentralEurope = "CET-1CEST,M3.5.0,M10.5.0/3";

// The local time zone for the life of one object.
class ZoneSet {
  public:
    explicit ZoneSet(const char* zone) {
        if (const char* old = std::getenv("TZ")) old_ = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ZoneSet() {
        if (old_)
            ::setenv("TZ", old_->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    ZoneSet(const ZoneSet&) = delete;
    ZoneSet& operator=(const ZoneSet&) = delete;

  private:
    std::optional<std::string> old_;
};

class DosTime : public ::testing::TestWithParam<const char*> {};

TEST_P(DosTime, KeepsTwoSecondStepsWithinTheDosYears) {
    const ZoneSet zone(GetParam());
    struct Row {
        std::int64_t in;
        std::optional<std::int64_t> out;
    };
    const Row rows[] = {
        {LocalTime(1980, 1, 1, 0, 0, 0), LocalTime(1980, 1, 1, 0, 0, 0)},
        {LocalTime(1980, 1, 1, 0, 0, 1), LocalTime(1980, 1, 1, 0, 0, 0)},
        {LocalTime(1979, 12, 31, 23, 59, 59), std::nullopt},
        {LocalTime(2020, 6, 15, 12, 34, 57), LocalTime(2020, 6, 15, 12, 34, 56)},
        {LocalTime(2000, 2, 29, 23, 59, 59), LocalTime(2000, 2, 29, 23, 59, 58)},
        {LocalTime(2107, 12, 31, 23, 59, 59), LocalTime(2107, 12, 31, 23, 59, 58)},
        {LocalTime(2108, 1, 1, 0, 0, 0), std::nullopt},
        {-1000000000, std::nullopt},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(RoundTripDosTime(row.in), row.out) << "time " << row.in;
    }
}

INSTANTIATE_TEST_SUITE_P(Zone, DosTime, ::testing::Values(kCentralEurope, "UTC0"),
                         [](const auto& info) {
                             return std::string(info.index == 0 ? "CentralEurope" : "Utc");
                         });

class CombineJob : public ::testing::Test {
  protected:
    void SetUp() override { descriptorsBefore_ = OpenDescriptorCount(); }
    void TearDown() override {
        EXPECT_EQ(OpenDescriptorCount(), descriptorsBefore_) << "the job left a file open";
    }

    // Writes inputs of distinct content and sizes; returns their paths.
    std::vector<std::string> MakeInputs(int count, std::size_t size = 70000) {
        std::vector<std::string> paths;
        for (int i = 1; i <= count; ++i) {
            std::string path = dir / ("in" + std::to_string(i));
            WriteFile(path, PatternBytes(size + static_cast<std::size_t>(i) * 13, i));
            paths.push_back(path);
        }
        return paths;
    }

    static std::string Concat(const std::vector<std::string>& paths, std::size_t count) {
        std::string all;
        for (std::size_t i = 0; i < count; ++i) all += ReadFile(paths[i]);
        return all;
    }

    void Run(FileLayer& files = OsFileLayer()) {
        ResetRunState(state);
        RunCombineJob(settings, state, progress, pump, files);
    }

    TempDir dir;
    CombineSettings settings;
    RunState state;
    RecordingProgress progress;
    ScriptedPump pump;

  private:
    const ZoneSet zone_{kCentralEurope};  // the times below fall in winter and in summer
    int descriptorsBefore_ = 0;
};

TEST_F(CombineJob, OneInputIsCopiedWithItsTimeToTwoSeconds) {
    settings.InputPaths = MakeInputs(1);
    settings.OutputPath = dir / "out";
    SetFileTime(settings.InputPaths[0], LocalTime(2021, 3, 4, 5, 6, 7));

    Run();

    EXPECT_TRUE(state.Succeeded);
    EXPECT_FALSE(state.Stopped);
    EXPECT_EQ(state.ResultText, "1 file(s) processed sucessfully!");
    EXPECT_EQ(ReadFile(settings.OutputPath), ReadFile(settings.InputPaths[0]));
    EXPECT_EQ(FileTime(settings.OutputPath), LocalTime(2021, 3, 4, 5, 6, 6));
    EXPECT_EQ(progress.calls, (std::vector<std::string>{"max 1", "pos 0", "pos 1"}));
    EXPECT_EQ(pump.pumps, 1);
}

TEST_F(CombineJob, EmptyInputAddsNothingButGivesItsTime) {
    auto inputs = MakeInputs(1);
    std::string empty = dir / "empty";
    WriteFile(empty, "");
    SetFileTime(inputs[0], LocalTime(2010, 1, 1, 10, 0, 0));
    SetFileTime(empty, LocalTime(2015, 7, 8, 9, 10, 12));
    settings.InputPaths = {inputs[0], empty};
    settings.OutputPath = dir / "out";

    Run();

    EXPECT_TRUE(state.Succeeded);
    EXPECT_EQ(state.ResultText, "2 file(s) processed sucessfully!");
    EXPECT_EQ(ReadFile(settings.OutputPath), ReadFile(inputs[0]));
    EXPECT_EQ(FileTime(settings.OutputPath), LocalTime(2015, 7, 8, 9, 10, 12));
    EXPECT_EQ(progress.position(), 2);
}

// What the output's time is when a later input's time lies outside the DOS years: what setting
// the time after each input would have left.
struct OutOfRangeTimeCase {
    const char* label;
    std::size_t lastInputSize;
    bool keepsFirstInputTime;  // else the time of the last write
};

class CombineOutOfRangeTime : public CombineJob,
                              public ::testing::WithParamInterface<OutOfRangeTimeCase> {};

TEST_P(CombineOutOfRangeTime, LeavesTheTimeTheOutputHadAfterTheInputBefore) {
    const auto inputs = MakeInputs(1);
    const std::string last = dir / "last";
    WriteFile(last, PatternBytes(GetParam().lastInputSize, 5));
    SetFileTime(inputs[0], LocalTime(2001, 1, 1, 0, 0, 0));
    SetFileTime(last, LocalTime(1975, 1, 1, 0, 0, 0));
    settings.InputPaths = {inputs[0], last};
    settings.OutputPath = dir / "out";
    const std::int64_t started = std::time(nullptr);

    Run();

    EXPECT_TRUE(state.Succeeded);
    if (GetParam().keepsFirstInputTime) {
        EXPECT_EQ(FileTime(settings.OutputPath), LocalTime(2001, 1, 1, 0, 0, 0));
    } else {
        EXPECT_GE(FileTime(settings.OutputPath), started);
    }
}

INSTANTIATE_TEST_SUITE_P(
    LastInput, CombineOutOfRangeTime,
    ::testing::Values(
        // Its bytes were written after the first input's time was set: the time of that write.
        OutOfRangeTimeCase{"WithBytes", 4000, false},
        // Nothing was written after the first input's time was set: that time stays.
        OutOfRangeTimeCase{"Empty", 0, true}),
    [](const ::testing::TestParamInfo<OutOfRangeTimeCase>& info) { return info.param.label; });

TEST_F(CombineJob, SamePathTwiceIsAppendedTwiceAndExistingOutputIsReplaced) {
    auto inputs = MakeInputs(2);
    settings.InputPaths = {inputs[0], inputs[1], inputs[0]};
    settings.OutputPath = dir / "out";
    WriteFile(settings.OutputPath, PatternBytes(1000000, 99));

    Run();

    EXPECT_TRUE(state.Succeeded);
    EXPECT_EQ(state.ResultText, "3 file(s) processed sucessfully!");
    EXPECT_EQ(ReadFile(settings.OutputPath),
              ReadFile(inputs[0]) + ReadFile(inputs[1]) + ReadFile(inputs[0]));
}

// Cancel confirmed in the pump after input k (0: in the job start's pump).
class CombineCancel : public CombineJob, public ::testing::WithParamInterface<int> {};

TEST_P(CombineCancel, StopsBeforeTheNextInputOrSucceedsAfterTheLast) {
    const int n = 3;
    const int k = GetParam();
    settings.InputPaths = MakeInputs(n);
    settings.OutputPath = dir / "out";
    WriteFile(settings.OutputPath, "old content");
    pump = ScriptedPump([&](int count) {
        if (count == k) CancelJob(state);
    });
    ResetRunState(state);
    if (k == 0) CancelJob(state);

    RunCombineJob(settings, state, progress, pump, OsFileLayer());

    EXPECT_EQ(ReadFile(settings.OutputPath), Concat(settings.InputPaths, k));
    EXPECT_EQ(progress.position(), k);
    if (k == n) {
        EXPECT_TRUE(state.Succeeded);
        EXPECT_FALSE(state.Stopped);
        EXPECT_EQ(state.ResultText, "3 file(s) processed sucessfully!");
    } else {
        EXPECT_FALSE(state.Succeeded);
        EXPECT_TRUE(state.Stopped);
        EXPECT_EQ(state.ResultText, "The process was terminated.");
    }
}

INSTANTIATE_TEST_SUITE_P(AfterInput, CombineCancel, ::testing::Values(0, 1, 2, 3));

TEST_F(CombineJob, PauseHoldsTheJobBeforeTheNextInputIsOpened) {
    settings.InputPaths = MakeInputs(2);
    settings.OutputPath = dir / "out";
    std::string first = ReadFile(settings.InputPaths[0]);
    std::vector<std::string> seenWhilePaused;
    pump = ScriptedPump([&](int count) {
        if (count == 1) PauseJob(state);
        if (count > 1 && count < 4) seenWhilePaused.push_back(ReadFile(settings.OutputPath));
        if (count == 3) ResumeJob(state);
    });

    Run();

    EXPECT_TRUE(state.Succeeded);
    EXPECT_EQ(seenWhilePaused, (std::vector<std::string>{first, first}));
    EXPECT_EQ(ReadFile(settings.OutputPath), Concat(settings.InputPaths, 2));
    EXPECT_EQ(pump.pumps, 4);
}

TEST_F(CombineJob, CancelWhilePausedEndsTheWait) {
    settings.InputPaths = MakeInputs(3);
    settings.OutputPath = dir / "out";
    pump = ScriptedPump([&](int count) {
        if (count == 1) PauseJob(state);
        if (count == 2) CancelJob(state);
    });

    Run();

    EXPECT_EQ(state.ResultText, "The process was terminated.");
    EXPECT_EQ(progress.position(), 1);
    EXPECT_EQ(ReadFile(settings.OutputPath), Concat(settings.InputPaths, 1));
}

// Input k (1-based) of 3 cannot be read: missing, or refused by the system.
class CombineInputFails : public CombineJob, public ::testing::WithParamInterface<int> {};

TEST_P(CombineInputFails, DeletedInputStopsWithInputsBeforeIt) {
    const int k = GetParam();
    auto inputs = MakeInputs(3);
    std::vector<std::string> before(inputs.begin(), inputs.begin() + k - 1);
    std::string expected = Concat(inputs, static_cast<std::size_t>(k - 1));
    ASSERT_EQ(::unlink(inputs[k - 1].c_str()), 0);
    settings.InputPaths = inputs;
    settings.OutputPath = dir / "out";

    Run();

    EXPECT_FALSE(state.Succeeded);
    EXPECT_TRUE(state.Stopped);
    EXPECT_EQ(state.ResultText, kCopyError);
    EXPECT_EQ(progress.position(), k - 1);
    EXPECT_EQ(ReadFile(settings.OutputPath), expected);
}

TEST_P(CombineInputFails, UnreadableInputStopsWithInputsBeforeIt) {
    const int k = GetParam();
    settings.InputPaths = MakeInputs(3);
    settings.OutputPath = dir / "out";
    FaultyFileLayer files;
    files.FailOp(FileOp::OpenRead, k);

    Run(files);

    EXPECT_EQ(state.ResultText, kCopyError);
    EXPECT_TRUE(state.Stopped);
    EXPECT_EQ(progress.position(), k - 1);
    EXPECT_EQ(ReadFile(settings.OutputPath), Concat(settings.InputPaths, k - 1));
    EXPECT_EQ(files.openHandles(), 0);
}

TEST_P(CombineInputFails, CopyFailingMidwayKeepsWhatWasWritten) {
    const int k = GetParam();
    settings.InputPaths = MakeInputs(3);
    settings.OutputPath = dir / "out";
    FaultyFileLayer files;
    files.FailOp(FileOp::Copy, k);
    files.SetBytesBeforeCopyFailure(5000);

    Run(files);

    EXPECT_EQ(state.ResultText, kCopyError);
    EXPECT_FALSE(state.Succeeded);
    EXPECT_EQ(progress.position(), k - 1);
    EXPECT_EQ(
        ReadFile(settings.OutputPath),
        Concat(settings.InputPaths, k - 1) + ReadFile(settings.InputPaths[k - 1]).substr(0, 5000));
    EXPECT_EQ(files.openHandles(), 0);
}

INSTANTIATE_TEST_SUITE_P(AtInput, CombineInputFails, ::testing::Values(1, 2, 3));

// The real layer, except that every copy stops one byte short, as when an input shrinks
// after its size was taken.
class ShortCopyLayer final : public ForwardingLayer {
  public:
    using ForwardingLayer::ForwardingLayer;
    std::int64_t Copy(FileHandle from, FileHandle to, std::int64_t count) override {
        return below_.Copy(from, to, count - 1);
    }
};

TEST_F(CombineJob, InputShorterThanItsSizeIsAFailure) {
    settings.InputPaths = MakeInputs(2);
    settings.OutputPath = dir / "out";
    FaultyFileLayer real;  // counts the handles left open
    ShortCopyLayer files(real);

    Run(files);

    EXPECT_EQ(state.ResultText, kCopyError);
    EXPECT_EQ(progress.position(), 0);
    EXPECT_EQ(real.openHandles(), 0);
}

TEST_F(CombineJob, FullDiskIsAFailureOfTheInput) {
    settings.InputPaths = MakeInputs(2);
    settings.OutputPath = dir / "out";
    ASSERT_EQ(::symlink("/dev/full", settings.OutputPath.c_str()), 0);

    Run();

    EXPECT_FALSE(state.Succeeded);
    EXPECT_TRUE(state.Stopped);
    EXPECT_EQ(state.ResultText, kCopyError);
    EXPECT_EQ(progress.position(), 0);
}

TEST_F(CombineJob, FailedCloseOfTheOutputIsNotASuccess) {
    settings.InputPaths = MakeInputs(2);
    settings.OutputPath = dir / "out";
    FaultyFileLayer files;
    files.FailOp(FileOp::Close, 3);  // inputs 1 and 2, then the output

    Run(files);

    EXPECT_FALSE(state.Succeeded);
    EXPECT_TRUE(state.Stopped);
    EXPECT_EQ(state.ResultText, kCopyError);
    EXPECT_EQ(progress.position(), 2);
}

TEST_F(CombineJob, FailedCloseOfAFullyReadInputLosesNothing) {
    settings.InputPaths = MakeInputs(2);
    settings.OutputPath = dir / "out";
    FaultyFileLayer files;
    files.FailOp(FileOp::Close, 1);

    Run(files);

    EXPECT_TRUE(state.Succeeded);
    EXPECT_EQ(ReadFile(settings.OutputPath), Concat(settings.InputPaths, 2));
}

TEST_F(CombineJob, OutputThatCannotBeCreatedTouchesNoInput) {
    settings.InputPaths = MakeInputs(2);
    std::string before = Concat(settings.InputPaths, 2);
    for (const std::string& output : {dir / "missing/out", dir.path()}) {
        settings.OutputPath = output;
        Run();
        EXPECT_FALSE(state.Succeeded) << output;
        EXPECT_EQ(state.ResultText, "Unable to create the combined file.") << output;
        EXPECT_TRUE(progress.calls.empty()) << output;
    }
    FaultyFileLayer files;
    files.FailOp(FileOp::Create);
    settings.OutputPath = dir / "out";
    Run(files);
    EXPECT_EQ(state.ResultText, "Unable to create the combined file.");
    EXPECT_EQ(files.callCount(FileOp::OpenRead), 0);
    EXPECT_EQ(Concat(settings.InputPaths, 2), before);
}

TEST_F(CombineJob, OutputLockedByAnotherJobIsNotCreated) {
    settings.InputPaths = MakeInputs(1);
    settings.OutputPath = dir / "out";
    WriteFile(settings.OutputPath, "held");
    FileHandle held = OsFileLayer().Create(settings.OutputPath, true);
    ASSERT_NE(held, kNoFile);

    Run();
    OsFileLayer().Close(held);

    EXPECT_EQ(state.ResultText, "Unable to create the combined file.");
    EXPECT_EQ(ReadFile(settings.OutputPath), "held");
}

// Only regular files are inputs: a device or a folder fails, and a named pipe is never opened.
TEST_F(CombineJob, InputThatIsNoRegularFileIsAFailure) {
    auto inputs = MakeInputs(1);
    for (const std::string& odd : {std::string("/dev/null"), dir.path()}) {
        settings.InputPaths = {inputs[0], odd};
        settings.OutputPath = dir / "out";
        Run();
        EXPECT_EQ(state.ResultText, kCopyError) << odd;
        EXPECT_EQ(progress.position(), 1) << odd;
        EXPECT_EQ(ReadFile(settings.OutputPath), ReadFile(inputs[0])) << odd;
    }
}

// A listed input that does not exist when the job starts cannot be the output, but one put
// in its place while the job runs may be: the job must not append the output into itself.
TEST_F(CombineJob, InputReplacedByTheOutputDuringTheJobIsAFailure) {
    auto inputs = MakeInputs(2);
    settings.InputPaths = inputs;
    settings.OutputPath = dir / "out";
    pump = ScriptedPump([&](int count) {
        if (count != 1) return;
        ::unlink(inputs[1].c_str());
        ASSERT_EQ(::link(settings.OutputPath.c_str(), inputs[1].c_str()), 0);
    });

    Run();

    EXPECT_EQ(state.ResultText, kCopyError);
    EXPECT_EQ(progress.position(), 1);
    EXPECT_EQ(ReadFile(settings.OutputPath), ReadFile(inputs[0]));
}

TEST_F(CombineJob, MissingInputNamedAsTheOutputFailsAtItLikeAnyMissingInput) {
    // The output is new, so it holds nothing of the user's; the input naming it is refused
    // when its turn comes, and it never reads itself.
    auto inputs = MakeInputs(1);
    settings.OutputPath = dir / "out";
    settings.InputPaths = {inputs[0], settings.OutputPath, inputs[0]};

    Run();

    EXPECT_EQ(state.ResultText, kCopyError);
    EXPECT_EQ(progress.position(), 1);
    EXPECT_EQ(ReadFile(settings.OutputPath), ReadFile(inputs[0]));
}

TEST_F(CombineJob, InputOfMoreThanFourGibibytesIsCopiedWhole) {
    const std::int64_t size = (std::int64_t{4} << 30) + 12345;
    std::string big = dir / "big";
    const std::string tail = "end of the big input";
    {
        int fd = ::open(big.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::ftruncate(fd, size), 0);
        ASSERT_EQ(::pwrite(fd, tail.data(), tail.size(), size - static_cast<off_t>(tail.size())),
                  static_cast<ssize_t>(tail.size()));
        ASSERT_EQ(::pwrite(fd, "X", 1, std::int64_t{1} << 32), 1);
        ::close(fd);
    }
    auto small = MakeInputs(1, 10);
    settings.InputPaths = {small[0], big};
    settings.OutputPath = dir / "out";

    Run();

    ASSERT_TRUE(state.Succeeded) << state.ResultText;
    const std::int64_t offset = static_cast<std::int64_t>(ReadFile(small[0]).size());
    struct stat st {};
    ASSERT_EQ(::stat(settings.OutputPath.c_str(), &st), 0);
    EXPECT_EQ(st.st_size, offset + size);
    int fd = ::open(settings.OutputPath.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    std::string end(tail.size(), '\0');
    char mark = 0;
    EXPECT_EQ(::pread(fd, end.data(), end.size(), offset + size - static_cast<off_t>(tail.size())),
              static_cast<ssize_t>(tail.size()));
    EXPECT_EQ(::pread(fd, &mark, 1, offset + (std::int64_t{1} << 32)), 1);
    ::close(fd);
    EXPECT_EQ(end, tail);
    EXPECT_EQ(mark, 'X');
}

}  // namespace
}  // namespace partory
