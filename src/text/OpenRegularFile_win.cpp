// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/OpenRegularFile.h"

#include "text/WindowsPath.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace vamo {

// Opened through the UTF-16 name (a folder does not open without backup
// semantics, so it fails here), then checked on the handle itself: only a
// disk file is read. Others may go on reading, writing or renaming it.
OpenResult openRegularFile(QFile& file, const QString& path)
{
    HANDLE handle =
        CreateFileW(windowsPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return OpenResult::Failed;
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        return OpenResult::NotRegular;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        return OpenResult::Failed;
    }
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        _close(fd); // closes the handle too
        return OpenResult::Failed;
    }
    return OpenResult::Opened;
}

} // namespace vamo
