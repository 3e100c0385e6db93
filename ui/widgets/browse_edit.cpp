// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/browse_edit.h"

#include <QIcon>
#include <QMouseEvent>
#include <QStyle>

namespace {

constexpr int kButtonWidth = 18;

QString PictureOf(BrowseEdit::Kind kind) {
    switch (kind) {
        case BrowseEdit::Kind::OpenFile:
            return QStringLiteral(":/pictures/browse_open.png");
        case BrowseEdit::Kind::SaveFile:
            return QStringLiteral(":/pictures/browse_save.png");
        case BrowseEdit::Kind::Folder:
            return QStringLiteral(":/pictures/browse_folder.png");
    }
    return QString();
}

}  // namespace

BrowseEdit::BrowseEdit(Kind kind, QWidget* parent)
    : QLineEdit(parent), kind_(kind), button_(new BrowseButton(this)) {
    button_->setObjectName(QStringLiteral("browseButton"));
    // Clicking the button must not pull the focus out of a field and run its leaving rule.
    button_->setFocusPolicy(Qt::NoFocus);
    button_->setCursor(Qt::ArrowCursor);
    const QPixmap picture(PictureOf(kind));
    if (!picture.isNull()) {
        button_->setIcon(QIcon(picture));
        button_->setIconSize(picture.size());
    }
    connect(button_, &QToolButton::clicked, this, &BrowseEdit::browseRequested);
    setTextMargins(0, 0, kButtonWidth, 0);
}

void BrowseEdit::mouseDoubleClickEvent(QMouseEvent* event) {
    QLineEdit::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) emit browseRequested();
}

void BrowseEdit::resizeEvent(QResizeEvent* event) {
    QLineEdit::resizeEvent(event);
    const int frame = hasFrame() ? style()->pixelMetric(QStyle::PM_DefaultFrameWidth) : 0;
    button_->setGeometry(width() - frame - kButtonWidth, frame, kButtonWidth, height() - 2 * frame);
}
