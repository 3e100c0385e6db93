// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "bench_util.h"

namespace bench {

// The display the window cases run on: a private Xvfb (with openbox when it is there), or Qt's
// offscreen platform when no X server can be started. Set in this process's environment, so
// that every window run inherits it; the servers end with this object.
class WindowSystem {
  public:
    WindowSystem();
    ~WindowSystem();
    WindowSystem(const WindowSystem&) = delete;
    WindowSystem& operator=(const WindowSystem&) = delete;
    const std::string& description() const { return description_; }

  private:
    pid_t xvfb_ = -1;
    pid_t openbox_ = -1;
    std::string description_;
    std::string runtimeDir_;
};

// A divide from the window's "Start" (source of partCount parts), against split and the engine;
// `durable` as for DivideCase.
Row WindowDivideCase(const Config& config, const std::string& folder, const std::string& name,
                     std::int64_t partBytes, std::int64_t partCount, bool durable);
// A combine from the window's "Start" of `inputs` (in `folder`), against cat and the engine.
Row WindowCombineCase(const Config& config, const std::string& folder, const std::string& name,
                      const std::vector<std::string>& inputs, bool durable);
// One run of partory_window_run with `args`; the seconds are those it printed first.
ProcessResult RunWindowJob(const std::string& scratch, const std::vector<std::string>& args);

struct SoakResult {
    int jobs = 0;
    double seconds = 0;
    long rssAt10KiB = 0;
    int descriptorsAt10 = 0;
    long rssAtEndKiB = 0;
    int descriptorsAtEnd = 0;
};
// `jobs` divides and combines in a row through one window, with "Start over" between them.
SoakResult SoakCase(const std::string& folder, int jobs);

struct LongPartResult {
    double longestWithoutPaint = 0;  // seconds, during the part
    bool pauseHeld = false;          // clicked during the part, took effect before the next
    std::string note;
};
// A divide whose first part takes `seconds` (slowed through the file layer), with Pause clicked
// during that part.
LongPartResult LongPartCase(const std::string& folder, double seconds);

}  // namespace bench
