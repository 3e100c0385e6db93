// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the path rules: trimming, the folder part and the last component, the trailing
// separator, in both syntaxes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "partory/paths.h"

using namespace partory;

namespace {

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

bool Blank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    const PathSyntax syntax = data.ConsumeBool() ? PathSyntax::Windows : PathSyntax::Posix;
    const std::string path = data.ConsumeRemainingBytesAsString();

    const std::string trimmed = TrimBlanks(path);
    Require(trimmed.empty() || (!Blank(trimmed.front()) && !Blank(trimmed.back())),
            "a blank is left at an end");
    Require(path.find(trimmed) != std::string::npos, "trimming changed the inside");
    Require(TrimBlanks(trimmed) == trimmed, "trimming twice changes more");
    std::size_t first = 0;
    while (first < path.size() && Blank(path[first])) ++first;
    Require(
        trimmed.empty() ? first == path.size() : path.compare(first, trimmed.size(), trimmed) == 0,
        "trimming removed more than the blanks at the ends");

    const std::string folder = FolderPart(path, syntax);
    const std::string last = LastComponent(path, syntax);
    Require(folder + last == path, "folder part and last component do not make the path");
    Require(folder.empty() || EndsFolder(folder.back(), syntax), "the folder part ends elsewhere");
    for (char c : last) Require(!EndsFolder(c, syntax), "the last component holds a separator");

    const std::string without = RemoveTrailingSeparator(path, syntax);
    Require(without == path ||
                (without.size() + 1 == path.size() && path.back() == JoinSeparator(syntax) &&
                 path.compare(0, without.size(), without) == 0),
            "more than one trailing separator removed");

    const std::string joined = JoinPath(folder, last, syntax);
    Require(LastComponent(joined, syntax) == last, "joining lost the last component");
    return 0;
}
