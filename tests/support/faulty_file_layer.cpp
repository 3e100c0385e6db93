// SPDX-License-Identifier: GPL-3.0-or-later
#include "faulty_file_layer.h"

#include <algorithm>

namespace partory::testing {

const char* FileOpName(FileOp op) {
    switch (op) {
        case FileOp::OpenReadWrite:
            return "OpenReadWrite";
        case FileOp::OpenRead:
            return "OpenRead";
        case FileOp::Create:
            return "Create";
        case FileOp::CreateNew:
            return "CreateNew";
        case FileOp::Truncate:
            return "Truncate";
        case FileOp::SetLength:
            return "SetLength";
        case FileOp::Seek:
            return "Seek";
        case FileOp::Status:
            return "Status";
        case FileOp::StatusOfPath:
            return "StatusOfPath";
        case FileOp::Read:
            return "Read";
        case FileOp::Write:
            return "Write";
        case FileOp::Copy:
            return "Copy";
        case FileOp::Close:
            return "Close";
        case FileOp::SetModifiedTime:
            return "SetModifiedTime";
        case FileOp::Delete:
            return "Delete";
        case FileOp::CreateFolder:
            return "CreateFolder";
        case FileOp::Duplicate:
            return "Duplicate";
        case FileOp::WriteOut:
            return "WriteOut";
        case FileOp::Flush:
            return "Flush";
        case FileOp::FlushFileSystem:
            return "FlushFileSystem";
    }
    return "?";
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

FileHandle FaultyFileLayer::OpenReadWrite(const std::string& path) {
    if (ShouldFail(FileOp::OpenReadWrite)) return kNoFile;
    return Track(real_.OpenReadWrite(path));
}

FileHandle FaultyFileLayer::OpenRead(const std::string& path) {
    if (ShouldFail(FileOp::OpenRead)) return kNoFile;
    return Track(real_.OpenRead(path));
}

FileHandle FaultyFileLayer::Create(const std::string& path, bool exclusive) {
    if (ShouldFail(FileOp::Create)) return kNoFile;
    return Track(real_.Create(path, exclusive));
}

NewFile FaultyFileLayer::CreateNew(const std::string& path) {
    if (ShouldFail(FileOp::CreateNew)) return NewFile::Failed();
    const NewFile created = real_.CreateNew(path);
    Track(created.file);
    return created;
}

bool FaultyFileLayer::Truncate(FileHandle file) {
    if (ShouldFail(FileOp::Truncate)) return false;
    return real_.Truncate(file);
}

bool FaultyFileLayer::SetLength(FileHandle file, std::int64_t length) {
    if (ShouldFail(FileOp::SetLength)) return false;
    return real_.SetLength(file, length);
}

std::int64_t FaultyFileLayer::Seek(FileHandle file, std::int64_t offset, SeekTo to) {
    if (ShouldFail(FileOp::Seek)) return -1;
    return real_.Seek(file, offset, to);
}

std::optional<FileStatus> FaultyFileLayer::Status(FileHandle file) {
    if (ShouldFail(FileOp::Status)) return std::nullopt;
    return real_.Status(file);
}

std::optional<FileStatus> FaultyFileLayer::StatusOfPath(const std::string& path) {
    if (ShouldFail(FileOp::StatusOfPath)) return std::nullopt;
    return real_.StatusOfPath(path);
}

std::int64_t FaultyFileLayer::Read(FileHandle file, void* buffer, std::int64_t count) {
    if (ShouldFail(FileOp::Read)) return -1;
    const std::int64_t got = real_.Read(file, buffer, ReadLimit(count));
    if (got > 0) bytesRead_ += got;
    return got;
}

bool FaultyFileLayer::Write(FileHandle file, const void* buffer, std::int64_t count) {
    if (ShouldFail(FileOp::Write)) {
        if (bytesBeforeFailure_ > 0)
            real_.Write(file, buffer, std::min(count, bytesBeforeFailure_));
        return false;
    }
    return real_.Write(file, buffer, count);
}

std::int64_t FaultyFileLayer::Copy(FileHandle from, FileHandle to, std::int64_t count) {
    if (beforeCopy_) beforeCopy_(count);
    if (ShouldFail(FileOp::Copy)) {
        if (bytesBeforeFailure_ > 0) real_.Copy(from, to, std::min(count, bytesBeforeFailure_));
        return -1;
    }
    const std::int64_t got = real_.Copy(from, to, ReadLimit(count));
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
    bool closed = real_.Close(file);
    return closed && !fail;
}

bool FaultyFileLayer::SetModifiedTime(FileHandle file, std::int64_t secondsSinceEpoch) {
    if (ShouldFail(FileOp::SetModifiedTime)) return false;
    return real_.SetModifiedTime(file, secondsSinceEpoch);
}

bool FaultyFileLayer::Delete(const std::string& path) {
    if (ShouldFail(FileOp::Delete)) return false;
    return real_.Delete(path);
}

bool FaultyFileLayer::CreateFolder(const std::string& path) {
    if (ShouldFail(FileOp::CreateFolder)) return false;
    return real_.CreateFolder(path);
}

FileHandle FaultyFileLayer::Duplicate(FileHandle file) {
    if (ShouldFail(FileOp::Duplicate)) return kNoFile;
    return Track(real_.Duplicate(file));
}

WriteBack FaultyFileLayer::WriteBackOf(FileHandle file) {
    return writeBack_ ? *writeBack_ : real_.WriteBackOf(file);
}

bool FaultyFileLayer::WriteOut(FileHandle file, std::int64_t offset, std::int64_t count,
                               bool wait) {
    if (ShouldFail(FileOp::WriteOut)) return false;
    return real_.WriteOut(file, offset, count, wait);
}

bool FaultyFileLayer::Flush(FileHandle file) {
    if (ShouldFail(FileOp::Flush)) return false;
    return real_.Flush(file);
}

bool FaultyFileLayer::FlushFileSystem(FileHandle file) {
    if (ShouldFail(FileOp::FlushFileSystem)) return false;
    return real_.FlushFileSystem(file);
}

}  // namespace partory::testing
