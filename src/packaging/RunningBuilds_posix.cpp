// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/RunningBuilds.h"

#include "packaging/NamedFile.h"

#include "text/FileNames.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// O_CREAT | O_EXCL: a new file or nothing, never through a link at the
// name; on POSIX an open file can be removed anyway.
namespace vamo::runningBuilds {

std::unique_ptr<QFile> openNewFile(const QString& path, QIODevice::OpenMode mode)
{
    auto file = std::make_unique<QFile>(path);
    if (!file->open(mode | QIODevice::NewOnly))
        return nullptr;
    return file;
}

// O_NOFOLLOW: a link put at the name is refused, never followed; the
// descriptor itself is checked for a regular file.
std::unique_ptr<QFile> openOwnFile(const QString& path)
{
    const int fd = ::open(encodeFileName(path).constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return nullptr;
    struct stat st {};
    const int flags = ::fcntl(fd, F_GETFL);
    auto file = std::make_unique<NamedFile>(path);
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 ||
        !file->open(fd, QIODevice::ReadWrite | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return nullptr;
    }
    return file;
}

} // namespace vamo::runningBuilds
