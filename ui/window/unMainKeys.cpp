// SPDX-License-Identifier: GPL-3.0-or-later
// The window's keys: the hidden menu's shortcuts and the image buttons' keys. The buttons never
// take the focus, so each has a key instead: Alt plus a letter of its caption, one for every
// caption it can show, unique on every page; the glyph-only buttons of the combine list have
// the list shortcuts of the hidden menu. The event filter runs both kinds from whichever
// control has the focus; a button's key presses it, as a click does, only while the button is
// shown and enabled.

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <utility>

#include "widgets/image_button.h"
#include "window/unMain.h"

namespace {

// A key press as a shortcut compares it: the key with Shift, Ctrl, Alt and Meta.
QKeyCombination PressedKeys(const QKeyEvent& key) {
    const Qt::KeyboardModifiers modifiers =
        key.modifiers() &
        (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    return QKeyCombination(modifiers, Qt::Key(key.key()));
}

}  // namespace

void TfmMain::createHiddenMenu() {
    // A menu that is never shown: its items are only there for their shortcuts, which the
    // event filter runs (invisible actions have no working shortcuts of their own).
    MainMenu1 = new QMenu(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    const auto addItem = [this](const char* name, const char* caption, QKeyCombination keys,
                                void (TfmMain::*handler)()) {
        auto* item = new QAction(QString::fromLatin1(caption), MainMenu1);
        item->setObjectName(QString::fromLatin1(name));
        item->setShortcut(QKeySequence(keys));
        item->setVisible(false);
        MainMenu1->addAction(item);
        connect(item, &QAction::triggered, this, handler);
        return item;
    };
    UP1 = addItem("UP1", "UP", Qt::CTRL | Qt::Key_Up, &TfmMain::btnCombinedMoveUpClick);
    DOWN1 = addItem("DOWN1", "DOWN", Qt::CTRL | Qt::Key_Down, &TfmMain::btnCombinedMoveDownClick);
    ADD1 = addItem("ADD1", "ADD", Qt::CTRL | Qt::Key_Insert, &TfmMain::btnCombinedAddClick);
    REMOVE1 =
        addItem("REMOVE1", "REMOVE", Qt::CTRL | Qt::Key_Delete, &TfmMain::btnCombinedRemoveClick);
    CLEAR1 = addItem("CLEAR1", "CLEAR", Qt::SHIFT | Qt::CTRL | Qt::Key_Delete,
                     &TfmMain::btnCombinedClearClick);
    REVERSE1 =
        addItem("REVERSE1", "REVERSE", Qt::CTRL | Qt::Key_R, &TfmMain::btnCombinedReverseClick);
    OPEN1 = addItem("OPEN1", "OPEN", Qt::CTRL | Qt::Key_O, &TfmMain::OPEN1Click);
    SAVE1 = addItem("SAVE1", "SAVE", Qt::CTRL | Qt::Key_S, &TfmMain::SAVE1Click);
}

void TfmMain::giveButtonsTheirKeys() {
    const std::pair<ImageButton*, Qt::Key> fixedCaptions[] = {
        {btnAbout, Qt::Key_A},
        {btnBack, Qt::Key_B},
        {btnPause, Qt::Key_P},
        // C is Cancel's, on the same page.
        {btnContinue, Qt::Key_O},
        {btnCancel, Qt::Key_C},
        {btnFinish, Qt::Key_F},
        // "...another task"
        {btnStartOver, Qt::Key_T},
        // N is Next's on the page before: a second Alt+N would add the name at once.
        {btnDivide_AddName, Qt::Key_M},
        {btnDivide_AddExtension, Qt::Key_X},
        {btnDivide_AddCounter, Qt::Key_C},
    };
    for (const auto& [button, letter] : fixedCaptions) {
        button->setKey(button->text(), QKeySequence(Qt::ALT | letter));
    }
    // The Next slot's button says "Next" on the task page and "Start" on the settings pages.
    btnNext->setKey(QStringLiteral("Next"), QKeySequence(Qt::ALT | Qt::Key_N));
    btnNext->setKey(QStringLiteral("Start"), QKeySequence(Qt::ALT | Qt::Key_S));

    const std::pair<ImageButton*, QAction*> listButtons[] = {
        {btnCombinedAdd, ADD1},         {btnCombinedRemove, REMOVE1}, {btnCombinedClear, CLEAR1},
        {btnCombinedReverse, REVERSE1}, {btnCombinedMoveUp, UP1},     {btnCombinedMoveDown, DOWN1},
    };
    for (const auto& [button, item] : listButtons) button->setKey(QString(), item->shortcut());
}

bool TfmMain::runKey(QKeyEvent& key) {
    const QKeyCombination pressed = PressedKeys(key);
    QAction* item = menuItemForKey(pressed);
    if (item == nullptr && !isButtonKey(pressed)) return false;
    if (key.type() == QEvent::ShortcutOverride) {
        // Claim the key so that no control and no shortcut of its own takes it; the key press
        // that follows comes back here.
        key.accept();
        return true;
    }
    if (item != nullptr) {
        item->trigger();
    } else if (ImageButton* button = buttonForKey(pressed)) {
        button->click();
    }
    return true;
}

QAction* TfmMain::menuItemForKey(QKeyCombination pressed) const {
    for (QAction* item : MainMenu1->actions()) {
        if (!item->shortcut().isEmpty() && item->shortcut()[0] == pressed) return item;
    }
    return nullptr;
}

QList<ImageButton*> TfmMain::ownButtons() const {
    QList<ImageButton*> buttons = findChildren<ImageButton*>();
    buttons.removeIf([this](const ImageButton* button) { return button->window() != this; });
    return buttons;
}

bool TfmMain::isButtonKey(QKeyCombination pressed) const {
    for (const ImageButton* button : ownButtons()) {
        for (const QKeySequence& key : button->keys()) {
            if (!key.isEmpty() && key[0] == pressed) return true;
        }
    }
    return false;
}

ImageButton* TfmMain::buttonForKey(QKeyCombination pressed) const {
    for (ImageButton* button : ownButtons()) {
        const QKeySequence key = button->key();
        if (!key.isEmpty() && key[0] == pressed && button->isVisible() && button->isEnabled()) {
            return button;
        }
    }
    return nullptr;
}
