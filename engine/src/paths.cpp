// SPDX-License-Identifier: GPL-3.0-or-later
#include "partory/paths.h"

namespace partory {

std::string TrimBlanks(std::string_view text) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && blank(text[begin])) ++begin;
    while (end > begin && blank(text[end - 1])) --end;
    return std::string(text.substr(begin, end - begin));
}

bool EndsFolder(char c, PathSyntax syntax) {
    return syntax == PathSyntax::Windows ? (c == '\\' || c == ':') : c == '/';
}

char JoinSeparator(PathSyntax syntax) {
    return syntax == PathSyntax::Windows ? '\\' : '/';
}

static std::size_t LastFolderEnd(std::string_view path, PathSyntax syntax) {
    for (std::size_t i = path.size(); i > 0; --i) {
        if (EndsFolder(path[i - 1], syntax)) return i;
    }
    return 0;
}

std::string FolderPart(std::string_view path, PathSyntax syntax) {
    return std::string(path.substr(0, LastFolderEnd(path, syntax)));
}

std::string LastComponent(std::string_view path, PathSyntax syntax) {
    return std::string(path.substr(LastFolderEnd(path, syntax)));
}

std::string RemoveTrailingSeparator(std::string_view path, PathSyntax syntax) {
    if (!path.empty() && path.back() == JoinSeparator(syntax)) path.remove_suffix(1);
    return std::string(path);
}

std::string JoinPath(std::string_view folder, std::string_view name, PathSyntax syntax) {
    std::string path;
    path.reserve(folder.size() + 1 + name.size());
    path.append(folder);
    path.push_back(JoinSeparator(syntax));
    path.append(name);
    return path;
}

}  // namespace partory
