// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

#include "partory/combine_job.h"
#include "partory/divide_job.h"
#include "partory/file_layer.h"
#include "partory/paths.h"

namespace partory {

enum class MessageKind { Information, Error };

// The settings fields; each is held by one control of the pages.
enum class SettingsField {
    None,
    SourceFile,
    DestinationFolder,
    NameTemplate,
    InputList,
    OutputFile
};

struct SettingsCheckResult {
    bool Passed = true;
    std::string MessageText;
    partory::MessageKind MessageKind = partory::MessageKind::Information;
    SettingsField FocusField = SettingsField::None;
};

// Both checks tidy the settings in place, stop at the first problem and never throw.
SettingsCheckResult CheckDivideSettings(DivideSettings& settings, FileLayer& files = OsFileLayer(),
                                        PathSyntax syntax = kNativeSyntax);
SettingsCheckResult CheckCombineSettings(CombineSettings& settings,
                                         FileLayer& files = OsFileLayer(),
                                         PathSyntax syntax = kNativeSyntax);
bool CreateFolderWithParents(std::string_view folder, FileLayer& files = OsFileLayer(),
                             PathSyntax syntax = kNativeSyntax);
bool ProbeOutputFile(const std::string& path, FileLayer& files = OsFileLayer());

}  // namespace partory
