// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/ArchiveReadBack.h"

#include "packaging/Archive.h"

#include <libdeflate.h>
#include <zip.h>

#include <optional>

namespace vamo::archive {

namespace {

// A field of a zip record: `bytes` (2 or 4) little-endian bytes at `p`.
// Byte by byte: GCC's bounds warning (a build with sanitizers) takes Qt's
// qFromLittleEndian on a QByteArray's data for a read past its empty
// default, which the callers' size checks rule out.
quint32 littleEndian(const char* p, int bytes)
{
    quint32 v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | static_cast<quint8>(p[i]);
    return v;
}

// Reads `n` bytes at `at` of `file`, or nothing when the file is shorter.
std::optional<QByteArray> readAt(QFileDevice& file, qint64 at, qint64 n)
{
    if (at < 0 || n < 0 || !file.seek(at))
        return std::nullopt;
    QByteArray bytes = file.read(n);
    if (bytes.size() != n)
        return std::nullopt;
    return bytes;
}

// Where an entry of a plain (not ZIP64) archive stands, from its central
// directory record.
struct DirectoryRecord {
    quint16 flags = 0;
    quint16 method = 0;
    quint32 crc = 0;
    quint32 packedSize = 0;
    quint32 size = 0;
    quint32 headerOffset = 0;
};

constexpr quint32 kLocalHeader = 0x04034b50;
constexpr quint32 kCentralHeader = 0x02014b50;
constexpr quint32 kDirectoryEnd = 0x06054b50;
constexpr qint64 kLocalHeaderSize = 30;
constexpr qint64 kCentralHeaderSize = 46;
constexpr qint64 kDirectoryEndSize = 22;

enum class Lookup { Found, Missing, Broken, Zip64 };

// Finds `name` in the central directory of the archive in `file`, which has
// no archive comment (as every archive libzip writes for us).
Lookup findRecord(QFileDevice& file, const QByteArray& name, DirectoryRecord& record)
{
    const qint64 size = file.size();
    const auto end = readAt(file, size - kDirectoryEndSize, kDirectoryEndSize);
    if (!end || littleEndian(end->constData(), 4) != kDirectoryEnd)
        return Lookup::Broken;
    const char* e = end->constData();
    const quint32 count = littleEndian(e + 10, 2);
    const quint32 directorySize = littleEndian(e + 12, 4);
    const quint32 directoryOffset = littleEndian(e + 16, 4);
    if (count == 0xFFFF || directorySize == 0xFFFFFFFF || directoryOffset == 0xFFFFFFFF)
        return Lookup::Zip64;
    if (qint64(directoryOffset) + directorySize > size - kDirectoryEndSize)
        return Lookup::Broken;
    const auto directory = readAt(file, directoryOffset, directorySize);
    if (!directory)
        return Lookup::Broken;
    const char* d = directory->constData();
    qint64 at = 0;
    for (quint32 i = 0; i < count; ++i) {
        if (at + kCentralHeaderSize > directory->size() || littleEndian(d + at, 4) != kCentralHeader)
            return Lookup::Broken;
        const qint64 nameLength = littleEndian(d + at + 28, 2);
        const qint64 next =
            at + kCentralHeaderSize + nameLength + littleEndian(d + at + 30, 2) + littleEndian(d + at + 32, 2);
        if (next > directory->size())
            return Lookup::Broken;
        if (QByteArrayView(d + at + kCentralHeaderSize, nameLength) == name) {
            record = {static_cast<quint16>(littleEndian(d + at + 8, 2)),
                      static_cast<quint16>(littleEndian(d + at + 10, 2)),
                      littleEndian(d + at + 16, 4),
                      littleEndian(d + at + 20, 4),
                      littleEndian(d + at + 24, 4),
                      littleEndian(d + at + 42, 4)};
            if (record.packedSize == 0xFFFFFFFF || record.size == 0xFFFFFFFF || record.headerOffset == 0xFFFFFFFF)
                return Lookup::Zip64;
            return Lookup::Found;
        }
        at = next;
    }
    return Lookup::Missing;
}

} // namespace

Result<QByteArray> readEntry(QFileDevice& file, const QByteArray& name)
{
    const QString broken = zipReason(ZIP_ER_INCONS);
    DirectoryRecord record;
    switch (findRecord(file, name, record)) {
    case Lookup::Found:
        break;
    case Lookup::Missing:
        return fail(QStringLiteral("找不到") + QString::fromUtf8(name));
    case Lookup::Broken:
        return fail(broken);
    case Lookup::Zip64:
        return readEntry(file.fileName(), name); // libzip reads those
    }
    // The local header agrees with the directory: same name, method and
    // sizes, no data descriptor (phones read the local headers).
    const auto header = readAt(file, record.headerOffset, kLocalHeaderSize);
    if (!header)
        return fail(broken);
    const char* h = header->constData();
    const qint64 nameLength = littleEndian(h + 26, 2);
    const qint64 dataAt = qint64(record.headerOffset) + kLocalHeaderSize + nameLength + littleEndian(h + 28, 2);
    const auto localName = readAt(file, qint64(record.headerOffset) + kLocalHeaderSize, nameLength);
    if (littleEndian(h, 4) != kLocalHeader || !localName || *localName != name || (record.flags & 0x0008) ||
        littleEndian(h + 6, 2) != record.flags || littleEndian(h + 8, 2) != record.method ||
        littleEndian(h + 14, 4) != record.crc || littleEndian(h + 18, 4) != record.packedSize ||
        littleEndian(h + 22, 4) != record.size)
        return fail(broken);
    const auto packed = readAt(file, dataAt, record.packedSize);
    if (!packed)
        return fail(zipReason(ZIP_ER_READ));
    QByteArray data;
    if (record.method == ZIP_CM_STORE) {
        if (record.packedSize != record.size)
            return fail(broken);
        data = *packed;
    } else if (record.method == ZIP_CM_DEFLATE) {
        data = QByteArray(static_cast<qsizetype>(record.size), Qt::Uninitialized);
        libdeflate_decompressor* d = libdeflate_alloc_decompressor();
        if (!d)
            return fail(zipReason(ZIP_ER_MEMORY));
        std::size_t in = 0;
        std::size_t out = 0;
        const libdeflate_result inflated = libdeflate_deflate_decompress_ex(d, packed->constData(), packed->size(),
                                                                            data.data(), data.size(), &in, &out);
        libdeflate_free_decompressor(d);
        if (inflated != LIBDEFLATE_SUCCESS || in != std::size_t(packed->size()) || out != std::size_t(data.size()))
            return fail(broken);
    } else {
        return fail(zipReason(ZIP_ER_COMPNOTSUPP));
    }
    if (libdeflate_crc32(0, data.constData(), static_cast<std::size_t>(data.size())) != record.crc)
        return fail(zipReason(ZIP_ER_CRC));
    return data;
}

} // namespace vamo::archive
