// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Error.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <filesystem>
#include <optional>

// File names as the file system holds them. On Linux a name is bytes, and
// not every name is valid UTF-8 (a file unpacked from an archive made on
// Windows often has a GBK name). Such a name is carried in a QString with
// every byte that is not part of valid UTF-8 as a lone surrogate
// U+DC80..U+DCFF, so that it finds its way back to the same bytes. On
// Windows names are UTF-16 already and these functions change nothing.
// Besides the names: what a path is, and replacing a file as a whole.
namespace vamo {

[[nodiscard]] QString decodeFileName(QByteArrayView raw);
[[nodiscard]] QByteArray encodeFileName(QStringView name);

// The name to show and to derive chapter and book names from: a name that
// is not valid UTF-8 but valid code page 936 shows as such, anything else
// undecodable as U+FFFD. A valid name is returned unchanged.
[[nodiscard]] QString displayFileName(QStringView name);

enum class FileKind { Regular, Directory, Other };
struct FileStatus {
    FileKind kind = FileKind::Other;
    qint64 size = 0;
};
// What the path names, links followed; nothing when it does not exist.
[[nodiscard]] std::optional<FileStatus> fileStatus(const QString& path);

// Whether the path itself is a link (a symbolic link; on Windows any reparse
// point: a link or a junction), not what it leads to.
[[nodiscard]] bool isLink(const QString& path);

// Whether two names that differ only in case name the same file (Windows)
// or two files (elsewhere).
[[nodiscard]] Qt::CaseSensitivity fileNameCase();

// The path for std::filesystem: the name's own bytes on POSIX, UTF-16 on
// Windows.
[[nodiscard]] std::filesystem::path fsPath(const QString& path);

// Replaces `path` with `bytes` as a whole: the bytes are written beside it
// and renamed over it once complete, so a failure leaves the old file as it
// was. The folder is created when missing (one level). A symbolic link or
// anything else that is not an ordinary file at `path`, or a folder that is
// a link, is left alone and refused ("无法写入文件：" and the path).
[[nodiscard]] Result<void> replaceFile(const QString& path, QByteArrayView bytes);

} // namespace vamo
