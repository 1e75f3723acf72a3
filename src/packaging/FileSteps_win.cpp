// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/BuildFiles.h"

#include "text/WindowsPath.h"

#include <windows.h>

// MoveFileExW with MOVEFILE_REPLACE_EXISTING puts a file over another name
// in one step, replacing a link at the target rather than what it leads to;
// MOVEFILE_WRITE_THROUGH returns only once the move is on the disk.
namespace vamo {

bool FileSteps::replace(const QString& from, const QString& to)
{
    return MoveFileExW(windowsPath(from).c_str(), windowsPath(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool FileSteps::remove(const QString& path)
{
    const std::wstring native = windowsPath(path);
    const DWORD attributes = GetFileAttributesW(native.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    // A link to a folder (or a junction) is removed as a folder entry; the
    // folder it leads to is never entered.
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && RemoveDirectoryW(native.c_str()) != 0;
    return DeleteFileW(native.c_str()) != 0;
}

} // namespace vamo
