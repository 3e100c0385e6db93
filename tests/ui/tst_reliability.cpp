// SPDX-License-Identifier: GPL-3.0-or-later
// Faults and hostile input met through the window: fields pasted with blanks, control
// characters and odd names; settings that would make a job destroy its own source or inputs;
// files that vanish or turn into something else between the check and the job; a full disk;
// the window closed during a paused job. Whatever happens, no data of the user's is lost or
// changed, nothing crashes, every file the job opened is closed, and the completion page tells
// the job's true outcome.

#include <unistd.h>

#include <QClipboard>
#include <QtTest>
#include <climits>
#include <filesystem>
#include <functional>
#include <map>

#include "main_window_harness.h"
#include "temp_dir.h"
#include "widgets/image_button.h"
#include "widgets/percent_bar.h"

using partory::testing::Exists;
using partory::testing::PatternBytes;
using partory::testing::ReadFile;
using partory::testing::TempDir;
using partory::testing::WriteFile;
using Kind = UserDialogs::MessageKind;
namespace fs = std::filesystem;

namespace {

// Blanks and control characters that a paste can bring around a path; all of code 32 or less.
const QString kBefore = QStringLiteral(" \t\x01");
const QString kAfter = QStringLiteral("\r\n \x1f");
const QString kForbidden = QStringLiteral(
    "Any of the following characters are forbidden:\r"
    "\t\\ / * : ? \" < > |");
const QString kCopyError = QStringLiteral("Error while copying a file.");

QString Str(const std::string& text) {
    return QString::fromStdString(text);
}

// Puts `text` into the field the way a user pastes it over the whole old text.
void Paste(QLineEdit* field, const QString& text) {
    QApplication::clipboard()->setText(text);
    field->setFocus();
    field->selectAll();
    QTest::keySequence(field, QKeySequence::Paste);
}

// Everything under a folder, links not followed: path, then kind and content or link target.
std::map<std::string, std::string> Snapshot(const std::string& root) {
    std::map<std::string, std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const std::string path = entry.path().string();
        if (entry.is_symlink()) {
            found[path] = "link " + fs::read_symlink(entry.path()).string();
        } else if (entry.is_directory()) {
            found[path] = "folder";
        } else {
            found[path] = "file " + ReadFile(path);
        }
    }
    return found;
}

// Descriptors of this process open on a file under `folder` or on /dev/full. A whole count
// would not do: the window system opens and closes descriptors of its own while a job pumps.
int OpenFilesUnder(const std::string& folder) {
    const std::string real = fs::canonical(folder).string();
    int count = 0;
    for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const std::string target = fs::read_symlink(entry.path(), error).string();
        if (!error && (target.rfind(real + '/', 0) == 0 || target == "/dev/full")) ++count;
    }
    return count;
}

QString DivisionError(const std::string& sourceName) {
    return QStringLiteral("File division error: \"%1\".").arg(Str(sourceName));
}

}  // namespace

class TestReliability : public QObject {
    Q_OBJECT

    // The completion page, showing exactly one outcome and nothing of the job's buttons.
    void verifyOutcome(TfmMain& fm, bool success, const QString& text) {
        QVERIFY(fm.pnlDone->isVisible());
        QVERIFY(!fm.pnlProgress->isVisible());
        QCOMPARE(fm.imgDoneOK->isVisible(), success);
        QCOMPARE(fm.imgDoneError->isVisible(), !success);
        QCOMPARE(fm.lblDone->text(),
                 success ? QStringLiteral("CONGRATULATIONS!") : QStringLiteral("ERROR!"));
        QCOMPARE(fm.lblDone->palette().color(QPalette::WindowText),
                 success ? QColor(0, 128, 0) : QColor(255, 0, 0));
        QCOMPARE(fm.lblDoneExplanation->text(), text);
        QCOMPARE(MainRunState().Succeeded, success);
        QVERIFY(fm.btnFinish->isVisible());
        QVERIFY(!fm.btnPause->isVisible() && !fm.btnContinue->isVisible());
        QVERIFY(!fm.btnCancel->isVisible());
        QVERIFY(!fm.jobRunning());
    }

    // A refused "Start": one message, the focus on the faulty field, the page unchanged.
    void verifyRefused(MainWindowHarness& h, const QString& page, Kind kind, const QString& text,
                       const QString& focus) {
        const auto messages = h.dialogs.messages();
        QCOMPARE(int(messages.size()), 1);
        QCOMPARE(messages[0].kind, kind);
        QCOMPARE(messages[0].text, text);
        QVERIFY(QApplication::focusWidget() != nullptr);
        QCOMPARE(QApplication::focusWidget()->objectName(), focus);
        QCOMPARE(h.visiblePage(), page);
        QVERIFY(h.fm.btnNext->isVisible() && h.fm.btnBack->isVisible());
        QVERIFY(!h.fm.jobRunning());
    }

  private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void oddNamesPastedWithBlanksDivideWhole_data() {
        QTest::addColumn<QString>("sourceName");
        QTest::addColumn<QString>("folderName");  // missing, made with its parents by Start
        QTest::addColumn<QString>("nameTemplate");
        QTest::newRow("spaces") << "my report.pdf"
                                << "out dir/inner dir/"
                                << "part [COUNTER] of it";
        QTest::newRow("non-ASCII") << QStringLiteral("r\u00e9sum\u00e9 \u65e5\u672c.txt")
                                   << QStringLiteral("dossier \u00e9t\u00e9/\u65e5/")
                                   << QStringLiteral("\u00c9T\u00c9_[COUNTER]_\u65e5");
        QTest::newRow("leading dash") << "-rf"
                                      << "--help/-x"
                                      << "-[COUNTER]";
        QTest::newRow("newline inside") << "two\nlines.bin"
                                        << "new\nline/"
                                        << "P\n[COUNTER]";
        QTest::newRow("tab and dots inside") << "..a\tb.."
                                             << ".../..."
                                             << ".[COUNTER].\t.";
        QTest::newRow("two counters") << "x"
                                      << "a/b/c/d/e"
                                      << "[COUNTER]-of-[COUNTER]";
    }

    void oddNamesPastedWithBlanksDivideWhole() {
        QFETCH(QString, sourceName);
        QFETCH(QString, folderName);
        QFETCH(QString, nameTemplate);
        TempDir temp;
        const std::string source = temp / sourceName.toStdString();
        const std::string bytes = PatternBytes(2500);
        WriteFile(source, bytes);
        const QString folder = Str(temp.path()) + '/' + folderName;
        QString tidiedFolder = folder;
        if (tidiedFolder.endsWith('/')) tidiedFolder.chop(1);

        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        h.toDividePage();
        Paste(fm.edFromFile, kBefore + Str(source) + kAfter);
        Paste(fm.edToFolder, kAfter + folder + kBefore);
        Paste(fm.edNewNames, kBefore + nameTemplate + kAfter);
        QTest::mouseClick(fm.btnNext, Qt::LeftButton);

        QCOMPARE(int(h.dialogs.messages().size()), 0);
        QCOMPARE(fm.edFromFile->text(), Str(source));
        QCOMPARE(fm.edToFolder->text(), tidiedFolder);
        QCOMPARE(fm.edNewNames->text(), nameTemplate);
        verifyOutcome(fm, true, QStringLiteral("3 file(s) sucessfully created!"));
        if (QTest::currentTestFailed()) return;
        QCOMPARE(OpenFilesUnder(temp.path()), 0);
        std::string joined;
        for (int part = 1; part <= 3; ++part) {
            QString name = nameTemplate;
            name.replace(QStringLiteral("[COUNTER]"), QString::number(part));
            const std::string path = (tidiedFolder + '/' + name).toStdString();
            QVERIFY2(Exists(path), path.c_str());
            joined += ReadFile(path);
        }
        QVERIFY(joined == bytes);
        QVERIFY(ReadFile(source) == bytes);
    }

    void refusedDivideTouchesNothing_data() {
        QTest::addColumn<bool>("sourceIsFolder");
        QTest::addColumn<QString>("nameTemplate");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("message");  // "<source>" stands for the source path
        QTest::addColumn<QString>("focus");

        QTest::newRow("folder as source")
            << true << "part_[COUNTER]" << int(Kind::Error) << "File \"<source>\" does not exist."
            << "edFromFile";
        const QString forbidden = QStringLiteral("\\/*:?\"<>|");
        for (const QChar c : forbidden) {
            QTest::addRow("forbidden %c", c.toLatin1())
                << false << QStringLiteral("part%1[COUNTER]").arg(c) << int(Kind::Error)
                << kForbidden << "edNewNames";
        }
        const QString counterMessage =
            QStringLiteral("The counter should be specified in the file part.");
        for (const char* counter : {"[counter]", "[Counter]", "[ COUNTER ]", "COUNTER", ""}) {
            QTest::addRow("counter as \"%s\"", counter)
                << false << QStringLiteral("part_") + counter << int(Kind::Information)
                << counterMessage << "edNewNames";
        }
        QTest::newRow("colon before a lower-case counter")
            << false << "c:[counter]" << int(Kind::Error) << kForbidden << "edNewNames";
    }

    void refusedDivideTouchesNothing() {
        QFETCH(bool, sourceIsFolder);
        QFETCH(QString, nameTemplate);
        QFETCH(int, kind);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        TempDir temp;
        const std::string source = temp / (sourceIsFolder ? "folder.bin" : "source.bin");
        if (sourceIsFolder) {
            fs::create_directory(source);
            WriteFile(source + "/inside", "kept");
        } else {
            WriteFile(source, PatternBytes(3000));
        }
        // The template test comes after the folder step: the folder is made and stays.
        const std::string folder = temp / "made/here";
        const auto before = Snapshot(temp.path());

        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        h.toDividePage();
        Paste(fm.edFromFile, kBefore + Str(source) + kAfter);
        Paste(fm.edToFolder, Str(folder) + '/');
        Paste(fm.edNewNames, nameTemplate);
        QTest::mouseClick(fm.btnNext, Qt::LeftButton);

        verifyRefused(h, QStringLiteral("pnlDivide"), Kind(kind),
                      QString(message).replace(QStringLiteral("<source>"), Str(source)), focus);
        if (QTest::currentTestFailed()) return;
        QCOMPARE(fm.edFromFile->text(), Str(source));
        auto after = Snapshot(temp.path());
        if (!sourceIsFolder) {
            QCOMPARE(fm.edToFolder->text(), Str(folder));
            QCOMPARE(after.erase(folder), std::size_t(1));
            QCOMPARE(after.erase(temp / "made"), std::size_t(1));
        }
        QVERIFY(after == before);
    }

    // Jobs that start from settings that passed and meet a fault the check could not see.
    void divideFaultsEndAsErrors_data() {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<int>("completeParts");  // parts 1.. that must hold their bytes

        QTest::newRow("part names beyond the name limit") << "long" << 0;
        QTest::newRow("part 1 is the source") << "part1" << 0;
        QTest::newRow("part 2 is the source") << "part2" << 1;
        QTest::newRow("part 2 is the source through a folder link") << "folderLink" << 1;
        QTest::newRow("part 2 is a hard link of the source") << "hardLink" << 1;
        QTest::newRow("part 2 is a symbolic link to the source") << "symLink" << 1;
        QTest::newRow("part 2 links to a full disk") << "devFull" << 1;
        QTest::newRow("source deleted after the check") << "deleted" << 0;
        QTest::newRow("source made a folder after the check") << "folder" << 0;
    }

    void divideFaultsEndAsErrors() {
        QFETCH(QString, scenario);
        QFETCH(int, completeParts);
        TempDir temp;
        // Parts are named s1, s2, ... next to the source unless the scenario says otherwise.
        std::string sourceName = "s2";
        QString folder = Str(temp.path());
        QString nameTemplate = QStringLiteral("s[COUNTER]");
        if (scenario == "long") {
            sourceName = "source.bin";
            nameTemplate = QString(NAME_MAX + 1, QLatin1Char('n')) + "[COUNTER]";
        } else if (scenario == "part1") {
            sourceName = "s1";
        } else if (scenario == "folderLink") {
            fs::create_directory_symlink(temp.path(), temp / "via");
            folder = Str(temp / "via");
        } else if (scenario == "hardLink" || scenario == "symLink") {
            sourceName = "original";
        } else if (scenario == "devFull") {
            sourceName = "source.bin";
            fs::create_symlink("/dev/full", temp / "s2");
        }
        const std::string source = temp / sourceName;
        const std::string bytes = PatternBytes(2500);
        WriteFile(source, bytes);
        if (scenario == "hardLink") fs::create_hard_link(source, temp / "s2");
        if (scenario == "symLink") fs::create_symlink(source, temp / "s2");

        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        h.toDividePage();
        h.fillDivide(source, folder.toStdString(), nameTemplate, "1.00", 0);
        // The first pump of the job start comes after the check has passed.
        h.atNextPump([&] {
            if (scenario == "deleted") fs::remove(source);
            if (scenario == "folder") {
                fs::remove(source);
                fs::create_directory(source);
            }
        });
        QTest::mouseClick(fm.btnNext, Qt::LeftButton);

        QCOMPARE(int(h.dialogs.messages().size()), 0);
        verifyOutcome(fm, false, DivisionError(sourceName));
        if (QTest::currentTestFailed()) return;
        QCOMPARE(OpenFilesUnder(temp.path()), 0);
        if (scenario != "deleted" && scenario != "folder") QVERIFY(ReadFile(source) == bytes);
        for (int part = 1; part <= completeParts; ++part) {
            QVERIFY(ReadFile(temp / ("s" + std::to_string(part))) ==
                    bytes.substr(std::size_t(part - 1) * 1024, 1024));
        }
        QVERIFY(!Exists(temp / "s3"));
        if (scenario == "devFull") QVERIFY(fs::is_symlink(temp / "s2"));
    }

    void outputThatIsAnInputIsRefused_data() {
        QTest::addColumn<QString>("spelling");  // relative to the temporary folder
        QTest::newRow("same path") << "b";
        QTest::newRow("another spelling") << ".//b";
        QTest::newRow("hard link") << "hard";
        QTest::newRow("symbolic link") << "soft";
        QTest::newRow("through a linked folder") << "linked/b";
        QTest::newRow("the last input, listed twice") << "c";
    }

    void outputThatIsAnInputIsRefused() {
        QFETCH(QString, spelling);
        TempDir temp;
        for (const char* name : {"a", "b", "c"}) WriteFile(temp / name, PatternBytes(5000, *name));
        fs::create_hard_link(temp / "b", temp / "hard");
        fs::create_symlink(temp / "b", temp / "soft");
        fs::create_directory_symlink(temp.path(), temp / "linked");
        const auto before = Snapshot(temp.path());
        const QString output = Str(temp.path()) + '/' + spelling;

        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        h.toCombinePage();
        QStringList inputs;
        for (const char* name : {"a", "b", "c", "c"}) inputs << Str(temp / name);
        h.dialogs.openFilesResults = {inputs};
        fm.btnCombinedAddClick();
        QCOMPARE(fm.list->count(), 4);
        Paste(fm.edSaveCombined, kBefore + output + kAfter);
        QTest::mouseClick(fm.btnNext, Qt::LeftButton);

        verifyRefused(
            h, QStringLiteral("pnlCombine"), Kind::Error,
            QStringLiteral("The destination file is one of the files to combine:\r") + output,
            QStringLiteral("edSaveCombined"));
        if (QTest::currentTestFailed()) return;
        QCOMPARE(fm.edSaveCombined->text(), output);
        QVERIFY(Snapshot(temp.path()) == before);
    }

    void combineFaultsEndAsTheJobSays_data() {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<QString>("output");  // relative to the temporary folder
        QTest::addColumn<bool>("success");
        QTest::addColumn<QString>("text");     // the outcome, or the refusal that names <output>
        QTest::addColumn<QString>("content");  // the inputs the output holds

        QTest::newRow("input deleted between Add and Start")
            << "deleteB"
            << "out.bin" << false << kCopyError << "a";
        QTest::newRow("input made a folder between Add and Start")
            << "folderB"
            << "out.bin" << false << kCopyError << "a";
        QTest::newRow("input deleted after the check") << "deleteCLater"
                                                       << "out.bin" << false << kCopyError << "ab";
        QTest::newRow("output in missing nested folders")
            << "none"
            << "x/y/z/out.bin" << true << "3 file(s) processed sucessfully!"
            << "abc";
        // A device cannot be cut to length 0: the check's probe refuses it, and the link stays.
        QTest::newRow("output that links to a full disk")
            << "devFull"
            << "out.bin" << false << "Unable to create the following file:\r<output>"
            << "";
        QTest::newRow("output linked to a full disk after the check")
            << "devFullLater"
            << "out.bin" << false << kCopyError << "";
        QTest::newRow("output folder removed after the check")
            << "noFolderLater"
            << "made/out.bin" << false << "Unable to create the combined file."
            << "";
    }

    void combineFaultsEndAsTheJobSays() {
        QFETCH(QString, scenario);
        QFETCH(QString, output);
        QFETCH(bool, success);
        QFETCH(QString, text);
        QFETCH(QString, content);
        TempDir inputs;
        TempDir temp;  // where the output goes
        std::map<char, std::string> bytes;
        QStringList paths;
        for (char name : {'a', 'b', 'c'}) {
            bytes[name] = PatternBytes(70000 + name, unsigned(name));
            WriteFile(inputs / std::string(1, name), bytes[name]);
            paths << Str(inputs / std::string(1, name));
        }
        const std::string outputPath = temp / output.toStdString();
        if (scenario == "devFull") fs::create_symlink("/dev/full", outputPath);

        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        h.toCombinePage();
        h.dialogs.openFilesResults = {paths};
        QTest::mouseClick(fm.btnCombinedAdd, Qt::LeftButton);
        QCOMPARE(fm.list->count(), 3);
        Paste(fm.edSaveCombined, Str(outputPath));
        if (scenario == "deleteB") fs::remove(inputs / "b");
        if (scenario == "folderB") {
            fs::remove(inputs / "b");
            fs::create_directory(inputs / "b");
        }
        h.atNextPump([&] {
            if (scenario == "deleteCLater") fs::remove(inputs / "c");
            if (scenario == "devFullLater") fs::create_symlink("/dev/full", outputPath);
            if (scenario == "noFolderLater") fs::remove(temp / "made");
        });
        QTest::mouseClick(fm.btnNext, Qt::LeftButton);

        if (text.contains(QStringLiteral("<output>"))) {
            verifyRefused(h, QStringLiteral("pnlCombine"), Kind::Error,
                          text.replace(QStringLiteral("<output>"), Str(outputPath)),
                          QStringLiteral("edSaveCombined"));
        } else {
            QCOMPARE(int(h.dialogs.messages().size()), 0);
            verifyOutcome(fm, success, text);
        }
        if (QTest::currentTestFailed()) return;
        QCOMPARE(OpenFilesUnder(inputs.path()) + OpenFilesUnder(temp.path()), 0);
        for (char name : {'a', 'b', 'c'}) {
            const std::string path = inputs / std::string(1, name);
            if (fs::is_regular_file(path)) QVERIFY(ReadFile(path) == bytes[name]);
        }
        if (scenario == "noFolderLater") {
            QVERIFY(!Exists(outputPath));
        } else if (scenario == "devFull" || scenario == "devFullLater") {
            QVERIFY(fs::is_symlink(outputPath));
        } else {
            // A real file with what was appended, never the link the probe removed.
            QVERIFY(fs::is_regular_file(fs::symlink_status(outputPath)));
            std::string expected;
            for (QChar name : content) expected += bytes[name.toLatin1()];
            QVERIFY(ReadFile(outputPath) == expected);
        }
        QVERIFY(fs::is_character_file("/dev/full"));
    }

    // A NUL can reach a field by a paste or a drop, and no file can be named with one; the
    // system calls take the name only up to it, so another file would be worked on instead.
    void nulInsideANameNamesNoFile_data() {
        QTest::addColumn<QString>("field");
        QTest::newRow("in the template") << "template";
        QTest::newRow("in the source") << "source";
        QTest::newRow("in a combine input") << "input";
    }

    void nulInsideANameNamesNoFile() {
        QFETCH(QString, field);
        TempDir temp;
        const std::string bytes = PatternBytes(2500);
        WriteFile(temp / "a", bytes);
        const auto withNul = [](QString text) { return text.insert(text.size() - 1, QChar(0)); };
        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        if (field == "input") {
            h.toCombinePage();
            fm.list->addItem(withNul(Str(temp / "ab")));
            fm.edSaveCombined->setText(Str(temp / "out.bin"));
        } else {
            h.toDividePage();
            h.fillDivide(temp / "a", temp.path(), QStringLiteral("p[COUNTER]"), "1.00", 0);
            if (field == "source") fm.edFromFile->setText(withNul(Str(temp / "ab")));
            if (field == "template")
                fm.edNewNames->setText(QStringLiteral("p") + QChar(0) + "q[COUNTER]");
        }
        QTest::mouseClick(fm.btnNext, Qt::LeftButton);

        QVERIFY(ReadFile(temp / "a") == bytes);
        // Refused by the check or failed by the job, never a success made of another file.
        QVERIFY(!(fm.pnlDone->isVisible() && MainRunState().Succeeded));
        QVERIFY(!Exists(temp / "p"));
        QVERIFY(!Exists(temp / "p1"));
        if (Exists(temp / "out.bin")) QCOMPARE(ReadFile(temp / "out.bin"), std::string());
    }

    // Closing the window while the job is paused: the job keeps waiting, a confirmed cancel
    // ends it, and the window goes only once the job's handler has returned.
    void closeWhilePausedThenCancel() {
        TempDir temp;
        const std::string bytes = PatternBytes(5 * 1024);
        WriteFile(temp / "source.bin", bytes);
        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        h.toDividePage();
        h.fillDivide(temp / "source.bin", temp.path(), "part_[COUNTER]", "1.00", 0);

        int positionAtPause = -1;
        bool closeRefused = false;
        bool stillWaiting = false;
        // After part 2: pause, close, wait a while, then cancel.
        QTimer watch;
        watch.setInterval(0);
        connect(&watch, &QTimer::timeout, &fm, [&] {
            if (fm.bar->position() < 2) return;
            watch.stop();
            fm.btnPauseClick();
            positionAtPause = fm.bar->position();
            closeRefused = !fm.close();
            h.atNextPump(
                [&] {
                    stillWaiting = fm.isVisible() && fm.jobRunning() && MainRunState().Paused &&
                                   fm.btnContinue->isVisible() && !Exists(temp / "part_3");
                    h.dialogs.answers = {true};
                    fm.btnCancelClick();
                },
                200);
        });
        watch.start();
        fm.btnNextClick();

        QVERIFY(closeRefused);
        QVERIFY(stillWaiting);
        QCOMPARE(positionAtPause, 2);
        QCOMPARE(fm.lblDoneExplanation->text(), QStringLiteral("The process was terminated."));
        QCOMPARE(fm.lblDone->text(), QStringLiteral("ERROR!"));
        QVERIFY(!MainRunState().Succeeded);
        QVERIFY(!fm.isVisible());
        QVERIFY(ReadFile(temp / "part_1") == bytes.substr(0, 1024));
        QVERIFY(ReadFile(temp / "part_2") == bytes.substr(1024, 1024));
        // The cancel is seen after part 3 was created and before any of it was read.
        QCOMPARE(ReadFile(temp / "part_3"), std::string());
        QVERIFY(!Exists(temp / "part_4"));
        QVERIFY(ReadFile(temp / "source.bin") == bytes);
    }
};

QTEST_MAIN(TestReliability)
#include "tst_reliability.moc"
