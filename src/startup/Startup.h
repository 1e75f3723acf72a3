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
// (with everything in it) and the command script. Run at start-up and at
// exit; finds nothing to do on a clean program folder. The script is
// removed only from a real jre folder: where jre is a link, the file it
// leads to lies outside the program folder and stays.
[[nodiscard]] Result<void> removeBuildLeftovers(const QString& programFolder, const PumpFn& pump = {});

// Makes sure the save folder exists, creating missing levels.
[[nodiscard]] Result<void> createSaveFolder(const QString& folder);

} // namespace vamo
