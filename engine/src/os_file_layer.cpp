// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "partory/file_layer.h"

namespace partory {

PathKind FileLayer::KindOf(const std::string& path) {
    auto status = StatusOfPath(path);
    return status ? status->kind : PathKind::Missing;
}

namespace {

PathKind KindFromMode(mode_t mode) {
    if (S_ISREG(mode)) return PathKind::File;
    if (S_ISDIR(mode)) return PathKind::Folder;
    return PathKind::Other;
}

FileStatus FromStat(const struct stat& st) {
    FileStatus status;
    status.size = st.st_size;
    status.identity = {static_cast<std::uint64_t>(st.st_dev),
                       static_cast<std::uint64_t>(st.st_ino)};
    status.kind = KindFromMode(st.st_mode);
    status.modifiedSeconds = st.st_mtim.tv_sec;
    status.linkCount = static_cast<std::uint64_t>(st.st_nlink);
    status.allocated = static_cast<std::int64_t>(st.st_blocks) * 512;
    return status;
}

// The system reads a path up to its first NUL: a path holding one would name another file.
const char* SystemPath(const std::string& path) {
    if (path.find('\0') != std::string::npos) {
        errno = EINVAL;
        return nullptr;
    }
    return path.c_str();
}

// Makes a system call again for as long as a signal interrupts it.
template <typename Call>
auto Retrying(Call call) {
    auto result = call();
    while (result == -1 && errno == EINTR) result = call();
    return result;
}

int Open(const std::string& pathText, int flags, mode_t mode = 0) {
    const char* path = SystemPath(pathText);
    if (!path) return kNoFile;
    // Non-blocking, so that a named pipe among the paths fails at once instead of waiting
    // forever for its other end; regular files ignore the flag.
    return Retrying([&] { return ::open(path, flags | O_CLOEXEC | O_NONBLOCK, mode); });
}

// File systems whose syncfs writes out every file and, since Linux 5.8, reports the write-back
// errors of any of them. The others are flushed file by file: a FUSE or network file system may
// learn of a failed write only when a file is flushed, and tells only that file.
WriteBack WriteBackOfType(decltype(statfs::f_type) type) {
    switch (type) {
        case TMPFS_MAGIC:
        case RAMFS_MAGIC:
            return WriteBack::None;
        case EXT4_SUPER_MAGIC:  // ext2 and ext3 as well
        case XFS_SUPER_MAGIC:
        case BTRFS_SUPER_MAGIC:
        case F2FS_SUPER_MAGIC:
        case MSDOS_SUPER_MAGIC:  // vfat
        case EXFAT_SUPER_MAGIC:
            return WriteBack::FileSystem;
        default:
            return WriteBack::EachFile;
    }
}

class OsFiles final : public FileLayer {
  public:
    FileHandle OpenReadWrite(const std::string& path) override { return Open(path, O_RDWR); }

    FileHandle OpenRead(const std::string& path) override { return Open(path, O_RDONLY); }

    FileHandle Create(const std::string& path, bool exclusive) override {
        int fd = Open(path, O_RDWR | O_CREAT, 0666);
        if (fd < 0 || !exclusive) return fd;
        // Advisory only: keeps a second Partory (or any flock user) from writing it at once.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            return kNoFile;
        }
        return fd;
    }

    NewFile CreateNew(const std::string& path) override {
        const int fd = Open(path, O_RDWR | O_CREAT | O_EXCL, 0666);
        if (fd >= 0) return NewFile::Created(fd);
        return errno == EEXIST ? NewFile::NameTaken() : NewFile::Failed();
    }

    bool Truncate(FileHandle file) override { return SetLength(file, 0); }

    bool SetLength(FileHandle file, std::int64_t length) override {
        return Retrying([&] { return ::ftruncate(file, static_cast<off_t>(length)); }) == 0;
    }

    std::int64_t Seek(FileHandle file, std::int64_t offset, SeekTo to) override {
        const int whence = to == SeekTo::Offset ? SEEK_SET
                           : to == SeekTo::Data ? SEEK_DATA
                                                : SEEK_HOLE;
        const off_t at = ::lseek(file, static_cast<off_t>(offset), whence);
        if (at >= 0) return at;
        if (to == SeekTo::Data && errno == ENXIO) return kNoMoreData;
        if (to != SeekTo::Offset && (errno == EINVAL || errno == EOPNOTSUPP || errno == ENOSYS)) {
            // No map of holes here: all of the file is data.
            struct stat st;
            if (::fstat(file, &st) != 0) return -1;
            const std::int64_t found = to == SeekTo::Data ? offset : std::int64_t{st.st_size};
            if (to == SeekTo::Data && offset >= st.st_size) return kNoMoreData;
            return ::lseek(file, static_cast<off_t>(std::max(found, offset)), SEEK_SET);
        }
        return -1;
    }

    std::optional<FileStatus> Status(FileHandle file) override {
        struct stat st;
        if (::fstat(file, &st) != 0) return std::nullopt;
        return FromStat(st);
    }

    std::optional<FileStatus> StatusOfPath(const std::string& path) override {
        struct stat st;
        const char* systemPath = SystemPath(path);
        if (!systemPath || ::stat(systemPath, &st) != 0) return std::nullopt;
        return FromStat(st);
    }

    std::int64_t Read(FileHandle file, void* buffer, std::int64_t count) override {
        auto* bytes = static_cast<char*>(buffer);
        std::int64_t done = 0;
        while (done < count) {
            const ssize_t got = Retrying(
                [&] { return ::read(file, bytes + done, static_cast<size_t>(count - done)); });
            if (got < 0) return -1;
            if (got == 0) break;
            done += got;
        }
        return done;
    }

    bool Write(FileHandle file, const void* buffer, std::int64_t count) override {
        const auto* bytes = static_cast<const char*>(buffer);
        std::int64_t done = 0;
        while (done < count) {
            const ssize_t put = Retrying(
                [&] { return ::write(file, bytes + done, static_cast<size_t>(count - done)); });
            if (put <= 0) return false;
            done += put;
        }
        return true;
    }

    std::int64_t Copy(FileHandle from, FileHandle to, std::int64_t count) override {
        std::int64_t done = 0;
        while (done < count) {
            // Large chunks, but bounded so a huge part never asks for more than ssize_t holds.
            std::int64_t chunk = std::min<std::int64_t>(count - done, std::int64_t{1} << 30);
            const ssize_t put = Retrying([&] {
                return ::copy_file_range(from, nullptr, to, nullptr, static_cast<size_t>(chunk), 0);
            });
            if (put > 0) {
                done += put;
                continue;
            }
            if (put == 0) return done;
            if (done == 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS ||
                              errno == EOPNOTSUPP || errno == EBADF)) {
                // This pair of files cannot be copied by the kernel; fall back for this call.
                break;
            }
            return -1;
        }
        // Only a pair the kernel refused gets here: most jobs never need the buffer.
        if (done < count && !buffer_) buffer_ = std::make_unique_for_overwrite<char[]>(kBufferSize);
        while (done < count) {
            std::int64_t want = std::min<std::int64_t>(count - done, kBufferSize);
            std::int64_t got = Read(from, buffer_.get(), want);
            if (got < 0) return -1;
            if (got > 0 && !Write(to, buffer_.get(), got)) return -1;
            done += got;
            if (got < want) break;
        }
        return done;
    }

    // Never retried: Linux frees the descriptor even on EINTR, so a retry could close another's.
    bool Close(FileHandle file) override { return ::close(file) == 0; }

    FileHandle Duplicate(FileHandle file) override { return ::fcntl(file, F_DUPFD_CLOEXEC, 0); }

    WriteBack WriteBackOf(FileHandle file) override {
        struct statfs fs;
        if (::fstatfs(file, &fs) != 0) return WriteBack::EachFile;
        return WriteBackOfType(fs.f_type);
    }

    bool WriteOut(FileHandle file, std::int64_t offset, std::int64_t count, bool wait) override {
        const unsigned flags =
            wait ? SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER
                 : SYNC_FILE_RANGE_WRITE;
        const int result = Retrying([&] {
            return ::sync_file_range(file, static_cast<off64_t>(offset),
                                     static_cast<off64_t>(count), flags);
        });
        // Only a hint where the kernel cannot do it; the flush at the end still tells.
        return result == 0 || errno == ESPIPE || errno == EINVAL || errno == ENOSYS;
    }

    bool Flush(FileHandle file) override {
        return Retrying([&] { return ::fsync(file); }) == 0;
    }

    bool FlushFileSystem(FileHandle file) override {
        return Retrying([&] { return ::syncfs(file); }) == 0;
    }

    bool SetModifiedTime(FileHandle file, std::int64_t secondsSinceEpoch) override {
        struct timespec times[2];
        times[0].tv_sec = 0;
        times[0].tv_nsec = UTIME_OMIT;
        times[1].tv_sec = static_cast<time_t>(secondsSinceEpoch);
        times[1].tv_nsec = 0;
        return ::futimens(file, times) == 0;
    }

    bool Delete(const std::string& path) override {
        const char* systemPath = SystemPath(path);
        return systemPath && ::unlink(systemPath) == 0;
    }

    bool CreateFolder(const std::string& path) override {
        const char* systemPath = SystemPath(path);
        return systemPath && ::mkdir(systemPath, 0777) == 0;
    }

  private:
    static constexpr std::int64_t kBufferSize = 128 * 1024;
    std::unique_ptr<char[]> buffer_;
};

}  // namespace

FileLayer& OsFileLayer() {
    static OsFiles files;
    return files;
}

}  // namespace partory
