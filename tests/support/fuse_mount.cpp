// SPDX-License-Identifier: GPL-3.0-or-later
#include "fuse_mount.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

extern char** environ;

namespace partory::testing {
namespace {

constexpr long kFuseMagic = 0x65735546;
constexpr auto kMountTimeout = std::chrono::seconds(15);
constexpr auto kExitTimeout = std::chrono::seconds(5);

bool IsFuse(const std::string& path) {
    struct statfs fs;
    return ::statfs(path.c_str(), &fs) == 0 && fs.f_type == kFuseMagic;
}

// The first python3 that has fusepy: Debian's own comes first, since a python3 earlier on
// PATH (a virtual environment, pyenv) does not see the system's packages.
std::string PythonWithFusepy() {
    for (const char* python : {"/usr/bin/python3", "python3"}) {
        if (RunQuietly({python, "-c", "try:\n import fusepy\nexcept ImportError:\n import fuse"}) ==
            0) {
            return python;
        }
    }
    return {};
}

// Waits for `pid` to end, up to `timeout`; true when it was reaped.
bool Reaped(pid_t pid, std::chrono::steady_clock::duration timeout, int* status = nullptr) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    int ignored = 0;
    while (true) {
        const pid_t done = ::waitpid(pid, status ? status : &ignored, WNOHANG);
        if (done == pid || (done < 0 && errno == ECHILD)) return true;
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// The end of what the process wrote to `fd` (its stderr), short enough for a reason.
std::string Text(int fd) {
    std::string text;
    char buffer[4096];
    ssize_t got;
    off_t offset = 0;
    while ((got = ::pread(fd, buffer, sizeof(buffer), offset)) > 0) {
        text.append(buffer, static_cast<std::size_t>(got));
        offset += got;
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    if (text.size() > 400) text = "..." + text.substr(text.size() - 400);
    return text;
}

}  // namespace

std::unique_ptr<FuseMount> FuseMount::Make(const std::string& backing,
                                           const std::string& mountPoint,
                                           const FuseOptions& options, std::string& whyNot) {
    if (::access("/dev/fuse", R_OK | W_OK) != 0) {
        whyNot = std::string("/dev/fuse cannot be opened: ") + std::strerror(errno);
        return nullptr;
    }
    const std::string python = PythonWithFusepy();
    if (python.empty()) {
        whyNot = "no python3 with fusepy (python3-fusepy) and libfuse";
        return nullptr;
    }
    ::mkdir(backing.c_str(), 0755);
    ::mkdir(mountPoint.c_str(), 0755);
    struct stat before;
    if (::stat(mountPoint.c_str(), &before) != 0) {
        whyNot = "cannot make the mount point " + mountPoint + ": " + std::strerror(errno);
        return nullptr;
    }
    if (IsFuse(mountPoint)) {
        whyNot = mountPoint + " is a FUSE mount already";
        return nullptr;
    }

    std::vector<std::string> args{python, PARTORY_FUSE_FS, backing, mountPoint};
    char rate[64];
    if (options.writeRate > 0) {
        std::snprintf(rate, sizeof(rate), "%.17g", options.writeRate);
        args.insert(args.end(), {"--write-rate", rate});
    }
    if (options.fsyncError) args.push_back("--fsync-error");
    if (options.refuseExtend) args.push_back("--refuse-extend");
    std::vector<char*> argv;
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    // Its complaints are kept in memory, to give as the reason when it does not come up.
    const int log = ::memfd_create("fuse_fs-stderr", MFD_CLOEXEC);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    if (log >= 0) posix_spawn_file_actions_adddup2(&actions, log, STDERR_FILENO);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        if (log >= 0) ::close(log);
        whyNot = "cannot start " + python + ": " + std::strerror(rc);
        return nullptr;
    }

    const auto until = std::chrono::steady_clock::now() + kMountTimeout;
    while (true) {
        struct stat now;
        if (IsFuse(mountPoint) && ::stat(mountPoint.c_str(), &now) == 0 &&
            now.st_dev != before.st_dev) {
            break;
        }
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) {
            whyNot = "fuse_fs.py ended before mounting";
            if (log >= 0) whyNot += ": " + Text(log);
            if (log >= 0) ::close(log);
            return nullptr;
        }
        if (std::chrono::steady_clock::now() >= until) {
            ::kill(pid, SIGKILL);
            Reaped(pid, kExitTimeout);
            RunQuietly({"umount", "-l", mountPoint});
            whyNot = "fuse_fs.py did not mount " + mountPoint + " within 15 s";
            if (log >= 0) ::close(log);
            return nullptr;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (log >= 0) ::close(log);
    return std::unique_ptr<FuseMount>(new FuseMount(backing, mountPoint, pid));
}

FuseMount::~FuseMount() {
    // The process ends by itself once its mount is gone; a busy mount is taken off lazily, and
    // a process that still does not end is stopped.
    if (RunQuietly({"fusermount3", "-u", mountPoint_}) != 0 &&
        RunQuietly({"fusermount", "-u", mountPoint_}) != 0 &&
        RunQuietly({"umount", mountPoint_}) != 0) {
        RunQuietly({"umount", "-l", mountPoint_});
    }
    if (!Reaped(pid_, kExitTimeout)) {
        ::kill(pid_, SIGTERM);
        if (!Reaped(pid_, kExitTimeout)) {
            ::kill(pid_, SIGKILL);
            Reaped(pid_, kExitTimeout);
        }
    }
    ::rmdir(mountPoint_.c_str());
}

std::unique_ptr<SlowStick> SlowStick::Make(const std::string& folder, double bytesPerSecond,
                                           long long sizeMiB, std::string& whyNot) {
    ::mkdir(folder.c_str(), 0755);
    std::unique_ptr<SlowStick> stick(new SlowStick());
    stick->folder_ = folder;
    FuseOptions options;
    options.writeRate = bytesPerSecond;
    stick->fuse_ = FuseMount::Make(folder + "/backing", folder + "/medium", options, whyNot);
    if (!stick->fuse_) return nullptr;
    stick->loop_ = LoopMount::Make("ext4", stick->fuse_->path() + "/stick.img", folder + "/stick",
                                   sizeMiB, whyNot);
    if (!stick->loop_) return nullptr;
    return stick;
}

SlowStick::~SlowStick() {
    loop_.reset();
    fuse_.reset();
    ::rmdir((folder_ + "/backing").c_str());
}

}  // namespace partory::testing
