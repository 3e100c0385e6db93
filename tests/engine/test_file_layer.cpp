// SPDX-License-Identifier: GPL-3.0-or-later
// What the file layers tell of a new file: the handle, or whether the name was taken or the
// creation failed for another reason. The real layer and the one in memory agree.
#include <gtest/gtest.h>
#include <unistd.h>

#include <ostream>
#include <string>
#include <vector>

#include "memory_file_layer.h"
#include "partory/file_layer.h"
#include "temp_dir.h"

namespace partory::testing {
namespace {

using Outcome = NewFile::Outcome;

enum class Before { Nothing, File, Folder, DanglingLink, NoParentFolder };

struct CreateNewRow {
    const char* name;
    Before before;
    Outcome outcome;
};

void PrintTo(const CreateNewRow& row, std::ostream* out) {
    *out << row.name;
}

const CreateNewRow kCreateNewRows[] = {
    {"FreeName", Before::Nothing, Outcome::Created},
    {"FileThere", Before::File, Outcome::NameTaken},
    {"FolderThere", Before::Folder, Outcome::NameTaken},
    // The link's target would be created through it: the name counts as taken.
    {"LinkToNothing", Before::DanglingLink, Outcome::NameTaken},
    {"FolderMissing", Before::NoParentFolder, Outcome::Failed},
};

void ExpectNewFile(FileLayer& files, const std::string& path, Outcome expected) {
    const NewFile created = files.CreateNew(path);
    EXPECT_EQ(created.outcome, expected);
    if (expected == Outcome::Created) {
        ASSERT_NE(created.file, kNoFile);
        EXPECT_TRUE(files.Write(created.file, "new", 3));
        EXPECT_TRUE(files.Close(created.file));
        EXPECT_EQ(files.StatusOfPath(path)->size, 3);
    } else {
        EXPECT_EQ(created.file, kNoFile);
    }
}

// Memory holds no links.
std::vector<CreateNewRow> RowsWithoutLinks() {
    std::vector<CreateNewRow> rows;
    for (const CreateNewRow& row : kCreateNewRows) {
        if (row.before != Before::DanglingLink) rows.push_back(row);
    }
    return rows;
}

class CreateNewOnDisk : public ::testing::TestWithParam<CreateNewRow> {};
class CreateNewInMemory : public ::testing::TestWithParam<CreateNewRow> {};

TEST_P(CreateNewOnDisk, GivesTheFileOrWhyNot) {
    const CreateNewRow& row = GetParam();
    TempDir dir;
    std::string path = dir / "new";
    switch (row.before) {
        case Before::Nothing:
            break;
        case Before::File:
            WriteFile(path, "old");
            break;
        case Before::Folder:
            ASSERT_EQ(::mkdir(path.c_str(), 0777), 0);
            break;
        case Before::DanglingLink:
            ASSERT_EQ(::symlink("missing", path.c_str()), 0);
            break;
        case Before::NoParentFolder:
            path = dir / "missing/new";
            break;
    }
    ExpectNewFile(OsFileLayer(), path, row.outcome);
    if (row.before == Before::File) {
        EXPECT_EQ(ReadFile(path), "old");
    }
}

TEST_P(CreateNewInMemory, GivesTheFileOrWhyNot) {
    const CreateNewRow& row = GetParam();
    MemoryFileLayer files;
    files.AddFolder("C:\\Data");
    std::string path = "C:\\Data\\new";
    switch (row.before) {
        case Before::Nothing:
            break;
        case Before::File:
            files.AddFile(path, "old");
            break;
        case Before::Folder:
            files.AddFolder(path);
            break;
        case Before::DanglingLink:
            break;
        case Before::NoParentFolder:
            path = "C:\\Data\\missing\\new";
            break;
    }
    ExpectNewFile(files, path, row.outcome);
    if (row.before == Before::File) {
        EXPECT_EQ(files.Content(path), "old");
    }
    EXPECT_EQ(files.openHandles(), 0);
}

const auto kRowName = [](const auto& info) { return std::string(info.param.name); };
INSTANTIATE_TEST_SUITE_P(Before, CreateNewOnDisk, ::testing::ValuesIn(kCreateNewRows), kRowName);
INSTANTIATE_TEST_SUITE_P(Before, CreateNewInMemory, ::testing::ValuesIn(RowsWithoutLinks()),
                         kRowName);

}  // namespace
}  // namespace partory::testing
