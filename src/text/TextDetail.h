// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Internal to the text layer: ICU converters with ownership and the
// streaming code page 936 decoder.

#include <QByteArrayView>

#include <unicode/ucnv.h>

#include <cstring>
#include <memory>

namespace vamo::text_detail {

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

// The converter ICU knows by `name` (it decodes invalid input as U+FFFD);
// null when ICU lacks it.
[[nodiscard]] Converter openConverter(const char* name);

// ICU's name of code page 936 as Windows has it (euro sign at 0x80).
inline constexpr const char* cp936Name = "windows-936-2000";

// cp936::code() of one character, asked of ICU without the code table (as
// code() does for the first characters a program asks for).
[[nodiscard]] quint16 cp936CodeWithoutTable(char16_t c);

// Copies the ASCII bytes at p to o eight at a time, advancing both; stops
// before the first group of eight that holds a non-ASCII byte or when fewer
// than eight bytes are left. Both decoders start every run with it.
inline void copyAsciiRun(const quint8*& p, const quint8* end, char16_t*& o)
{
    while (end - p >= 8) {
        quint64 word;
        std::memcpy(&word, p, 8);
        if (word & 0x8080808080808080ULL)
            return;
        for (int i = 0; i < 8; ++i)
            o[i] = p[i];
        o += 8;
        p += 8;
    }
}

// Decodes code page 936 piece by piece, exactly as ICU's converter does
// (the same characters, U+FFFD in the same places) but through tables taken
// from it once, which is several times faster than the converter itself.
class Cp936Decoder {
public:
    // Decodes `in` into `out`, which must have room for in.size() + 1 units;
    // returns the number of units written. A lead byte at the end of a piece
    // waits for the next piece unless `last` is set.
    [[nodiscard]] qsizetype decode(QByteArrayView in, char16_t* out, bool last);

    // Whether the bytes so far held a GB18030 four-byte sequence (lead byte,
    // digit, lead byte, digit), which code page 936 decodes as U+FFFD and
    // the digit. Checked only where a pair fails, at no cost to valid text.
    [[nodiscard]] bool sawFourByteSequence() const { return m_fourByte; }

private:
    int m_pendingLead = -1;
    bool m_fourByte = false;
};

} // namespace vamo::text_detail
