// SPDX-License-Identifier: GPL-3.0-or-later
// A job that succeeds has put its data on the medium, and one whose data did not get there
// fails: a disk, with cachestat (Linux 6.5) counting the pages still in memory, and a FUSE file
// system that fails each fsync.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <string>

#include "fuse_mount.h"
#include "partory/combine_job.h"
#include "partory/divide_job.h"
#include "same_bytes.h"
#include "temp_dir.h"

#ifndef SYS_cachestat
#define SYS_cachestat 451
#endif

namespace partory::testing {
namespace {

namespace fs = std::filesystem;

// Pages of the file not yet on the device; -1 where the kernel cannot tell.
long long PagesNotWrittenOut(const std::string& path) {
    struct Range {
        std::uint64_t offset, length;
    } range{0, 0};  // length 0: to the end
    struct Counts {
        std::uint64_t cached, dirty, writeback, evicted, recentlyEvicted;
    } counts{};
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    const long result = ::syscall(SYS_cachestat, fd, &range, &counts, 0);
    ::close(fd);
    return result == 0 ? static_cast<long long>(counts.dirty + counts.writeback) : -1;
}

struct Job {
    RunState state;
    RecordingProgress progress;
    ScriptedPump pump;

    Job& Divide(const std::string& source, const std::string& folder, double kbytes) {
        const DivideSettings settings{source, folder, "P[COUNTER]", kbytes, SizeUnit::Kbytes};
        RunDivideJob(settings, state, progress, pump, OsFileLayer());
        return *this;
    }
    Job& Combine(const std::vector<std::string>& inputs, const std::string& output) {
        RunCombineJob({inputs, output}, state, progress, pump, OsFileLayer());
        return *this;
    }
};

TEST(OnTheMedium, NoPageOfThePartsOrTheOutputIsDirtyWhenTheJobSucceeds) {
    TempDir dir;
    WriteFile(dir / "source.bin", PatternBytes(3 << 20));
    ::sync();
    if (PagesNotWrittenOut(dir / "source.bin") < 0) GTEST_SKIP() << "no cachestat here";
    const FileHandle folder = ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY);
    const WriteBack kind = OsFileLayer().WriteBackOf(folder);
    ::close(folder);
    if (kind == WriteBack::None) GTEST_SKIP() << "the temporary folder is in memory";

    // Parts of 1 MiB are copied by the kernel in slices; parts of 4 KiB are written from blocks.
    for (const double kbytes : {1024.0, 4.0}) {
        const std::string out = dir / ("parts" + std::to_string(static_cast<int>(kbytes)));
        fs::create_directory(out);
        Job job;
        ASSERT_TRUE(job.Divide(dir / "source.bin", out, kbytes).state.Succeeded);
        long long dirty = 0;
        for (const auto& part : fs::directory_iterator(out))
            dirty += PagesNotWrittenOut(part.path().string());
        EXPECT_EQ(dirty, 0) << kbytes << " Kbytes parts";
    }

    Job job;
    ASSERT_TRUE(
        job.Combine({dir / "parts1024/P1", dir / "parts1024/P2"}, dir / "out").state.Succeeded);
    EXPECT_EQ(PagesNotWrittenOut(dir / "out"), 0);
}

class OnFuse : public ::testing::Test {
  protected:
    void Mount(const FuseOptions& options) {
        std::string whyNot;
        mount_ = FuseMount::Make(dir / "backing", dir / "mnt", options, whyNot);
        if (!mount_) GTEST_SKIP() << whyNot;
    }
    std::string On(const std::string& name) const { return mount_->path() + "/" + name; }

    TempDir dir;
    std::unique_ptr<FuseMount> mount_;
};

// As a network file system or a stick behind FUSE reports a failed write-back: only fsync hears
// it, and syncfs succeeds there, so each file is flushed on its own.
TEST_F(OnFuse, FsyncThatFailsEndsTheDivideAndTheCombine) {
    Mount({.fsyncError = true});
    if (IsSkipped()) return;
    const std::string bytes = PatternBytes(2600);
    WriteFile(dir / "source.bin", bytes);
    fs::create_directory(On("parts"));

    Job divide;
    divide.Divide(dir / "source.bin", On("parts"), 1);
    EXPECT_FALSE(divide.state.Succeeded);
    EXPECT_EQ(divide.state.ResultText, "File division error: \"source.bin\".");
    // Part 1 was written whole before its flush failed.
    EXPECT_TRUE(SameBytes(ReadFile(On("parts/P1")), bytes.substr(0, 1024)));
    EXPECT_FALSE(Exists(On("parts/P2")));

    Job combine;
    combine.Combine({dir / "source.bin", dir / "source.bin"}, On("out"));
    EXPECT_FALSE(combine.state.Succeeded);
    EXPECT_EQ(combine.state.ResultText, "Error while copying a file.");
    EXPECT_TRUE(SameBytes(ReadFile(On("out")), bytes + bytes));
}

}  // namespace
}  // namespace partory::testing
