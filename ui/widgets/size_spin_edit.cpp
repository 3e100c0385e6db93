// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/size_spin_edit.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QRegularExpression>
#include <QStyle>
#include <QToolButton>
#include <cmath>

namespace {

constexpr int kButtonWidth = 15;

bool IsControlText(const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() >= 32 && c.unicode() != 127) return false;
    }
    return true;
}

}  // namespace

SizeSpinEdit::SizeSpinEdit(QWidget* parent)
    : QLineEdit(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
    const auto setUpButton = [this](QToolButton* button, const char* name, Qt::ArrowType arrow,
                                    int steps) {
        button->setObjectName(QString::fromLatin1(name));
        button->setArrowType(arrow);
        button->setAutoRepeat(true);
        // The buttons leave the focus alone; the field takes it itself when stepped.
        button->setFocusPolicy(Qt::NoFocus);
        button->setCursor(Qt::ArrowCursor);
        connect(button, &QToolButton::clicked, this, [this, steps] { stepFromButton(steps); });
    };
    setUpButton(up_, "upButton", Qt::UpArrow, 1);
    setUpButton(down_, "downButton", Qt::DownArrow, -1);
    setTextMargins(0, 0, kButtonWidth, 0);
    // Dropped text would pass by the typing rules.
    setAcceptDrops(false);
    setValue(minimum_);
}

QString SizeSpinEdit::FormatValue(double value) {
    return QString::number(value, 'f', 2);
}

bool SizeSpinEdit::ReadNumber(const QString& text, double* value) {
    static const QRegularExpression kNumber(
        QStringLiteral(R"(^ *[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)? *$)"));
    if (!kNumber.match(text).hasMatch()) return false;
    bool ok = false;
    const double read = text.trimmed().toDouble(&ok);
    // Out of the range of a double: no number either.
    if (!ok || !std::isfinite(read)) return false;
    *value = read;
    return true;
}

double SizeSpinEdit::value() const {
    double read = 0;
    return ReadNumber(text(), &read) ? read : minimum_;
}

void SizeSpinEdit::setValue(double value) {
    if (!(value >= minimum_)) value = minimum_;
    lastSetValue_ = value;
    setText(FormatValue(value));
}

void SizeSpinEdit::stepBy(int steps) {
    if (steps < 0 && lastSetValue_ <= minimum_) return;
    setValue(value() + steps);
    selectAll();
}

void SizeSpinEdit::stepFromButton(int steps) {
    if (!hasFocus()) setFocus(Qt::MouseFocusReason);
    stepBy(steps);
}

bool SizeSpinEdit::IsAcceptedCharacter(QChar c) {
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || u == '+' || u == '-' || u == '.';
}

void SizeSpinEdit::refuseKey() {
    QApplication::beep();
    emit keyRefused();
}

void SizeSpinEdit::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers commandModifiers =
        event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    const int key = event->key();
    if ((key == Qt::Key_Up || key == Qt::Key_Down) && commandModifiers == Qt::NoModifier) {
        stepBy(key == Qt::Key_Up ? 1 : -1);
        event->accept();
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        refuseKey();
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        pasteLimited(QClipboard::Clipboard);
        event->accept();
        return;
    }
    const QString typed = event->text();
    if (!typed.isEmpty() && commandModifiers == Qt::NoModifier && !IsControlText(typed) &&
        !admitsTyped(typed)) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void SizeSpinEdit::inputMethodEvent(QInputMethodEvent* event) {
    const QString typed = event->commitString();
    if (!typed.isEmpty() && !admitsTyped(typed)) {
        event->accept();
        return;
    }
    QLineEdit::inputMethodEvent(event);
}

bool SizeSpinEdit::admitsTyped(const QString& typed) {
    for (const QChar c : typed) {
        if (!IsAcceptedCharacter(c)) {
            refuseKey();
            return false;
        }
    }
    // A character beyond the limit is refused without a beep.
    return text().size() - selectedText().size() + typed.size() <= kMaxTypedLength;
}

void SizeSpinEdit::pasteLimited(QClipboard::Mode mode) {
    if (isReadOnly()) return;
    QString clip = QGuiApplication::clipboard()->text(mode);
    const qsizetype lineEnd = clip.indexOf(QRegularExpression(QStringLiteral("[\r\n]")));
    if (lineEnd >= 0) clip.truncate(lineEnd);
    qsizetype room = kMaxTypedLength - (text().size() - selectedText().size());
    if (room < clip.size()) {
        if (room > 0 && clip.at(room - 1).isHighSurrogate()) --room;
        clip.truncate(qMax<qsizetype>(room, 0));
    }
    if (clip.isEmpty()) return;
    insert(clip);
}

void SizeSpinEdit::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        pasteLimited(QClipboard::Selection);
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

void SizeSpinEdit::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The menu's paste is the action wired to QLineEdit::paste: rewire it to the limited one.
    for (QAction* action : menu->actions()) {
        const bool wasPaste = disconnect(action, &QAction::triggered, this, &QLineEdit::paste) ||
                              disconnect(action, SIGNAL(triggered()), this, SLOT(paste()));
        if (!wasPaste) continue;
        connect(action, &QAction::triggered, this, [this] { pasteLimited(QClipboard::Clipboard); });
    }
    menu->popup(event->globalPos());
}

void SizeSpinEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // A menu, another window or the page being hidden is not the user leaving the field.
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason || !isVisible()) {
        return;
    }
    emit exited();
    if (value() < minimum_) setValue(minimum_);
}

void SizeSpinEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    const int frame = hasFrame() ? style()->pixelMetric(QStyle::PM_DefaultFrameWidth) : 0;
    const int inner = height() - 2 * frame;
    const int upHeight = inner / 2;
    const int left = width() - frame - kButtonWidth;
    up_->setGeometry(left, frame, kButtonWidth, upHeight);
    down_->setGeometry(left, frame + upHeight, kButtonWidth, inner - upHeight);
}
