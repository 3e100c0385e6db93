// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <utility>

#include "partory/file_layer.h"

namespace partory {

// A handle the job owns: closed on every way out, an exception included. Where a failed close
// may have lost written data, the job closes it itself and checks Close.
class OwnedFile {
  public:
    explicit OwnedFile(FileLayer& files, FileHandle handle = kNoFile)
        : files_(&files), handle_(handle) {}
    ~OwnedFile() { Close(); }
    OwnedFile(OwnedFile&& other) noexcept
        : files_(other.files_), handle_(std::exchange(other.handle_, kNoFile)) {}
    OwnedFile& operator=(OwnedFile&& other) noexcept {
        if (this != &other) {
            Close();
            files_ = other.files_;
            handle_ = std::exchange(other.handle_, kNoFile);
        }
        return *this;
    }
    OwnedFile(const OwnedFile&) = delete;
    OwnedFile& operator=(const OwnedFile&) = delete;

    FileHandle get() const { return handle_; }
    explicit operator bool() const { return handle_ != kNoFile; }

    // False when the close failed; true when there was nothing to close.
    bool Close() {
        if (handle_ == kNoFile) return true;
        return files_->Close(std::exchange(handle_, kNoFile));
    }

  private:
    FileLayer* files_;
    FileHandle handle_;
};

}  // namespace partory
