// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/RunningBuilds.h"

#include "packaging/NamedFile.h"
#include "text/WindowsPath.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

// CREATE_NEW: a new file or nothing, never through a link at the name.
// FILE_SHARE_DELETE lets the removal for an interrupt delete the file while
// the build still has it open; Qt's own open does not share deletion, so the
// file is opened here and handed to Qt.
namespace vamo::runningBuilds {

std::unique_ptr<QFile> openNewFile(const QString& path, QIODevice::OpenMode mode)
{
    const bool reads = mode.testFlag(QIODevice::ReadOnly);
    const HANDLE handle = CreateFileW(windowsPath(path).c_str(), GENERIC_WRITE | (reads ? GENERIC_READ : 0),
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY | (reads ? _O_RDWR : _O_WRONLY));
    if (fd < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    auto file = std::make_unique<NamedFile>(path);
    if (!file->open(fd, mode, QFileDevice::AutoCloseHandle)) {
        _close(fd);
        return nullptr;
    }
    return file;
}

// FILE_FLAG_OPEN_REPARSE_POINT: a link or junction put at the name is
// opened as itself and refused, never followed.
std::unique_ptr<QFile> openOwnFile(const QString& path)
{
    const HANDLE handle = CreateFileW(windowsPath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return nullptr;
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        CloseHandle(handle);
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY | _O_RDWR);
    if (fd < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    auto file = std::make_unique<NamedFile>(path);
    if (!file->open(fd, QIODevice::ReadWrite, QFileDevice::AutoCloseHandle)) {
        _close(fd);
        return nullptr;
    }
    return file;
}

} // namespace vamo::runningBuilds
