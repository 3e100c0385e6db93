// SPDX-License-Identifier: GPL-3.0-or-later
#include "durability.h"

#include <algorithm>

namespace partory {

namespace {

// Halves `amount` after a wait longer than `slow` and doubles it after one shorter than `fast`,
// between `least` and `most`: what the device does in the time the window can spare.
void Adapt(std::int64_t& amount, std::chrono::steady_clock::duration took,
           std::chrono::milliseconds fast, std::chrono::milliseconds slow, std::int64_t least,
           std::int64_t most) {
    if (took > slow) amount = std::max(least, amount / 2);
    if (took < fast) amount = std::min(most, amount * 2);
}

}  // namespace

bool Durability::Begin(FileHandle first, bool manyFiles) {
    begun_ = true;
    kind_ = files_.WriteBackOf(first);
    if (kind_ != WriteBack::FileSystem || !manyFiles) return true;
    anchor_ = OwnedFile(files_, files_.Duplicate(first));
    return static_cast<bool>(anchor_);
}

bool Durability::Wrote(FileHandle file, std::int64_t offset, std::int64_t count, bool dirty) {
    if (kind_ == WriteBack::None) return true;
    if (file != file_) {
        file_ = file;
        waited_ = started_ = offset;
        unstarted_ = startedDirty_ = 0;
    }
    const std::int64_t written = offset + count;
    if (dirty) {
        pending_ += count;
        unstarted_ += count;
    }
    // Many small inputs in a row are handed on a batch at a time, not one call each.
    if (written - started_ >= kBatch) {
        if (!files_.WriteOut(file, started_, written - started_, /*wait=*/false)) return false;
        started_ = written;
        // On a disk file system what this file's own waits cover reaches the device without a
        // flush, and the flush at the end only commits where it lies; what they do not cover
        // is counted when the file is finished. Elsewhere (NFS, FUSE) only a flush puts it on
        // the medium.
        if (kind_ == WriteBack::FileSystem) {
            pending_ -= unstarted_;
            startedDirty_ += unstarted_;
        }
        unstarted_ = 0;
    }
    if (!WaitUpTo(file, std::min(started_, written - ahead_))) return false;
    return pending_ < budget_ || FlushGathered(file);
}

bool Durability::WaitUpTo(FileHandle file, std::int64_t to) {
    if (to <= waited_) return true;
    using namespace std::chrono;
    const auto start = steady_clock::now();
    const bool done = files_.WriteOut(file, waited_, to - waited_, /*wait=*/true);
    const auto took = steady_clock::now() - start;
    waited_ = to;
    Adapt(ahead_, took, milliseconds(10), milliseconds(50), kLeastBudget, kMostAhead);
    return done;
}

bool Durability::Finished(FileHandle file, std::int64_t length) {
    const bool copiedInSlices = file == file_;
    const std::int64_t unstarted = copiedInSlices ? started_ : 0;
    file_ = kNoFile;
    switch (kind_) {
        case WriteBack::None:
            return true;
        case WriteBack::EachFile:
            pending_ = 0;
            return files_.Flush(file);
        case WriteBack::FileSystem:
            break;
    }
    // A long file's last bytes start on their way; what is not known to be on the medium goes
    // with the next flush of the file system. Waiting for each file on its own would leave the
    // device idle between them, and a journal commit each would cost more than the copy.
    if (length - unstarted >= kBatch &&
        !files_.WriteOut(file, unstarted, length - unstarted, /*wait=*/false)) {
        return false;
    }
    // What the file's own waits did not cover goes with the next flush.
    pending_ += copiedInSlices ? std::min(startedDirty_, unstarted - waited_) : length;
    return pending_ < budget_ || FlushGathered(file);
}

bool Durability::Finish() {
    if (!anchor_) return true;
    const bool flushed = FlushGathered(anchor_.get());
    return anchor_.Close() && flushed;
}

bool Durability::FlushFile(FileHandle file) {
    return kind_ == WriteBack::None || files_.Flush(file);
}

bool Durability::FlushGathered(FileHandle file) {
    using namespace std::chrono;
    const auto start = steady_clock::now();
    const bool flushed = anchor_ ? files_.FlushFileSystem(anchor_.get()) : files_.Flush(file);
    const auto took = steady_clock::now() - start;
    Adapt(budget_, took, milliseconds(25), milliseconds(100), kLeastBudget, kMostBudget);
    pending_ = unstarted_ = startedDirty_ = 0;
    return flushed;
}

}  // namespace partory
