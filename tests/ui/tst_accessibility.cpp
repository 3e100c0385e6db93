// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader learns of the window: on every page a name in words for every control,
// none twice, and a press for every button; the roles of the window's own controls, the
// progress bar's value, the list's entries, and image buttons pressed through their accessible
// press action or their keys.

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleValueInterface>
#include <QDialog>
#include <QSet>
#include <QtTest>
#include <algorithm>
#include <memory>

#include "main_window_harness.h"
#include "partory/run_control.h"
#include "widgets/animation_control.h"
#include "widgets/image_button.h"
#include "widgets/percent_bar.h"
#include "window/unAbout.h"

namespace {

const QStringList kTwoFiles = {QStringLiteral("/data/a.bin"), QStringLiteral("/data/b.bin")};

// Brings the window to `page`: task, divide, combine, progress, completion or about. Returns
// the top-level window the page is in.
QWidget* ShowPage(MainWindowHarness& h, const QString& page) {
    TfmMain& fm = h.fm;
    if (page == QLatin1String("divide")) h.toDividePage();
    if (page == QLatin1String("combine")) {
        h.toCombinePage();
        fm.AppendFiles(kTwoFiles);
    }
    if (page == QLatin1String("progress") || page == QLatin1String("paused") ||
        page == QLatin1String("completion")) {
        h.toDividePage();
        fm.pnlDivide->hide();
        fm.EnterProgressPage();
        fm.bar->SetMaximum(200);
        fm.bar->SetPosition(85);
    }
    if (page == QLatin1String("paused")) fm.btnPauseClick();
    if (page == QLatin1String("completion")) {
        MainRunState().Succeeded = true;
        MainRunState().ResultText = "200 file(s) sucessfully created!";
        fm.ShowJobOutcome();
    }
    if (page == QLatin1String("about")) {
        // Shown without its modal loop, which would hold the test.
        if (fm.fmAbout == nullptr) fm.fmAbout = new TfmAbout(h.dialogs, &fm);
        fm.fmAbout->show();
        return QTest::qWaitForWindowExposed(fm.fmAbout) ? fm.fmAbout : nullptr;
    }
    QCoreApplication::processEvents();
    return &fm;
}

// "edFromFile/browseButton" names a child of a child.
QWidget* Control(QWidget* window, const QString& path) {
    QWidget* widget = window;
    for (const QString& name : path.split(QLatin1Char('/'))) {
        widget = widget->objectName() == name ? widget : widget->findChild<QWidget*>(name);
        if (widget == nullptr) return nullptr;
    }
    return widget;
}

// The roles of what a user acts on or reads; each of them must have a name.
bool NeedsName(QAccessible::Role role) {
    switch (role) {
        case QAccessible::PushButton:
        case QAccessible::RadioButton:
        case QAccessible::CheckBox:
        case QAccessible::ComboBox:
        case QAccessible::EditableText:
        case QAccessible::SpinBox:
        case QAccessible::List:
        case QAccessible::ProgressBar:
        case QAccessible::Link:
            return true;
        default:
            return false;
    }
}

// A control's name, after the names of the controls it lies in (the field of a browse button).
QString QualifiedName(QAccessibleInterface* iface) {
    QString name = iface->text(QAccessible::Name);
    for (QAccessibleInterface* up = iface->parent(); up != nullptr; up = up->parent()) {
        if (NeedsName(up->role()))
            name = up->text(QAccessible::Name) + QStringLiteral(" / ") + name;
    }
    return name;
}

}  // namespace

class TestAccessibility : public QObject {
    Q_OBJECT

  private slots:
    void cleanup() { QVERIFY(QApplication::topLevelWidgets().isEmpty()); }

    // What no look at names in general shows: the roles of the window's own kinds of control,
    // a name read differently from what the screen shows, and texts read whole.
    void nameAndRole_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QAccessible::Role>("role");
        QTest::addColumn<QString>("name");
        const auto row = [](const char* page, const char* control, QAccessible::Role role,
                            const QString& name) {
            QTest::addRow("%s %s", page, control)
                << QString::fromLatin1(page) << QString::fromLatin1(control) << role << name;
        };
        using R = QAccessible::Role;
        // The application's frame, not a filler pane.
        row("task", "fmMain", R::Window, "Partory");
        // The label shows a Cyrillic "а"; both are read with a Latin "a".
        row("divide", "edFromFile", R::EditableText, "Select a file to divide:");
        row("divide", "Label6", R::StaticText, "Select a file to divide:");
        // Spoken again at each change.
        row("progress", "lblProcessStatus", R::Notification, "Please, wait...");
        // The heading takes the focus and reads the whole outcome; the outcome line is read
        // whole, not as the shortened lines it may show.
        row("completion", "lblDone", R::StaticText,
            "CONGRATULATIONS! 200 file(s) sucessfully created!");
        row("completion", "lblDoneExplanation", R::StaticText, "200 file(s) sucessfully created!");
        // Among the pictures, which are mostly decoration, the one that tells the outcome.
        row("completion", "imgDoneOK", R::Graphic, "Success");
        row("about", "lblWebLink", R::Link, QString::fromLatin1(TfmAbout::WebHost));
    }
    void nameAndRole() {
        QFETCH(QString, page);
        QFETCH(QString, control);
        QFETCH(QAccessible::Role, role);
        QFETCH(QString, name);
        MainWindowHarness h;
        QVERIFY(h.open());
        QWidget* window = ShowPage(h, page);
        QVERIFY(window != nullptr);
        QWidget* widget = Control(window, control);
        QVERIFY2(widget != nullptr, qPrintable(control));
        QVERIFY(widget->isVisible());
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
        QVERIFY(iface != nullptr);
        QCOMPARE(iface->role(), role);
        QCOMPARE(iface->text(QAccessible::Name), name);
    }

    // On every page, whatever a user acts on or reads has a name in words (a glyph button is
    // not read as its glyph), and every button and link can be pressed (its press action;
    // a check box or radio button, its toggle), unless it is disabled. No two controls on a
    // page share a name; a control inside a field (its browse or step button) is told apart
    // by the field's name.
    void everyControlNamedAndPressable_data() {
        QTest::addColumn<QString>("page");
        for (const char* page :
             {"task", "divide", "combine", "progress", "paused", "completion", "about"}) {
            QTest::newRow(page) << QString::fromLatin1(page);
        }
    }
    void everyControlNamedAndPressable() {
        QFETCH(QString, page);
        MainWindowHarness h;
        QVERIFY(h.open());
        QWidget* window = ShowPage(h, page);
        QVERIFY(window != nullptr);
        QStringList names;
        int buttons = 0;
        for (QWidget* widget : window->findChildren<QWidget*>()) {
            if (!widget->isVisible()) continue;
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
            QVERIFY(iface != nullptr);
            const QString what = widget->objectName();
            const QAccessible::Role role = iface->role();
            const bool button = qobject_cast<QAbstractButton*>(widget) != nullptr;
            const bool picture = qobject_cast<AnimationControl*>(widget) != nullptr;
            if (!button && !picture && !NeedsName(role)) continue;
            const QString name = iface->text(QAccessible::Name);
            QVERIFY2(std::any_of(name.begin(), name.end(), [](QChar c) { return c.isLetter(); }),
                     qPrintable(what + QStringLiteral(" is read as \"") + name + '"'));
            if (picture) continue;
            names << QualifiedName(iface);

            if (!button && role != QAccessible::Link) continue;
            ++buttons;
            const QString press = role == QAccessible::RadioButton || role == QAccessible::CheckBox
                                      ? QAccessibleActionInterface::toggleAction()
                                      : QAccessibleActionInterface::pressAction();
            QVERIFY2(role == QAccessible::PushButton || role == QAccessible::Link ||
                         role == QAccessible::RadioButton || role == QAccessible::CheckBox,
                     qPrintable(what));
            QAccessibleActionInterface* actions = iface->actionInterface();
            QVERIFY2(actions != nullptr, qPrintable(what));
            QCOMPARE(actions->actionNames().contains(press), widget->isEnabled());
            QCOMPARE(bool(iface->state().disabled), !widget->isEnabled());
        }
        QVERIFY(buttons >= 1);
        const QSet<QString> unique(names.begin(), names.end());
        if (unique.size() != names.size()) {
            for (const QString& name : unique) names.removeOne(name);
            QFAIL(qPrintable(QStringLiteral("named twice: ") + names.join(QStringLiteral(", "))));
        }
    }

    void barGivesItsValue() {
        MainWindowHarness h;
        QVERIFY(h.open());
        ShowPage(h, QStringLiteral("progress"));
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(h.fm.bar);
        QAccessibleValueInterface* value = iface->valueInterface();
        QVERIFY(value != nullptr);
        QCOMPARE(value->currentValue().toLongLong(), 85);
        QCOMPARE(value->minimumValue().toLongLong(), 0);
        QCOMPARE(value->maximumValue().toLongLong(), 200);
        QCOMPARE(iface->text(QAccessible::Value), QStringLiteral("42%"));
        h.fm.bar->SetPosition(200);
        QCOMPARE(value->currentValue().toLongLong(), 200);
        QCOMPARE(iface->text(QAccessible::Value), QStringLiteral("100%"));
    }

    void listGivesItsEntries() {
        MainWindowHarness h;
        QVERIFY(h.open());
        ShowPage(h, QStringLiteral("combine"));
        QAccessibleInterface* list = QAccessible::queryAccessibleInterface(h.fm.list);
        QCOMPARE(list->childCount(), kTwoFiles.size());
        for (int i = 0; i < kTwoFiles.size(); ++i) {
            QCOMPARE(list->child(i)->role(), QAccessible::ListItem);
            QCOMPARE(list->child(i)->text(QAccessible::Name), kTwoFiles[i]);
        }
    }

    // Image buttons never take the keyboard focus: a screen reader presses them through their
    // press action, which runs the same handler as a click.
    void pressActionRunsTheHandler_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Next on the task page") << "task"
                                               << "btnNext"
                                               << "page pnlDivide";
        QTest::newRow("Back on the divide page") << "divide"
                                                 << "btnBack"
                                                 << "page pnlInit";
        QTest::newRow("Reverse order") << "combine"
                                       << "btnCombinedReverse"
                                       << "first /data/b.bin";
        QTest::newRow("Start over") << "completion"
                                    << "btnStartOver"
                                    << "page pnlInit";
        QTest::newRow("disabled Back does nothing") << "task"
                                                    << "btnBack"
                                                    << "page pnlInit";
    }
    void pressActionRunsTheHandler() {
        QFETCH(QString, page);
        QFETCH(QString, button);
        QFETCH(QString, expected);
        MainWindowHarness h;
        QVERIFY(h.open());
        ShowPage(h, page);
        QWidget* focused = QApplication::focusWidget();
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(Control(&h.fm, button));
        QAccessibleActionInterface* actions = iface->actionInterface();
        QVERIFY(actions != nullptr);
        QCOMPARE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()),
                 iface->state().disabled == 0);
        actions->doAction(QAccessibleActionInterface::pressAction());
        const auto state = [&] {
            if (expected.startsWith(QLatin1String("first "))) {
                return QStringLiteral("first ") + h.fm.list->item(0)->text();
            }
            return QStringLiteral("page ") + h.visiblePage();
        };
        // The press is animated: the handler runs once the button comes up again.
        QTest::qWait(300);
        QCOMPARE(state(), expected);
        if (page == QLatin1String("combine")) QCOMPARE(QApplication::focusWidget(), focused);
    }

    // Every image button has a key (Alt and a letter of its caption; the list's glyph buttons,
    // the list shortcut of the hidden menu). The key presses its button as a click does, at
    // once, only while the button is shown and enabled, leaving the focus where it was; the
    // focused field never gets it; a screen reader learns it as the press's key binding.
    void buttonKeys_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("button");  // empty: the key presses nothing on this page
        QTest::addColumn<QString>("binding");
        QTest::addColumn<QString>("description");
        const auto row = [](const char* page, QKeyCombination key, const char* button,
                            const char* binding, const char* description) {
            const QString name = QStringLiteral("%1 %2").arg(
                QString::fromLatin1(page), QKeySequence(key).toString(QKeySequence::PortableText));
            QTest::newRow(qPrintable(name))
                << QString::fromLatin1(page) << key.toCombined() << QString::fromLatin1(button)
                << QString::fromLatin1(binding) << QString::fromUtf8(description);
        };
        const auto alt = [](Qt::Key letter) { return QKeyCombination(Qt::AltModifier, letter); };
        row("task", alt(Qt::Key_A), "btnAbout", "<Alt>a", "Alt+A");
        row("task", alt(Qt::Key_N), "btnNext", "<Alt>n", "Alt+N");
        row("task", alt(Qt::Key_B), "", "", "");  // Back is disabled
        row("task", alt(Qt::Key_S), "", "", "");
        row("divide", alt(Qt::Key_A), "btnAbout", "<Alt>a", "Alt+A");
        row("divide", alt(Qt::Key_B), "btnBack", "<Alt>b", "Alt+B");
        row("divide", alt(Qt::Key_S), "btnNext", "<Alt>s", "Alt+S");
        row("divide", alt(Qt::Key_M), "btnDivide_AddName", "<Alt>m", "Alt+M");
        row("divide", alt(Qt::Key_X), "btnDivide_AddExtension", "<Alt>x", "Alt+X");
        row("divide", alt(Qt::Key_C), "btnDivide_AddCounter", "<Alt>c", "Add [COUNTER] (Alt+C)");
        row("divide", alt(Qt::Key_N), "", "", "");
        row("divide", alt(Qt::Key_P), "", "", "");
        row("combine", alt(Qt::Key_A), "btnAbout", "<Alt>a", "Alt+A");
        row("combine", alt(Qt::Key_B), "btnBack", "<Alt>b", "Alt+B");
        row("combine", alt(Qt::Key_S), "btnNext", "<Alt>s", "Alt+S");
        row("combine", Qt::ControlModifier | Qt::Key_R, "btnCombinedReverse", "<Control>r",
            "Ctrl+R");
        row("combine", Qt::ShiftModifier | Qt::ControlModifier | Qt::Key_Delete, "btnCombinedClear",
            "<Shift><Control>Delete", "Shift+Ctrl+Delete");
        row("combine", Qt::ControlModifier | Qt::Key_Up, "btnCombinedMoveUp", "<Control>Up",
            "Ctrl+Up");
        row("combine", alt(Qt::Key_M), "", "", "");
        row("combine", alt(Qt::Key_C), "", "", "");
        row("progress", alt(Qt::Key_A), "btnAbout", "<Alt>a", "Alt+A");
        row("progress", alt(Qt::Key_P), "btnPause", "<Alt>p", "Alt+P");
        row("progress", alt(Qt::Key_C), "btnCancel", "<Alt>c", "Alt+C");
        row("progress", alt(Qt::Key_O), "", "", "");
        row("progress", alt(Qt::Key_S), "", "", "");
        row("paused", alt(Qt::Key_O), "btnContinue", "<Alt>o", "Alt+O");
        row("paused", alt(Qt::Key_C), "btnCancel", "<Alt>c", "Alt+C");
        row("paused", alt(Qt::Key_P), "", "", "");
        row("completion", alt(Qt::Key_A), "btnAbout", "<Alt>a", "Alt+A");
        row("completion", alt(Qt::Key_F), "btnFinish", "<Alt>f", "Alt+F");
        row("completion", alt(Qt::Key_T), "btnStartOver", "<Alt>t", "Alt+T");
        row("completion", alt(Qt::Key_B), "", "", "");
        row("completion", alt(Qt::Key_N), "", "", "");
    }
    void buttonKeys() {
        QFETCH(QString, page);
        QFETCH(int, key);
        QFETCH(QString, button);
        QFETCH(QString, binding);
        QFETCH(QString, description);
        const QKeyCombination pressed = QKeyCombination::fromCombined(key);
        MainWindowHarness h;
        QVERIFY(h.open());
        TfmMain& fm = h.fm;
        ShowPage(h, page);
        h.dialogs.answers = {false, false};  // Cancel's question and Clear's: No

        // The keys of the buttons this page can show, with both buttons of the Next slot on
        // the progress page, are unique; each shown button has one for its caption.
        QList<ImageButton*> onPage;
        for (ImageButton* shown : fm.findChildren<ImageButton*>()) {
            if (shown->isVisible()) onPage << shown;
            if (shown->isVisible()) QVERIFY2(!shown->key().isEmpty(), qPrintable(shown->text()));
        }
        if (fm.pnlProgress->isVisible())
            onPage << (fm.btnPause->isVisible() ? fm.btnContinue : fm.btnPause);
        QSet<int> keys;
        int keyCount = 0;
        for (ImageButton* shown : onPage) {
            for (const QKeySequence& each : shown->keys()) {
                keys.insert(each[0].toCombined());
                ++keyCount;
            }
        }
        QCOMPARE(keys.size(), keyCount);

        ImageButton* expected = button.isEmpty() ? nullptr : fm.findChild<ImageButton*>(button);
        QVERIFY(button.isEmpty() || expected != nullptr);
        if (expected != nullptr) {
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(expected);
            QCOMPARE(iface->actionInterface()->keyBindingsForAction(
                         QAccessibleActionInterface::pressAction()),
                     QStringList{binding});
            QCOMPARE(iface->text(QAccessible::Description), description);
        }

        // The key goes to the control with the focus: a field where the page has one.
        QLineEdit* field = nullptr;
        if (page == QLatin1String("divide")) field = fm.edNewNames;
        if (page == QLatin1String("combine")) field = fm.edSaveCombined;
        if (field != nullptr) {
            field->setText(QStringLiteral("abc"));
            field->setFocus();
        }
        QWidget* focused = QApplication::focusWidget();
        QVERIFY(focused != nullptr && focused->window() == &fm);

        QStringList clicks;
        QList<QWidget*> focusAtPress;
        QObject spies;
        for (ImageButton* each : fm.findChildren<ImageButton*>()) {
            connect(each, &ImageButton::pressed, &spies,
                    [&] { focusAtPress << QApplication::focusWidget(); });
            connect(each, &ImageButton::clicked, &spies,
                    [&clicks, each] { clicks << each->objectName(); });
        }
        // The About window is modal: closed as soon as it is up.
        QTimer closer;
        connect(&closer, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        });
        closer.start(20);
        const auto press = [&] {
            QTest::keyClick(focused, pressed.key(), pressed.keyboardModifiers());
        };

        // A button that does not take the key is left alone, and so is the field.
        const bool altKey = pressed.keyboardModifiers() == Qt::AltModifier;
        if (expected != nullptr && altKey) {
            expected->setEnabled(false);
            press();
            expected->setEnabled(true);
            QCOMPARE(clicks, QStringList());
            if (field != nullptr) QCOMPARE(field->text(), QStringLiteral("abc"));
        }
        press();
        // The list shortcuts of the glyph buttons run their commands through the hidden menu.
        QCOMPARE(clicks, altKey && expected != nullptr ? QStringList{button} : QStringList());
        for (QWidget* atPress : focusAtPress) QCOMPARE(atPress, focused);
        if (field != nullptr) QCOMPARE(field->text(), QStringLiteral("abc"));
    }

    // A press by assistive technology runs as a click would, from the event loop after the
    // press has been answered: never where a click could not land.
    void pressRunsAfterItsAnswer_data() {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("underModal");
        QTest::addColumn<QString>("expected");
        QTest::newRow("Browse opens its dialog after the press")
            << "divide"
            << "edFromFile/browseButton" << false << "1 dialog";
        QTest::newRow("Next under a modal window") << "task"
                                                   << "btnNext" << true << "page pnlInit";
        QTest::newRow("Browse under a modal window")
            << "divide"
            << "edFromFile/browseButton" << true << "0 dialog";
        QTest::newRow("hidden Pause") << "divide"
                                      << "btnPause" << false << "paused 0";
    }
    void pressRunsAfterItsAnswer() {
        QFETCH(QString, page);
        QFETCH(QString, button);
        QFETCH(bool, underModal);
        QFETCH(QString, expected);
        MainWindowHarness h;
        QVERIFY(h.open());
        ShowPage(h, page);
        // The run state outlives every window: an earlier test may have left a job paused.
        partory::ResetRunState(MainRunState());
        std::unique_ptr<QDialog> modal;
        if (underModal) {
            modal = std::make_unique<QDialog>(&h.fm);
            modal->setModal(true);
            modal->show();
            QVERIFY(QTest::qWaitForWindowExposed(modal.get()));
        }
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(Control(&h.fm, button));
        iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY2(h.dialogs.calls.empty(), "the dialog opened inside the press");
        const auto state = [&] {
            if (expected.endsWith(QLatin1String(" dialog"))) {
                return QStringLiteral("%1 dialog").arg(h.dialogs.calls.size());
            }
            if (expected.startsWith(QLatin1String("paused"))) {
                return QStringLiteral("paused %1").arg(int(MainRunState().Paused));
            }
            return QStringLiteral("page ") + h.visiblePage();
        };
        QTest::qWait(200);
        QCOMPARE(state(), expected);
    }

    // A screen reader chooses an entry of a closed drop-down list by the entry's own action.
    void unitChosenByItemAction() {
        MainWindowHarness h;
        QVERIFY(h.open());
        ShowPage(h, QStringLiteral("divide"));
        QAccessibleInterface* box = QAccessible::queryAccessibleInterface(h.fm.boxDivideType);
        QAccessibleInterface* list = box->child(0);
        QVERIFY(list != nullptr);
        for (const QString& unit : {QStringLiteral("bytes"), QStringLiteral("Kbytes")}) {
            QAccessibleInterface* item = nullptr;
            for (int i = 0; i < list->childCount(); ++i) {
                if (list->child(i)->text(QAccessible::Name) == unit) item = list->child(i);
            }
            QVERIFY2(item != nullptr, qPrintable(unit));
            item->actionInterface()->doAction(item->actionInterface()->actionNames().first());
            QCOMPARE(h.fm.boxDivideType->currentText(), unit);
            QCOMPARE(box->text(QAccessible::Name), unit);
        }
    }

    void linkPressOpensTheSite() {
        MainWindowHarness h;
        QVERIFY(h.open());
        QWidget* about = ShowPage(h, QStringLiteral("about"));
        QVERIFY(about != nullptr);
        QAccessible::queryAccessibleInterface(Control(about, "lblWebLink"))
            ->actionInterface()
            ->doAction(QAccessibleActionInterface::pressAction());
        QTRY_COMPARE(h.dialogs.calls.size(), size_t(1));
        QCOMPARE(h.dialogs.calls[0].text, QStringLiteral("http://www.partory-app.org"));
    }
};

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
