// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// The book folders where builds have begun and not yet ended, kept in a small
// file of the user's data folder shared by every run of the programs: a
// build killed anywhere is found again at the next start, wherever its book
// folder lies. Processes building at once each append to it; the list is a
// help to the start's clean-up, not a record a build needs, so an entry lost
// to two processes at once costs only that (the next build of that book
// clears it anyway). The file goes when no folder is left on it.
namespace vamo::unfinishedBuilds {

// Adds `bookFolder` to the list in the file `list` (a build begins there).
void note(const QString& list, const QString& bookFolder);

// Takes `bookFolder` off the list (its build ended, or what it left is gone).
void forget(const QString& list, const QString& bookFolder);

// The folders on the list.
[[nodiscard]] QStringList folders(const QString& list);

} // namespace vamo::unfinishedBuilds
