// SPDX-License-Identifier: GPL-3.0-or-later
// Renders every page and state of the main window (and the About window) to PNG files, so
// that the look of the window can be reviewed without a display:
//
//     partory_gallery <folder>
//
// It drives the real window through its handlers and sets the run-control record by hand
// where a state would otherwise need a running job.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <cstdio>

#include "text/fonts.h"
#include "widgets/browse_edit.h"
#include "widgets/percent_bar.h"
#include "window/unAbout.h"
#include "window/unMain.h"

namespace {

void Settle(int milliseconds = 50) {
    QElapsedTimer clock;
    clock.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    } while (clock.elapsed() < milliseconds);
}

bool Save(QWidget& widget, const QDir& folder, const char* name, int settle = 50) {
    Settle(settle);
    const QString path = folder.filePath(QString::fromLatin1(name) + QStringLiteral(".png"));
    if (!widget.grab().save(path)) {
        std::fprintf(stderr, "partory_gallery: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Partory"));
    if (argc != 2) {
        std::fprintf(stderr, "usage: partory_gallery <folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "partory_gallery: cannot create %s\n", argv[1]);
        return 1;
    }
    InstallFontSubstitutes();

    TfmMain fm;
    fm.show();
    fm.FormActivate();
    bool ok = true;

    ok &= Save(fm, folder, "task-divide");
    fm.rbCombine->setChecked(true);
    ok &= Save(fm, folder, "task-combine");

    fm.btnNextClick();
    // Parts as a divide job names them, given in a muddled order: the list takes them in
    // natural order.
    QStringList parts;
    for (int part : {10, 2, 1, 11, 3, 12, 9}) {
        parts << QStringLiteral("/home/user/documents/REPORT_PDF_%1").arg(part);
    }
    fm.AppendFiles(parts);
    fm.list->setCurrentRow(2);
    fm.UpdateTotal();
    fm.edSaveCombined->setText(QStringLiteral("/home/user/documents/report.pdf"));
    ok &= Save(fm, folder, "combine");

    fm.btnBackClick();
    fm.rbDivide->setChecked(true);
    fm.btnNextClick();
    // As after a pick in the source dialog: the folder and the template are proposed.
    fm.edFromFile->setText(QStringLiteral("/home/user/documents/report.pdf"));
    fm.edFromFileDlgChange();
    fm.edDivideBytes->setText(QStringLiteral("1.44"));
    ok &= Save(fm, folder, "divide");

    // The progress page as a job of 200 parts shows it after part 85.
    fm.pnlDivide->hide();
    fm.EnterProgressPage();
    fm.bar->SetMaximum(200);
    fm.bar->SetPosition(85);
    ok &= Save(fm, folder, "progress-running", 300);
    fm.btnPauseClick();
    ok &= Save(fm, folder, "progress-paused");

    partory::RunState& state = MainRunState();
    state.Succeeded = true;
    state.ResultText = "200 file(s) sucessfully created!";
    fm.ShowJobOutcome();
    ok &= Save(fm, folder, "done-success");

    fm.btnStartOverClick();
    fm.btnNextClick();
    fm.pnlDivide->hide();
    fm.EnterProgressPage();
    state.Succeeded = false;
    state.ResultText = partory::kTerminatedText;
    fm.ShowJobOutcome();
    ok &= Save(fm, folder, "done-error");

    fm.fmAbout = new TfmAbout(QtDialogs(), &fm);
    fm.fmAbout->show();
    ok &= Save(*fm.fmAbout, folder, "about");
    fm.fmAbout->hide();

    return ok ? 0 : 1;
}
