// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/key_names.h"

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

}  // namespace

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
