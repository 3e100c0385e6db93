// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main window of the program, one wizard for the whole run.
//
// How it fits together: the controls of the pages hold the job settings for the whole run.
// "Start" (btnNextClick) copies the fields of the visible page into a DivideSettings or
// CombineSettings record, has the engine check them, writes the tidied texts back into the
// controls and, when the check passed, runs the job right here on the window's only thread.
// The job reports to the progress bar `bar` and lets window events run through an EventPump
// after each unit of work; that is how Pause, Continue and Cancel reach it, by changing the
// RunState that this unit owns. When the job returns, its outcome (Succeeded and ResultText of
// that RunState) is shown on the completion page.
//
// The class is split over files: unMain.cpp (window, header, button bar, task page, page
// flow), unMainJob.cpp (progress and completion pages, the job run), unMainDivide.cpp and
// unMainCombine.cpp (the two settings pages), unMainKeys.cpp (the hidden menu and the buttons'
// keys) and unMainAccessibility.cpp (what a screen reader learns of the controls).

#include <QElapsedTimer>
#include <QHash>
#include <QPixmap>
#include <QString>
#include <QWidget>

#include "partory/combine_job.h"
#include "partory/divide_job.h"
#include "partory/run_control.h"
#include "platform/event_pump.h"
#include "platform/user_dialogs.h"
#include "widgets/file_list.h"
#include "widgets/picture_strip.h"
#include "widgets/size_spin_edit.h"
#include "widgets/template_edit.h"

class QAction;
class QCheckBox;
class QComboBox;
class QFileDialog;
class QLabel;
class QLineEdit;
class QMenu;
class QRadioButton;
class AnimationControl;
class BrowseEdit;
class ImageButton;
class PercentBar;
class TfmAbout;

// The run-control record of every job of this program run.
partory::RunState& MainRunState();
// Puts a text tidied by a settings check back into its field.
void WriteBack(QLineEdit* field, const std::string& tidied);

class TfmMain : public QWidget {
    Q_OBJECT

  public:
    // Jobs read and write through `files`; every message box and common dialog goes through
    // `dialogs`.
    explicit TfmMain(partory::FileLayer& files = partory::OsFileLayer(),
                     UserDialogs& dialogs = QtDialogs(), QWidget* parent = nullptr);
    ~TfmMain() override;

    // The window's named picture strips ("new_3d", "movie", "small_balls"...); a null strip
    // for an unknown name.
    PictureStrip strip(const QString& name) const { return strips_.value(name); }
    // True from "Start" passing its check until the job's handler has returned.
    bool jobRunning() const { return jobRunning_; }

    // Header.
    QWidget* pnlHeader = nullptr;
    QLabel* imgHeaderRamp = nullptr;
    QLabel* imgProductIcon = nullptr;
    QLabel* lblHeader = nullptr;
    QLabel* imgBadge = nullptr;

    // The five pages, all on the same place.
    QWidget* pnlInit = nullptr;
    QWidget* pnlDivide = nullptr;
    QWidget* pnlCombine = nullptr;
    QWidget* pnlProgress = nullptr;
    QWidget* pnlDone = nullptr;

    // Button bar.
    QWidget* pnlButtons = nullptr;
    QWidget* pnlButtonsStrip = nullptr;
    ImageButton* btnAbout = nullptr;
    ImageButton* btnBack = nullptr;
    ImageButton* btnNext = nullptr;
    ImageButton* btnFinish = nullptr;
    ImageButton* btnPause = nullptr;
    ImageButton* btnContinue = nullptr;
    ImageButton* btnCancel = nullptr;

    // Task page.
    QLabel* lblStep1 = nullptr;
    QLabel* lblSelectTask = nullptr;
    QRadioButton* rbDivide = nullptr;
    QRadioButton* rbCombine = nullptr;
    AnimationControl* movie_intro = nullptr;
    QLabel* lblStep2 = nullptr;
    QLabel* lblClickNext = nullptr;

    // Divide page.
    QLabel* Label5 = nullptr;
    QLabel* Label6 = nullptr;
    BrowseEdit* edFromFile = nullptr;
    QLabel* Label12 = nullptr;
    BrowseEdit* edToFolder = nullptr;
    QLabel* Label13 = nullptr;
    SizeSpinEdit* edDivideBytes = nullptr;
    QComboBox* boxDivideType = nullptr;
    QLabel* Label16 = nullptr;
    TemplateLineEdit* edNewNames = nullptr;
    ImageButton* btnDivide_AddName = nullptr;
    ImageButton* btnDivide_AddExtension = nullptr;
    QCheckBox* boxUpperCase = nullptr;
    ImageButton* btnDivide_AddCounter = nullptr;
    QLabel* Label17 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label3 = nullptr;

    // Combine page.
    QLabel* Label10 = nullptr;
    QLabel* lbl_total = nullptr;
    AnimationControl* movie_arrows = nullptr;
    FileList* list = nullptr;
    ImageButton* btnCombinedAdd = nullptr;
    ImageButton* btnCombinedRemove = nullptr;
    ImageButton* btnCombinedClear = nullptr;
    ImageButton* btnCombinedReverse = nullptr;
    ImageButton* btnCombinedMoveUp = nullptr;
    ImageButton* btnCombinedMoveDown = nullptr;
    QLabel* Label20 = nullptr;
    QLabel* Label11 = nullptr;
    BrowseEdit* edSaveCombined = nullptr;
    QLabel* Label9 = nullptr;
    QLabel* Label7 = nullptr;
    QFileDialog* open_d = nullptr;
    // The list's context menu; its icons come from ImageList1 (the side buttons' glyphs). The
    // shortcuts it shows belong to the hidden menu.
    QMenu* PopupMenu1 = nullptr;
    QAction* ppmAddfiles = nullptr;
    QAction* N1 = nullptr;
    QAction* ppmMoveup = nullptr;
    QAction* ppmMovedown = nullptr;
    QAction* ppmReversefileorder = nullptr;
    QAction* N2 = nullptr;
    QAction* ppmDropfile = nullptr;
    QAction* ppmDropallfiles = nullptr;
    PictureStrip ImageList1;
    // The width in pixels over which `list` scrolls sideways (only Add raises it, only Clear
    // resets it).
    int listHorizontalExtent() const;

    // Progress page.
    QLabel* lblProcessStatus = nullptr;
    PercentBar* bar = nullptr;
    AnimationControl* movie_process = nullptr;

    // Completion page.
    QLabel* imgDoneOK = nullptr;
    QLabel* imgDoneError = nullptr;
    QLabel* lblDone = nullptr;
    QLabel* lblDoneExplanation = nullptr;
    ImageButton* btnStartOver = nullptr;

    // The hidden menu: its items exist only for their keyboard shortcuts.
    QMenu* MainMenu1 = nullptr;
    QAction* UP1 = nullptr;
    QAction* DOWN1 = nullptr;
    QAction* ADD1 = nullptr;
    QAction* REMOVE1 = nullptr;
    QAction* CLEAR1 = nullptr;
    QAction* REVERSE1 = nullptr;
    QAction* OPEN1 = nullptr;
    QAction* SAVE1 = nullptr;

    TfmAbout* fmAbout = nullptr;

  public slots:
    // Page flow.
    void FormActivate();
    void btnNextClick();
    void btnBackClick();
    void btnFinishClick();
    void btnStartOverClick();
    void rbDivideClick();
    void rbCombineClick();
    void movie_introDblClick();
    void btnAboutClick();
    void OPEN1Click();
    void SAVE1Click();

    // Progress and completion pages.
    void EnterProgressPage();
    void btnPauseClick();
    void btnContinueClick();
    void btnCancelClick();
    void ShowJobOutcome();

    // Divide page.
    void edFromFileDblClick();
    void edFromFileDlgChange();
    void edFromFileChange();
    void edToFolderDblClick();
    void edDivideBytesExit();
    // The three insert buttons; the sender's tag is the piece.
    void btnDivide_AddNameClick();

    // Combine page.
    void btnCombinedAddClick();
    void btnCombinedRemoveClick();
    void btnCombinedClearClick();
    void btnCombinedReverseClick();
    void btnCombinedMoveUpClick();
    void btnCombinedMoveDownClick();
    void edSaveCombinedDblClick();
    void UpdateTotal();
    // `pos` in the coordinates of the list's viewport.
    void listContextPopup(const QPoint& pos);
    // Files dropped on the list from a file manager.
    void listDragDrop(const QStringList& paths);
    bool HasSelectedFile();
    // Appends paths in natural order, raising the horizontal extent for long ones.
    void AppendFiles(const QStringList& paths);

  protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    void loadPictures();
    QWidget* createPage(const QString& name);
    ImageButton* createBarButton(const QString& name, const QString& caption, int left);
    void createHeader();
    void createButtonBar();
    void createTaskPage();
    void createHiddenMenu();
    void createDividePage();
    void createCombinePage();
    void createProgressPage();
    void createDonePage();

    // Button-bar slots: a button standing in a slot takes the slot's left edge.
    void showInNextSlot(ImageButton* button);
    void showInBackSlot(ImageButton* button);
    // The button in a slot has just changed (another one, or another caption): for the
    // double-click time from now, mouse presses do not press it, as they were aimed at the
    // button that stood there before (the second press of a double-click above all).
    void slotChanged(ImageButton* button);

    // Whenever a page has been hidden: the keyboard goes to the page now shown (the checked task
    // button, the status line, the outcome's heading), never stays in a field of the hidden
    // page.
    void focusShownPage();
    // Back's seven steps, shared by "Back" and the start-over button.
    void backAction();
    // "Start": the check of the visible page, then the job.
    void startJob();
    // The settings as the divide and combine pages hold them.
    partory::DivideSettings readDivideSettings() const;
    void writeBackDivideSettings(const partory::DivideSettings& settings);
    double divideBytesValue() const;
    partory::CombineSettings readCombineSettings() const;
    void writeBackCombineSettings(const partory::CombineSettings& settings);

    // Gives every image button of the window its keys. Runs after the hidden menu exists.
    void giveButtonsTheirKeys();
    // Runs the hidden menu item or presses the image button whose key this is, from whichever
    // control has the focus; false when the key is neither's.
    bool runKey(QKeyEvent& key);
    // The hidden menu item whose shortcut is `pressed`, if any.
    QAction* menuItemForKey(QKeyCombination pressed) const;
    // The image buttons of this window, not of a window it owns.
    QList<ImageButton*> ownButtons() const;
    // Whether `pressed` is a key of any image button, for any caption, shown or not.
    bool isButtonKey(QKeyCombination pressed) const;
    // The button that `pressed` presses now: shown, enabled, and with `pressed` as the key of
    // the caption it shows. Null when there is none.
    ImageButton* buttonForKey(QKeyCombination pressed) const;

    // Names the controls that show no text of their own (the glyph buttons, the browse
    // buttons, the list, the progress bar, the outcome pictures) and ties each field to the
    // label beside it.
    void nameControlsForAccessibility();

    partory::FileLayer& files_;
    UserDialogs& dialogs_;
    // The window's one pump: the jobs' and the page flow's.
    QtEventPump pump_;
    QHash<QString, PictureStrip> strips_;
    bool activated_ = false;
    bool jobRunning_ = false;
    bool closePending_ = false;
    // The stamp of the last mouse press or release seen, and the time since it was seen: the
    // input events' own clock, read now.
    quint64 lastInputStamp_ = 0;
    QElapsedTimer lastInputSeen_;
};
