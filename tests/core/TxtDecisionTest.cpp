// SPDX-License-Identifier: GPL-3.0-or-later
// Which encoding a TXT file without byte-order mark is read in, and which
// files are not read at all: damaged UTF-8 stays UTF-8, real GBK text never
// passes for UTF-8, GB18030 four-byte sequences are decoded as GB18030, and
// binary files, FIFOs and devices are refused.
#include "text/Cp936.h"
#include "text/FileNames.h"
#include "text/TxtReader.h"

#include "FileLinks.h"
#include "IcuTestSupport.h"
#include "QtPrinters.h"
#include "TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

using namespace vamo;
using namespace Qt::StringLiterals;

namespace {

// The text of the sample book and of the test files, as GBK bytes.
QList<QByteArray> realGbkTexts()
{
    QList<QByteArray> texts;
    for (const char* dir : {VAMO_TEST_DATA_DIR "/../../samples", VAMO_TEST_DATA_DIR "/text"}) {
        QDirIterator it(QString::fromUtf8(dir), {u"*.txt"_s}, QDir::Files);
        while (it.hasNext()) {
            const QString path = it.next();
            const TxtText read = readTxtBytes(test::readFile(path));
            if (read.encoding == TextEncoding::Utf8)
                texts.append(cp936::encode(read.text));
        }
    }
    return texts;
}

// Every character of GB2312's Chinese rows, in code order.
QByteArray allGb2312Characters()
{
    QByteArray bytes;
    for (int lead = 0xB0; lead <= 0xF7; ++lead) {
        for (int trail = 0xA1; trail <= 0xFE; ++trail) {
            if (lead == 0xD7 && trail > 0xF9)
                continue; // unassigned end of row 55
            bytes.append(static_cast<char>(lead));
            bytes.append(static_cast<char>(trail));
        }
    }
    return bytes;
}

QString utf8Text()
{
    QString text;
    for (int i = 0; i < 40; ++i)
        text += u"第%1章　山中岁月，雨落秋收。\r\n"_s.arg(i);
    return text;
}

} // namespace

TEST(TxtDecision, RealGbkTextNeverPassesForUtf8)
{
    const QList<QByteArray> texts = realGbkTexts();
    ASSERT_GE(texts.size(), 4);
    for (const QByteArray& gbk : texts) {
        const TxtText read = readTxtBytes(gbk);
        EXPECT_EQ(read.encoding, TextEncoding::Cp936);
        EXPECT_EQ(read.text, cp936::decode(gbk));
        // Cut anywhere, even inside a character, it stays code page 936.
        for (qsizetype cut : {qsizetype(7), gbk.size() / 3, gbk.size() - 1})
            EXPECT_EQ(readTxtBytes(gbk.first(cut)).encoding, TextEncoding::Cp936) << cut;
    }

    // All of GB2312, in code order and shuffled in pieces of ten characters.
    const QByteArray all = allGb2312Characters();
    EXPECT_EQ(readTxtBytes(all).encoding, TextEncoding::Cp936);
    QRandomGenerator random(11);
    for (int round = 0; round < 50; ++round) {
        QByteArray sample;
        for (int k = 0; k < 10; ++k)
            sample += all.sliced(2 * random.bounded(static_cast<int>(all.size() / 2)), 2);
        sample += "\r\n";
        EXPECT_EQ(readTxtBytes(sample).encoding, TextEncoding::Cp936) << sample.toHex().constData();
    }
}

TEST(TxtDecision, DamagedUtf8StaysUtf8WithReplacementCharacters)
{
    const QString text = utf8Text();
    const QByteArray utf8 = text.toUtf8();

    // One byte of a character damaged: that place becomes U+FFFD, the rest
    // of the book reads as written.
    QByteArray damaged = utf8;
    const qsizetype at = utf8.indexOf(u"岁"_s.toUtf8());
    damaged[at + 1] = 'x';
    const TxtText read = readTxtBytes(damaged);
    EXPECT_EQ(read.encoding, TextEncoding::Utf8);
    QString expected = text;
    expected.replace(text.indexOf(u"岁"_s), 1, u"\uFFFDx\uFFFD"_s);
    EXPECT_EQ(read.text, expected);

    // A few stray bytes at different places.
    QByteArray stray = utf8;
    for (const char b : {'\xFF', '\xB0', '\xD6'})
        stray.insert(stray.indexOf("\r\n", 50 * (b & 0x0F)), b); // before a line end
    EXPECT_EQ(readTxtBytes(stray).encoding, TextEncoding::Utf8);
    EXPECT_EQ(readTxtBytes(stray).text.count(QChar::ReplacementCharacter), 3);

    // The last character cut off, in a long and in a short text.
    const TxtText cut = readTxtBytes(utf8 + u"完"_s.toUtf8().chopped(1));
    EXPECT_EQ(cut.encoding, TextEncoding::Utf8);
    EXPECT_EQ(cut.text, text + u"\uFFFD\r\n"_s);
    EXPECT_EQ(readTxtBytes(u"中文"_s.toUtf8().chopped(1)).text, u"中\uFFFD\r\n"_s);
    EXPECT_EQ(detectEncoding(u"中文"_s.toUtf8().chopped(2)), TextEncoding::Utf8);
}

TEST(TxtDecision, Gb18030FourByteSequencesDecodeAsGb18030)
{
    // 中文, U+00FF (four bytes in GB18030), 😀 (four bytes, a surrogate pair).
    const QByteArray gb = "\xD6\xD0\xCE\xC4 \x81\x30\x8B\x37 \x94\x39\xFC\x36\r\n";
    const TxtText read = readTxtBytes(gb);
    EXPECT_EQ(read.encoding, TextEncoding::Gb18030);
    EXPECT_EQ(read.text, u"中文 \u00FF 😀\r\n"_s);
    EXPECT_EQ(read.text, test::icuDecode("gb18030", gb));

    // Past the first piece, too, and a four-byte sequence split by a piece.
    QByteArray big = cp936::encode(utf8Text());
    while (big.size() < kTxtChunkBytes - 2)
        big += cp936::encode(u"风云山河\r\n"_s);
    big.truncate(kTxtChunkBytes - 2);
    big += gb;
    EXPECT_EQ(readTxtBytes(big).encoding, TextEncoding::Gb18030);
    EXPECT_EQ(readTxtBytes(big).text, readTxtBytes(test::icuDecode("gb18030", big).toUtf8()).text);

    // Plain code page 936 stays exactly what the table decoder gives, euro
    // sign and invalid pairs included.
    const QByteArray plain = cp936::encode(u"第一章 € 中文"_s) + "\x81\x20\xFF";
    EXPECT_EQ(readTxtBytes(plain).encoding, TextEncoding::Cp936);
    EXPECT_EQ(readTxtBytes(plain).text, cp936::decode(plain) + u"\r\n"_s);
}

class TxtRefusal : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString put(const QString& name, const QByteArray& bytes)
    {
        const QString path = dir.filePath(name);
        EXPECT_TRUE(test::writeFile(path, bytes));
        return path;
    }
    void expectRefused(const QString& path)
    {
        const Result<TxtText> read = readTxtFile(path);
        ASSERT_FALSE(read.has_value()) << path.toStdString();
        EXPECT_EQ(read.error().message, u"不是文本文件："_s + QDir::toNativeSeparators(path));
    }
};

TEST_F(TxtRefusal, BinaryFilesAreNotText)
{
    expectRefused(put(u"archive.txt"_s, QByteArray("PK\x03\x04\x14\x00\x00\x00\x08\x00", 10) + "abc.txt"));
    expectRefused(put(u"picture.txt"_s, QByteArray("\x89PNG\r\n\x1A\n\x00\x00\x00\x0DIHDR", 16)));
    QByteArray random(4096, Qt::Uninitialized);
    QRandomGenerator gen(7);
    for (char& c : random)
        c = static_cast<char>(gen.bounded(256));
    expectRefused(put(u"random.txt"_s, random));
    QByteArray controls;
    for (int i = 0; i < 40; ++i)
        controls += "ab\x01\x02\x03\x04";
    expectRefused(put(u"controls.txt"_s, controls));

    // Text in every encoding the reader knows passes, tabs, form feeds and a
    // DOS end-of-file mark included.
    const QString text = u"第一章\t开始\f\r\n正文 text\r\n"_s;
    const QByteArray le(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    QByteArray be = le;
    for (qsizetype i = 0; i + 1 < be.size(); i += 2)
        std::swap(be[i], be[i + 1]);
    for (const QByteArray& bytes : {cp936::encode(text) + "\x1A", text.toUtf8(), "\xEF\xBB\xBF" + text.toUtf8(),
                                    "\xFF\xFE" + le, "\xFE\xFF" + be, QByteArray()}) {
        const Result<TxtText> read = readTxtFile(put(u"text.txt"_s, bytes));
        ASSERT_TRUE(read.has_value()) << bytes.toHex().constData();
    }
}

TEST_F(TxtRefusal, BinaryBytesAfterTheFirstPieceAreNotTextEither)
{
    QByteArray text;
    while (text.size() < kTxtChunkBytes)
        text += cp936::encode(u"第一章 山居\r\n　　三月初，我把城里的房子退了。\r\n"_s);
    QByteArray random(1 << 20, Qt::Uninitialized);
    QRandomGenerator gen(11);
    for (char& c : random)
        c = static_cast<char>(gen.bounded(256));
    expectRefused(put(u"gbk-then-random.txt"_s, text + random));
    expectRefused(put(u"utf8-then-random.txt"_s, "\xEF\xBB\xBF" + cp936::decode(text).toUtf8() + random));
    // Far into the file, and a lone NUL in a long tail of text.
    expectRefused(put(u"late.txt"_s, text.repeated(20) + random.first(4096)));
    expectRefused(put(u"zero-byte.txt"_s, text.repeated(3) + QByteArray(1, '\0') + text));
    const QString utf16 = cp936::decode(text.repeated(2));
    const QByteArray le(reinterpret_cast<const char*>(utf16.utf16()), utf16.size() * 2);
    expectRefused(put(u"utf16-then-random.txt"_s, "\xFF\xFE" + le + random));

    // A long text with a short tail after its last full piece still reads,
    // the tail's one stray control character included.
    const QByteArray tail = text.repeated(2) + "end\x04\r\n";
    const Result<TxtText> read = readTxtFile(put(u"tail.txt"_s, tail));
    ASSERT_TRUE(read.has_value());
    EXPECT_TRUE(read->text.endsWith(u"end\x04\r\n"_s));
}

TEST_F(TxtRefusal, EveryByteCountsWhereverItStands)
{
    // A NUL anywhere in the first piece, at every place within and between
    // the words the test reads at once, and in the bytes after the last word.
    const QByteArray text = cp936::encode(u"第一章 开始\r\n正文。\r\n"_s).repeated(3);
    for (qsizetype at = 0; at <= text.size(); ++at) {
        QByteArray withNul = text;
        withNul.insert(at, '\0');
        expectRefused(put(u"zero-byte.txt"_s, withNul));
    }

    // One control character in twenty bytes is still text, two are not;
    // every byte value, at places that fall in one word, across two and in
    // the tail.
    for (int value = 1; value < 256; ++value) {
        const char c = static_cast<char>(value);
        const bool control =
            (value < 0x20 || value == 0x7F) && !(value >= 0x09 && value <= 0x0D) && value != 0x1A && value != 0x1B;
        const qsizetype first = value % 13;
        QByteArray one(20, 'a');
        one[first] = c;
        EXPECT_TRUE(readTxtFile(put(u"one.txt"_s, one)).has_value()) << value;
        QByteArray two = one;
        two[first + 7] = c;
        if (control)
            expectRefused(put(u"two.txt"_s, two));
        else
            EXPECT_TRUE(readTxtFile(put(u"two.txt"_s, two)).has_value()) << value;
    }

    // The share counts over the whole piece, wherever the controls stand.
    QByteArray spread(20 * 50, 'a');
    for (qsizetype i = 0; i < 50; ++i)
        spread[i * 19 + i % 3] = '\x01';
    EXPECT_TRUE(readTxtFile(put(u"spread.txt"_s, spread)).has_value());
    spread[spread.size() - 1] = '\x02';
    expectRefused(put(u"spread.txt"_s, spread));
}

#ifndef Q_OS_WIN
TEST_F(TxtRefusal, OnlyRegularFilesAreRead)
{
    const QString fifo = dir.filePath(u"pipe.txt"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    expectRefused(fifo); // and does not wait for a writer
    if (QFileInfo::exists(u"/dev/zero"_s))
        expectRefused(u"/dev/zero"_s);

    // A link to a regular file is read.
    const QString target = put(u"real.txt"_s, "abc\r\n");
    const QString link = dir.filePath(u"link.txt"_s);
    ASSERT_TRUE(test::makeFileLink(target, link));
    ASSERT_TRUE(readTxtFile(link).has_value());
}

TEST_F(TxtRefusal, FileNamesThatAreNotUtf8Open)
{
    // 中文.txt in GBK: not UTF-8.
    const QByteArray raw = QFile::encodeName(dir.path()) + "/\xD6\xD0\xCE\xC4.txt";
    FILE* f = std::fopen(raw.constData(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("abc\r\n", f);
    std::fclose(f);

    const QString path = decodeFileName(raw);
    EXPECT_EQ(encodeFileName(path), raw);
    const Result<TxtText> read = readTxtFile(path);
    ASSERT_TRUE(read.has_value()) << read.error().message.toStdString();
    EXPECT_EQ(read->text, u"abc\r\n"_s);
    // Shown as the GBK name it is.
    EXPECT_EQ(displayFileName(path), QDir(dir.path()).filePath(u"中文.txt"_s));
    EXPECT_EQ(decodeFileName("plain/名字.txt"), u"plain/名字.txt"_s);
}
#endif

TEST(TxtDecision, Big5IsReadAsBig5WhereverItsEvidenceLies)
{
    const QString text = u"第一回 風雨\r\n　　話說那一年，他們從東邊來到這裏，說是要找一個親戚。"
                         u"誰知道這個親戚早就搬走了，只留下一間舊房子和門前的兩棵老樹。\r\n"_s;
    const QByteArray big5 = test::icuEncode("windows-950", text);
    const TxtText read = readTxtBytes(big5);
    EXPECT_EQ(read.encoding, TextEncoding::Big5);
    EXPECT_EQ(read.text, text);

    // After 70 KB of ASCII the first piece tells nothing; the next ones do.
    const QByteArray ascii = QByteArray("Chapter notes, line by line.\r\n").repeated(2400);
    ASSERT_GT(ascii.size(), kTxtChunkBytes);
    EXPECT_EQ(readTxtBytes(ascii + big5.repeated(3)).encoding, TextEncoding::Big5);
    EXPECT_EQ(readTxtBytes(ascii + cp936::encode(text).repeated(3)).encoding, TextEncoding::Cp936);

    // Hong Kong's characters are read by Big5-HKSCS.
    const QString hk = u"佢哋喺度食緊飯，我哋都冇嘢講，啲人成日嚟呢度傾偈。\r\n"_s;
    const QByteArray hkscs = test::icuEncode("Big5-HKSCS", hk.repeated(3));
    EXPECT_EQ(readTxtBytes(hkscs).encoding, TextEncoding::Big5Hkscs);
    EXPECT_EQ(readTxtBytes(hkscs).text, hk.repeated(3));

    // The same characters in GBK stay code page 936.
    EXPECT_EQ(readTxtBytes(cp936::encode(text)).encoding, TextEncoding::Cp936);
    EXPECT_EQ(readTxtBytes(cp936::encode(hk.repeated(3))).encoding, TextEncoding::Cp936);
}
