// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace partory {

// Windows: "\" and ":" end a folder, "\" joins. Posix: "/" does both.
enum class PathSyntax { Windows, Posix };

#ifdef _WIN32
inline constexpr PathSyntax kNativeSyntax = PathSyntax::Windows;
#else
inline constexpr PathSyntax kNativeSyntax = PathSyntax::Posix;
#endif

// Removes from both ends every character whose code is 32 or less.
std::string TrimBlanks(std::string_view text);
bool EndsFolder(char c, PathSyntax syntax);
char JoinSeparator(PathSyntax syntax);
// Up to and including the last folder-ending character; empty when there is none.
std::string FolderPart(std::string_view path, PathSyntax syntax = kNativeSyntax);
// The text after the last folder-ending character (the whole path when there is none).
std::string LastComponent(std::string_view path, PathSyntax syntax = kNativeSyntax);
// Removes one trailing join separator ("\" or "/"), if there is one.
std::string RemoveTrailingSeparator(std::string_view path, PathSyntax syntax = kNativeSyntax);
// folder + separator + name.
std::string JoinPath(std::string_view folder, std::string_view name,
                     PathSyntax syntax = kNativeSyntax);

}  // namespace partory
