// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Code page 936 (GBK) as the system code page has it, euro sign 0x80 included.
// All functions are safe to call from any thread.
namespace vamo::cp936 {

// The code that stands for a character the code page cannot represent: '?'.
inline constexpr quint16 kMissingCode = 63;

// The character's code: a single-byte code is its byte value (0..255), a
// double-byte code is lead byte * 256 + trail byte. A code unit without a
// code (including each half of a surrogate pair and default-ignorable
// characters such as U+00AD or U+200B) is taken as '?' (63). U+0000 is 0.
// The first few thousand characters from 0x80 on are asked of ICU one by
// one; after that (or once encode() ran) a table lookup, cheap enough to call
// once per character.
[[nodiscard]] quint16 code(char16_t c);

// The Chinese character test: the code written in hexadecimal without leading
// zeros starts with B, C, D, E or F. So every double-byte character with a
// lead byte of 0xB0 or above counts, and of the single-byte codes only
// 0x0B..0x0F (and the single byte 0xFF).
[[nodiscard]] bool isChinese(char16_t c);

// Decodes code page 936 bytes; invalid bytes become U+FFFD.
[[nodiscard]] QString decode(QByteArrayView bytes);

// Encodes text in code page 936, one or two bytes per code unit as code()
// gives them; characters without a code become '?'.
[[nodiscard]] QByteArray encode(QStringView text);

} // namespace vamo::cp936
