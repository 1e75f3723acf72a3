// SPDX-License-Identifier: GPL-3.0-or-later
#include "intake/TxtFolder.h"

#include "intake/NaturalOrder.h"
#include "intake/TxtFolderListing.h"
#include "text/FileNames.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace vamo {

namespace {

// The listing rule trims spaces only.
QString trimSpaces(const QString& s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && s.at(b) == QLatin1Char(' '))
        ++b;
    while (e > b && s.at(e - 1) == QLatin1Char(' '))
        --e;
    return s.mid(b, e - b);
}

} // namespace

Result<QStringList> listTxtFolder(const QString& folder)
{
    const std::optional<FileStatus> status = folder.isEmpty() ? std::nullopt : fileStatus(folder);
    if (!status || status->kind != FileKind::Directory)
        return fail(QStringLiteral("文件夹不存在：") + QDir::toNativeSeparators(displayFileName(folder)));
    if (!folderReadable(folder))
        return fail(QStringLiteral("无法读取文件夹：") + QDir::toNativeSeparators(displayFileName(folder)));

    // A name shorter than five characters (spaces trimmed) ends the listing.
    std::optional<QStringList> names =
        txtFileNames(folder, [](const QString& name) { return trimSpaces(displayFileName(name)).size() <= 4; });
    if (!names)
        return fail(QStringLiteral("无法读取文件夹：") + QDir::toNativeSeparators(displayFileName(folder)));
    sortNaturally(*names, displayFileName);
    return *names;
}

QString folderPath(const QString& folder)
{
    QString f = QDir::toNativeSeparators(folder);
    if (f.isEmpty())
        return f;
    while (f.size() > 1 && f.endsWith(QDir::separator()) && f.at(f.size() - 2) == QDir::separator())
        f.chop(1);
    if (!f.endsWith(QDir::separator()))
        f += QDir::separator();
    return f;
}

QString batchChapterName(const QString& fileName) { return fileName.left(std::max<qsizetype>(0, fileName.size() - 4)); }

QString batchBookName(const QString& fileName)
{
    QString name = batchChapterName(fileName);
    name.replace(QLatin1Char(' '), QLatin1Char('_'));
    return name;
}

} // namespace vamo
