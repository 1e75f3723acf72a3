// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Internal to the text layer: whether bytes that are neither UTF-8 nor
// marked are Big5 rather than code page 936, on the evidence of the
// characters each reading gives.

#include "text/TextDetail.h"

#include <QByteArrayView>

#include <memory>

namespace vamo::text_detail {

// How Chinese a decoded text looks: of its characters beyond ASCII, how many
// are among the most frequent Chinese characters (simplified or
// traditional), and how many are odd in a text (U+FFFD, private use, C1
// controls).
struct ChineseScore {
    // Common characters one reading needs before it can win.
    static constexpr qsizetype kLeastCommon = 3;

    qsizetype characters = 0;
    qsizetype common = 0;
    qsizetype odd = 0;

    void add(const char16_t* text, qsizetype n);
    // At least kLeastCommon common characters and more than twice (plus
    // kLeastCommon) the other reading's, with hardly an odd one.
    [[nodiscard]] bool clearlyBetterThan(const ChineseScore& other) const;
};

// Reads the same bytes as code page 936, as Big5-HKSCS and as plain Big5
// (Windows' code page 950), piece by piece, and scores each reading.
class LegacyEvidence {
public:
    enum class Verdict {
        Cp936,     // code page 936 reads as Chinese at least as well
        Big5,      // Big5 reads far better, and the bytes have Big5's shape
        Big5Hkscs, // Big5 far better, and with HKSCS's characters better than without
        Close,     // too close or too little text to tell yet
    };

    LegacyEvidence();
    void feed(QByteArrayView piece, bool last);
    [[nodiscard]] Verdict verdict() const;
    [[nodiscard]] qint64 bytes() const { return m_bytes; }

private:
    static constexpr qsizetype kBufferUnits = 16 * 1024;
    qsizetype decodeIcu(UConverter* converter, QByteArrayView bytes, bool last);

    // Double-byte pairs, and those with a trail byte 0x40..0x7E: about a
    // third of Big5's, none of GB2312's.
    qint64 m_pairs = 0;
    qint64 m_lowTrails = 0;
    bool m_pendingLead = false;

    Cp936Decoder m_cp936Decoder;
    Converter m_big5;
    Converter m_plainBig5;
    std::unique_ptr<char16_t[]> m_buffer;
    ChineseScore m_cp936;
    ChineseScore m_big5Score;
    ChineseScore m_plainScore;
    qint64 m_bytes = 0;
};

} // namespace vamo::text_detail
