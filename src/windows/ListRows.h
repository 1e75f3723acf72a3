// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QListWidget>

// The remove, up and down buttons of a list of file names (the folder tab's
// book queue, the import window's file list): they change the list only,
// never a file.
namespace vamo::rows {

// Removes the selected entry; the entry that moves into its place is
// selected, or the new last one when the last was removed, or none when it
// was the only one. Nothing happens without a selection.
inline void removeSelected(QListWidget* list)
{
    const int row = list->currentRow();
    const int count = list->count();
    if (row < 0 || count == 0)
        return;
    delete list->takeItem(row);
    if (row == count - 1)
        list->setCurrentRow(row == 0 ? -1 : row - 1);
    else
        list->setCurrentRow(row);
}

// Swaps two entries whole: the text shown and every data role (such as the
// name that opens a file whose name is not valid UTF-8).
inline void swapRows(QListWidget* list, int a, int b)
{
    QListWidgetItem* x = list->item(a);
    QListWidgetItem* y = list->item(b);
    const QListWidgetItem held(*x);
    *x = *y;
    *y = held;
}

// Swaps the selected entry with the one before it and keeps it selected;
// nothing happens on the first entry or in a list of fewer than two.
inline void moveSelectedUp(QListWidget* list)
{
    const int row = list->currentRow();
    if (row <= 0 || list->count() <= 1)
        return;
    swapRows(list, row - 1, row);
    list->setCurrentRow(row - 1);
}

// Swaps the selected entry with the one after it and keeps it selected;
// nothing happens without a selection, on the last entry or in a list of
// fewer than two.
inline void moveSelectedDown(QListWidget* list)
{
    const int row = list->currentRow();
    if (row < 0 || row >= list->count() - 1 || list->count() <= 1)
        return;
    swapRows(list, row, row + 1);
    list->setCurrentRow(row + 1);
}

} // namespace vamo::rows
