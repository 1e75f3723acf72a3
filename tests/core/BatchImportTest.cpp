// SPDX-License-Identifier: GPL-3.0-or-later
#include "intake/BatchImport.h"
#include "intake/TxtFolder.h"

#include "QtPrinters.h"
#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vamo;
using vamo::test::writeFile;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

const QDateTime kNow(QDate(2026, 5, 1), QTime(8, 0, 0));

class Import : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_tmp.isValid()); }

    QString folder() const { return folderPath(m_tmp.path()); }
    QString path(const QString& name) const { return QDir(m_tmp.path()).filePath(name); }
    void write(const QString& name, const QByteArray& bytes) { ASSERT_TRUE(writeFile(path(name), bytes)); }

    void addChapters(const QStringList& names)
    {
        for (const QString& name : names) {
            ASSERT_TRUE(m_book.setChaptertext(m_book.chapterCount(), name.toLower() + u("\r\n")));
            m_book.appendChapterName(name);
        }
    }

    ImportRequest request(const QStringList& files, int rule, int limit = BookProject::kChapterLimit) const
    {
        ImportRequest r;
        r.folder = folder();
        r.files = files;
        r.rule = rule;
        r.existing = m_book.chapterCount();
        r.limit = limit;
        return r;
    }

    // Reads and stores as the window does after an opener answered No.
    ImportOutcome run(const ImportRequest& r, bool clear = false)
    {
        ImportOutcome outcome = readImport(r);
        auto applied = applyImport(m_book, r, outcome, clear);
        EXPECT_TRUE(applied.has_value());
        return outcome;
    }

    QTemporaryDir m_tmp;
    FixedClock m_clock{kNow};
    BookProject m_book{m_clock};
};

} // namespace

TEST(ImportNaming, RulesInListOrderAndNumbersContinueTheBook)
{
    EXPECT_EQ(namingRuleItems(), (QStringList{u("txt文件名"), u("第?章"), u("第?节"), u("第?部"), u("第?页")}));
    EXPECT_EQ(importChapterName(0, u("卷一 风雪.txt"), 7), u("卷一 风雪"));
    EXPECT_EQ(importChapterName(0, u("notes.text"), 0), u("notes."));
    EXPECT_EQ(importChapterName(1, u("a.txt"), 5), u("第6章"));
    EXPECT_EQ(importChapterName(2, u("a.txt"), 0), u("第1节"));
    EXPECT_EQ(importChapterName(3, u("a.txt"), 998), u("第999部"));
    EXPECT_EQ(importChapterName(4, u("a.txt"), 19), u("第20页"));
    EXPECT_EQ(importChapterName(9, u("abcde.txt"), 3), u("abcde"));
}

TEST(ImportNaming, LimitsFollowTheOpener)
{
    EXPECT_EQ(wizard::chapterLimit(0), 1000);
    EXPECT_EQ(wizard::chapterLimit(5), 20);
    ImportRequest r;
    r.files = {u("a.txt"), u("b.txt"), u("c.txt")};
    r.limit = 20;
    r.existing = 18;
    EXPECT_EQ(r.room(), 2);
    r.existing = 25;
    EXPECT_EQ(r.room(), 0);
    r.existing = 0;
    EXPECT_EQ(r.room(), 3);
}

TEST_F(Import, AppendsAfterTheExistingChaptersInListOrder)
{
    addChapters({u("A"), u("B")});
    write(u("a.txt"), "one\r\ntwo");
    write(u("b.txt"), "\xd6\xd0\xce\xc4\r\n");                   // 中文 in code page 936
    write(u("c.txt"), "\xef\xbb\xbf\xe4\xb8\xad\n\xe6\x96\x87"); // UTF-8 with a lone LF
    write(u("empty.txt"), "");

    const ImportOutcome out = run(request({u("c.txt"), u("a.txt"), u("b.txt"), u("empty.txt")}, 0));

    EXPECT_TRUE(out.message().isEmpty());
    EXPECT_EQ(m_book.chapterNames(), (QStringList{u("A"), u("B"), u("c"), u("a"), u("b"), u("empty")}));
    EXPECT_EQ(m_book.chaptertext(0), u("a\r\n"));
    EXPECT_EQ(m_book.chaptertext(2), u("中\n文\r\n\r\n"));
    EXPECT_EQ(m_book.chaptertext(3), u("one\r\ntwo\r\n\r\n"));
    EXPECT_EQ(m_book.chaptertext(4), u("中文\r\n\r\n"));
    EXPECT_EQ(m_book.chaptertext(5), u("\r\n"));
    EXPECT_EQ(m_book.num(), 6);
}

TEST_F(Import, NumberedRulesContinueTheChaptersOrStartAfresh)
{
    addChapters({u("A"), u("B"), u("C"), u("D"), u("E")});
    write(u("x1.txt"), "x");
    write(u("x2.txt"), "y");
    run(request({u("x1.txt"), u("x2.txt")}, 1));
    EXPECT_EQ(m_book.chapterNames().mid(5), (QStringList{u("第6章"), u("第7章")}));

    // Cleared by the opener's Yes: numbering starts at 1, texts from slot 0.
    ImportRequest r = request({u("x2.txt"), u("x1.txt")}, 3);
    r.existing = 0;
    run(r, true);
    EXPECT_EQ(m_book.chapterNames(), (QStringList{u("第1部"), u("第2部")}));
    EXPECT_EQ(m_book.chaptertext(0), u("y\r\n\r\n"));
    EXPECT_EQ(m_book.chaptertext(1), u("x\r\n\r\n"));
    EXPECT_EQ(m_book.num(), 2);
}

TEST_F(Import, NothingReadNothingCleared)
{
    addChapters({u("A"), u("B")});
    ImportRequest r = request({u("gone.txt")}, 0);
    r.existing = 0;
    ImportOutcome out = readImport(r);
    auto applied = applyImport(m_book, r, out, true);
    ASSERT_TRUE(applied.has_value());
    EXPECT_EQ(*applied, 0);
    EXPECT_EQ(m_book.chapterNames(), (QStringList{u("A"), u("B")}));
    EXPECT_EQ(m_book.chaptertext(1), u("b\r\n"));
    EXPECT_EQ(out.message(), u("成功导入0章，以下文件未导入：\ngone.txt：文件不存在"));
}

TEST_F(Import, VanishedAndUnreadableFilesLeaveNoGapAndAreNamed)
{
    addChapters({u("A")});
    for (const char* name : {"f1.txt", "f2.txt", "f3.txt", "f4.txt"})
        write(u(name), QByteArray(name) + "\r\n");
    const ImportRequest r = request({u("f1.txt"), u("f2.txt"), u("f3.txt"), u("f4.txt")}, 1);
    // Listed, then gone or turned into something that is no text file.
    ASSERT_TRUE(QFile::remove(path(u("f2.txt"))));
    ASSERT_TRUE(QFile::remove(path(u("f3.txt"))));
    ASSERT_TRUE(QDir().mkdir(path(u("f3.txt"))));

    const ImportOutcome out = run(r);

    EXPECT_EQ(m_book.chapterNames(), (QStringList{u("A"), u("第2章"), u("第3章")}));
    EXPECT_EQ(m_book.chaptertext(1), u("f1.txt\r\n\r\n"));
    EXPECT_EQ(m_book.chaptertext(2), u("f4.txt\r\n\r\n"));
    EXPECT_TRUE(m_book.chaptertext(3).isEmpty());
    EXPECT_EQ(m_book.num(), 3);
    EXPECT_EQ(out.message(), u("成功导入2章，以下文件未导入：\nf2.txt：文件不存在\nf3.txt：不是TXT文件"));
}

TEST_F(Import, CapacityImportsWhatFitsAndSaysWhatDidNot)
{
    for (int i = 0; i < 18; ++i)
        m_book.appendChapterName(QString::number(i));
    for (const char* name : {"c1.txt", "c2.txt", "c3.txt", "c4.txt", "c5.txt"})
        write(u(name), "t");
    const ImportRequest r = request({u("c1.txt"), u("c2.txt"), u("c3.txt"), u("c4.txt"), u("c5.txt")}, 0, 20);

    const ImportOutcome out = run(r);

    EXPECT_EQ(m_book.chapterCount(), 20);
    EXPECT_EQ(m_book.chapterNames().mid(18), (QStringList{u("c1"), u("c2")}));
    EXPECT_EQ(out.overCapacity, (QStringList{u("c3.txt"), u("c4.txt"), u("c5.txt")}));
    EXPECT_EQ(out.message(), u("成功导入2章，以下文件未导入：\n章节数量达到上限（20）：c3.txt 至 c5.txt 共3个文件"));

    // A book that grew while the files were read is not overfilled.
    ImportRequest late = request({u("c1.txt")}, 0, 21);
    late.existing = 20;
    ImportOutcome again = readImport(late);
    m_book.appendChapterName(u("typed meanwhile"));
    EXPECT_FALSE(applyImport(m_book, late, again, false).has_value());
    EXPECT_EQ(m_book.chapterCount(), 21);
}

TEST_F(Import, TheMainWindowsLimitKeepsTheLastSlotFree)
{
    for (int i = 0; i < 999; ++i)
        m_book.appendChapterName(QString::number(i));
    write(u("last.txt"), "1000");
    write(u("over.txt"), "1001");
    const ImportOutcome out = run(request({u("last.txt"), u("over.txt")}, 1));
    EXPECT_EQ(m_book.chapterCount(), 1000);
    EXPECT_EQ(m_book.chapterNames().last(), u("第1000章"));
    EXPECT_EQ(m_book.chaptertext(999), u("1000\r\n\r\n"));
    EXPECT_TRUE(m_book.chaptertext(1000).isEmpty());
    EXPECT_EQ(out.message(), u("成功导入1章，以下文件未导入：\nover.txt：章节数量达到上限(1000)"));
}

TEST_F(Import, ProgressEveryFiftyLinesCarriedAcrossFiles)
{
    QByteArray fifty;
    for (int i = 0; i < 50; ++i)
        fifty += "line\r\n";
    write(u("p1.txt"), fifty);              // 300 bytes, estimate 165, ASCII
    write(u("p2.txt"), fifty.left(49 * 6)); // 49 lines

    std::vector<ImportProgress> seen;
    const ImportOutcome out =
        readImport(request({u("p1.txt"), u("p2.txt")}, 2), [&](const ImportProgress& p) { seen.push_back(p); });

    ASSERT_EQ(seen.size(), 3u); // p1 starts, p1's 50th line, p2 starts
    EXPECT_EQ(seen[0].lines, 0);
    EXPECT_EQ(seen[0].estimate, 165);
    EXPECT_EQ(seen[0].chapterName, u("第1节"));
    EXPECT_EQ(seen[1].lines, 50);
    EXPECT_EQ(seen[1].characters, 300);
    // An ASCII file outgrows its estimate: its share passes 1/2.
    EXPECT_DOUBLE_EQ(seen[1].fraction, (0 + 300.0 / 165.0) / 2);
    EXPECT_EQ(importReadingCaption(seen[1]), u("进度90.91% 加载50行 共300字"));
    EXPECT_EQ(seen[2].file, 1);
    EXPECT_EQ(seen[2].chapterName, u("第2节"));
    EXPECT_DOUBLE_EQ(seen[2].fraction, seen[1].fraction);
    EXPECT_DOUBLE_EQ(out.fraction, seen[1].fraction);

    EXPECT_EQ(importCountCaption(2, 10), u("导入章数：3/10"));
    EXPECT_EQ(importNameCaption(u("第3章")), u("章名：第3章"));
    EXPECT_EQ(importEstimateCaption(1200), u("【字数：1200】"));
    EXPECT_EQ(importFileDoneCaption(0.125), u("进度：12.50%"));
}

TEST_F(Import, CancelStopsBeforeTheNextFile)
{
    write(u("k1.txt"), "1");
    write(u("k2.txt"), "2");
    std::atomic_bool cancel{false};
    const ImportOutcome out = readImport(
        request({u("k1.txt"), u("k2.txt")}, 0), [&](const ImportProgress&) { cancel = true; }, &cancel);
    ASSERT_EQ(out.chapters.size(), 1);
    EXPECT_EQ(out.chapters.first().name, u("k1"));
    EXPECT_TRUE(out.cancelled);
    EXPECT_TRUE(out.message().endsWith(u("导入已中止")));
}

// --- split at chapter headings ------------------------------------------

namespace {

// `chapters` headings 第1章 … each with a line of text, CR LF line ends.
QByteArray novel(int chapters, const char* title = "书名")
{
    QByteArray text = QByteArray(title) + "\r\n\r\n";
    for (int i = 1; i <= chapters; ++i)
        text += QStringLiteral("第%1章 标题%1\r\n　　正文第%1章。\r\n").arg(i).toUtf8();
    return text;
}

QString joined(const BookProject& book, int from, int count)
{
    QString all;
    for (int i = from; i < from + count; ++i) {
        QString text = book.chaptertext(i);
        EXPECT_TRUE(text.endsWith(u("\r\n")));
        text.chop(2); // the CR LF that `save` adds
        all += text;
    }
    return all;
}

// The file's text as the TXT line reading gives it.
QString readAs(const QString& path)
{
    auto read = readTxtFile(path);
    EXPECT_TRUE(read.has_value());
    return read ? read->text : QString();
}

} // namespace

TEST_F(Import, SplittingNamesByHeadingsAndKeepsEveryCharacter)
{
    addChapters({u("A")});
    write(u("甲.txt"), novel(3));
    write(u("乙.txt"), "no heading at all\r\njust text");
    write(u("丙.txt"), "\xef\xbb\xbf" + novel(2, "另一本") + "末尾没有换行");
    ImportRequest r = request({u("甲.txt"), u("乙.txt"), u("丙.txt")}, 0);
    r.splitChapters = true;

    const ImportOutcome out = run(r);

    EXPECT_TRUE(out.message().isEmpty());
    EXPECT_EQ(m_book.chapterNames(), (QStringList{u("A"), u("第1章 标题1"), u("第2章 标题2"), u("第3章 标题3"), u("乙"),
                                                  u("第1章 标题1"), u("第2章 标题2")}));
    // The title lines join the first chapter; the pieces are the files' texts.
    EXPECT_EQ(m_book.chaptertext(1), u("书名\r\n\r\n第1章 标题1\r\n　　正文第1章。\r\n\r\n"));
    EXPECT_EQ(joined(m_book, 1, 3), readAs(path(u("甲.txt"))));
    EXPECT_EQ(joined(m_book, 4, 1), readAs(path(u("乙.txt"))));
    EXPECT_EQ(joined(m_book, 5, 2), readAs(path(u("丙.txt"))));
    EXPECT_TRUE(m_book.chaptertext(6).endsWith(u("末尾没有换行\r\n\r\n")));
    EXPECT_EQ(m_book.num(), 7);
}

TEST_F(Import, SplittingUnderNumberedRulesContinuesTheBook)
{
    addChapters({u("A"), u("B")});
    write(u("a.txt"), novel(3));
    write(u("b.txt"), "whole");
    ImportRequest r = request({u("a.txt"), u("gone.txt"), u("b.txt")}, 2);
    r.splitChapters = true;

    const ImportOutcome out = run(r);

    EXPECT_EQ(m_book.chapterNames().mid(2), (QStringList{u("第3节"), u("第4节"), u("第5节"), u("第6节")}));
    EXPECT_EQ(m_book.chaptertext(5), u("whole\r\n\r\n"));
    EXPECT_EQ(out.message(), u("成功导入4章，以下文件未导入：\ngone.txt：文件不存在"));

    // Replacing the chapters: numbered from 1, texts from slot 0.
    ImportRequest again = request({u("a.txt")}, 1);
    again.existing = 0;
    again.splitChapters = true;
    run(again, true);
    EXPECT_EQ(m_book.chapterNames(), (QStringList{u("第1章"), u("第2章"), u("第3章")}));
    EXPECT_EQ(joined(m_book, 0, 3), readAs(path(u("a.txt"))));
    EXPECT_EQ(m_book.num(), 3);
}

TEST_F(Import, SplitChaptersPastTheLimitMergeAndSaySo)
{
    // The wizard's 20, five taken: 28 + 1 chapters merge two by two into 14 + 1.
    addChapters({u("A"), u("B"), u("C"), u("D"), u("E")});
    write(u("long.txt"), novel(28));
    write(u("short.txt"), "one chapter");
    ImportRequest r = request({u("long.txt"), u("short.txt")}, 0, wizard::kChapterLimit);
    r.splitChapters = true;

    const ImportOutcome out = run(r);

    ASSERT_EQ(m_book.chapterCount(), wizard::kChapterLimit);
    EXPECT_EQ(m_book.chapterNames().at(5), u("第1章 标题1"));
    EXPECT_EQ(m_book.chapterNames().at(6), u("第3章 标题3"));
    EXPECT_EQ(m_book.chapterNames().at(18), u("第27章 标题27"));
    EXPECT_EQ(m_book.chapterNames().at(19), u("short"));
    EXPECT_EQ(joined(m_book, 5, 14), readAs(path(u("long.txt"))));
    EXPECT_EQ(out.message(), u("检测到29章，超过上限15章，已每2章合并为一章，共15章"));
    EXPECT_EQ(m_book.num(), 20);
}

TEST_F(Import, SplitOverflowOfFilesAndMergeShareTheOneMessage)
{
    // Room for two: the third file cannot come, the two that do merge.
    for (int i = 0; i < 998; ++i)
        m_book.appendChapterName(QString::number(i));
    write(u("m1.txt"), novel(4));
    write(u("m2.txt"), novel(3));
    write(u("m3.txt"), novel(2));
    ImportRequest r = request({u("m1.txt"), u("m2.txt"), u("m3.txt")}, 1);
    r.splitChapters = true;

    const ImportOutcome out = run(r);

    EXPECT_EQ(m_book.chapterCount(), 1000);
    EXPECT_EQ(m_book.chapterNames().mid(998), (QStringList{u("第999章"), u("第1000章")}));
    EXPECT_EQ(joined(m_book, 998, 1), readAs(path(u("m1.txt"))));
    EXPECT_EQ(joined(m_book, 999, 1), readAs(path(u("m2.txt"))));
    EXPECT_EQ(out.message(), u("成功导入2章，以下文件未导入：\nm3.txt：章节数量达到上限(1000)\n"
                               "检测到7章，超过上限2章，已每4章合并为一章，共2章"));
}

TEST_F(Import, SplittingOffKeepsEveryFileOneChapter)
{
    write(u("n.txt"), novel(3));
    const ImportOutcome out = run(request({u("n.txt")}, 0));
    EXPECT_TRUE(out.message().isEmpty());
    EXPECT_EQ(m_book.chapterNames(), QStringList{u("n")});
    EXPECT_EQ(m_book.chaptertext(0), readAs(path(u("n.txt"))) + u("\r\n"));
}
