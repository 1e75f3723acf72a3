// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/OpenRegularFile.h"

#include "text/FileNames.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vamo {

// Opened without blocking, then checked on the descriptor itself, so that
// what is read is what was checked.
OpenResult openRegularFile(QFile& file, const QString& path)
{
    const int fd = ::open(encodeFileName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return OpenResult::Failed;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const bool folder = S_ISDIR(st.st_mode);
        ::close(fd);
        return folder ? OpenResult::Failed : OpenResult::NotRegular;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 ||
        !file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return OpenResult::Failed;
    }
    return OpenResult::Opened;
}

} // namespace vamo
