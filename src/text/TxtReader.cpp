// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/TxtReader.h"

#include "text/BinaryWatch.h"
#include "text/FileNames.h"
#include "text/FileSource.h"
#include "text/MemorySource.h"
#include "text/OpenRegularFile.h"
#include "text/TxtRead.h"

#include <QDir>
#include <QFile>

#include <cstring>
#include <expected>
#include <new>

namespace vamo {

namespace {

using text_detail::ByteSource;
using text_detail::ReadFailure;

bool isAscii(QByteArrayView bytes)
{
    const auto* p = reinterpret_cast<const quint8*>(bytes.data());
    const auto* const end = p + bytes.size();
    for (; end - p >= 8; p += 8) {
        quint64 word;
        std::memcpy(&word, p, 8);
        if (word & 0x8080808080808080ULL)
            return false;
    }
    for (; p < end; ++p) {
        if (*p & 0x80)
            return false;
    }
    return true;
}

// Looks at the first piece for the byte-order mark (and, for a file, whether
// it is text at all), then reads the text after the mark.
std::expected<TxtText, ReadFailure> readTxt(ByteSource& source, const TxtProgressFn& progress, bool refuseBinary)
{
    const std::optional<QByteArrayView> first = source.next();
    if (!first)
        return std::unexpected(ReadFailure::Unreadable);
    const text_detail::ByteOrderMark bom = text_detail::byteOrderMark(*first);
    if (refuseBinary && text_detail::looksBinary(first->sliced(bom.length), bom.encoding))
        return std::unexpected(ReadFailure::NotText);
    const qint64 bytes = source.size() - bom.length;
    if (!refuseBinary) {
        if (!source.seek(bom.length))
            return std::unexpected(ReadFailure::Unreadable);
        text_detail::TxtRead read(source, progress, bom, bytes);
        return read.run();
    }
    text_detail::BinaryWatch watch(source, bom.encoding, first->size());
    if (!watch.seek(bom.length))
        return std::unexpected(ReadFailure::Unreadable);
    text_detail::TxtRead read(watch, progress, bom, bytes);
    std::expected<TxtText, ReadFailure> text = read.run();
    if (!text && watch.sawBinary())
        return std::unexpected(ReadFailure::NotText);
    return text;
}

} // namespace

TextEncoding detectEncoding(QByteArrayView bytes)
{
    const text_detail::ByteOrderMark bom = text_detail::byteOrderMark(bytes);
    if (bom.length > 0)
        return bom.encoding;
    if (isAscii(bytes))
        return TextEncoding::Cp936;
    return readTxtBytes(bytes).encoding;
}

TxtText readTxtBytes(QByteArrayView bytes, const TxtProgressFn& progress)
{
    text_detail::MemorySource source(bytes);
    return *readTxt(source, progress, /*refuseBinary=*/false); // memory is always readable
}

Result<TxtText> readTxtFile(const QString& path, const TxtProgressFn& progress)
{
    const QString shownPath = QDir::toNativeSeparators(displayFileName(path));
    const QString failure = QStringLiteral("无法读取文件：") + shownPath;
    const QString notText = QStringLiteral("不是文本文件：") + shownPath;
    QFile file;
    // Pieces go straight into the reader's own buffer.
    switch (openRegularFile(file, path)) {
    case OpenResult::Opened:
        break;
    case OpenResult::Failed:
        return fail(failure);
    case OpenResult::NotRegular:
        return fail(notText);
    }
    try {
        // The file is read in pieces; only the text is kept whole.
        text_detail::FileSource source(file);
        std::expected<TxtText, ReadFailure> text = readTxt(source, progress, /*refuseBinary=*/true);
        if (!text)
            return fail(text.error() == ReadFailure::NotText ? notText : failure);
        return std::move(*text);
    } catch (const std::bad_alloc&) {
        // A text too large to hold in memory.
        return fail(QStringLiteral("内存不足，无法读取文件：") + shownPath);
    }
}

} // namespace vamo
