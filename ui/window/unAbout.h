// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QEvent;
class QLabel;
class QWidget;
class UserDialogs;

// The small modal window behind "About...": product icon, name, version and the link to the
// product's web site. Created once by the main window and shown again on every later use.
class TfmAbout : public QDialog {
    Q_OBJECT

  public:
    // The link opens the web site through `dialogs`.
    TfmAbout(UserDialogs& dialogs, QWidget* owner);

    // The host name shown by the link; the link opens "http://" followed by it.
    static const char* const WebHost;

    QWidget* pnlFill = nullptr;
    QLabel* ProgramIcon = nullptr;
    QLabel* lblProductName = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblWebLink = nullptr;

  public slots:
    // The one click handler of the panel, the icon, the name and the version.
    void pnlFillClick();
    void lblWebLinkMouseDown();
    void lblWebLinkClick();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    UserDialogs& dialogs_;

    // Colour and enabled state of the link from the run-wide link state.
    void showLinkState();

    // The widget a left button went down on, so that a click needs press and release on the
    // same one.
    QObject* pressedOn_ = nullptr;
};
