// SPDX-License-Identifier: GPL-3.0-or-later
#include "intake/TxtFolderListing.h"

#include "text/WindowsPath.h"

#include <windows.h>

namespace vamo {

namespace {

// Every entry of the folder.
std::wstring everything(const QString& folder) { return windowsPath(QDir(folder).filePath(QStringLiteral("*"))); }

} // namespace

bool folderReadable(const QString& folder)
{
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(everything(folder).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND; // an empty volume root
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
    if (find == INVALID_HANDLE_VALUE) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND)
            return QStringList();
        return std::nullopt;
    }
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
