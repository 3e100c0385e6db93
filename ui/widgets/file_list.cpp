// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/file_list.h"

#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QUrl>

namespace {

// Rows of a fixed height, as wide as the extent: an entry is drawn over the whole width the
// list scrolls over, so a long path is clipped at the extent and never elided.
class RowDelegate : public QStyledItemDelegate {
  public:
    explicit RowDelegate(FileList* list) : QStyledItemDelegate(list), list_(list) {}

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return QSize(list_->horizontalExtent(), FileList::kRowHeight);
    }

  private:
    FileList* list_;
};

// Cheap enough for every mouse move of a drag; the drop itself checks that the files exist.
bool OffersLocalFiles(const QMimeData* data) {
    if (data == nullptr || !data->hasUrls()) return false;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) return true;
    }
    return false;
}

QStringList DroppedFiles(const QMimeData* data) {
    QStringList files;
    if (data == nullptr || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) continue;
        const QFileInfo info(url.toLocalFile());
        if (info.isFile()) files << info.absoluteFilePath();
    }
    return files;
}

}  // namespace

FileList::FileList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSortingEnabled(false);
    setUniformItemSizes(true);
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setItemDelegate(new RowDelegate(this));
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
}

void FileList::setHorizontalExtent(int pixels) {
    pixels = qMax(0, pixels);
    if (pixels == extent_) return;
    extent_ = pixels;
    // Row widths follow the extent: lay the rows out again.
    scheduleDelayedItemsLayout();
    updateGeometries();
}

void FileList::updateGeometries() {
    QListWidget::updateGeometries();
    // Scrolls sideways over the extent only, whatever the entries' own widths.
    QScrollBar* bar = horizontalScrollBar();
    bar->setRange(0, qMax(0, extent_ - viewport()->width()));
    bar->setPageStep(viewport()->width());
}

void FileList::dragEnterEvent(QDragEnterEvent* event) {
    if (!OffersLocalFiles(event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void FileList::dragMoveEvent(QDragMoveEvent* event) {
    if (!OffersLocalFiles(event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void FileList::dropEvent(QDropEvent* event) {
    const QStringList files = DroppedFiles(event->mimeData());
    if (files.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit filesDropped(files);
}
