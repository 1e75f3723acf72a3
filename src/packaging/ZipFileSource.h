// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <zip.h>

namespace vamo {

// A libzip source reading the whole file at `path`: through its bytes on
// POSIX, through the UTF-16 name on Windows. Null with `error` set when it
// cannot be made.
[[nodiscard]] zip_source_t* fileSource(const QString& path, zip_error_t* error);

} // namespace vamo
