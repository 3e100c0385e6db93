// SPDX-License-Identifier: GPL-3.0-or-later
// On file systems that share blocks between files (XFS, btrfs), parts of whole blocks and a
// combined output share their extents with the source instead of copying them. Needs root, the
// file system's mkfs and a free loop device; skips with the reason where one is missing.
// Beside them, the rule by which a copy's slices grow to one call per part where only
// blocks are shared.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fiemap.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "loop_mount.h"
#include "partory/combine_job.h"
#include "partory/divide_job.h"
#include "same_bytes.h"
#include "slices.h"
#include "temp_dir.h"

namespace partory::testing {
namespace {

constexpr std::int64_t kMiB = 1024 * 1024;

struct ExtentFlags {
    std::int64_t bytes = 0;        // mapped by extents
    std::int64_t sharedBytes = 0;  // of those, marked shared
};

// What FIEMAP reports of the file's first `length` bytes.
ExtentFlags MappedExtents(const std::string& path, std::int64_t length) {
    ExtentFlags flags;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return flags;
    constexpr int kExtents = 256;
    std::vector<char> buffer(sizeof(fiemap) + kExtents * sizeof(fiemap_extent));
    std::uint64_t start = 0;
    for (bool last = false; !last && start < static_cast<std::uint64_t>(length);) {
        auto* map = reinterpret_cast<fiemap*>(buffer.data());
        *map = fiemap{};
        map->fm_start = start;
        map->fm_length = static_cast<std::uint64_t>(length) - start;
        map->fm_flags = FIEMAP_FLAG_SYNC;
        map->fm_extent_count = kExtents;
        if (::ioctl(fd, FS_IOC_FIEMAP, map) != 0 || map->fm_mapped_extents == 0) break;
        for (std::uint32_t i = 0; i < map->fm_mapped_extents; ++i) {
            const fiemap_extent& extent = map->fm_extents[i];
            const std::uint64_t end = std::min<std::uint64_t>(extent.fe_logical + extent.fe_length,
                                                              static_cast<std::uint64_t>(length));
            const auto counted = static_cast<std::int64_t>(end - extent.fe_logical);
            flags.bytes += counted;
            if (extent.fe_flags & FIEMAP_EXTENT_SHARED) flags.sharedBytes += counted;
            last = last || (extent.fe_flags & FIEMAP_EXTENT_LAST);
            start = end;
        }
    }
    ::close(fd);
    return flags;
}

class SharedBlocks : public ::testing::TestWithParam<const char*> {};

TEST_P(SharedBlocks, PartsAndOutputShareTheSourceExtents) {
    const std::string type = GetParam();
    TempDir dir;
    std::string whyNot;
    const auto mount = LoopMount::Make(type, dir / "image", dir / "mnt", 512, whyNot);
    if (!mount) GTEST_SKIP() << "no " << type << " file system to test on: " << whyNot;

    // Eight parts of whole blocks and a short last one.
    const std::string root = mount->path();
    const std::string source = root + "/source";
    const std::string bytes = PatternBytes(8 * kMiB + 5000, 3);
    WriteFile(source, bytes);
    ::sync();
    ASSERT_EQ(MappedExtents(source, 8 * kMiB).sharedBytes, 0) << "shared before any copy";

    DivideSettings divide;
    divide.SourcePath = source;
    divide.DestinationFolder = root;
    divide.NameTemplate = "part[COUNTER]";
    divide.PartSizeValue = static_cast<double>(kMiB);
    divide.Unit = SizeUnit::Bytes;
    RunState state;
    RecordingProgress progress;
    ScriptedPump pump;
    RunDivideJob(divide, state, progress, pump, OsFileLayer());
    ASSERT_TRUE(state.Succeeded) << state.ResultText;

    CombineSettings combine;
    for (int p = 1; p <= 9; ++p) {
        const std::string part = root + "/part" + std::to_string(p);
        EXPECT_TRUE(SameBytes(ReadFile(part), bytes.substr((p - 1) * kMiB, kMiB))) << part;
        combine.InputPaths.push_back(part);
        if (p == 9) continue;  // the last part ends inside a block
        const ExtentFlags flags = MappedExtents(part, kMiB);
        EXPECT_EQ(flags.bytes, kMiB) << part;
        EXPECT_EQ(flags.sharedBytes, kMiB) << part << " copies blocks it could share";
    }
    EXPECT_EQ(MappedExtents(source, 8 * kMiB).sharedBytes, 8 * kMiB);

    combine.OutputPath = root + "/combined";
    ResetRunState(state);
    RunCombineJob(combine, state, progress, pump, OsFileLayer());
    ASSERT_TRUE(state.Succeeded) << state.ResultText;
    EXPECT_TRUE(SameBytes(ReadFile(combine.OutputPath), bytes));
    EXPECT_EQ(MappedExtents(combine.OutputPath, 8 * kMiB).sharedBytes, 8 * kMiB)
        << "the combined file copies blocks it could share";
}

struct SliceRow {
    const char* name;
    std::int64_t slice;
    std::int64_t copied;
    std::chrono::microseconds took;
    std::int64_t next;
};

void PrintTo(const SliceRow& row, std::ostream* out) {
    *out << row.name;
}

class SliceGrowth : public ::testing::TestWithParam<SliceRow> {};

TEST_P(SliceGrowth, NextSliceKeepsTheWindowPainting) {
    const SliceRow& row = GetParam();
    const std::int64_t next = NextSlice(row.slice, row.copied, row.took);
    EXPECT_EQ(next, row.next);
    // Whatever it grows to, the rate seen copies it within 25 ms.
    if (next > row.slice) {
        EXPECT_LE(row.took.count() * next, 25'000 * row.copied);
    }
}

constexpr std::int64_t kKiB = 1024;
using std::chrono::microseconds;

INSTANTIATE_TEST_SUITE_P(
    Slices, SliceGrowth,
    ::testing::Values(
        SliceRow{"SharedBlocksGoToTheLargestAtOnce", 256 * kKiB, 256 * kKiB, microseconds(20),
                 64 * kMiB},
        SliceRow{"TheLargestStays", 64 * kMiB, 64 * kMiB, microseconds(1), 64 * kMiB},
        SliceRow{"FastCopyGrowsToWhatFits", 256 * kKiB, 256 * kKiB, microseconds(1000), 4 * kMiB},
        SliceRow{"DoubledJustFits", 4 * kMiB, 4 * kMiB, microseconds(12500), 8 * kMiB},
        SliceRow{"DoubledWouldNotFit", 4 * kMiB, 4 * kMiB, microseconds(12600), 4 * kMiB},
        SliceRow{"ShortTailGrowsNothing", kMiB, 500 * kKiB, microseconds(10), kMiB},
        SliceRow{"BetweenTheBoundsStays", 8 * kMiB, 8 * kMiB, microseconds(60000), 8 * kMiB},
        SliceRow{"SlowSliceHalves", kMiB, kMiB, microseconds(150000), 512 * kKiB},
        SliceRow{"NeverBelowTheLeast", 256 * kKiB, 256 * kKiB, microseconds(5000000), 256 * kKiB}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(CopyOnWrite, SharedBlocks, ::testing::Values("xfs", "btrfs"),
                         [](const auto& info) { return std::string(info.param); });

}  // namespace
}  // namespace partory::testing
