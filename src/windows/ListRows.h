// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "intake/NaturalOrder.h"

#include <QAction>
#include <QKeyEvent>
#include <QListWidget>

#include <algorithm>
#include <functional>
#include <ranges>
#include <utility>

// The remove, up and down buttons of a list of file names (the folder tab's
// book queue, the import window's file list), its Delete key, dragging and
// sorting: they change the list only, never a file.
namespace vamo::rows {

// The selected rows, rising; the current row alone when it is not among
// them; none without a current row (the list's selected position).
inline QList<int> selectedRows(const QListWidget* list)
{
    QList<int> rows;
    if (list->currentRow() < 0)
        return rows;
    for (const QModelIndex& index : list->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    // A current row outside the selection (moved there without selecting)
    // is the one meant.
    if (!rows.contains(list->currentRow()))
        rows = {list->currentRow()};
    return rows;
}

// Selects `rows` alone (the first of them current), or nothing.
inline void selectRows(QListWidget* list, const QList<int>& rows)
{
    list->clearSelection();
    list->setCurrentRow(rows.isEmpty() || rows.front() < 0 || rows.front() >= list->count() ? -1 : rows.front());
    // The current row is selected with it; the others are added.
    for (int row : rows.mid(1)) {
        if (row >= 0 && row < list->count())
            list->item(row)->setSelected(true);
    }
}

// Removes the selected entries; the entry that moves into the first one's
// place is selected, or the new last one when the last were removed, or none
// when the list is empty. Nothing happens without a selection.
inline void removeSelected(QListWidget* list)
{
    const QList<int> rows = selectedRows(list);
    if (rows.isEmpty() || list->count() == 0)
        return;
    for (const int row : std::views::reverse(rows))
        delete list->takeItem(row);
    const int count = list->count();
    selectRows(list, {count == 0 ? -1 : std::min(rows.front(), count - 1)});
}

// Sorts the entries by the names they show, in reading order (numbers by
// their value, Chinese by its collation); each entry moves whole.
inline void sortByName(QListWidget* list)
{
    QStringList names;
    for (int i = 0; i < list->count(); ++i)
        names.append(list->item(i)->text());
    const QList<qsizetype> order = naturalOrder(names);
    QList<QListWidgetItem*> items;
    for (int i = list->count() - 1; i >= 0; --i)
        items.prepend(list->takeItem(i));
    for (qsizetype at : order)
        list->addItem(items[at]);
    selectRows(list, {});
}

// Calls an action for a key of a list (Delete, Ctrl+Z).
class KeyAction : public QObject {
public:
    KeyAction(QWidget* on, QKeySequence::StandardKey key, std::function<void()> action)
        : QObject(on), m_key(key), m_action(std::move(action))
    {
        on->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(e)->matches(m_key)) {
            m_action();
            return true;
        }
        return QObject::eventFilter(watched, e);
    }

private:
    QKeySequence::StandardKey m_key;
    std::function<void()> m_action;
};

// A list whose entries may be selected several at once and dragged to a new
// place; Delete calls `remove`.
inline void allowSelectionAndDragging(QListWidget* list, std::function<void()> remove)
{
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setDragDropMode(QAbstractItemView::InternalMove);
    list->setDefaultDropAction(Qt::MoveAction);
    new KeyAction(list, QKeySequence::Delete, std::move(remove));
}

// A file list: as above, Delete removes the selected entries, and its
// context menu sorts it by name ("按文件名排序").
inline void makeFileListEditable(QListWidget* list)
{
    allowSelectionAndDragging(list, [list] { removeSelected(list); });
    list->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* sort = new QAction(QStringLiteral("按文件名排序"), list);
    sort->setObjectName(QStringLiteral("sortByName"));
    QObject::connect(sort, &QAction::triggered, list, [list] { sortByName(list); });
    list->addAction(sort);
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
    selectRows(list, {row - 1});
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
    selectRows(list, {row + 1});
}

} // namespace vamo::rows
