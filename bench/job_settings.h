// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// One job run without a window: its settings as the benchmark's runs read them from their
// command line, and the progress and the pump that nobody watches.

#include "partory/divide_job.h"
#include "partory/run_control.h"

namespace bench {

class QuietProgress final : public partory::ProgressSink {
  public:
    void SetMaximum(std::int64_t) override {}
    void SetPosition(std::int64_t) override {}
};

class IdlePump final : public partory::EventPump {
  public:
    void PumpEvents() override {}
    void WaitForEvents() override {}
};

// `words` are <source> <folder> <template> <part bytes>: a divide in parts of that many bytes.
partory::DivideSettings DivideSettingsOf(const char* const* words);

}  // namespace bench
