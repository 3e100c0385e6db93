// The program entry: the title, the one main window, the event loop.

#include <QApplication>
#include <QIcon>

#include "fonts.h"
#include "unMain.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Partory"));
    QApplication::setApplicationDisplayName(QStringLiteral("Partory"));
    QApplication::setDesktopFileName(QStringLiteral("partory"));
    const QIcon icon(QStringLiteral(":/pictures/product_icon_256.png"));
    if (!icon.isNull()) QApplication::setWindowIcon(icon);
    InstallFontSubstitutes();

    TfmMain fmMain;
    fmMain.show();
    return application.exec();
}
