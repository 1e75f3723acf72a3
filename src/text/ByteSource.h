// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Internal to the text layer: where the bytes of a TXT text come from.

#include <QByteArrayView>

#include <optional>

namespace vamo::text_detail {

// Bytes from memory or a file, piece by piece. Every piece but the last is
// kTxtChunkBytes (TxtReader.h) long; an empty piece means the end.
class ByteSource {
public:
    ByteSource() = default;
    ByteSource(const ByteSource&) = delete;
    ByteSource& operator=(const ByteSource&) = delete;
    virtual ~ByteSource() = default;

    // The next piece, valid until the next call; nothing on a read error.
    [[nodiscard]] virtual std::optional<QByteArrayView> next() = 0;
    // Starts again at byte `pos`.
    [[nodiscard]] virtual bool seek(qint64 pos) = 0;
    [[nodiscard]] virtual qint64 size() const = 0;
};

} // namespace vamo::text_detail
