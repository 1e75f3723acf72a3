// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup/ProgramFolder.h"

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

} // namespace

QString programFolder()
{
    const QString exeFolder = QCoreApplication::applicationDirPath();
    if (isWritableFolder(exeFolder))
        return QDir::cleanPath(exeFolder);
    QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir().mkpath(data);
    return QDir::cleanPath(data);
}

QString templateFolder()
{
    const QString exeFolder = QCoreApplication::applicationDirPath();
    if (QFileInfo::exists(QDir(exeFolder).filePath(QStringLiteral("DuvEver.dll"))))
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

QString defaultSaveFolder(const QString& programFolder)
{
    return QDir::toNativeSeparators(QDir(programFolder).filePath(QStringLiteral("jar"))) + QDir::separator();
}

} // namespace vamo
