// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "partory/name_template.h"

namespace partory {
namespace {

using W = PathSyntax;

TEST(MakePartName, ReplacesEveryTokenOnceAndNothingElse) {
    struct Case {
        const char* nameTemplate;
        std::int64_t part;
        const char* name;
    } cases[] = {
        {"PART[COUNTER]", 7, "PART7"},
        {"PART[COUNTER]", 12, "PART12"},
        {"PART[COUNTER]_[COUNTER]", 12, "PART12_12"},
        {"[COUNTER][COUNTER]", 3, "33"},
        {"NOTOKEN", 5, "NOTOKEN"},
        {"[counter]_[COUNTER", 5, "[counter]_[COUNTER"},  // case-sensitive, whole token only
        {"[[COUNTER]]", 5, "[5]"},
        {"[COUN[COUNTER]TER]", 5, "[COUN5TER]"},  // the replacement forms no new token
        {"R\xc3\xa9[COUNTER]\xff", 9,
         "R\xc3\xa9"
         "9\xff"},
        {"P[COUNTER]", 4294967297, "P4294967297"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MakePartName(c.nameTemplate, c.part), c.name) << c.nameTemplate;
    }
}

struct SplitCase {
    const char* windowsPath;
    const char* posixPath;
    const char* nameOnly;
    const char* extension;
};

// Short, stable, ASCII test names in CTest.
void PrintTo(const SplitCase& c, std::ostream* os) {
    for (const char* p = c.posixPath; *p; ++p)
        *os << (static_cast<unsigned char>(*p) < 128 ? *p : '?');
}

class FileNameAndExtension : public ::testing::TestWithParam<SplitCase> {};

TEST_P(FileNameAndExtension, SplitAtTheFirstOccurrenceOfTheExtension) {
    const SplitCase& c = GetParam();
    EXPECT_EQ(GetFileNameOnly(c.windowsPath, W::Windows), c.nameOnly);
    EXPECT_EQ(GetFileExtension(c.windowsPath, W::Windows), c.extension);
    EXPECT_EQ(GetFileNameOnly(c.posixPath, W::Posix), c.nameOnly);
    EXPECT_EQ(GetFileExtension(c.posixPath, W::Posix), c.extension);
}

INSTANTIATE_TEST_SUITE_P(
    TemplateTable, FileNameAndExtension,
    ::testing::Values(
        SplitCase{"C:\\docs\\report.pdf", "/docs/report.pdf", "report", "pdf"},
        SplitCase{"C:\\docs\\archive.tar.gz", "/docs/archive.tar.gz", "archive.tar", "gz"},
        SplitCase{"C:\\docs\\data.txt.old.txt", "/docs/data.txt.old.txt", "data.old.txt",
                  "txt.old.txt"},
        SplitCase{"C:\\docs\\README", "/docs/README", "README", ""},
        SplitCase{"C:\\docs\\file.", "/docs/file.", "file", ""},
        SplitCase{"C:\\docs\\.profile", "/docs/.profile", "", "profile"},
        SplitCase{"C:\\my.dir\\notes", "/my.dir/notes", "notes", ""},
        SplitCase{"C:\\docs\\", "/docs/", "", ""},
        SplitCase{"C:report.pdf", "report.pdf", "report", "pdf"},
        SplitCase{"C:\\d\\r\xc3\xa9sum\xc3\xa9.p\xc3\xa9", "/d/r\xc3\xa9sum\xc3\xa9.p\xc3\xa9",
                  "r\xc3\xa9sum\xc3\xa9", "p\xc3\xa9"}));

TEST(FileNameAndExtension, EachSyntaxKeepsTheOthersSeparatorsInTheName) {
    EXPECT_EQ(GetFileNameOnly("C:\\a.b/c", W::Windows), "a");
    EXPECT_EQ(GetFileExtension("C:\\a.b/c", W::Windows), "b/c");
    EXPECT_EQ(GetFileNameOnly("/x/a.b\\c", W::Posix), "a");
    EXPECT_EQ(GetFileExtension("/x/a.b\\c", W::Posix), "b\\c");
    EXPECT_EQ(GetFileNameOnly("/x/C:a.txt", W::Posix), "C:a");
}

TEST(UpperCaseText, FollowsLetterRulesBeyondAscii) {
    EXPECT_EQ(UpperCaseText("report_pdf_[COUNTER]"), "REPORT_PDF_[COUNTER]");
    EXPECT_EQ(UpperCaseText("\xc3\xa9t\xc3\xa9"), "\xc3\x89T\xc3\x89");  // été -> ÉTÉ
    EXPECT_EQ(UpperCaseText("\xce\xb1\xce\xb2"), "\xce\x91\xce\x92");    // αβ -> ΑΒ
    EXPECT_EQ(UpperCaseText("\xd0\xb6\xd1\x83\xd0\xba"), "\xd0\x96\xd0\xa3\xd0\x9a");  // жук
    EXPECT_EQ(UpperCaseText("\xf0\x9f\x98\x80x"), "\xf0\x9f\x98\x80X");  // no case: kept
}

TEST(UpperCaseText, KeepsBytesOfBrokenTextAndCasesWhatIsAround) {
    EXPECT_EQ(UpperCaseText("\xff"
                            "a\xc3"),
              "\xff"
              "A\xc3");
    EXPECT_EQ(UpperCaseText("a\xe2\x82"
                            "b"),
              "A\xe2\x82"
              "B");                                              // cut-off sequence
    EXPECT_EQ(UpperCaseText("\xc0\xa1q"), "\xc0\xa1Q");          // overlong form
    EXPECT_EQ(UpperCaseText("\xed\xa0\x80z"), "\xed\xa0\x80Z");  // lone surrogate
    EXPECT_EQ(UpperCaseText(std::string_view("a\0b", 3)), std::string("A\0B", 3));
}

struct InsertCase {
    const char* label;
    TemplatePiece piece;
    const char* source;
    TemplateEdit before;
    bool upperCase;
    TemplateEdit after;
};

void PrintTo(const InsertCase& c, std::ostream* os) {
    *os << c.label;
}

class InsertPiece : public ::testing::TestWithParam<InsertCase> {};

TEST_P(InsertPiece, ReplacesTheSelectionAndPutsTheCaretAfterThePiece) {
    const InsertCase& c = GetParam();
    auto result = InsertTemplatePiece(c.piece, c.source, c.before, c.upperCase, W::Posix);
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->text, c.after.text);
    EXPECT_EQ(result->selStart, c.after.selStart);
    EXPECT_EQ(result->selLength, 0u);
}

constexpr auto kName = TemplatePiece::FileName;
constexpr auto kExt = TemplatePiece::FileExtension;
constexpr auto kCounter = TemplatePiece::Counter;

INSTANTIATE_TEST_SUITE_P(
    EdgeCases, InsertPiece,
    ::testing::Values(
        InsertCase{"CaretAfterA", kCounter, "/d/r.pdf", {"A", 1, 0}, true, {"A_[COUNTER]", 11}},
        InsertCase{
            "CaretInsideA_B", kCounter, "/d/r.pdf", {"A_B", 1, 0}, true, {"A_[COUNTER]_B", 11}},
        InsertCase{"PartSelected",
                   kCounter,
                   "/d/r.pdf",
                   {"REPORT_PDF", 7, 3},
                   true,
                   {"REPORT__[COUNTER]", 17}},
        InsertCase{"WholeSelectedEmptyExtension", kExt, "/d/README", {"ABC", 0, 3}, true, {"", 0}},
        InsertCase{"EmptyTemplate", kCounter, "/d/r.pdf", {"", 0, 0}, true, {"[COUNTER]", 9}},
        InsertCase{"BlankTemplate", kCounter, "/d/r.pdf", {"  ", 2, 0}, true, {"  [COUNTER]", 11}},
        InsertCase{
            "WholeSelectedApartFromBlanks", kName, "/d/r.pdf", {" AB ", 1, 2}, true, {" R ", 2}},
        InsertCase{
            "SelectionWithBlanksIsWhole", kName, "/d/r.pdf", {" AB ", 0, 3}, true, {"R ", 1}},
        InsertCase{"WholeSelectedSwitchOff", kName, "/d/r.pdf", {"ab", 0, 2}, false, {"r", 1}},
        InsertCase{"CaretAtStart", kName, "/d/report.pdf", {"X", 0, 0}, true, {"_REPORTX", 7}},
        InsertCase{"SwitchOffKeepsSourceCase",
                   kName,
                   "/d/Report.pdf",
                   {"REPORT", 6, 0},
                   false,
                   {"REPORT_Report", 13}},
        InsertCase{
            "SwitchOnLeavesExistingText", kExt, "/d/r.pdf", {"abc", 3, 0}, true, {"abc_PDF", 7}},
        InsertCase{"EmptyPieceStillBringsUnderscore",
                   kExt,
                   "/d/README",
                   {"README", 6, 0},
                   true,
                   {"README_", 7}},
        InsertCase{
            "CaretBeyondEndAppends", kCounter, "/d/r", {"AB", 99, 5}, true, {"AB_[COUNTER]", 12}},
        InsertCase{
            "SelectionRunsPastEnd", kCounter, "/d/r", {"ABCD", 2, 99}, true, {"AB_[COUNTER]", 12}},
        InsertCase{"SourceUsedUntrimmed", kName, " /d/r.pdf ", {"", 0, 0}, true, {"R", 1}},
        // Positions count characters: É is two bytes and one character.
        InsertCase{"CaretAfterNonAsciiLetter",
                   kCounter,
                   "/d/r",
                   {"\xc3\x89t\xc3\xa9", 1, 0},
                   true,
                   {"\xc3\x89_[COUNTER]t\xc3\xa9", 11}},
        InsertCase{"SelectionOverNonAsciiLetter",
                   kCounter,
                   "/d/r",
                   {"\xc3\x89t\xc3\xa9x", 2, 1},
                   true,
                   {"\xc3\x89t_[COUNTER]x", 12}},
        InsertCase{"NonAsciiPieceIsUpperCased",
                   kName,
                   "/d/r\xc3\xa9sum\xc3\xa9.pdf",
                   {"A\xc3\xa9", 2, 0},
                   true,
                   {"A\xc3\xa9_R\xc3\x89SUM\xc3\x89", 9}},
        InsertCase{"BrokenBytesCountOneEach",
                   kCounter,
                   "/d/r",
                   {"\xff\xfe"
                    "A",
                    2, 0},
                   true,
                   {"\xff\xfe_[COUNTER]A", 12}}),
    [](const ::testing::TestParamInfo<InsertCase>& info) { return info.param.label; });

TEST(InsertPiece, BlankSourceChangesNothing) {
    TemplateEdit current{"A_B", 1, 1};
    for (const char* source : {"", "   ", "\t\r\n"}) {
        for (TemplatePiece piece : {kName, kExt, kCounter}) {
            EXPECT_FALSE(InsertTemplatePiece(piece, source, current, true).has_value())
                << static_cast<int>(piece) << " '" << source << "'";
        }
    }
}

struct DefaultCase {
    const char* windowsSource;
    const char* posixSource;
    bool upperCase;
    const char* result;
};

void PrintTo(const DefaultCase& c, std::ostream* os) {
    *os << c.posixSource << (c.upperCase ? " upper" : " as is");
}

class DefaultTemplate : public ::testing::TestWithParam<DefaultCase> {};

TEST_P(DefaultTemplate, ReplacesWhateverWasThereAndEndsWithTheCaret) {
    const DefaultCase& c = GetParam();
    const TemplateEdit old{"OLD_[COUNTER]", 3, 0};
    auto windows = BuildDefaultTemplate(c.windowsSource, old, c.upperCase, W::Windows);
    auto posix = BuildDefaultTemplate(c.posixSource, old, c.upperCase, W::Posix);
    ASSERT_TRUE(windows && posix);
    EXPECT_EQ(windows->text, c.result);
    EXPECT_EQ(posix->text, c.result);
    EXPECT_EQ(posix->selStart, std::string_view(c.result).size());  // ASCII results here
    EXPECT_EQ(posix->selLength, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    TemplateTable, DefaultTemplate,
    ::testing::Values(
        DefaultCase{"C:\\docs\\report.pdf", "/docs/report.pdf", true, "REPORT_PDF_[COUNTER]"},
        DefaultCase{"C:\\docs\\report.pdf", "/docs/report.pdf", false, "report_pdf_[COUNTER]"},
        DefaultCase{"C:\\docs\\archive.tar.gz", "/docs/archive.tar.gz", true,
                    "ARCHIVE.TAR_GZ_[COUNTER]"},
        DefaultCase{"C:\\docs\\README", "/docs/README", true, "README__[COUNTER]"},
        DefaultCase{"C:\\docs\\.profile", "/docs/.profile", true, "PROFILE_[COUNTER]"}));

TEST(DefaultTemplate, NonAsciiSourceGivesCaretInCharacters) {
    auto edit = BuildDefaultTemplate("/d/\xc3\xa9t\xc3\xa9.txt", {"\xc3\xa9\xc3\xa9", 1, 0}, true,
                                     W::Posix);
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->text, "\xc3\x89T\xc3\x89_TXT_[COUNTER]");
    EXPECT_EQ(edit->selStart, 17u);
}

TEST(DefaultTemplate, BlankSourceChangesNothing) {
    EXPECT_FALSE(BuildDefaultTemplate("  ", {"KEEP", 4, 0}, true).has_value());
}

}  // namespace
}  // namespace partory
