// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace vamo {

// The program folder: the executable's folder, holding the build workspace,
// jre/ (downloaded files) and the default save folder jar/. Where that folder
// is not writable, or the program is installed (its templates lie in the
// installed data folder, not beside it), the user's data folder takes its
// place. Needs a QCoreApplication.
[[nodiscard]] QString programFolder();

// Folder holding the reader templates DuvEver.dll and DuvEverMoto.dll: the
// program folder when they lie there, else the installed data folder.
[[nodiscard]] QString templateFolder();

// The installed data folder, <prefix>/share/vamobook beside the installed
// <prefix>/bin that holds the executable (it need not exist).
[[nodiscard]] QString installDataFolder();

// The file that lists the book folders of unfinished builds
// (packaging/UnfinishedBuilds.h): "unfinished-builds.txt" in the user's
// data folder of the windows' program, which the command line shares
// (~/.local/share/vamobook/ on Linux, %APPDATA%\vamobook\ on Windows).
// Needs a QCoreApplication.
[[nodiscard]] QString unfinishedBuildsList();

// The default save folder: the program folder's jar/, with a trailing
// separator.
[[nodiscard]] QString defaultSaveFolder(const QString& programFolder);

} // namespace vamo
