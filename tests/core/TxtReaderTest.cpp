// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/TxtReader.h"
#include "text/Cp936.h"

#include "IcuTestSupport.h"
#include "QtPrinters.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <random>
#include <string>
#include <vector>

using namespace vamo;
using namespace Qt::StringLiterals;

namespace {

// Text as a readable, unambiguous string for failure messages.
std::string shown(const QString& text)
{
    std::string out;
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\')
            out += "\\\\";
        else if (u == u'\r')
            out += "\\r";
        else if (u == u'\n')
            out += "\\n";
        else if (u >= 0x20 && u < 0x7F)
            out += static_cast<char>(u);
        else
            out += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0')).toStdString();
    }
    return out;
}

QByteArray bytesOf(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (int v : values)
        bytes.append(static_cast<char>(v));
    return bytes;
}

QByteArray utf16(QStringView text, bool bigEndian)
{
    QByteArray bytes = bigEndian ? bytesOf({0xFE, 0xFF}) : bytesOf({0xFF, 0xFE});
    for (QChar c : text) {
        const char high = static_cast<char>(c.unicode() >> 8);
        const char low = static_cast<char>(c.unicode() & 0xFF);
        bytes.append(bigEndian ? high : low).append(bigEndian ? low : high);
    }
    return bytes;
}

const QByteArray utf8Bom = bytesOf({0xEF, 0xBB, 0xBF});

// The line rules done the plain way, one character at a time.
TxtText plainLines(const QString& decoded)
{
    TxtText result;
    QString line;
    bool open = false;
    for (qsizetype i = 0; i < decoded.size(); ++i) {
        if (decoded[i] == u'\r') {
            result.text += line + u"\r\n"_s;
            ++result.lines;
            line.clear();
            open = false;
            if (i + 1 < decoded.size() && decoded[i + 1] == u'\n')
                ++i;
        } else {
            line += decoded[i];
            open = true;
        }
    }
    if (open) {
        result.text += line + u"\r\n"_s;
        ++result.lines;
    }
    return result;
}

void expectRead(const QByteArray& bytes, const QString& text, qint64 lines)
{
    const TxtText read = readTxtBytes(bytes);
    EXPECT_EQ(shown(read.text), shown(text));
    EXPECT_EQ(read.lines, lines);
}

QString testFile(const char* name)
{
    return QDir(QStringLiteral(VAMO_TEST_DATA_DIR "/text")).filePath(QString::fromLatin1(name));
}

// `bytes` written to `path` and read from there give what reading them from
// memory gives.
void expectFileReadsLikeItsBytes(const QString& path, const QByteArray& bytes)
{
    ASSERT_TRUE(test::writeFile(path, bytes));
    const Result<TxtText> fromFile = readTxtFile(path);
    ASSERT_TRUE(fromFile.has_value());
    const TxtText fromBytes = readTxtBytes(bytes);
    EXPECT_EQ(fromFile->text, fromBytes.text);
    EXPECT_EQ(fromFile->lines, fromBytes.lines);
    EXPECT_EQ(fromFile->encoding, fromBytes.encoding);
}

} // namespace

TEST(TxtEncoding, ByteOrderMarkDecides)
{
    EXPECT_EQ(detectEncoding(utf8Bom + "abc"), TextEncoding::Utf8);
    EXPECT_EQ(detectEncoding(bytesOf({0xFF, 0xFE, 'a', 0})), TextEncoding::Utf16LE);
    EXPECT_EQ(detectEncoding(bytesOf({0xFE, 0xFF, 0, 'a'})), TextEncoding::Utf16BE);
    // The mark wins even over bytes that say otherwise.
    EXPECT_EQ(detectEncoding(utf8Bom + bytesOf({0xD6, 0xD0})), TextEncoding::Utf8);
}

TEST(TxtEncoding, ValidUtf8WithNonAsciiIsUtf8EverythingElseCodePage936)
{
    EXPECT_EQ(detectEncoding(u"第一章\r\n"_s.toUtf8()), TextEncoding::Utf8);
    EXPECT_EQ(detectEncoding(u"😀"_s.toUtf8()), TextEncoding::Utf8);
    EXPECT_EQ(detectEncoding("plain ASCII\r\n"), TextEncoding::Cp936);
    EXPECT_EQ(detectEncoding(QByteArrayView()), TextEncoding::Cp936);
    EXPECT_EQ(detectEncoding(cp936::encode(u"第一章 中文")), TextEncoding::Cp936);
    // Not UTF-8: overlong, a surrogate, too large. (Cut off at the end is
    // UTF-8 that lost its last character.)
    EXPECT_EQ(detectEncoding(bytesOf({'a', 0xC0, 0x80})), TextEncoding::Cp936);
    EXPECT_EQ(detectEncoding(bytesOf({0xED, 0xA0, 0x80})), TextEncoding::Cp936);
    EXPECT_EQ(detectEncoding(bytesOf({0xF4, 0x90, 0x80, 0x80})), TextEncoding::Cp936);
}

TEST(TxtLines, LineEndsBecomeCrLf)
{
    expectRead("", u""_s, 0);
    expectRead("abc\r\n", u"abc\r\n"_s, 1);
    expectRead("abc", u"abc\r\n"_s, 1);
    expectRead("a\rb\r\nc", u"a\r\nb\r\nc\r\n"_s, 3);
    expectRead("a\nb\nc", u"a\nb\nc\r\n"_s, 1); // lone LFs stay inside the line
    expectRead("\n", u"\n\r\n"_s, 1);
    expectRead("\r\r", u"\r\n\r\n"_s, 2);
    expectRead("\r\n\r\n", u"\r\n\r\n"_s, 2);
    expectRead("a\n\r\nb\n", u"a\n\r\nb\n\r\n"_s, 2);
    expectRead("a\r\n\nb", u"a\r\n\nb\r\n"_s, 2);
}

TEST(TxtLines, SameRulesInEveryEncoding)
{
    const QString text = u"第一章\r　　他说：“好。”\r\n旧\n行\r\n末"_s;
    const QString expected = u"第一章\r\n　　他说：“好。”\r\n旧\n行\r\n末\r\n"_s;
    const struct {
        QByteArray bytes;
        TextEncoding encoding;
    } cases[] = {
        {cp936::encode(text), TextEncoding::Cp936},    {text.toUtf8(), TextEncoding::Utf8},
        {utf8Bom + text.toUtf8(), TextEncoding::Utf8}, {utf16(text, false), TextEncoding::Utf16LE},
        {utf16(text, true), TextEncoding::Utf16BE},
    };
    for (const auto& c : cases) {
        const TxtText read = readTxtBytes(c.bytes);
        EXPECT_EQ(shown(read.text), shown(expected));
        EXPECT_EQ(read.lines, 4);
        EXPECT_EQ(read.encoding, c.encoding);
    }
    // A byte-order mark alone is no text and no line.
    for (const QByteArray& bom : {utf8Bom, bytesOf({0xFF, 0xFE}), bytesOf({0xFE, 0xFF})})
        expectRead(bom, u""_s, 0);
}

TEST(TxtLines, InvalidBytesBecomeReplacementCharacters)
{
    expectRead(bytesOf({'a', 0xD6, 0xD0, 0x81}), u"a中\uFFFD\r\n"_s, 1);
    expectRead(bytesOf({0xB0, '\r', 'x'}), u"\uFFFD\r\nx\r\n"_s, 2);
    expectRead(utf8Bom + bytesOf({'a', 0xFF, 'b', 0xE4, 0xB8}), u"a\uFFFDb\uFFFD\r\n"_s, 1);
    expectRead(utf8Bom + bytesOf({0xC0, 0x80, '\r'}), u"\uFFFD\uFFFD\r\n"_s, 1);
    // UTF-16: an odd last byte and a surrogate without its partner.
    expectRead(bytesOf({0xFF, 0xFE, 'a', 0, 'b'}), u"a\uFFFD\r\n"_s, 1);
    expectRead(bytesOf({0xFF, 0xFE, 0x3D, 0xD8, 'a', 0}), u"\uFFFDa\r\n"_s, 1);
    expectRead(bytesOf({0xFE, 0xFF, 0xDC, 0x00}), u"\uFFFD\r\n"_s, 1);
}

// The bytes are decoded piece by piece: whatever straddles two pieces must
// come out as if there were one.
TEST(TxtLines, PieceBoundaries)
{
    for (qsizetype shift = 0; shift < 4; ++shift) {
        SCOPED_TRACE(shift);
        const QByteArray before(kTxtChunkBytes - shift, 'a');
        const QString beforeText(before.size(), u'a');
        // Code page 936 double-byte character, and CR LF.
        expectRead(before + cp936::encode(u"中\r\n文"), beforeText + u"中\r\n文\r\n"_s, 2);
        expectRead(before + "\r\nb", beforeText + u"\r\nb\r\n"_s, 2);
        expectRead(before + "\r\r\n", beforeText + u"\r\n\r\n"_s, 2);
        // UTF-8 three- and four-byte sequences, with a mark (the pieces
        // count from its end) and without (detection sees them too).
        expectRead(before + u"中😀\r"_s.toUtf8(), beforeText + u"中😀\r\n"_s, 1);
        expectRead(utf8Bom + before + u"中😀"_s.toUtf8(), beforeText + u"中😀\r\n"_s, 1);
        EXPECT_EQ(readTxtBytes(before + u"中"_s.toUtf8()).encoding, TextEncoding::Utf8);
        // Invalid sequences cut by the boundary.
        expectRead(utf8Bom + before + bytesOf({0xE4, 0xB8, 'x'}), beforeText + u"\uFFFDx\r\n"_s, 1);
        expectRead(before + bytesOf({0xD6}), beforeText + u"\uFFFD\r\n"_s, 1);
    }
    // A UTF-16 surrogate pair across the boundary of the text after the mark.
    const QString units(kTxtChunkBytes / 2 - 1, u'b');
    expectRead(utf16(units + u"😀\r"_s, false), units + u"😀\r\n"_s, 1);
    expectRead(utf16(units + u"😀\r"_s, true), units + u"😀\r\n"_s, 1);
    // UTF-8 whose first non-ASCII character lies pieces after the start, and
    // UTF-8 spoilt only in its last piece (two bytes of one character in
    // code page 936: too little to be anything but damage).
    const QByteArray ascii(3 * kTxtChunkBytes, 'x');
    for (const QByteArray& bytes : {QByteArray(ascii + u"中"_s.toUtf8()), ascii}) {
        const TxtText read = readTxtBytes(bytes);
        EXPECT_EQ(read.encoding, detectEncoding(bytes));
        EXPECT_EQ(
            read.text,
            plainLines(read.encoding == TextEncoding::Utf8 ? QString::fromUtf8(bytes) : cp936::decode(bytes)).text);
    }
    EXPECT_EQ(detectEncoding(ascii + u"中"_s.toUtf8()), TextEncoding::Utf8);
    const TxtText spoilt = readTxtBytes(u"中文第一章"_s.toUtf8() + ascii + bytesOf({0xD6, 0xD0}));
    EXPECT_EQ(spoilt.encoding, TextEncoding::Utf8);
    EXPECT_EQ(spoilt.text, u"中文第一章"_s + QString::fromLatin1(ascii) + u"\uFFFD\uFFFD\r\n"_s);
    const TxtText cut = readTxtBytes(u"中"_s.toUtf8() + ascii + bytesOf({0xE4, 0xB8}));
    EXPECT_EQ(cut.encoding, TextEncoding::Utf8);
    EXPECT_EQ(cut.text, u"中"_s + QString::fromLatin1(ascii) + u"\uFFFD\r\n"_s);
}

// Random byte soups a few pieces long, full of line ends and invalid
// sequences, against decoding the whole at once and the plain line rules.
TEST(TxtLines, PiecewiseReadingMatchesWholeDecoding)
{
    std::mt19937 random(2024);
    const auto soup = [&](qsizetype length) {
        QByteArray bytes;
        bytes.reserve(length);
        while (bytes.size() < length) {
            const unsigned r = random() % 16;
            if (r < 2)
                bytes.append(r == 0 ? '\r' : '\n');
            else if (r < 6)
                bytes.append(static_cast<char>('a' + random() % 26));
            else
                bytes.append(static_cast<char>(0x80 + random() % 0x80));
        }
        return bytes;
    };
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        const QByteArray bytes = soup(2 * kTxtChunkBytes + static_cast<qsizetype>(random() % 1000));
        const TxtText gbk = readTxtBytes(bytes);
        ASSERT_EQ(gbk.encoding, TextEncoding::Cp936);
        EXPECT_EQ(detectEncoding(bytes), TextEncoding::Cp936);
        const TxtText gbkExpected = plainLines(cp936::decode(bytes));
        EXPECT_EQ(gbk.text, gbkExpected.text);
        EXPECT_EQ(gbk.lines, gbkExpected.lines);

        const TxtText utf8 = readTxtBytes(utf8Bom + bytes);
        ASSERT_EQ(utf8.encoding, TextEncoding::Utf8);
        const TxtText utf8Expected = plainLines(test::icuDecode("UTF-8", bytes));
        EXPECT_EQ(utf8.text, utf8Expected.text);
        EXPECT_EQ(utf8.lines, utf8Expected.lines);
    }
}

// Line ends where one piece meets the next, in pieces whose lines all end
// in CR LF and in pieces with lone CRs, read as UTF-8 (ASCII) and as code
// page 936.
TEST(TxtLines, LineEndsWherePiecesMeet)
{
    const std::pair<QByteArray, QByteArray> edges[] = {
        {"\r", "\n"}, {"\r", "x"},    {"\r", "\r\n"}, {"x", "\r\n"},  {"\r\r", "\n\n"},
        {"x", "\n"},  {"\r\n", "\r"}, {"\n", "\r"},   {"\r\n", "\n"}, {"\r", ""},
    };
    for (const QByteArray& start : {QByteArray("ab"), bytesOf({0xD6, 0xD0})}) {
        for (const auto& [before, after] : edges) {
            SCOPED_TRACE(shown(QString::fromLatin1(start + "|" + before + "|" + after)));
            QByteArray bytes = start;
            for (int piece = 1; piece <= 3; ++piece) {
                // The second piece has lone CRs, the others CR LF only.
                while (bytes.size() < piece * kTxtChunkBytes - before.size()) {
                    const qsizetype i = bytes.size() % 40;
                    bytes += i == 0 ? '\r' : i == 1 && piece != 2 ? '\n' : 'y';
                }
                bytes += before + after;
            }
            std::vector<TxtProgress> calls;
            const TxtText read = readTxtBytes(bytes, [&](const TxtProgress& p) { calls.push_back(p); });
            const TxtText expected =
                plainLines(start.startsWith('a') ? QString::fromLatin1(bytes) : cp936::decode(bytes));
            EXPECT_EQ(read.encoding, TextEncoding::Cp936); // ASCII alone counts as code page 936
            ASSERT_EQ(read.text, expected.text);
            EXPECT_EQ(read.lines, expected.lines);
            // Every report names the text up to its line's end. (This code
            // page 936 text is reported while it is still read as UTF-8,
            // which it fails only at its end.)
            ASSERT_FALSE(calls.empty());
            for (const TxtProgress& call : calls) {
                if (!start.startsWith('a'))
                    break;
                qsizetype end = 0;
                for (qint64 line = 0; line < call.lines; ++line)
                    end = read.text.indexOf(u"\r\n", end) + 2;
                ASSERT_EQ(call.characters, end) << call.lines;
            }
        }
    }
}

TEST(TxtProgress, AfterEveryFiftiethLine)
{
    const auto linesOf = [](int count) {
        QByteArray bytes;
        for (int i = 1; i <= count; ++i)
            bytes += "line " + QByteArray::number(i) + (i % 3 ? "\r\n" : "\r");
        return bytes;
    };
    std::vector<TxtProgress> calls;
    const TxtProgressFn record = [&](const TxtProgress& p) { calls.push_back(p); };

    (void)readTxtBytes(linesOf(49), record);
    EXPECT_TRUE(calls.empty());

    const TxtText hundred = readTxtBytes(linesOf(100), record);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].lines, 50);
    EXPECT_EQ(calls[0].characters, hundred.text.indexOf(u"line 51"));
    EXPECT_EQ(calls[1].lines, 100);
    EXPECT_EQ(calls[1].characters, hundred.text.size());

    // The last line counts without its own line end.
    calls.clear();
    (void)readTxtBytes(linesOf(99) + "last", record);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].lines, 100);
}

// UTF-8 spoilt pieces after its start is read again as code page 936; the
// lines reported meanwhile are not reported twice.
TEST(TxtProgress, NoLineTwiceWhenUtf8TurnsOutCodePage936)
{
    // Two pieces of lines that are UTF-8 (one character each, but ASCII for
    // the most part), then many lines of code page 936 text: the invalid
    // sequences outweigh the valid ones only well after the start.
    QByteArray bytes;
    while (bytes.size() < 2 * kTxtChunkBytes)
        bytes += u"ascii line, one 中\r\n"_s.toUtf8();
    for (int i = 0; i < 1200; ++i)
        bytes += cp936::encode(u"第一行，中文。\r\n"_s);
    for (int i = 0; i < 120; ++i)
        bytes += "ascii\r\n";
    std::vector<TxtProgress> calls;
    const TxtText read = readTxtBytes(bytes, [&](const TxtProgress& p) { calls.push_back(p); });
    EXPECT_EQ(read.encoding, TextEncoding::Cp936);
    EXPECT_EQ(read.text, plainLines(cp936::decode(bytes)).text);
    ASSERT_FALSE(calls.empty());
    for (size_t i = 1; i < calls.size(); ++i)
        EXPECT_GT(calls[i].lines, calls[i - 1].lines);
    EXPECT_EQ(calls.back().lines, read.lines / 50 * 50);
}

// Across many pieces every report names the text up to that line's end.
TEST(TxtProgress, CharactersMatchTheTextAcrossPieces)
{
    QByteArray bytes;
    for (int i = 0; bytes.size() < 3 * kTxtChunkBytes; ++i)
        bytes += cp936::encode(QString(i % 97, u'字')) + (i % 2 ? "\r\n" : "\r");
    std::vector<TxtProgress> calls;
    const TxtText read = readTxtBytes(bytes, [&](const TxtProgress& p) { calls.push_back(p); });
    std::vector<qsizetype> lineEnds;
    for (qsizetype at = read.text.indexOf(u"\r\n"); at >= 0; at = read.text.indexOf(u"\r\n", at + 2))
        lineEnds.push_back(at + 2);
    ASSERT_EQ(static_cast<qint64>(lineEnds.size()), read.lines);
    ASSERT_EQ(static_cast<qint64>(calls.size()), read.lines / 50);
    for (size_t i = 0; i < calls.size(); ++i) {
        EXPECT_EQ(calls[i].lines, qint64(i + 1) * 50);
        EXPECT_EQ(calls[i].characters, lineEnds[(i + 1) * 50 - 1]);
    }
}

TEST(TxtFile, ReadsEveryEncodingFromDisk)
{
    const QString expected = u"第一章 开始\r\n　　他说：“你好。”\r\n旧行\n仍是一行\r\n最后一行\r\n"_s;
    const struct {
        const char* name;
        TextEncoding encoding;
    } files[] = {
        {"mixed-gbk.txt", TextEncoding::Cp936},       {"mixed-utf8.txt", TextEncoding::Utf8},
        {"mixed-utf8-bom.txt", TextEncoding::Utf8},   {"mixed-utf16le.txt", TextEncoding::Utf16LE},
        {"mixed-utf16be.txt", TextEncoding::Utf16BE},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        const Result<TxtText> read = readTxtFile(testFile(f.name));
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(shown(read->text), shown(expected));
        EXPECT_EQ(read->lines, 4);
        EXPECT_EQ(read->encoding, f.encoding);
    }
}

// A file of several pieces reads as its bytes do, UTF-8 (detected over the
// whole file first) included.
TEST(TxtFile, LargeFileReadsLikeItsBytes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString text;
    for (int i = 0; text.size() < 2 * kTxtChunkBytes; ++i)
        text += u"第%1段，风云山河。\r"_s.arg(i) + (i % 5 ? u"\n"_s : u""_s);
    for (const QByteArray& bytes : {cp936::encode(text), text.toUtf8(), QByteArray(text.toUtf8() + "\xFF")}) {
        expectFileReadsLikeItsBytes(dir.filePath(u"big.txt"_s), bytes);
    }
}

// The first piece of a file is taken again from memory when the reading
// starts over (after the byte-order mark, and as code page 936 after UTF-8):
// files just shorter, as long as and just longer than a piece, with and
// without a mark, and turning out not to be UTF-8 only after the first piece.
TEST(TxtFile, ReadingStartsOverAtEveryLengthAroundAPiece)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(u"piece.txt"_s);
    QString text;
    for (int i = 0; text.size() < kTxtChunkBytes; ++i)
        text += u"第%1段，风云山河。\r\n"_s.arg(i);
    const QByteArray gbk = cp936::encode(text);
    const QByteArray utf8 = text.toUtf8();
    for (const qsizetype length :
         {qsizetype(5), kTxtChunkBytes - 1, kTxtChunkBytes, kTxtChunkBytes + 1, kTxtChunkBytes + 3}) {
        SCOPED_TRACE(length);
        const QByteArray lateGbk = utf8.left(kTxtChunkBytes + 8) + gbk.left(length);
        for (const QByteArray& bytes : {gbk.left(length), utf8Bom + gbk.left(length - 3), utf8.left(length),
                                        utf16(text.left(length / 2), false), lateGbk}) {
            expectFileReadsLikeItsBytes(path, bytes);
        }
    }
}

TEST(TxtFile, UnreadableFileIsReportedWithItsPath)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString missing = dir.filePath(u"没有.txt"_s);
    const Result<TxtText> read = readTxtFile(missing);
    ASSERT_FALSE(read.has_value());
    EXPECT_EQ(read.error().message, u"无法读取文件："_s + QDir::toNativeSeparators(missing));

    const Result<TxtText> folder = readTxtFile(dir.path());
    ASSERT_FALSE(folder.has_value());
    EXPECT_EQ(folder.error().message, u"无法读取文件："_s + QDir::toNativeSeparators(dir.path()));
}
