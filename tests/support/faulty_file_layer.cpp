// SPDX-License-Identifier: GPL-3.0-or-later
#include "faulty_file_layer.h"

#include <algorithm>
#include <iterator>

namespace partory::testing {

const char* FileOpName(FileOp op) {
    static constexpr const char* kNames[] = {
        "OpenReadWrite", "OpenRead",  "Create",   "CreateNew",       "Truncate",
        "SetLength",     "Seek",      "Status",   "StatusOfPath",    "Read",
        "Write",         "Copy",      "Close",    "SetModifiedTime", "Delete",
        "CreateFolder",  "Duplicate", "WriteOut", "Flush",           "FlushFileSystem",
    };
    static_assert(std::size(kNames) == static_cast<std::size_t>(FileOp::FlushFileSystem) + 1);
    return kNames[static_cast<std::size_t>(op)];
}

int FaultyFileLayer::callCount(FileOp op) const {
    auto it = perOp_.find(op);
    return it == perOp_.end() ? 0 : it->second;
}

bool FaultyFileLayer::ShouldFail(FileOp op) {
    ++calls_;
    int occurrence = ++perOp_[op];
    log_.push_back(op);
    auto it = failOps_.find(op);
    bool fail = calls_ == failNth_ || failAll_.count(op) ||
                (it != failOps_.end() && it->second.count(occurrence));
    failedOnce_ = failedOnce_ || fail;
    return fail;
}

FileHandle FaultyFileLayer::Track(FileHandle file) {
    if (file != kNoFile) open_.insert(file);
    return file;
}

NewFile FaultyFileLayer::CreateNew(const std::string& path) {
    if (ShouldFail(FileOp::CreateNew)) return NewFile::Failed();
    const NewFile created = below_.CreateNew(path);
    Track(created.file);
    return created;
}

std::int64_t FaultyFileLayer::Read(FileHandle file, void* buffer, std::int64_t count) {
    if (ShouldFail(FileOp::Read)) return -1;
    const std::int64_t got = below_.Read(file, buffer, ReadLimit(count));
    if (got > 0) bytesRead_ += got;
    return got;
}

bool FaultyFileLayer::Write(FileHandle file, const void* buffer, std::int64_t count) {
    if (ShouldFail(FileOp::Write)) {
        if (bytesBeforeFailure_ > 0)
            below_.Write(file, buffer, std::min(count, bytesBeforeFailure_));
        return false;
    }
    return below_.Write(file, buffer, count);
}

std::int64_t FaultyFileLayer::Copy(FileHandle from, FileHandle to, std::int64_t count) {
    if (beforeCopy_) beforeCopy_(count);
    if (ShouldFail(FileOp::Copy)) {
        if (bytesBeforeFailure_ > 0) below_.Copy(from, to, std::min(count, bytesBeforeFailure_));
        return -1;
    }
    const std::int64_t got = below_.Copy(from, to, ReadLimit(count));
    if (got > 0) bytesRead_ += got;
    return got;
}

std::int64_t FaultyFileLayer::ReadLimit(std::int64_t count) const {
    if (endOfFilesAt_ < 0) return count;
    return std::clamp<std::int64_t>(endOfFilesAt_ - bytesRead_, 0, count);
}

bool FaultyFileLayer::Close(FileHandle file) {
    bool fail = ShouldFail(FileOp::Close);
    open_.erase(file);
    bool closed = below_.Close(file);
    return closed && !fail;
}

}  // namespace partory::testing
