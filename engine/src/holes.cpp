// SPDX-License-Identifier: GPL-3.0-or-later
#include "holes.h"

#include <algorithm>

namespace partory {

void SourceRuns::Start(FileHandle file, const FileStatus& status) {
    file_ = file;
    at_ = 0;
    moved_ = false;
    hole_ = false;
    passedHole_ = false;
    // Blocks enough for every byte: no holes to look for (nor any question to ask).
    runEnd_ = status.allocated >= status.size ? kEndless : 0;
}

std::int64_t SourceRuns::Next(std::int64_t most, bool& hole) {
    // A hole is asked about again each time: a source cut short meanwhile must show its end.
    if ((at_ >= runEnd_ || hole_) && !FindRun()) return -1;
    hole = hole_;
    passedHole_ = hole_;
    return std::min(most, runEnd_ - at_);
}

bool SourceRuns::FindRun() {
    moved_ = true;
    const std::int64_t data = files_.Seek(file_, at_, SeekTo::Data);
    if (data == kNoMoreData) {
        // Holes to the end, but only as far as the file reaches now: a file that has shrunk
        // must still show its early end to the read that follows.
        const auto status = files_.Status(file_);
        if (!status) return false;
        hole_ = status->size > at_;
        runEnd_ = hole_ ? status->size : kEndless;
        return true;
    }
    if (data < 0) return false;
    if (data > at_) {
        hole_ = true;
        runEnd_ = data;
        return true;
    }
    const std::int64_t holeAt = files_.Seek(file_, at_, SeekTo::Hole);
    if (holeAt < 0) return false;
    hole_ = false;
    runEnd_ = holeAt > at_ ? holeAt : kEndless;
    return true;
}

bool HoleWriter::Skip(std::int64_t count) {
    if (!keepsHoles_) {
        if (!WriteZeros(count)) return false;
        at_ += count;
        return true;
    }
    if (!inHole_) holeFrom_ = at_;
    at_ += count;
    inHole_ = inHole_ || count > 0;
    behind_ = behind_ || count > 0;
    return true;
}

bool HoleWriter::WriteZeros(std::int64_t count) {
    static const char zeros[64 * 1024] = {};
    while (count > 0) {
        const std::int64_t now = std::min<std::int64_t>(count, sizeof zeros);
        if (!files_.Write(file_, zeros, now)) return false;
        count -= now;
    }
    return true;
}

bool HoleWriter::Finish() {
    if (!inHole_) return true;
    inHole_ = false;
    if (files_.SetLength(file_, at_)) return Ready();
    // Some file systems (FAT behind FUSE) refuse to lengthen a file: the hole's zeros are
    // written instead, and only a failure of that is an error.
    behind_ = false;
    return files_.Seek(file_, holeFrom_, SeekTo::Offset) == holeFrom_ &&
           WriteZeros(at_ - holeFrom_);
}

bool SourceRuns::Ready() {
    if (!moved_) return true;
    moved_ = false;
    return files_.Seek(file_, at_, SeekTo::Offset) == at_;
}

}  // namespace partory
