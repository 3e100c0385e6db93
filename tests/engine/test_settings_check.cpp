// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "faulty_file_layer.h"
#include "memory_file_layer.h"
#include "partory/name_template.h"
#include "partory/settings_check.h"
#include "temp_dir.h"

namespace partory {
namespace {

using testing::Exists;
using testing::FaultyFileLayer;
using testing::FileOp;
using testing::MemoryFileLayer;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;

constexpr auto kWin = PathSyntax::Windows;
constexpr auto kPosix = PathSyntax::Posix;
constexpr auto kInfo = MessageKind::Information;
constexpr auto kError = MessageKind::Error;

// The second line of the forbidden-characters message, byte for byte.
const std::string kForbiddenLine =
    "\x09\x5C\x20\x2F\x20\x2A\x20\x3A\x20\x3F\x20\x22\x20\x3C\x20\x3E\x20\x7C";
const std::string kForbiddenMessage =
    "Any of the following characters are forbidden:\r" + kForbiddenLine;

void ExpectProblem(const SettingsCheckResult& result, MessageKind kind, const std::string& text,
                   SettingsField focus) {
    EXPECT_FALSE(result.Passed);
    EXPECT_EQ(result.MessageKind, kind);
    EXPECT_EQ(result.MessageText, text);
    EXPECT_EQ(result.FocusField, focus);
}

// ---- Divide check, Windows syntax, on a disk in memory ----

struct DivideRow {
    std::string name;
    DivideSettings in;
    bool passed;
    MessageKind kind;
    std::string text;
    SettingsField focus;
    DivideSettings tidied;  // the fields as the check leaves them
};

DivideSettings Divide(std::string source, std::string folder, std::string nameTemplate) {
    DivideSettings settings;
    settings.SourcePath = std::move(source);
    settings.DestinationFolder = std::move(folder);
    settings.NameTemplate = std::move(nameTemplate);
    return settings;
}

void PrintTo(const DivideRow& row, std::ostream* out) {
    *out << row.name;
}

class DivideCheckTable : public ::testing::TestWithParam<DivideRow> {};

TEST_P(DivideCheckTable, MessageFocusAndTidiedFields) {
    const DivideRow& row = GetParam();
    MemoryFileLayer disk;
    disk.AddFolder("C:\\docs");
    disk.AddFile("C:\\docs\\report.pdf", "pdf");
    FaultyFileLayer files(disk);
    DivideSettings settings = row.in;

    SettingsCheckResult result = CheckDivideSettings(settings, files, kWin);

    if (row.passed) {
        EXPECT_TRUE(result.Passed) << result.MessageText;
    } else {
        ExpectProblem(result, row.kind, row.text, row.focus);
    }
    EXPECT_EQ(settings.SourcePath, row.tidied.SourcePath);
    EXPECT_EQ(settings.DestinationFolder, row.tidied.DestinationFolder);
    EXPECT_EQ(settings.NameTemplate, row.tidied.NameTemplate);
    for (FileOp op : files.log()) {
        EXPECT_TRUE(op == FileOp::StatusOfPath || op == FileOp::CreateFolder)
            << testing::FileOpName(op);
    }
}

const std::string kSrc = "C:\\docs\\report.pdf";
const std::string kTpl = "REPORT_PDF_[COUNTER]";
constexpr auto kNone = SettingsField::None;
constexpr auto kSource = SettingsField::SourceFile;
constexpr auto kFolder = SettingsField::DestinationFolder;
constexpr auto kTemplate = SettingsField::NameTemplate;

INSTANTIATE_TEST_SUITE_P(
    Windows, DivideCheckTable,
    ::testing::Values(
        DivideRow{"Passes", Divide(kSrc, "C:\\docs", kTpl), true, kInfo, "", kNone,
                  Divide(kSrc, "C:\\docs", kTpl)},
        DivideRow{"BlanksTrimmedAndWrittenBack",
                  Divide(" \t" + kSrc + "  ", "\n C:\\docs\\ ", "  " + kTpl + "\r"), true, kInfo,
                  "", kNone, Divide(kSrc, "C:\\docs", kTpl)},
        DivideRow{"SourceBlank", Divide(" \t ", " x ", " y "), false, kInfo,
                  "Please, select a file to divide.", kSource, Divide("", "x", "y")},
        DivideRow{"SourceMissing", Divide(" C:\\docs\\gone.pdf ", "", ""), false, kError,
                  "File \"C:\\docs\\gone.pdf\" does not exist.", kSource,
                  Divide("C:\\docs\\gone.pdf", "", "")},
        DivideRow{"SourceIsAFolder", Divide("C:\\docs", "C:\\", kTpl), false, kError,
                  "File \"C:\\docs\" does not exist.", kSource, Divide("C:\\docs", "C:\\", kTpl)},
        DivideRow{"FolderBlank", Divide(kSrc, "  ", kTpl), false, kInfo,
                  "Please, select the destination folder.", kFolder, Divide(kSrc, "", kTpl)},
        DivideRow{"DriveRootWrittenBackWithoutSeparator", Divide(kSrc, "C:\\", kTpl), true, kInfo,
                  "", kNone, Divide(kSrc, "C:", kTpl)},
        DivideRow{"SingleBackslashBecomesEmpty", Divide(kSrc, "\\", kTpl), false, kError,
                  "Unable to create the following directory:\r", kFolder, Divide(kSrc, "", kTpl)},
        DivideRow{"MissingDrive", Divide(kSrc, "Q:\\parts\\", kTpl), false, kError,
                  "Unable to create the following directory:\rQ:\\parts", kFolder,
                  Divide(kSrc, "Q:\\parts", kTpl)},
        DivideRow{"FileInTheWay", Divide(kSrc, "C:\\docs\\report.pdf\\parts", kTpl), false, kError,
                  "Unable to create the following directory:\rC:\\docs\\report.pdf\\parts", kFolder,
                  Divide(kSrc, "C:\\docs\\report.pdf\\parts", kTpl)},
        DivideRow{"ColonAndCounterGiveForbidden", Divide(kSrc, "C:\\docs", "A:[COUNTER]"), false,
                  kError, kForbiddenMessage, kTemplate, Divide(kSrc, "C:\\docs", "A:[COUNTER]")},
        DivideRow{"LowerCaseCounter", Divide(kSrc, "C:\\docs", "part[counter]"), false, kInfo,
                  "The counter should be specified in the file part.", kTemplate,
                  Divide(kSrc, "C:\\docs", "part[counter]")},
        DivideRow{"EmptyTemplate", Divide(kSrc, "C:\\docs", " "), false, kInfo,
                  "The counter should be specified in the file part.", kTemplate,
                  Divide(kSrc, "C:\\docs", "")},
        DivideRow{"TwoCounters", Divide(kSrc, "C:\\docs", "[COUNTER][COUNTER]"), true, kInfo, "",
                  kNone, Divide(kSrc, "C:\\docs", "[COUNTER][COUNTER]")}),
    [](const auto& info) { return std::string(info.param.name); });

// Each forbidden character at the end, at the start, alone and inside a template with blanks
// around it; a counter not written exactly; fields of blanks and control characters only.
std::vector<DivideRow> TemplateAndBlankRows() {
    std::vector<DivideRow> rows;
    const std::string kCounterMessage = "The counter should be specified in the file part.";
    for (char c : std::string("\\/*:?\"<>|")) {
        const std::string shapes[] = {std::string("P[COUNTER]") + c, c + std::string("[COUNTER]"),
                                      std::string(1, c), std::string("P") + c + "[COUNTER]"};
        const char* where[] = {"AtTheEnd", "AtTheStart", "Alone", "Inside"};
        for (int i = 0; i < 4; ++i) {
            rows.push_back({"Forbidden" + std::to_string(int(c)) + where[i],
                            Divide(kSrc, "C:\\docs", " " + shapes[i] + "\t"), false, kError,
                            kForbiddenMessage, kTemplate, Divide(kSrc, "C:\\docs", shapes[i])});
        }
    }
    int n = 0;
    for (const char* counter :
         {"P[Counter]", "P[COUNTER", "P COUNTER]", "P[ COUNTER]", "P[COUNTER ]", "P[C0UNTER]"}) {
        rows.push_back({"CounterMisspelt" + std::to_string(++n), Divide(kSrc, "C:\\docs", counter),
                        false, kInfo, kCounterMessage, kTemplate,
                        Divide(kSrc, "C:\\docs", counter)});
    }
    const std::pair<const char*, const char*> blanks[] = {
        {"Empty", ""}, {"BlanksAndControls", " \t\x01\r\n"}, {"ControlsOnly", "\x01\x02\x1f"}};
    for (const auto& [suffix, blank] : blanks) {
        rows.push_back({std::string("Source") + suffix, Divide(blank, "C:\\docs", kTpl), false,
                        kInfo, "Please, select a file to divide.", kSource,
                        Divide("", "C:\\docs", kTpl)});
        rows.push_back({std::string("Folder") + suffix, Divide(kSrc, blank, kTpl), false, kInfo,
                        "Please, select the destination folder.", kFolder, Divide(kSrc, "", kTpl)});
        rows.push_back({std::string("Template") + suffix, Divide(kSrc, "C:\\docs", blank), false,
                        kInfo, kCounterMessage, kTemplate, Divide(kSrc, "C:\\docs", "")});
    }
    return rows;
}

INSTANTIATE_TEST_SUITE_P(TemplatesAndBlanks, DivideCheckTable,
                         ::testing::ValuesIn(TemplateAndBlankRows()),
                         [](const auto& info) { return info.param.name; });

TEST(DivideCheck, MissingFolderIsCreatedWithParentsAndStaysWhenTheTemplateFails) {
    MemoryFileLayer disk;
    disk.AddFile(kSrc);
    DivideSettings settings = Divide(kSrc, "C:\\out\\parts\\", "no counter");

    auto result = CheckDivideSettings(settings, disk, kWin);

    ExpectProblem(result, kInfo, "The counter should be specified in the file part.", kTemplate);
    EXPECT_EQ(settings.DestinationFolder, "C:\\out\\parts");
    EXPECT_EQ(disk.createdFolders(), (std::vector<std::string>{"C:\\out", "C:\\out\\parts"}));
}

TEST(DivideCheck, WritesNothing) {
    MemoryFileLayer disk;
    disk.AddFile(kSrc, "pdf", /*readOnly=*/true);
    FaultyFileLayer files(disk);
    DivideSettings settings = Divide(kSrc, "C:", kTpl);

    EXPECT_TRUE(CheckDivideSettings(settings, files, kWin).Passed);
    for (FileOp op : files.log()) {
        EXPECT_TRUE(op == FileOp::StatusOfPath) << testing::FileOpName(op);
    }
}

// ---- Combine check, Windows syntax ----

struct CombineRow {
    const char* name;
    std::vector<std::string> inputs;
    std::string output;
    bool passed;
    MessageKind kind;
    std::string text;
    std::string tidiedOutput;
};

void PrintTo(const CombineRow& row, std::ostream* out) {
    *out << row.name;
}

class CombineCheckTable : public ::testing::TestWithParam<CombineRow> {};

TEST_P(CombineCheckTable, MessageFocusAndTidiedOutput) {
    const CombineRow& row = GetParam();
    MemoryFileLayer disk;
    disk.AddFolder("C:\\docs");
    disk.AddFile("C:\\docs\\a.bin", "aaa");
    disk.AddFile("C:\\docs\\old.bin", "old content");
    disk.AddFile("C:\\docs\\locked.bin", "keep me", /*readOnly=*/true);
    CombineSettings settings{row.inputs, row.output};

    SettingsCheckResult result = CheckCombineSettings(settings, disk, kWin);

    if (row.passed) {
        EXPECT_TRUE(result.Passed) << result.MessageText;
        EXPECT_FALSE(disk.HasFile(settings.OutputPath));
    } else {
        SettingsField focus =
            row.inputs.empty() ? SettingsField::InputList : SettingsField::OutputFile;
        ExpectProblem(result, row.kind, row.text, focus);
    }
    EXPECT_EQ(settings.OutputPath, row.tidiedOutput);
    EXPECT_EQ(settings.InputPaths, row.inputs);
    EXPECT_EQ(disk.Content("C:\\docs\\a.bin"), "aaa");
    EXPECT_EQ(disk.Content("C:\\docs\\locked.bin"), "keep me");
    EXPECT_EQ(disk.openHandles(), 0);
}

const std::vector<std::string> kInputs = {"C:\\docs\\a.bin"};

INSTANTIATE_TEST_SUITE_P(
    Windows, CombineCheckTable,
    ::testing::Values(
        CombineRow{"Passes", kInputs, " C:\\docs\\all.bin\t", true, kInfo, "", "C:\\docs\\all.bin"},
        CombineRow{"ListEmptyLeavesOutputUntrimmed",
                   {},
                   "  ",
                   false,
                   kInfo,
                   "Please, select files to combine.",
                   "  "},
        CombineRow{"OutputBlank", kInputs, " \t ", false, kInfo,
                   "Please, select the destination file.", ""},
        CombineRow{"OutputEmpty", kInputs, "", false, kInfo, "Please, select the destination file.",
                   ""},
        CombineRow{"OutputControlsOnly", kInputs, " \t\x01\r\n\x02\x1f", false, kInfo,
                   "Please, select the destination file.", ""},
        CombineRow{"BareFileName", kInputs, " all.bin ", false, kError,
                   "Unable to create the following directory:\rall.bin", "all.bin"},
        CombineRow{"OnlyABackslashAsFolder", kInputs, "\\all.bin", false, kError,
                   "Unable to create the following directory:\r\\all.bin", "\\all.bin"},
        CombineRow{"MissingDrive", kInputs, "Q:\\x\\all.bin", false, kError,
                   "Unable to create the following directory:\rQ:\\x", "Q:\\x\\all.bin"},
        CombineRow{"DriveRootPasses", kInputs, "C:\\all.bin", true, kInfo, "", "C:\\all.bin"},
        CombineRow{"DriveAndNameOnlyPasses", kInputs, "C:all.bin", true, kInfo, "", "C:all.bin"},
        CombineRow{"ExistingWritableOutputPassesAndIsGone", kInputs, "C:\\docs\\old.bin", true,
                   kInfo, "", "C:\\docs\\old.bin"},
        CombineRow{"ReadOnlyOutput", kInputs, "C:\\docs\\locked.bin", false, kError,
                   "Unable to create the following file:\rC:\\docs\\locked.bin",
                   "C:\\docs\\locked.bin"},
        CombineRow{"FolderAsOutput", kInputs, "C:\\docs", false, kError,
                   "Unable to create the following file:\rC:\\docs", "C:\\docs"},
        CombineRow{"OutputIsAnInput",
                   {"C:\\docs\\old.bin", "C:\\docs\\a.bin"},
                   "C:\\docs\\a.bin",
                   false,
                   kError,
                   "The destination file is one of the files to combine:\rC:\\docs\\a.bin",
                   "C:\\docs\\a.bin"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CombineCheck, OutputTwoMissingFoldersBelowADriveCreatesBothOuterFirst) {
    MemoryFileLayer disk;
    CombineSettings settings{kInputs, "C:\\new\\deeper\\all.bin"};

    EXPECT_TRUE(CheckCombineSettings(settings, disk, kWin).Passed);
    EXPECT_EQ(disk.createdFolders(), (std::vector<std::string>{"C:\\new", "C:\\new\\deeper"}));
    EXPECT_FALSE(disk.HasFile("C:\\new\\deeper\\all.bin"));
}

TEST(CombineCheck, FolderCreatedStaysWhenTheProbeFails) {
    MemoryFileLayer disk;
    FaultyFileLayer files(disk);
    files.FailOp(FileOp::Create);
    CombineSettings settings{kInputs, "C:\\new\\all.bin"};

    ExpectProblem(CheckCombineSettings(settings, files, kWin), kError,
                  "Unable to create the following file:\rC:\\new\\all.bin",
                  SettingsField::OutputFile);
    EXPECT_TRUE(disk.HasFolder("C:\\new"));
}

TEST(ProbeOutputFile, AnyFailingStepFailsAndClosesWhatWasOpened) {
    for (FileOp op : {FileOp::Create, FileOp::Truncate, FileOp::Close, FileOp::Delete}) {
        MemoryFileLayer disk;
        disk.AddFile("C:\\x.bin", "data");
        FaultyFileLayer files(disk);
        files.FailOp(op);
        EXPECT_FALSE(ProbeOutputFile("C:\\x.bin", files)) << testing::FileOpName(op);
        EXPECT_EQ(disk.openHandles(), 0) << testing::FileOpName(op);
    }
    MemoryFileLayer disk;
    disk.AddFile("C:\\x.bin", "data");
    EXPECT_TRUE(ProbeOutputFile("C:\\x.bin", disk));
    EXPECT_FALSE(disk.HasFile("C:\\x.bin"));
}

TEST(CreateFolderWithParents, WindowsRules) {
    struct Row {
        std::string path;
        bool ok;
        std::vector<std::string> created;
    };
    const Row rows[] = {
        {"", false, {}},
        {"C:", true, {}},
        {"C:\\", true, {}},
        {"Q:", true, {}},  // shorter than 3: taken as existing without a look
        {"\\", true, {}},
        {"C:\\docs", true, {}},
        {"C:\\docs\\", true, {}},
        {"C:\\a\\b\\", true, {"C:\\a", "C:\\a\\b"}},
        {"C:\\docs\\new", true, {"C:\\docs\\new"}},
        {"Q:\\a", false, {}},
        {"C:\\docs\\file.txt\\sub", false, {}},
        {"ab\\c", false, {}},  // "ab" passes untested, but there is no such folder to hold "c"
        {"abc\\d", false, {}},
    };
    for (const auto& row : rows) {
        MemoryFileLayer disk;
        disk.AddFolder("C:\\docs");
        disk.AddFile("C:\\docs\\file.txt");
        EXPECT_EQ(CreateFolderWithParents(row.path, disk, kWin), row.ok) << row.path;
        EXPECT_EQ(disk.createdFolders(), row.created) << row.path;
    }
}

// ---- POSIX syntax, on the real disk ----

class PosixCheck : public ::testing::Test {
  protected:
    TempDir dir;
};

TEST_F(PosixCheck, CreateFolderWithParentsMakesEachMissingLevelOuterFirst) {
    EXPECT_TRUE(CreateFolderWithParents(dir / "a/b/c/", OsFileLayer(), kPosix));
    struct stat st {};
    EXPECT_EQ(::stat((dir / "a/b/c").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_TRUE(CreateFolderWithParents("/", OsFileLayer(), kPosix));
    EXPECT_TRUE(CreateFolderWithParents(dir.path(), OsFileLayer(), kPosix));

    WriteFile(dir / "file", "x");
    EXPECT_FALSE(CreateFolderWithParents(dir / "file/sub", OsFileLayer(), kPosix));
    EXPECT_FALSE(CreateFolderWithParents("", OsFileLayer(), kPosix));
    // Relative: the outermost folder is missing, so the rule runs out of path.
    EXPECT_FALSE(CreateFolderWithParents("partory-no-such-folder/sub", OsFileLayer(), kPosix));
    EXPECT_FALSE(Exists("partory-no-such-folder"));

    FaultyFileLayer files;
    files.FailOp(FileOp::CreateFolder, 2);
    EXPECT_FALSE(CreateFolderWithParents(dir / "x/y/z", files, kPosix));
    EXPECT_TRUE(Exists(dir / "x"));
    EXPECT_FALSE(Exists(dir / "x/y"));
}

TEST_F(PosixCheck, DivideSourceMustBeARegularFile) {
    WriteFile(dir / "src", "data");
    ASSERT_EQ(::symlink((dir / "src").c_str(), (dir / "link").c_str()), 0);
    for (std::string source : {dir / "src", dir / "link"}) {
        DivideSettings settings = Divide(source, dir.path() + "/", "[COUNTER]");
        EXPECT_TRUE(CheckDivideSettings(settings, OsFileLayer(), kPosix).Passed) << source;
        EXPECT_EQ(settings.DestinationFolder, dir.path());
    }
    for (std::string source : {dir.path(), dir / "none", std::string("/dev/null")}) {
        DivideSettings settings = Divide(source, dir.path(), "[COUNTER]");
        ExpectProblem(CheckDivideSettings(settings, OsFileLayer(), kPosix), kError,
                      "File \"" + source + "\" does not exist.", kSource);
    }
    DivideSettings root = Divide(dir / "src", "/", "[COUNTER]");
    EXPECT_TRUE(CheckDivideSettings(root, OsFileLayer(), kPosix).Passed);
    EXPECT_EQ(root.DestinationFolder, "/");
}

TEST_F(PosixCheck, CombineOutputInNewFoldersPassesAndLeavesNoFile) {
    WriteFile(dir / "in", "data");
    CombineSettings settings{{dir / "in"}, " " + dir / "p/q/out.bin "};

    EXPECT_TRUE(CheckCombineSettings(settings, OsFileLayer(), kPosix).Passed);
    EXPECT_EQ(settings.OutputPath, dir / "p/q/out.bin");
    EXPECT_TRUE(Exists(dir / "p/q"));
    EXPECT_FALSE(Exists(settings.OutputPath));
}

TEST_F(PosixCheck, ExistingWritableOutputPassesAndIsGone) {
    WriteFile(dir / "in", "data");
    WriteFile(dir / "out", "old");
    CombineSettings settings{{dir / "in"}, dir / "out"};

    EXPECT_TRUE(CheckCombineSettings(settings, OsFileLayer(), kPosix).Passed);
    EXPECT_FALSE(Exists(dir / "out"));
}

TEST_F(PosixCheck, BareFileNameGivesTheDirectoryMessage) {
    CombineSettings settings{{dir / "in"}, "out.bin"};
    ExpectProblem(CheckCombineSettings(settings, OsFileLayer(), kPosix), kError,
                  "Unable to create the following directory:\rout.bin", SettingsField::OutputFile);
    EXPECT_FALSE(Exists("out.bin"));
}

// The probe of a read-only file must fail and keep its content. Root may write anything, so
// the check then runs in a child that has become `nobody`.
TEST_F(PosixCheck, ReadOnlyOutputGivesTheFileMessageAndKeepsItsContent) {
    const std::string output = dir / "locked.bin";
    WriteFile(output, "keep me");
    ASSERT_EQ(::chmod(output.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(dir.path().c_str(), 0777), 0);
    WriteFile(dir / "in", "data");
    const std::string expected = "Unable to create the following file:\r" + output;
    auto runCheck = [&] {
        CombineSettings settings{{dir / "in"}, output};
        SettingsCheckResult result = CheckCombineSettings(settings, OsFileLayer(), kPosix);
        return !result.Passed && result.MessageKind == kError && result.MessageText == expected &&
               result.FocusField == SettingsField::OutputFile;
    };

    if (::geteuid() != 0) {
        if (::access(output.c_str(), W_OK) == 0) GTEST_SKIP() << "the read-only file is writable";
        EXPECT_TRUE(runCheck());
    } else {
        passwd* nobody = ::getpwnam("nobody");
        if (!nobody) GTEST_SKIP() << "no user nobody";
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0) ::_exit(2);
            if (::access(output.c_str(), W_OK) == 0) ::_exit(3);
            ::_exit(runCheck() ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0) << "1: wrong result, 2: could not drop, 3: writable";
    }
    EXPECT_EQ(ReadFile(output), "keep me");
}

}  // namespace
}  // namespace partory
