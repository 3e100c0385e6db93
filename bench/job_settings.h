#pragma once

// The settings of one job as the benchmark's runs without a window read them from their
// command line.

#include "partory/divide_job.h"

namespace bench {

// `words` are <source> <folder> <template> <part bytes>: a divide in parts of that many bytes.
partory::DivideSettings DivideSettingsOf(const char* const* words);

}  // namespace bench
