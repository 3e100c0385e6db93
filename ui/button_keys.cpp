// SPDX-License-Identifier: GPL-3.0-or-later
#include "button_keys.h"

#include <QAction>
#include <QKeyEvent>
#include <utility>

#include "unMain.h"
#include "widgets/image_button.h"

namespace {

// Shift, Ctrl, Alt in the order people say them, with the names the accessibility bus uses.
const struct {
    Qt::KeyboardModifier modifier;
    const char* text;
    const char* binding;
} kModifiers[] = {
    {Qt::ShiftModifier, "Shift+", "<Shift>"},
    {Qt::ControlModifier, "Ctrl+", "<Control>"},
    {Qt::AltModifier, "Alt+", "<Alt>"},
    {Qt::MetaModifier, "Meta+", "<Super>"},
};

// The key without its modifiers, named as on the keyboard: "N", "Insert", "Down".
QString KeyName(Qt::Key key) {
    switch (key) {
        case Qt::Key_Insert:
            return QStringLiteral("Insert");
        case Qt::Key_Delete:
            return QStringLiteral("Delete");
        default:
            return QKeySequence(key).toString(QKeySequence::PortableText);
    }
}

// The buttons of the main window itself, not of a window it owns.
QList<ImageButton*> Buttons(const TfmMain& fm) {
    QList<ImageButton*> buttons = fm.findChildren<ImageButton*>();
    buttons.removeIf([&fm](const ImageButton* button) { return button->window() != &fm; });
    return buttons;
}

}  // namespace

void GiveButtonsTheirKeys(TfmMain& fm) {
    const std::pair<ImageButton*, Qt::Key> fixedCaptions[] = {
        {fm.btnAbout, Qt::Key_A},
        {fm.btnBack, Qt::Key_B},
        {fm.btnPause, Qt::Key_P},
        // C is Cancel's, on the same page.
        {fm.btnContinue, Qt::Key_O},
        {fm.btnCancel, Qt::Key_C},
        {fm.btnFinish, Qt::Key_F},
        // "...another task"
        {fm.btnStartOver, Qt::Key_T},
        // N is Next's on the page before: a second Alt+N would add the name at once.
        {fm.btnDivide_AddName, Qt::Key_M},
        {fm.btnDivide_AddExtension, Qt::Key_X},
        {fm.btnDivide_AddCounter, Qt::Key_C},
    };
    for (const auto& [button, letter] : fixedCaptions) {
        button->setKey(button->text(), QKeySequence(Qt::ALT | letter));
    }
    // The Next slot's button says "Next" on the task page and "Start" on the settings pages.
    fm.btnNext->setKey(QStringLiteral("Next"), QKeySequence(Qt::ALT | Qt::Key_N));
    fm.btnNext->setKey(QStringLiteral("Start"), QKeySequence(Qt::ALT | Qt::Key_S));

    const std::pair<ImageButton*, QAction*> listButtons[] = {
        {fm.btnCombinedAdd, fm.ADD1},     {fm.btnCombinedRemove, fm.REMOVE1},
        {fm.btnCombinedClear, fm.CLEAR1}, {fm.btnCombinedReverse, fm.REVERSE1},
        {fm.btnCombinedMoveUp, fm.UP1},   {fm.btnCombinedMoveDown, fm.DOWN1},
    };
    for (const auto& [button, item] : listButtons) button->setKey(QString(), item->shortcut());
}

QKeyCombination PressedKeys(const QKeyEvent& key) {
    const Qt::KeyboardModifiers modifiers =
        key.modifiers() &
        (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    return QKeyCombination(modifiers, Qt::Key(key.key()));
}

bool IsButtonKey(const TfmMain& fm, QKeyCombination pressed) {
    for (const ImageButton* button : Buttons(fm)) {
        for (const QKeySequence& key : button->keys()) {
            if (!key.isEmpty() && key[0] == pressed) return true;
        }
    }
    return false;
}

ImageButton* ButtonForKey(const TfmMain& fm, QKeyCombination pressed) {
    for (ImageButton* button : Buttons(fm)) {
        const QKeySequence key = button->key();
        if (!key.isEmpty() && key[0] == pressed && button->isVisible() && button->isEnabled()) {
            return button;
        }
    }
    return nullptr;
}

QString KeyText(const QKeySequence& key) {
    if (key.isEmpty()) return QString();
    QString text;
    for (const auto& entry : kModifiers) {
        if (key[0].keyboardModifiers() & entry.modifier) text += QLatin1String(entry.text);
    }
    return text + KeyName(key[0].key());
}

QString KeyBindingName(const QKeySequence& key) {
    if (key.isEmpty()) return QString();
    QString name;
    for (const auto& entry : kModifiers) {
        if (key[0].keyboardModifiers() & entry.modifier) name += QLatin1String(entry.binding);
    }
    // Letters by their lower-case key names, as the desktop names them.
    const QString keyName = KeyName(key[0].key());
    return name + (keyName.size() == 1 ? keyName.toLower() : keyName);
}
