// SPDX-License-Identifier: GPL-3.0-or-later
#include "window/unMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QRadioButton>
#include <QStyleHints>
#include <QTimer>
#include <clocale>

#include "platform/user_dialogs.h"
#include "platform/window_placement.h"
#include "text/fonts.h"
#include "widgets/accessible_widgets.h"
#include "widgets/animation_control.h"
#include "widgets/browse_edit.h"
#include "widgets/image_button.h"
#include "widgets/page_labels.h"
#include "widgets/percent_bar.h"
#include "window/unAbout.h"

namespace {

// The run-control record of the whole program run. Cleared when the unit starts, before any
// window exists.
partory::RunState JobState;

// Numbers are shown and read with "." whatever the user's locale. QApplication sets the C
// library's locale from the environment when it starts, so the numeric part is put back to C
// right after that, and Qt's own default locale is C from the start.
void UseDotDecimalSeparator() {
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(QLocale::c());
}

const bool kUnitInitialised = [] {
    JobState.Paused = false;
    JobState.CancelRequested = false;
    UseDotDecimalSeparator();
    return true;
}();

const QSize kClientSize(560, 407);

QFont BoldWindowFont() {
    QFont font = WindowFont();
    font.setBold(true);
    return font;
}

}  // namespace

// Must run after QApplication has taken the environment's locale (see above).
Q_COREAPP_STARTUP_FUNCTION(UseDotDecimalSeparator)

partory::RunState& MainRunState() {
    (void)kUnitInitialised;
    return JobState;
}

TfmMain::TfmMain(partory::FileLayer& files, UserDialogs& dialogs, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      files_(files),
      dialogs_(dialogs) {
    // Before any control exists: Qt keeps the first interface it makes for a widget, and a
    // control's first text already makes one while assistive technology listens.
    InstallAccessibleWidgets();
    setObjectName(QStringLiteral("fmMain"));
    setWindowTitle(QStringLiteral("Partory"));
    setFixedSize(kClientSize);
    setFont(WindowFont());
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAttribute(Qt::WA_AlwaysShowToolTips);
    const QPixmap icon(QStringLiteral(":/pictures/product_icon_256.png"));
    if (!icon.isNull()) setWindowIcon(QIcon(icon));

    loadPictures();
    createHeader();
    pnlInit = createPage(QStringLiteral("pnlInit"));
    pnlDivide = createPage(QStringLiteral("pnlDivide"));
    pnlCombine = createPage(QStringLiteral("pnlCombine"));
    pnlProgress = createPage(QStringLiteral("pnlProgress"));
    pnlDone = createPage(QStringLiteral("pnlDone"));
    createTaskPage();
    createDividePage();
    createCombinePage();
    createProgressPage();
    createDonePage();
    createButtonBar();
    createHiddenMenu();

    // Until the first activation resets it, the window already looks like the task page.
    pnlDivide->hide();
    pnlCombine->hide();
    pnlProgress->hide();
    pnlDone->hide();
    for (ImageButton* button : {btnFinish, btnPause, btnContinue, btnCancel}) button->hide();
    btnBack->setEnabled(false);

    KeepCentredOnFirstShow(this);

    // The hidden menu's shortcuts and the buttons' keys must win over the keys of whichever
    // control has the focus.
    giveButtonsTheirKeys();
    qApp->installEventFilter(this);
    nameControlsForAccessibility();
}

TfmMain::~TfmMain() {
    qApp->removeEventFilter(this);
}

void TfmMain::loadPictures() {
    const struct {
        const char* name;
        QSize frame;
    } kStrips[] = {
        {"new_3d", {105, 30}},     {"new_long", {310, 30}},   {"movie", {249, 30}},
        {"reversed", {249, 30}},   {"small_balls", {30, 30}}, {"movie_arrows", {9, 136}},
        {"list_glyphs", {16, 16}},
    };
    for (const auto& entry : kStrips) {
        const QString name = QString::fromLatin1(entry.name);
        strips_.insert(name, PictureStrip::load(name, entry.frame));
    }
}

QWidget* TfmMain::createPage(const QString& name) {
    auto* page = new QWidget(this);
    page->setObjectName(name);
    page->setGeometry(0, 81, 560, 282);
    page->setAutoFillBackground(true);
    auto* tails = new QLabel(page);
    tails->setObjectName(QStringLiteral("imgRibbonTails"));
    tails->setGeometry(486, 0, 64, 34);
    tails->setPixmap(QPixmap(QStringLiteral(":/pictures/ribbon_tails.png")));
    return page;
}

void TfmMain::createHeader() {
    pnlHeader = new QWidget(this);
    pnlHeader->setObjectName(QStringLiteral("pnlHeader"));
    pnlHeader->setGeometry(0, 0, 560, 81);

    imgHeaderRamp = new QLabel(pnlHeader);
    imgHeaderRamp->setObjectName(QStringLiteral("imgHeaderRamp"));
    imgHeaderRamp->setGeometry(0, 0, 560, 81);
    imgHeaderRamp->setScaledContents(true);
    imgHeaderRamp->setPixmap(QPixmap(QStringLiteral(":/pictures/header_ramp.png")));

    imgProductIcon = new QLabel(pnlHeader);
    imgProductIcon->setObjectName(QStringLiteral("imgProductIcon"));
    imgProductIcon->setGeometry(8, 8, 48, 48);
    imgProductIcon->setPixmap(QPixmap(QStringLiteral(":/pictures/product_icon.png")));

    lblHeader = new EngravedLabel(QStringLiteral("Partory"), pnlHeader);
    lblHeader->setObjectName(QStringLiteral("lblHeader"));
    lblHeader->setFont(HeaderFont());
    lblHeader->setGeometry(60, 19, 217, 28);

    imgBadge = new QLabel(pnlHeader);
    imgBadge->setObjectName(QStringLiteral("imgBadge"));
    imgBadge->setGeometry(486, 7, 64, 74);
    imgBadge->setPixmap(QPixmap(QStringLiteral(":/pictures/badge.png")));
}

ImageButton* TfmMain::createBarButton(const QString& name, const QString& caption, int left) {
    auto* button = new ImageButton(pnlButtons);
    button->setObjectName(name);
    button->setText(caption);
    button->setFaces(strip(QStringLiteral("new_3d")));
    button->setGeometry(left, 10, 105, 30);
    return button;
}

void TfmMain::createButtonBar() {
    pnlButtons = new QWidget(this);
    pnlButtons->setObjectName(QStringLiteral("pnlButtons"));
    pnlButtons->setGeometry(0, 363, 560, 44);
    pnlButtons->setAutoFillBackground(true);

    pnlButtonsStrip = new BevelStrip(pnlButtons);
    pnlButtonsStrip->setObjectName(QStringLiteral("pnlButtonsStrip"));
    pnlButtonsStrip->setGeometry(0, 0, 560, 5);

    const QPixmap left(QStringLiteral(":/pictures/glyph_left.png"));
    const QPixmap right(QStringLiteral(":/pictures/glyph_right.png"));
    const QPixmap pause(QStringLiteral(":/pictures/glyph_pause.png"));

    btnAbout = createBarButton(QStringLiteral("btnAbout"), QStringLiteral("About..."), 8);
    btnBack = createBarButton(QStringLiteral("btnBack"), QStringLiteral("Back"), 344);
    btnBack->setGlyph(left, ImageButton::GlyphPlace::BeforeCaption);
    btnNext = createBarButton(QStringLiteral("btnNext"), QStringLiteral("Next"), 450);
    btnNext->setGlyph(right, ImageButton::GlyphPlace::AfterCaption);
    btnFinish = createBarButton(QStringLiteral("btnFinish"), QStringLiteral("Finish"), 450);
    btnPause = createBarButton(QStringLiteral("btnPause"), QStringLiteral("Pause"), 450);
    btnPause->setGlyph(pause, ImageButton::GlyphPlace::BeforeCaption);
    btnContinue = createBarButton(QStringLiteral("btnContinue"), QStringLiteral("Continue"), 450);
    btnContinue->setGlyph(right, ImageButton::GlyphPlace::BeforeCaption);
    btnCancel = createBarButton(QStringLiteral("btnCancel"), QStringLiteral("Cancel"), 344);

    connect(btnAbout, &ImageButton::clicked, this, &TfmMain::btnAboutClick);
    connect(btnBack, &ImageButton::clicked, this, &TfmMain::btnBackClick);
    connect(btnNext, &ImageButton::clicked, this, &TfmMain::btnNextClick);
    connect(btnFinish, &ImageButton::clicked, this, &TfmMain::btnFinishClick);
    connect(btnPause, &ImageButton::clicked, this, &TfmMain::btnPauseClick);
    connect(btnContinue, &ImageButton::clicked, this, &TfmMain::btnContinueClick);
    connect(btnCancel, &ImageButton::clicked, this, &TfmMain::btnCancelClick);
}

void TfmMain::createTaskPage() {
    lblStep1 = PageLabel(pnlInit, "lblStep1", QStringLiteral("Step 1:"), 8, 43, true);
    lblSelectTask = PageLabel(pnlInit, "lblSelectTask",
                              QStringLiteral("Select the general task to perform:"), 8, 60, false);

    rbDivide = new QRadioButton(QStringLiteral("DIVIDE A FILE into parts"), pnlInit);
    rbDivide->setObjectName(QStringLiteral("rbDivide"));
    rbDivide->setFont(BoldWindowFont());
    rbDivide->setGeometry(88, 88, 457, 17);
    rbDivide->setChecked(true);

    rbCombine = new QRadioButton(QStringLiteral("COMBINE MULTIPLE FILES into one"), pnlInit);
    rbCombine->setObjectName(QStringLiteral("rbCombine"));
    rbCombine->setFont(BoldWindowFont());
    rbCombine->setGeometry(88, 120, 457, 17);

    movie_intro = new AnimationControl(pnlInit);
    movie_intro->setObjectName(QStringLiteral("movie_intro"));
    movie_intro->setGeometry(159, 152, 249, 30);
    movie_intro->setInterval(80);
    movie_intro->setToolTip(QStringLiteral("Double-click here to change the task"));
    movie_intro->setStrip(QStringLiteral("movie"), strip(QStringLiteral("movie")));

    lblStep2 = PageLabel(pnlInit, "lblStep2", QStringLiteral("Step 2:"), 8, 227, true);
    lblClickNext = PageLabel(
        pnlInit, "lblClickNext",
        QStringLiteral("Click \"Next\" after you have completed the step above"), 8, 244, false);

    // A radio button's handler runs when it becomes checked, by the user or by the code.
    connect(rbDivide, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked) rbDivideClick();
    });
    connect(rbCombine, &QRadioButton::toggled, this, [this](bool checked) {
        if (checked) rbCombineClick();
    });
    connect(movie_intro, &AnimationControl::doubleClicked, this, &TfmMain::movie_introDblClick);
}

bool TfmMain::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
        type == QEvent::MouseButtonDblClick) {
        lastInputStamp_ = static_cast<QMouseEvent*>(event)->timestamp();
        lastInputSeen_.start();
        return false;
    }
    if (type != QEvent::ShortcutOverride && type != QEvent::KeyPress) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != this) return false;
    return runKey(*static_cast<QKeyEvent*>(event));
}

bool TfmMain::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) FormActivate();
    return QWidget::event(event);
}

void TfmMain::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // A platform that never activates the window (offscreen) still gets the reset, once the
    // window is up.
    if (!activated_) {
        QTimer::singleShot(0, this, [this] {
            if (isVisible()) FormActivate();
        });
    }
}

void TfmMain::closeEvent(QCloseEvent* event) {
    if (jobRunning_) {
        // The job runs on to its end; the window closes when its handler has returned.
        closePending_ = true;
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void TfmMain::showInNextSlot(ImageButton* button) {
    button->move(btnNext->x(), button->y());
    button->show();
    slotChanged(button);
}

void TfmMain::showInBackSlot(ImageButton* button) {
    button->move(btnBack->x(), button->y());
    button->show();
    slotChanged(button);
}

void TfmMain::slotChanged(ImageButton* button) {
    // Without a mouse event seen yet, no press can be the second half of a double-click.
    if (!lastInputSeen_.isValid()) return;
    const quint64 now = lastInputStamp_ + quint64(lastInputSeen_.elapsed());
    button->refuseMousePressesBefore(
        now + quint64(QGuiApplication::styleHints()->mouseDoubleClickInterval()));
}

void TfmMain::FormActivate() {
    if (activated_) return;
    activated_ = true;
    movie_process->stop();
    movie_intro->stop();
    movie_arrows->stop();
    pnlDivide->hide();
    pnlCombine->hide();
    pnlProgress->hide();
    pnlDone->hide();
    pnlInit->show();
    setWindowTitle(QStringLiteral("Partory"));
    // The application title; not the display name, which Qt would append to other captions.
    QCoreApplication::setApplicationName(QStringLiteral("Partory"));
    btnFinish->hide();
    btnPause->hide();
    btnContinue->hide();
    btnCancel->hide();
    btnBack->setEnabled(false);
    btnNext->setText(QStringLiteral("Next"));
    btnNext->setEnabled(true);
    btnNext->show();
    btnBack->show();
    movie_intro->setStrip(QStringLiteral("movie"), strip(QStringLiteral("movie")));
    movie_intro->start();
    focusShownPage();
    pump_.PumpAll();
}

void TfmMain::focusShownPage() {
    if (pnlInit->isVisible()) {
        (rbDivide->isChecked() ? rbDivide : rbCombine)->setFocus();
    } else if (pnlProgress->isVisible()) {
        // The progress and completion pages have no control that takes the keyboard: their
        // status line and heading take it, so that a screen reader reads them as they show
        // and change, and no key reaches a field of a hidden page.
        lblProcessStatus->setFocus();
    } else if (pnlDone->isVisible()) {
        lblDone->setFocus();
    } else {
        setFocus();
    }
}

void TfmMain::rbDivideClick() {
    movie_intro->setStrip(QStringLiteral("movie"), strip(QStringLiteral("movie")));
    movie_intro->start();
    pump_.PumpAll();
}

void TfmMain::rbCombineClick() {
    movie_intro->setStrip(QStringLiteral("reversed"), strip(QStringLiteral("reversed")));
    movie_intro->start();
    pump_.PumpAll();
}

void TfmMain::movie_introDblClick() {
    if (rbDivide->isChecked()) {
        rbCombine->setChecked(true);
    } else {
        rbDivide->setChecked(true);
    }
}

void TfmMain::btnNextClick() {
    if (pnlInit->isVisible()) {
        movie_intro->stop();
        pnlInit->hide();
        if (rbDivide->isChecked()) {
            pnlDivide->show();
            edFromFile->setFocus();
        } else {
            pnlCombine->show();
            movie_arrows->start();
            list->setFocus();
        }
        btnNext->setText(QStringLiteral("Start"));
        slotChanged(btnNext);
        btnBack->setEnabled(true);
        pump_.PumpAll();
        return;
    }
    if (pnlDivide->isVisible() || pnlCombine->isVisible()) startJob();
}

void TfmMain::btnBackClick() {
    // Back acts only from a settings page: on the task page it is disabled, and during a job
    // and on the completion page it is hidden.
    if (!pnlDivide->isVisible() && !pnlCombine->isVisible()) return;
    backAction();
}

void TfmMain::backAction() {
    if (pnlDivide->isVisible()) pnlDivide->hide();
    if (pnlCombine->isVisible()) pnlCombine->hide();
    pnlInit->show();
    movie_arrows->stop();
    movie_intro->start();
    btnNext->setText(QStringLiteral("Next"));
    slotChanged(btnNext);
    btnBack->setEnabled(false);
    focusShownPage();
    pump_.PumpAll();
}

void TfmMain::btnFinishClick() {
    close();
}

void TfmMain::btnStartOverClick() {
    if (!pnlDone->isVisible()) return;
    pnlDone->hide();
    btnFinish->hide();
    backAction();
    btnBack->setEnabled(false);
    btnNext->setEnabled(true);
    showInBackSlot(btnBack);
    showInNextSlot(btnNext);
    pump_.PumpAll();
}

void TfmMain::btnAboutClick() {
    if (fmAbout == nullptr) fmAbout = new TfmAbout(dialogs_, this);
    RunModal(*fmAbout);
}

void TfmMain::OPEN1Click() {
    if (pnlDivide->isVisible()) edFromFileDblClick();
}

void TfmMain::SAVE1Click() {
    if (pnlCombine->isVisible()) edSaveCombinedDblClick();
}
