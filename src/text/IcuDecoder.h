// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Internal to the text layer: ICU's stateful converters behind the face of
// the TXT reader's decoders.

#include "text/TextDetail.h"

#include <QByteArrayView>

namespace vamo::text_detail {

// Decodes GB18030, Big5 and UTF-16 piece by piece through the converter ICU
// knows by that name; invalid bytes (for UTF-16 unpaired surrogates and an
// odd last byte) become U+FFFD.
class IcuDecoder {
public:
    explicit IcuDecoder(const char* name) : m_converter(openConverter(name)) {}
    // Never more units than bytes, counting up to three bytes held back
    // from the previous piece.
    static constexpr qsizetype maxUnits(qsizetype pieceBytes) { return pieceBytes + 4; }

    // Decodes `piece` into `out` (room for maxUnits(piece.size()) units);
    // returns the number of units written. Bytes that end inside a
    // character wait for the next piece unless `last` is set.
    [[nodiscard]] qsizetype decode(QByteArrayView piece, char16_t* out, bool last);

private:
    Converter m_converter;
};

} // namespace vamo::text_detail
