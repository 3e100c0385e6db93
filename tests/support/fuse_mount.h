// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

#include "loop_mount.h"

namespace partory::testing {

// How the medium behind a FuseMount behaves (support/fuse_fs.py).
struct FuseOptions {
    // Bytes a second all writes share, as a slow USB stick; 0 for no limit.
    double writeRate = 0;
    // fsync and fsyncdir answer EIO; flush and release stay fine. syncfs still succeeds: the
    // kernel does not ask a FUSE file system of this kind about it.
    bool fsyncError = false;
    // A truncate that would make a file longer answers EPERM, as FAT behind FUSE does.
    bool refuseExtend = false;
};

// A pass-through FUSE file system mirroring `backing` at `mountPoint`, for as long as this
// object lives. Needs /dev/fuse, python3 with fusepy (python3-fusepy) and, to mount, root.
class FuseMount {
  public:
    // nullptr when it cannot be made; `whyNot` then says why (callers skip). Both folders are
    // made when missing. Waits until the mount is up.
    static std::unique_ptr<FuseMount> Make(const std::string& backing,
                                           const std::string& mountPoint,
                                           const FuseOptions& options, std::string& whyNot);
    // Unmounts and reaps the file system's process. A loop device over a file in it must be
    // gone first (destroy the LoopMount before this), or its I/O fails.
    ~FuseMount();
    FuseMount(const FuseMount&) = delete;
    FuseMount& operator=(const FuseMount&) = delete;

    const std::string& path() const { return mountPoint_; }
    const std::string& backing() const { return backing_; }

  private:
    FuseMount(std::string backing, std::string mountPoint, pid_t pid)
        : backing_(std::move(backing)), mountPoint_(std::move(mountPoint)), pid_(pid) {}

    std::string backing_;
    std::string mountPoint_;
    pid_t pid_;
};

// A slow stick: an ext4 file system in an image file on a loop device, the image on a
// FuseMount that writes at `bytesPerSecond`, so that write-back and fsync take the time a slow
// medium takes. Everything lives under `folder` (made when missing); path() is the ext4 mount.
class SlowStick {
  public:
    static std::unique_ptr<SlowStick> Make(const std::string& folder, double bytesPerSecond,
                                           long long sizeMiB, std::string& whyNot);
    ~SlowStick();
    SlowStick(const SlowStick&) = delete;
    SlowStick& operator=(const SlowStick&) = delete;

    const std::string& path() const { return loop_->path(); }

  private:
    SlowStick() = default;

    std::string folder_;
    // Declared so that the loop mount goes before the FUSE mount its image lies on.
    std::unique_ptr<FuseMount> fuse_;
    std::unique_ptr<LoopMount> loop_;
};

}  // namespace partory::testing
