// SPDX-License-Identifier: GPL-3.0-or-later
// The combine page: the list of files to append, top to bottom, and the output file.

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QKeySequence>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>

#include "platform/user_dialogs.h"
#include "text/fonts.h"
#include "text/natural_order.h"
#include "widgets/animation_control.h"
#include "widgets/browse_edit.h"
#include "widgets/file_list.h"
#include "widgets/image_button.h"
#include "widgets/page_labels.h"
#include "window/unMain.h"

namespace {

// The list's right edge; the total grows to the left from here.
constexpr int kTotalRightEdge = 479;
// Room left after the widest path when the extent grows.
constexpr int kExtentMargin = 30;

// The row of the selected entry, or -1. The list allows one selected entry at most.
int SelectedRow(const QListWidget* list) {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    return selected.isEmpty() ? -1 : list->row(selected.first());
}

}  // namespace

void TfmMain::createCombinePage() {
    QWidget* page = pnlCombine;
    Label10 =
        PageLabel(page, "Label10", QStringLiteral("Step 3: Specify job details:"), 8, 3, true);

    lbl_total = new QLabel(QStringLiteral("Total:"), page);
    lbl_total->setObjectName(QStringLiteral("lbl_total"));
    lbl_total->setFont(WindowFont());
    lbl_total->setAlignment(Qt::AlignRight | Qt::AlignTop);
    lbl_total->adjustSize();
    lbl_total->move(kTotalRightEdge - lbl_total->width(), 6);

    movie_arrows = new AnimationControl(page);
    movie_arrows->setObjectName(QStringLiteral("movie_arrows"));
    movie_arrows->setGeometry(8, 28, 9, 135);
    movie_arrows->setInterval(100);
    movie_arrows->setStrip(QStringLiteral("movie_arrows"), strip(QStringLiteral("movie_arrows")));
    movie_arrows->setToolTip(QStringLiteral("List of files is combined\nfrom top to bottom"));

    list = new FileList(page);
    list->setObjectName(QStringLiteral("list"));
    list->setFont(WindowFont());
    list->setGeometry(24, 22, 457, 147);
    list->setToolTip(QStringLiteral("List of files to be combined\n(from top to bottom)"));
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this, &TfmMain::listContextPopup);
    connect(list, &FileList::filesDropped, this, &TfmMain::listDragDrop);

    const PictureStrip faces = strip(QStringLiteral("small_balls"));
    ImageList1 = strip(QStringLiteral("list_glyphs"));
    const auto sideButton = [&](const char* name, int left, int top, int glyph, const QString& hint,
                                void (TfmMain::*handler)()) {
        auto* button = new ImageButton(page);
        button->setObjectName(QString::fromLatin1(name));
        button->setFaces(faces);
        button->setGlyph(ImageList1.frame(glyph));
        button->setGeometry(left, top, 30, 30);
        button->setToolTip(hint);
        connect(button, &ImageButton::clicked, this, handler);
        return button;
    };
    btnCombinedAdd =
        sideButton("btnCombinedAdd", 486, 53, 0, QStringLiteral("Add files...\n(Ctrl + Insert)"),
                   &TfmMain::btnCombinedAddClick);
    btnCombinedRemove =
        sideButton("btnCombinedRemove", 522, 53, 1, QStringLiteral("Drop file...\n(Ctrl + Delete)"),
                   &TfmMain::btnCombinedRemoveClick);
    btnCombinedClear = sideButton("btnCombinedClear", 486, 88, 2,
                                  QStringLiteral("Clear list...\n(Shift + Ctrl + Delete)"),
                                  &TfmMain::btnCombinedClearClick);
    btnCombinedReverse =
        sideButton("btnCombinedReverse", 522, 88, 3, QStringLiteral("Reverse order\n(Ctrl + R)"),
                   &TfmMain::btnCombinedReverseClick);
    btnCombinedMoveUp =
        sideButton("btnCombinedMoveUp", 486, 123, 4, QStringLiteral("Move up\n(Ctrl + Up)"),
                   &TfmMain::btnCombinedMoveUpClick);
    btnCombinedMoveDown =
        sideButton("btnCombinedMoveDown", 522, 123, 5, QStringLiteral("Move down\n(Ctrl + Down)"),
                   &TfmMain::btnCombinedMoveDownClick);

    Label20 = PageLabel(page, "Label20", QStringLiteral("Step 4:"), 8, 178, true);
    Label11 = PageLabel(page, "Label11", QStringLiteral("Save combined files as:"), 8, 195, false);
    // The substitute face runs a few pixels wider than the one the page was laid out for;
    // closing the letters up a little keeps the caption clear of the field at 123.
    QFont condensed = Label11->font();
    condensed.setLetterSpacing(QFont::PercentageSpacing, 98);
    Label11->setFont(condensed);
    Label11->adjustSize();
    edSaveCombined = new BrowseEdit(BrowseEdit::Kind::SaveFile, page);
    edSaveCombined->setObjectName(QStringLiteral("edSaveCombined"));
    edSaveCombined->setFont(WindowFont());
    edSaveCombined->setGeometry(123, 192, 430, 21);
    edSaveCombined->setToolTip(QStringLiteral("Double-click to open dialog\n(Ctrl + S)"));
    AlignWithFieldText(Label11, *edSaveCombined);
    connect(edSaveCombined, &BrowseEdit::browseRequested, this, &TfmMain::edSaveCombinedDblClick);
    Label9 = PageLabel(page, "Label9", QStringLiteral("Step 5:"), 8, 227, true);
    Label7 = PageLabel(page, "Label7",
                       QStringLiteral("Click \"Start\" after you have completed the steps above"),
                       8, 244, false);
    setTabOrder(list, edSaveCombined);

    // One dialog for the window's lifetime: each use starts where the last one left off.
    open_d = new QFileDialog(this, QStringLiteral("Select files to add..."));
    open_d->setObjectName(QStringLiteral("open_d"));
    open_d->setAcceptMode(QFileDialog::AcceptOpen);
    open_d->setFileMode(QFileDialog::ExistingFiles);
    ApplyAnyFileFilter(*open_d);
    StopWatching(*open_d);

    // The menu only shows the shortcuts: the keys themselves belong to the hidden menu, and a
    // second live binding of the same key would make both ambiguous.
    PopupMenu1 = new QMenu(list);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    const auto menuItem = [&](const char* name, const QString& caption, int icon,
                              QKeyCombination shortcut, void (TfmMain::*handler)()) {
        const QString keys = QKeySequence(shortcut).toString(QKeySequence::NativeText);
        auto* item = new QAction(caption + QLatin1Char('\t') + keys, PopupMenu1);
        item->setObjectName(QString::fromLatin1(name));
        item->setIcon(QIcon(ImageList1.frame(icon)));
        PopupMenu1->addAction(item);
        connect(item, &QAction::triggered, this, handler);
        return item;
    };
    const auto separator = [&](const char* name) {
        QAction* item = PopupMenu1->addSeparator();
        item->setObjectName(QString::fromLatin1(name));
        return item;
    };
    ppmAddfiles = menuItem("ppmAddfiles", QStringLiteral("Add files..."), 0,
                           Qt::CTRL | Qt::Key_Insert, &TfmMain::btnCombinedAddClick);
    N1 = separator("N1");
    ppmMoveup = menuItem("ppmMoveup", QStringLiteral("Move up"), 4, Qt::CTRL | Qt::Key_Up,
                         &TfmMain::btnCombinedMoveUpClick);
    ppmMovedown = menuItem("ppmMovedown", QStringLiteral("Move down"), 5, Qt::CTRL | Qt::Key_Down,
                           &TfmMain::btnCombinedMoveDownClick);
    ppmReversefileorder = menuItem("ppmReversefileorder", QStringLiteral("Reverse order"), 3,
                                   Qt::CTRL | Qt::Key_R, &TfmMain::btnCombinedReverseClick);
    N2 = separator("N2");
    ppmDropfile = menuItem("ppmDropfile", QStringLiteral("Drop file..."), 1,
                           Qt::CTRL | Qt::Key_Delete, &TfmMain::btnCombinedRemoveClick);
    ppmDropallfiles =
        menuItem("ppmDropallfiles", QStringLiteral("Clear list..."), 2,
                 Qt::SHIFT | Qt::CTRL | Qt::Key_Delete, &TfmMain::btnCombinedClearClick);
}

int TfmMain::listHorizontalExtent() const {
    return list->horizontalExtent();
}

void TfmMain::UpdateTotal() {
    lbl_total->setText(QStringLiteral("Total: %1").arg(list->count()));
    lbl_total->adjustSize();
    lbl_total->move(kTotalRightEdge - lbl_total->width(), lbl_total->y());
}

bool TfmMain::HasSelectedFile() {
    if (list->count() == 0) {
        list->setFocus();
        return false;
    }
    const bool found = SelectedRow(list) >= 0;
    if (!found) {
        dialogs_.showMessage(this, UserDialogs::MessageKind::Information,
                             QStringLiteral("Select a file, please."));
    }
    list->setFocus();
    return found;
}

void TfmMain::AppendFiles(const QStringList& paths) {
    if (paths.isEmpty()) return;
    const QFontMetrics metrics(font());
    int extent = list->horizontalExtent();
    const QStringList ordered = InNaturalOrder(paths);
    for (const QString& path : ordered) {
        const int width = metrics.horizontalAdvance(path);
        if (width > extent + kExtentMargin) extent = width + kExtentMargin;
    }
    list->addItems(ordered);
    list->setHorizontalExtent(extent);
}

// The list commands act only while their page is shown: their shortcuts reach them from
// every page.

void TfmMain::btnCombinedAddClick() {
    if (!pnlCombine->isVisible()) return;
    QStringList chosen;
    {
        const WatchedWhileShown watched(*open_d);
        chosen = dialogs_.openFiles(*open_d);
    }
    AppendFiles(chosen);
    UpdateTotal();
    list->setFocus();
}

void TfmMain::listDragDrop(const QStringList& paths) {
    if (!pnlCombine->isVisible()) return;
    AppendFiles(paths);
    UpdateTotal();
    list->setFocus();
}

void TfmMain::btnCombinedRemoveClick() {
    if (!pnlCombine->isVisible()) return;
    if (!HasSelectedFile()) return;
    const int row = SelectedRow(list);
    const QString question = QStringLiteral("Do you want to drop the following file:\r") +
                             list->item(row)->text() + QStringLiteral("   ?");
    if (dialogs_.showMessage(this, UserDialogs::MessageKind::Question, question)) {
        delete list->takeItem(row);
        list->clearSelection();
    }
    UpdateTotal();
    list->setFocus();
}

void TfmMain::btnCombinedClearClick() {
    if (!pnlCombine->isVisible()) return;
    if (list->count() == 0) {
        list->setFocus();
        return;
    }
    if (!dialogs_.showMessage(this, UserDialogs::MessageKind::Question,
                              QStringLiteral("Do you want to drop all the files ?"))) {
        list->setFocus();
        return;
    }
    list->clear();
    list->setHorizontalExtent(0);
    UpdateTotal();
    list->setFocus();
}

void TfmMain::btnCombinedReverseClick() {
    if (!pnlCombine->isVisible()) return;
    if (list->count() == 0) {
        list->setFocus();
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QStringList reversed;
    reversed.reserve(list->count());
    for (int row = list->count() - 1; row >= 0; --row) reversed << list->item(row)->text();
    list->clear();
    list->addItems(reversed);
    QApplication::restoreOverrideCursor();
    pump_.PumpAll();
    UpdateTotal();
    list->setFocus();
}

void TfmMain::btnCombinedMoveUpClick() {
    if (!pnlCombine->isVisible()) return;
    if (!HasSelectedFile()) return;
    const int row = SelectedRow(list);
    if (row == 0) return;
    QListWidgetItem* moved = list->item(row);
    QListWidgetItem* other = list->item(row - 1);
    const QString text = moved->text();
    moved->setText(other->text());
    other->setText(text);
    list->setCurrentRow(row - 1, QItemSelectionModel::ClearAndSelect);
    UpdateTotal();
    list->setFocus();
}

void TfmMain::btnCombinedMoveDownClick() {
    if (!pnlCombine->isVisible()) return;
    if (!HasSelectedFile()) return;
    const int row = SelectedRow(list);
    if (row + 1 >= list->count()) return;
    QListWidgetItem* moved = list->item(row);
    QListWidgetItem* other = list->item(row + 1);
    const QString text = moved->text();
    moved->setText(other->text());
    other->setText(text);
    list->setCurrentRow(row + 1, QItemSelectionModel::ClearAndSelect);
    UpdateTotal();
    list->setFocus();
}

void TfmMain::listContextPopup(const QPoint& pos) {
    if (list->count() > 0) {
        if (QListWidgetItem* item = list->itemAt(pos)) {
            list->setCurrentItem(item, QItemSelectionModel::ClearAndSelect);
        }
    }
    PopupMenu1->exec(list->viewport()->mapToGlobal(pos));
}

void TfmMain::edSaveCombinedDblClick() {
    edSaveCombined->setFocus();
    const QString chosen = dialogs_.saveFile(this);
    if (!chosen.isEmpty()) edSaveCombined->setText(chosen);
}

partory::CombineSettings TfmMain::readCombineSettings() const {
    partory::CombineSettings settings;
    settings.InputPaths.reserve(list->count());
    for (int row = 0; row < list->count(); ++row) {
        settings.InputPaths.push_back(list->item(row)->text().toStdString());
    }
    settings.OutputPath = edSaveCombined->text().toStdString();
    return settings;
}

void TfmMain::writeBackCombineSettings(const partory::CombineSettings& settings) {
    WriteBack(edSaveCombined, settings.OutputPath);
}
