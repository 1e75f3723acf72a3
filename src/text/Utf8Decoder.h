// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Internal to the text layer: the streaming UTF-8 decoder of the TXT reader.

#include <QByteArrayView>

namespace vamo::text_detail {

// Decodes UTF-8 piece by piece. Each maximal part of an invalid sequence
// becomes one U+FFFD; a sequence cut off by the end of the text as well.
// A judging decoder (for text without byte-order mark) also weighs whether
// the text is UTF-8 at all: it counts the valid multi-byte sequences against
// the invalid parts, and gives up (returns -1) as soon as the invalid ones
// are plainly too many. Code page 936 text has more invalid parts than valid
// sequences (a double-byte code only now and then happens to be a valid
// two-byte sequence); UTF-8 with a few damaged bytes has very few.
class Utf8Decoder {
public:
    explicit Utf8Decoder(bool judging) : m_judging(judging) {}
    static constexpr qsizetype maxUnits(qsizetype pieceBytes) { return pieceBytes + 4; }
    // Whether any byte so far was not ASCII.
    [[nodiscard]] bool sawNonAscii() const { return m_nonAscii; }
    // Whether the text read so far is UTF-8, damaged places aside. A
    // sequence cut off by the end of the text is no evidence either way.
    [[nodiscard]] bool readsAsUtf8() const { return m_invalid == 0 || m_valid >= kValidPerInvalid * m_invalid; }

    // Decodes `piece` into `out` (room for maxUnits(piece.size()) units);
    // returns the number of units written, or -1 when a judging decoder has
    // given up. A sequence cut off at the end of a piece waits for the next
    // piece unless `last` is set.
    [[nodiscard]] qsizetype decode(QByteArrayView piece, char16_t* out, bool last);

private:
    // Valid multi-byte sequences needed per invalid part for UTF-8, and the
    // invalid parts after which a judging decoder may give up early.
    static constexpr qint64 kValidPerInvalid = 4;
    static constexpr qint64 kGiveUpAfter = 32;

    bool givenUp() const { return m_judging && m_invalid >= kGiveUpAfter && !readsAsUtf8(); }
    char16_t* decodeRun(QByteArrayView bytes, char16_t* o);
    const quint8* decodeOne(const quint8* p, const quint8* end, char16_t*& o);

    char m_carry[8] = {};
    int m_carryLength = 0;
    bool m_judging;
    qint64 m_valid = 0;
    qint64 m_invalid = 0;
    bool m_nonAscii = false;
};

} // namespace vamo::text_detail
