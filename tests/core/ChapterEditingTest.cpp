// SPDX-License-Identifier: GPL-3.0-or-later
#include "intake/ChapterEditing.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

using namespace vamo;
using namespace vamo::editing;

namespace {

QString repeated(char16_t c, qsizetype n) { return QString(n, QChar(c)); }

} // namespace

TEST(ChapterSplit, NeverCutsASurrogatePair)
{
    // Character 65000 is the first half of U+20000.
    QString text = repeated(u'a', 64999) + QString::fromUcs4(U"\U00020000") + QStringLiteral("bc");
    const SplitText s = splitForDisplay(text);
    EXPECT_EQ(s.visible.size(), 64999);
    EXPECT_TRUE(s.strmod.front().isHighSurrogate());
    EXPECT_EQ(joinDisplay(s.visible, s.strmod), text);

    // A pair that ends exactly at 65000 stays whole in the box.
    text = repeated(u'a', 64998) + QString::fromUcs4(U"\U00020000") + QStringLiteral("z");
    EXPECT_EQ(splitForDisplay(text).visible.size(), 65000);
    EXPECT_EQ(splitForDisplay(text).strmod, QStringLiteral("z"));
}

TEST(ChapterBoxText, EveryCharacterSurvivesTheRoundTripThroughTheBox)
{
    const QString samples[] = {
        QStringLiteral("第一行\r\n第二行\r\n"),
        QStringLiteral("一\n二\n三\r\n"), // lone LF stays inside the line
        QStringLiteral("\r\n\r\n空行\r\n"),     QStringLiteral("no line end"), QString(),
    };
    for (const QString& t : samples) {
        const BoxText box = toBox(t);
        EXPECT_FALSE(box.raw.contains(u'\r') || box.raw.contains(u'\n')) << qPrintable(t);
        EXPECT_EQ(fromBox(box.raw, box.trailingLoneCr), t) << qPrintable(t);
        EXPECT_EQ(chapterLengthOfBox(box.raw), t.size());
    }
}

TEST(ChapterBoxText, ASplitBetweenCrAndLfJoinsBackToOneLineEnd)
{
    // A stored chapter of 65001 characters ends with CR LF: the box gets the
    // CR, strmod the LF.
    const QString stored = repeated(u'x', 64999) + QStringLiteral("\r\n");
    const SplitText s = splitForDisplay(stored);
    ASSERT_EQ(s.strmod, QStringLiteral("\n"));
    const BoxText box = toBox(s.visible);
    EXPECT_TRUE(box.trailingLoneCr);
    EXPECT_EQ(joinDisplay(fromBox(box.raw, box.trailingLoneCr), s.strmod), stored);

    // A line typed after it: the box shows a line end, then the new line
    // with its own line end, and that is what the chapter gets.
    const QString typed = box.raw + QStringLiteral("yz") + QChar(u'\u2029');
    EXPECT_EQ(joinDisplay(fromBox(typed, box.trailingLoneCr), s.strmod),
              repeated(u'x', 64999) + QStringLiteral("\r\nyz\r\n"));
}

TEST(ChapterBoxText, PastedLineEndsOfEveryKindBecomeCrLfAndFitTheRoom)
{
    const QString box = pastedToBox(u"a\r\nb\nc\rd");
    EXPECT_EQ(fromBox(box, false), QStringLiteral("a\r\nb\r\nc\r\nd"));
    EXPECT_EQ(chapterLengthOfBox(box), 10);

    // A line end counts two: it does not fit into one remaining character.
    EXPECT_EQ(fitIntoRoom(box, 1).toString(), QStringLiteral("a"));
    EXPECT_EQ(fitIntoRoom(box, 2).toString(), QStringLiteral("a"));
    EXPECT_EQ(fromBox(fitIntoRoom(box, 3), false), QStringLiteral("a\r\n"));
    EXPECT_EQ(fitIntoRoom(box, 100).size(), box.size());
    EXPECT_TRUE(fitIntoRoom(box, 0).isEmpty());

    const QString pair = QStringLiteral("a") + QString::fromUcs4(U"\U00020000");
    EXPECT_EQ(fitIntoRoom(pair, 2).toString(), QStringLiteral("a"));
    EXPECT_EQ(fitIntoRoom(pair, 3).toString(), pair);
}

TEST(ChapterFileRead, NameIsTheBaseNameWithoutItsLastFourCharacters)
{
    EXPECT_EQ(chapterNameFromPath(QStringLiteral("/books/readme.txt")), QStringLiteral("readme"));
    EXPECT_EQ(chapterNameFromPath(QStringLiteral("/books/chapter one.txt")), QStringLiteral("chapter one"));
    EXPECT_EQ(chapterNameFromPath(QStringLiteral("notes.text")), QStringLiteral("notes."));
    EXPECT_EQ(chapterNameFromPath(QStringLiteral("/x.y/第一章 风起云涌的开始之卷上部分.TXT")),
              QStringLiteral("第一章 风起云涌的开始之卷上部分"));
    EXPECT_EQ(chapterNameFromPath(QStringLiteral("/d/.txt")), QString());
    EXPECT_EQ(chapterNameFromPath(QStringLiteral("/d/a.t")), QString());
}

TEST(ChapterFileRead, ProgressTextResultLineAndEstimate)
{
    ReadProgress p(58182); // 58182 * 55 / 100 = 32000
    p.advance(150, 12000);
    EXPECT_EQ(p.text(), QStringLiteral("进度37.50% 加载150行 共12000字"));
    EXPECT_EQ(readResultLine(312, 25000), QStringLiteral("【加载100%】【312行】【25000字】"));

    // The estimate grows only when the text outgrows it, to length + 5000.
    ReadProgress q(1000); // estimate 550
    q.advance(50, 550);
    EXPECT_EQ(q.estimate(), 550);
    q.advance(100, 551);
    EXPECT_EQ(q.estimate(), 5551);
    q.advance(150, 5000);
    EXPECT_EQ(q.text(), QStringLiteral("进度90.07% 加载150行 共5000字"));
    EXPECT_EQ(ReadProgress(0).fraction(), 0.0);

    // A complete read is 100 % with its totals, however far the estimate
    // was off, and also for an empty file.
    q.finish(172, 5210);
    EXPECT_EQ(q.fraction(), 1.0);
    EXPECT_EQ(q.text(), QStringLiteral("进度100.00% 加载172行 共5210字"));
    ReadProgress empty(0);
    empty.finish(0, 0);
    EXPECT_EQ(empty.fraction(), 1.0);
    EXPECT_EQ(empty.text(), QStringLiteral("进度100.00% 加载0行 共0字"));
}

namespace {

struct StoreChapter : ::testing::Test {
    FixedClock clock{QDateTime(QDate(2026, 1, 3), QTime(9, 5, 7))};
    BookProject book{clock};

    void chapters(int n)
    {
        for (int i = 0; i < n; ++i) {
            book.appendChapterName(QStringLiteral("old%1").arg(i));
            ASSERT_TRUE(book.setChaptertext(i, QStringLiteral("t%1\r\n").arg(i)));
        }
    }
};

} // namespace

TEST_F(StoreChapter, ASlotBeyondTheListIsRefusedAndNothingChanges)
{
    chapters(2);
    for (qint16 bad : {qint16(3), qint16(-1)}) {
        book.setNum(bad);
        const auto r = storeChapter(book, QStringLiteral("x"), QStringLiteral("y"), StoreMode::Accept);
        ASSERT_FALSE(r);
        EXPECT_FALSE(r.error().message.isEmpty());
    }
    EXPECT_EQ(book.chapterCount(), 2);
    EXPECT_TRUE(book.chaptertext(3).isEmpty());
}
