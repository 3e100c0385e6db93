// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/unAbout.h"

#include <QColor>
#include <QEvent>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPalette>
#include <QPixmap>
#include <QUrl>

#include "platform/user_dialogs.h"
#include "platform/window_placement.h"
#include "text/fonts.h"
#include "widgets/accessible_widgets.h"
#include "widgets/web_link.h"

const char* const TfmAbout::WebHost = "www.partory-app.org";

namespace {

// The link's state lasts for the whole run, beyond any one window object.
bool gLinkVisited = false;
bool gLinkFailed = false;

const QColor kLinkColour(0, 0, 255);
const QColor kVisitedLinkColour(128, 0, 128);

QLabel* MakeLabel(QWidget* parent, const char* name, const QRect& place) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(place);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    return label;
}

// The icon is drawn with its background left out: a picture without an alpha channel takes
// the colour of its bottom-left pixel as the transparent one.
QPixmap TransparentIcon(const QString& resource) {
    QPixmap icon(resource);
    if (icon.isNull() || icon.hasAlphaChannel()) return icon;
    const QImage image = icon.toImage();
    icon.setMask(icon.createMaskFromColor(image.pixelColor(0, image.height() - 1)));
    return icon;
}

}  // namespace

TfmAbout::TfmAbout(UserDialogs& dialogs, QWidget* owner)
    : QDialog(owner,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      dialogs_(dialogs) {
    InstallAccessibleWidgets();
    setObjectName(QStringLiteral("fmAbout"));
    setWindowTitle(QStringLiteral(" About"));
    setFont(WindowFont());
    setFixedSize(292, 85);

    pnlFill = new QWidget(this);
    pnlFill->setObjectName(QStringLiteral("pnlFill"));
    pnlFill->setGeometry(0, 0, 292, 85);
    QPalette white = pnlFill->palette();
    white.setColor(QPalette::Window, Qt::white);
    pnlFill->setPalette(white);
    pnlFill->setAutoFillBackground(true);

    ProgramIcon = MakeLabel(pnlFill, "ProgramIcon", QRect(8, 8, 48, 48));
    ProgramIcon->setPixmap(TransparentIcon(QStringLiteral(":/pictures/product_icon.png")));

    lblProductName = MakeLabel(pnlFill, "lblProductName", QRect(75, 8, 210, 13));
    QFont bold = WindowFont();
    bold.setBold(true);
    lblProductName->setFont(bold);
    lblProductName->setText(QStringLiteral("Partory"));

    lblVersion = MakeLabel(pnlFill, "lblVersion", QRect(75, 24, 210, 13));
    lblVersion->setText(QStringLiteral("Version 1.0"));

    // A press on the link, usable or not, never reaches the panel and closes the window. It is
    // the window's only control, so it has the keyboard focus from the start; Escape closes
    // the window.
    auto* link = new WebLink(pnlFill);
    lblWebLink = link;
    link->setObjectName(QStringLiteral("lblWebLink"));
    link->setGeometry(86, 48, 188, 15);
    link->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QFont underlined = WindowFont();
    underlined.setUnderline(true);
    link->setFont(underlined);
    link->setText(QString::fromLatin1(WebHost));
    connect(link, &WebLink::pressed, this, &TfmAbout::lblWebLinkMouseDown);
    connect(link, &WebLink::clicked, this, &TfmAbout::lblWebLinkClick);
    showLinkState();
    // What a screen reader reads with the window's title.
    setAccessibleDescription(lblProductName->text() + QLatin1Char(' ') + lblVersion->text());

    for (QObject* clickable :
         {static_cast<QObject*>(pnlFill), static_cast<QObject*>(ProgramIcon),
          static_cast<QObject*>(lblProductName), static_cast<QObject*>(lblVersion)}) {
        clickable->installEventFilter(this);
    }

    // Placed by hand, so that showing does not centre it over its owner instead; afterwards it
    // reappears where it was left.
    KeepCentredOnFirstShow(this);
}

void TfmAbout::pnlFillClick() {
    close();
}

void TfmAbout::lblWebLinkMouseDown() {
    if (gLinkVisited) return;
    gLinkVisited = true;
    showLinkState();
}

void TfmAbout::lblWebLinkClick() {
    if (gLinkFailed) return;
    if (!dialogs_.openUrl(QUrl(QStringLiteral("http://") + QString::fromLatin1(WebHost)))) {
        gLinkFailed = true;
        showLinkState();
    }
}

void TfmAbout::showLinkState() {
    QPalette palette = lblWebLink->palette();
    const QColor& colour = gLinkVisited ? kVisitedLinkColour : kLinkColour;
    // The disabled group keeps the style's grey, so a failed link is drawn greyed.
    palette.setColor(QPalette::Active, QPalette::WindowText, colour);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, colour);
    lblWebLink->setPalette(palette);
    lblWebLink->setEnabled(!gLinkFailed);
}

bool TfmAbout::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseButtonDblClick) {
        return QDialog::eventFilter(watched, event);
    }
    auto* mouse = static_cast<QMouseEvent*>(event);
    auto* widget = static_cast<QWidget*>(watched);
    mouse->accept();
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) {
        if (mouse->button() == Qt::LeftButton) pressedOn_ = watched;
        return true;
    }

    // A click is a left press and release on the same control, the pointer still on it.
    const bool click = mouse->button() == Qt::LeftButton && pressedOn_ == watched &&
                       widget->rect().contains(mouse->position().toPoint());
    if (mouse->button() == Qt::LeftButton) pressedOn_ = nullptr;
    if (click) pnlFillClick();
    return true;
}
