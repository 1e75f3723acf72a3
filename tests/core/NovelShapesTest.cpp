// SPDX-License-Identifier: GPL-3.0-or-later
// Whole novels in one TXT file, as people get them: 红楼梦's 120 chapters
// with clean headings, with headings run together with the text, hard-wrapped,
// in GBK and in Big5 after conversion to traditional characters. Each gives
// exactly its 120 chapters, and not a character is lost.
#include "intake/ChapterImport.h"
#include "intake/ChapterSplit.h"
#include "intake/TextTidy.h"
#include "text/Cp936.h"
#include "text/TxtReader.h"

#include "IcuTestSupport.h"
#include "NovelCorpus.h"
#include "QtPrinters.h"
#include "TestSupport.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <cstdio>

using namespace vamo;
using namespace Qt::StringLiterals;

namespace {

class Novel : public ::testing::Test {
protected:
    void SetUp() override
    {
        chapters = test::hongloumeng();
        if (chapters.size() != 120)
            GTEST_SKIP() << "the corpus of 红楼梦 is not at " VAMO_CORPUS_DIR;
    }

    // The text splits into the title lines joined with chapter 1 and one
    // chapter per 回, each starting at its heading's line, named by its
    // heading part; the chapters give back the text.
    void expectHuis(const QString& text, bool exactNames)
    {
        const Result<ChapterSplit> split = splitChapters(text);
        ASSERT_TRUE(split.has_value());
        ASSERT_EQ(split->chapters.size(), chapters.size());
        QString joined;
        for (qsizetype i = 0; i < chapters.size(); ++i) {
            const ChapterSpan& c = split->chapters[i];
            const QString number = chapters[i].heading.section(u' ', 0, 0);
            if (exactNames)
                EXPECT_EQ(c.name, chapters[i].heading);
            else
                EXPECT_TRUE(c.name.startsWith(number) && c.name.size() <= 32) << c.name.toStdString();
            EXPECT_EQ(QStringView(text).sliced(c.line, number.size()), number) << i;
            joined += QStringView(text).sliced(c.begin, c.length);
        }
        EXPECT_EQ(joined, text);
    }

    QList<test::CorpusChapter> chapters;
};

} // namespace

TEST_F(Novel, EveryShapeGivesExactlyItsHuis)
{
    expectHuis(test::cleanNovel(chapters), /*exactNames=*/true);
    expectHuis(test::gluedNovel(chapters), /*exactNames=*/false);
    expectHuis(test::wrappedNovel(chapters, 35), /*exactNames=*/true);

    // Run together, a 回's couplet is its name, whatever follows it.
    const Result<ChapterSplit> glued = splitChapters(test::gluedNovel(chapters));
    ASSERT_TRUE(glued.has_value());
    int whole = 0;
    for (qsizetype i = 0; i < chapters.size(); ++i)
        whole += glued->chapters[i].name == chapters[i].heading;
    EXPECT_GE(whole, 110);
}

TEST_F(Novel, TidyingJoinsTheWrappedLinesOfEachParagraphAndNoMore)
{
    const QString clean = test::cleanNovel(chapters);
    const QString wrapped = test::wrappedNovel(chapters, 35);
    EXPECT_EQ(wrapWidth(clean), 0);
    EXPECT_EQ(wrapWidth(wrapped), 35);

    auto tidied = textChapters(wrapped, u"红楼梦"_s, {}, TextOptions{.tidy = true});
    ASSERT_TRUE(tidied.has_value());
    EXPECT_EQ(test::withoutWhiteSpace(tidied->text), test::withoutWhiteSpace(wrapped));
    EXPECT_EQ(tidied->split.chapters.size(), 120);

    // Every tidied line is the next piece of a line of the clean text, or
    // starts the next line; it goes on into the line after only where the
    // clean text's own line breaks a sentence (the source has a few).
    QStringList paragraphs;
    for (const QString& line : clean.split(u"\r\n"_s)) {
        if (!line.trimmed().isEmpty())
            paragraphs.append(line.trimmed());
    }
    const QStringList lines = tidied->text.split(u"\r\n"_s, Qt::SkipEmptyParts);
    qsizetype p = -1;
    QStringView rest;
    for (const QString& line : lines) {
        QStringView body = QStringView(line).trimmed();
        if (!rest.isEmpty()) {
            ASSERT_TRUE(rest.startsWith(body)) << body.toString().toStdString();
            rest = rest.sliced(body.size()).trimmed();
            continue;
        }
        for (;;) {
            ++p;
            ASSERT_LT(p, paragraphs.size());
            if (paragraphs[p].startsWith(body)) {
                rest = QStringView(paragraphs[p]).sliced(body.size()).trimmed();
                break;
            }
            ASSERT_TRUE(body.startsWith(paragraphs[p])) << body.toString().toStdString();
            EXPECT_FALSE(u"。！？”」…"_s.contains(paragraphs[p].back())) << paragraphs[p].toStdString();
            body = body.sliced(paragraphs[p].size());
        }
    }
    EXPECT_EQ(p, paragraphs.size() - 1);
    // Most of the wrap is gone: a paragraph's line breaks stay only after a
    // sentence's end.
    const qsizetype wrappedLines = wrapped.count(u"\r\n"_s);
    const qsizetype cleanLines = clean.count(u"\r\n"_s);
    EXPECT_LT(lines.size(), cleanLines + (wrappedLines - cleanLines) / 5);
}

TEST_F(Novel, GbkAndBig5FilesReadAndSplitAlike)
{
    const QString clean = test::cleanNovel(chapters);
    const QString traditional = test::traditional(clean);
    ASSERT_FALSE(traditional.isEmpty());

    const QByteArray gbk = cp936::encode(clean);
    const TxtText fromGbk = readTxtBytes(gbk);
    EXPECT_EQ(fromGbk.encoding, TextEncoding::Cp936);
    EXPECT_EQ(fromGbk.text, cp936::decode(gbk));

    // Traditional characters in GBK stay GBK.
    const QByteArray gbkTraditional = cp936::encode(traditional);
    EXPECT_EQ(readTxtBytes(gbkTraditional).encoding, TextEncoding::Cp936);

    // Windows' Big5 gives two of its characters codes of the user-defined
    // rows, which only Big5-HKSCS reads as the characters they are.
    const QByteArray big5 = test::icuEncode("windows-950", traditional);
    const TxtText fromBig5 = readTxtBytes(big5);
    EXPECT_EQ(fromBig5.encoding, TextEncoding::Big5Hkscs);
    EXPECT_EQ(fromBig5.text, test::icuDecode("Big5-HKSCS", big5));
    const QByteArray firstChapters =
        test::icuEncode("windows-950", test::traditional(test::cleanNovel(chapters.sliced(1, 6))));
    EXPECT_EQ(readTxtBytes(firstChapters).encoding, TextEncoding::Big5);
    EXPECT_EQ(readTxtBytes(firstChapters).text, test::icuDecode("windows-950", firstChapters));
    const Result<ChapterSplit> split = splitChapters(fromBig5.text);
    ASSERT_TRUE(split.has_value());
    EXPECT_EQ(split->chapters.size(), 120);

    // Made simplified, the chapter names are the simplified headings again.
    auto simplified = textChapters(fromBig5.text, u"紅樓夢"_s, {}, TextOptions{.simplified = true});
    ASSERT_TRUE(simplified.has_value());
    EXPECT_EQ(simplified->wholeName, u"红楼梦"_s);
    ASSERT_EQ(simplified->split.chapters.size(), 120);
    int same = 0;
    for (qsizetype i = 0; i < chapters.size(); ++i)
        same += simplified->split.chapters[i].name == chapters[i].heading;
    EXPECT_GE(same, 115);
}

// Random pieces of the novel, 10, 100 and 1000 characters long, in GBK
// (simplified and traditional characters), Big5 and Big5-HKSCS: how often
// the reading takes another encoding (printed). GBK must never be taken for
// Big5; Big5 too short to tell is read as code page 936.
TEST_F(Novel, EncodingsAreToldApartInRandomSamples)
{
    QString simplified;
    for (const test::CorpusChapter& c : chapters)
        simplified += c.text;
    simplified.remove(u"\r\n"_s);
    const QString traditional = test::traditional(simplified);
    ASSERT_EQ(traditional.size(), simplified.size());

    struct Kind {
        const char* name;
        const QString* text;
        TextEncoding expected;
        const char* converter; // null: code page 936
    };
    const Kind kinds[] = {{"GBK", &simplified, TextEncoding::Cp936, nullptr},
                          {"GBK traditional", &traditional, TextEncoding::Cp936, nullptr},
                          {"Big5", &traditional, TextEncoding::Big5, "windows-950"},
                          {"Big5-HKSCS", &traditional, TextEncoding::Big5Hkscs, "Big5-HKSCS"}};
    // Cantonese characters only HKSCS has, one per sentence of the HKSCS samples.
    const QString cantonese = u"啲嘅咗冇佢嘢"_s;
    QRandomGenerator random(2027);
    constexpr int kSamples = 300;
    for (const Kind& kind : kinds) {
        for (const qsizetype length : {10, 100, 1000}) {
            int wrong = 0;
            int asBig5 = 0;
            for (int i = 0; i < kSamples; ++i) {
                const qsizetype at = random.bounded(static_cast<int>(kind.text->size() - length));
                QString sample = kind.text->sliced(at, length);
                if (kind.expected == TextEncoding::Big5Hkscs) {
                    for (qsizetype k = 3; k < sample.size(); k += 30)
                        sample[k] = cantonese[random.bounded(static_cast<int>(cantonese.size()))];
                }
                const QByteArray bytes =
                    kind.converter ? test::icuEncode(kind.converter, sample) : cp936::encode(sample);
                const TxtText read = readTxtBytes(bytes);
                // Windows' Big5 gives a few characters user-defined codes that
                // HKSCS reads better; either reading of them is right.
                const bool big5 = kind.expected == TextEncoding::Big5 && read.encoding == TextEncoding::Big5Hkscs;
                wrong += read.encoding != kind.expected && !big5;
                asBig5 += read.encoding == TextEncoding::Big5 || read.encoding == TextEncoding::Big5Hkscs;
            }
            const double rate = 100.0 * wrong / kSamples;
            std::printf("  %-16s %5lld characters: %5.1f %% read in another encoding\n", kind.name,
                        static_cast<long long>(length), rate);
            if (kind.expected == TextEncoding::Cp936) {
                // (A few bytes of GBK can be valid UTF-8 as well, and are read so.)
                EXPECT_EQ(asBig5, 0) << kind.name << ' ' << length;
            } else if (length >= 100) {
                EXPECT_LE(rate, length >= 1000 ? 0.0 : 2.0) << kind.name << ' ' << length;
            }
        }
    }
}
