// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Error.h"
#include "packaging/Packer.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFileDevice>
#include <QString>

#include <functional>
#include <span>

// Builds a volume's JAR from the reader template: the template's entries stay
// where they are (copied without recompression), every added entry replaces a
// same-named one in place or is appended.
//
// Added entries are deflated ahead of writing, on worker threads (Packer,
// in Packer.h), and libzip copies the deflated bytes into the archive as
// they are.
namespace vamo::archive {

// Whether `templateBytes` can serve as the reader template: an archive with
// at least one entry, consistent, every entry readable with the right CRC.
// The error message is the reason alone. Bytes found good once in this
// process (compared in full) are not checked again.
[[nodiscard]] Result<void> checkTemplate(QByteArrayView templateBytes);

// The bytes an entry added to the template takes in the archive besides its
// deflated bytes: its local header and its central directory record, each
// with the entry's name (`nameLength` bytes) and no extra field.
[[nodiscard]] constexpr qint64 addedEntryOverhead(qsizetype nameLength) { return 30 + 46 + 2 * qint64{nameLength}; }

// Writes the template with the entries of `batches` added, in order, to
// `out`, a file open for writing at its start, and returns the bytes
// written. The archive goes straight into the file (through a buffer of
// about 1 MiB), never whole into memory. Each entry is written as soon as it
// is deflated, while the packer goes on with the next, and its deflated bytes
// are released then. Fails with
// "生成JAR包失败：" + reason, or "无法写入文件：" + the file's name; the file
// may then hold part of the archive; memory running out inside libzip throws
// std::bad_alloc, as allocation does. `alive`, when given, is called now and
// then while the archive is written, so that a caller can keep its window
// painting. The template's bytes are only read.
[[nodiscard]] Result<qint64> writeJar(QByteArrayView templateBytes, std::span<Packer::Batch> batches, QFileDevice& out,
                                      const std::function<void()>& alive = {});

// The same into a new file at `path`, which must not exist yet (nor a link
// of that name); on failure the file is removed again.
[[nodiscard]] Result<qint64> writeJar(QByteArrayView templateBytes, std::span<Packer::Batch> batches,
                                      const QString& path, const std::function<void()>& alive = {});

// Opens the archive at `path`, checking its consistency, and reads one entry.
// The error message is the reason alone.
[[nodiscard]] Result<QByteArray> readEntry(const QString& path, const QByteArray& name);

} // namespace vamo::archive
