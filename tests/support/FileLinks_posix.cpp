// SPDX-License-Identifier: GPL-3.0-or-later
#include "FileLinks.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace vamo::test {

bool makeFileLink(const QString& target, const QString& link)
{
    return ::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()) == 0;
}

bool makeFolderLink(const QString& target, const QString& link) { return makeFileLink(target, link); }

bool makeHardLink(const QString& existing, const QString& link)
{
    return ::link(QFile::encodeName(existing).constData(), QFile::encodeName(link).constData()) == 0;
}

bool setReadOnly(const QString& path) { return QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadUser); }

bool isReadOnly(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && (st.st_mode & S_IWUSR) == 0;
}

} // namespace vamo::test
