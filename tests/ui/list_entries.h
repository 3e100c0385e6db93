// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QListWidget>
#include <QStringList>

// What a list widget shows, for the tests of the combine page's list.

inline QStringList Entries(const QListWidget* list) {
    QStringList entries;
    for (int row = 0; row < list->count(); ++row) entries << list->item(row)->text();
    return entries;
}

inline QList<int> SelectedRows(const QListWidget* list) {
    QList<int> rows;
    for (const QListWidgetItem* item : list->selectedItems()) rows << list->row(item);
    return rows;
}
