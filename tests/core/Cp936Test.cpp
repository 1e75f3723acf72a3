// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/Cp936.h"
#include "text/TextDetail.h"

#include "IcuTestSupport.h"
#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <random>

using namespace vamo;
using namespace Qt::StringLiterals;

namespace {

QByteArray bytesOf(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (int v : values)
        bytes.append(static_cast<char>(v));
    return bytes;
}

} // namespace

TEST(Cp936Code, SingleAndDoubleByteCodes)
{
    EXPECT_EQ(cp936::code(u'A'), 65);
    EXPECT_EQ(cp936::code(u'0'), 48);
    EXPECT_EQ(cp936::code(u'~'), 126);
    EXPECT_EQ(cp936::code(u'\0'), 0);
    EXPECT_EQ(cp936::code(u'中'), 0xD6D0);
    EXPECT_EQ(cp936::code(u'啊'), 0xB0A1); // first GB2312 character
    EXPECT_EQ(cp936::code(u'，'), 0xA3AC); // full-width comma
    EXPECT_EQ(cp936::code(u'丂'), 0x8140); // GBK extension, lowest lead byte
    EXPECT_EQ(cp936::code(u'€'), 0x80);    // the one single-byte code above ASCII
    EXPECT_EQ(cp936::code(u'é'), 0xA8A6);
}

TEST(Cp936Code, CharactersWithoutCodeAreQuestionMarks)
{
    // ICU drops default-ignorable characters instead of reporting them.
    EXPECT_EQ(cp936::code(u'\u00AD'), 63); // soft hyphen
    EXPECT_EQ(cp936::code(u'\u200B'), 63); // zero width space
    EXPECT_EQ(cp936::code(u'\uFEFF'), 63);
    EXPECT_EQ(cp936::code(u'\uAC00'), 63); // Hangul syllable
    for (char16_t half : {char16_t(0xD800), char16_t(0xD83D), char16_t(0xDBFF), char16_t(0xDC00), char16_t(0xDFFF)})
        EXPECT_EQ(cp936::code(half), 63) << std::hex << int(half);
}

// Every code the table gives decodes back to its character: the lead byte
// comes first and the two directions of the converter agree.
TEST(Cp936Code, EveryCodeDecodesBackToItsCharacter)
{
    int withCode = 0;
    for (char32_t c = 1; c < 0x10000; ++c) {
        const quint16 code = cp936::code(static_cast<char16_t>(c));
        if (code == 63 && c != u'?')
            continue;
        ++withCode;
        const QByteArray bytes = code > 0xFF ? bytesOf({code >> 8, code & 0xFF}) : bytesOf({code});
        const QString back = cp936::decode(bytes);
        ASSERT_EQ(back.size(), 1) << std::hex << int(c);
        ASSERT_EQ(back[0].unicode(), c) << std::hex << int(c) << " code " << code;
    }
    // ASCII, the euro sign and the double-byte area (with its private use
    // characters): more than 21000 characters.
    EXPECT_GT(withCode, 21000);
}

// The first codes a program asks for come from ICU one by one, the later
// ones from the table: both give the same code for every character.
TEST(Cp936Code, CodesAskedOneByOneAreTheTables)
{
    for (char32_t c = 0; c < 0x10000; c += (c < 0x3000 ? 1 : 7)) {
        const auto unit = static_cast<char16_t>(c);
        ASSERT_EQ(text_detail::cp936CodeWithoutTable(unit), cp936::code(unit)) << std::hex << int(c);
    }
}

TEST(Cp936IsChinese, HexadecimalFirstDigitBToF)
{
    for (char16_t c = 0x20; c < 0x7F; ++c)
        EXPECT_FALSE(cp936::isChinese(c)) << char(c);
    EXPECT_TRUE(cp936::isChinese(u'中'));
    EXPECT_TRUE(cp936::isChinese(u'啊'));      // 0xB0A1
    EXPECT_TRUE(cp936::isChinese(u'齄'));      // 0xF7FE, last GB2312 character
    EXPECT_FALSE(cp936::isChinese(u'，'));     // 0xA3AC
    EXPECT_FALSE(cp936::isChinese(u'、'));     // 0xA1A2
    EXPECT_FALSE(cp936::isChinese(u'丂'));     // 0x8140
    EXPECT_FALSE(cp936::isChinese(u'€'));      // 0x80
    EXPECT_FALSE(cp936::isChinese(u'\uAC00')); // no code: '?'
    EXPECT_FALSE(cp936::isChinese(u'\0'));
    // Single-byte codes 0x0B..0x0F are written B..F.
    EXPECT_FALSE(cp936::isChinese(u'\x0A'));
    for (char16_t c = 0x0B; c <= 0x0F; ++c)
        EXPECT_TRUE(cp936::isChinese(c)) << int(c);
    EXPECT_FALSE(cp936::isChinese(u'\x10'));
}

TEST(Cp936Decode, CharactersAndInvalidBytes)
{
    EXPECT_EQ(cp936::decode(QByteArrayView()), QString());
    EXPECT_EQ(cp936::decode(bytesOf({0xD6, 0xD0, 0xCE, 0xC4, 'a'})), u"中文a"_s);
    EXPECT_EQ(cp936::decode(bytesOf({0x80})), u"€"_s);
    // A lead byte at the end, or before a byte that cannot follow it.
    EXPECT_EQ(cp936::decode(bytesOf({'a', 0x81})), u"a\uFFFD"_s);
    EXPECT_EQ(cp936::decode(bytesOf({0x81, '0', 0xD6, 0xD0})), u"\uFFFD0中"_s);
    EXPECT_EQ(cp936::decode(bytesOf({0xA1, 0x7F})), u"\uFFFD\x7F"_s);
    EXPECT_EQ(cp936::decode(bytesOf({0xB0, '\r', '\n'})), u"\uFFFD\r\n"_s);
}

// The table-driven decoder gives exactly what ICU's converter gives, also
// for byte soups full of invalid pairs.
TEST(Cp936Decode, SameAsIcuForRandomBytes)
{
    std::mt19937 random(936);
    for (int round = 0; round < 200; ++round) {
        QByteArray bytes;
        const int length = static_cast<int>(random() % 400);
        for (int i = 0; i < length; ++i) {
            switch (random() % 4) {
            case 0:
                bytes.append(static_cast<char>(random() % 0x80));
                break;
            case 1:
                bytes.append(static_cast<char>(0x80 + random() % 0x80));
                break;
            default:
                bytes.append(static_cast<char>(random() % 0x100));
                break;
            }
        }
        ASSERT_EQ(cp936::decode(bytes), test::icuDecode("windows-936-2000", bytes)) << "round " << round;
    }
}

TEST(Cp936Encode, OneOrTwoBytesPerUnit)
{
    EXPECT_EQ(cp936::encode(u"a中€，"), bytesOf({'a', 0xD6, 0xD0, 0x80, 0xA3, 0xAC}));
    EXPECT_EQ(cp936::encode(u"x\u00AD\u200By"), QByteArray("x??y"));
    EXPECT_EQ(cp936::encode(u"😀"), QByteArray("??")); // a surrogate pair
    EXPECT_EQ(cp936::encode(QStringView(u"\0", 1)), QByteArray(1, '\0'));
}
