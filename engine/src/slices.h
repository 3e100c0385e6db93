#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>

#include "partory/file_layer.h"
#include "partory/run_control.h"
#include "holes.h"

namespace partory {

// Copies long parts or inputs in slices, so that the window can paint between them
// (EventPump::KeepAlive). The slice follows the disk's speed over the job: it aims at 25 to
// 100 ms per slice, from 256 KiB to 64 MiB.
class SliceCopier {
  public:
    SliceCopier(FileLayer& files, EventPump& pump) : files_(files), pump_(pump) {}

    // Copies `count` bytes from the source's offset to the writer's, passing over the source's
    // holes and leaving holes there. The bytes copied (fewer than count only when the source
    // ends), or -1 on a failure.
    std::int64_t Copy(SourceRuns& from, HoleWriter& to, std::int64_t count) {
        std::int64_t done = 0;
        while (done < count) {
            bool hole = false;
            const std::int64_t run = from.Next(count - done, hole);
            if (run < 0) return -1;
            if (hole && to.keepsHoles()) {
                from.Passed(run);
                to.Skip(run);
                done += run;
                continue;
            }
            if (!from.Ready() || !to.Ready()) return -1;
            const std::int64_t got = CopyData(from.file(), to.file(), run, done > 0);
            if (got < 0) return -1;
            from.Passed(got);
            to.Wrote(got);
            done += got;
            if (got < run) break;
        }
        return to.Finish() ? done : -1;
    }

  private:
    // Data only, slice by slice, the window kept alive between slices.
    std::int64_t CopyData(FileHandle from, FileHandle to, std::int64_t count, bool afterOthers) {
        using Clock = std::chrono::steady_clock;
        std::int64_t done = 0;
        while (done < count) {
            if (done > 0 || afterOthers) pump_.KeepAlive();
            const std::int64_t want = std::min(slice_, count - done);
            const auto start = Clock::now();
            const std::int64_t got = files_.Copy(from, to, want);
            if (got < 0) return -1;
            done += got;
            if (got < want) break;
            const auto took = Clock::now() - start;
            if (took > std::chrono::milliseconds(100) && slice_ > kLeast) slice_ /= 2;
            if (took < std::chrono::milliseconds(25) && want == slice_ && slice_ < kMost) {
                // Far quicker slices grow faster: where blocks are only shared, a slice takes
                // microseconds, and every call is one more change of the file's block map.
                // Powers of two keep the slices on the file system's blocks, as sharing needs.
                const auto ms = std::chrono::milliseconds(1);
                const int steps = took < 3 * ms ? 4 : took < 6 * ms ? 3 : took < 12 * ms ? 2 : 1;
                slice_ = std::min(kMost, slice_ << steps);
            }
        }
        return done;
    }

    static constexpr std::int64_t kLeast = std::int64_t{256} << 10;
    static constexpr std::int64_t kMost = std::int64_t{64} << 20;

    FileLayer& files_;
    EventPump& pump_;
    std::int64_t slice_ = kLeast;  // a slow disk shows itself before the window seems frozen
};

}  // namespace partory
