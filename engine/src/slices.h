#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>

#include "partory/file_layer.h"
#include "partory/run_control.h"

namespace partory {

// Copies long parts or inputs in slices, so that the window can paint between them
// (EventPump::KeepAlive). The slice follows the disk's speed over the job: it aims at 25 to
// 100 ms per slice, from 256 KiB to 64 MiB.
class SliceCopier {
  public:
    SliceCopier(FileLayer& files, EventPump& pump) : files_(files), pump_(pump) {}

    // The bytes copied (fewer than count only when `from` ends), or -1 on a failure.
    std::int64_t Copy(FileHandle from, FileHandle to, std::int64_t count) {
        using Clock = std::chrono::steady_clock;
        std::int64_t done = 0;
        while (done < count) {
            if (done > 0) pump_.KeepAlive();
            const std::int64_t want = std::min(slice_, count - done);
            const auto start = Clock::now();
            const std::int64_t got = files_.Copy(from, to, want);
            if (got < 0) return -1;
            done += got;
            if (got < want) break;
            const auto took = Clock::now() - start;
            if (took > std::chrono::milliseconds(100) && slice_ > kLeast) slice_ /= 2;
            if (took < std::chrono::milliseconds(25) && want == slice_ && slice_ < kMost) {
                slice_ *= 2;
            }
        }
        return done;
    }

  private:
    static constexpr std::int64_t kLeast = std::int64_t{256} << 10;
    static constexpr std::int64_t kMost = std::int64_t{64} << 20;

    FileLayer& files_;
    EventPump& pump_;
    std::int64_t slice_ = kLeast;  // a slow disk shows itself before the window seems frozen
};

}  // namespace partory
