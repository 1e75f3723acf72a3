#include "startup/Startup.h"

#include "packaging/BuildFiles.h"
#include "startup/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vamo {

namespace {

QString shown(const QString& path) { return QDir::toNativeSeparators(path); }

// Gives the owner full rights so that the entry (or, for a folder, its
// entries) can be deleted: clears the read-only attribute on Windows and the
// missing write bit of a folder elsewhere.
void makeWritable(const QString& path)
{
    const QFileInfo info(path);
    QFile::Permissions p = info.permissions() | QFile::ReadOwner | QFile::WriteOwner;
    if (info.isDir())
        p |= QFile::ExeOwner;
    QFile::setPermissions(path, p);
}

bool isLink(const QFileInfo& info) { return info.isSymLink() || info.isJunction(); }

bool removeEntry(const QFileInfo& info)
{
    const QString path = info.absoluteFilePath();
    if (isLink(info)) {
        // A link to a folder is removed with rmdir on Windows, unlink elsewhere.
        return QFile::remove(path) || QDir().rmdir(path);
    }
    makeWritable(path);
    return QFile::remove(path);
}

void recurse(const QString& folder, const PumpFn& pump, QString& firstFailure)
{
    makeWritable(folder);
    const QDir dir(folder);
    const QFileInfoList entries =
        dir.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (entry.isDir() && !isLink(entry))
            recurse(entry.absoluteFilePath(), pump, firstFailure);
        else if (!removeEntry(entry) && firstFailure.isEmpty())
            firstFailure = entry.absoluteFilePath();
        if (pump)
            pump();
    }
    if (!QDir().rmdir(folder) && firstFailure.isEmpty())
        firstFailure = folder;
}

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
    const QFileInfo info(currPath);
    if (!info.exists() && !info.isSymLink())
        return {};
    QString firstFailure;
    if (!info.isDir() || isLink(info)) {
        if (!removeEntry(info))
            firstFailure = currPath;
    } else {
        recurse(QDir::cleanPath(info.absoluteFilePath()), pump, firstFailure);
    }
    if (!firstFailure.isEmpty())
        return fail(QStringLiteral("无法删除：") + shown(firstFailure));
    return {};
}

Result<void> removeBuildLeftovers(const QString& programFolder, const PumpFn& pump)
{
    // What killed builds left in the book folders of the start's save folder.
    removeKilledBuildFiles(defaultSaveFolder(programFolder));
    auto tree = RecurseTree(workspaceFolder(programFolder), pump);
    const QString script = commandScriptPath(programFolder);
    const QFileInfo scriptInfo(script);
    bool scriptRemoved = true;
    if (scriptInfo.exists() || scriptInfo.isSymLink())
        scriptRemoved = removeEntry(scriptInfo);
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
    if (info.exists() || !QDir().mkpath(path))
        return fail(QStringLiteral("无法创建保存目录：") + shown(folder));
    return {};
}

} // namespace vamo
