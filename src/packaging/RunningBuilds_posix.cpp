// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/RunningBuilds.h"

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

} // namespace vamo::runningBuilds
