// SPDX-License-Identifier: GPL-3.0-or-later
// The About window: what closes it, the link's colours and its giving up after a failed
// opening, and how it sits with the main window.
//
// The link's state lasts for the whole run, so the tests that touch the link run last and in
// this order: untouched (blue), pressed (purple), failed (disabled).

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <QtTest>
#include <functional>
#include <memory>

#include "platform/event_pump.h"
#include "scripted_dialogs.h"
#include "text/fonts.h"
#include "widgets/browse_edit.h"
#include "widgets/image_button.h"
#include "window/unAbout.h"
#include "window/unMain.h"

namespace {

const QColor kBlue(0, 0, 255);
const QColor kPurple(128, 0, 128);
const QString kAddress = QStringLiteral("http://www.partory-app.org");

QColor LinkColour(const TfmAbout& about) {
    return about.lblWebLink->palette().color(QPalette::Active, QPalette::WindowText);
}

// Mouse input through the window itself, the way the platform delivers it, so that the
// control under the pointer is found as in real use.
void PressAt(QWidget& window, QPoint pos) {
    QTest::mousePress(window.windowHandle(), Qt::LeftButton, Qt::NoModifier, pos);
}
void ReleaseAt(QWidget& window, QPoint pos) {
    QTest::mouseRelease(window.windowHandle(), Qt::LeftButton, Qt::NoModifier, pos);
}
void ClickAt(QWidget& window, QPoint pos) {
    PressAt(window, pos);
    ReleaseAt(window, pos);
}

QPoint LinkCentre(const TfmAbout& about) {
    return about.lblWebLink->geometry().center();
}

// Shows `dialog` modally and runs `whileOpen` inside its modal loop. True when the loop ended
// by itself; false when a watchdog had to end it.
bool ExecWith(QDialog& dialog, const std::function<void()>& whileOpen) {
    bool watchdogFired = false;
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, &dialog, [&] {
        watchdogFired = true;
        dialog.done(QDialog::Rejected);
    });
    QTimer::singleShot(0, &dialog, [&] {
        if (QTest::qWaitForWindowExposed(&dialog)) whileOpen();
        watchdog.start(3000);
    });
    dialog.exec();
    return !watchdogFired;
}

}  // namespace

class TestAbout : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanup();

    void looksAsDescribed();
    void elementPlaces_data();
    void elementPlaces();
    void clickOutsideLinkCloses_data();
    void clickOutsideLinkCloses();
    void oneWindowAcrossOpenings();
    void keepsPageAndValues_data();
    void keepsPageAndValues();
    void linkClickKeepsWindowOpenAndTurnsPurple();
    void linkPressReleasedOffItOpensNothing();
    void keysOnTheLink_data();
    void keysOnTheLink();
    void failedOpenDisablesLinkForGood();
    void ownSettingsDoNotReachTheBrowser_data();
    void ownSettingsDoNotReachTheBrowser();

  private:
    ScriptedDialogs scripted_;
};

void TestAbout::initTestCase() {
    InstallFontSubstitutes();
}

void TestAbout::cleanup() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY2(QApplication::topLevelWidgets().isEmpty(), "a window outlived its test");
    scripted_ = ScriptedDialogs();
}

void TestAbout::looksAsDescribed() {
    TfmAbout about(scripted_, nullptr);
    QCOMPARE(about.objectName(), QStringLiteral("fmAbout"));
    QCOMPARE(about.windowTitle(), QStringLiteral(" About"));
    QCOMPARE(about.minimumSize(), QSize(292, 85));
    QCOMPARE(about.maximumSize(), QSize(292, 85));
    QCOMPARE(about.windowType(), Qt::Tool);
    const Qt::WindowFlags flags = about.windowFlags();
    QVERIFY(flags & Qt::WindowCloseButtonHint);
    QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                       Qt::WindowContextHelpButtonHint)));
    QCOMPARE(about.font(), WindowFont());

    QCOMPARE(about.pnlFill->palette().color(QPalette::Window), QColor(Qt::white));
    QVERIFY(about.pnlFill->autoFillBackground());
    QCOMPARE(about.lblProductName->text(), QStringLiteral("Partory"));
    QVERIFY(about.lblProductName->font().bold());
    QCOMPARE(about.lblVersion->text(), QStringLiteral("Version 1.0"));
    QCOMPARE(about.lblWebLink->text(), QStringLiteral("www.partory-app.org"));
    QVERIFY(about.lblWebLink->font().underline());
    QCOMPARE(about.lblWebLink->cursor().shape(), Qt::PointingHandCursor);
    for (QLabel* label : {about.lblProductName, about.lblVersion, about.lblWebLink}) {
        QVERIFY(label->alignment() & Qt::AlignHCenter);
    }
    QCOMPARE(LinkColour(about), kBlue);
    QVERIFY(about.lblWebLink->isEnabled());
    if (QFile::exists(QStringLiteral(":/pictures/product_icon.png"))) {
        QCOMPARE(about.ProgramIcon->pixmap().size(), QSize(48, 48));
    }

    // Centred on the desktop the first time it shows.
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    const QPoint desktopCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
    QVERIFY2((about.frameGeometry().center() - desktopCentre).manhattanLength() <= 2,
             qPrintable(QStringLiteral("window centre %1,%2")
                            .arg(about.frameGeometry().center().x())
                            .arg(about.frameGeometry().center().y())));

    // Later showings leave it where it was put.
    about.hide();
    about.move(about.pos() + QPoint(-120, 90));
    const QPoint moved = about.pos();
    about.show();
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QCOMPARE(about.pos(), moved);
}

void TestAbout::elementPlaces_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("place");
    QTest::newRow("panel") << "pnlFill" << QRect(0, 0, 292, 85);
    QTest::newRow("icon") << "ProgramIcon" << QRect(8, 8, 48, 48);
    QTest::newRow("name") << "lblProductName" << QRect(75, 8, 210, 13);
    QTest::newRow("version") << "lblVersion" << QRect(75, 24, 210, 13);
    QTest::newRow("link") << "lblWebLink" << QRect(86, 48, 188, 15);
}

void TestAbout::elementPlaces() {
    QFETCH(QString, name);
    QFETCH(QRect, place);
    TfmAbout about(scripted_, nullptr);
    auto* element = about.findChild<QWidget*>(name);
    QVERIFY(element != nullptr);
    QCOMPARE(QRect(element->mapTo(&about, QPoint(0, 0)), element->size()), place);
}

void TestAbout::clickOutsideLinkCloses_data() {
    QTest::addColumn<QPoint>("pos");
    QTest::addColumn<QString>("hit");
    QTest::newRow("panel, bottom left") << QPoint(20, 75) << "pnlFill";
    QTest::newRow("panel, between version and link") << QPoint(180, 42) << "pnlFill";
    QTest::newRow("panel, beside the link") << QPoint(80, 55) << "pnlFill";
    QTest::newRow("icon") << QPoint(30, 30) << "ProgramIcon";
    QTest::newRow("name") << QPoint(180, 14) << "lblProductName";
    QTest::newRow("version") << QPoint(100, 30) << "lblVersion";
}

void TestAbout::clickOutsideLinkCloses() {
    QFETCH(QPoint, pos);
    QFETCH(QString, hit);
    TfmAbout about(scripted_, nullptr);
    QWidget* under = about.childAt(pos);
    QVERIFY(under != nullptr);
    QCOMPARE(under->objectName(), hit);

    bool openAfterPress = false;
    const bool endedByItself = ExecWith(about, [&] {
        PressAt(about, pos);
        openAfterPress = about.isVisible();
        ReleaseAt(about, pos);
    });
    QVERIFY2(endedByItself, "the click did not end the modal showing");
    QVERIFY(openAfterPress);  // the click closes, not the press alone
    QVERIFY(!about.isVisible());
    QCOMPARE(about.result(), int(QDialog::Rejected));
    QCOMPARE(scripted_.count(ScriptedDialogs::Call::OpenUrl), 0);
    QCOMPARE(LinkColour(about), kBlue);
}

void TestAbout::oneWindowAcrossOpenings() {
    TfmMain main(partory::OsFileLayer(), scripted_);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QTRY_VERIFY(main.pnlInit->isVisible());
    QVERIFY(main.fmAbout == nullptr);

    QList<TfmAbout*> shown;
    for (int opening = 0; opening < 2; ++opening) {
        QTimer::singleShot(0, &main, [&] {
            QTRY_VERIFY(main.fmAbout != nullptr && main.fmAbout->isVisible());
            shown.append(main.fmAbout);
            QVERIFY(main.fmAbout->isModal());
            main.fmAbout->close();
        });
        QTest::mouseClick(main.btnAbout, Qt::LeftButton);
        QVERIFY(main.fmAbout != nullptr);
        QVERIFY(!main.fmAbout->isVisible());
    }
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown[0], shown[1]);
    QCOMPARE(shown[0]->parentWidget(), &main);
    QCOMPARE(main.findChildren<TfmAbout*>().size(), 1);
    // Its link goes through the dialogs the main window was handed.
    shown[0]->lblWebLinkClick();
    QCOMPARE(scripted_.count(ScriptedDialogs::Call::OpenUrl), 1);
}

void TestAbout::keepsPageAndValues_data() {
    QTest::addColumn<bool>("combine");
    QTest::newRow("divide page") << false;
    QTest::newRow("combine page") << true;
}

void TestAbout::keepsPageAndValues() {
    QFETCH(bool, combine);
    TfmMain main(partory::OsFileLayer(), scripted_);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    QTRY_VERIFY(main.pnlInit->isVisible());
    (combine ? main.rbCombine : main.rbDivide)->setChecked(true);
    main.btnNextClick();
    QWidget* page = combine ? main.pnlCombine : main.pnlDivide;
    QVERIFY(page->isVisible());

    main.edFromFile->setText(QStringLiteral("/data/report.pdf"));
    main.edToFolder->setText(QStringLiteral("/data/parts"));
    main.edNewNames->setText(QStringLiteral("REPORT_PDF_[COUNTER]"));
    main.edDivideBytes->setText(QStringLiteral("1.5"));
    main.boxDivideType->setCurrentIndex(main.boxDivideType->count() - 1);
    const int unitIndex = main.boxDivideType->currentIndex();
    main.list->addItems({QStringLiteral("/data/a.bin"), QStringLiteral("/data/b.bin"),
                         QStringLiteral("/data/a.bin")});
    main.list->setCurrentRow(1);
    main.edSaveCombined->setText(QStringLiteral("/data/all.bin"));
    const QString nextCaption = main.btnNext->text();

    QTimer::singleShot(0, &main, [&] {
        QTRY_VERIFY(main.fmAbout != nullptr && main.fmAbout->isVisible());
        ClickAt(*main.fmAbout, QPoint(20, 75));
    });
    main.btnAboutClick();
    QVERIFY(main.fmAbout != nullptr && !main.fmAbout->isVisible());
    QCoreApplication::processEvents();

    QVERIFY(page->isVisible());
    QVERIFY(!main.pnlInit->isVisible());
    QVERIFY(!(combine ? main.pnlDivide : main.pnlCombine)->isVisible());
    QCOMPARE(main.btnNext->text(), nextCaption);
    QCOMPARE(main.edFromFile->text(), QStringLiteral("/data/report.pdf"));
    QCOMPARE(main.edToFolder->text(), QStringLiteral("/data/parts"));
    QCOMPARE(main.edNewNames->text(), QStringLiteral("REPORT_PDF_[COUNTER]"));
    QCOMPARE(main.edDivideBytes->text(), QStringLiteral("1.5"));
    QCOMPARE(main.boxDivideType->currentIndex(), unitIndex);
    QCOMPARE(main.list->count(), 3);
    QCOMPARE(main.list->item(2)->text(), QStringLiteral("/data/a.bin"));
    QCOMPARE(main.list->currentRow(), 1);
    QCOMPARE(main.edSaveCombined->text(), QStringLiteral("/data/all.bin"));
    QVERIFY(scripted_.messages().empty());
}

void TestAbout::linkClickKeepsWindowOpenAndTurnsPurple() {
    TfmAbout about(scripted_, nullptr);
    QCOMPARE(LinkColour(about), kBlue);
    const QPoint link = LinkCentre(about);

    QColor afterPress;
    int opensAfterPress = -1;
    bool openAfterClick = false;
    const bool endedByItself = ExecWith(about, [&] {
        PressAt(about, link);
        afterPress = LinkColour(about);
        opensAfterPress = scripted_.count(ScriptedDialogs::Call::OpenUrl);
        ReleaseAt(about, link);
        openAfterClick = about.isVisible();
        about.close();  // as the title-bar close button does
    });
    QVERIFY2(endedByItself, "closing did not end the modal showing");
    QCOMPARE(afterPress, kPurple);  // purple from the press on, before any release
    QCOMPARE(opensAfterPress, 0);
    QVERIFY(openAfterClick);
    QCOMPARE(scripted_.count(ScriptedDialogs::Call::OpenUrl), 1);
    QCOMPARE(scripted_.calls.back().text, kAddress);
    QVERIFY(about.lblWebLink->isEnabled());

    // Purple for the rest of the run: the same window shown again, and a new one.
    ExecWith(about, [&] {
        QCOMPARE(LinkColour(about), kPurple);
        about.close();
    });
    TfmAbout another(scripted_, nullptr);
    QCOMPARE(LinkColour(another), kPurple);
}

// Only a release still on the link opens it; a release beside it, over the panel, does not
// close the window either.
void TestAbout::linkPressReleasedOffItOpensNothing() {
    TfmAbout about(scripted_, nullptr);
    bool openAfterRelease = false;
    ExecWith(about, [&] {
        PressAt(about, LinkCentre(about));
        ReleaseAt(about, QPoint(80, 55));
        openAfterRelease = about.isVisible();
        about.close();
    });
    QVERIFY(openAfterRelease);
    QCOMPARE(scripted_.count(ScriptedDialogs::Call::OpenUrl), 0);
}

// The link is the window's one control: it has the focus from the start, Return or Space opens
// it as a click does, and Escape closes the window.
void TestAbout::keysOnTheLink_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("opens");
    QTest::addColumn<bool>("staysOpen");
    QTest::newRow("Return") << int(Qt::Key_Return) << 1 << true;
    QTest::newRow("Space") << int(Qt::Key_Space) << 1 << true;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << 0 << false;
    QTest::newRow("a letter") << int(Qt::Key_A) << 0 << true;
}

void TestAbout::keysOnTheLink() {
    QFETCH(int, key);
    QFETCH(int, opens);
    QFETCH(bool, staysOpen);
    TfmAbout about(scripted_, nullptr);
    QWidget* focused = nullptr;
    bool openAfterKey = false;
    ExecWith(about, [&] {
        about.activateWindow();
        // Where the platform reports no activation, the key still goes to the focus widget.
        (void)QTest::qWaitForWindowActive(&about);
        focused = about.focusWidget();
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &about,
                        Qt::Key(key));
        openAfterKey = about.isVisible();
        about.close();
    });
    QCOMPARE(focused, static_cast<QWidget*>(about.lblWebLink));
    QCOMPARE(scripted_.count(ScriptedDialogs::Call::OpenUrl), opens);
    QCOMPARE(openAfterKey, staysOpen);
}

void TestAbout::failedOpenDisablesLinkForGood() {
    scripted_.openUrlResult = false;
    TfmAbout about(scripted_, nullptr);
    QVERIFY(about.lblWebLink->isEnabled());
    const QPoint link = LinkCentre(about);

    bool disabledAfterFailure = false;
    bool openAfterSecondClick = false;
    ExecWith(about, [&] {
        ClickAt(about, link);
        disabledAfterFailure = !about.lblWebLink->isEnabled();
        ClickAt(about, link);
        openAfterSecondClick = about.isVisible();
        about.close();
    });
    QVERIFY(disabledAfterFailure);
    QVERIFY2(openAfterSecondClick, "a click on the disabled link closed the window");
    QCOMPARE(scripted_.count(ScriptedDialogs::Call::OpenUrl), 1);
    QCOMPARE(scripted_.calls.front().text, kAddress);
    QVERIFY(scripted_.messages().empty());
    // Drawn greyed, not in either link colour.
    const QColor greyed =
        about.lblWebLink->palette().color(QPalette::Disabled, QPalette::WindowText);
    QVERIFY(greyed != kBlue && greyed != kPurple);

    // Still given up when shown again, even once opening would work.
    scripted_.openUrlResult = true;
    bool stillDisabled = false;
    bool stillOpen = false;
    ExecWith(about, [&] {
        stillDisabled = !about.lblWebLink->isEnabled();
        ClickAt(about, link);
        stillOpen = about.isVisible();
        about.close();
    });
    QVERIFY(stillDisabled);
    QVERIFY(stillOpen);
    QCOMPARE(scripted_.count(ScriptedDialogs::Call::OpenUrl), 1);

    TfmAbout another(scripted_, nullptr);
    QVERIFY(!another.lblWebLink->isEnabled());
    QVERIFY(scripted_.messages().empty());
}

// What the program puts into its environment for Qt is taken back out once Qt has read it:
// a program it starts (the link's browser opener) gets the user's environment.
void TestAbout::ownSettingsDoNotReachTheBrowser_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("userSet");
    QTest::newRow("QT_NO_GLIB, not set by the user") << QByteArray("QT_NO_GLIB") << false;
    QTest::newRow("QT_NO_GLIB, set by the user") << QByteArray("QT_NO_GLIB") << true;
    QTest::newRow("QT_ENABLE_HIGHDPI_SCALING, not set by the user")
        << QByteArray("QT_ENABLE_HIGHDPI_SCALING") << false;
    QTest::newRow("QT_ENABLE_HIGHDPI_SCALING, set by the user")
        << QByteArray("QT_ENABLE_HIGHDPI_SCALING") << true;
}

void TestAbout::ownSettingsDoNotReachTheBrowser() {
    QFETCH(QByteArray, name);
    QFETCH(bool, userSet);
    const QByteArray saved = qgetenv(name.constData());
    const bool wasSet = qEnvironmentVariableIsSet(name.constData());
    if (userSet) {
        qputenv(name.constData(), "users");
    } else {
        qunsetenv(name.constData());
    }
    OwnEnvironment own;
    if (name == "QT_NO_GLIB") {
        ChooseLeanEventLoop(own);
    } else {
        own.setUnlessSet(name.constData(), "0");
    }
    const QByteArray forQt = qgetenv(name.constData());
    own.takeBack();

    QProcess child;
    child.start(QStringLiteral("/usr/bin/env"), {});
    QVERIFY(child.waitForFinished(10000));
    QByteArray seen;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        if (line.startsWith(name + '=')) seen = line.mid(name.size() + 1);
    }
    if (wasSet) {
        qputenv(name.constData(), saved);
    } else {
        qunsetenv(name.constData());
    }
    QCOMPARE(forQt, userSet ? QByteArray("users") : (name == "QT_NO_GLIB" ? "1" : "0"));
    QCOMPARE(seen, userSet ? QByteArray("users") : QByteArray());
}

QTEST_MAIN(TestAbout)
#include "tst_about.moc"
