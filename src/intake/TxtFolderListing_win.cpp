// SPDX-License-Identifier: GPL-3.0-or-later
#include "intake/TxtFolderListing.h"

#include "text/WindowsPath.h"

#include <windows.h>

namespace vamo {

namespace {

// Every entry of the folder.
std::wstring everything(const QString& folder) { return windowsPath(QDir(folder).filePath(QStringLiteral("*"))); }

// "No file found" is an empty folder (a volume root has not even "." and
// "..") only where the folder is there: some systems say so of a folder
// that is gone as well.
bool emptyFolder(const QString& folder)
{
    if (GetLastError() != ERROR_FILE_NOT_FOUND)
        return false;
    const DWORD attributes = GetFileAttributesW(windowsPath(folder).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

} // namespace

bool folderReadable(const QString& folder)
{
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(everything(folder).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return emptyFolder(folder);
    FindClose(find);
    return true;
}

// Windows' own listing through the UTF-16 names; files marked hidden are
// left out, as Explorer and the file dialogs leave them out.
std::optional<QStringList> txtFileNames(const QString& folder, const std::function<bool(const QString&)>& endsListing)
{
    WIN32_FIND_DATAW data;
    HANDLE find =
        FindFirstFileExW(everything(folder).c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0);
    if (find == INVALID_HANDLE_VALUE)
        return emptyFolder(folder) ? std::optional<QStringList>(QStringList()) : std::nullopt;
    QStringList names;
    do {
        const QString name = QString::fromWCharArray(data.cFileName);
        if (name == QLatin1String(".") || name == QLatin1String("..") ||
            !name.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive) ||
            (data.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0)
            continue;
        if (endsListing(name))
            break;
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
            continue;
        names.append(name);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

} // namespace vamo
