// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Error.h"

#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <QStringView>

// The MIDlet manifest of a volume and its JAD descriptor. Both are written by
// the system's own encoder: a character with a single-byte code in code page
// 936 is that byte, every other one the three-byte form of its UTF-16 code
// unit (a character without a code is '?').
namespace vamo {

// The eight manifest lines for a volume whose book name is `bookName`
// (trimmed here; it carries the volume suffix of a cut book).
[[nodiscard]] QString composeManifest(const QString& bookName);

// The two lines the JAD adds to the manifest.
[[nodiscard]] QString jadLines(qint64 jarSize, const QString& jarFileName);

// The encoder shared by both writers.
[[nodiscard]] QByteArray encodeDescriptorText(QStringView text);

// The manifest entry's bytes for `manifesttext`.
[[nodiscard]] QByteArray savetoutf8(const QString& manifesttext);

// Writes `manifesttext` to url + ".jad", replacing any earlier content.
[[nodiscard]] Result<void> savetoutf9(const QString& manifesttext, const QString& url);

// Writes `manifesttext` into `out`, a file open for writing: the build's own
// temporary file, put in place afterwards. Fails with "无法写入文件：" + the
// file's name.
[[nodiscard]] Result<void> savetoutf9(const QString& manifesttext, QFileDevice& out);

} // namespace vamo
