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
    if (written - started_ < kBatch) return true;
    // The new batch goes to the device before the job waits for the one before it.
    if (!files_.WriteOut(file, started_, written - started_, /*wait=*/false)) return false;
    const bool done =
        started_ == waited_ || files_.WriteOut(file, waited_, started_ - waited_, /*wait=*/true);
    waited_ = started_;
    started_ = written;
    return done;
}

bool Durability::Finished(FileHandle file, std::int64_t length) {
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
    if (length >= kBatch) return files_.WriteOut(file, 0, length, /*wait=*/true);
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
