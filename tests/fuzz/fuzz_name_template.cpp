// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the part-name template functions with arbitrary text, part numbers and selections,
// and checks what must hold whatever the input.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "partory/name_template.h"
#include "partory/paths.h"

using namespace partory;

namespace {

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// Characters of UTF-8 text as the template field counts them: a byte that does not start a
// well-formed sequence is one character on its own.
std::size_t SequenceLength(const std::string& text, std::size_t at, bool* valid) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    *valid = true;
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    std::uint32_t cp = 0, smallest = 0;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2, cp = lead & 0x1F, smallest = 0x80;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3, cp = lead & 0x0F, smallest = 0x800;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4, cp = lead & 0x07, smallest = 0x10000;
    if (length == 0 || at + length > text.size()) return *valid = false, 1;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return *valid = false, 1;
        cp = (cp << 6) | (byte(at + i) & 0x3F);
    }
    if (cp < smallest || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
        return *valid = false, 1;
    }
    return length;
}

std::size_t CharCount(const std::string& text, bool* allValid = nullptr) {
    std::size_t count = 0;
    bool all = true;
    for (std::size_t at = 0; at < text.size(); ++count) {
        bool valid;
        at += SequenceLength(text, at, &valid);
        all = all && valid;
    }
    if (allValid) *allValid = all;
    return count;
}

// Byte offset of character `chars`, or the end of the text.
std::size_t ByteOffset(const std::string& text, std::size_t chars) {
    std::size_t at = 0;
    for (bool valid; chars > 0 && at < text.size(); --chars) at += SequenceLength(text, at, &valid);
    return at;
}

std::size_t Occurrences(const std::string& text, std::string_view token) {
    std::size_t count = 0;
    for (std::size_t at = text.find(token); at != std::string::npos;
         at = text.find(token, at + token.size())) {
        ++count;
    }
    return count;
}

void FuzzMakePartName(FuzzedDataProvider& data) {
    const auto number =
        data.ConsumeIntegralInRange<std::int64_t>(1, std::numeric_limits<std::int64_t>::max());
    const std::string nameTemplate = data.ConsumeRemainingBytesAsString();
    const std::string name = MakePartName(nameTemplate, number);
    const std::string digits = std::to_string(number);
    const std::size_t tokens = Occurrences(nameTemplate, kCounterToken);
    Require(name.find(kCounterToken) == std::string::npos, "a token is left after MakePartName");
    Require(
        name.size() + tokens * kCounterToken.size() == nameTemplate.size() + tokens * digits.size(),
        "MakePartName changed more than its tokens");
    Require(tokens == 0 ? name == nameTemplate : name.find(digits) != std::string::npos,
            "the number is missing, or a template without token changed");
}

void FuzzNameAndExtension(FuzzedDataProvider& data) {
    const PathSyntax syntax = data.ConsumeBool() ? PathSyntax::Windows : PathSyntax::Posix;
    const std::string path = data.ConsumeRemainingBytesAsString();
    const std::string last = LastComponent(path, syntax);
    const std::string name = GetFileNameOnly(path, syntax);
    const std::string extension = GetFileExtension(path, syntax);
    for (const std::string* piece : {&name, &extension}) {
        for (char c : *piece) Require(!EndsFolder(c, syntax), "a piece holds a folder separator");
    }
    Require(extension.empty() || last.size() >= extension.size() + 1, "extension too long");
    Require(last.compare(last.size() - extension.size(), extension.size(), extension) == 0,
            "the extension is not the end of the last component");
    const std::size_t dot = last.rfind('.');
    if (dot == std::string::npos) {
        Require(name == last && extension.empty(), "a name without a dot was split");
    } else {
        // The name is the last component with one copy of its extension (dot included) cut out.
        const std::string ext = last.substr(dot);
        const std::size_t cut = last.find(ext);
        Require(name == last.substr(0, cut) + last.substr(cut + ext.size()),
                "the name is not the component without its first extension");
        Require(extension == last.substr(cut + 1), "the extension does not follow the first dot");
    }
}

void FuzzInsert(FuzzedDataProvider& data) {
    const auto piece = static_cast<TemplatePiece>(data.ConsumeIntegralInRange<int>(1, 3));
    const bool upperCase = data.ConsumeBool();
    const PathSyntax syntax = data.ConsumeBool() ? PathSyntax::Windows : PathSyntax::Posix;
    // Any selection at all: start and length anywhere in size_t, not clamped to the text.
    TemplateEdit current;
    switch (data.ConsumeIntegralInRange<int>(0, 2)) {
        case 0:
            current.selStart = data.ConsumeIntegral<std::size_t>();
            current.selLength = data.ConsumeIntegral<std::size_t>();
            break;
        case 1:
            current.selStart = data.ConsumeIntegralInRange<std::size_t>(0, 64);
            current.selLength = std::numeric_limits<std::size_t>::max();
            break;
        default:
            current.selStart = data.ConsumeIntegralInRange<std::size_t>(0, 64);
            current.selLength = data.ConsumeIntegralInRange<std::size_t>(0, 64);
    }
    const std::string source = data.ConsumeRandomLengthString(256);
    current.text = data.ConsumeRemainingBytesAsString();

    const auto edited = InsertTemplatePiece(piece, source, current, upperCase, syntax);
    if (TrimBlanks(source).empty()) {
        Require(!edited, "a blank source changed the template");
        return;
    }
    Require(edited.has_value(), "no result for a source that is not blank");
    Require(edited->selLength == 0, "something is selected after an insert");
    bool textValid = false;
    bool sourceValid = false;
    const std::size_t before = CharCount(current.text, &textValid);
    CharCount(source, &sourceValid);
    const std::size_t after = CharCount(edited->text);
    Require(edited->selStart <= after, "the caret lies beyond the text");
    if (piece == TemplatePiece::Counter) {
        Require(edited->text.find(kCounterToken) != std::string::npos,
                "the counter was not inserted");
    }
    if (!textValid || !sourceValid) return;  // broken UTF-8: only the bounds above hold

    // The text before the selection and after it are kept; the caret ends the inserted piece.
    const std::size_t start = std::min(current.selStart, before);
    const std::size_t end = start + std::min(current.selLength, before - start);
    const std::size_t keptFront = ByteOffset(current.text, start);
    const std::size_t keptBack = current.text.size() - ByteOffset(current.text, end);
    Require(edited->text.size() >= keptFront + keptBack, "kept text went missing");
    Require(edited->text.compare(0, keptFront, current.text, 0, keptFront) == 0,
            "the text before the selection changed");
    Require(edited->text.compare(edited->text.size() - keptBack, keptBack, current.text,
                                 current.text.size() - keptBack, keptBack) == 0,
            "the text after the selection changed");
    Require(edited->selStart == after - (before - end), "the caret is not right after the piece");
}

void FuzzDefaultTemplate(FuzzedDataProvider& data) {
    const bool upperCase = data.ConsumeBool();
    const PathSyntax syntax = data.ConsumeBool() ? PathSyntax::Windows : PathSyntax::Posix;
    const std::string source = data.ConsumeRandomLengthString(256);
    TemplateEdit current{data.ConsumeRemainingBytesAsString(), 0, 0};
    const auto built = BuildDefaultTemplate(source, current, upperCase, syntax);
    if (TrimBlanks(source).empty()) {
        Require(!built, "a blank source built a template");
        return;
    }
    Require(built.has_value(), "no default template for a source that is not blank");
    const std::string& text = built->text;
    Require(text.size() >= kCounterToken.size() &&
                text.compare(text.size() - kCounterToken.size(), kCounterToken.size(),
                             kCounterToken) == 0,
            "the default template does not end with the counter");
    Require(built->selStart == CharCount(text) && built->selLength == 0,
            "the caret is not at the end of the default template");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    FuzzedDataProvider data(bytes, size);
    switch (data.ConsumeIntegralInRange<int>(0, 3)) {
        case 0:
            FuzzMakePartName(data);
            break;
        case 1:
            FuzzNameAndExtension(data);
            break;
        case 2:
            FuzzInsert(data);
            break;
        default:
            FuzzDefaultTemplate(data);
            break;
    }
    return 0;
}
