// SPDX-License-Identifier: GPL-3.0-or-later
#include "intake/TxtFolder.h"

#include "intake/NaturalOrder.h"
#include "text/FileNames.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <algorithm>
#include <optional>

#ifndef Q_OS_WIN
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

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
#ifdef Q_OS_WIN
    const QFileInfo info(folder);
    const bool readable = info.isReadable() && info.isExecutable();
#else
    const bool readable = ::access(encodeFileName(folder).constData(), R_OK | X_OK) == 0;
#endif
    if (!readable)
        return fail(QStringLiteral("无法读取文件夹：") + QDir::toNativeSeparators(displayFileName(folder)));

    QStringList names;
    // A name shorter than five characters (spaces trimmed) ends the listing.
    auto ends = [](const QString& name) { return trimSpaces(name).size() <= 4; };
#ifdef Q_OS_WIN
    // Windows' own listing leaves out files marked hidden.
    QDirIterator it(folder, {QStringLiteral("*.txt")}, QDir::Files | QDir::Dirs | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (ends(name))
            break;
        if (!it.fileInfo().isDir())
            names.append(name);
    }
#else
    // The folder's own bytes, so that a name that is not valid UTF-8 is
    // listed as a name that opens (see FileNames.h). A name starting with a
    // dot is an ordinary entry here (".txt" ends the list); FIFOs and
    // devices are listed and refused when their book is made.
    DIR* dir = ::opendir(encodeFileName(folder).constData());
    if (!dir)
        return fail(QStringLiteral("无法读取文件夹：") + QDir::toNativeSeparators(displayFileName(folder)));
    while (const dirent* e = ::readdir(dir)) {
        const QByteArrayView raw(e->d_name);
        if (raw == "." || raw == ".." || raw.size() < 4 || !raw.last(4).toByteArray().toLower().endsWith(".txt"))
            continue;
        const QString name = decodeFileName(raw);
        if (ends(displayFileName(name)))
            break;
        struct stat st {};
        if (::fstatat(::dirfd(dir), e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode))
            continue;
        names.append(name);
    }
    ::closedir(dir);
#endif
    sortNaturally(names, displayFileName);
    return names;
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
