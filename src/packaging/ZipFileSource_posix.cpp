// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/ZipFileSource.h"

#include "text/FileNames.h"

namespace vamo {

zip_source_t* fileSource(const QString& path, zip_error_t* error)
{
    return zip_source_file_create(encodeFileName(path).constData(), 0, -1, error);
}

} // namespace vamo
