// SPDX-License-Identifier: GPL-3.0-or-later
// The progress and completion pages, and the run of a job from "Start" to its outcome.

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include "partory/settings_check.h"
#include "platform/event_pump.h"
#include "platform/user_dialogs.h"
#include "text/fonts.h"
#include "widgets/accessible_widgets.h"
#include "widgets/animation_control.h"
#include "widgets/browse_edit.h"
#include "widgets/focus_label.h"
#include "widgets/image_button.h"
#include "widgets/outcome_line.h"
#include "widgets/percent_bar.h"
#include "widgets/status_line.h"
#include "window/unMain.h"

namespace {

const QColor kSuccessColor(0, 128, 0);
const QColor kErrorColor(255, 0, 0);

const QString kPleaseWait = QStringLiteral("Please, wait...");
const QString kPausedText = QStringLiteral("Process paused.  Press \"Continue\" to resume.");

void SetTextColor(QLabel* label, const QColor& color) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    label->setPalette(palette);
}

UserDialogs::MessageKind DialogKind(partory::MessageKind kind) {
    return kind == partory::MessageKind::Error ? UserDialogs::MessageKind::Error
                                               : UserDialogs::MessageKind::Information;
}

}  // namespace

void TfmMain::createProgressPage() {
    lblProcessStatus = new StatusLine(pnlProgress);
    lblProcessStatus->setObjectName(QStringLiteral("lblProcessStatus"));
    lblProcessStatus->setText(kPleaseWait);
    lblProcessStatus->setFont(BoldLabelFont());
    lblProcessStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblProcessStatus->move(8, 72);
    lblProcessStatus->adjustSize();
    // Takes the focus on the page, which has no control that would, so that a screen reader
    // reads the line when the page shows and again whenever it changes.
    lblProcessStatus->setFocusPolicy(Qt::TabFocus);

    bar = new PercentBar(pnlProgress);
    bar->setObjectName(QStringLiteral("bar"));
    bar->setGeometry(8, 96, 545, 20);
    bar->hide();

    movie_process = new AnimationControl(pnlProgress);
    movie_process->setObjectName(QStringLiteral("movie_process"));
    movie_process->setGeometry(159, 152, 249, 30);
    movie_process->setInterval(80);
    movie_process->setStrip(QStringLiteral("movie"), strip(QStringLiteral("movie")));
}

void TfmMain::createDonePage() {
    imgDoneOK = new QLabel(pnlDone);
    imgDoneOK->setObjectName(QStringLiteral("imgDoneOK"));
    imgDoneOK->setGeometry(160, 53, 32, 32);
    imgDoneOK->setPixmap(QPixmap(QStringLiteral(":/pictures/done_ok.png")));
    imgDoneOK->hide();

    imgDoneError = new QLabel(pnlDone);
    imgDoneError->setObjectName(QStringLiteral("imgDoneError"));
    imgDoneError->setGeometry(160, 88, 32, 32);
    imgDoneError->setPixmap(QPixmap(QStringLiteral(":/pictures/done_error.png")));
    imgDoneError->hide();

    lblDone = new FocusLabel(pnlDone);
    lblDone->setObjectName(QStringLiteral("lblDone"));
    lblDone->setFont(BoldLabelFont());
    lblDone->setGeometry(123, 59, 313, 16);
    lblDone->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    // Takes the focus when the page shows; its accessible name is the whole outcome.
    lblDone->setFocusPolicy(Qt::TabFocus);

    lblDoneExplanation = new OutcomeLine(pnlDone);
    lblDoneExplanation->setObjectName(QStringLiteral("lblDoneExplanation"));
    lblDoneExplanation->setFont(BoldLabelFont());
    lblDoneExplanation->setGeometry(8, 93, 545, 36);

    btnStartOver = new ImageButton(pnlDone);
    btnStartOver->setObjectName(QStringLiteral("btnStartOver"));
    btnStartOver->setText(QStringLiteral("Click here for another \"Partory\" task..."));
    btnStartOver->setFaces(strip(QStringLiteral("new_long")));
    btnStartOver->setGeometry(127, 162, 313, 29);
    connect(btnStartOver, &ImageButton::clicked, this, &TfmMain::btnStartOverClick);
}

void TfmMain::EnterProgressPage() {
    btnNext->hide();
    btnBack->hide();
    showInNextSlot(btnPause);
    showInBackSlot(btnCancel);
    // Whatever a former job left drawn, the bar comes up only at this job's first per cent.
    bar->resetForJob();
    pnlProgress->show();
    movie_process->setStrip(movie_intro->stripName(), strip(movie_intro->stripName()));
    movie_process->start();
    lblProcessStatus->setText(kPleaseWait);
    lblProcessStatus->adjustSize();
    // Once the line is this job's.
    focusShownPage();
}

void TfmMain::btnPauseClick() {
    partory::PauseJob(MainRunState());
    btnPause->hide();
    showInNextSlot(btnContinue);
    movie_process->stop();
    lblProcessStatus->setText(kPausedText);
    lblProcessStatus->adjustSize();
    AnnounceStatusLine(*lblProcessStatus);
    pump_.PumpAll();
}

void TfmMain::btnContinueClick() {
    partory::ResumeJob(MainRunState());
    btnContinue->hide();
    showInNextSlot(btnPause);
    movie_process->start();
    lblProcessStatus->setText(kPleaseWait);
    lblProcessStatus->adjustSize();
    AnnounceStatusLine(*lblProcessStatus);
    pump_.PumpAll();
}

void TfmMain::btnCancelClick() {
    if (!dialogs_.showMessage(this, UserDialogs::MessageKind::Question,
                              QStringLiteral("Are you sure to cancel the process ?"))) {
        return;
    }
    partory::CancelJob(MainRunState());
    pump_.PumpAll();
}

void TfmMain::ShowJobOutcome() {
    const partory::RunState& state = MainRunState();
    movie_process->stop();
    pnlProgress->hide();
    btnCancel->hide();
    btnContinue->hide();
    btnPause->hide();
    showInNextSlot(btnFinish);
    if (state.Succeeded) {
        imgDoneOK->move(imgDoneOK->x(), 53);
        imgDoneError->hide();
        imgDoneOK->show();
        lblDone->setText(QStringLiteral("CONGRATULATIONS!"));
        SetTextColor(lblDone, kSuccessColor);
    } else {
        imgDoneError->move(imgDoneError->x(), 53);
        imgDoneOK->hide();
        imgDoneError->show();
        lblDone->setText(QStringLiteral("ERROR!"));
        SetTextColor(lblDone, kErrorColor);
    }
    lblDoneExplanation->setText(QString::fromStdString(state.ResultText));
    // Heading and outcome line are read as one when the heading takes the focus.
    lblDone->setAccessibleName(lblDone->text() + QLatin1Char(' ') + lblDoneExplanation->text());
    pnlDone->show();
    focusShownPage();
}

void TfmMain::startJob() {
    const bool divide = pnlDivide->isVisible();
    partory::DivideSettings divideSettings;
    partory::CombineSettings combineSettings;
    partory::SettingsCheckResult check;
    if (divide) {
        divideSettings = readDivideSettings();
        check = partory::CheckDivideSettings(divideSettings, files_);
        writeBackDivideSettings(divideSettings);
    } else {
        combineSettings = readCombineSettings();
        check = partory::CheckCombineSettings(combineSettings, files_);
        writeBackCombineSettings(combineSettings);
    }
    if (!check.Passed) {
        dialogs_.showMessage(this, DialogKind(check.MessageKind),
                             QString::fromStdString(check.MessageText));
        QWidget* faulty = nullptr;
        switch (check.FocusField) {
            case partory::SettingsField::SourceFile:
                faulty = edFromFile;
                break;
            case partory::SettingsField::DestinationFolder:
                faulty = edToFolder;
                break;
            case partory::SettingsField::NameTemplate:
                faulty = edNewNames;
                break;
            case partory::SettingsField::InputList:
                faulty = list;
                break;
            case partory::SettingsField::OutputFile:
                faulty = edSaveCombined;
                break;
            case partory::SettingsField::None:
                break;
        }
        if (faulty != nullptr) faulty->setFocus();
        return;
    }

    if (divide) {
        pnlDivide->hide();
    } else {
        pnlCombine->hide();
    }
    jobRunning_ = true;
    EnterProgressPage();

    partory::RunState& state = MainRunState();
    bar->SetPosition(0);
    partory::ResetRunState(state);
    pump_.PumpAll();
    if (divide) {
        partory::RunDivideJob(divideSettings, state, *bar, pump_, files_);
    } else {
        partory::RunCombineJob(combineSettings, state, *bar, pump_, files_);
    }
    jobRunning_ = false;

    ShowJobOutcome();
    pump_.PumpAll();
    // A close asked for during the job ends the program now that the job has returned.
    if (closePending_) {
        closePending_ = false;
        close();
    }
}
