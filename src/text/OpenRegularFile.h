// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>
#include <QString>

namespace vamo {

// Opens a regular file for reading, without waiting: a FIFO, a pipe or a
// device named *.txt is refused before anything is read from it (the open
// itself does not block). A folder fails like a file that cannot be opened.
enum class OpenResult { Opened, Failed, NotRegular };
[[nodiscard]] OpenResult openRegularFile(QFile& file, const QString& path);

} // namespace vamo
