// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "partory/run_control.h"
#include "temp_dir.h"

namespace partory {
namespace {

using testing::ScriptedPump;

TEST(ResetRunState, ClearsEverythingAnEarlierJobLeft) {
    RunState state{true, true, true, true, "3 file(s) sucessfully created!"};
    ResetRunState(state);
    EXPECT_FALSE(state.Paused);
    EXPECT_FALSE(state.CancelRequested);
    EXPECT_FALSE(state.Succeeded);
    EXPECT_FALSE(state.Stopped);
    EXPECT_TRUE(state.ResultText.empty());
}

TEST(WaitWhilePaused, ReturnsAtOnceWhenNotPaused) {
    RunState state;
    ScriptedPump pump;
    WaitWhilePaused(state, pump);
    EXPECT_EQ(pump.pumps, 0);
    EXPECT_EQ(pump.waits, 0);
}

TEST(WaitWhilePaused, CancelWhilePausedEndsTheWaitAtOnce) {
    RunState state;
    PauseJob(state);
    ScriptedPump pump([&](int n) {
        if (n == 4) CancelJob(state);
    });
    WaitWhilePaused(state, pump);
    EXPECT_FALSE(state.Paused);
    EXPECT_TRUE(state.CancelRequested);
    EXPECT_EQ(pump.pumps, 4);
    EXPECT_EQ(pump.waits, 3);  // sleeps between pumps instead of spinning
}

TEST(CancelStep, SetsTheTerminatedOutcome) {
    RunState state;
    state.Succeeded = true;
    TakeCancelStep(state);
    EXPECT_EQ(state.ResultText, "The process was terminated.");
    EXPECT_FALSE(state.Succeeded);
    EXPECT_TRUE(state.Stopped);
}

}  // namespace
}  // namespace partory
