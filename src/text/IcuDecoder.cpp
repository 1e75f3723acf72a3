// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/IcuDecoder.h"

namespace vamo::text_detail {

qsizetype IcuDecoder::decode(QByteArrayView piece, char16_t* out, bool last)
{
    if (!m_converter)
        return 0; // ICU without these converters: cannot happen
    UChar* target = out;
    const char* source = piece.data();
    UErrorCode status = U_ZERO_ERROR;
    ucnv_toUnicode(m_converter.get(), &target, out + maxUnits(piece.size()), &source, piece.data() + piece.size(),
                   nullptr, last, &status);
    return target - out;
}

} // namespace vamo::text_detail
