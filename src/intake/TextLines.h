// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QChar>
#include <QStringView>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

// Going through a text line by line, as the chapter detection and tidying
// do over whole novels: where a line ends and what counts as white space.
namespace vamo::textlines {

// White space (QChar::isSpace: tab to CR and Unicode's space, line and
// paragraph separators) or the byte-order mark, told without Qt's character
// tables: the punctuation of Chinese text lies between those separators.
[[nodiscard]] inline bool isBlank(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80)
        return u == u' ' || (u >= u'\t' && u <= u'\r');
    if (u < 0x2000)
        return u == 0x85 || u == 0xA0 || u == 0x1680;
    if (u <= 0x205F)
        return u <= 0x200A || u == 0x2028 || u == 0x2029 || u == 0x202F || u == 0x205F;
    return u == 0x3000 || u == 0xFEFF;
}

// The end of the line starting at `pos`: its CR or LF, or the end of the
// text. The text is looked at four UTF-16 units to a 64-bit word: sixteen
// units at a time are passed over while none of them is below 14, else the
// first CR or LF among them is found lane by lane.
[[nodiscard]] inline qsizetype lineEnd(QStringView text, qsizetype pos)
{
    const char16_t* data = text.utf16();
    const qsizetype n = text.size();
    constexpr std::uint64_t kLanes = 0x0001000100010001;
    constexpr std::uint64_t kHighBits = 0x8000800080008000;
    constexpr std::uint64_t kLowBits = ~kHighBits;
    const auto word = [&](qsizetype at) {
        std::uint64_t four = 0;
        std::memcpy(&four, data + at, sizeof four);
        return four;
    };
    // High bits where a lane is below 14, perhaps also in lanes after it:
    // exact only as "any lane".
    const auto anyBelow14 = [](std::uint64_t four) { return (four - kLanes * 14) & ~four; };
    // High bits exactly where a lane is zero.
    const auto zeroLanes = [](std::uint64_t four) { return ~(((four & kLowBits) + kLowBits) | four) & kHighBits; };
    const auto firstLane = [](std::uint64_t highBits) {
        return std::endian::native == std::endian::little ? std::countr_zero(highBits) / 16
                                                          : std::countl_zero(highBits) / 16;
    };
    for (; pos + 16 <= n; pos += 16) {
        if (((anyBelow14(word(pos)) | anyBelow14(word(pos + 4)) | anyBelow14(word(pos + 8)) |
              anyBelow14(word(pos + 12))) &
             kHighBits) == 0)
            continue;
        for (qsizetype at = pos; at < pos + 16; at += 4) {
            const std::uint64_t four = word(at);
            if (const std::uint64_t ends = zeroLanes(four ^ (kLanes * u'\r')) | zeroLanes(four ^ (kLanes * u'\n')))
                return at + firstLane(ends);
        }
    }
    while (pos < n && data[pos] != u'\r' && data[pos] != u'\n')
        ++pos;
    return pos;
}

// Where the next line starts, past the CR LF, CR or LF at `end`.
[[nodiscard]] inline qsizetype nextLine(QStringView text, qsizetype end)
{
    const qsizetype n = text.size();
    if (end < n && text[end] == u'\r')
        ++end;
    if (end < n && text[end] == u'\n')
        ++end;
    return end;
}

// How wide a text's lines are, counted line by line: tidying finds the
// text's wrap in them. The chapter detection, going through the lines
// anyway, counts their characters for it.
struct LineWidths {
    // Wider lines than this are counted together: no wrap is that wide.
    static constexpr int kWidest = 400;

    std::array<qsizetype, kWidest + 1> counts{}; // non-blank lines by width
    qsizetype nonBlank = 0;
    qsizetype lines = 0; // blank ones too

    // A line `width` wide, white space included; `blank` when it is nothing
    // but white space.
    void add(qsizetype width, bool blank)
    {
        ++lines;
        if (blank)
            return;
        ++nonBlank;
        ++counts[static_cast<std::size_t>(std::min<qsizetype>(width, kWidest))];
    }
};

} // namespace vamo::textlines
