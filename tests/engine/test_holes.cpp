// SPDX-License-Identifier: GPL-3.0-or-later
// Sparse sources and inputs on the real file system: every part and the combined output hold
// the right bytes, and have holes exactly where the source has them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "partory/combine_job.h"
#include "partory/divide_job.h"
#include "same_bytes.h"
#include "sparse_files.h"
#include "temp_dir.h"

namespace partory::testing {
namespace {

constexpr std::int64_t K = 1024;

// Whether this file system keeps the holes of a file written with them (tmpfs and ext4 do);
// else the hole tests have nothing to look at.
bool KeepsHoles(const std::string& folder) {
    const std::string probe = folder + "/probe";
    WriteSparseFile(probe, 256 * K, {{64 * K, 128 * K}});
    const bool keeps = DataExtents(probe) == std::vector<Extent>{{64 * K, 128 * K}};
    std::filesystem::remove(probe);
    return keeps;
}

// A part holds a hole only where the source has one: no byte of the source's data lies in it.
void ExpectHolesOnlyWhereTheSourceHasThem(const std::vector<Extent>& sourceData,
                                          std::int64_t partBegin, std::int64_t partEnd,
                                          const std::vector<Extent>& partData,
                                          const std::string& context) {
    std::int64_t at = 0;
    auto holeHoldsNoData = [&](std::int64_t holeBegin, std::int64_t holeEnd) {
        EXPECT_TRUE(Within(sourceData, partBegin + holeBegin, partBegin + holeEnd).empty())
            << context << ": a hole at [" << holeBegin << ", " << holeEnd
            << ") where the source has data";
    };
    for (const Extent& data : partData) {
        if (data.begin > at) holeHoldsNoData(at, data.begin);
        at = data.end;
    }
    if (partEnd - partBegin > at) holeHoldsNoData(at, partEnd - partBegin);
}

struct DivideRow {
    const char* name;
    std::int64_t partSize;  // bytes
    std::int64_t sourceSize;
    std::vector<Extent> data;
    // Parts that begin and end on the file system's blocks have holes exactly where the source
    // has them; others may hold some zeros of a hole as data.
    bool exact;
};

// Holes at the start, in the middle and at the end, and holes and data that cross parts'
// boundaries; small parts go through the job's own blocks, large ones through the kernel copy.
const std::vector<Extent> kLayout{{128 * K, 160 * K}, {300 * K, 400 * K}};

const DivideRow kDivideRows[] = {
    {"SmallPartsHolesEverywhere", 64 * K, 512 * K, kLayout, true},
    {"LargePartsHolesEverywhere", 256 * K, 512 * K, kLayout, true},
    {"LargePartsAHoleCoversAWholePart", 200 * K, 1000 * K, {{0, 8 * K}, {700 * K, 704 * K}}, true},
    {"LargePartsEndingInData", 256 * K, 400 * K, kLayout, true},
    {"SmallPartsOffTheBlocks", 100000, 512 * K, kLayout, false},
    {"LargePartsOffTheBlocks", 200000, 512 * K, kLayout, false},
    {"AllHole", 128 * K, 640 * K, {}, true},
    {"NoHoles", 256 * K, 600 * K, {{0, 600 * K}}, true},
};

class DivideHoles : public ::testing::TestWithParam<DivideRow> {};

TEST_P(DivideHoles, PartsHoldTheSourceBytesAndItsHoles) {
    const DivideRow& row = GetParam();
    TempDir dir;
    if (!KeepsHoles(dir.path()))
        GTEST_SKIP() << "the file system under " << dir.path() << " does not keep holes";
    const std::string source = dir / "source";
    const std::string bytes = WriteSparseFile(source, row.sourceSize, row.data);
    const std::vector<Extent> sourceData = DataExtents(source);
    std::filesystem::create_directory(dir / "out");

    DivideSettings settings;
    settings.SourcePath = source;
    settings.DestinationFolder = dir / "out";
    settings.NameTemplate = "part[COUNTER]";
    settings.PartSizeValue = static_cast<double>(row.partSize);
    settings.Unit = SizeUnit::Bytes;
    RunState state;
    RecordingProgress progress;
    ScriptedPump pump;
    RunDivideJob(settings, state, progress, pump, OsFileLayer());

    const std::int64_t parts = (row.sourceSize + row.partSize - 1) / row.partSize;
    ASSERT_TRUE(state.Succeeded) << state.ResultText;
    EXPECT_EQ(state.ResultText, std::to_string(parts) + " file(s) sucessfully created!");
    EXPECT_EQ(progress.position(), parts);
    EXPECT_EQ(pump.pumps, parts);
    std::int64_t sourceHeld = 0;
    for (const Extent& data : sourceData) sourceHeld += data.end - data.begin;
    std::int64_t partsAllocated = 0;
    for (std::int64_t p = 1; p <= parts; ++p) {
        const std::string part = dir / ("out/part" + std::to_string(p));
        const std::int64_t begin = (p - 1) * row.partSize;
        const std::int64_t end = std::min(row.sourceSize, p * row.partSize);
        const std::string context = std::string(row.name) + ", part " + std::to_string(p);
        EXPECT_TRUE(SameBytes(ReadFile(part), bytes.substr(begin, end - begin))) << context;
        const std::vector<Extent> partData = DataExtents(part);
        if (row.exact) {
            EXPECT_EQ(partData, Within(sourceData, begin, end)) << context;
        } else {
            ExpectHolesOnlyWhereTheSourceHasThem(sourceData, begin, end, partData, context);
        }
        partsAllocated += AllocatedBytes(part);
    }
    // Parts off the blocks may each fill two partial blocks of a hole.
    const std::int64_t slack = row.exact ? 0 : parts * 2 * 4 * K;
    EXPECT_LE(partsAllocated, AllocatedBytes(source) + slack) << row.name;
    EXPECT_LE(AllocatedBytes(source), sourceHeld + 64 * K) << "the source itself is not sparse";
}

INSTANTIATE_TEST_SUITE_P(Layouts, DivideHoles, ::testing::ValuesIn(kDivideRows),
                         [](const auto& info) { return std::string(info.param.name); });

struct CombineRow {
    const char* name;
    struct Input {
        std::int64_t size;
        std::vector<Extent> data;
    };
    std::vector<Input> inputs;
    bool exact;  // every input a whole number of blocks
};

const CombineRow kCombineRows[] = {
    {"HolesAtStartMiddleAndEnd",
     {{256 * K, {{64 * K, 96 * K}, {160 * K, 200 * K}}}, {128 * K, {{0, 128 * K}}}},
     true},
    {"AnInputEndingInAHoleBeforeOneStartingWithOne",
     {{192 * K, {{0, 32 * K}}}, {192 * K, {{160 * K, 192 * K}}}, {64 * K, {}}},
     true},
    {"LastInputEndsInAHole", {{128 * K, {{0, 128 * K}}}, {512 * K, {{4 * K, 8 * K}}}}, true},
    {"AllHoleInputs", {{300 * K, {}}, {20 * K, {}}}, true},
    {"InputsOffTheBlocks", {{100001, {{40 * K, 60 * K}}}, {70000, {{8 * K, 12 * K}}}}, false},
};

class CombineHoles : public ::testing::TestWithParam<CombineRow> {};

TEST_P(CombineHoles, OutputHoldsTheInputsBytesAndTheirHoles) {
    const CombineRow& row = GetParam();
    TempDir dir;
    if (!KeepsHoles(dir.path()))
        GTEST_SKIP() << "the file system under " << dir.path() << " does not keep holes";
    CombineSettings settings;
    settings.OutputPath = dir / "combined";
    std::string bytes;
    std::vector<Extent> data;  // where the inputs hold data, in the output's offsets
    unsigned seed = 1;
    for (const auto& input : row.inputs) {
        const std::string path = dir / ("input" + std::to_string(settings.InputPaths.size() + 1));
        const std::int64_t at = static_cast<std::int64_t>(bytes.size());
        bytes += WriteSparseFile(path, input.size, input.data, seed);
        seed += 10;
        for (const Extent& extent : DataExtents(path))
            data.push_back({at + extent.begin, at + extent.end});
        settings.InputPaths.push_back(path);
    }
    RunState state;
    RecordingProgress progress;
    ScriptedPump pump;
    RunCombineJob(settings, state, progress, pump, OsFileLayer());

    ASSERT_TRUE(state.Succeeded) << state.ResultText;
    EXPECT_EQ(progress.position(), static_cast<std::int64_t>(row.inputs.size()));
    EXPECT_TRUE(SameBytes(ReadFile(settings.OutputPath), bytes)) << row.name;
    const std::vector<Extent> outputData = DataExtents(settings.OutputPath);
    if (row.exact) {
        // Data that meets across an input boundary is one extent in the output.
        std::vector<Extent> merged;
        for (const Extent& extent : data) {
            if (!merged.empty() && merged.back().end == extent.begin) {
                merged.back().end = extent.end;
            } else {
                merged.push_back(extent);
            }
        }
        EXPECT_EQ(outputData, merged) << row.name;
    } else {
        ExpectHolesOnlyWhereTheSourceHasThem(data, 0, static_cast<std::int64_t>(bytes.size()),
                                             outputData, row.name);
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, CombineHoles, ::testing::ValuesIn(kCombineRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The layer's own calls: a length set beyond the end is a hole, and Seek finds data and holes
// where the file system has them.
TEST(OsFileLayerHoles, SeekFindsDataAndHolesAndSetLengthAddsAHole) {
    TempDir dir;
    if (!KeepsHoles(dir.path())) GTEST_SKIP() << "no holes under " << dir.path();
    const std::string path = dir / "file";
    WriteSparseFile(path, 256 * K, {{64 * K, 128 * K}});
    FileLayer& files = OsFileLayer();
    const FileHandle file = files.OpenReadWrite(path);
    ASSERT_NE(file, kNoFile);

    const auto status = files.Status(file);
    ASSERT_TRUE(status);
    EXPECT_LT(status->allocated, status->size);
    EXPECT_EQ(files.Seek(file, 0, SeekTo::Data), 64 * K);
    EXPECT_EQ(files.Seek(file, 70 * K, SeekTo::Data), 70 * K);
    EXPECT_EQ(files.Seek(file, 64 * K, SeekTo::Hole), 128 * K);
    EXPECT_EQ(files.Seek(file, 128 * K, SeekTo::Data), kNoMoreData);
    EXPECT_EQ(files.Seek(file, 300 * K, SeekTo::Data), kNoMoreData);
    EXPECT_EQ(files.Seek(file, 200 * K, SeekTo::Hole), 200 * K);
    EXPECT_EQ(files.Seek(file, 5, SeekTo::Offset), 5);

    ASSERT_TRUE(files.SetLength(file, 1024 * K));
    EXPECT_EQ(files.Status(file)->size, 1024 * K);
    EXPECT_EQ(files.Status(file)->allocated, status->allocated);
    ASSERT_TRUE(files.SetLength(file, 96 * K));
    EXPECT_EQ(files.Seek(file, 64 * K, SeekTo::Hole), 96 * K);
    EXPECT_TRUE(files.Close(file));
    EXPECT_EQ(files.Seek(file, 0, SeekTo::Offset), -1);
    EXPECT_FALSE(files.SetLength(file, 0));
}

}  // namespace
}  // namespace partory::testing
