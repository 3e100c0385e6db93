// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include "partory/file_layer.h"
#include "partory/run_control.h"

namespace partory {

enum class SizeUnit { Kbytes = 0, Bytes = 1 };

struct DivideSettings {
    std::string SourcePath;
    std::string DestinationFolder;
    std::string NameTemplate;
    double PartSizeValue = 1.0;  // as the size field reads it: may be 0, a fraction, negative
    SizeUnit Unit = SizeUnit::Kbytes;
    bool UpperCase = true;  // only for inserting template pieces
};

// Part size in bytes: the value (times 1024 for Kbytes), rounded half to even.
std::int64_t GetPartSize(const DivideSettings& settings);

std::string DivisionErrorText(const std::string& sourcePath);

// Runs the whole divide job; its outcome is left in `state`.
void RunDivideJob(const DivideSettings& settings, RunState& state, ProgressSink& progress,
                  EventPump& pump, FileLayer& files);

}  // namespace partory
