// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/FileNames.h"

#include "text/WindowsPath.h"

#include <QFileInfo>

#include <windows.h>

// Windows file names are UTF-16 already: they travel in a QString as they
// are, and the system compares them without regard to case.
namespace vamo {

QString decodeFileName(QByteArrayView raw) { return QString::fromUtf8(raw); }
QByteArray encodeFileName(QStringView name) { return name.toUtf8(); }
QString displayFileName(QStringView name) { return name.toString(); }

std::optional<FileStatus> fileStatus(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt;
    if (info.isDir())
        return FileStatus{FileKind::Directory, 0};
    return FileStatus{info.isFile() ? FileKind::Regular : FileKind::Other, info.isFile() ? info.size() : 0};
}

bool isLink(const QString& path)
{
    const DWORD attributes = GetFileAttributesW(windowsPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

Qt::CaseSensitivity fileNameCase() { return Qt::CaseInsensitive; }

std::filesystem::path fsPath(const QString& path) { return std::filesystem::path(path.toStdWString()); }

} // namespace vamo
