// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "partory/file_layer.h"

namespace partory::testing {

// A file system held in memory, in Windows path syntax: drive roots are "C:" (also spelled
// "C:\"), folders and files are keyed by their path without a trailing "\". Lets the checks
// run on drive letters and backslashes without touching a disk. Each path string is its own
// file: there are no links.
class MemoryFileLayer final : public FileLayer {
  public:
    explicit MemoryFileLayer(std::set<char> drives = {'C'});

    void AddFolder(const std::string& path) { folders_.insert(Key(path)); }
    void AddFile(const std::string& path, std::string content = {}, bool readOnly = false);

    bool HasFolder(const std::string& path) const { return folders_.count(path) > 0; }
    bool HasFile(const std::string& path) const { return files_.count(path) > 0; }
    const std::string& Content(const std::string& path) const { return files_.at(path).content; }
    // Folders made through CreateFolder, in order.
    const std::vector<std::string>& createdFolders() const { return created_; }
    int openHandles() const { return static_cast<int>(handles_.size()); }

    FileHandle OpenReadWrite(const std::string& path) override;
    FileHandle OpenRead(const std::string& path) override;
    FileHandle Create(const std::string& path, bool exclusive) override;
    NewFile CreateNew(const std::string& path) override;
    bool Truncate(FileHandle file) override;
    bool SetLength(FileHandle file, std::int64_t length) override;
    // Memory holds no holes: every file is all data.
    std::int64_t Seek(FileHandle file, std::int64_t offset, SeekTo to) override;
    std::optional<FileStatus> Status(FileHandle file) override;
    std::optional<FileStatus> StatusOfPath(const std::string& path) override;
    std::int64_t Read(FileHandle file, void* buffer, std::int64_t count) override;
    bool Write(FileHandle file, const void* buffer, std::int64_t count) override;
    std::int64_t Copy(FileHandle from, FileHandle to, std::int64_t count) override;
    bool Close(FileHandle file) override;
    bool SetModifiedTime(FileHandle file, std::int64_t secondsSinceEpoch) override;
    bool Delete(const std::string& path) override;
    bool CreateFolder(const std::string& path) override;
    FileHandle Duplicate(FileHandle file) override;
    // Memory is the medium: there is nothing to write out.
    WriteBack WriteBackOf(FileHandle) override { return WriteBack::None; }
    bool WriteOut(FileHandle file, std::int64_t, std::int64_t, bool) override {
        return Find(file) != nullptr;
    }
    bool Flush(FileHandle file) override { return Find(file) != nullptr; }
    bool FlushFileSystem(FileHandle file) override { return Find(file) != nullptr; }

  private:
    struct File {
        std::string content;
        bool readOnly = false;
        std::int64_t modifiedSeconds = 0;
        std::uint64_t inode = 0;
    };
    struct Handle {
        std::string path;
        std::int64_t position = 0;
        bool writable = false;
    };

    bool IsDrive(const std::string& path) const;
    bool FolderExists(const std::string& path) const;
    // The folder that holds `path`, as a key (a drive as "C:").
    static std::string Parent(const std::string& path);
    static std::string Key(const std::string& path);
    Handle* Find(FileHandle file);
    FileHandle Open(const std::string& path, bool writable);

    std::set<char> drives_;
    std::set<std::string> folders_;
    std::map<std::string, File> files_;
    std::map<FileHandle, Handle> handles_;
    std::vector<std::string> created_;
    FileHandle nextHandle_ = 100;
    std::uint64_t nextInode_ = 1;
};

}  // namespace partory::testing
