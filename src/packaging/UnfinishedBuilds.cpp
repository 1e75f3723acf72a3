// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/UnfinishedBuilds.h"

#include "text/FileNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>

#include <functional>

namespace vamo::unfinishedBuilds {

namespace {

// A list longer than this lost its oldest folders (no build is killed that
// often; the folders keep their journals for their next build anyway).
constexpr qsizetype kMostFolders = 64;
constexpr qint64 kMostBytes = 64 * 1024;
constexpr int kWaitMs = 1000;

QStringList read(const QString& list)
{
    QFile file(list);
    if (isLink(list) || !file.open(QIODevice::ReadOnly))
        return {};
    QStringList folders;
    for (const QByteArray& line : file.read(kMostBytes).split('\n')) {
        if (!line.isEmpty())
            folders.append(QString::fromUtf8(line));
    }
    return folders;
}

// Changes the list in its turn: read, change, written anew (or removed
// when empty). A link at the list's name is never written through.
void change(const QString& list, const std::function<void(QStringList&)>& how)
{
    if (list.isEmpty() || isLink(list))
        return;
    const QString folder = QFileInfo(list).absolutePath();
    if (!QDir().mkpath(folder))
        return;
    QLockFile turn(list + QStringLiteral(".lock"));
    if (!turn.tryLock(kWaitMs))
        return;
    QStringList folders = read(list);
    const QStringList before = folders;
    how(folders);
    while (folders.size() > kMostFolders)
        folders.removeFirst();
    if (folders == before && QFileInfo::exists(list) == !folders.isEmpty())
        return;
    if (folders.isEmpty()) {
        QFile::remove(list);
        return;
    }
    QSaveFile file(list);
    if (file.open(QIODevice::WriteOnly)) {
        file.write((folders.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
        file.commit();
    }
}

QString key(const QString& bookFolder) { return QDir::cleanPath(QFileInfo(bookFolder).absoluteFilePath()); }

} // namespace

void note(const QString& list, const QString& bookFolder)
{
    const QString folder = key(bookFolder);
    change(list, [&folder](QStringList& folders) {
        folders.removeAll(folder);
        folders.append(folder);
    });
}

void forget(const QString& list, const QString& bookFolder)
{
    const QString folder = key(bookFolder);
    change(list, [&folder](QStringList& folders) { folders.removeAll(folder); });
}

QStringList folders(const QString& list) { return list.isEmpty() ? QStringList() : read(list); }

} // namespace vamo::unfinishedBuilds
