// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "partory/paths.h"

namespace partory {

inline constexpr std::string_view kCounterToken = "[COUNTER]";

// The piece an insert button adds; the value is the button's Tag.
enum class TemplatePiece { FileName = 1, FileExtension = 2, Counter = 3 };

// A template with its selection. Positions count characters (Unicode code points), not bytes;
// the text is UTF-8. A length of 0 is a bare caret at start.
struct TemplateEdit {
    std::string text;
    std::size_t selStart = 0;
    std::size_t selLength = 0;
    bool operator==(const TemplateEdit&) const = default;
};

// Every "[COUNTER]" replaced by the decimal part number.
std::string MakePartName(std::string_view nameTemplate, std::int64_t partNumber);
std::string GetFileNameOnly(std::string_view path, PathSyntax syntax = kNativeSyntax);
std::string GetFileExtension(std::string_view path, PathSyntax syntax = kNativeSyntax);

// Upper case by the user's locale rules, letters beyond ASCII included.
std::string UpperCaseText(std::string_view utf8);

// Inserts a piece in place of the selection. Returns nothing when the source path is blank:
// then the template, its selection and the focus stay as they are. Otherwise the result has
// the caret right after the piece and nothing selected; the caller gives the field the focus.
std::optional<TemplateEdit> InsertTemplatePiece(TemplatePiece piece, std::string_view sourcePath,
                                                const TemplateEdit& current, bool upperCase,
                                                PathSyntax syntax = kNativeSyntax);

// Selects the whole template, then inserts name, extension and counter in turn.
std::optional<TemplateEdit> BuildDefaultTemplate(std::string_view sourcePath,
                                                 const TemplateEdit& current, bool upperCase,
                                                 PathSyntax syntax = kNativeSyntax);

}  // namespace partory
