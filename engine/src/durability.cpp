#include "durability.h"

#include <algorithm>

namespace partory {

Durability::~Durability() {
    if (anchor_ != kNoFile) files_.Close(anchor_);
}

bool Durability::Begin(FileHandle first, bool manyFiles) {
    begun_ = true;
    kind_ = files_.WriteBackOf(first);
    if (kind_ != WriteBack::FileSystem || !manyFiles) return true;
    anchor_ = files_.Duplicate(first);
    return anchor_ != kNoFile;
}

bool Durability::Wrote(FileHandle file, std::int64_t offset, std::int64_t count) {
    if (kind_ == WriteBack::None) return true;
    if (file != file_) {
        file_ = file;
        waited_ = started_ = offset;
    }
    const std::int64_t written = offset + count;
    // Many small inputs in a row are handed on a batch at a time, not one call each.
    if (written - started_ >= kBatch) {
        if (!files_.WriteOut(file, started_, written - started_, /*wait=*/false)) return false;
        started_ = written;
    }
    return WaitUpTo(file, std::min(started_, written - ahead_));
}

bool Durability::WaitUpTo(FileHandle file, std::int64_t to) {
    if (to <= waited_) return true;
    using namespace std::chrono;
    const auto start = steady_clock::now();
    const bool done = files_.WriteOut(file, waited_, to - waited_, /*wait=*/true);
    const auto took = steady_clock::now() - start;
    waited_ = to;
    if (took > milliseconds(50)) ahead_ = std::max(kLeastBudget, ahead_ / 2);
    if (took < milliseconds(10)) ahead_ = std::min(kMostAhead, ahead_ * 2);
    return done;
}

bool Durability::Finished(FileHandle file, std::int64_t length) {
    const bool written = file == file_;
    file_ = kNoFile;
    switch (kind_) {
        case WriteBack::None:
            return true;
        case WriteBack::EachFile:
            return files_.Flush(file);
        case WriteBack::FileSystem:
            break;
    }
    // A long file waits for its own data; its size and name go with the flush at the end.
    if (length >= kBatch) {
        const std::int64_t from = written ? waited_ : 0;
        return files_.WriteOut(file, from, length - from, /*wait=*/true);
    }
    pending_ += length;
    return pending_ < budget_ || FlushFileSystem();
}

bool Durability::Finish() {
    if (anchor_ == kNoFile) return true;
    const bool flushed = FlushFileSystem();
    const FileHandle anchor = anchor_;
    anchor_ = kNoFile;
    return files_.Close(anchor) && flushed;
}

bool Durability::FlushFile(FileHandle file) {
    return kind_ == WriteBack::None || files_.Flush(file);
}

bool Durability::FlushFileSystem() {
    using namespace std::chrono;
    const auto start = steady_clock::now();
    const bool flushed = files_.FlushFileSystem(anchor_);
    const auto took = steady_clock::now() - start;
    if (took > milliseconds(100)) budget_ = std::max(kLeastBudget, budget_ / 2);
    if (took < milliseconds(25)) budget_ = std::min(kMostBudget, budget_ * 2);
    pending_ = 0;
    return flushed;
}

}  // namespace partory
