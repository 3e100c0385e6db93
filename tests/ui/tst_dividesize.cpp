// SPDX-License-Identifier: GPL-3.0-or-later
// The divide page's size field: its typing, pasting, stepping and leaving rules, and the part
// size a job started from the page divides by.

#include <QCheckBox>
#include <QClipboard>
#include <QSignalSpy>
#include <QToolButton>
#include <QtTest>
#include <filesystem>

#include "divide_page_steps.h"
#include "main_window_harness.h"
#include "temp_dir.h"
#include "widgets/image_button.h"

using partory::testing::PatternBytes;
using partory::testing::ReadFile;
using partory::testing::TempDir;
using partory::testing::WriteFile;

namespace {

// Leaves the size field with Tab, as a user would, and lets a queued focus change happen.
void LeaveSizeField(TfmMain& fm) {
    fm.edDivideBytes->setFocus();
    QTest::keyClick(fm.edDivideBytes, Qt::Key_Tab);
    QCoreApplication::processEvents();
}

// A key press as the keyboard sends it, with its own text.
void Type(QWidget* target, int key, const QString& text,
          Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(target, &release);
}

QStringList FilesIn(const std::string& folder) {
    QStringList names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names << QString::fromStdString(entry.path().filename().string());
    }
    names.sort();
    return names;
}

}  // namespace

class TestDivideSize : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    void leavingTheSizeField_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("left");
        QTest::addColumn<bool>("focusBack");
        QTest::addColumn<double>("value");
        QTest::newRow("5") << "5"
                           << "5.00" << false << 5.0;
        QTest::newRow("0.5") << "0.5"
                             << "1.00" << false << 1.0;
        QTest::newRow("empty") << ""
                               << "1.00" << false << 1.0;
        QTest::newRow("1.2.3") << "1.2.3"
                               << "1.2.3" << true << 1.0;
        QTest::newRow("1.333") << "1.333"
                               << "1.333" << false << 1.333;
        QTest::newRow("0") << "0"
                           << "1.00" << false << 1.0;
        QTest::newRow("-7") << "-7"
                            << "1.00" << false << 1.0;
        QTest::newRow("lone sign") << "+"
                                   << "1.00" << false << 1.0;
        QTest::newRow("exponent") << "1.5e2"
                                  << "1.5e2" << false << 150.0;
        QTest::newRow("exponent without point") << "2e1"
                                                << "2e1.00" << true << 1.0;
        QTest::newRow("trailing blank") << "3. "
                                        << "3. " << true << 3.0;
        QTest::newRow("leading blank") << " 4"
                                       << " 4.00" << false << 4.0;
    }

    void leavingTheSizeField() {
        QFETCH(QString, typed);
        QFETCH(QString, left);
        QFETCH(bool, focusBack);
        QFETCH(double, value);
        MainWindowHarness h;
        QVERIFY(OpenOnDividePage(h));
        TfmMain& fm = h.fm;
        fm.edDivideBytes->setText(typed);
        LeaveSizeField(fm);
        QCOMPARE(fm.edDivideBytes->text(), left);
        QCOMPARE(fm.edDivideBytes->value(), value);
        QWidget* expected = focusBack ? static_cast<QWidget*>(fm.edDivideBytes) : fm.boxDivideType;
        QTRY_COMPARE(Focused(), expected);
        QCOMPARE(h.dialogs.messages().size(), std::size_t(0));
    }

    void typingInTheSizeField_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<bool>("selectAll");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("beeps");
        const int none = Qt::NoModifier;
        QTest::newRow("digit") << "12" << false << int(Qt::Key_3) << "3" << none << "123" << 0;
        QTest::newRow("plus") << "12" << false << int(Qt::Key_Plus) << "+" << none << "12+" << 0;
        QTest::newRow("minus") << "12" << false << int(Qt::Key_Minus) << "-" << none << "12-" << 0;
        QTest::newRow("point") << "12" << false << int(Qt::Key_Period) << "." << none << "12." << 0;
        QTest::newRow("keypad digit")
            << "12" << false << int(Qt::Key_7) << "7" << int(Qt::KeypadModifier) << "127" << 0;
        QTest::newRow("letter") << "12" << false << int(Qt::Key_A) << "a" << none << "12" << 1;
        QTest::newRow("capital") << "12" << false << int(Qt::Key_E) << "E" << int(Qt::ShiftModifier)
                                 << "12" << 1;
        QTest::newRow("blank") << "12" << false << int(Qt::Key_Space) << " " << none << "12" << 1;
        QTest::newRow("comma") << "12" << false << int(Qt::Key_Comma) << "," << none << "12" << 1;
        QTest::newRow("other digit") << "12" << false << int(Qt::Key_unknown)
                                     << QString::fromUtf8("\xD9\xA3") << none << "12" << 1;
        QTest::newRow("Enter") << "12" << false << int(Qt::Key_Return) << "\r" << none << "12" << 1;
        QTest::newRow("keypad Enter")
            << "12" << false << int(Qt::Key_Enter) << "\r" << int(Qt::KeypadModifier) << "12" << 1;
        QTest::newRow("backspace")
            << "12" << false << int(Qt::Key_Backspace) << "\b" << none << "1" << 0;
        QTest::newRow("seventh") << "123456" << false << int(Qt::Key_7) << "7" << none << "123456"
                                 << 0;
        QTest::newRow("over a selection")
            << "123456" << true << int(Qt::Key_7) << "7" << none << "7" << 0;
        QTest::newRow("longer after a step")
            << "1000000.00" << false << int(Qt::Key_Backspace) << "\b" << none << "1000000.0" << 0;
        QTest::newRow("command key")
            << "12" << false << int(Qt::Key_A) << "\x01" << int(Qt::ControlModifier) << "12" << 0;
    }

    void typingInTheSizeField() {
        QFETCH(QString, start);
        QFETCH(bool, selectAll);
        QFETCH(int, key);
        QFETCH(QString, text);
        QFETCH(int, modifiers);
        QFETCH(QString, after);
        QFETCH(int, beeps);
        MainWindowHarness h;
        QVERIFY(OpenOnDividePage(h));
        SizeSpinEdit* field = h.fm.edDivideBytes;
        field->setFocus();
        field->setText(start);
        if (selectAll) field->selectAll();
        QSignalSpy refused(field, &SizeSpinEdit::keyRefused);
        Type(field, key, text, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(field->text(), after);
        QCOMPARE(refused.count(), beeps);
        QCOMPARE(Focused(), static_cast<QWidget*>(field));
    }

    void pastingIntoTheSizeField() {
        MainWindowHarness h;
        QVERIFY(OpenOnDividePage(h));
        SizeSpinEdit* field = h.fm.edDivideBytes;
        QClipboard* clipboard = QGuiApplication::clipboard();
        QSignalSpy refused(field, &SizeSpinEdit::keyRefused);
        field->setFocus();

        // Pasted text is not filtered, but only six characters fit in.
        clipboard->setText(QStringLiteral("ab cdefgh"));
        field->clear();
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(field->text(), QStringLiteral("ab cde"));
        field->setText(QStringLiteral("1234"));
        field->setSelection(1, 2);
        clipboard->setText(QStringLiteral("xyzw\nsecond line"));
        QTest::keyClick(field, Qt::Key_Insert, Qt::ShiftModifier);
        QCOMPARE(field->text(), QStringLiteral("1xyzw4"));

        // The paste of the field's context menu keeps to the same limit.
        field->setText(QStringLiteral("12"));
        field->setCursorPosition(2);
        clipboard->setText(QStringLiteral("34567"));
        const QPoint middle = field->rect().center();
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, middle, field->mapToGlobal(middle));
        QApplication::sendEvent(field, &menuEvent);
        QMenu* menu = nullptr;
        QTRY_VERIFY((menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr);
        QAction* paste = nullptr;
        for (QAction* action : menu->actions()) {
            if (action->text().startsWith(QStringLiteral("&Paste"))) paste = action;
        }
        QVERIFY(paste != nullptr);
        paste->trigger();
        menu->close();
        QCOMPARE(field->text(), QStringLiteral("123456"));
        QCOMPARE(refused.count(), 0);
    }

    void steppingTheSizeField() {
        MainWindowHarness h;
        QVERIFY(OpenOnDividePage(h));
        TfmMain& fm = h.fm;
        SizeSpinEdit* field = fm.edDivideBytes;
        field->setFocus();
        const auto shows = [field](const char* text) {
            return field->text() == QLatin1String(text) && field->selectedText() == field->text();
        };

        // At start the last value set is 1: the down step is refused, also after typing 5.
        QTest::keyClick(field, Qt::Key_Down);
        QCOMPARE(field->text(), QStringLiteral("1.00"));
        field->selectAll();
        QTest::keyClicks(field, QStringLiteral("5"));
        QTest::keyClick(field, Qt::Key_Down);
        QCOMPARE(field->text(), QStringLiteral("5"));
        QTest::keyClick(field, Qt::Key_Up);
        QVERIFY(shows("6.00"));
        QTest::keyClick(field, Qt::Key_Down);
        QVERIFY(shows("5.00"));

        // A down step that would go under 1 stops at 1; then down is refused again.
        field->setText(QStringLiteral("0.5"));
        QTest::keyClick(field, Qt::Key_Down);
        QVERIFY(shows("1.00"));
        QTest::keyClick(field, Qt::Key_Down);
        QCOMPARE(field->text(), QStringLiteral("1.00"));

        // Not a number steps from 1; the step may make the text longer than six characters.
        field->setText(QStringLiteral("1.2.3"));
        QTest::keyClick(field, Qt::Key_Up);
        QVERIFY(shows("2.00"));
        field->setText(QStringLiteral("999999"));
        QTest::keyClick(field, Qt::Key_Up);
        QVERIFY(shows("1000000.00"));

        // The small buttons step too and bring the focus into the field, never onto themselves.
        fm.edNewNames->setFocus();
        field->setText(QStringLiteral("1.333"));
        QTest::mouseClick(field->upButton(), Qt::LeftButton);
        QCOMPARE(Focused(), static_cast<QWidget*>(field));
        QVERIFY(shows("2.33"));
        QTest::mouseClick(field->downButton(), Qt::LeftButton);
        QVERIFY(shows("1.33"));
        QTest::mouseClick(field->downButton(), Qt::LeftButton);
        QVERIFY(shows("1.00"));
    }

    void partSizeReachesTheJob_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("unit");
        QTest::addColumn<int>("partSize");
        QTest::newRow("1.5 Kbytes") << "1.5" << 0 << 1536;
        QTest::newRow("1000 bytes") << "1000" << 1 << 1000;
        // Started with the mouse, the field was never left: the value is read as typed.
        QTest::newRow("0.5 Kbytes as typed") << "0.5" << 0 << 512;
    }

    void partSizeReachesTheJob() {
        QFETCH(QString, typed);
        QFETCH(int, unit);
        QFETCH(int, partSize);
        MainWindowHarness h;
        QVERIFY(OpenOnDividePage(h));
        TfmMain& fm = h.fm;
        TempDir temp;
        const std::string source = PatternBytes(4000);
        WriteFile(temp / "data.bin", source);
        Pick(h, QString::fromStdString(temp / "data.bin"));
        QCOMPARE(fm.edNewNames->text(), QStringLiteral("DATA_BIN_[COUNTER]"));
        fm.boxDivideType->setCurrentIndex(unit);
        fm.edDivideBytes->setFocus();
        fm.edDivideBytes->selectAll();
        QTest::keyClicks(fm.edDivideBytes, typed);
        QTest::mouseClick(fm.btnNext, Qt::LeftButton);

        QVERIFY(fm.pnlDone->isVisible());
        const int parts = (4000 + partSize - 1) / partSize;
        QCOMPARE(fm.lblDoneExplanation->text(),
                 QStringLiteral("%1 file(s) sucessfully created!").arg(parts));
        for (int p = 1; p <= parts; ++p) {
            const std::string name = "DATA_BIN_" + std::to_string(p);
            QCOMPARE(ReadFile(temp / name), source.substr(std::size_t(p - 1) * partSize, partSize));
        }
        QCOMPARE(FilesIn(temp.path()).size(), parts + 1);
    }

    void zeroSizeStartedWithTheMouseFailsWithoutParts() {
        MainWindowHarness h;
        QVERIFY(OpenOnDividePage(h));
        TfmMain& fm = h.fm;
        TempDir temp;
        WriteFile(temp / "source.bin", PatternBytes(3000));
        Pick(h, QString::fromStdString(temp / "source.bin"));
        fm.edDivideBytes->setFocus();
        fm.edDivideBytes->selectAll();
        QTest::keyClicks(fm.edDivideBytes, QStringLiteral("0"));
        QTest::mouseClick(fm.btnNext, Qt::LeftButton);

        QVERIFY(fm.pnlDone->isVisible());
        QCOMPARE(fm.lblDone->text(), QStringLiteral("ERROR!"));
        QCOMPARE(fm.lblDoneExplanation->text(),
                 QStringLiteral("File division error: \"source.bin\"."));
        QCOMPARE(FilesIn(temp.path()), QStringList{QStringLiteral("source.bin")});
        // The job changed nothing on the page.
        QCOMPARE(fm.edDivideBytes->text(), QStringLiteral("0"));
    }
};

QTEST_MAIN(TestDivideSize)
#include "tst_dividesize.moc"
