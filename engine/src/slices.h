// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>

#include "durability.h"
#include "holes.h"
#include "partory/file_layer.h"
#include "partory/run_control.h"

namespace partory {

inline constexpr std::int64_t kLeastSlice = std::int64_t{256} << 10;
inline constexpr std::int64_t kMostSlice = std::int64_t{64} << 20;

// The slice after one of `slice` bytes that copied `copied` in `took`. Halved after a slice
// over 100 ms; else doubled while the rate seen copies the doubled slice within 25 ms (a
// slice's whole rate, so a file's short tail grows nothing). Where blocks are only shared, a
// slice takes microseconds and every call is one more change of the file's block map: such
// slices go to the largest at once. Powers of two keep the slices on the file system's
// blocks, as sharing needs.
inline std::int64_t NextSlice(std::int64_t slice, std::int64_t copied,
                              std::chrono::steady_clock::duration took) {
    using std::chrono::milliseconds;
    if (took > milliseconds(100)) return std::max(kLeastSlice, slice / 2);
    if (copied != slice || took >= milliseconds(25)) return slice;
    // Below 25 ms the products stay far inside 64 bits.
    const auto spent = std::chrono::duration_cast<std::chrono::nanoseconds>(took).count();
    const auto budget = std::chrono::nanoseconds(milliseconds(25)).count();
    std::int64_t next = slice;
    while (next < kMostSlice && spent * (next * 2) <= budget * slice) next *= 2;
    return next;
}

// Copies long parts or inputs in slices, so that the window can paint between them
// (EventPump::KeepAlive). Each slice is handed on to be written out, and the slice follows the
// speed at which the device takes it over the job (NextSlice), from 256 KiB to 64 MiB.
class SliceCopier {
  public:
    SliceCopier(FileLayer& files, EventPump& pump, Durability& durability)
        : files_(files), pump_(pump), durability_(durability) {}

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
            const std::int64_t got = CopyData(from.file(), to, run, done > 0);
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
    std::int64_t CopyData(FileHandle from, const HoleWriter& to, std::int64_t count,
                          bool afterOthers) {
        using Clock = std::chrono::steady_clock;
        const std::int64_t at = to.offset();
        std::int64_t done = 0;
        while (done < count) {
            if (done > 0 || afterOthers) pump_.KeepAlive();
            const std::int64_t want = std::min({slice_, count - done, durability_.MostAhead()});
            const auto start = Clock::now();
            const std::int64_t got = files_.Copy(from, to.file(), want);
            if (got < 0) return -1;
            // Faster than 32 bytes a nanosecond, no memory copies: the file system only shared
            // blocks, and left nothing for a flush to write.
            const auto copied = std::chrono::nanoseconds(Clock::now() - start).count();
            if (!durability_.Wrote(to.file(), at + done, got, copied * 32 >= got)) return -1;
            done += got;
            if (got < want) break;
            slice_ = NextSlice(slice_, got, Clock::now() - start);
        }
        return done;
    }

    FileLayer& files_;
    EventPump& pump_;
    Durability& durability_;
    std::int64_t slice_ = kLeastSlice;  // a slow disk shows itself before the window seems frozen
};

}  // namespace partory
