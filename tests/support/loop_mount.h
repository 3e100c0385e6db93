// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

namespace partory::testing {

// A file system of the given type (xfs, btrfs, ext4) made in a sparse image file and mounted
// through a loop device, for as long as this object lives; unmounting also frees the loop device.
// Needs root, the type's mkfs and a free loop device.
class LoopMount {
  public:
    // nullptr when it cannot be made; `whyNot` then says why.
    static std::unique_ptr<LoopMount> Make(const std::string& type, const std::string& image,
                                           const std::string& mountPoint, long long sizeMiB,
                                           std::string& whyNot);
    ~LoopMount();
    LoopMount(const LoopMount&) = delete;
    LoopMount& operator=(const LoopMount&) = delete;

    const std::string& path() const { return mountPoint_; }
    // Bytes of the file system in use (blocks not free), after writing back what is pending.
    long long UsedBytes() const;

  private:
    LoopMount(std::string image, std::string mountPoint)
        : image_(std::move(image)), mountPoint_(std::move(mountPoint)) {}

    std::string image_;
    std::string mountPoint_;
};

// Starts a program (searched on PATH) with its output discarded; its process id, or -1.
pid_t SpawnQuietly(const std::vector<std::string>& args);
// SpawnQuietly and waits: the exit status, or -1 when it could not be started or did not exit.
int RunQuietly(const std::vector<std::string>& args);

}  // namespace partory::testing
