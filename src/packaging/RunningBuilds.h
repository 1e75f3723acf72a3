// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>
#include <QString>

#include <functional>
#include <memory>

// The files and folders that the builds running in this process have made
// and not yet put in place or removed: temporary volumes, journals, lock
// files, book folders. A process told to end (an interrupt) removes them on
// its way out, from a thread of its own, while the build may still be
// making more: listing and making are one step against that removal.
namespace vamo::runningBuilds {

enum class Kind { File, Folder };

// Lists `path` and runs `make`, which creates it, as one step: the removal
// for an interrupt sees the path made or not yet begun, never half way. A
// failed `make` leaves the path unlisted. Returns what `make` returned.
bool listWhile(const QString& path, Kind kind, const std::function<bool()>& make);

// The path is no longer the build's to remove: put in place, or removed.
void unlist(const QString& path);

// Removes every listed file, then every listed folder that is empty, and
// holds the list from then on (a build that goes on waits in listWhile):
// for a process about to end. Not from a signal handler; from a thread of
// its own.
void removeAllAndHold();

// Creates the file `path` exclusively, never through a link, and opens it
// with `mode`; null when it cannot. As the removal for an interrupt needs
// it, the file can be removed while it is open.
[[nodiscard]] std::unique_ptr<QFile> openNewFile(const QString& path, QIODevice::OpenMode mode);

// Opens the regular file `path` that a build made (with openNewFile) again,
// for reading and writing, never through a link; null when it cannot. It can
// be removed while open, as openNewFile's.
[[nodiscard]] std::unique_ptr<QFile> openOwnFile(const QString& path);

} // namespace vamo::runningBuilds
