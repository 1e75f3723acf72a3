// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Internal to the text layer: the choice of a TXT text's encoding and its
// decoding, line by line, in that encoding.

#include "text/ByteSource.h"
#include "text/LineSink.h"
#include "text/TxtReader.h"

#include <expected>
#include <memory>
#include <optional>

namespace vamo::text_detail {

struct ByteOrderMark {
    TextEncoding encoding = TextEncoding::Cp936;
    qsizetype length = 0; // 0: no mark
};

// The byte-order mark `bytes` start with, if any.
[[nodiscard]] ByteOrderMark byteOrderMark(QByteArrayView bytes);

enum class ReadFailure { Unreadable, NotText };

// One text after its byte-order mark, decoded in the encoding the mark
// names or, without one, in the first of UTF-8, code page 936 (or Big5 when
// it reads far better) and GB18030 that holds; each start over begins the
// text again. The source stands after the mark and must outlive the read.
class TxtRead {
public:
    // `bytes`: the length of the text after the mark.
    TxtRead(ByteSource& source, const TxtProgressFn& progress, const ByteOrderMark& bom, qint64 bytes);
    TxtRead(const TxtRead&) = delete;
    TxtRead& operator=(const TxtRead&) = delete;

    // Reads the text once; the source's read errors are Unreadable.
    [[nodiscard]] std::expected<TxtText, ReadFailure> run();

private:
    // NotThis: the decoder gave up, the text is read again in the next
    // encoding.
    enum class Outcome { Done, ReadError, NotThis };

    Outcome decodeText();
    std::optional<TextEncoding> weighBig5();
    template <class Decoder>
    Outcome decode(Decoder& decoder);
    // Starts the text over in the next encoding.
    bool startOver(TextEncoding next);

    ByteSource& m_source;
    const ByteOrderMark m_bom;
    const qint64 m_bytes; // after the byte-order mark
    TxtText m_result;
    LineSink m_sink;
    // Not cleared: every decoder writes before it reads.
    const std::unique_ptr<char16_t[]> m_buffer;
};

} // namespace vamo::text_detail
