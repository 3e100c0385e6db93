// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "partory/run_control.h"

namespace partory::testing {

// A fresh folder under `parent` (the system's temporary folder when empty), removed with
// everything in it.
class TempDir {
  public:
    explicit TempDir(const std::string& parent = {}, std::string_view prefix = "partory-test");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(std::string_view name) const { return path_ + "/" + std::string(name); }

  private:
    std::string path_;
};

void WriteFile(const std::string& path, std::string_view content);
std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
// Deterministic bytes that differ from block to block, so a misplaced block shows.
std::string PatternBytes(std::size_t size, unsigned seed = 1);
// Descriptors this process has open right now.
int OpenDescriptorCount();

// Records every report of a job.
class RecordingProgress : public ProgressSink {
  public:
    void SetMaximum(std::int64_t maximum) override {
        maximum_ = maximum;
        calls.push_back("max " + std::to_string(maximum));
    }
    void SetPosition(std::int64_t position) override {
        position_ = position;
        calls.push_back("pos " + std::to_string(position));
    }
    std::int64_t maximum() const { return maximum_; }
    std::int64_t position() const { return position_; }
    std::vector<std::string> calls;

  private:
    std::int64_t maximum_ = -1;
    std::int64_t position_ = -1;
};

// Stands in for the window's event loop: runs `onPump` at each pump with its 1-based count,
// so a test can press Pause, Continue or Cancel at a chosen point of a job.
class ScriptedPump : public EventPump {
  public:
    template <typename F>
    explicit ScriptedPump(F onPump) : onPump_(std::move(onPump)) {}
    ScriptedPump() = default;

    void PumpEvents() override {
        ++pumps;
        if (onPump_) onPump_(pumps);
    }
    void WaitForEvents() override {
        ++waits;
        // A real wait would block forever with nobody to press Continue; fail loudly instead.
        if (waits > 100000) throw std::runtime_error("job waits on a pause nobody ends");
    }

    int pumps = 0;
    int waits = 0;

  private:
    std::function<void(int)> onPump_;
};

}  // namespace partory::testing
