// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup/RemoveTree.h"

#include "text/FileNames.h"

#include <QDir>
#include <QFileInfo>
#include <QList>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vamo {

namespace {

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

} // namespace

bool removeTree(const QString& path, const PumpFn& pump, QString& firstFailure)
{
    const QByteArray raw = encodeFileName(path);
    struct stat st {};
    if (::lstat(raw.constData(), &st) != 0)
        return true; // nothing there
    if (S_ISDIR(st.st_mode)) {
        const Fd fd(::open(raw.constData(), kOpenFolder));
        if (fd.fd >= 0)
            emptyFolder(fd.fd, path, pump, firstFailure);
        if (::rmdir(raw.constData()) != 0 && firstFailure.isEmpty())
            firstFailure = path;
    } else if (::unlink(raw.constData()) != 0) {
        firstFailure = path;
    }
    return firstFailure.isEmpty();
}

// Through the folder opened without following a link.
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

} // namespace vamo
