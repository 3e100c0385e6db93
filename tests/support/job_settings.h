// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One job run without a window: its settings as a command line gives them, and the progress and
// the pump that nobody watches.

#include <cstdint>

#include "partory/divide_job.h"
#include "partory/run_control.h"

namespace partory::testing {

// Keeps only the last position reported.
class QuietProgress final : public ProgressSink {
  public:
    void SetMaximum(std::int64_t) override {}
    void SetPosition(std::int64_t position) override { position_ = position; }
    std::int64_t position() const { return position_; }

  private:
    std::int64_t position_ = -1;
};

class IdlePump final : public EventPump {
  public:
    void PumpEvents() override {}
    void WaitForEvents() override {}
};

// `words` are <source> <folder> <template> <part bytes>: a divide in parts of that many bytes.
DivideSettings DivideSettingsOf(const char* const* words);

}  // namespace partory::testing
