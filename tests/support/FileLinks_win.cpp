// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileLinks.h"

#include "text/FileNames.h"
#include "text/WindowsPath.h"

#include <QDir>

#include <cstring>
#include <vector>

#include <windows.h>
#include <winioctl.h>

namespace vamo::test {

namespace {

std::wstring wide(const QString& path) { return windowsPath(QDir::cleanPath(path)); }

// The reparse data of a mount point (junction), as FSCTL_SET_REPARSE_POINT
// takes it: the target's NT path and its printed name.
struct MountPointHeader {
    DWORD tag;
    WORD dataLength;
    WORD reserved;
    WORD substituteOffset;
    WORD substituteLength;
    WORD printOffset;
    WORD printLength;
};

} // namespace

bool makeFileLink(const QString& target, const QString& link)
{
    if (!CreateSymbolicLinkW(wide(link).c_str(), wide(target).c_str(), SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE))
        return false;
    // Wine makes a POSIX link that Windows programs cannot tell from its
    // target: no link as Windows has them.
    if (isLink(link))
        return true;
    DeleteFileW(wide(link).c_str());
    return false;
}

bool makeFolderLink(const QString& target, const QString& link)
{
    const std::wstring substitute = L"\\??\\" + wide(QDir(target).absolutePath());
    const std::wstring printed = wide(QDir(target).absolutePath());
    if (!CreateDirectoryW(wide(link).c_str(), nullptr))
        return false;
    HANDLE folder = CreateFileW(wide(link).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (folder == INVALID_HANDLE_VALUE) {
        RemoveDirectoryW(wide(link).c_str());
        return false;
    }
    const WORD subBytes = static_cast<WORD>(substitute.size() * sizeof(wchar_t));
    const WORD printBytes = static_cast<WORD>(printed.size() * sizeof(wchar_t));
    std::vector<char> buffer(sizeof(MountPointHeader) + subBytes + printBytes + 2 * sizeof(wchar_t), 0);
    MountPointHeader header{};
    header.tag = IO_REPARSE_TAG_MOUNT_POINT;
    header.dataLength = static_cast<WORD>(buffer.size() - 8);
    header.substituteOffset = 0;
    header.substituteLength = subBytes;
    header.printOffset = static_cast<WORD>(subBytes + sizeof(wchar_t));
    header.printLength = printBytes;
    std::memcpy(buffer.data(), &header, sizeof header);
    std::memcpy(buffer.data() + sizeof header, substitute.data(), subBytes);
    std::memcpy(buffer.data() + sizeof header + subBytes + sizeof(wchar_t), printed.data(), printBytes);
    DWORD returned = 0;
    const bool made = DeviceIoControl(folder, FSCTL_SET_REPARSE_POINT, buffer.data(), static_cast<DWORD>(buffer.size()),
                                      nullptr, 0, &returned, nullptr) != 0;
    CloseHandle(folder);
    if (!made || !isLink(link)) {
        RemoveDirectoryW(wide(link).c_str());
        return false;
    }
    return true;
}

bool makeHardLink(const QString& existing, const QString& link)
{
    return CreateHardLinkW(wide(link).c_str(), wide(existing).c_str(), nullptr) != 0;
}

bool setReadOnly(const QString& path)
{
    const DWORD attributes = GetFileAttributesW(wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           SetFileAttributesW(wide(path).c_str(), attributes | FILE_ATTRIBUTE_READONLY) != 0;
}

bool isReadOnly(const QString& path)
{
    const DWORD attributes = GetFileAttributesW(wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

} // namespace vamo::test
