// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace partory {

// The run-control record of a job. Owned by the window side for the whole program run and
// handed to each job; plain fields because everything runs on the window's one thread.
struct RunState {
    bool Paused = false;
    bool CancelRequested = false;
    bool Succeeded = false;
    bool Stopped = false;
    std::string ResultText;
};

// The window side's event loop, handed to a job when it starts. Handlers (Pause, Continue,
// Cancel, About...) run only inside these calls.
class EventPump {
  public:
    virtual ~EventPump() = default;
    // Runs every pending window event once and returns; never blocks.
    virtual void PumpEvents() = 0;
    // Blocks until at least one window event has arrived (it may run it). Lets a paused job
    // sleep instead of spinning a core.
    virtual void WaitForEvents() = 0;
    // Between slices of one long part or input: lets the window paint and answer the window
    // system, but runs no handler of user input (those wait for the next PumpEvents). Never
    // blocks.
    virtual void KeepAlive() {}
};

// Where a job reports its progress: the number of units and the units done.
class ProgressSink {
  public:
    virtual ~ProgressSink() = default;
    virtual void SetMaximum(std::int64_t maximum) = 0;
    virtual void SetPosition(std::int64_t position) = 0;
};

inline constexpr const char* kTerminatedText = "The process was terminated.";

void ResetRunState(RunState& state);
void PauseJob(RunState& state);
void ResumeJob(RunState& state);
void CancelJob(RunState& state);
// Before each unit of work: pumps events for as long as the job is paused.
void WaitWhilePaused(RunState& state, EventPump& pump);
// What a job does when it meets CancelRequested at one of its test points.
void TakeCancelStep(RunState& state);

}  // namespace partory
