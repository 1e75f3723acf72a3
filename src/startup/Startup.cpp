// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup/Startup.h"

#include "model/SystemError.h"
#include "packaging/BuildFiles.h"
#include "startup/ProgramFolder.h"
#include "text/FileNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifndef Q_OS_WIN
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vamo {

namespace {

QString shown(const QString& path) { return QDir::toNativeSeparators(displayFileName(path)); }

#ifdef Q_OS_WIN

// Clears the read-only attribute so that the entry (or, for a folder, its
// entries) can be deleted; Windows refuses to delete a read-only file.
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
        // A link to a folder is removed with rmdir.
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

Result<void> removeTree(const QString& currPath, const PumpFn& pump)
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

// Removes the file at `path` unless the path reaches it through a link.
bool removeFileNotThroughLink(const QString& programFolder, const QString& relative)
{
    const QString path = QDir(programFolder).filePath(relative);
    const QFileInfo parent(QFileInfo(path).absolutePath());
    if (isLink(parent))
        return true; // not ours to delete
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return true;
    return removeEntry(info);
}

#else

// POSIX: everything is done relative to folders opened without following
// links, so a link met anywhere below the starting folder is removed as a
// link and what it points to is never reached. Removing an entry needs write
// permission on its folder only, so no file's mode is ever changed (a file
// may be a hard link, and its mode is shared with the file outside). A
// folder that was opened here may lose its write protection: a folder has
// no hard links.

struct Fd {
    int fd = -1;
    explicit Fd(int f) : fd(f) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

constexpr int kOpenFolder = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Gives the owner the rights to list and empty the opened folder.
void allowEmptying(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) == 0 && (st.st_mode & S_IRWXU) != S_IRWXU)
        ::fchmod(fd, (st.st_mode & 07777) | S_IRWXU);
}

// Removes everything inside the opened folder `fd` (shown as `folder`).
void emptyFolder(int fd, const QString& folder, const PumpFn& pump, QString& firstFailure)
{
    allowEmptying(fd);
    const int listFd = ::dup(fd);
    if (listFd < 0) {
        if (firstFailure.isEmpty())
            firstFailure = folder;
        return;
    }
    DIR* dir = ::fdopendir(listFd);
    if (!dir) {
        ::close(listFd);
        if (firstFailure.isEmpty())
            firstFailure = folder;
        return;
    }
    // The names first: removing while listing may skip entries.
    QList<QByteArray> names;
    while (const dirent* e = ::readdir(dir)) {
        const QByteArray name(e->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    ::closedir(dir);

    for (const QByteArray& name : names) {
        const QString path = folder + QLatin1Char('/') + decodeFileName(name);
        struct stat st {};
        bool removed = false;
        if (::fstatat(fd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode)) {
            const Fd child(::openat(fd, name.constData(), kOpenFolder));
            if (child.fd >= 0)
                emptyFolder(child.fd, path, pump, firstFailure);
            removed = ::unlinkat(fd, name.constData(), AT_REMOVEDIR) == 0;
        } else {
            // A file, a link (to anything) or a special file: the entry goes.
            removed = ::unlinkat(fd, name.constData(), 0) == 0 || errno == ENOENT;
        }
        if (!removed && firstFailure.isEmpty())
            firstFailure = path;
        if (pump)
            pump();
    }
}

Result<void> removeTree(const QString& currPath, const PumpFn& pump)
{
    const QString path = QDir::cleanPath(QDir(currPath).absolutePath());
    const QByteArray raw = encodeFileName(path);
    struct stat st {};
    if (::lstat(raw.constData(), &st) != 0)
        return {}; // nothing there
    QString firstFailure;
    if (S_ISDIR(st.st_mode)) {
        const Fd fd(::open(raw.constData(), kOpenFolder));
        if (fd.fd >= 0)
            emptyFolder(fd.fd, path, pump, firstFailure);
        if (::rmdir(raw.constData()) != 0 && firstFailure.isEmpty())
            firstFailure = path;
    } else if (::unlink(raw.constData()) != 0) {
        firstFailure = path;
    }
    if (!firstFailure.isEmpty())
        return fail(QStringLiteral("无法删除：") + shown(firstFailure));
    return {};
}

// Removes `relative` (folder/name) below the program folder, through the
// folder opened without following a link: when the folder is a link, the
// file is not the program's and stays.
bool removeFileNotThroughLink(const QString& programFolder, const QString& relative)
{
    const QString path = QDir(programFolder).filePath(relative);
    const QFileInfo info(path);
    const Fd folder(::open(encodeFileName(info.absolutePath()).constData(), kOpenFolder));
    if (folder.fd < 0)
        return errno == ENOENT || errno == ELOOP || errno == ENOTDIR; // no folder, or not a real one
    const QByteArray name = encodeFileName(info.fileName());
    struct stat st {};
    if (::fstatat(folder.fd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return true;
    if (S_ISDIR(st.st_mode))
        return false; // a folder in the script's place: not removed as a file
    return ::unlinkat(folder.fd, name.constData(), 0) == 0 || errno == ENOENT;
}

#endif

} // namespace

QString workspaceFolder(const QString& programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("vamobooktemp"));
}

QString commandScriptPath(const QString& programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("jre/vamo.bat"));
}

Result<void> RecurseTree(const QString& currPath, const PumpFn& pump) { return removeTree(currPath, pump); }

Result<void> removeBuildLeftovers(const QString& programFolder, const PumpFn& pump)
{
    // What killed builds left in the book folders of the start's save folder.
    removeKilledBuildFiles(defaultSaveFolder(programFolder));
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
