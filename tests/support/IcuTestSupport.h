// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <gtest/gtest.h>
#include <unicode/ucnv.h>

namespace vamo::test {

// ICU's own conversion of the whole input with the converter `name`: the
// reference the text layer's decoders are checked against.
inline QString icuDecode(const char* name, QByteArrayView bytes)
{
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open(name, &status);
    EXPECT_TRUE(U_SUCCESS(status));
    QString out(bytes.size() + 1, Qt::Uninitialized);
    status = U_ZERO_ERROR;
    const int32_t n = ucnv_toUChars(converter, reinterpret_cast<UChar*>(out.data()), out.size(), bytes.data(),
                                    static_cast<int32_t>(bytes.size()), &status);
    EXPECT_TRUE(U_SUCCESS(status));
    ucnv_close(converter);
    out.resize(n);
    return out;
}

// ICU's encoding of `text` with the converter `name` (a character it
// cannot encode becomes the converter's substitute).
inline QByteArray icuEncode(const char* name, const QString& text)
{
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open(name, &status);
    EXPECT_TRUE(U_SUCCESS(status));
    QByteArray out(text.size() * 4 + 4, Qt::Uninitialized);
    status = U_ZERO_ERROR;
    const int32_t n =
        ucnv_fromUChars(converter, out.data(), static_cast<int32_t>(out.size()),
                        reinterpret_cast<const UChar*>(text.utf16()), static_cast<int32_t>(text.size()), &status);
    EXPECT_TRUE(U_SUCCESS(status));
    ucnv_close(converter);
    out.resize(n);
    return out;
}

} // namespace vamo::test
