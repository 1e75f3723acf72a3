// SPDX-License-Identifier: GPL-3.0-or-later
#include "intake/TxtFolderListing.h"

#include "text/FileNames.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vamo {

bool folderReadable(const QString& folder) { return ::access(encodeFileName(folder).constData(), R_OK | X_OK) == 0; }

// The folder's own bytes, so that a name that is not valid UTF-8 is listed
// as a name that opens (see FileNames.h). A name starting with a dot is an
// ordinary entry here (".txt" ends the list); FIFOs and devices are listed
// and refused when their book is made.
std::optional<QStringList> txtFileNames(const QString& folder, const std::function<bool(const QString&)>& endsListing)
{
    DIR* dir = ::opendir(encodeFileName(folder).constData());
    if (!dir)
        return std::nullopt;
    QStringList names;
    while (const dirent* e = ::readdir(dir)) {
        const QByteArrayView raw(e->d_name);
        if (raw == "." || raw == ".." || raw.size() < 4 || !raw.last(4).toByteArray().toLower().endsWith(".txt"))
            continue;
        const QString name = decodeFileName(raw);
        if (endsListing(name))
            break;
        struct stat st {};
        if (::fstatat(::dirfd(dir), e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode))
            continue;
        names.append(name);
    }
    ::closedir(dir);
    return names;
}

} // namespace vamo
