// Every file operation of both jobs, and of the combine check, fails in turn: the N-th call for
// N = 1, 2, ... until a run meets no fault, and each operation at its first and a later call.
// After every run: an allowed outcome, nothing left open, nothing deleted, no input changed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "faulty_file_layer.h"
#include "partory/combine_job.h"
#include "partory/divide_job.h"
#include "partory/settings_check.h"
#include "same_bytes.h"
#include "sparse_files.h"
#include "temp_dir.h"

namespace partory::testing {
namespace {

constexpr const char* kCopyError = "Error while copying a file.";
constexpr const char* kCreateError = "Unable to create the combined file.";

// Passes everything to the layer below but copies through its Read and Write, as the OS layer
// does when the kernel refuses to copy a pair of files. Lets Read and Write faults reach the
// jobs, which otherwise only ask for Copy.
class ReadWriteCopyLayer final : public FileLayer {
  public:
    explicit ReadWriteCopyLayer(FileLayer& below) : below_(below) {}

    FileHandle OpenReadWrite(const std::string& p) override { return below_.OpenReadWrite(p); }
    FileHandle OpenRead(const std::string& p) override { return below_.OpenRead(p); }
    FileHandle Create(const std::string& p, bool x) override { return below_.Create(p, x); }
    NewFile CreateNew(const std::string& p) override { return below_.CreateNew(p); }
    bool Truncate(FileHandle f) override { return below_.Truncate(f); }
    bool SetLength(FileHandle f, std::int64_t n) override { return below_.SetLength(f, n); }
    std::int64_t Seek(FileHandle f, std::int64_t at, SeekTo to) override {
        return below_.Seek(f, at, to);
    }
    std::optional<FileStatus> Status(FileHandle f) override { return below_.Status(f); }
    std::optional<FileStatus> StatusOfPath(const std::string& p) override {
        return below_.StatusOfPath(p);
    }
    std::int64_t Read(FileHandle f, void* b, std::int64_t n) override {
        return below_.Read(f, b, n);
    }
    bool Write(FileHandle f, const void* b, std::int64_t n) override {
        return below_.Write(f, b, n);
    }
    std::int64_t Copy(FileHandle from, FileHandle to, std::int64_t count) override {
        std::int64_t done = 0;
        while (done < count) {
            const std::int64_t want = std::min<std::int64_t>(count - done, sizeof buffer_);
            const std::int64_t got = below_.Read(from, buffer_, want);
            if (got < 0) return -1;
            if (got > 0 && !below_.Write(to, buffer_, got)) return -1;
            done += got;
            if (got < want) break;
        }
        return done;
    }
    bool Close(FileHandle f) override { return below_.Close(f); }
    bool SetModifiedTime(FileHandle f, std::int64_t s) override {
        return below_.SetModifiedTime(f, s);
    }
    bool Delete(const std::string& p) override { return below_.Delete(p); }
    bool CreateFolder(const std::string& p) override { return below_.CreateFolder(p); }

  private:
    FileLayer& below_;
    char buffer_[700];  // smaller than a part and an input, so copies take several blocks
};

enum class CopyPath { Kernel, ReadWrite };

const char* CopyPathName(CopyPath path) {
    return path == CopyPath::Kernel ? "kernel copy" : "read and write";
}

// The job's layer: the faulty one, seen directly or through read-and-write copying.
struct Layers {
    explicit Layers(CopyPath path) : readWrite(faulty), path(path) {}
    FileLayer& job() {
        return path == CopyPath::Kernel ? static_cast<FileLayer&>(faulty) : readWrite;
    }
    FaultyFileLayer faulty;
    ReadWriteCopyLayer readWrite;
    CopyPath path;
};

std::vector<std::string> FilesUnder(const std::string& root) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) files.push_back(entry.path().string());
    }
    return files;
}

void ExpectAllStillThere(const std::vector<std::string>& before, const std::string& context) {
    for (const auto& path : before) EXPECT_TRUE(Exists(path)) << context << ": deleted " << path;
}

// Which operation the run failed at, and how many calls of that operation came before it.
struct FiredFault {
    bool fired = false;
    FileOp op{};
    std::size_t index = 0;  // 0-based position in the log
};

FiredFault FaultOf(const FaultyFileLayer& faulty, std::int64_t nth) {
    FiredFault fault;
    if (!faulty.failed()) return fault;
    fault.fired = true;
    fault.index = static_cast<std::size_t>(nth - 1);
    fault.op = faulty.log().at(fault.index);
    return fault;
}

int CountBefore(const std::vector<FileOp>& log, std::size_t end, FileOp op) {
    int count = 0;
    for (std::size_t i = 0; i < end && i < log.size(); ++i) count += log[i] == op;
    return count;
}

// ---------------------------------------------------------------------------------------------
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

    DivideRun() : DivideRun(K, {}) { }
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
    std::string Expected(int p) const {
        return sourceBytes.substr((p - 1) * partBytes, partBytes);
    }
};

// Holes at the start of every part, holes that cross parts' boundaries and parts that end in
// a hole: small parts go through the job's blocks, large ones through the copy in slices.
struct SparseSmallPartsRun : DivideRun {
    SparseSmallPartsRun()
        : DivideRun(64 * K, {{16 * K, 24 * K}, {72 * K, 80 * K}, {136 * K, 140 * K}}, 176 * K) {}
};
struct SparseLargePartsRun : DivideRun {
    SparseLargePartsRun()
        : DivideRun(256 * K, {{64 * K, 96 * K}, {288 * K, 320 * K}, {544 * K, 560 * K}},
                    704 * K) {}
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

    if (!fault.fired) {
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
    const bool afterLastPart = CountBefore(faulty.log(), fault.index, FileOp::Close) ==
                               kDivideParts;  // the source's own close
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

// Runs a job with its n-th file operation failing, for n = 1, 2, ... until a run meets no
// fault, and checks every run; gives the number of runs.
template <typename Run, typename RunJob, typename Check>
int SweepEveryNthOperation(CopyPath path, std::int64_t bytesBeforeCopyFailure, RunJob runJob,
                           Check check) {
    int runs = 0;
    for (std::int64_t nth = 1;; ++nth) {
        if (nth >= 1000) {
            ADD_FAILURE() << "the job never ran without a fault";
            return runs;
        }
        Run run;
        Layers layers(path);
        layers.faulty.FailNth(nth);
        layers.faulty.SetBytesBeforeCopyFailure(bytesBeforeCopyFailure);
        const auto before = FilesUnder(run.dir.path());
        const int descriptors = OpenDescriptorCount();
        runJob(run, layers.job());
        const FiredFault fault = FaultOf(layers.faulty, nth);
        const std::string context =
            std::string(CopyPathName(path)) + ", operation " + std::to_string(nth) +
            (fault.fired ? std::string(" (") + FileOpName(fault.op) + ")" : std::string(" (none)"));
        check(run, layers, fault, before, descriptors, context);
        ++runs;
        if (!fault.fired) return runs;
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

struct OpRow {
    FileOp op;
    int occurrence;
    CopyPath path;
    int completeParts;  // divide: parts complete; combine: inputs appended
};

std::string RowName(const OpRow& row) {
    return std::string(FileOpName(row.op)) + " #" + std::to_string(row.occurrence) + ", " +
           CopyPathName(row.path);
}

class DivideOperationFails : public ::testing::TestWithParam<OpRow> {};

TEST_P(DivideOperationFails, AtItsFirstAndALaterCall) {
    const OpRow row = GetParam();
    DivideRun run;
    Layers layers(row.path);
    layers.faulty.FailOp(row.op, row.occurrence);
    layers.faulty.SetBytesBeforeCopyFailure(300);
    const auto before = FilesUnder(run.dir.path());
    const int descriptors = OpenDescriptorCount();
    RunDivideJob(run.settings, run.state, run.progress, run.pump, layers.job());

    ASSERT_TRUE(layers.faulty.failed()) << RowName(row) << " was never called";
    std::int64_t nth = 0;  // where in the log the chosen call was
    int seen = 0;
    for (std::size_t i = 0; i < layers.faulty.log().size() && nth == 0; ++i) {
        if (layers.faulty.log()[i] == row.op && ++seen == row.occurrence) nth = i + 1;
    }
    CheckDivideRun(run, layers, FaultOf(layers.faulty, nth), before, descriptors, RowName(row));
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
                      OpRow{FileOp::Close, 4, CopyPath::Kernel, 3}   // the source, after all parts
                      ),
    [](const ::testing::TestParamInfo<OpRow>& info) {
        return std::string(FileOpName(info.param.op)) + std::to_string(info.param.occurrence) +
               (info.param.path == CopyPath::Kernel ? "" : "ReadWrite");
    });

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
    // none of them.
    const bool outputClose =
        fault.fired && fault.op == FileOp::Close && fault.index + 1 == log.size();
    const bool ignorable =
        fault.fired && (fault.op == FileOp::SetModifiedTime || fault.op == FileOp::StatusOfPath ||
                        (fault.op == FileOp::Close && !outputClose));
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
    Layers layers(row.path);
    layers.faulty.FailOp(row.op, row.occurrence);
    layers.faulty.SetBytesBeforeCopyFailure(1000);
    const auto before = FilesUnder(run.dir.path());
    const int descriptors = OpenDescriptorCount();
    RunCombineJob(run.settings, run.state, run.progress, run.pump, layers.job());

    ASSERT_TRUE(layers.faulty.failed()) << RowName(row) << " was never called";
    std::int64_t nth = 0;
    int seen = 0;
    for (std::size_t i = 0; i < layers.faulty.log().size() && nth == 0; ++i) {
        if (layers.faulty.log()[i] == row.op && ++seen == row.occurrence) nth = i + 1;
    }
    CheckCombineRun(run, layers, FaultOf(layers.faulty, nth), before, descriptors, RowName(row));
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
                      OpRow{FileOp::Close, 5, CopyPath::Kernel, 4}   // the output
                      ),
    [](const ::testing::TestParamInfo<OpRow>& info) {
        return std::string(FileOpName(info.param.op)) + std::to_string(info.param.occurrence) +
               (info.param.path == CopyPath::Kernel ? "" : "ReadWrite");
    });

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
