// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "partory/file_layer.h"

namespace partory::testing {

// Passes every call to the layer below; a test layer overrides only the calls it changes.
class ForwardingLayer : public FileLayer {
  public:
    explicit ForwardingLayer(FileLayer& below) : below_(below) {}

    FileHandle OpenReadWrite(const std::string& p) override { return below_.OpenReadWrite(p); }
    FileHandle OpenRead(const std::string& p) override { return below_.OpenRead(p); }
    FileHandle Create(const std::string& p, bool x) override { return below_.Create(p, x); }
    NewFile CreateNew(const std::string& p) override { return below_.CreateNew(p); }
    bool Truncate(FileHandle f) override { return below_.Truncate(f); }
    bool SetLength(FileHandle f, std::int64_t n) override { return below_.SetLength(f, n); }
    std::int64_t Seek(FileHandle f, std::int64_t at, SeekTo to) override {
        return below_.Seek(f, at, to);
    }
    std::optional<FileStatus> Status(FileHandle f) override { return below_.Status(f); }
    std::optional<FileStatus> StatusOfPath(const std::string& p) override {
        return below_.StatusOfPath(p);
    }
    std::int64_t Read(FileHandle f, void* b, std::int64_t n) override {
        return below_.Read(f, b, n);
    }
    bool Write(FileHandle f, const void* b, std::int64_t n) override {
        return below_.Write(f, b, n);
    }
    std::int64_t Copy(FileHandle from, FileHandle to, std::int64_t count) override {
        return below_.Copy(from, to, count);
    }
    bool Close(FileHandle f) override { return below_.Close(f); }
    bool SetModifiedTime(FileHandle f, std::int64_t s) override {
        return below_.SetModifiedTime(f, s);
    }
    bool Delete(const std::string& p) override { return below_.Delete(p); }
    bool CreateFolder(const std::string& p) override { return below_.CreateFolder(p); }
    FileHandle Duplicate(FileHandle f) override { return below_.Duplicate(f); }
    WriteBack WriteBackOf(FileHandle f) override { return below_.WriteBackOf(f); }
    bool WriteOut(FileHandle f, std::int64_t at, std::int64_t n, bool wait) override {
        return below_.WriteOut(f, at, n, wait);
    }
    bool Flush(FileHandle f) override { return below_.Flush(f); }
    bool FlushFileSystem(FileHandle f) override { return below_.FlushFileSystem(f); }

  protected:
    FileLayer& below_;
};

}  // namespace partory::testing
