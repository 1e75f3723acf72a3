// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/BuildFiles.h"

#include "text/FileNames.h"

#include <cstdio>
#include <system_error>

// rename(2) puts a file over another name in one step: the old name is
// never missing, and a link at the target is replaced, not followed.
namespace vamo {

bool FileSteps::replace(const QString& from, const QString& to)
{
    return std::rename(encodeFileName(from).constData(), encodeFileName(to).constData()) == 0;
}

bool FileSteps::remove(const QString& path)
{
    std::error_code ec;
    return std::filesystem::remove(fsPath(path), ec) && !ec;
}

} // namespace vamo
