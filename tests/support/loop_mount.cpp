// SPDX-License-Identifier: GPL-3.0-or-later
#include "loop_mount.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace partory::testing {

pid_t SpawnQuietly(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : -1;
}

int RunQuietly(const std::vector<std::string>& args) {
    const pid_t pid = SpawnQuietly(args);
    if (pid < 0) return -1;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::unique_ptr<LoopMount> LoopMount::Make(const std::string& type, const std::string& image,
                                           const std::string& mountPoint, long long sizeMiB,
                                           std::string& whyNot) {
    if (::geteuid() != 0) {
        whyNot = "not running as root (mount needs it)";
        return nullptr;
    }
    const std::string mkfs = "mkfs." + type;
    if (RunQuietly({"sh", "-c", "command -v " + mkfs}) != 0) {
        whyNot = mkfs + " is not installed";
        return nullptr;
    }
    if (RunQuietly({"losetup", "-f"}) != 0) {
        whyNot = "no free loop device (losetup -f failed)";
        return nullptr;
    }
    const int fd = ::open(image.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const bool sized = fd >= 0 && ::ftruncate(fd, static_cast<off_t>(sizeMiB) << 20) == 0;
    if (fd >= 0) ::close(fd);
    if (!sized) {
        whyNot = "cannot make the image " + image + ": " + std::strerror(errno);
        ::unlink(image.c_str());
        return nullptr;
    }
    std::vector<std::string> mkfsArgs{mkfs, "-q", type == "ext4" ? "-F" : "-f"};
    // The image is new and reads as zeros, so its inode tables and journal need no zeroing,
    // which on a slow medium would take seconds and, left to the kernel, go on after mounting.
    if (type == "ext4")
        mkfsArgs.insert(mkfsArgs.end(), {"-E", "lazy_itable_init=1,lazy_journal_init=1,nodiscard"});
    mkfsArgs.push_back(image);
    if (RunQuietly(mkfsArgs) != 0) {
        whyNot = mkfs + " failed on " + image;
        ::unlink(image.c_str());
        return nullptr;
    }
    ::mkdir(mountPoint.c_str(), 0755);
    if (RunQuietly({"mount", "-o", type == "ext4" ? "loop,noinit_itable" : "loop", image,
                    mountPoint}) != 0) {
        whyNot = "mounting " + image + " through a loop device failed";
        ::rmdir(mountPoint.c_str());
        ::unlink(image.c_str());
        return nullptr;
    }
    return std::unique_ptr<LoopMount>(new LoopMount(image, mountPoint));
}

LoopMount::~LoopMount() {
    // A loop device set up by mount is freed when its file system is unmounted. A busy mount is
    // taken off lazily rather than left behind.
    if (RunQuietly({"umount", mountPoint_}) != 0) RunQuietly({"umount", "-l", mountPoint_});
    ::rmdir(mountPoint_.c_str());
    ::unlink(image_.c_str());
}

long long LoopMount::UsedBytes() const {
    const int fd = ::open(mountPoint_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
    struct statvfs fs;
    if (::statvfs(mountPoint_.c_str(), &fs) != 0) return -1;
    return static_cast<long long>(fs.f_blocks - fs.f_bfree) * static_cast<long long>(fs.f_frsize);
}

}  // namespace partory::testing
