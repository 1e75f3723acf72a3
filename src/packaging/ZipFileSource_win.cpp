// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/ZipFileSource.h"

#include <QDir>

namespace vamo {

zip_source_t* fileSource(const QString& path, zip_error_t* error)
{
    const QString native = QDir::toNativeSeparators(path);
    return zip_source_win32w_create(reinterpret_cast<const wchar_t*>(native.utf16()), 0, -1, error);
}

} // namespace vamo
