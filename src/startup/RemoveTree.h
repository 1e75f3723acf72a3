// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "startup/Startup.h"

#include <QString>

// The file-system part of the start-up clean-up, one file per platform.
namespace vamo {

// Removes `path` (absolute, clean) with everything below it. A link or
// junction, at the top or anywhere below, is removed as a link and what it
// leads to is never touched; read-only entries go without any file's
// attributes or mode being changed. Returns false when something stayed,
// `firstFailure` naming the first entry that did. A missing path is no
// failure.
[[nodiscard]] bool removeTree(const QString& path, const PumpFn& pump, QString& firstFailure);

// Removes the file `relative` (folder/name) below the program folder unless
// its folder is a link: then the file is not the program's and stays.
// Whether nothing of the program's stays there.
[[nodiscard]] bool removeFileNotThroughLink(const QString& programFolder, const QString& relative);

} // namespace vamo
