#pragma once

#include <chrono>
#include <cstdint>

#include "partory/file_layer.h"

namespace partory {

// What a job does so that its success means that its data is on the medium, not only in the
// page cache: a stick pulled at the completion page must hold every part. The write-back of
// long files starts as they are written, and the job waits for it a batch behind, so that the
// device works while the job copies and the progress follows what reached the device. Many
// small files are flushed together, one file system flush (a single journal commit) for as many
// as the device writes out in about 100 ms, so that the window is never held for long.
class Durability {
  public:
    explicit Durability(FileLayer& files) : files_(files) {}
    ~Durability();
    Durability(const Durability&) = delete;
    Durability& operator=(const Durability&) = delete;

    // The job's first output, just opened: tells how its file system is flushed. A job of many
    // files keeps a second handle to it, so that the flush at the end hears of every write-back
    // error since the job began. False when that handle cannot be had.
    bool Begin(FileHandle first, bool manyFiles);
    bool begun() const { return begun_; }
    // Whether the job ever waits for the device (not where memory is the medium).
    bool waits() const { return kind_ != WriteBack::None; }
    // `count` bytes were written to `file` from `offset`. Waits while more than MostAhead()
    // bytes of it are not known to be written out.
    bool Wrote(FileHandle file, std::int64_t offset, std::int64_t count);
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

    bool FlushFileSystem();
    // Waits for the write-back of `file` up to `to`, and learns from how long that took.
    bool WaitUpTo(FileHandle file, std::int64_t to);

    FileLayer& files_;
    WriteBack kind_ = WriteBack::None;
    bool begun_ = false;
    FileHandle anchor_ = kNoFile;  // the second handle, for the file system's flush
    // The file being written: from `waited_` on its write-back is not known to be done, from
    // `started_` it has not been asked for.
    FileHandle file_ = kNoFile;
    std::int64_t waited_ = 0;
    std::int64_t started_ = 0;
    std::int64_t ahead_ = std::int64_t{512} << 10;
    // Bytes of small files that only the next file system flush writes out, and how many to
    // let gather first: what the device wrote out within the last flush's time.
    std::int64_t pending_ = 0;
    std::int64_t budget_ = std::int64_t{1} << 20;
};

}  // namespace partory
