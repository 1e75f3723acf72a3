// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/BookProject.h"

#include <gtest/gtest.h>

using namespace vamo;

namespace {

struct Book : ::testing::Test {
    FixedClock clock{QDateTime(QDate(2026, 1, 3), QTime(9, 5, 7))};
    BookProject book{clock};

    // Chapters A..D with texts a..d.
    void fourChapters()
    {
        const char* names[] = {"A", "B", "C", "D"};
        const char* texts[] = {"a", "b", "c", "d"};
        for (int i = 0; i < 4; ++i) {
            book.appendChapterName(QString::fromLatin1(names[i]));
            ASSERT_TRUE(book.setChaptertext(i, QString::fromLatin1(texts[i])));
        }
    }
    QString slots(int n)
    {
        QString s;
        for (int i = 0; i < n; ++i)
            s += book.chaptertext(i).isEmpty() ? QStringLiteral("-") : book.chaptertext(i);
        return s;
    }
};

} // namespace

TEST_F(Book, DatedJarNameHasMonthDayMinuteSecond)
{
    EXPECT_EQ(datedJarName(QDateTime(QDate(2026, 1, 3), QTime(9, 5, 7))), QStringLiteral("vamo-01030507"));
    EXPECT_EQ(datedJarName(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 58))), QStringLiteral("vamo-12315958"));
}

TEST_F(Book, SaveStoresWithCrLfOnlyInSlotNumAndRejectsOutOfRange)
{
    book.setNum(4);
    ASSERT_TRUE(book.save(QStringLiteral("abc")));
    EXPECT_EQ(book.chaptertext(4), QStringLiteral("abc\r\n"));
    EXPECT_TRUE(book.chaptertext(3).isEmpty());
    ASSERT_TRUE(book.save(QStringLiteral("x")));
    EXPECT_EQ(book.chaptertext(4), QStringLiteral("x\r\n"));
    book.setNum(1000);
    EXPECT_TRUE(book.save(QStringLiteral("last")));
    book.setNum(1001);
    EXPECT_FALSE(book.save(QStringLiteral("no")));
    book.setNum(-1);
    EXPECT_FALSE(book.save(QStringLiteral("no")));
    EXPECT_EQ(book.chaptertext(1000), QStringLiteral("last\r\n"));
}

TEST_F(Book, NewKeepsPhoneModelAndEmptiesChapters)
{
    book.initialise(QStringLiteral("/p/jar/"));
    fourChapters();
    BookSettings s = book.settings();
    s.phoneModel = 1;
    s.jarSize = 3;
    s.maker = QStringLiteral("me");
    s.bookName = QStringLiteral("b");
    book.setSettings(s);
    book.resetForNew(QStringLiteral("/p/jar/"));
    EXPECT_EQ(book.chapterCount(), 0);
    EXPECT_EQ(slots(4), QStringLiteral("----"));
    EXPECT_EQ(book.settings().phoneModel, 1);
    EXPECT_EQ(book.settings().jarSize, 0);
    EXPECT_EQ(book.settings().maker, QStringLiteral("Vamo"));
    EXPECT_TRUE(book.settings().bookName.isEmpty());
}

TEST_F(Book, ClearAfterBuildEmptiesEverySlotAndRenewsJarName)
{
    fourChapters();
    ASSERT_TRUE(book.setChaptertext(1000, QStringLiteral("stale")));
    book.setJarName(QStringLiteral("old"));
    book.setBookName(QStringLiteral("b"));
    book.setMaker(QStringLiteral("m"));
    book.setNum(7);
    book.clearAfterBuild();
    EXPECT_EQ(book.chapterCount(), 0);
    EXPECT_TRUE(book.chaptertext(1000).isEmpty());
    EXPECT_EQ(book.num(), 0);
    EXPECT_EQ(book.settings().jarName, QStringLiteral("vamo-01030507"));
    EXPECT_TRUE(book.settings().bookName.isEmpty());
    EXPECT_EQ(book.settings().maker, QStringLiteral("m"));
}

TEST_F(Book, DeleteKeepsSlotsInStepWithNames)
{
    fourChapters();
    EXPECT_EQ(book.deleteChapter(1), 1);
    EXPECT_EQ(book.chapterNames().join(QString()), QStringLiteral("ACD"));
    EXPECT_EQ(slots(4), QStringLiteral("acd-"));
    EXPECT_EQ(book.num(), 1);

    EXPECT_EQ(book.deleteChapter(2), 1); // last: previous one selected
    EXPECT_EQ(book.chapterNames().join(QString()), QStringLiteral("AC"));
    EXPECT_EQ(slots(3), QStringLiteral("ac-"));

    EXPECT_EQ(book.deleteChapter(-1), -1); // nothing selected: nothing happens
    EXPECT_EQ(book.chapterCount(), 2);
    EXPECT_EQ(book.deleteChapter(0), 0);
    EXPECT_EQ(book.deleteChapter(0), -1); // the only chapter
    EXPECT_EQ(book.chapterCount(), 0);
    EXPECT_EQ(slots(2), QStringLiteral("--"));
}

TEST_F(Book, MovesSwapNamesAndTextsTogether)
{
    fourChapters();
    EXPECT_EQ(book.moveUp(2), 1);
    EXPECT_EQ(book.chapterNames().join(QString()), QStringLiteral("ACBD"));
    EXPECT_EQ(slots(4), QStringLiteral("acbd"));
    EXPECT_EQ(book.moveUp(0), 0);
    EXPECT_EQ(book.moveDown(3), 3);
    EXPECT_EQ(book.moveDown(-1), -1);
    EXPECT_EQ(slots(4), QStringLiteral("acbd"));
    EXPECT_EQ(book.moveDown(0), 1);
    EXPECT_EQ(book.chapterNames().join(QString()), QStringLiteral("CABD"));
    EXPECT_EQ(slots(4), QStringLiteral("cabd"));
}

TEST_F(Book, AddStopsAtTheChapterLimit)
{
    for (int i = 0; i < 999; ++i)
        book.appendChapterName(QStringLiteral("x"));
    ASSERT_TRUE(book.prepareAdd());
    EXPECT_EQ(book.num(), 999);
    EXPECT_EQ(BookProject::proposedChapterName(book.num()), QStringLiteral("第1000章"));
    book.appendChapterName(QStringLiteral("x"));
    auto r = book.prepareAdd();
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().message, QStringLiteral("章节数量达到上限(1000)"));
    EXPECT_EQ(book.num(), 999);
}

TEST_F(Book, BatchImportEntryAppendsOrReplaces)
{
    book.prepareBatchImport(true);
    EXPECT_EQ(book.num(), 0);
    fourChapters();
    book.prepareBatchImport(false);
    EXPECT_EQ(book.num(), 4);
    book.prepareBatchImport(true);
    EXPECT_EQ(book.num(), 0);
    EXPECT_EQ(book.chapterCount(), 0);
    EXPECT_EQ(book.chaptertext(2), QStringLiteral("c")); // overwritten by the import later
}

TEST_F(Book, SeveralChaptersAreDeletedAndMovedWithTheirTexts)
{
    fourChapters();
    EXPECT_EQ(book.deleteChapters({3, 1, 3, 9}), 1); // C moves into B's place
    EXPECT_EQ(book.chapterNames(), (QStringList{QStringLiteral("A"), QStringLiteral("C")}));
    EXPECT_EQ(slots(4), QStringLiteral("ac--"));
    EXPECT_EQ(book.num(), 1);

    book.appendChapterName(QStringLiteral("E"));
    ASSERT_TRUE(book.setChaptertext(2, QStringLiteral("e")));
    // A and E dragged before C; then C to the end (no change) and to the front.
    EXPECT_EQ(book.moveChapters({2, 0}, 1), (QList<int>{0, 1}));
    EXPECT_EQ(book.chapterNames(), (QStringList{QStringLiteral("A"), QStringLiteral("E"), QStringLiteral("C")}));
    EXPECT_EQ(slots(4), QStringLiteral("aec-"));
    EXPECT_EQ(book.moveChapters({2}, 3), QList<int>{2});
    EXPECT_EQ(book.moveChapters({2}, 0), QList<int>{0});
    EXPECT_EQ(slots(4), QStringLiteral("cae-"));
    EXPECT_EQ(book.moveChapters({}, 0), QList<int>{});

    // Deleting everything leaves nothing selected.
    EXPECT_EQ(book.deleteChapters({0, 1, 2}), -1);
    EXPECT_EQ(book.chapterCount(), 0);
    EXPECT_EQ(slots(3), QStringLiteral("---"));
}

TEST_F(Book, TheLastDeleteIsUndoneOnceWhereItStood)
{
    fourChapters();
    EXPECT_FALSE(book.canUndoDelete());
    EXPECT_EQ(book.deleteChapters({0, 2}), 0);
    ASSERT_TRUE(book.canUndoDelete());
    auto back = book.undoDelete();
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, (QList<int>{0, 2}));
    EXPECT_EQ(book.chapterNames(),
              (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")}));
    EXPECT_EQ(slots(5), QStringLiteral("abcd-"));
    EXPECT_FALSE(book.canUndoDelete()); // once
    EXPECT_TRUE(book.undoDelete()->isEmpty());

    // A single delete too, also after chapters were added behind it.
    EXPECT_EQ(book.deleteChapter(3), 2);
    book.appendChapterName(QStringLiteral("E"));
    ASSERT_TRUE(book.setChaptertext(3, QStringLiteral("e")));
    ASSERT_TRUE(book.undoDelete());
    EXPECT_EQ(slots(6), QStringLiteral("abcde-"));
    EXPECT_EQ(book.chapterNames().at(3), QStringLiteral("D"));

    // Emptying the list forgets it.
    EXPECT_EQ(book.deleteChapter(0), 0);
    book.clearAfterBuild();
    EXPECT_FALSE(book.canUndoDelete());
}
