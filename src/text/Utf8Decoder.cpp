// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/Utf8Decoder.h"

#include "text/TextDetail.h"

#include <QChar>

#include <cstring>

namespace vamo::text_detail {

namespace {

bool isContinuation(quint8 b) { return (b & 0xC0) == 0x80; }

// Length of the sequence that lead byte `b` starts; 1 for a byte that
// starts none.
int sequenceLength(quint8 b)
{
    if (b >= 0xC0 && b < 0xE0)
        return 2;
    if (b >= 0xE0 && b < 0xF0)
        return 3;
    if (b >= 0xF0 && b < 0xF8)
        return 4;
    return 1;
}

// How many bytes at the end of `bytes` begin a sequence that goes on past
// it (0 when the last sequence is complete or no sequence at all).
qsizetype openTail(QByteArrayView bytes)
{
    for (qsizetype k = 1; k <= 3 && k <= bytes.size(); ++k) {
        const auto b = static_cast<quint8>(bytes[bytes.size() - k]);
        if (!isContinuation(b))
            return sequenceLength(b) > k ? k : 0;
    }
    return 0;
}

} // namespace

qsizetype Utf8Decoder::decode(QByteArrayView piece, char16_t* out, bool last)
{
    char16_t* o = out;
    qsizetype start = 0;
    if (m_carryLength > 0) {
        // The sequence the previous piece began, with what follows it
        // (every piece but the last is long enough to finish it).
        char joined[8];
        std::memcpy(joined, m_carry, m_carryLength);
        const qsizetype taken = qMin<qsizetype>(piece.size(), 4);
        std::memcpy(joined + m_carryLength, piece.data(), taken);
        const auto* const begin = reinterpret_cast<const quint8*>(joined);
        const quint8* p = begin;
        const quint8* const end = begin + m_carryLength + taken;
        while (p - begin < m_carryLength)
            p = decodeOne(p, end, o);
        start = (p - begin) - m_carryLength;
        m_carryLength = 0;
    }
    const QByteArrayView rest = piece.sliced(start);
    const qsizetype tail = last ? 0 : openTail(rest);
    o = decodeRun(rest.first(rest.size() - tail), o);
    std::memcpy(m_carry, rest.data() + rest.size() - tail, tail);
    m_carryLength = static_cast<int>(tail);
    m_nonAscii = m_nonAscii || tail > 0;
    return givenUp() ? -1 : o - out;
}

char16_t* Utf8Decoder::decodeRun(QByteArrayView bytes, char16_t* o)
{
    const auto* p = reinterpret_cast<const quint8*>(bytes.data());
    const auto* const end = p + bytes.size();
    while (p < end) {
        copyAsciiRun(p, end, o);
        if (p == end)
            break;
        const quint8 b = *p;
        if (b < 0x80) {
            *o++ = b;
            ++p;
        } else if ((b & 0xF0) == 0xE0 && b != 0xE0 && b != 0xED && end - p >= 3 && isContinuation(p[1]) &&
                   isContinuation(p[2])) {
            // Chinese characters and punctuation: three bytes, no special
            // case (E0 and ED have narrower second bytes).
            *o++ = static_cast<char16_t>(((b & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
            p += 3;
            ++m_valid;
            m_nonAscii = true;
        } else {
            p = decodeOne(p, end, o);
            m_nonAscii = true;
            if (givenUp())
                return o; // not UTF-8: the caller starts over
        }
    }
    return o;
}

// Decodes the sequence at p (p < end) into o; returns where the next
// one starts.
const quint8* Utf8Decoder::decodeOne(const quint8* p, const quint8* end, char16_t*& o)
{
    const quint8 b = p[0];
    const qsizetype left = end - p;
    auto inRange = [&](qsizetype i, quint8 low, quint8 high) { return i < left && p[i] >= low && p[i] <= high; };
    // The sequence is invalid after `used` bytes; when those are all
    // that is left, the text ends inside it (a sequence that goes on past
    // a piece never gets here).
    auto invalid = [&](qsizetype used) {
        if (used < left)
            ++m_invalid;
        *o++ = QChar::ReplacementCharacter;
        return p + used;
    };
    if (b < 0x80) {
        *o++ = b;
        return p + 1;
    }
    if (b >= 0xC2 && b <= 0xDF) {
        if (!inRange(1, 0x80, 0xBF))
            return invalid(1);
        *o++ = static_cast<char16_t>(((b & 0x1F) << 6) | (p[1] & 0x3F));
        ++m_valid;
        return p + 2;
    }
    if (b >= 0xE0 && b <= 0xEF) {
        const quint8 low = b == 0xE0 ? 0xA0 : 0x80;
        const quint8 high = b == 0xED ? 0x9F : 0xBF;
        if (!inRange(1, low, high))
            return invalid(1);
        if (!inRange(2, 0x80, 0xBF))
            return invalid(2);
        *o++ = static_cast<char16_t>(((b & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
        ++m_valid;
        return p + 3;
    }
    if (b >= 0xF0 && b <= 0xF4) {
        const quint8 low = b == 0xF0 ? 0x90 : 0x80;
        const quint8 high = b == 0xF4 ? 0x8F : 0xBF;
        if (!inRange(1, low, high))
            return invalid(1);
        if (!inRange(2, 0x80, 0xBF))
            return invalid(2);
        if (!inRange(3, 0x80, 0xBF))
            return invalid(3);
        const char32_t c = ((b & 0x07) << 18) | ((p[1] & 0x3F) << 12) | ((p[2] & 0x3F) << 6) | (p[3] & 0x3F);
        *o++ = QChar::highSurrogate(c);
        *o++ = QChar::lowSurrogate(c);
        ++m_valid;
        return p + 4;
    }
    ++m_invalid; // not a lead byte, never a cut
    *o++ = QChar::ReplacementCharacter;
    return p + 1;
}

} // namespace vamo::text_detail
