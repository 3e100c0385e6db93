// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "forwarding_layer.h"
#include "partory/file_layer.h"

namespace partory::testing {

enum class FileOp {
    OpenReadWrite,
    OpenRead,
    Create,
    CreateNew,
    Truncate,
    SetLength,
    Seek,
    Status,
    StatusOfPath,
    Read,
    Write,
    Copy,
    Close,
    SetModifiedTime,
    Delete,
    CreateFolder,
    Duplicate,
    WriteOut,
    Flush,
    FlushFileSystem,
};
const char* FileOpName(FileOp op);

// Passes every call to the layer below (the real one unless told), counting them, and makes
// chosen ones fail the way the OS would report it. A failed Close still closes the file below; a
// failed Copy or Write may first pass on some bytes, as a disk that fills up in the middle of a
// part does.
class FaultyFileLayer : public ForwardingLayer {
  public:
    explicit FaultyFileLayer(FileLayer& below = OsFileLayer()) : ForwardingLayer(below) {}

    // The n-th call (1-based) of any operation fails.
    void FailNth(std::int64_t n) { failNth_ = n; }
    // The occurrence-th call (1-based) of `op` fails.
    void FailOp(FileOp op, int occurrence = 1) { failOps_[op].insert(occurrence); }
    // Every call of `op` fails.
    void FailAll(FileOp op) { failAll_.insert(op); }
    // A failing Copy or Write first passes on this many bytes.
    void SetBytesBeforeCopyFailure(std::int64_t bytes) { bytesBeforeFailure_ = bytes; }
    // Reads and copies find the end of the file once this many bytes have been read in all,
    // as from a file cut short by another program after its size was taken.
    void EndFilesAfter(std::int64_t bytes) { endOfFilesAt_ = bytes; }
    // The file systems' kind of write-back as this layer reports it, instead of the real one.
    void SetWriteBack(WriteBack writeBack) { writeBack_ = writeBack; }
    // Runs before every Copy with the bytes asked for: makes copies slow, or watches them.
    void SetBeforeCopy(std::function<void(std::int64_t)> hook) { beforeCopy_ = std::move(hook); }

    std::int64_t callCount() const { return calls_; }
    int callCount(FileOp op) const;
    bool failed() const { return failedOnce_; }
    // Handles opened through this layer and not closed yet.
    int openHandles() const { return static_cast<int>(open_.size()); }
    const std::vector<FileOp>& log() const { return log_; }

    FileHandle OpenReadWrite(const std::string& p) override {
        return ShouldFail(FileOp::OpenReadWrite) ? kNoFile : Track(below_.OpenReadWrite(p));
    }
    FileHandle OpenRead(const std::string& p) override {
        return ShouldFail(FileOp::OpenRead) ? kNoFile : Track(below_.OpenRead(p));
    }
    FileHandle Create(const std::string& p, bool x) override {
        return ShouldFail(FileOp::Create) ? kNoFile : Track(below_.Create(p, x));
    }
    NewFile CreateNew(const std::string& path) override;
    bool Truncate(FileHandle f) override {
        return !ShouldFail(FileOp::Truncate) && below_.Truncate(f);
    }
    bool SetLength(FileHandle f, std::int64_t n) override {
        return !ShouldFail(FileOp::SetLength) && below_.SetLength(f, n);
    }
    std::int64_t Seek(FileHandle f, std::int64_t at, SeekTo to) override {
        return ShouldFail(FileOp::Seek) ? -1 : below_.Seek(f, at, to);
    }
    std::optional<FileStatus> Status(FileHandle f) override {
        return ShouldFail(FileOp::Status) ? std::nullopt : below_.Status(f);
    }
    std::optional<FileStatus> StatusOfPath(const std::string& p) override {
        return ShouldFail(FileOp::StatusOfPath) ? std::nullopt : below_.StatusOfPath(p);
    }
    std::int64_t Read(FileHandle file, void* buffer, std::int64_t count) override;
    bool Write(FileHandle file, const void* buffer, std::int64_t count) override;
    std::int64_t Copy(FileHandle from, FileHandle to, std::int64_t count) override;
    bool Close(FileHandle file) override;
    bool SetModifiedTime(FileHandle f, std::int64_t s) override {
        return !ShouldFail(FileOp::SetModifiedTime) && below_.SetModifiedTime(f, s);
    }
    bool Delete(const std::string& p) override {
        return !ShouldFail(FileOp::Delete) && below_.Delete(p);
    }
    bool CreateFolder(const std::string& p) override {
        return !ShouldFail(FileOp::CreateFolder) && below_.CreateFolder(p);
    }
    FileHandle Duplicate(FileHandle f) override {
        return ShouldFail(FileOp::Duplicate) ? kNoFile : Track(below_.Duplicate(f));
    }
    // Answers without a fault: the question cannot fail.
    WriteBack WriteBackOf(FileHandle f) override {
        return writeBack_ ? *writeBack_ : below_.WriteBackOf(f);
    }
    bool WriteOut(FileHandle f, std::int64_t at, std::int64_t n, bool wait) override {
        return !ShouldFail(FileOp::WriteOut) && below_.WriteOut(f, at, n, wait);
    }
    bool Flush(FileHandle f) override { return !ShouldFail(FileOp::Flush) && below_.Flush(f); }
    bool FlushFileSystem(FileHandle f) override {
        return !ShouldFail(FileOp::FlushFileSystem) && below_.FlushFileSystem(f);
    }

  private:
    // Counts the call and tells whether it must fail.
    bool ShouldFail(FileOp op);
    FileHandle Track(FileHandle file);
    // What a read of `count` bytes may get before the made-up end of the files.
    std::int64_t ReadLimit(std::int64_t count) const;

    std::int64_t failNth_ = 0;
    std::map<FileOp, std::set<int>> failOps_;
    std::set<FileOp> failAll_;
    std::int64_t bytesBeforeFailure_ = 0;
    std::function<void(std::int64_t)> beforeCopy_;
    std::optional<WriteBack> writeBack_;
    std::int64_t endOfFilesAt_ = -1;
    std::int64_t bytesRead_ = 0;
    std::int64_t calls_ = 0;
    std::map<FileOp, int> perOp_;
    std::set<FileHandle> open_;
    std::vector<FileOp> log_;
    bool failedOnce_ = false;
};

}  // namespace partory::testing
