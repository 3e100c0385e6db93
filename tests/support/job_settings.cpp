// SPDX-License-Identifier: GPL-3.0-or-later
#include "job_settings.h"

#include <cstdlib>

namespace partory::testing {

DivideSettings DivideSettingsOf(const char* const* words) {
    DivideSettings settings;
    settings.SourcePath = words[0];
    settings.DestinationFolder = words[1];
    settings.NameTemplate = words[2];
    settings.PartSizeValue = std::strtod(words[3], nullptr);
    settings.Unit = SizeUnit::Bytes;
    return settings;
}

}  // namespace partory::testing
