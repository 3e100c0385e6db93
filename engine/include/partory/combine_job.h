// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "partory/file_layer.h"
#include "partory/run_control.h"

namespace partory {

struct CombineSettings {
    std::vector<std::string> InputPaths;  // top to bottom is the order of appending
    std::string OutputPath;
};

// A time as the packed local DOS date and time carries it: two-second steps, years 1980 to
// 2107. nullopt when it lies outside that range.
std::optional<std::int64_t> RoundTripDosTime(std::int64_t secondsSinceEpoch);

// Runs the whole combine job; its outcome is left in `state`.
void RunCombineJob(const CombineSettings& settings, RunState& state, ProgressSink& progress,
                   EventPump& pump, FileLayer& files);

}  // namespace partory
