// SPDX-License-Identifier: GPL-3.0-or-later
#include "partory/name_template.h"

#include <langinfo.h>
#include <locale.h>
#include <wctype.h>

#include <cstring>
#include <string>

namespace partory {

namespace {

// One character of UTF-8 text: its code point and its length in bytes. A byte that does not
// start a well-formed sequence is one character on its own, so broken text is still edited
// and counted without losing or merging bytes.
struct Utf8Char {
    char32_t codePoint;
    std::size_t length;
    bool valid;
};

Utf8Char DecodeAt(std::string_view text, std::size_t at) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(at);
    if (lead < 0x80) return {lead, 1, true};
    std::size_t length;
    char32_t codePoint;
    char32_t smallest;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, codePoint = lead & 0x1F, smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, codePoint = lead & 0x0F, smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, codePoint = lead & 0x07, smallest = 0x10000;
    } else {
        return {lead, 1, false};
    }
    if (at + length > text.size()) return {lead, 1, false};
    for (std::size_t i = 1; i < length; ++i) {
        unsigned char next = byte(at + i);
        if ((next & 0xC0) != 0x80) return {lead, 1, false};
        codePoint = (codePoint << 6) | (next & 0x3F);
    }
    bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (codePoint < smallest || surrogate || codePoint > 0x10FFFF) return {lead, 1, false};
    return {codePoint, length, true};
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::size_t CharCount(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t at = 0; at < text.size(); at += DecodeAt(text, at).length) ++count;
    return count;
}

// Byte offset of the character at position `chars`; the end of the text when it has fewer.
std::size_t ByteOffset(std::string_view text, std::size_t chars) {
    std::size_t at = 0;
    for (; chars > 0 && at < text.size(); --chars) at += DecodeAt(text, at).length;
    return at;
}

// The user's character rules, so that letters beyond ASCII change case too. A user locale
// that cannot hold them (C, POSIX, a legacy 8-bit one) gives way to C.UTF-8.
locale_t CaseLocale() {
    static const locale_t locale = [] {
        locale_t user = ::newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
        if (user) {
            const char* codeset = ::nl_langinfo_l(CODESET, user);
            if (codeset && std::strcmp(codeset, "UTF-8") == 0) return user;
            ::freelocale(user);
        }
        return ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    }();
    return locale;
}

// The extension of a last component: from its last "." on, dot included. No folder-ending
// character can follow that dot inside a last component.
std::string ExtensionOf(std::string_view name) {
    std::size_t dot = name.rfind('.');
    return dot == std::string_view::npos ? std::string() : std::string(name.substr(dot));
}

}  // namespace

std::string MakePartName(std::string_view nameTemplate, std::int64_t partNumber) {
    // A number holds no bracket, so one pass from the left replaces exactly the tokens that
    // repeated searches from the start would.
    const std::string number = std::to_string(partNumber);
    std::string name;
    name.reserve(nameTemplate.size() + 8);
    std::size_t from = 0;
    for (std::size_t hit; (hit = nameTemplate.find(kCounterToken, from)) != std::string_view::npos;
         from = hit + kCounterToken.size()) {
        name.append(nameTemplate.substr(from, hit - from));
        name.append(number);
    }
    name.append(nameTemplate.substr(from));
    return name;
}

std::string GetFileNameOnly(std::string_view path, PathSyntax syntax) {
    std::string name = LastComponent(path, syntax);
    std::string ext = ExtensionOf(name);
    // The first occurrence, which may lie before the last dot.
    if (!ext.empty()) name.erase(name.find(ext), ext.size());
    return name;
}

std::string GetFileExtension(std::string_view path, PathSyntax syntax) {
    std::string name = LastComponent(path, syntax);
    std::string ext = ExtensionOf(name);
    if (ext.empty()) return {};
    // After the first character of the first occurrence, not after the last dot.
    return name.substr(name.find(ext) + 1);
}

std::string UpperCaseText(std::string_view utf8) {
    locale_t locale = CaseLocale();
    std::string upper;
    upper.reserve(utf8.size());
    for (std::size_t at = 0; at < utf8.size();) {
        Utf8Char c = DecodeAt(utf8, at);
        if (!c.valid) {
            upper.push_back(utf8[at]);
        } else if (locale) {
            wint_t mapped = ::towupper_l(static_cast<wint_t>(c.codePoint), locale);
            AppendUtf8(upper, static_cast<char32_t>(mapped));
        } else if (c.codePoint >= 'a' && c.codePoint <= 'z') {
            upper.push_back(static_cast<char>(c.codePoint - 'a' + 'A'));
        } else {
            upper.append(utf8.substr(at, c.length));
        }
        at += c.length;
    }
    return upper;
}

std::optional<TemplateEdit> InsertTemplatePiece(TemplatePiece piece, std::string_view sourcePath,
                                                const TemplateEdit& current, bool upperCase,
                                                PathSyntax syntax) {
    if (TrimBlanks(sourcePath).empty()) return std::nullopt;

    std::string text;
    switch (piece) {
        case TemplatePiece::FileName:
            text = GetFileNameOnly(sourcePath, syntax);
            break;
        case TemplatePiece::FileExtension:
            text = GetFileExtension(sourcePath, syntax);
            break;
        case TemplatePiece::Counter:
            text = std::string(kCounterToken);
            break;
    }

    const std::string_view whole = current.text;
    const std::size_t selBegin = ByteOffset(whole, current.selStart);
    const std::size_t selEnd = selBegin + ByteOffset(whole.substr(selBegin), current.selLength);
    const std::string trimmedTemplate = TrimBlanks(whole);
    if (!trimmedTemplate.empty() &&
        TrimBlanks(whole.substr(selBegin, selEnd - selBegin)) != trimmedTemplate) {
        text = "_" + text;
    }
    if (upperCase) text = UpperCaseText(text);

    TemplateEdit edited;
    edited.text.reserve(whole.size() + text.size());
    edited.text.append(whole.substr(0, selBegin));
    edited.text.append(text);
    edited.text.append(whole.substr(selEnd));
    edited.selStart = CharCount(whole.substr(0, selBegin)) + CharCount(text);
    edited.selLength = 0;
    return edited;
}

std::optional<TemplateEdit> BuildDefaultTemplate(std::string_view sourcePath,
                                                 const TemplateEdit& current, bool upperCase,
                                                 PathSyntax syntax) {
    TemplateEdit edit{current.text, 0, CharCount(current.text)};
    for (TemplatePiece piece :
         {TemplatePiece::FileName, TemplatePiece::FileExtension, TemplatePiece::Counter}) {
        auto next = InsertTemplatePiece(piece, sourcePath, edit, upperCase, syntax);
        if (!next) return std::nullopt;
        edit = std::move(*next);
    }
    return edit;
}

}  // namespace partory
