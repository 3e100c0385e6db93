// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QListWidget>
#include <QStringList>

// The combine page's list of file paths. Its horizontal extent (the width over which it
// scrolls sideways) is set by its owner rather than taken from the entries, and files dropped
// on it from a file manager are handed to the owner.
class FileList : public QListWidget {
    Q_OBJECT
  public:
    explicit FileList(QWidget* parent = nullptr);

    int horizontalExtent() const { return extent_; }
    void setHorizontalExtent(int pixels);
    // Entry height in pixels.
    static constexpr int kRowHeight = 13;

  signals:
    // Existing files dropped on the list, in the order the drop gave them.
    void filesDropped(const QStringList& paths);

  protected:
    void updateGeometries() override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    int extent_ = 0;
};
