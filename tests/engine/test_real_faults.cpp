// SPDX-License-Identifier: GPL-3.0-or-later
// Faults that come from the system itself, not from a test layer: a full device, a file size
// limit, files changed between the check and the job, rights the user does not have, and
// failed system calls injected into a real process by strace.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "partory/combine_job.h"
#include "partory/divide_job.h"
#include "partory/settings_check.h"
#include "same_bytes.h"
#include "temp_dir.h"

namespace partory::testing {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDivisionError = "File division error: \"source.bin\".";
constexpr const char* kCopyError = "Error while copying a file.";
constexpr uid_t kNobody = 65534;

// What a job left, in one line, so that a child process can hand it back through a pipe.
std::string Outcome(const RunState& state, const RecordingProgress& progress) {
    return std::string(state.Succeeded ? "success" : "failure") + "|" + state.ResultText + "|" +
           std::to_string(progress.position());
}

std::string CheckOutcome(const SettingsCheckResult& result) {
    return result.Passed ? "passed" : result.MessageText;
}

// Runs `body` in a forked child, as the user nobody when asked, and returns what it returned.
// The test process itself keeps its rights, so the test can set up and inspect as root.
std::string RunInChild(const std::function<std::string()>& body, bool asNobody) {
    int fds[2];
    if (::pipe(fds) != 0) return "pipe failed";
    const pid_t pid = ::fork();
    if (pid < 0) return "fork failed";
    if (pid == 0) {
        ::close(fds[0]);
        std::string result;
        if (asNobody && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 ||
                         ::setuid(kNobody) != 0 || ::geteuid() != kNobody)) {
            result = "could not become nobody";
        } else {
            try {
                result = body();
            } catch (const std::exception& e) {
                result = std::string("threw: ") + e.what();
            }
        }
        const char* at = result.data();
        std::size_t left = result.size();
        while (left > 0) {
            ssize_t put = ::write(fds[1], at, left);
            if (put <= 0) break;
            at += put;
            left -= static_cast<std::size_t>(put);
        }
        ::_exit(0);
    }
    ::close(fds[1]);
    std::string result;
    char buffer[4096];
    for (ssize_t got; (got = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        result.append(buffer, got);
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return "child ended abnormally, status " + std::to_string(status) + ": " + result;
    }
    return result;
}

struct Job {
    RunState state;
    RecordingProgress progress;
    ScriptedPump pump;
    std::string Divide(DivideSettings settings) {
        RunDivideJob(settings, state, progress, pump, OsFileLayer());
        return Outcome(state, progress);
    }
    std::string Combine(const CombineSettings& settings) {
        RunCombineJob(settings, state, progress, pump, OsFileLayer());
        return Outcome(state, progress);
    }
};

// A temporary folder that the user nobody can enter and write in.
struct SharedDir : TempDir {
    SharedDir() { ::chmod(path().c_str(), 0777); }
};

DivideSettings DivideInto(const std::string& source, const std::string& folder, double kbytes) {
    DivideSettings settings;
    settings.SourcePath = source;
    settings.DestinationFolder = folder;
    settings.NameTemplate = "P[COUNTER].bin";
    settings.PartSizeValue = kbytes;
    settings.Unit = SizeUnit::Kbytes;
    return settings;
}

// ---------------------------------------------------------------------------------------------
// A full disk.

TEST(FullDisk, PartThatLinksToDevFullEndsTheDivideWithPart1Complete) {
    TempDir dir;
    const std::string bytes = PatternBytes(2600);
    WriteFile(dir / "source.bin", bytes);
    fs::create_symlink("/dev/full", dir / "P2.bin");
    const int descriptors = OpenDescriptorCount();
    Job job;
    EXPECT_EQ(job.Divide(DivideInto(dir / "source.bin", dir.path(), 1)),
              std::string("failure|") + kDivisionError + "|1");
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
    EXPECT_TRUE(SameBytes(ReadFile(dir / "P1.bin"), bytes.substr(0, 1024)));
    EXPECT_TRUE(fs::is_symlink(dir / "P2.bin"));
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    EXPECT_FALSE(Exists(dir / "P3.bin"));
    EXPECT_TRUE(SameBytes(ReadFile(dir / "source.bin"), bytes));
}

TEST(FullDisk, OutputThatLinksToDevFullEndsTheCombineWithACopyError) {
    TempDir dir;
    WriteFile(dir / "a", "");
    WriteFile(dir / "b", PatternBytes(5000));
    fs::create_symlink("/dev/full", dir / "out");
    const int descriptors = OpenDescriptorCount();
    Job job;
    // The empty input goes through; the first byte written fails.
    EXPECT_EQ(job.Combine({{dir / "a", dir / "b"}, dir / "out"}),
              std::string("failure|") + kCopyError + "|1");
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
    EXPECT_TRUE(SameBytes(ReadFile(dir / "b"), PatternBytes(5000)));
    EXPECT_TRUE(fs::is_symlink(dir / "out"));
}

// RLIMIT_FSIZE with SIGXFSZ ignored: writes beyond the limit fail with EFBIG after a short
// write up to it. Set in a child so the test process keeps no limit.
TEST(FullDisk, FileSizeLimitStopsTheDivideWithAShortPart) {
    TempDir dir;
    const std::string bytes = PatternBytes(5000);
    WriteFile(dir / "source.bin", bytes);
    const std::string outcome = RunInChild(
        [&] {
            ::signal(SIGXFSZ, SIG_IGN);
            struct rlimit limit = {1500, 1500};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return std::string("setrlimit failed");
            Job job;
            return job.Divide(DivideInto(dir / "source.bin", dir.path(), 2));
        },
        false);
    EXPECT_EQ(outcome, std::string("failure|") + kDivisionError + "|-1");
    EXPECT_TRUE(SameBytes(ReadFile(dir / "P1.bin"), bytes.substr(0, 1500)));
    EXPECT_FALSE(Exists(dir / "P2.bin"));
    EXPECT_TRUE(SameBytes(ReadFile(dir / "source.bin"), bytes));
}

TEST(FullDisk, FileSizeLimitStopsTheCombineInsideInput3) {
    TempDir dir;
    std::vector<std::string> inputs;
    std::string all;
    for (int i = 1; i <= 4; ++i) {
        inputs.push_back(dir / ("in" + std::to_string(i)));
        WriteFile(inputs.back(), PatternBytes(1000, i));
        all += PatternBytes(1000, i);
    }
    const std::string outcome = RunInChild(
        [&] {
            ::signal(SIGXFSZ, SIG_IGN);
            struct rlimit limit = {2500, 2500};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return std::string("setrlimit failed");
            Job job;
            return job.Combine({inputs, dir / "out"});
        },
        false);
    EXPECT_EQ(outcome, std::string("failure|") + kCopyError + "|2");
    EXPECT_TRUE(SameBytes(ReadFile(dir / "out"), all.substr(0, 2500)));
    for (int i = 1; i <= 4; ++i)
        EXPECT_TRUE(SameBytes(ReadFile(inputs[i - 1]), PatternBytes(1000, i)));
}

// ---------------------------------------------------------------------------------------------
// Files that change between the check and the job.

struct CheckedCombine : ::testing::Test {
    TempDir dir;
    std::vector<std::string> inputs;
    CombineSettings settings;
    void SetUp() override {
        for (int i = 1; i <= 3; ++i) {
            inputs.push_back(dir / ("in" + std::to_string(i)));
            WriteFile(inputs.back(), PatternBytes(3000, i));
        }
        settings = {inputs, dir / "out"};
        ASSERT_TRUE(CheckCombineSettings(settings).Passed);
        ASSERT_FALSE(Exists(dir / "out"));
    }
};

TEST_F(CheckedCombine, InputDeletedAfterTheCheckStopsAtIt) {
    fs::remove(inputs[1]);
    Job job;
    EXPECT_EQ(job.Combine(settings), std::string("failure|") + kCopyError + "|1");
    EXPECT_TRUE(SameBytes(ReadFile(dir / "out"), PatternBytes(3000, 1)));
    EXPECT_TRUE(SameBytes(ReadFile(inputs[2]), PatternBytes(3000, 3)));
}

TEST_F(CheckedCombine, InputReplacedAfterTheCheckIsTakenAsItIsNow) {
    WriteFile(dir / "newer", "replacement");
    fs::rename(dir / "newer", inputs[1]);
    Job job;
    EXPECT_EQ(job.Combine(settings), "success|3 file(s) processed sucessfully!|3");
    EXPECT_TRUE(SameBytes(ReadFile(dir / "out"),
                          PatternBytes(3000, 1) + "replacement" + PatternBytes(3000, 3)));
}

TEST_F(CheckedCombine, InputReplacedByALinkToTheOutputIsRefused) {
    fs::remove(inputs[1]);
    fs::create_symlink(dir / "out", inputs[1]);
    Job job;
    // The check's probe left no output, so the job meets the link at input 2 and stops there.
    EXPECT_EQ(job.Combine(settings), std::string("failure|") + kCopyError + "|1");
    EXPECT_TRUE(SameBytes(ReadFile(inputs[0]), PatternBytes(3000, 1)));
    EXPECT_TRUE(SameBytes(ReadFile(inputs[2]), PatternBytes(3000, 3)));
}

struct CheckedDivide : ::testing::Test {
    TempDir dir;
    std::string bytes = PatternBytes(2600);
    DivideSettings settings;
    void SetUp() override {
        WriteFile(dir / "source.bin", bytes);
        settings = DivideInto(dir / "source.bin", dir / "parts", 1);
        ASSERT_TRUE(CheckDivideSettings(settings).Passed);
    }
};

TEST_F(CheckedDivide, SourceDeletedOrMadeAFolderAfterTheCheckIsADivisionError) {
    fs::remove(dir / "source.bin");
    Job deleted;
    EXPECT_EQ(deleted.Divide(settings), std::string("failure|") + kDivisionError + "|-1");
    fs::create_directory(dir / "source.bin");
    Job folder;
    EXPECT_EQ(folder.Divide(settings), std::string("failure|") + kDivisionError + "|-1");
    EXPECT_FALSE(Exists(dir / "parts/P1.bin"));
}

TEST_F(CheckedDivide, PartLinkedToTheSourceAfterTheCheckKeepsTheSource) {
    fs::create_hard_link(dir / "source.bin", dir / "parts/P2.bin");
    Job job;
    EXPECT_EQ(job.Divide(settings), std::string("failure|") + kDivisionError + "|1");
    EXPECT_TRUE(SameBytes(ReadFile(dir / "source.bin"), bytes));
    EXPECT_TRUE(SameBytes(ReadFile(dir / "parts/P1.bin"), bytes.substr(0, 1024)));
    EXPECT_FALSE(Exists(dir / "parts/P3.bin"));
}

// ---------------------------------------------------------------------------------------------
// Rights: run as the user nobody, since the tests run as root and root may write anything.

class AsNobody : public ::testing::Test {
  protected:
    void SetUp() override {
        if (::geteuid() != 0) GTEST_SKIP() << "needs root to switch to the user nobody";
    }
    SharedDir dir;
};

TEST_F(AsNobody, DestinationFolderThatCannotBeWrittenPassesTheCheckAndFailsTheDivide) {
    WriteFile(dir / "source.bin", PatternBytes(2600));
    ::chmod((dir / "source.bin").c_str(), 0666);
    fs::create_directory(dir / "locked");
    ::chmod((dir / "locked").c_str(), 0555);
    const std::string outcome = RunInChild(
        [&] {
            DivideSettings settings = DivideInto(dir / "source.bin", dir / "locked", 1);
            std::string check = CheckOutcome(CheckDivideSettings(settings));
            Job job;
            return check + "/" + job.Divide(settings);
        },
        true);
    EXPECT_EQ(outcome, std::string("passed/failure|") + kDivisionError + "|-1");
    EXPECT_TRUE(fs::is_empty(dir / "locked"));
    EXPECT_TRUE(SameBytes(ReadFile(dir / "source.bin"), PatternBytes(2600)));
}

TEST_F(AsNobody, ReadOnlyOutputIsRefusedByTheCheckAndTheJobAndKeepsItsBytes) {
    WriteFile(dir / "in", "input");
    WriteFile(dir / "out", "precious");
    ::chmod((dir / "in").c_str(), 0644);
    ::chmod((dir / "out").c_str(), 0444);
    const std::string outcome = RunInChild(
        [&] {
            CombineSettings settings{{dir / "in"}, dir / "out"};
            std::string check = CheckOutcome(CheckCombineSettings(settings));
            Job job;
            return check + "/" + job.Combine(settings);
        },
        true);
    EXPECT_EQ(outcome, "Unable to create the following file:\r" + (dir / "out") +
                           "/failure|Unable to create the combined file.|-1");
    EXPECT_TRUE(SameBytes(ReadFile(dir / "out"), "precious"));
    EXPECT_TRUE(SameBytes(ReadFile(dir / "in"), "input"));
}

TEST_F(AsNobody, OutputInAFolderThatCannotBeWrittenIsRefused) {
    WriteFile(dir / "in", "input");
    ::chmod((dir / "in").c_str(), 0644);
    fs::create_directory(dir / "locked");
    ::chmod((dir / "locked").c_str(), 0555);
    const std::string outcome = RunInChild(
        [&] {
            CombineSettings settings{{dir / "in"}, dir / "locked/out"};
            std::string check = CheckOutcome(CheckCombineSettings(settings));
            Job job;
            return check + "/" + job.Combine(settings);
        },
        true);
    EXPECT_EQ(outcome, "Unable to create the following file:\r" + (dir / "locked/out") +
                           "/failure|Unable to create the combined file.|-1");
    EXPECT_TRUE(fs::is_empty(dir / "locked"));
}

TEST_F(AsNobody, UnreadableInputStopsTheCombineAtIt) {
    WriteFile(dir / "in1", "first");
    WriteFile(dir / "in2", "secret");
    ::chmod((dir / "in1").c_str(), 0644);
    ::chmod((dir / "in2").c_str(), 0600);
    const std::string outcome = RunInChild(
        [&] {
            Job job;
            return job.Combine({{dir / "in1", dir / "in2"}, dir / "out"});
        },
        true);
    EXPECT_EQ(outcome, std::string("failure|") + kCopyError + "|1");
    EXPECT_TRUE(SameBytes(ReadFile(dir / "out"), "first"));
    EXPECT_TRUE(SameBytes(ReadFile(dir / "in2"), "secret"));
}

// The output is a second name of an input that lies in a folder the user may not search, so
// the input's identity cannot be read through its own path. Neither the check nor the job may
// empty it on that account.
TEST_F(AsNobody, OutputLinkedToAnInputBehindAFolderWithoutSearchRightKeepsItsBytes) {
    fs::create_directory(dir / "hidden");
    WriteFile(dir / "hidden/in", "the only copy");
    ::chmod((dir / "hidden/in").c_str(), 0666);
    fs::create_hard_link(dir / "hidden/in", dir / "out");
    ::chmod((dir / "hidden").c_str(), 0700);
    const std::string outcome = RunInChild(
        [&] {
            CombineSettings settings{{dir / "hidden/in"}, dir / "out"};
            std::string check = CheckOutcome(CheckCombineSettings(settings));
            Job job;
            return check + "/" + job.Combine(settings);
        },
        true);
    EXPECT_FALSE(outcome.rfind("passed", 0) == 0) << outcome;
    EXPECT_TRUE(SameBytes(ReadFile(dir / "hidden/in"), "the only copy")) << outcome;
}

// ---------------------------------------------------------------------------------------------
// strace injects a failed system call into a real run of one job: a second way in that does not
// go through the file layer at all. -P limits each injection to the calls on one file.

bool StraceWorks() {
    return std::system("strace -o /dev/null true >/dev/null 2>&1") == 0;
}

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

struct CliRun {
    int exitCode = -1;
    std::string output;
};

// Runs partory_job_run under strace; `args` name the job, its result is reported on stdout.
CliRun RunJobCli(const std::string& strace, std::vector<std::string> args) {
    args.push_back("--report");
    // LeakSanitizer cannot run under ptrace; the sanitizer build turns it off for this run.
    // Appended piece by piece: g++ 12 sees a false overlap in a chain of operator+ here.
    std::string command = "ASAN_OPTIONS=\"${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0\" ";
    command += "strace -o /dev/null ";
    command += strace;
    command += ' ';
    command += Quote(PARTORY_JOB_RUN);
    for (const auto& arg : args) command += " " + Quote(arg);
    CliRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    char buffer[512];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        run.output.append(buffer, got);
    }
    const int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

class Strace : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!StraceWorks()) GTEST_SKIP() << "strace is missing or cannot trace here";
    }
    TempDir dir;
};

// Parts of 200 Kbytes: large enough for the kernel to copy them (small ones are written from
// blocks of the source).
constexpr std::size_t kKernelPart = 200 * 1024;

TEST_F(Strace, FailedKernelCopyOfPart2EndsTheDivide) {
    const std::string bytes = PatternBytes(kKernelPart * 5 / 2);
    WriteFile(dir / "source.bin", bytes);
    const CliRun run =
        RunJobCli("-P " + Quote(dir / "P2.bin") +
                      " -e trace=copy_file_range -e inject=copy_file_range:error=EIO",
                  {"--divide", dir / "source.bin", dir.path(), "P[COUNTER].bin", "204800"});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.output, std::string(kDivisionError) + "\n1\n");
    EXPECT_TRUE(SameBytes(ReadFile(dir / "P1.bin"), bytes.substr(0, kKernelPart)));
    EXPECT_TRUE(SameBytes(ReadFile(dir / "P2.bin"), ""));
    EXPECT_FALSE(Exists(dir / "P3.bin"));
    EXPECT_TRUE(SameBytes(ReadFile(dir / "source.bin"), bytes));
}

TEST_F(Strace, KernelCopyRefusedForPart2IsReadAndWritten) {
    const std::string bytes = PatternBytes(kKernelPart * 5 / 2);
    WriteFile(dir / "source.bin", bytes);
    const CliRun run =
        RunJobCli("-P " + Quote(dir / "P2.bin") +
                      " -e trace=copy_file_range -e inject=copy_file_range:error=EXDEV",
                  {"--divide", dir / "source.bin", dir.path(), "P[COUNTER].bin", "204800"});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    for (std::size_t p = 1; p <= 3; ++p) {
        EXPECT_TRUE(SameBytes(ReadFile(dir / ("P" + std::to_string(p) + ".bin")),
                              bytes.substr((p - 1) * kKernelPart, kKernelPart)))
            << "part " << p;
    }
}

TEST_F(Strace, FullDiskOnTheFallbackWriteOfPart2EndsTheDivide) {
    const std::string bytes = PatternBytes(kKernelPart * 5 / 2);
    WriteFile(dir / "source.bin", bytes);
    // For part 2 the kernel refuses to copy, so the layer reads and writes, and the disk is
    // full. -P limits both injections to calls on part 2's file.
    const CliRun run =
        RunJobCli("-P " + Quote(dir / "P2.bin") +
                      " -e trace=copy_file_range,write -e inject=copy_file_range:error=EXDEV"
                      " -e inject=write:error=ENOSPC",
                  {"--divide", dir / "source.bin", dir.path(), "P[COUNTER].bin", "204800"});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.output, std::string(kDivisionError) + "\n1\n");
    EXPECT_TRUE(SameBytes(ReadFile(dir / "P1.bin"), bytes.substr(0, kKernelPart)));
    EXPECT_TRUE(SameBytes(ReadFile(dir / "P2.bin"), ""));
    EXPECT_TRUE(SameBytes(ReadFile(dir / "source.bin"), bytes));
}

TEST_F(Strace, FailedCopyOfInput3EndsTheCombineAfterInput2) {
    std::string firstTwo, list;
    for (int i = 1; i <= 4; ++i) {
        WriteFile(dir / ("in" + std::to_string(i)), PatternBytes(20000, i));
        if (i <= 2) firstTwo += PatternBytes(20000, i);
        list += dir / ("in" + std::to_string(i) + "\n");
    }
    WriteFile(dir / "list", list);
    const CliRun run =
        RunJobCli("-P " + Quote(dir / "in3") +
                      " -e trace=copy_file_range -e inject=copy_file_range:error=ENOSPC",
                  {"--combine", dir / "list", dir / "out"});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.output, std::string(kCopyError) + "\n2\n");
    EXPECT_TRUE(SameBytes(ReadFile(dir / "out"), firstTwo));
    for (int i = 1; i <= 4; ++i) {
        EXPECT_TRUE(SameBytes(ReadFile(dir / ("in" + std::to_string(i))), PatternBytes(20000, i)));
    }
}

// A medium that fails while the page cache is written out: the error reaches the job only
// through the flush, which must turn it into the job's error. The folder is on a disk file
// system, flushed whole for a divide (syncfs) and file by file for a combine (fsync).
TEST_F(Strace, WriteBackErrorHeardAtTheFlushEndsEitherJob) {
    const FileHandle folder = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
    const WriteBack kind = OsFileLayer().WriteBackOf(folder);
    ::close(folder);
    if (kind != WriteBack::FileSystem) GTEST_SKIP() << "the temporary folder is not on a disk";
    const std::string bytes = PatternBytes(kKernelPart * 5 / 2);
    WriteFile(dir / "source.bin", bytes);

    const CliRun divide =
        RunJobCli("-e trace=syncfs -e inject=syncfs:error=EIO",
                  {"--divide", dir / "source.bin", dir.path(), "P[COUNTER].bin", "204800"});
    EXPECT_EQ(divide.exitCode, 3);
    EXPECT_EQ(divide.output, std::string(kDivisionError) + "\n3\n");
    EXPECT_TRUE(SameBytes(ReadFile(dir / "P3.bin"), bytes.substr(2 * kKernelPart)));

    WriteFile(dir / "list", dir / "P1.bin\n" + dir / "P2.bin\n");
    const CliRun combine = RunJobCli("-e trace=fsync -e inject=fsync:error=EIO",
                                     {"--combine", dir / "list", dir / "out"});
    EXPECT_EQ(combine.exitCode, 3);
    EXPECT_EQ(combine.output, std::string(kCopyError) + "\n2\n");
    EXPECT_TRUE(SameBytes(ReadFile(dir / "out"), bytes.substr(0, 2 * kKernelPart)));
}

TEST_F(Strace, WithoutAnInjectedFaultTheCliJobSucceeds) {
    // Guards the tests above: the failures they see come from the injection alone.
    const std::string bytes = PatternBytes(2600);
    WriteFile(dir / "source.bin", bytes);
    const CliRun run =
        RunJobCli("-e trace=copy_file_range",
                  {"--divide", dir / "source.bin", dir.path(), "P[COUNTER].bin", "1024"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.output, "3 file(s) sucessfully created!\n3\n");
    EXPECT_TRUE(SameBytes(ReadFile(dir / "P3.bin"), bytes.substr(2048)));
}

}  // namespace
}  // namespace partory::testing
