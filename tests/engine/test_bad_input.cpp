// SPDX-License-Identifier: GPL-3.0-or-later
// Awkward and hostile input for both checks and both jobs: blanks and control characters,
// odd names, names and paths at the system's limits, links, loops and folders where files are
// expected, outputs that are inputs under another name. Nothing may crash, be lost or change.
#include <gtest/gtest.h>
#include <limits.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "faulty_file_layer.h"
#include "partory/combine_job.h"
#include "partory/divide_job.h"
#include "partory/name_template.h"
#include "partory/settings_check.h"
#include "same_bytes.h"
#include "temp_dir.h"

namespace partory::testing {
namespace {

namespace fs = std::filesystem;

const std::string kAround = " \t\x01\r\n";  // blanks and control characters
const std::string kAfter = "\x1f \n\x7f";   // 0x7F is above 32: it must stay

std::string DoesNotExist(const std::string& path) {
    return "File \"" + path + "\" does not exist.";
}

struct Outcome {
    bool succeeded;
    std::string text;
    std::int64_t position;
};

Outcome Divide(const DivideSettings& settings) {
    RunState state;
    RecordingProgress progress;
    ScriptedPump pump;
    RunDivideJob(settings, state, progress, pump, OsFileLayer());
    return {state.Succeeded, state.ResultText, progress.position()};
}

Outcome Combine(const CombineSettings& settings) {
    RunState state;
    RecordingProgress progress;
    ScriptedPump pump;
    RunCombineJob(settings, state, progress, pump, OsFileLayer());
    return {state.Succeeded, state.ResultText, progress.position()};
}

std::string Repeat(char c, std::size_t n) {
    return std::string(n, c);
}

// ---------------------------------------------------------------------------------------------
// Odd names, typed with blanks and control characters around them: trimmed, then divided and
// combined like any other.

struct NameRow {
    const char* label;
    std::string source;  // a file name
    std::string folder;  // a folder name, made by the check
    std::string nameTemplate;
};

std::vector<NameRow> NameRows() {
    return {
        {"spaces", "my report.pdf", "two words", "part [COUNTER] of it"},
        {"non-ASCII", "r\xc3\xa9sum\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac.txt",
         "dossier \xc3\xa9t\xc3\xa9", "\xc3\x89T\xc3\x89_[COUNTER]_\xe6\x97\xa5"},
        {"newline inside", "two\nlines.bin", "folder\nwith newline", "P\n[COUNTER]"},
        {"tab inside", "a\tb", "c\td", "e\t[COUNTER]"},
        {"leading dash", "-rf", "--help", "-[COUNTER]"},
        {"dots", "..hidden..", "...", ".[COUNTER]."},
        {"255-byte names", Repeat('s', 255), Repeat('f', 255), Repeat('t', 246) + "[COUNTER]"},
        {"brackets and quotes in names", "it's [COUNTER].bin", "$(echo x)", "'[COUNTER]'`"},
    };
}

TEST(BadInput, OddNamesAroundBlanksDivideCorrectly) {
    for (const NameRow& row : NameRows()) {
        SCOPED_TRACE(row.label);
        TempDir dir;
        const std::string source = dir / row.source;
        const std::string folder = dir / row.folder;
        const std::string bytes = PatternBytes(2600);
        WriteFile(source, bytes);

        DivideSettings settings;
        settings.SourcePath = kAround + source + kAfter.substr(0, 3);
        settings.DestinationFolder = kAround + folder + "/" + kAround;
        settings.NameTemplate = kAround + row.nameTemplate + kAround;
        settings.PartSizeValue = 1;
        const SettingsCheckResult check = CheckDivideSettings(settings);
        ASSERT_TRUE(check.Passed) << check.MessageText;
        EXPECT_EQ(settings.SourcePath, source);
        EXPECT_EQ(settings.DestinationFolder, folder);
        EXPECT_EQ(settings.NameTemplate, row.nameTemplate);
        EXPECT_TRUE(fs::is_directory(folder));

        const Outcome outcome = Divide(settings);
        EXPECT_TRUE(outcome.succeeded) << outcome.text;
        EXPECT_EQ(outcome.text, "3 file(s) sucessfully created!");
        for (int p = 1; p <= 3; ++p) {
            const std::string part = folder + "/" + MakePartName(row.nameTemplate, p);
            ASSERT_TRUE(Exists(part)) << part;
            EXPECT_TRUE(SameBytes(ReadFile(part), bytes.substr((p - 1) * 1024, 1024)));
        }
        EXPECT_TRUE(SameBytes(ReadFile(source), bytes));
    }
}

TEST(BadInput, OddNamesAroundBlanksCombineCorrectly) {
    for (const NameRow& row : NameRows()) {
        SCOPED_TRACE(row.label);
        TempDir dir;
        fs::create_directory(dir / row.folder);
        const std::vector<std::string> inputs = {dir / row.source,
                                                 dir / (row.folder + "/" + row.source)};
        WriteFile(inputs[0], "first ");
        WriteFile(inputs[1], "second");
        // The output goes into folders the check makes, named like the input.
        const std::string output = dir / ("made/" + row.folder + "/" + row.source);

        CombineSettings settings{inputs, kAround + output + kAround};
        const SettingsCheckResult check = CheckCombineSettings(settings);
        ASSERT_TRUE(check.Passed) << check.MessageText;
        EXPECT_EQ(settings.OutputPath, output);
        EXPECT_FALSE(Exists(output));

        const Outcome outcome = Combine(settings);
        EXPECT_TRUE(outcome.succeeded) << outcome.text;
        EXPECT_EQ(outcome.text, "2 file(s) processed sucessfully!");
        EXPECT_TRUE(SameBytes(ReadFile(output), "first second"));
        EXPECT_TRUE(SameBytes(ReadFile(inputs[0]), "first "));
        EXPECT_TRUE(SameBytes(ReadFile(inputs[1]), "second"));
    }
}

TEST(BadInput, NameEndingInABlankCannotBeNamedAndNothingIsTouched) {
    // Trimming takes the blank off, so the path names another file, which does not exist.
    TempDir dir;
    WriteFile(dir / "ends in blank ", "kept");
    DivideSettings settings;
    settings.SourcePath = dir / "ends in blank ";
    settings.DestinationFolder = dir.path();
    settings.NameTemplate = "P[COUNTER]";
    const SettingsCheckResult check = CheckDivideSettings(settings);
    EXPECT_FALSE(check.Passed);
    EXPECT_EQ(check.MessageText, DoesNotExist(dir / "ends in blank"));
    EXPECT_TRUE(SameBytes(ReadFile(dir / "ends in blank "), "kept"));
}

TEST(BadInput, EmptyInputPathEndsTheCombineAtIt) {
    TempDir dir;
    WriteFile(dir / "a", "aaa");
    const Outcome outcome = Combine({{dir / "a", "", dir / "a"}, dir / "out"});
    EXPECT_FALSE(outcome.succeeded);
    EXPECT_EQ(outcome.text, "Error while copying a file.");
    EXPECT_EQ(outcome.position, 1);
    EXPECT_TRUE(SameBytes(ReadFile(dir / "out"), "aaa"));
}

TEST(BadInput, NulInsideAPathNamesNoFileForTheChecksOrTheJobs) {
    // The system would read such a path only up to the NUL, that is, as another file.
    TempDir dir;
    WriteFile(dir / "a", std::string(2600, 'a'));
    const std::string nul("\0", 1);

    DivideSettings source;
    source.SourcePath = dir / "a" + nul + "b";
    source.DestinationFolder = dir.path();
    source.NameTemplate = "P[COUNTER]";
    EXPECT_EQ(CheckDivideSettings(source).MessageText, DoesNotExist(source.SourcePath));
    EXPECT_FALSE(Divide(source).succeeded);

    DivideSettings part;
    part.SourcePath = dir / "a";
    part.DestinationFolder = dir.path();
    part.NameTemplate = "p" + nul + "q[COUNTER]";
    part.PartSizeValue = 1;
    EXPECT_FALSE(Divide(part).succeeded);
    EXPECT_FALSE(Exists(dir / "p"));

    const Outcome combine = Combine({{dir / "a" + nul + "b"}, dir / "out"});
    EXPECT_FALSE(combine.succeeded);
    EXPECT_TRUE(SameBytes(ReadFile(dir / "a"), std::string(2600, 'a')));
}

// ---------------------------------------------------------------------------------------------
// The system's limits: a name of more than 255 bytes, paths near and beyond PATH_MAX.

TEST(BadInput, PartNamesLongerThanTheNameLimitAreADivisionError) {
    for (std::size_t extra : {1u, 2u, 1000u, 100000u}) {
        SCOPED_TRACE(extra);
        TempDir dir;
        WriteFile(dir / "source.bin", PatternBytes(2600));
        DivideSettings settings;
        settings.SourcePath = dir / "source.bin";
        settings.DestinationFolder = dir / "parts";
        // Part names of 255 + extra bytes for parts 1 to 3.
        settings.NameTemplate = Repeat('n', 254 + extra) + "[COUNTER]";
        ASSERT_TRUE(CheckDivideSettings(settings).Passed);
        const int descriptors = OpenDescriptorCount();
        const Outcome outcome = Divide(settings);
        EXPECT_FALSE(outcome.succeeded);
        EXPECT_EQ(outcome.text, "File division error: \"source.bin\".");
        EXPECT_EQ(OpenDescriptorCount(), descriptors);
        EXPECT_TRUE(fs::is_empty(dir / "parts"));
        EXPECT_TRUE(SameBytes(ReadFile(dir / "source.bin"), PatternBytes(2600)));
    }
}

// A folder path of about `length` bytes below `root`, in components of 200 bytes.
std::string DeepFolder(const std::string& root, std::size_t length) {
    std::string path = root;
    for (char c = 'a'; path.size() + 201 <= length; ++c) path += "/" + Repeat(c, 200);
    if (path.size() + 2 <= length) path += "/" + Repeat('z', length - path.size() - 1);
    return path;
}

TEST(BadInput, PathsNearTheLimitWorkAndPathsBeyondItFailCleanly) {
    TempDir dir;
    // Just under PATH_MAX (4096 with its terminating zero) for the part paths.
    const std::string deep = DeepFolder(dir.path(), PATH_MAX - 40);
    fs::create_directories(deep);
    const std::string source = deep + "/source.bin";
    WriteFile(source, PatternBytes(2600));

    DivideSettings divide;
    divide.SourcePath = source;
    divide.DestinationFolder = deep + "/new/";
    divide.NameTemplate = "P[COUNTER].bin";
    ASSERT_TRUE(CheckDivideSettings(divide).Passed);
    const Outcome divided = Divide(divide);
    EXPECT_TRUE(divided.succeeded) << divided.text;
    EXPECT_TRUE(SameBytes(ReadFile(deep + "/new/P3.bin"), PatternBytes(2600).substr(2048)));

    CombineSettings combine{{source, deep + "/new/P1.bin"}, deep + "/out/c"};
    ASSERT_TRUE(CheckCombineSettings(combine).Passed);
    const Outcome combined = Combine(combine);
    EXPECT_TRUE(combined.succeeded) << combined.text;
    EXPECT_EQ(fs::file_size(deep + "/out/c"), 2600u + 1024u);

    // Beyond the limit: each check names the problem, nothing crashes.
    const std::string tooLong = DeepFolder(dir.path(), PATH_MAX + 500);
    DivideSettings far;
    far.SourcePath = tooLong + "/source.bin";
    far.DestinationFolder = dir.path();
    far.NameTemplate = "P[COUNTER]";
    EXPECT_EQ(CheckDivideSettings(far).MessageText, DoesNotExist(far.SourcePath));
    far.SourcePath = source;
    far.DestinationFolder = tooLong;
    EXPECT_EQ(CheckDivideSettings(far).MessageText,
              "Unable to create the following directory:\r" + tooLong);
    CombineSettings farOutput{{source}, tooLong + "/out"};
    const SettingsCheckResult farCheck = CheckCombineSettings(farOutput);
    EXPECT_FALSE(farCheck.Passed);
    EXPECT_EQ(farCheck.MessageText, "Unable to create the following directory:\r" + tooLong);
    // The job given such a path directly cannot create its output.
    const Outcome farJob = Combine(farOutput);
    EXPECT_FALSE(farJob.succeeded);
    EXPECT_EQ(farJob.text, "Unable to create the combined file.");
    EXPECT_TRUE(SameBytes(ReadFile(source), PatternBytes(2600)));
}

// ---------------------------------------------------------------------------------------------
// Sources and inputs that are not plain files.

TEST(BadInput, SourceThatIsNotAPlainFileIsNamedAsMissing) {
    TempDir dir;
    WriteFile(dir / "real", "x");
    fs::create_symlink(dir / "loop1", dir / "loop2");
    fs::create_symlink(dir / "loop2", dir / "loop1");
    fs::create_symlink(dir / "nothing", dir / "dangling");
    fs::create_directory(dir / "folder");
    fs::create_symlink(dir / "folder", dir / "link to folder");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    for (const std::string& path :
         {dir / "loop1", dir / "dangling", dir / "folder", dir / "link to folder", dir / "fifo",
          std::string("/dev/null"), dir / "real/below a file"}) {
        SCOPED_TRACE(path);
        DivideSettings settings;
        settings.SourcePath = path;
        settings.DestinationFolder = dir / "parts";
        settings.NameTemplate = "P[COUNTER]";
        const SettingsCheckResult check = CheckDivideSettings(settings);
        EXPECT_FALSE(check.Passed);
        EXPECT_EQ(check.MessageText, DoesNotExist(path));
        EXPECT_EQ(check.FocusField, SettingsField::SourceFile);
        EXPECT_FALSE(Exists(dir / "parts"));
    }
}

TEST(BadInput, SourceThatIsALinkDividesItsTargetAndKeepsBoth) {
    TempDir dir;
    const std::string bytes = PatternBytes(2600);
    WriteFile(dir / "target.bin", bytes);
    fs::create_symlink(dir / "target.bin", dir / "link.bin");
    DivideSettings settings;
    settings.SourcePath = dir / "link.bin";
    settings.DestinationFolder = dir / "parts";
    settings.NameTemplate = "P[COUNTER]";
    ASSERT_TRUE(CheckDivideSettings(settings).Passed);
    const Outcome outcome = Divide(settings);
    EXPECT_TRUE(outcome.succeeded) << outcome.text;
    EXPECT_TRUE(SameBytes(
        ReadFile(dir / "parts/P1") + ReadFile(dir / "parts/P2") + ReadFile(dir / "parts/P3"),
        bytes));
    EXPECT_TRUE(fs::is_symlink(dir / "link.bin"));
    EXPECT_TRUE(SameBytes(ReadFile(dir / "target.bin"), bytes));
}

TEST(BadInput, InputThatIsNotAReadableFileEndsTheCombineAtIt) {
    TempDir dir;
    WriteFile(dir / "a", "aaa");
    fs::create_directory(dir / "folder");
    fs::create_symlink(dir / "loop1", dir / "loop2");
    fs::create_symlink(dir / "loop2", dir / "loop1");
    fs::create_symlink(dir / "nothing", dir / "dangling");
    for (const std::string& bad : {dir / "folder", dir / "loop1", dir / "dangling",
                                   dir / "a/below a file", dir / "missing"}) {
        SCOPED_TRACE(bad);
        const int descriptors = OpenDescriptorCount();
        const Outcome outcome = Combine({{dir / "a", bad, dir / "a"}, dir / "out"});
        EXPECT_FALSE(outcome.succeeded);
        EXPECT_EQ(outcome.text, "Error while copying a file.");
        EXPECT_EQ(outcome.position, 1);
        EXPECT_TRUE(SameBytes(ReadFile(dir / "out"), "aaa"));
        EXPECT_EQ(OpenDescriptorCount(), descriptors);
    }
    EXPECT_TRUE(SameBytes(ReadFile(dir / "a"), "aaa"));
}

// A named pipe where a file is expected: opening it for reading waits for a writer, and writing
// more than its buffer waits for a reader, forever. Each job runs in a child with an alarm, so
// a hang shows as a failure instead of stopping the test run. Whatever the job makes of the
// pipe, it must end, and end without success.
TEST(BadInput, NamedPipeInPlaceOfAFileDoesNotHangAJob) {
    struct Row {
        const char* label;
        Outcome (*run)(const TempDir&);
    } rows[] = {{"combine input",
                 [](const TempDir& d) {
                     return Combine({{d / "a", d / "fifo"}, d / "out"});
                 }},
                {"combine output",
                 [](const TempDir& d) {
                     return Combine({{d / "a", d / "big"}, d / "fifo"});
                 }},
                {"divide part", [](const TempDir& d) {
                     DivideSettings settings;
                     settings.SourcePath = d / "big";
                     settings.DestinationFolder = d.path();
                     settings.NameTemplate = "fifo[COUNTER]";
                     settings.PartSizeValue = 200;
                     ::rename((d / "fifo").c_str(), (d / "fifo1").c_str());
                     return Divide(settings);
                 }}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        TempDir dir;
        WriteFile(dir / "a", "aaa");
        WriteFile(dir / "big", PatternBytes(300000));
        ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::alarm(5);
            ::_exit(row.run(dir).succeeded ? 1 : 0);
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_FALSE(WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM) << "the job hangs";
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
        EXPECT_TRUE(SameBytes(ReadFile(dir / "big"), PatternBytes(300000)));
        EXPECT_TRUE(SameBytes(ReadFile(dir / "a"), "aaa"));
    }
}

// ---------------------------------------------------------------------------------------------
// A part or an output that is the source or an input under another name.

TEST(BadInput, PartThatIsTheSourceUnderAnyNameStopsTheDivideAndKeepsTheSource) {
    struct Row {
        const char* label;
        int sourcePart;      // the part whose path reaches the source
        const char* folder;  // the destination, below the test folder
        void (*make)(const TempDir&);
    } rows[] = {
        {"same path", 1, "", [](const TempDir&) {}},
        {"symbolic link", 2, "/parts",
         [](const TempDir& d) { fs::create_symlink(d / "P1", d / "parts/P2"); }},
        {"hard link", 3, "/parts",
         [](const TempDir& d) { fs::create_hard_link(d / "P1", d / "parts/P3"); }},
        {"folder through a link", 1, "/parts/up",
         [](const TempDir& d) { fs::create_directory_symlink(d.path(), d / "parts/up"); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        TempDir dir;
        const std::string bytes = PatternBytes(2600);
        WriteFile(dir / "P1", bytes);  // the source: part 1's name in the source's own folder
        fs::create_directory(dir / "parts");
        row.make(dir);
        DivideSettings settings;
        settings.SourcePath = dir / "P1";
        settings.DestinationFolder = dir.path() + row.folder;
        settings.NameTemplate = "P[COUNTER]";
        ASSERT_TRUE(CheckDivideSettings(settings).Passed);
        const Outcome outcome = Divide(settings);
        EXPECT_FALSE(outcome.succeeded);
        EXPECT_EQ(outcome.text, "File division error: \"P1\".");
        EXPECT_TRUE(SameBytes(ReadFile(dir / "P1"), bytes)) << "the source was damaged";
        for (int p = 1; p < row.sourcePart; ++p) {
            EXPECT_TRUE(SameBytes(ReadFile(settings.DestinationFolder + "/P" + std::to_string(p)),
                                  bytes.substr((p - 1) * 1024, 1024)));
        }
        EXPECT_EQ(outcome.position, row.sourcePart == 1 ? -1 : row.sourcePart - 1);
    }
}

// An output that is one of the inputs under any name, through the check and through the job
// (the window's road is in tst_reliability): refused, and every file kept.

enum class Road { Check, Job };

struct InputAsOutputRow {
    const char* name;
    std::string output;  // below the folder of in1, in2 and in3
    void (*make)(const TempDir&);
    int failedLook = 0;  // the look at a path that fails, counted from 1; 0: none
    std::vector<std::string> inputs = {"in1", "in2", "in3"};
    bool refused = true;
};

void PrintTo(const InputAsOutputRow& row, std::ostream* out) {
    *out << row.name;
}

void NoLinks(const TempDir&) {}
void HardLinkToIn1(const TempDir& d) {
    fs::create_hard_link(d / "in1", d / "hard1");
}
void HardLinkToIn2(const TempDir& d) {
    fs::create_hard_link(d / "in2", d / "hard2");
}
void OutputOfTwoNames(const TempDir& d) {
    WriteFile(d / "out", "older");
    fs::create_hard_link(d / "out", d / "second name");
}

const InputAsOutputRow kInputAsOutputRows[] = {
    {"SamePathOfTheFirst", "in1", NoLinks},
    {"SamePathOfTheLast", "in3", NoLinks},
    {"DotsAndDoubleSlashes", ".//./in1", NoLinks},
    {"ThroughAParentFolder", "sub/../in3",
     [](const TempDir& d) { fs::create_directory(d / "sub"); }},
    {"SymbolicLinkToTheFirst", "soft1",
     [](const TempDir& d) { fs::create_symlink(d / "in1", d / "soft1"); }},
    {"SymbolicLinkToTheLast", "soft3",
     [](const TempDir& d) { fs::create_symlink(d / "in3", d / "soft3"); }},
    {"HardLinkToTheMiddle", "hard2", HardLinkToIn2},
    {"HardLinkToTheLast", "hard3",
     [](const TempDir& d) { fs::create_hard_link(d / "in3", d / "hard3"); }},
    {"FolderThroughALink", "up/in2",
     [](const TempDir& d) { fs::create_directory_symlink(d.path(), d / "up"); }},
    // One failing look must not let the output that an input is be cut.
    {"HardLinkToTheFirstWhenLook2Fails", "hard1", HardLinkToIn1, 2},
    {"HardLinkToTheFirstWhenLook3Fails", "hard1", HardLinkToIn1, 3},
    {"HardLinkToTheMiddleWhenLook2Fails", "hard2", HardLinkToIn2, 2},
    // An input that cannot be examined could be an output of more than one name; an output of
    // one name is used, and the input fails in its turn.
    {"OutputOfTwoNamesAndAnInputGone", "out", OutputOfTwoNames, 0, {"in1", "gone"}},
    {"OutputOfOneNameAndAnInputGone",
     "out",
     [](const TempDir& d) { WriteFile(d / "out", "older"); },
     0,
     {"in1", "gone"},
     false},
};

class InputAsOutput : public ::testing::TestWithParam<std::tuple<InputAsOutputRow, Road>> {};

TEST_P(InputAsOutput, IsRefusedAndEveryFileKept) {
    const auto& [row, road] = GetParam();
    TempDir dir;
    const std::vector<std::string> bytes = {"one", "two", "three"};
    for (int i = 0; i < 3; ++i) WriteFile(dir / ("in" + std::to_string(i + 1)), bytes[i]);
    row.make(dir);
    const std::string output = dir / row.output;
    CombineSettings settings{{}, output};
    for (const std::string& input : row.inputs) settings.InputPaths.push_back(dir / input);
    FaultyFileLayer files;
    if (row.failedLook > 0) files.FailOp(FileOp::StatusOfPath, row.failedLook);
    const int descriptors = OpenDescriptorCount();

    if (road == Road::Check) {
        const SettingsCheckResult check = CheckCombineSettings(settings, files);
        EXPECT_EQ(check.Passed, !row.refused);
        if (row.refused) {
            EXPECT_EQ(check.MessageText,
                      "The destination file is one of the files to combine:\r" + output);
            EXPECT_EQ(check.MessageKind, MessageKind::Error);
            EXPECT_EQ(check.FocusField, SettingsField::OutputFile);
        }
        EXPECT_EQ(Exists(output), row.refused);
    } else {
        RunState state;
        RecordingProgress progress;
        ScriptedPump pump;
        RunCombineJob(settings, state, progress, pump, files);
        EXPECT_FALSE(state.Succeeded);
        EXPECT_TRUE(state.Stopped);
        EXPECT_EQ(state.ResultText, "Error while copying a file.");
        if (row.refused) {
            EXPECT_TRUE(progress.calls.empty());
        } else {  // failed at the missing input
            EXPECT_EQ(progress.position(), 1);
            EXPECT_TRUE(SameBytes(ReadFile(output), "one"));
        }
    }
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(SameBytes(ReadFile(dir / ("in" + std::to_string(i + 1))), bytes[i]));
    }
    if (row.refused && Exists(dir / "out")) {
        EXPECT_TRUE(SameBytes(ReadFile(dir / "out"), "older"));
    }
    EXPECT_EQ(OpenDescriptorCount(), descriptors) << "a file was left open";
}

INSTANTIATE_TEST_SUITE_P(BothRoads, InputAsOutput,
                         ::testing::Combine(::testing::ValuesIn(kInputAsOutputRows),
                                            ::testing::Values(Road::Check, Road::Job)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) == Road::Check ? "_Check" : "_Job");
                         });

// ---------------------------------------------------------------------------------------------
// Templates.

// A template without the counter given to the job directly: every part has the same name, so
// each part replaces the one before; the job must still neither crash nor touch the source.
TEST(BadInput, TemplateWithoutCounterGivenToTheJobKeepsTheSource) {
    TempDir dir;
    const std::string bytes = PatternBytes(2600);
    WriteFile(dir / "source.bin", bytes);
    DivideSettings settings;
    settings.SourcePath = dir / "source.bin";
    settings.DestinationFolder = dir.path();
    settings.NameTemplate = "same";
    const Outcome outcome = Divide(settings);
    EXPECT_TRUE(outcome.succeeded) << outcome.text;
    EXPECT_TRUE(SameBytes(ReadFile(dir / "same"), bytes.substr(2048)));
    EXPECT_TRUE(SameBytes(ReadFile(dir / "source.bin"), bytes));
}

}  // namespace
}  // namespace partory::testing
