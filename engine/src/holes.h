// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <limits>

#include "partory/file_layer.h"

namespace partory {

// A file read in order from its start, cut into runs that are all data or all hole, so that a
// copy can pass over a hole instead of reading and writing its zeros. A file whose blocks cover
// its length has no holes and costs no call; for the others the file system is asked where
// data begins and ends. Those questions move the file's position: Ready puts it back.
class SourceRuns {
  public:
    explicit SourceRuns(FileLayer& files) : files_(files) {}

    // A new file, to be read from offset 0.
    void Start(FileHandle file, const FileStatus& status);

    FileHandle file() const { return file_; }
    std::int64_t offset() const { return at_; }

    // The length of the stretch from the current offset that is all data or all hole (`hole`
    // tells which), at most `most` bytes; -1 when the file system cannot say. Past the file's
    // end everything counts as data, so that the read there finds the end.
    std::int64_t Next(std::int64_t most, bool& hole);
    // `count` bytes of the current stretch were read, copied or passed over.
    void Passed(std::int64_t count) {
        at_ += count;
        if (passedHole_) moved_ = true;
    }
    // Before reading at the current offset: the file's position set back where it belongs.
    bool Ready();

  private:
    static constexpr std::int64_t kEndless = std::numeric_limits<std::int64_t>::max();

    bool FindRun();

    FileLayer& files_;
    FileHandle file_ = kNoFile;
    std::int64_t at_ = 0;
    std::int64_t runEnd_ = 0;
    bool hole_ = false;
    bool passedHole_ = false;
    bool moved_ = false;
};

// Where a copy from SourceRuns writes: a file at a known offset. A hole of the source becomes
// a hole here by moving the position past it; Finish gives the file its length when the last
// bytes were a hole. What is not a regular file (a device a part's name links to) cannot hold
// holes: it is written zeros instead.
class HoleWriter {
  public:
    explicit HoleWriter(FileLayer& files) : files_(files) {}

    void Start(FileHandle file, std::int64_t offset, bool keepsHoles) {
        file_ = file;
        at_ = offset;
        holeFrom_ = offset;
        inHole_ = false;
        behind_ = false;
        keepsHoles_ = keepsHoles;
    }
    std::int64_t offset() const { return at_; }
    FileHandle file() const { return file_; }
    bool keepsHoles() const { return keepsHoles_; }

    // `count` bytes of a hole.
    bool Skip(std::int64_t count);
    // Writes the zeros of `count` bytes from the file's position.
    bool WriteZeros(std::int64_t count);
    // Before writing at the current offset.
    bool Ready() {
        if (!behind_) return true;
        behind_ = false;
        return files_.Seek(file_, at_, SeekTo::Offset) == at_;
    }
    void Wrote(std::int64_t count) {
        at_ += count;
        inHole_ = inHole_ && count == 0;
    }
    // After the last bytes: a file that ends in a hole is given its length.
    bool Finish();

  private:
    FileLayer& files_;
    FileHandle file_ = kNoFile;
    std::int64_t at_ = 0;
    std::int64_t holeFrom_ = 0;  // where the hole the last bytes are began
    bool inHole_ = false;        // the last bytes were a hole
    bool behind_ = false;        // the file's position has not followed the hole yet
    bool keepsHoles_ = true;
};

}  // namespace partory
