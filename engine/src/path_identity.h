// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "partory/file_layer.h"

namespace partory {

// The status of what a path names, or nullopt when it cannot be examined. A path is looked at
// once more before it counts as absent, so that one failing call cannot hide that an input is
// the output about to be emptied.
inline std::optional<FileStatus> LookTwice(const std::string& path, FileLayer& files) {
    if (auto status = files.StatusOfPath(path)) return status;
    return files.StatusOfPath(path);
}

// Whether emptying `output` could destroy one of the inputs: one of them is the same file
// (through a link or another spelling), or one cannot be examined (a folder on its path that
// may not be searched, say) while the output holds bytes and has another name that input
// could be. An input that is simply missing does not hold back an output with a single name.
inline bool OutputMayBeAnInput(const FileStatus& output, const std::vector<std::string>& inputs,
                               FileLayer& files) {
    for (const auto& input : inputs) {
        auto status = LookTwice(input, files);
        const bool couldBeHidden =
            output.kind == PathKind::File && output.size > 0 && output.linkCount > 1;
        if (status ? status->identity == output.identity : couldBeHidden) return true;
    }
    return false;
}

}  // namespace partory
