#pragma once

#include <QByteArrayView>
#include <QString>

// Code page 936 (GBK) as the system code page has it, euro sign 0x80 included.
namespace vamo::cp936 {

// The character's code: a single-byte code is its byte value (0..255), a
// double-byte code is lead byte * 256 + trail byte. A code unit without a
// code (including each half of a surrogate pair and default-ignorable
// characters such as U+00AD or U+200B) is taken as '?' (63).
quint16 code(char16_t c);

// The Chinese character test: the code written in hexadecimal without leading
// zeros starts with B, C, D, E or F. So every double-byte character with a
// lead byte of 0xB0 or above counts, and of the single-byte codes only
// 0x0B..0x0F.
bool isChinese(char16_t c);

// Decodes code page 936 bytes; invalid bytes become U+FFFD.
QString decode(QByteArrayView bytes);

} // namespace vamo::cp936
