// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/Payload.h"

#include "model/Site.h"

#include "QtPrinters.h"

#include <QRandomGenerator>
#include <QStringEncoder>

#include <gtest/gtest.h>

using namespace vamo;
using namespace vamo::payload;
using namespace Qt::StringLiterals;

namespace {

const QByteArray kBom("\xEF\xBB\xBF");

QByteArray bom(const QByteArray& body) { return kBom + body; }

QString repeat(QChar c, qsizetype n) { return QString(n, c); }

// The piece file of entry i, decoded without its byte-order mark.
QString fileText(const Volume& v, std::size_t i)
{
    const QByteArrayView data = v.pieceData(v.pieces[i]);
    EXPECT_TRUE(data.startsWith(kBom));
    return QString::fromUtf8(data.sliced(3));
}

struct OneVolume {
    Volume volume;
    Cursor cursor;
};

OneVolume writeAll(const QStringList& names, const QStringList& texts, qint64 budget = 0)
{
    OneVolume r;
    auto v = writeVolume(names, texts, budget, r.cursor);
    EXPECT_TRUE(v.has_value());
    if (v)
        r.volume = std::move(*v);
    return r;
}

} // namespace

TEST(PayloadCut, PieceLengthFollowsTheLineFeedAndSurrogateRules)
{
    EXPECT_EQ(nextCut(QString()).length, 0);
    EXPECT_TRUE(nextCut(QString()).last);
    EXPECT_TRUE(nextCut(repeat(u'a', 1399)).last);

    // Exactly 1400 characters are cut; the empty rest becomes the last piece.
    const Cut exact = nextCut(repeat(u'a', 1400));
    EXPECT_EQ(exact.length, 1400);
    EXPECT_FALSE(exact.last);

    // Character 1401 is LF: the CR LF pair stays together.
    EXPECT_EQ(nextCut(repeat(u'a', 1399) + u"\r\nmore"_s).length, 1401);

    // A surrogate pair across the cut moves the cut one earlier ...
    const QString emoji = u"\U0001F600"_s;
    EXPECT_EQ(nextCut(repeat(u'a', 1399) + emoji + u"b"_s).length, 1399);
    // ... a pair just inside the piece does not.
    EXPECT_EQ(nextCut(repeat(u'a', 1398) + emoji + u"b"_s).length, 1400);
    // A lone high surrogate before a LF is not a pair: the LF rule applies.
    EXPECT_EQ(nextCut(repeat(u'a', 1399) + QChar(0xD83D) + u"\nb"_s).length, 1401);
    // A pair that ends the text exactly at 1400 is whole already.
    EXPECT_EQ(nextCut(repeat(u'a', 1398) + emoji).length, 1400);
}

TEST(PayloadPiece, HeaderCountsCarriageReturnsAndTheAppendedOne)
{
    // The example piece ab CR LF c CR LF: two CRs at 3 and 6.
    EXPECT_EQ(pieceFile(u"ab\r\nc\r\n"_s, false), bom("000200030006\r\nab\r\nc\r\n"));
    // A cut piece gets CR LF, and that CR is in the header.
    EXPECT_EQ(pieceFile(u"ab\rc"_s, true), bom("000200030005\r\nab\rc\r\n"));
    EXPECT_EQ(pieceFile(QString(), false), bom("0000\r\n"));
    // Text is UTF-8; a lone surrogate is written as U+FFFD.
    EXPECT_EQ(pieceFile(u"中"_s + QChar(0xDC00), false), bom("0000\r\n\xE4\xB8\xAD\xEF\xBF\xBD"));
}

TEST(PayloadPiece, TextIsWrittenAsQtsStatelessUtf8)
{
    // The encoding's edges, and random text thick with surrogates: pairs,
    // lone halves, a high half at the very end, halves in the wrong order.
    QStringEncoder qt(QStringEncoder::Utf8, QStringConverter::Flag::Stateless);
    auto expected = [&qt](const QString& text) { return kBom + QByteArray(qt.encode(text)); };
    const char16_t edges[] = {0x01,   0x7F,   0x80,   0x7FF,  0x800,  0x4E2D, 0xD7FF, 0xD800,
                              0xDBFF, 0xDC00, 0xDFFF, 0xE000, 0xFFFD, 0xFFFE, 0xFFFF};
    for (char16_t a : edges) {
        for (char16_t b : edges) {
            const QString text = QString(QChar(a)) + QChar(b);
            EXPECT_EQ(utf8WithBom(text), expected(text)) << int(a) << " " << int(b);
        }
    }
    QRandomGenerator random(11);
    for (int round = 0; round < 200; ++round) {
        QString text;
        for (int i = random.bounded(40); i > 0; --i) {
            switch (random.bounded(5)) {
            case 0:
                text += QChar(0xD800 + random.bounded(0x800)); // either half
                break;
            case 1:
                text += QChar(random.bounded(0x800));
                break;
            default:
                text += QChar(0x800 + random.bounded(0xF800));
            }
        }
        ASSERT_EQ(utf8WithBom(text), expected(text)) << text.toStdU16String().size();
        // A piece file holds the same bytes after its header.
        const QByteArray file = pieceFile(text, false);
        ASSERT_EQ(file.sliced(file.indexOf("\r\n") + 2), expected(text).sliced(3));
    }
}

TEST(PayloadVolume, LongChaptersAreCutAndNumberedPerChapter)
{
    const QString longText = repeat(u'x', 3000);
    const QString lfText = repeat(u'y', 1399) + u"\r\n"_s + repeat(u'z', 10);
    const auto r = writeAll({u"A"_s, u"B"_s, u"C"_s}, {longText, QString(), lfText});

    std::vector<qint64> numbers;
    for (const auto& p : r.volume.pieces)
        numbers.push_back(p.number);
    EXPECT_EQ(numbers, (std::vector<qint64>{10000, 10001, 10002, 20000, 30000, 30001}));

    // 3000 characters: 1400 + CR LF, 1400 + CR LF, the rest of 200.
    EXPECT_EQ(fileText(r.volume, 0), u"00011401\r\n"_s + repeat(u'x', 1400) + u"\r\n"_s);
    EXPECT_EQ(fileText(r.volume, 1), u"00011401\r\n"_s + repeat(u'x', 1400) + u"\r\n"_s);
    EXPECT_EQ(fileText(r.volume, 2), u"0000\r\n"_s + repeat(u'x', 200));
    // The empty chapter: its only piece is the empty header.
    EXPECT_EQ(fileText(r.volume, 3), u"0000\r\n"_s);
    // Character 1401 is LF: 1401 characters plus CR LF, CRs at 1400 and 1402.
    EXPECT_EQ(fileText(r.volume, 4), u"000214001402\r\n"_s + repeat(u'y', 1399) + u"\r\n\r\n"_s);
    EXPECT_EQ(fileText(r.volume, 5), u"0000\r\n"_s + repeat(u'z', 10));

    const qsizetype cutPiece = 8 + 2 + 1402; // header, CR LF, piece and CR LF
    const QString expectedIndex = u"\r\n"_s  //
                                  + u"A0003\r\n"_s + QString::number(2 * cutPiece + 6 + 200) + u"\r\n"_s //
                                  + u"B0001\r\n6\r\n"_s                                                  //
                                  + u"C0002\r\n"_s + QString::number(12 + 2 + 1403 + 6 + 10) + u"\r\n"_s;
    EXPECT_EQ(r.volume.capter, expectedIndex);
    EXPECT_EQ(r.cursor.processed, 3000 + 0 + 1411);
}

TEST(PayloadVolume, SurrogatePairIsNeverSplitAndTextSurvivesWhole)
{
    QString text;
    for (int i = 0; i < 2000; ++i)
        text += u"\U0001F600"_s; // 4000 code units, every cut falls on a pair boundary
    text.prepend(u'a');          // now every even cut would split a pair
    const auto r = writeAll({u"E"_s}, {text});

    QString rebuilt;
    for (std::size_t i = 0; i < r.volume.pieces.size(); ++i) {
        const QString t = fileText(r.volume, i);
        const QString body = t.sliced(t.indexOf(u"\r\n"_s) + 2);
        const bool cut = i + 1 < r.volume.pieces.size();
        ASSERT_FALSE(body.contains(QChar(0xFFFD))) << "piece " << i;
        rebuilt += cut ? body.chopped(2) : body;
    }
    EXPECT_EQ(rebuilt, text);
    EXPECT_EQ(r.cursor.processed, text.size());
}

TEST(PayloadVolume, BudgetEndsVolumeAndNextVolumeContinuesTheChapter)
{
    // ASCII pieces of 1400 characters: 3 + 8 + 2 + 1402 = 1415 bytes each.
    // After the first chapter's 17 bytes, 66 * 1024 = 67584 bytes are reached
    // with the 48th piece of the long chapter (47 give 66522).
    const qsizetype pieceBytes = 1415;
    const QStringList names{u"开篇"_s, u"长章"_s, u"尾声"_s};
    const QStringList texts{u"hi\r\n"_s, repeat(u'q', 100000), u"end"_s};

    Cursor cursor;
    auto first = writeVolume(names, texts, 66, cursor);
    ASSERT_TRUE(first);
    ASSERT_EQ(first->pieces.size(), 49u);
    EXPECT_GE(first->volumeBytes, 66 * 1024);
    EXPECT_EQ(first->volumeBytes, (3 + 8 + 2 + 4) + 48 * pieceBytes);
    EXPECT_FALSE(first->chapterFinished);
    EXPECT_EQ(first->pieces[1].number, 20000);
    EXPECT_EQ(first->pieces.back().number, 20047);
    // The unfinished part is still listed, with what was written of it.
    EXPECT_EQ(first->capter, u"\r\n开篇0001\r\n14\r\n长章0048\r\n"_s + QString::number(48 * 1412) + u"\r\n"_s);
    EXPECT_EQ(cursor.firstOpen, 1);
    EXPECT_EQ(cursor.consumed, 48 * 1400);
    EXPECT_FALSE(bookFinished(texts, cursor));

    auto second = writeVolume(names, texts, 66, cursor);
    ASSERT_TRUE(second);
    // The continued chapter is chapter 1 of the new volume and starts at piece 0.
    EXPECT_EQ(second->pieces.front().number, 10000);
    // 100000 - 67200 = 32800 left: 23 cut pieces and a rest of 600.
    EXPECT_EQ(second->capter.left(10), u"\r\n长章0024\r\n"_s);
    EXPECT_TRUE(second->capter.endsWith(u"尾声0001\r\n9\r\n"_s));
    EXPECT_EQ(second->pieces.back().number, 20000);
    EXPECT_TRUE(bookFinished(texts, cursor));
    EXPECT_EQ(cursor.processed, 4 + 100000 + 3);
}

TEST(PayloadVolume, LastChapterUsedUpExactlyEndsTheBook)
{
    // 48 cut pieces of exactly 1400 fill the budget and leave nothing over:
    // no further volume for the empty rest.
    const QStringList texts{repeat(u'w', 48 * 1400)};
    Cursor cursor;
    auto v = writeVolume({u"W"_s}, texts, 66, cursor);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->pieces.size(), 48u);
    EXPECT_FALSE(v->chapterFinished);
    EXPECT_TRUE(bookFinished(texts, cursor));
}

TEST(PayloadVolume, ProgressRefreshesAtFirstAndEveryNinthPiece)
{
    std::vector<qint64> seen;
    Cursor cursor;
    auto v = writeVolume({u"A"_s, u"B"_s}, {repeat(u'a', 19 * 1400 + 5), u"b"_s}, 0, cursor,
                         [&](qint64 processed) { seen.push_back(processed); });
    ASSERT_TRUE(v);
    // Chapter A has 20 pieces: refreshed after pieces 1, 9 and 18; chapter B after its first.
    EXPECT_EQ(seen, (std::vector<qint64>{1400, 9 * 1400, 18 * 1400, 19 * 1400 + 5 + 1}));
}

TEST(PayloadVolume, AChapterOfMoreThan9999PiecesGoesOnInPartsOfTheSameName)
{
    // 10001 full pieces and a rest of 5: parts of 9999 and 3 pieces, then
    // the next chapter as the volume's third part.
    const QStringList texts{repeat(u'L', 10001 * 1400 + 5), u"next"_s};
    Cursor cursor;
    auto v = writeVolume({u"长"_s, u"短"_s}, texts, 0, cursor);
    ASSERT_TRUE(v);
    ASSERT_EQ(v->pieces.size(), 9999u + 3u + 1u);
    EXPECT_EQ(v->pieces[0].number, 10000);
    EXPECT_EQ(v->pieces[9998].number, 19998);
    EXPECT_EQ(v->pieces[9999].number, 20000);
    EXPECT_EQ(v->pieces[10001].number, 20002);
    EXPECT_EQ(v->pieces[10002].number, 30000);
    // Every cut piece file is 8 header characters, CR LF, 1400 and CR LF.
    const qsizetype cutChars = 8 + 2 + 1400 + 2;
    EXPECT_EQ(v->capter, u"\r\n长9999\r\n%1\r\n长0003\r\n%2\r\n短0001\r\n%3\r\n"_s.arg(9999 * cutChars)
                             .arg(2 * cutChars + 4 + 2 + 5)
                             .arg(4 + 2 + 4));
    // The second part starts where the first ended, and no text is lost.
    EXPECT_EQ(v->pieceData(v->pieces[9999]), pieceFile(repeat(u'L', 1400), true));
    EXPECT_EQ(v->pieceData(v->pieces[10001]), pieceFile(repeat(u'L', 5), false));
    EXPECT_EQ(cursor.processed, texts[0].size() + texts[1].size());
    EXPECT_TRUE(bookFinished(texts, cursor));

    // Exactly 9999 pieces stay one part; so does the same in a volume count.
    Cursor exact;
    auto one = writeVolume({u"长"_s, u"短"_s}, {repeat(u'L', 9998 * 1400 + 5), u"next"_s}, 0, exact);
    ASSERT_TRUE(one);
    EXPECT_TRUE(one->capter.startsWith(u"\r\n长9999\r\n"_s));
    EXPECT_EQ(one->pieces.back().number, 20000);
    EXPECT_EQ(volumeCount({u"长"_s, u"短"_s}, texts, 0), 1);
}

TEST(PayloadVolume, FullBlocksAreReportedInOrderAndTheirBytesStayPut)
{
    // About 2.4 MB of CJK pieces, then pieces made only of carriage returns
    // (the largest piece file a piece can give).
    const QStringList texts{repeat(u'中', 800000), repeat(u'\r', 20 * 1400)};
    struct Report {
        std::size_t block, from, to;
        QByteArray keep;
    };
    std::vector<Report> reports;
    std::vector<const char*> where;
    Cursor cursor;
    auto v = writeVolume({u"A"_s, u"B"_s}, texts, 0, cursor, {},
                         [&](const Volume& vol, std::size_t block, std::size_t from, std::size_t to) {
                             reports.push_back({block, from, to, vol.blocks[block]});
                             for (std::size_t i = from; i < to; ++i)
                                 where.push_back(vol.pieceData(vol.pieces[i]).data());
                         });
    ASSERT_TRUE(v);
    ASSERT_GE(reports.size(), 3u);
    std::size_t next = 0;
    for (std::size_t r = 0; r < reports.size(); ++r) {
        EXPECT_EQ(reports[r].block, r);
        EXPECT_EQ(reports[r].from, next);
        EXPECT_LT(reports[r].from, reports[r].to);
        next = reports[r].to;
    }
    ASSERT_EQ(next, v->pieces.size());
    for (std::size_t i = 0; i < v->pieces.size(); ++i) {
        const PieceEntry& p = v->pieces[i];
        const QByteArrayView data = v->pieceData(p);
        EXPECT_EQ(data.data(), where[i]) << "piece " << i << " moved";
        EXPECT_EQ(QByteArrayView(reports[p.block].keep).sliced(p.offset, p.size), data);
    }
    // The last cut piece of B: 1400 carriage returns and the appended one.
    QString header = u"1401"_s;
    for (int k = 1; k <= 1401; ++k)
        header += u"%1"_s.arg(k, 4, 10, QLatin1Char('0'));
    EXPECT_EQ(fileText(*v, v->pieces.size() - 2), header + u"\r\n"_s + repeat(u'\r', 1400) + u"\r\n"_s);
}

TEST(PayloadVolume, DroppedBlocksLiveOnlyInTheCopiesTakenAndThePiecesStayTheSame)
{
    const QStringList texts{repeat(u'中', 800000), repeat(u'文', 3000)};
    Cursor keptCursor;
    auto kept = writeVolume({u"A"_s, u"B"_s}, texts, 0, keptCursor);
    ASSERT_TRUE(kept);
    std::vector<QByteArray> copies;
    Cursor cursor;
    auto v = writeVolume(
        {u"A"_s, u"B"_s}, texts, 0, cursor, {},
        [&](const Volume& vol, std::size_t block, std::size_t, std::size_t) { copies.push_back(vol.blocks[block]); },
        BlockAfterDone::Drop);
    ASSERT_TRUE(v);
    ASSERT_GE(copies.size(), 3u);
    EXPECT_EQ(cursor.processed, keptCursor.processed);
    EXPECT_EQ(v->capter, kept->capter);
    ASSERT_EQ(v->pieces.size(), kept->pieces.size());
    for (std::size_t i = 0; i < v->pieces.size(); ++i) {
        const PieceEntry& p = v->pieces[i];
        EXPECT_EQ(p.number, kept->pieces[i].number);
        EXPECT_TRUE(v->pieceData(p).isEmpty());
        EXPECT_EQ(QByteArrayView(copies[p.block]).sliced(p.offset, p.size), kept->pieceData(kept->pieces[i]));
    }
    // The volume holds no share of the blocks' bytes.
    for (const QByteArray& copy : copies)
        EXPECT_TRUE(copy.isDetached());
}

TEST(PayloadVolume, KeptBlocksOutliveTheirVolume)
{
    const QStringList texts{repeat(u'K', 2000 * 1400), repeat(u'L', 1401)};
    std::vector<QByteArray> kept;
    std::vector<QByteArrayView> pieces;
    {
        Cursor cursor;
        auto v = writeVolume({u"K"_s, u"长"_s}, texts, 0, cursor, {},
                             [&](const Volume& vol, std::size_t block, std::size_t from, std::size_t to) {
                                 kept.push_back(vol.blocks[block]);
                                 for (std::size_t i = from; i < to; ++i)
                                     pieces.push_back(vol.pieceData(vol.pieces[i]));
                             });
        ASSERT_TRUE(v);
    }
    ASSERT_EQ(pieces.size(), 2003u);
    const QByteArray cut = bom("00011401\r\n") + QByteArray(1400, 'K') + "\r\n";
    EXPECT_EQ(pieces[0], cut);
    EXPECT_EQ(pieces[1999], cut);
    EXPECT_EQ(pieces[2000], bom("0000\r\n"));
    EXPECT_EQ(pieces[2001], QByteArray(cut).replace('K', 'L'));
    EXPECT_EQ(pieces[2002], bom("0000\r\nL"));
}

TEST(PayloadBookInformation, LinesInOrderWithCredit)
{
    const QStringList lines = bookInformation(u" 三国_演义 "_s, u" "_s, u" Vamo "_s).split(u"\r\n"_s);
    ASSERT_EQ(lines.size(), 1 + 18 + 1); // leading empty line, 18 items, nothing after the last CR LF
    EXPECT_EQ(lines.mid(0, 5), (QStringList{QString(), u"三国_演义"_s, QString(), u"Vamo"_s, u"【使用介绍】"_s}));
    EXPECT_EQ(lines[10], u"-“*”键-更改皮肤"_s);
    EXPECT_EQ(lines[18], u"本电子书由Vamo手机电子书制作工具制作完成，官方地址"_s + site::homePage());
}

// Chapter names from file names may hold line breaks and other control
// characters; in the index each is a space, so every entry keeps its two
// lines.
TEST(PayloadVolume, ControlCharactersInChapterNamesBecomeSpaces)
{
    const auto r = writeAll({u"第一\r\n章"_s, u"a\tb\u0001c\u0085d\u2028e"_s, u"\n尾\r"_s}, {u"x"_s, u"y"_s, u"z"_s});
    EXPECT_EQ(r.volume.capter, u"\r\n第一  章0001\r\n7\r\na b c d e0001\r\n7\r\n尾0001\r\n7\r\n"_s);
    EXPECT_EQ(r.volume.capter.count(u'\n'), 7);
}

TEST(PayloadVolume, PieceFileSizeIsTheSizeOfThePieceFileWritten)
{
    const QString pair = QString::fromUcs4(U"\U00020BB7", 1);
    const QStringList pieces{u""_s,
                             u"ascii\r\nline\r"_s,
                             u"中文，标点。\r\n"_s + pair + u"é"_s,
                             QString(QChar(0xD800)) + u"x"_s + QChar(0xDC00), // halves without partners
                             pair.left(1),
                             repeat(u'\r', 40)};
    for (const QString& piece : pieces) {
        for (bool cut : {false, true})
            EXPECT_EQ(pieceFileSize(piece, cut), pieceFile(piece, cut).size()) << piece.toStdString() << cut;
    }
}

TEST(PayloadVolume, VolumeCountIsTheNumberOfVolumesWritten)
{
    QRandomGenerator rng(3);
    QString mixed;
    while (mixed.size() < 90000)
        mixed += rng.bounded(4) == 0 ? u"abc\r\n"_s : u"山居杂记，"_s;
    const QStringList names{u"一"_s, u"二"_s, u"三"_s, u"四"_s};
    const std::vector<QStringList> books{
        {u"hi\r\n"_s, repeat(u'q', 100000), u"end"_s, u"x"_s},
        {repeat(u'w', 48 * 1400), u""_s, u""_s, u""_s}, // used up exactly by the first volume's budget
        {mixed, mixed.left(7000), u""_s, mixed.left(50000)},
    };
    for (const QStringList& texts : books) {
        for (qint64 budget : {0, 66, 172}) {
            Cursor cursor;
            int written = 0;
            do {
                ASSERT_TRUE(writeVolume(names, texts, budget, cursor));
                ++written;
            } while (!bookFinished(texts, cursor));
            const auto counted = volumeCount(names, texts, budget);
            ASSERT_TRUE(counted);
            EXPECT_EQ(*counted, written) << "budget " << budget;
        }
    }
    EXPECT_GE(*volumeCount(names, books[2], 66), 3); // the mixed book is cut indeed
    EXPECT_EQ(volumeInformation(2, 5, 12, true, u"long(03).jar"_s), u"2\r\n5\r\n12\r\n1\r\nlong(03).jar\r\n"_s);
}
