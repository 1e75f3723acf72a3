// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup/ProgramFolder.h"

#include "text/FileNames.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace vamo {

namespace {

bool isWritableFolder(const QString& folder)
{
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral("probe-XXXXXX")));
    return probe.open();
}

// A link counts even when it leads nowhere: the templates meant are these,
// and a build names this path when it cannot read them.
bool hasTemplates(const QString& folder)
{
    const QString path = QDir(folder).filePath(QStringLiteral("DuvEver.dll"));
    return QFileInfo::exists(path) || isLink(path);
}

} // namespace

QString programFolder()
{
    const QString exeFolder = QCoreApplication::applicationDirPath();
    // An installed program (templates in the installed data folder, not
    // beside it) keeps its files in the user's data folder even where it
    // could write beside itself: run as root, that would be /usr/bin.
    const bool installed = !hasTemplates(exeFolder) && hasTemplates(installDataFolder());
    if (!installed && isWritableFolder(exeFolder))
        return QDir::cleanPath(exeFolder);
    QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    return QDir::cleanPath(data);
}

QString templateFolder()
{
    const QString exeFolder = QCoreApplication::applicationDirPath();
    if (hasTemplates(exeFolder))
        return QDir::cleanPath(exeFolder);
    return installDataFolder();
}

QString installDataFolder()
{
    // Installed layout: <prefix>/bin/program, <prefix>/share/vamobook/templates.
    const QString relBin = QStringLiteral(VAMO_INSTALL_BINDIR_REL);
    QDir prefix(QCoreApplication::applicationDirPath());
    for (int i = 0; i < relBin.count(QLatin1Char('/')) + 1; ++i)
        prefix.cdUp();
    return QDir::cleanPath(prefix.filePath(QStringLiteral(VAMO_INSTALL_DATADIR_REL)));
}

QString unfinishedBuildsList()
{
    // The windows' data folder, whichever program asks: a sibling of this
    // program's own where that is another (vamobook-cli).
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (data.isEmpty())
        return {};
    return QDir(QFileInfo(data).absolutePath()).filePath(QStringLiteral("vamobook/unfinished-builds.txt"));
}

QString defaultSaveFolder(const QString& programFolder)
{
    return QDir::toNativeSeparators(QDir(programFolder).filePath(QStringLiteral("jar"))) + QDir::separator();
}

} // namespace vamo
