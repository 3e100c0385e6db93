// SPDX-License-Identifier: GPL-3.0-or-later
#include "memory_file_layer.h"

#include <algorithm>
#include <cstring>

#include "partory/paths.h"

namespace partory::testing {

MemoryFileLayer::MemoryFileLayer(std::set<char> drives) : drives_(std::move(drives)) {}

void MemoryFileLayer::AddFile(const std::string& path, std::string content, bool readOnly) {
    File file;
    file.content = std::move(content);
    file.readOnly = readOnly;
    file.inode = nextInode_++;
    files_[Key(path)] = std::move(file);
}

std::string MemoryFileLayer::Key(const std::string& path) {
    return RemoveTrailingSeparator(path, PathSyntax::Windows);
}

std::string MemoryFileLayer::Parent(const std::string& path) {
    return RemoveTrailingSeparator(FolderPart(Key(path), PathSyntax::Windows), PathSyntax::Windows);
}

bool MemoryFileLayer::IsDrive(const std::string& path) const {
    std::string key = Key(path);
    return key.size() == 2 && key[1] == ':' && drives_.count(key[0]) > 0;
}

bool MemoryFileLayer::FolderExists(const std::string& path) const {
    return IsDrive(path) || folders_.count(Key(path)) > 0;
}

MemoryFileLayer::Handle* MemoryFileLayer::Find(FileHandle file) {
    auto it = handles_.find(file);
    if (it == handles_.end() || !files_.count(it->second.path)) return nullptr;
    return &it->second;
}

FileHandle MemoryFileLayer::Open(const std::string& path, bool writable) {
    auto it = files_.find(Key(path));
    if (it == files_.end() || (writable && it->second.readOnly)) return kNoFile;
    FileHandle handle = nextHandle_++;
    handles_[handle] = Handle{it->first, 0, writable};
    return handle;
}

FileHandle MemoryFileLayer::OpenReadWrite(const std::string& path) {
    return Open(path, true);
}

FileHandle MemoryFileLayer::OpenRead(const std::string& path) {
    return Open(path, false);
}

FileHandle MemoryFileLayer::Create(const std::string& path, bool /*exclusive*/) {
    std::string key = Key(path);
    if (key.empty() || FolderExists(key) || !FolderExists(Parent(key))) return kNoFile;
    if (!files_.count(key)) AddFile(key);
    return Open(key, true);
}

NewFile MemoryFileLayer::CreateNew(const std::string& path) {
    const std::string key = Key(path);
    if (files_.count(key) || FolderExists(key)) return NewFile::NameTaken();
    const FileHandle file = Create(path, false);
    return file == kNoFile ? NewFile::Failed() : NewFile::Created(file);
}

bool MemoryFileLayer::Truncate(FileHandle file) {
    Handle* handle = Find(file);
    if (!handle || !handle->writable) return false;
    files_[handle->path].content.clear();
    handle->position = 0;
    return true;
}

bool MemoryFileLayer::SetLength(FileHandle file, std::int64_t length) {
    Handle* handle = Find(file);
    if (!handle || !handle->writable || length < 0) return false;
    files_[handle->path].content.resize(static_cast<std::size_t>(length));
    return true;
}

std::int64_t MemoryFileLayer::Seek(FileHandle file, std::int64_t offset, SeekTo to) {
    Handle* handle = Find(file);
    if (!handle || offset < 0) return -1;
    const auto size = static_cast<std::int64_t>(files_[handle->path].content.size());
    if (to == SeekTo::Data && offset >= size) return kNoMoreData;
    if (to == SeekTo::Hole) offset = std::max(offset, size);
    handle->position = offset;
    return offset;
}

std::optional<FileStatus> MemoryFileLayer::Status(FileHandle file) {
    Handle* handle = Find(file);
    if (!handle) return std::nullopt;
    return StatusOfPath(handle->path);
}

std::optional<FileStatus> MemoryFileLayer::StatusOfPath(const std::string& path) {
    std::string key = Key(path);
    FileStatus status;
    status.identity.device = 1;
    if (FolderExists(key)) {
        status.kind = PathKind::Folder;
        status.identity.inode = std::hash<std::string>{}(key);
        return status;
    }
    auto it = files_.find(key);
    if (it == files_.end()) return std::nullopt;
    status.kind = PathKind::File;
    status.size = static_cast<std::int64_t>(it->second.content.size());
    status.modifiedSeconds = it->second.modifiedSeconds;
    status.identity.inode = it->second.inode;
    return status;
}

std::int64_t MemoryFileLayer::Read(FileHandle file, void* buffer, std::int64_t count) {
    Handle* handle = Find(file);
    if (!handle) return -1;
    const std::string& content = files_[handle->path].content;
    std::int64_t available = static_cast<std::int64_t>(content.size()) - handle->position;
    std::int64_t got = std::clamp<std::int64_t>(available, 0, count);
    if (got > 0) std::memcpy(buffer, content.data() + handle->position, static_cast<size_t>(got));
    handle->position += got;
    return got;
}

bool MemoryFileLayer::Write(FileHandle file, const void* buffer, std::int64_t count) {
    Handle* handle = Find(file);
    if (!handle || !handle->writable) return false;
    std::string& content = files_[handle->path].content;
    auto end = static_cast<std::size_t>(handle->position + count);
    if (content.size() < end) content.resize(end);
    std::memcpy(content.data() + handle->position, buffer, static_cast<size_t>(count));
    handle->position += count;
    return true;
}

std::int64_t MemoryFileLayer::Copy(FileHandle from, FileHandle to, std::int64_t count) {
    Handle* source = Find(from);
    if (!source) return -1;
    const std::string& content = files_[source->path].content;
    std::int64_t available = static_cast<std::int64_t>(content.size()) - source->position;
    std::int64_t got = std::clamp<std::int64_t>(available, 0, count);
    std::string bytes =
        content.substr(static_cast<std::size_t>(source->position), static_cast<std::size_t>(got));
    if (!Write(to, bytes.data(), got)) return -1;
    source->position += got;
    return got;
}

FileHandle MemoryFileLayer::Duplicate(FileHandle file) {
    Handle* handle = Find(file);
    if (!handle) return kNoFile;
    const Handle copy = *handle;
    handles_[nextHandle_] = copy;
    return nextHandle_++;
}

bool MemoryFileLayer::Close(FileHandle file) {
    return handles_.erase(file) > 0;
}

bool MemoryFileLayer::SetModifiedTime(FileHandle file, std::int64_t secondsSinceEpoch) {
    Handle* handle = Find(file);
    if (!handle) return false;
    files_[handle->path].modifiedSeconds = secondsSinceEpoch;
    return true;
}

bool MemoryFileLayer::Delete(const std::string& path) {
    auto it = files_.find(Key(path));
    if (it == files_.end() || it->second.readOnly) return false;
    files_.erase(it);
    return true;
}

bool MemoryFileLayer::CreateFolder(const std::string& path) {
    std::string key = Key(path);
    if (key.empty() || FolderExists(key) || files_.count(key) || !FolderExists(Parent(key))) {
        return false;
    }
    folders_.insert(key);
    created_.push_back(key);
    return true;
}

}  // namespace partory::testing
