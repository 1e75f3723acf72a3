// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup/Startup.h"

#include "model/SystemError.h"
#include "packaging/BuildFiles.h"
#include "packaging/UnfinishedBuilds.h"
#include "startup/ProgramFolder.h"
#include "startup/RemoveTree.h"
#include "text/FileNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vamo {

namespace {

QString shown(const QString& path) { return QDir::toNativeSeparators(displayFileName(path)); }

} // namespace

QString workspaceFolder(const QString& programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("vamobooktemp"));
}

QString commandScriptPath(const QString& programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("jre/vamo.bat"));
}

Result<void> RecurseTree(const QString& currPath, const PumpFn& pump)
{
    QString firstFailure;
    if (!removeTree(QDir::cleanPath(QDir(currPath).absolutePath()), pump, firstFailure))
        return fail(QStringLiteral("无法删除：") + shown(firstFailure));
    return {};
}

Result<void> removeBuildLeftovers(const QString& programFolder, const PumpFn& pump, const QString& unfinishedList)
{
    // What killed builds left in the book folders of the start's save folder,
    // and wherever else the list of unfinished builds names one.
    removeKilledBuildFiles(defaultSaveFolder(programFolder));
    for (const QString& folder : unfinishedBuilds::folders(unfinishedList)) {
        if (removeKilledBuildFilesIn(folder))
            unfinishedBuilds::forget(unfinishedList, folder);
    }
    auto tree = RecurseTree(workspaceFolder(programFolder), pump);
    const QString script = commandScriptPath(programFolder);
    const bool scriptRemoved = removeFileNotThroughLink(programFolder, QStringLiteral("jre/vamo.bat"));
    if (!tree)
        return fail(QStringLiteral("无法清除临时文件夹") + shown(workspaceFolder(programFolder)) +
                    QStringLiteral("\n") + tree.error().message);
    if (!scriptRemoved)
        return fail(QStringLiteral("无法删除") + shown(script));
    return {};
}

Result<void> createSaveFolder(const QString& folder)
{
    const QString path = QDir::cleanPath(QDir::fromNativeSeparators(folder));
    if (path.isEmpty())
        return fail(QStringLiteral("保存目录为空"));
    const QFileInfo info(path);
    if (info.isDir())
        return {};
    if (info.exists())
        return fail(QStringLiteral("无法创建保存目录：") + shown(folder) + QStringLiteral("（已有同名的文件）"));
    if (auto made = makeFolders(path); !made)
        return fail(QStringLiteral("无法创建保存目录：") + shown(folder) + QStringLiteral("（") + made.error().message +
                    QStringLiteral("）"));
    return {};
}

} // namespace vamo
