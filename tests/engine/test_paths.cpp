// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "partory/paths.h"

namespace partory {
namespace {

TEST(TrimBlanks, RemovesControlCharactersAndSpacesAtBothEndsOnly) {
    EXPECT_EQ(TrimBlanks(" \t\r\n\x01 a b \x1f\x7f"), "a b \x1f\x7f");  // 127 is above 32
    EXPECT_EQ(TrimBlanks(std::string_view("\0x\0", 3)), "x");
    EXPECT_EQ(TrimBlanks(" \t "), "");
    EXPECT_EQ(TrimBlanks(""), "");
    // Bytes of non-ASCII letters are above 127, not blanks, whatever the sign of char.
    EXPECT_EQ(TrimBlanks(" \xc3\xa9t\xc3\xa9 "), "\xc3\xa9t\xc3\xa9");
}

struct SplitCase {
    PathSyntax syntax;
    const char* path;
    const char* folder;
    const char* last;
};

// Short, stable test names in CTest.
void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << (c.syntax == PathSyntax::Windows ? "windows" : "posix");
}

class PathSplit : public ::testing::TestWithParam<SplitCase> {};

TEST_P(PathSplit, FolderPartAndLastComponentRejoinToThePath) {
    const SplitCase& c = GetParam();
    EXPECT_EQ(FolderPart(c.path, c.syntax), c.folder);
    EXPECT_EQ(LastComponent(c.path, c.syntax), c.last);
    EXPECT_EQ(FolderPart(c.path, c.syntax) + LastComponent(c.path, c.syntax), c.path);
}

INSTANTIATE_TEST_SUITE_P(
    BothSyntaxes, PathSplit,
    ::testing::Values(SplitCase{PathSyntax::Windows, "C:\\docs\\report.pdf", "C:\\docs\\",
                                "report.pdf"},
                      SplitCase{PathSyntax::Windows, "C:report.pdf", "C:", "report.pdf"},
                      SplitCase{PathSyntax::Windows, "C:\\docs\\", "C:\\docs\\", ""},
                      SplitCase{PathSyntax::Windows, "report.pdf", "", "report.pdf"},
                      SplitCase{PathSyntax::Windows, "C:\\my.dir/notes", "C:\\", "my.dir/notes"},
                      SplitCase{PathSyntax::Posix, "/docs/report.pdf", "/docs/", "report.pdf"},
                      SplitCase{PathSyntax::Posix, "/docs/", "/docs/", ""},
                      SplitCase{PathSyntax::Posix, "/", "/", ""},
                      SplitCase{PathSyntax::Posix, "report.pdf", "", "report.pdf"},
                      // Backslash and colon are ordinary name characters on POSIX.
                      SplitCase{PathSyntax::Posix, "/a/C:b\\c", "/a/", "C:b\\c"},
                      SplitCase{PathSyntax::Posix, "", "", ""}));

TEST(JoinPath, UsesTheSyntaxSeparator) {
    EXPECT_EQ(JoinPath("C:\\docs", "part1", PathSyntax::Windows), "C:\\docs\\part1");
    EXPECT_EQ(JoinPath("/docs", "part1", PathSyntax::Posix), "/docs/part1");
}

TEST(RemoveTrailingSeparator, RemovesOneJoinSeparatorOnly) {
    EXPECT_EQ(RemoveTrailingSeparator("C:\\docs\\", PathSyntax::Windows), "C:\\docs");
    EXPECT_EQ(RemoveTrailingSeparator("C:\\docs\\\\", PathSyntax::Windows), "C:\\docs\\");
    EXPECT_EQ(RemoveTrailingSeparator("C:", PathSyntax::Windows), "C:");
    EXPECT_EQ(RemoveTrailingSeparator("/docs/", PathSyntax::Posix), "/docs");
    EXPECT_EQ(RemoveTrailingSeparator("/docs\\", PathSyntax::Posix), "/docs\\");
    EXPECT_EQ(RemoveTrailingSeparator("", PathSyntax::Posix), "");
}

}  // namespace
}  // namespace partory
