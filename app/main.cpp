// SPDX-License-Identifier: GPL-3.0-or-later
// The program entry: the title, the one main window, the event loop.

#include <QApplication>
#include <QIcon>

#include "platform/event_pump.h"
#include "platform/exit_signals.h"
#include "text/fonts.h"
#include "window/unMain.h"

int main(int argc, char* argv[]) {
    // The window is laid out in pixels for 96 dots per inch and is not rescaled; Qt 6 would
    // otherwise scale it by the screen's dpi. An explicit setting in the environment wins.
    OwnEnvironment own;
    own.setUnlessSet("QT_ENABLE_HIGHDPI_SCALING", "0");
    ChooseLeanEventLoop(own);
    QApplication application(argc, argv);
    // Qt has read them; a browser started from the About link must not run unscaled.
    own.takeBack();
    // The application title. Only the name is set: a display name would be appended by Qt to
    // every other window's caption (" About" would read " About - Partory").
    QApplication::setApplicationName(QStringLiteral("Partory"));
    QApplication::setDesktopFileName(QStringLiteral("org.partory_app.Partory"));
    const QIcon icon(QStringLiteral(":/pictures/product_icon_256.png"));
    if (!icon.isNull()) QApplication::setWindowIcon(icon);
    InstallFontSubstitutes();

    TfmMain fmMain;
    CloseOnTerminationSignals(fmMain);
    fmMain.show();
    return application.exec();
}
