// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Error.h"

#include <QString>

#include <functional>

namespace vamo {

// Called after every entry a long file-system loop handles, so that the
// caller can keep its window painting.
using PumpFn = std::function<void()>;

// The build workspace and the command script below the program folder.
[[nodiscard]] QString workspaceFolder(const QString& programFolder);   // <P>/vamobooktemp
[[nodiscard]] QString commandScriptPath(const QString& programFolder); // <P>/jre/vamo.bat

// Deletes the folder `currPath` with everything below it, read-only and
// hidden files included, without changing any file's mode. Symbolic links
// (and junctions) met anywhere below it are removed as links;
// what they point to is never touched. A path that does not exist is not an
// error. When something cannot be removed the rest is still removed and the
// message names the first entry that stayed.
[[nodiscard]] Result<void> RecurseTree(const QString& currPath, const PumpFn& pump = {});

// What an interrupted or finished build may have left behind: the workspace
// (with everything in it) and the command script, what killed builds left in
// the book folders of the default save folder and of the folders on the list
// of unfinished builds in the file `unfinishedList` (UnfinishedBuilds.h; a
// folder is taken off once nothing is left there). Run at start-up and at
// exit; finds nothing to do on a clean program folder. The script is
// removed only from a real jre folder: where jre is a link, the file it
// leads to lies outside the program folder and stays.
[[nodiscard]] Result<void> removeBuildLeftovers(const QString& programFolder, const PumpFn& pump = {},
                                                const QString& unfinishedList = {});

// Makes sure the save folder exists, creating missing levels.
[[nodiscard]] Result<void> createSaveFolder(const QString& folder);

} // namespace vamo
