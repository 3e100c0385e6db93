// SPDX-License-Identifier: GPL-3.0-or-later
#include "partory/settings_check.h"

#include <string>

#include "owned_file.h"
#include "partory/name_template.h"
#include "path_identity.h"

namespace partory {

namespace {

constexpr char kLineBreak = '\r';
constexpr std::string_view kForbiddenCharacters = "\\/*:?\"<>|";

SettingsCheckResult Problem(MessageKind kind, std::string text, SettingsField focus) {
    SettingsCheckResult result;
    result.Passed = false;
    result.MessageText = std::move(text);
    result.MessageKind = kind;
    result.FocusField = focus;
    return result;
}

std::string TwoLines(std::string_view first, std::string_view second) {
    std::string text(first);
    text.push_back(kLineBreak);
    text.append(second);
    return text;
}

// A tab and the forbidden characters, one blank between each two.
std::string ForbiddenCharactersLine() {
    std::string line = "\t";
    for (std::size_t i = 0; i < kForbiddenCharacters.size(); ++i) {
        if (i > 0) line.push_back(' ');
        line.push_back(kForbiddenCharacters[i]);
    }
    return line;
}

bool IsPosixRoot(std::string_view path, PathSyntax syntax) {
    return syntax == PathSyntax::Posix && path == "/";
}

// Removes one trailing separator; the POSIX root is a folder of its own and stays "/".
std::string WithoutTrailingSeparator(std::string_view path, PathSyntax syntax) {
    if (IsPosixRoot(path, syntax)) return std::string(path);
    return RemoveTrailingSeparator(path, syntax);
}

bool CreateFolderRule(std::string_view folder, FileLayer& files, PathSyntax syntax) {
    if (folder.empty()) return false;
    const std::string path = WithoutTrailingSeparator(folder, syntax);
    // Drive roots ("C:", "") need no test; under POSIX only the root itself.
    const bool existsWithoutTest =
        syntax == PathSyntax::Windows ? path.size() < 3 : IsPosixRoot(path, syntax);
    if (existsWithoutTest || files.KindOf(path) == PathKind::Folder ||
        path == FolderPart(path, syntax)) {
        return true;
    }
    return CreateFolderRule(FolderPart(path, syntax), files, syntax) && files.CreateFolder(path);
}

SettingsCheckResult CheckDivide(DivideSettings& settings, FileLayer& files, PathSyntax syntax) {
    settings.SourcePath = TrimBlanks(settings.SourcePath);
    settings.DestinationFolder = TrimBlanks(settings.DestinationFolder);
    settings.NameTemplate = TrimBlanks(settings.NameTemplate);

    if (settings.SourcePath.empty()) {
        return Problem(MessageKind::Information, "Please, select a file to divide.",
                       SettingsField::SourceFile);
    }
    if (files.KindOf(settings.SourcePath) != PathKind::File) {
        return Problem(MessageKind::Error, "File \"" + settings.SourcePath + "\" does not exist.",
                       SettingsField::SourceFile);
    }
    if (settings.DestinationFolder.empty()) {
        return Problem(MessageKind::Information, "Please, select the destination folder.",
                       SettingsField::DestinationFolder);
    }
    settings.DestinationFolder = WithoutTrailingSeparator(settings.DestinationFolder, syntax);
    if (!CreateFolderWithParents(settings.DestinationFolder, files, syntax)) {
        return Problem(
            MessageKind::Error,
            TwoLines("Unable to create the following directory:", settings.DestinationFolder),
            SettingsField::DestinationFolder);
    }
    for (char c : kForbiddenCharacters) {
        if (settings.NameTemplate.find(c) != std::string::npos) {
            return Problem(MessageKind::Error,
                           TwoLines("Any of the following characters are forbidden:",
                                    ForbiddenCharactersLine()),
                           SettingsField::NameTemplate);
        }
    }
    if (settings.NameTemplate.find(kCounterToken) == std::string::npos) {
        return Problem(MessageKind::Information,
                       "The counter should be specified in the file part.",
                       SettingsField::NameTemplate);
    }
    return {};
}

SettingsCheckResult CheckCombine(CombineSettings& settings, FileLayer& files, PathSyntax syntax) {
    if (settings.InputPaths.empty()) {
        return Problem(MessageKind::Information, "Please, select files to combine.",
                       SettingsField::InputList);
    }
    settings.OutputPath = TrimBlanks(settings.OutputPath);
    const std::string& output = settings.OutputPath;
    if (output.empty()) {
        return Problem(MessageKind::Information, "Please, select the destination file.",
                       SettingsField::OutputFile);
    }
    const std::string folder = WithoutTrailingSeparator(FolderPart(output, syntax), syntax);
    if (!CreateFolderWithParents(folder, files, syntax)) {
        return Problem(
            MessageKind::Error,
            TwoLines("Unable to create the following directory:", folder.empty() ? output : folder),
            SettingsField::OutputFile);
    }
    // The probe and the job would empty the output: it must not be one of the inputs, under
    // whatever link or spelling.
    auto outputStatus = LookTwice(output, files);
    if (outputStatus && OutputMayBeAnInput(*outputStatus, settings.InputPaths, files)) {
        return Problem(MessageKind::Error,
                       TwoLines("The destination file is one of the files to combine:", output),
                       SettingsField::OutputFile);
    }
    if (!ProbeOutputFile(output, files)) {
        return Problem(MessageKind::Error, TwoLines("Unable to create the following file:", output),
                       SettingsField::OutputFile);
    }
    return {};
}

// The checks run inside a window handler: whatever goes wrong must end as a message.
template <typename Check>
SettingsCheckResult NeverThrowing(Check check) {
    try {
        return check();
    } catch (...) {
        return Problem(MessageKind::Error, "", SettingsField::None);
    }
}

}  // namespace

SettingsCheckResult CheckDivideSettings(DivideSettings& settings, FileLayer& files,
                                        PathSyntax syntax) {
    return NeverThrowing([&] { return CheckDivide(settings, files, syntax); });
}

SettingsCheckResult CheckCombineSettings(CombineSettings& settings, FileLayer& files,
                                         PathSyntax syntax) {
    return NeverThrowing([&] { return CheckCombine(settings, files, syntax); });
}

bool CreateFolderWithParents(std::string_view folder, FileLayer& files, PathSyntax syntax) {
    try {
        return CreateFolderRule(folder, files, syntax);
    } catch (...) {
        return false;
    }
}

bool ProbeOutputFile(const std::string& path, FileLayer& files) {
    try {
        OwnedFile file(files, files.Create(path, /*exclusive=*/false));
        if (!file) return false;
        const bool truncated = files.Truncate(file.get());
        const bool closed = file.Close();
        // After a failure the file stays: an existing file that could not be cut is kept.
        return truncated && closed && files.Delete(path);
    } catch (...) {
        return false;
    }
}

}  // namespace partory
