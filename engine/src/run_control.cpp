// SPDX-License-Identifier: GPL-3.0-or-later
#include "partory/run_control.h"

namespace partory {

void ResetRunState(RunState& state) {
    state.Paused = false;
    state.CancelRequested = false;
    state.Succeeded = false;
    state.ResultText.clear();
    state.Stopped = false;
}

void PauseJob(RunState& state) {
    state.Paused = true;
}

void ResumeJob(RunState& state) {
    state.Paused = false;
}

void CancelJob(RunState& state) {
    state.Paused = false;
    state.CancelRequested = true;
}

void WaitWhilePaused(RunState& state, EventPump& pump) {
    while (state.Paused) {
        pump.PumpEvents();
        // Sleep in the window system's wait rather than spin: Continue and Cancel are events,
        // so they wake it at once.
        if (state.Paused) pump.WaitForEvents();
    }
}

void TakeCancelStep(RunState& state) {
    state.ResultText = kTerminatedText;
    state.Succeeded = false;
    state.Stopped = true;
}

}  // namespace partory
