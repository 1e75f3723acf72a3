// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Error.h"

#include <QByteArray>
#include <QFileDevice>
#include <QString>

// Reading back what the archive writer wrote, from the file still open,
// without handing it to libzip again.
namespace vamo::archive {

// One entry of `file`, an archive just written and still open for reading,
// with plain reads: the entry's central directory record, its local header
// (which must agree with it, without a data descriptor), its bytes and their
// CRC. For an archive of ours, checked without opening it again. The error
// message is the reason alone.
[[nodiscard]] Result<QByteArray> readEntry(QFileDevice& file, const QByteArray& name);

// The reason libzip's error `code` gives, in the system's words.
[[nodiscard]] QString zipReason(int code);

} // namespace vamo::archive
