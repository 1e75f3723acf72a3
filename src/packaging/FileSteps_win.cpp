// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/BuildFiles.h"

#include <QDir>

#include <windows.h>

// MoveFileExW with MOVEFILE_REPLACE_EXISTING puts a file over another name
// in one step, replacing a link at the target rather than what it leads to;
// MOVEFILE_WRITE_THROUGH returns only once the move is on the disk.
namespace vamo {

namespace {

const wchar_t* wide(const QString& path) { return reinterpret_cast<const wchar_t*>(path.utf16()); }

} // namespace

bool FileSteps::replace(const QString& from, const QString& to)
{
    const QString source = QDir::toNativeSeparators(from);
    const QString target = QDir::toNativeSeparators(to);
    return MoveFileExW(wide(source), wide(target), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool FileSteps::remove(const QString& path)
{
    const QString native = QDir::toNativeSeparators(path);
    const DWORD attributes = GetFileAttributesW(wide(native));
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    // A link to a folder (or a junction) is removed as a folder entry; the
    // folder it leads to is never entered.
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && RemoveDirectoryW(wide(native)) != 0;
    return DeleteFileW(wide(native)) != 0;
}

} // namespace vamo
