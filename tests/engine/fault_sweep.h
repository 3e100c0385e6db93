// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the fault sweeps of both jobs share: the layers a job runs on, the record of the fault
// that fired, the sweep over every n-th operation and the rows that fail one operation.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "faulty_file_layer.h"
#include "forwarding_layer.h"
#include "temp_dir.h"

namespace partory::testing {

// Passes everything to the layer below but copies through its Read and Write, as the OS layer
// does when the kernel refuses to copy a pair of files. Lets Read and Write faults reach the
// jobs, which otherwise only ask for Copy.
class ReadWriteCopyLayer final : public ForwardingLayer {
  public:
    using ForwardingLayer::ForwardingLayer;

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

  private:
    char buffer_[700];  // smaller than a part and an input, so copies take several blocks
};

enum class CopyPath { Kernel, ReadWrite };

inline const char* CopyPathName(CopyPath path) {
    return path == CopyPath::Kernel ? "kernel copy" : "read and write";
}

// The job's layer: the faulty one, seen directly or through read-and-write copying. Each copy
// path flushes as one kind of file system does, so that both kinds of flush fail in turn.
struct Layers {
    explicit Layers(CopyPath path) : readWrite(faulty), path(path) {
        faulty.SetWriteBack(path == CopyPath::Kernel ? WriteBack::FileSystem : WriteBack::EachFile);
    }
    FileLayer& job() {
        return path == CopyPath::Kernel ? static_cast<FileLayer&>(faulty) : readWrite;
    }
    FaultyFileLayer faulty;
    ReadWriteCopyLayer readWrite;
    CopyPath path;
};

inline std::vector<std::string> FilesUnder(const std::string& root) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        if (entry.is_regular_file()) files.push_back(entry.path().string());
    }
    return files;
}

inline void ExpectAllStillThere(const std::vector<std::string>& before,
                                const std::string& context) {
    for (const auto& path : before) EXPECT_TRUE(Exists(path)) << context << ": deleted " << path;
}

// Which operation the run failed at, and how many calls of that operation came before it.
struct FiredFault {
    bool fired = false;
    FileOp op{};
    std::size_t index = 0;  // 0-based position in the log
};

inline FiredFault FaultOf(const FaultyFileLayer& faulty, std::int64_t nth) {
    FiredFault fault;
    if (!faulty.failed()) return fault;
    fault.fired = true;
    fault.index = static_cast<std::size_t>(nth - 1);
    fault.op = faulty.log().at(fault.index);
    return fault;
}

inline int CountBefore(const std::vector<FileOp>& log, std::size_t end, FileOp op) {
    int count = 0;
    for (std::size_t i = 0; i < end && i < log.size(); ++i) count += log[i] == op;
    return count;
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

struct OpRow {
    FileOp op;
    int occurrence;
    CopyPath path;
    int completeParts;  // divide: parts complete; combine: inputs appended
};

inline std::string RowName(const OpRow& row) {
    return std::string(FileOpName(row.op)) + " #" + std::to_string(row.occurrence) + ", " +
           CopyPathName(row.path);
}

// Where in the log the row's call was, counted from 1.
inline std::int64_t LogPositionOf(const FaultyFileLayer& faulty, const OpRow& row) {
    int seen = 0;
    for (std::size_t i = 0; i < faulty.log().size(); ++i) {
        if (faulty.log()[i] == row.op && ++seen == row.occurrence) {
            return static_cast<std::int64_t>(i + 1);
        }
    }
    return 0;
}

// Runs a job with the row's call failing and checks the run against it.
template <typename Run, typename RunJob, typename Check>
void RunWithOperationFailing(Run& run, const OpRow& row, std::int64_t bytesBeforeCopyFailure,
                             RunJob runJob, Check check) {
    Layers layers(row.path);
    layers.faulty.FailOp(row.op, row.occurrence);
    layers.faulty.SetBytesBeforeCopyFailure(bytesBeforeCopyFailure);
    const auto before = FilesUnder(run.dir.path());
    const int descriptors = OpenDescriptorCount();
    runJob(run, layers.job());
    ASSERT_TRUE(layers.faulty.failed()) << RowName(row) << " was never called";
    check(run, layers, FaultOf(layers.faulty, LogPositionOf(layers.faulty, row)), before,
          descriptors, RowName(row));
}

// A row's name as a test name: the operation, its occurrence, and the copy path unless kernel.
inline std::string OpRowTestName(const ::testing::TestParamInfo<OpRow>& info) {
    return std::string(FileOpName(info.param.op)) + std::to_string(info.param.occurrence) +
           (info.param.path == CopyPath::Kernel ? "" : "ReadWrite");
}

}  // namespace partory::testing
