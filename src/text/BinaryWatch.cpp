// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/BinaryWatch.h"

#include <algorithm>
#include <cstring>

namespace vamo::text_detail {

namespace {

// Control characters that plain text holds: tab, line feed, vertical tab,
// form feed, carriage return, the DOS end-of-file mark and escape.
bool isTextControl(unsigned c) { return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x1B; }

// A control character that plain text does not hold.
bool isStrayControl(unsigned c) { return (c < 0x20 || c == 0x7F) && !isTextControl(c); }

} // namespace

bool looksBinary(QByteArrayView piece, TextEncoding encoding, qsizetype over)
{
    const auto* p = reinterpret_cast<const quint8*>(piece.data());
    const qsizetype n = piece.size();
    qsizetype controls = 0;
    if (encoding != TextEncoding::Utf16LE && encoding != TextEncoding::Utf16BE) {
        // Every text file's first 64 KB pass through here, so eight bytes at
        // a time: a word is looked at byte by byte only when one of its bytes
        // is below 0x20 or is 0x7F (about once a line in text). The test
        // below finds the lowest such byte exactly; bytes above it may show
        // up too, which only costs the closer look.
        constexpr quint64 ones = 0x0101010101010101ull;
        constexpr quint64 highs = 0x8080808080808080ull;
        auto count = [&](qsizetype from, qsizetype to) {
            for (qsizetype i = from; i < to; ++i) {
                const unsigned c = p[i];
                if (c == 0)
                    return false;
                controls += isStrayControl(c);
            }
            return true;
        };
        qsizetype i = 0;
        for (; i + 8 <= n; i += 8) {
            quint64 word;
            std::memcpy(&word, p + i, sizeof word);
            const quint64 del = word ^ (ones * 0x7F);
            if ((((word - ones * 0x20) & ~word) | ((del - ones) & ~del)) & highs) {
                if (!count(i, i + 8))
                    return true;
            }
        }
        if (!count(i, n))
            return true;
        return controls * 20 > std::max(n, over);
    }
    qsizetype units = 0;
    for (qsizetype i = 0; i + 2 <= n; i += 2, ++units) {
        const unsigned c = encoding == TextEncoding::Utf16LE ? p[i] | (p[i + 1] << 8) : (p[i] << 8) | p[i + 1];
        if (c == 0)
            return true;
        controls += isStrayControl(c);
    }
    return controls * 20 > std::max(units, over / 2);
}

BinaryWatch::BinaryWatch(ByteSource& source, TextEncoding encoding, qint64 judgedThrough)
    : m_source(source), m_encoding(encoding), m_judged(judgedThrough)
{
}

std::optional<QByteArrayView> BinaryWatch::next()
{
    const std::optional<QByteArrayView> piece = m_source.next();
    if (!piece)
        return piece;
    const qint64 end = m_pos + piece->size();
    if (end > m_judged) {
        if (looksBinary(*piece, m_encoding, kTxtChunkBytes)) {
            m_binary = true;
            return std::nullopt;
        }
        m_judged = end;
    }
    m_pos = end;
    return piece;
}

bool BinaryWatch::seek(qint64 pos)
{
    m_pos = pos;
    return m_source.seek(pos);
}

} // namespace vamo::text_detail
