// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/UnfinishedBuilds.h"

#include "text/FileNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vamo::unfinishedBuilds {

namespace {

// The list is a log: "+folder" when a build begins, "-folder" when it ends,
// each appended in one small write, so that processes building at once
// need no turns (a lock file would wait for the disk twice a book). A log
// past this size is written again with its open folders alone.
constexpr qint64 kMostBytes = 64 * 1024;

QByteArray readLog(const QString& list)
{
    QFile file(list);
    if (isLink(list) || !file.open(QIODevice::ReadOnly))
        return {};
    return file.read(4 * kMostBytes);
}

// The folders the log leaves open, in the order they were begun.
QStringList openFolders(const QByteArray& log)
{
    QStringList open;
    for (const QByteArray& line : log.split('\n')) {
        if (line.size() < 2)
            continue;
        const QString folder = QString::fromUtf8(line.sliced(1));
        if (line.front() == '+') {
            open.removeAll(folder);
            open.append(folder);
        } else if (line.front() == '-') {
            open.removeAll(folder);
        }
    }
    return open;
}

void append(const QString& list, char mark, const QString& bookFolder)
{
    if (list.isEmpty() || isLink(list) || !QDir().mkpath(QFileInfo(list).absolutePath()))
        return;
    const QByteArray line = mark + QDir::cleanPath(QFileInfo(bookFolder).absoluteFilePath()).toUtf8() + '\n';
    QFile file(list);
    if (!file.open(QIODevice::Append | QIODevice::Unbuffered) || file.write(line) != line.size())
        return;
    const qint64 size = file.size();
    file.close();
    if (mark == '+' && size <= kMostBytes)
        return;
    // Once nothing is open the log goes; a long one is written again short.
    const QStringList open = openFolders(readLog(list));
    if (open.isEmpty()) {
        QFile::remove(list);
    } else if (size > kMostBytes) {
        QByteArray shorter;
        for (const QString& folder : open)
            shorter += '+' + folder.toUtf8() + '\n';
        if (!isLink(list) && file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(shorter);
    }
}

} // namespace

void note(const QString& list, const QString& bookFolder) { append(list, '+', bookFolder); }

void forget(const QString& list, const QString& bookFolder) { append(list, '-', bookFolder); }

QStringList folders(const QString& list) { return list.isEmpty() ? QStringList() : openFolders(readLog(list)); }

} // namespace vamo::unfinishedBuilds
