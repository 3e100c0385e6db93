// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

namespace partory {

using FileHandle = int;
inline constexpr FileHandle kNoFile = -1;

// What CreateNew gives: the new file, or why there is none.
struct NewFile {
    enum class Outcome { Created, NameTaken, Failed };
    Outcome outcome = Outcome::Failed;
    FileHandle file = kNoFile;  // only when Created

    static NewFile Created(FileHandle file) { return {Outcome::Created, file}; }
    static NewFile NameTaken() { return {Outcome::NameTaken, kNoFile}; }
    static NewFile Failed() { return {Outcome::Failed, kNoFile}; }
};

// Which file a path or handle names: the same file through a link or another spelling has
// the same identity.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

enum class PathKind { Missing, File, Folder, Other };

struct FileStatus {
    std::int64_t size = 0;
    FileIdentity identity;
    PathKind kind = PathKind::Missing;
    std::int64_t modifiedSeconds = 0;  // last modification, seconds since the epoch (UTC)
    std::uint64_t linkCount = 1;       // names the file has (hard links)
    // Bytes of disk the file's blocks take. Fewer than its size means it may have holes; a
    // layer that cannot tell leaves the most, and its files are read as all data.
    std::int64_t allocated = std::numeric_limits<std::int64_t>::max();
};

// Where Seek moves a file's position: to the offset itself, or to the first byte of data or
// of a hole at or after it (the file's end counts as a hole).
enum class SeekTo { Offset, Data, Hole };
// What Seek to Data gives when only holes lie between the offset and the end.
inline constexpr std::int64_t kNoMoreData = -2;

// How what is written to a file system reaches its medium, and so how a job makes sure it has.
enum class WriteBack {
    // Memory is the medium (tmpfs): nothing to wait for.
    None,
    // A disk file system: FlushFileSystem writes out every file and reports the write-back
    // errors of any of them, in one journal commit however many files there are.
    FileSystem,
    // Each file is flushed on its own (FUSE, network file systems, any other): only Flush of
    // the file itself hears of its write-back errors there.
    EachFile,
};

// The thin layer over the operating system's file calls that both jobs and the checks go
// through. Tests hand in another to inject faults (full disk, failed read, failed close...).
// Every call reports failure by its result and never throws.
class FileLayer {
  public:
    virtual ~FileLayer() = default;

    // An existing file, for reading and writing, shared (divide source).
    virtual FileHandle OpenReadWrite(const std::string& path) = 0;
    // An existing file, for reading only (combine input).
    virtual FileHandle OpenRead(const std::string& path) = 0;
    // Creates the file or opens the existing one for reading and writing, without cutting
    // it: callers check its identity first and then Truncate. With exclusive set, the file
    // is also locked against other writers for as long as it is open.
    virtual FileHandle Create(const std::string& path, bool exclusive) = 0;
    // Creates a file that is not there yet, for reading and writing, shared; NameTaken when
    // something has the name already (a link included).
    virtual NewFile CreateNew(const std::string& path) = 0;
    virtual bool Truncate(FileHandle file) = 0;
    // Sets the length of a file open for writing; what it gains is a hole.
    virtual bool SetLength(FileHandle file, std::int64_t length) = 0;
    // Moves the file's position (see SeekTo) and gives it; kNoMoreData, or -1 on failure. A file
    // system that cannot tell where holes are reports all of a file as data.
    virtual std::int64_t Seek(FileHandle file, std::int64_t offset, SeekTo to) = 0;
    virtual std::optional<FileStatus> Status(FileHandle file) = 0;
    // Follows links; nullopt when nothing is there (or it cannot be examined).
    virtual std::optional<FileStatus> StatusOfPath(const std::string& path) = 0;
    // Reads up to count bytes; fewer only at the end of the file. -1 on failure.
    virtual std::int64_t Read(FileHandle file, void* buffer, std::int64_t count) = 0;
    // Writes all count bytes; false on failure or a short write.
    virtual bool Write(FileHandle file, const void* buffer, std::int64_t count) = 0;
    // Copies up to count bytes from the current position of `from` to the current position
    // of `to`, advancing both; fewer only when `from` ends. -1 when a read or write fails.
    // The OS layer lets the kernel copy and falls back to reading and writing.
    virtual std::int64_t Copy(FileHandle from, FileHandle to, std::int64_t count) = 0;
    virtual bool Close(FileHandle file) = 0;
    // A second handle to the same open file, to be closed on its own.
    virtual FileHandle Duplicate(FileHandle file) = 0;
    // Never fails: a file system it cannot tell is flushed file by file.
    virtual WriteBack WriteBackOf(FileHandle file) = 0;
    // Starts writing `count` bytes of the file from `offset` out to the device; with `wait`,
    // returns once they are written out. False on a write-back error.
    virtual bool WriteOut(FileHandle file, std::int64_t offset, std::int64_t count, bool wait) = 0;
    // The file's data and what describes it (size, times) on the medium.
    virtual bool Flush(FileHandle file) = 0;
    // Every file of the file system that holds `file` on the medium, with their names; false
    // when a write-back error happened there since `file` was opened.
    virtual bool FlushFileSystem(FileHandle file) = 0;
    virtual bool SetModifiedTime(FileHandle file, std::int64_t secondsSinceEpoch) = 0;
    virtual bool Delete(const std::string& path) = 0;
    virtual bool CreateFolder(const std::string& path) = 0;

    PathKind KindOf(const std::string& path);
};

// The real file system.
FileLayer& OsFileLayer();

}  // namespace partory
