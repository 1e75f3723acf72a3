// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The system's own links and file protection, for tests of what the program
// does when it meets them: symbolic links (on Windows: reparse-point links,
// not .lnk shortcuts), a folder's junction, hard links and the read-only
// state of a file (whether a path is a link: vamo::isLink). One file per platform; each returns false where this
// system (or Wine) cannot make the thing, so the test can be skipped.
namespace vamo::test {

bool makeFileLink(const QString& target, const QString& link);
// A link to a folder: a symbolic link on POSIX, a junction on Windows.
bool makeFolderLink(const QString& target, const QString& link);
bool makeHardLink(const QString& existing, const QString& link);
bool setReadOnly(const QString& path);
// Read-only for its owner (POSIX mode, Windows attribute).
bool isReadOnly(const QString& path);

} // namespace vamo::test
