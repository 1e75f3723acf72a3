// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Error.h"

#include <QByteArrayView>
#include <QString>

#include <functional>

namespace vamo {

enum class TextEncoding { Cp936, Gb18030, Utf8, Utf16LE, Utf16BE, Big5, Big5Hkscs };

// A byte-order mark decides. Otherwise text that holds non-ASCII bytes is
// UTF-8 when it is valid UTF-8 or nearly so: a few damaged places (each
// read as U+FFFD) weigh little against many valid multi-byte sequences, and
// a last character cut off by the end counts for nothing; code page 936
// text has more invalid places than valid sequences. Everything else is
// Big5 when, read as Big5, its first 64 KB (up to 1 MB while it is close)
// hold far more of the most frequent Chinese characters than read as code
// page 936 and hardly an odd one, and at least one double-byte code in ten
// has a trail byte below 0x80, as Big5's do and GB2312's never (Big5-HKSCS when HKSCS's characters read
// better than Windows' Big5); otherwise code page 936, or GB18030 when it
// holds a GB18030 four-byte sequence (lead byte, digit, lead byte, digit).
// ASCII alone, and text too short to tell, count as code page 936.
[[nodiscard]] TextEncoding detectEncoding(QByteArrayView bytes);

// Expected number of characters of a TXT file of `bytes` bytes.
[[nodiscard]] inline qint64 estimateCharacters(qint64 bytes) { return bytes * 55 / 100; }

struct TxtProgress {
    qint64 lines = 0;      // lines read so far
    qint64 characters = 0; // length of the text so far, that line's CR LF included (UTF-16 units)
};
// Called after every 50th line.
using TxtProgressFn = std::function<void(const TxtProgress&)>;
inline constexpr qint64 kTxtProgressLines = 50;

struct TxtText {
    QString text; // every line followed by CR LF
    qint64 lines = 0;
    TextEncoding encoding = TextEncoding::Cp936;
};

// The bytes are decoded in pieces of this size (after the byte-order mark);
// characters and CR LF pairs that straddle two pieces come out whole.
inline constexpr qsizetype kTxtChunkBytes = 64 * 1024;

// Reads TXT bytes line by line: a line ends at CR or CR LF, a lone LF stays
// inside the line, every line read (the last included) is followed by CR LF.
// A byte-order mark is not part of the text. Invalid bytes become U+FFFD.
[[nodiscard]] TxtText readTxtBytes(QByteArrayView bytes, const TxtProgressFn& progress = {});

// Reads a TXT file as above, piece by piece: besides the text only a small
// buffer is held. A file that cannot be opened or read is an error
// "无法读取文件：" followed by the file's native path; a text too large for
// the memory left, "内存不足，无法读取文件：" and the path. Only regular files
// are read: a FIFO, device or socket (never waited on) and a file that is
// plainly not text (a NUL or more than one control character in twenty in
// any of its pieces, as archives, pictures and random bytes have) are an
// error "不是文本文件：" followed by the path. The path may carry a name
// that is not valid UTF-8 (FileNames.h).
[[nodiscard]] Result<TxtText> readTxtFile(const QString& path, const TxtProgressFn& progress = {});

} // namespace vamo
