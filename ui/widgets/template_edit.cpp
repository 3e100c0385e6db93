// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/template_edit.h"

#include <QFocusEvent>
#include <QPalette>

std::size_t CodePointIndex(const QString& text, int utf16Index) {
    const int end = qBound(0, utf16Index, int(text.size()));
    std::size_t count = 0;
    for (int i = 0; i < end; ++i) {
        // The low half of a pair belongs to the character its high half started.
        if (text.at(i).isLowSurrogate() && i > 0 && text.at(i - 1).isHighSurrogate()) continue;
        ++count;
    }
    return count;
}

int Utf16Index(const QString& text, std::size_t codePointIndex) {
    int i = 0;
    for (std::size_t seen = 0; seen < codePointIndex && i < text.size(); ++seen) {
        const bool pair =
            text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        i += pair ? 2 : 1;
    }
    return i;
}

TemplateLineEdit::TemplateLineEdit(QWidget* parent) : QLineEdit(parent) {
    // The selection looks the same whether or not the window is the active one.
    QPalette colors = palette();
    for (const QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
        colors.setColor(QPalette::Inactive, role, colors.color(QPalette::Active, role));
    }
    setPalette(colors);
}

partory::TemplateEdit TemplateLineEdit::templateState() const {
    const QString current = text();
    partory::TemplateEdit state;
    state.text = current.toStdString();
    if (hasSelectedText()) {
        const int start = selectionStart();
        state.selStart = CodePointIndex(current, start);
        state.selLength = CodePointIndex(current, start + selectionLength()) - state.selStart;
    } else {
        state.selStart = CodePointIndex(current, cursorPosition());
    }
    return state;
}

void TemplateLineEdit::applyTemplateState(const partory::TemplateEdit& state) {
    const QString wanted = QString::fromStdString(state.text);
    const QString current = text();
    if (wanted != current) {
        // Replace only the stretch between the common beginning and the common end.
        const int shorter = int(qMin(wanted.size(), current.size()));
        int head = 0;
        while (head < shorter && wanted.at(head) == current.at(head)) ++head;
        int tail = 0;
        while (tail < shorter - head &&
               wanted.at(wanted.size() - 1 - tail) == current.at(current.size() - 1 - tail)) {
            ++tail;
        }
        setSelection(head, int(current.size()) - tail - head);
        insert(wanted.mid(head, wanted.size() - tail - head));
        if (text() != wanted) setText(wanted);
    }
    const int start = Utf16Index(wanted, state.selStart);
    const int end = Utf16Index(wanted, state.selStart + state.selLength);
    restoreSelection(start, end);
}

int TemplateLineEdit::anchorPosition() const {
    if (!hasSelectedText()) return cursorPosition();
    const int start = selectionStart();
    return cursorPosition() == start ? start + selectionLength() : start;
}

void TemplateLineEdit::restoreSelection(int anchor, int cursor) {
    if (anchor == cursor) {
        setCursorPosition(cursor);
    } else {
        setSelection(anchor, cursor - anchor);
    }
}

void TemplateLineEdit::focusInEvent(QFocusEvent* event) {
    // Qt's edit selects everything when Tab brings the focus in; this one keeps what it had.
    const int anchor = anchorPosition();
    const int cursor = cursorPosition();
    QLineEdit::focusInEvent(event);
    if (anchorPosition() != anchor || cursorPosition() != cursor) restoreSelection(anchor, cursor);
}

void TemplateLineEdit::focusOutEvent(QFocusEvent* event) {
    // Qt's edit drops its selection when the focus goes; this one keeps and shows it.
    const int anchor = anchorPosition();
    const int cursor = cursorPosition();
    QLineEdit::focusOutEvent(event);
    if (anchorPosition() != anchor || cursorPosition() != cursor) restoreSelection(anchor, cursor);
}
