// The program entry: the title, the one main window, the event loop.

#include <QApplication>
#include <QIcon>

#include "fonts.h"
#include "unMain.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // The application title. Only the name is set: a display name would be appended by Qt to
    // every other window's caption (" About" would read " About - Partory").
    QApplication::setApplicationName(QStringLiteral("Partory"));
    QApplication::setDesktopFileName(QStringLiteral("partory"));
    const QIcon icon(QStringLiteral(":/pictures/product_icon_256.png"));
    if (!icon.isNull()) QApplication::setWindowIcon(icon);
    InstallFontSubstitutes();

    TfmMain fmMain;
    fmMain.show();
    return application.exec();
}
