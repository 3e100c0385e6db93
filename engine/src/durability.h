// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>

#include "owned_file.h"
#include "partory/file_layer.h"

namespace partory {

// What a job does so that its success means that its data is on the medium, not only in the
// page cache: a stick pulled at the completion page must hold every part. Write-back starts as
// the data is written, and the job keeps no more than the device writes in 10 to 50 ms ahead of
// it, so that the device works while the job copies and the progress follows what reached the
// device. What is written out is made durable in flushes (fsync, or one syncfs for many files:
// a single journal commit) of as much as takes about 25 to 100 ms, so that neither the flushes
// nor the last one hold the window for long.
class Durability {
  public:
    explicit Durability(FileLayer& files) : files_(files), anchor_(files) {}
    Durability(const Durability&) = delete;
    Durability& operator=(const Durability&) = delete;

    // The job's first output, just opened: tells how its file system is flushed. A job of many
    // files keeps a second handle to it, so that the flush at the end hears of every write-back
    // error since the job began. False when that handle cannot be had.
    bool Begin(FileHandle first, bool manyFiles);
    bool begun() const { return begun_; }
    // Whether the job ever waits for the device (not where memory is the medium).
    bool waits() const { return kind_ != WriteBack::None; }
    // `count` bytes were written to `file` from `offset`, `dirty` unless the file system only
    // shared blocks. Waits while more than MostAhead() bytes of it are not known to be written
    // out.
    bool Wrote(FileHandle file, std::int64_t offset, std::int64_t count, bool dirty);
    // How far the job may write ahead of the device: what it writes out in 10 to 50 ms, so that
    // no wait holds the window longer. A slice larger than this would make one wait longer.
    std::int64_t MostAhead() const { return kind_ == WriteBack::None ? kMostAhead : ahead_; }
    // One of many files, `length` bytes long, is complete and about to be closed.
    bool Finished(FileHandle file, std::int64_t length);
    // After the last of many files: all of them on the medium.
    bool Finish();
    // The job's one output is complete, its time set: on the medium.
    bool FlushFile(FileHandle file);

  private:
    static constexpr std::int64_t kBatch = std::int64_t{256} << 10;
    static constexpr std::int64_t kLeastBudget = std::int64_t{256} << 10;
    static constexpr std::int64_t kMostAhead = std::int64_t{1} << 30;
    static constexpr std::int64_t kMostBudget = std::int64_t{1} << 30;

    // Puts what has gathered on the medium: every file through the file system's flush where
    // the job holds a handle for it, else `file`. Learns from how long that took.
    bool FlushGathered(FileHandle file);
    // Waits for the write-back of `file` up to `to`, and learns from how long that took.
    bool WaitUpTo(FileHandle file, std::int64_t to);

    FileLayer& files_;
    WriteBack kind_ = WriteBack::None;
    bool begun_ = false;
    OwnedFile anchor_;  // the second handle, for the file system's flush
    // The file being written: from `waited_` on its write-back is not known to be done, from
    // `started_` it has not been asked for.
    FileHandle file_ = kNoFile;
    std::int64_t waited_ = 0;
    std::int64_t started_ = 0;
    std::int64_t ahead_ = std::int64_t{512} << 10;
    // Bytes written since the last flush that only a flush puts on the medium, and how many to
    // let gather before the next. Of the file being written: the bytes not yet asked for, and
    // those asked for, which its own waits put on the device.
    std::int64_t pending_ = 0;
    std::int64_t unstarted_ = 0;
    std::int64_t startedDirty_ = 0;
    std::int64_t budget_ = std::int64_t{4} << 20;
};

}  // namespace partory
