// SPDX-License-Identifier: GPL-3.0-or-later
// Chapter detection on made-up novels: every guard case, and in every case
// the chapters joined give back the input exactly.
#include "intake/ChapterSplit.h"
#include "intake/ChapterImport.h"

#include "QtPrinters.h"
#include "TestSupport.h"

#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vamo;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

// Lines joined with CR LF after each, as the TXT reading gives a text.
QString txt(std::initializer_list<const char*> lines)
{
    QString out;
    for (const char* l : lines)
        out += u(l) + QStringLiteral("\r\n");
    return out;
}

QStringList names(const ChapterSplit& s)
{
    QStringList out;
    for (const ChapterSpan& c : s.chapters)
        out << c.name;
    return out;
}

// The chapters lie back to back over the whole text, each name is one
// clean line, and the joined texts are the input.
void expectCovers(const QString& text, const ChapterSplit& s)
{
    qsizetype at = 0;
    QString joined;
    for (const Chapter& c : chapterTexts(text, s))
        joined += c.text;
    for (const ChapterSpan& c : s.chapters) {
        EXPECT_EQ(c.begin, at) << c.name.toStdString();
        EXPECT_GT(c.length, 0) << c.name.toStdString();
        at += c.length;
        for (QChar ch : c.name)
            EXPECT_FALSE(ch.category() == QChar::Other_Control || ch == QChar(0x2028) || ch == QChar(0x2029))
                << c.name.toStdString();
        EXPECT_EQ(c.name, c.name.trimmed());
    }
    EXPECT_EQ(at, text.size());
    EXPECT_EQ(joined, text);
}

ChapterSplit split(const QString& text, const QString& pattern = {})
{
    auto s = splitChapters(text, pattern);
    EXPECT_TRUE(s.has_value()) << (s ? std::string() : s.error().message.toStdString());
    if (!s)
        return {};
    expectCovers(text, *s);
    return *s;
}

} // namespace

TEST(ChapterSplit, HeadingStaysFirstLineAndTitleLinesJoinTheFirstChapter)
{
    const QString text = txt({"红楼梦", "  曹雪芹  ", "", "第一回 甄士隐梦幻识通灵", "　　此开卷第一回也。",
                              "第二回 贾夫人仙逝扬州城", "　　却说封肃因听见公差传唤。"});
    const ChapterSplit s = split(text);
    EXPECT_EQ(names(s), QStringList({u("第一回 甄士隐梦幻识通灵"), u("第二回 贾夫人仙逝扬州城")}));
    EXPECT_EQ(s.headings, 2);
    EXPECT_TRUE(s.isSplit());
    const QList<Chapter> texts = chapterTexts(text, s);
    EXPECT_TRUE(texts[0].text.startsWith(u("红楼梦\r\n")));
    EXPECT_TRUE(texts[1].text.startsWith(u("第二回 贾夫人仙逝扬州城\r\n")));
}

TEST(ChapterSplit, LongTextBeforeTheFirstHeadingIsAChapterOfItsOwn)
{
    const QString text = txt({"", "  前面的话：这是一本写给自己的书", "　　第一段很长的说明文字。", "　　第二段说明。",
                              "第一章 开始", "　　正文。", "第二章 继续", "　　正文。"});
    const ChapterSplit s = split(text);
    EXPECT_EQ(names(s), QStringList({u("前面的话：这是一本写给自己的书"), u("第一章 开始"), u("第二章 继续")}));
    EXPECT_FALSE(s.chapters[0].heading);
    EXPECT_EQ(s.headings, 2);

    // A first line too long for a name is cut to the heading length.
    const QString longFirst = QString(60, QChar(u'字')) + QStringLiteral("\r\n") + text;
    const ChapterSplit t = split(longFirst);
    EXPECT_EQ(t.chapters[0].name, QString(kHeadingMaxLength, QChar(u'字')));
}

TEST(ChapterSplit, TableOfContentsStartsNoChapters)
{
    const QString text = txt({"某某传", "目录", "第一章 出山", "第二章 下山", "", "第三章 回山", "", "", "第一章 出山",
                              "　　天还没亮。", "第二章 下山", "　　雨下了一夜。", "第三章 回山", "　　终于到了。"});
    const ChapterSplit s = split(text);
    EXPECT_EQ(names(s), QStringList({u("某某传"), u("第一章 出山"), u("第二章 下山"), u("第三章 回山")}));
    EXPECT_EQ(s.headings, 3);
    // The contents stay in the chapter before the first real heading.
    EXPECT_TRUE(chapterTexts(text, s)[0].text.contains(u("第三章 回山")));
}

TEST(ChapterSplit, HeadingsInsideParagraphsAndDialogueAreText)
{
    const QString text = txt({
        "第一章 旧书",
        // hard-wrapped paragraph whose next line starts like a heading
        "　　他拿起那本旧书，从头一页一页地慢慢翻下去，一直翻到了",
        "第三章才停下来",
        // a lead-in, then dialogue across lines
        "　　她说：",
        "第二章你还没看吗",
        "　　“",
        "第四章 写得最好",
        "　　他想了想：“我记得",
        "第五章，是全书最精彩的部分。”",
        // a sentence and a clause that happen to start with a heading's form
        "第十集团军的士兵们冲了上来。",
        "第二回合，",
        "后记得那天的雨",
        "序幕拉开",
        "Chapter and verse",
        "第二章 新书",
        "　　正文。",
    });
    const ChapterSplit s = split(text);
    EXPECT_EQ(names(s), QStringList({u("第一章 旧书"), u("第二章 新书")}));
}

TEST(ChapterSplit, VolumeHeadingJoinsItsFirstChapter)
{
    const QString text = txt({"第一卷 风起", "第一章 初见", "　　正文一。", "第二章 再见", "　　正文二。", "",
                              "第二卷 云涌", "", "", "第三章 离别", "　　正文三。", "第三卷 尾声卷",
                              "　　这一卷有自己的引言。", "第四章 重逢", "　　正文四。"});
    const ChapterSplit s = split(text);
    EXPECT_EQ(names(s), QStringList({u("第一卷 风起 第一章 初见"), u("第二章 再见"), u("第二卷 云涌 第三章 离别"),
                                     u("第三卷 尾声卷"), u("第四章 重逢")}));
    EXPECT_EQ(s.headings, 5);
}

TEST(ChapterSplit, NumberFormsKeywordsAndEnglishHeadings)
{
    const QString text = txt({"楔子",          "　　引。", "序章：缘起",   "　　序。", "第１章 全角",        "　　一。",
                              "第 2 章 空格",  "　　二。", "第三百零二回", "　　三。", "第２０节 小节",      "　　四。",
                              "番外一 后日谈", "　　五。", "番外篇",       "　　六。", "Chapter 7: English", "　　七。",
                              "CHAPTER IX.",   "　　八。", "后记",         "　　完。"});
    const ChapterSplit s = split(text);
    EXPECT_EQ(names(s), QStringList({u("楔子"), u("序章：缘起"), u("第１章 全角"), u("第 2 章 空格"), u("第三百零二回"),
                                     u("第２０节 小节"), u("番外一 后日谈"), u("番外篇"), u("Chapter 7: English"),
                                     u("CHAPTER IX."), u("后记")}));
}

TEST(ChapterSplit, RepeatedHeadingStaysInItsChapter)
{
    const QString text = txt({"第一章 开始", "", "第一章 开始", "　　正文。", "第二章 结束", "　　正文。"});
    EXPECT_EQ(names(split(text)), QStringList({u("第一章 开始"), u("第二章 结束")}));
}

TEST(ChapterSplit, TextWithoutHeadingsOrOnlyHeadingsIsOneChapter)
{
    const QString plain = txt({"  一篇短文", "　　没有任何章节标题。", "　　第二段。"});
    const ChapterSplit a = split(plain);
    ASSERT_EQ(a.chapters.size(), 1);
    EXPECT_EQ(a.chapters[0].name, u("一篇短文"));
    EXPECT_EQ(a.headings, 0);
    EXPECT_FALSE(a.isSplit());

    const QString only = txt({"第一章 甲", "第二章 乙", "", "第三章 丙"});
    const ChapterSplit b = split(only);
    ASSERT_EQ(b.chapters.size(), 1);
    EXPECT_EQ(b.chapters[0].name, u("第一章 甲"));
    EXPECT_FALSE(b.isSplit());

    // One heading is not worth splitting, though it makes two parts.
    const ChapterSplit c = split(txt({"　　很长的一段开场白，比标题长得多，足以自成一章的文字。", "　　又一段。",
                                      "　　再一段。", "第一章 唯一", "　　正文。"}));
    EXPECT_EQ(c.headings, 1);
    EXPECT_FALSE(c.isSplit());

    EXPECT_TRUE(split(QString()).chapters.isEmpty());
    EXPECT_EQ(split(u("\r\n\r\n")).chapters.size(), 1);
}

TEST(ChapterSplit, EveryKindOfLineEndAndNamesWithoutControlCharacters)
{
    // A file with LF or CR line ends reads as one line holding LFs, or as
    // CR LF lines; both split, and no character is lost.
    const QString lf = u("第一章\tA\x07\n正文\n第二章 B\n正文\n第三章 C");
    EXPECT_EQ(names(split(lf)), QStringList({u("第一章 A"), u("第二章 B"), u("第三章 C")}));
    const QString cr = u("\xef\xbb\xbf第一章 A\r正文\r\r第二章 B\r\n正文");
    EXPECT_EQ(names(split(cr)), QStringList({u("第一章 A"), u("第二章 B")}));
    EXPECT_EQ(cleanChapterName(u("  第一章\u2028上\x1f下  ")), u("第一章 上 下"));
}

TEST(ChapterSplit, TextBeforeTheFirstHeadingIsCountedInLinesOfEveryEnd)
{
    // Two title lines join the first chapter, three lines are a chapter of
    // their own, whichever line ends the text has.
    for (const char* end : {"\r\n", "\r", "\n"}) {
        SCOPED_TRACE(end);
        const QString e = u(end);
        const QString body = u("第一章 甲") + e + u("正文") + e + u("第二章 乙") + e + u("正文");
        const ChapterSplit title = split(u("书名") + e + e + u("作者") + e + body);
        EXPECT_EQ(names(title), QStringList({u("第一章 甲"), u("第二章 乙")}));
        const ChapterSplit front = split(u("书名") + e + u("作者") + e + u("简介") + e + body);
        EXPECT_EQ(names(front), QStringList({u("书名"), u("第一章 甲"), u("第二章 乙")}));
    }
}

TEST(ChapterSplit, UserPatternReplacesTheBuiltInRule)
{
    const QString text = txt({"卷一 春", "　　第一章 不算。", "第一章 不算", "　　正文。", "卷二 夏", "　　正文。"});
    EXPECT_EQ(names(split(text, u("^卷[一二三四]"))), QStringList({u("卷一 春"), u("卷二 夏")}));
    const auto bad = splitChapters(text, u("第(.章"));
    ASSERT_FALSE(bad.has_value());
    EXPECT_TRUE(bad.error().message.startsWith(u("章节标题规则无效："))) << bad.error().message.toStdString();
    EXPECT_FALSE(checkChapterPattern(u("[")).has_value());
    EXPECT_TRUE(checkChapterPattern(u("^\\d+、")).has_value());
}

TEST(ChapterSplit, RulesThatBacktrackWithoutBoundAreRefusedBeforeAnyLine)
{
    // Each would take the regular expression engine's whole step limit on a
    // line of their own character spoiled at its end.
    for (const char* slow : {"^(a|a)+$", "^(\\d+)+$", "^(第|第)+$", "(\\s*)*$"}) {
        const auto refused = checkChapterPattern(QString::fromUtf8(slow));
        ASSERT_FALSE(refused.has_value()) << slow;
        EXPECT_EQ(refused.error().message, u("章节标题规则无效：规则太复杂，检查一行就超过2毫秒，请简化")) << slow;
    }
    QString text;
    for (int i = 0; i < 200; ++i)
        text += QString(39, u'a') + u("b\r\n");
    EXPECT_FALSE(splitChapters(text, u("^(a|a)+$")).has_value());

    // The rules people write pass.
    for (const char* fine : {"^第.{1,9}章", "^卷[一二三四]", "^Chapter \\d+", "^\\d+、", "^(序|楔子|后记)$",
                             "^[0-9一二三四五六七八九十百]+\\s*[章回]", "^=+ .* =+$"})
        EXPECT_TRUE(checkChapterPattern(QString::fromUtf8(fine)).has_value()) << fine;
}

namespace {

QString chineseNumber(int n)
{
    static const QString digits = QStringLiteral("零一二三四五六七八九");
    QString out;
    if (n >= 100) {
        out += digits.at(n / 100) + QStringLiteral("百");
        n %= 100;
        if (n > 0 && n < 10)
            out += QStringLiteral("零");
        if (n >= 10 && n < 20)
            out += QStringLiteral("一");
    }
    if (n >= 10) {
        if (n >= 20 || !out.isEmpty())
            out += n >= 20 ? QString(digits.at(n / 10)) : QString();
        out += QStringLiteral("十");
        n %= 10;
    }
    if (n > 0)
        out += digits.at(n);
    return out;
}

} // namespace

TEST(ChapterSplit, AClassicInOneFileGivesExactlyItsHuis)
{
    // As such files come: a title block with an introduction, headings in
    // Chinese numerals with full-width spaces, poems and dialogue.
    QString text = txt({"《红楼梦》", "作者：曹雪芹", "", "内容简介：",
                        "　　《红楼梦》是一部章回体长篇小说，以贾、史、王、薛四大家族的兴衰为背景。", ""});
    QStringList want = {u("《红楼梦》")};
    for (int i = 1; i <= 120; ++i) {
        const QString heading = u("第") + chineseNumber(i) + u("回　甄士隐梦幻识通灵　贾雨村风尘怀闺秀");
        want << heading;
        text += u("　　") + heading + u("\r\n\r\n");
        text += txt({"　　此开卷第一回也。作者自云：因曾历过一番梦幻之后，故将真事隐去。", "　　诗曰：",
                     "　　满纸荒唐言，一把辛酸泪！", "　　都云作者痴，谁解其中味？",
                     "　　士隐笑道：“第三回的事，你且慢慢听我道来。”", ""});
    }
    const ChapterSplit s = split(text);
    EXPECT_EQ(names(s), want);
    EXPECT_EQ(s.chapters[120].name, u("第一百二十回　甄士隐梦幻识通灵　贾雨村风尘怀闺秀"));
    EXPECT_EQ(s.chapters[101].name.left(6), u("第一百零一回"));
    EXPECT_EQ(s.chapters[11].name.left(4), u("第十一回"));
}

TEST(ChapterSplit, TwelveHundredChaptersMergeInEqualGroups)
{
    QString text = txt({"书名"});
    for (int i = 1; i <= 1200; ++i)
        text += u("第%1章 标题\r\n　　第%1章的正文。\r\n").arg(i);
    ChapterSplit s = split(text);
    ASSERT_EQ(s.chapters.size(), 1200);
    EXPECT_EQ(s.headings, 1200);

    EXPECT_EQ(mergeGroupSize({1200}, 1000), 2);
    EXPECT_EQ(mergeGroupSize({1200}, 1200), 1);
    EXPECT_EQ(mergeGroupSize({1200}, 20), 60);
    EXPECT_EQ(mergeGroupSize({10, 10, 1}, 3), 10);
    EXPECT_EQ(mergeGroupSize({10, 10, 1}, 2), 0);
    EXPECT_EQ(mergeGroupSize({7}, 3), 3); // 3 + 3 + 1

    mergeChapters(s, 2);
    expectCovers(text, s);
    ASSERT_EQ(s.chapters.size(), 600);
    EXPECT_EQ(s.chapters[0].name, u("第1章 标题"));
    EXPECT_EQ(s.chapters[1].name, u("第3章 标题"));
    EXPECT_EQ(s.chapters[599].name, u("第1199章 标题"));
    EXPECT_EQ(s.groupSize, 2);
    EXPECT_EQ(s.detected, 1200);

    ChapterSplit odd = split(text);
    mergeChapters(odd, 7);
    expectCovers(text, odd);
    EXPECT_EQ(odd.chapters.size(), 172); // 171 groups of 7, the last of 3
}

TEST(ChapterSplit, RandomNovelsAreCoveredExactly)
{
    const char* pieces[] = {
        "第一章 甲",  "第二章 乙", "第１２回 丙", "第一卷 丁",
        "序",         "  后记  ",  "Chapter 3",   "　　正文一句。",
        "　　他说：", "“第三章，", "”",           "",
        " ",          "\t",        "目录",        "一行很长很长的文字，没有结尾的标点，一直写到了这里为止还没完"};
    const char* ends[] = {"\r\n", "\r", "\n", "\r\n\r\n"};
    QRandomGenerator random(20261208);
    for (int round = 0; round < 300; ++round) {
        QString text;
        const int lines = random.bounded(40);
        for (int i = 0; i < lines; ++i)
            text += u(pieces[random.bounded(int(std::size(pieces)))]) + u(ends[random.bounded(4)]);
        if (random.bounded(3) == 0)
            text.chop(1);
        SCOPED_TRACE(text.toStdString());
        ChapterSplit s = split(text);
        const int group = 1 + random.bounded(4);
        mergeChapters(s, group);
        expectCovers(text, s);
    }
}

// --- import ----------------------------------------------------------------

namespace {

TxtChapters file(const QString& text, const char* whole)
{
    auto f = textChapters(text, u(whole));
    EXPECT_TRUE(f.has_value());
    return f ? *f : TxtChapters{};
}

QString numbered(int chapters)
{
    QString text;
    for (int i = 1; i <= chapters; ++i)
        text += u("第%1章\r\n　　正文%1。\r\n").arg(i);
    return text;
}

} // namespace

TEST(ChapterImport, PlanSplitsOrKeepsFilesWholeAndFitsTheRoom)
{
    const QList<TxtChapters> files = {file(numbered(3), "甲"), file(txt({"没有标题"}), "乙"), file(numbered(2), "丙")};

    auto whole = planChapters(files, false, 1000);
    ASSERT_TRUE(whole.has_value());
    ASSERT_EQ(whole->chapters.size(), 3);
    EXPECT_EQ(whole->chapters[0].name, u("甲"));
    EXPECT_EQ(whole->chapters[0].text, numbered(3));
    EXPECT_TRUE(whole->notice.isEmpty());

    auto parts = planChapters(files, true, 1000);
    ASSERT_TRUE(parts.has_value());
    QStringList got;
    for (const Chapter& c : parts->chapters)
        got << c.name;
    EXPECT_EQ(got, QStringList({u("第1章"), u("第2章"), u("第3章"), u("乙"), u("第1章"), u("第2章")}));
    EXPECT_EQ(parts->detected, 6);

    // Room for four: the split files merge two by two.
    auto fitted = planChapters(files, true, 4);
    ASSERT_TRUE(fitted.has_value());
    ASSERT_EQ(fitted->chapters.size(), 4);
    EXPECT_EQ(fitted->groupSize, 2);
    EXPECT_EQ(fitted->chapters[0].text, u("第1章\r\n　　正文1。\r\n第2章\r\n　　正文2。\r\n"));
    EXPECT_EQ(fitted->notice, u("检测到6章，超过上限4章，已每2章合并为一章，共4章"));

    auto none = planChapters(files, true, 2);
    ASSERT_FALSE(none.has_value());
    EXPECT_EQ(none.error().message, u("章节数量达到上限(1000)"));
    EXPECT_FALSE(planChapters(files, false, 2, 20).has_value());
}

TEST(ChapterImport, ChaptersAreAppendedThroughSave)
{
    FixedClock clock(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
    BookProject book(clock);
    book.appendChapterName(u("已有"));
    ASSERT_TRUE(book.setChaptertext(0, u("旧\r\n")));

    ASSERT_TRUE(appendChapters(book, {Chapter{u("一"), u("a\r\n")}, Chapter{u("二"), u("b\r\n")}}).has_value());
    EXPECT_EQ(book.chapterNames(), QStringList({u("已有"), u("一"), u("二")}));
    EXPECT_EQ(book.chaptertext(1), u("a\r\n\r\n"));
    EXPECT_EQ(book.chaptertext(2), u("b\r\n\r\n"));
    EXPECT_EQ(book.chaptertext(0), u("旧\r\n"));

    // Past the limit: refused, nothing changed.
    const auto refused = appendChapters(book, {Chapter{u("三"), u("c")}, Chapter{u("四"), u("d")}}, {.limit = 3});
    ASSERT_FALSE(refused.has_value());
    EXPECT_EQ(refused.error().message, u("章节数量达到上限(3)"));
    EXPECT_EQ(book.chapterCount(), 3);
    EXPECT_TRUE(book.chaptertext(3).isEmpty());
}

TEST(ChapterImport, ReadsAFileLikeTheTxtReading)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("book.txt"));
    ASSERT_TRUE(vamo::test::writeFile(path, u("第一章 甲\r正文\n同一行\r\n第二章 乙\r\n末行").toUtf8()));
    auto f = readTxtChapters(path, u("book"));
    ASSERT_TRUE(f.has_value());
    EXPECT_EQ(f->text, u("第一章 甲\r\n正文\n同一行\r\n第二章 乙\r\n末行\r\n"));
    EXPECT_EQ(names(f->split), QStringList({u("第一章 甲"), u("第二章 乙")}));

    EXPECT_FALSE(readTxtChapters(dir.filePath(QStringLiteral("missing.txt")), u("x")).has_value());
    const auto bad = readTxtChapters(path, u("book"), u("("));
    ASSERT_FALSE(bad.has_value());
    EXPECT_TRUE(bad.error().message.startsWith(u("章节标题规则无效")));
}

// --- messy files: the number sequence as evidence --------------------------

TEST(ChapterSplit, HeadingNumbersInEveryCommonForm)
{
    const std::pair<const char*, int> forms[] = {
        {"一", 1},         {"十", 10},        {"十二", 12},      {"二十", 20},       {"廿三", 23},
        {"一百零一", 101}, {"一百一", 101},   {"一百〇一", 101}, {"一零一", 101},    {"一〇一", 101},
        {"一百一十", 110}, {"一百二十", 120}, {"两百", 200},     {"一千零一", 1001}, {"一万二千", 12000},
        {"101", 101},      {"１０１", 101},   {"壹佰零壹", 101}, {"貳拾參", 23},     {"玖拾玖", 99},
        {"", -1},          {"一x", -1},       {"1二", -1}};
    for (auto [numerals, number] : forms)
        EXPECT_EQ(chapterNumber(u(numerals)), number) << numerals;
}

TEST(ChapterSplit, HeadingsRunTogetherWithTheirFirstParagraph)
{
    const QString text = txt({
        "某某传",
        "第十一章　夜雨　山路难行他推开门，雨下得正大，山里一片漆黑，什么也看不见。",
        "　　他走了很久。",
        "第十二章 天明　　第二天早上，雨停了，太阳出来，山路上满是落叶和断枝。",
        "第十三章：归来他回到家里，",
        // backwards and far ahead: not headings when run together
        "第二章　旧事　那一年他还小，什么都不懂，只记得母亲坐在灯下缝衣服的样子。",
        "第九十章　远方　很多年以后，他又想起了那座山，想起了那场大雨和那个夜晚。",
        // attached: a sentence that starts like a heading
        "第十四章的开头他写了很久，一直写到天亮，也没有写完，只好放下笔去睡觉。",
        "第十四章（上）　出门　他出门的时候，天还没有亮，路上一个人也没有，很安静。",
        "第十四章（下）　回家",
    });
    const ChapterSplit s = split(text);
    EXPECT_EQ(names(s), QStringList({u("第十一章　夜雨"), u("第十二章 天明"), u("第十三章：归来他回到家里"),
                                     u("第十四章（上）　出门"), u("第十四章（下）　回家")}));
    // The title line joins the first chapter; its text is the whole line.
    EXPECT_TRUE(chapterTexts(text, s)[0].text.startsWith(u("某某传\r\n第十一章　夜雨　山路难行")));

    // A 回's couplet keeps its second half; an indentation ends the title.
    const QString huis = txt({
        "第一回　甄士隐梦幻识通灵　贾雨村风尘怀闺秀此开卷第一回也．作者自云：曾历过一番梦幻。",
        "第二回 贾夫人仙逝扬州城 冷子兴演说荣国府    却说封肃因听见公差传唤，忙出来陪笑。",
    });
    EXPECT_EQ(names(split(huis)), QStringList({u("第一回　甄士隐梦幻识通灵　贾雨村风尘怀闺秀"),
                                               u("第二回 贾夫人仙逝扬州城 冷子兴演说荣国府")}));
}

TEST(ChapterSplit, ANumberThatContinuesNeedsNoBlankLineButOneThatJumpsDoes)
{
    const QString text = txt({
        "第一章 出发",
        "　　他们在清晨出发，走过了一座又一座山，一直走到天黑也没有找到可以住的地方",
        "第二章 山村",
        "　　村子很小，只有十几户人家，家家户户的门口都种着一棵老槐树，看上去很旧了",
        "第五章 远方",
        "　　这一行是正文。",
        "第三章",
        "　　完。",
    });
    const ChapterSplit s = split(text);
    EXPECT_EQ(names(s), QStringList({u("第一章 出发"), u("第二章 山村"), u("第三章")}));
}

TEST(ChapterSplit, VolumesRestartTheirChaptersAndTraditionalHeadingsCount)
{
    const QString text = txt({
        "卷一 春",
        "第一章 甲",
        "　　一一一一一一一一一一一一一一一一一一一一一一一一一一一一一一一一一",
        "第二章　乙　正文接在标题后面，一直写下去，写到超过四十个字为止，再多写几个字吧。",
        "卷二 夏",
        "第一章 丙",
        "　　二二二二二二二二二二二二二二二二二二二二二二二二二二二二二二二二二",
        "第二章　丁　正文也接在标题后面，一直写下去，写到超过四十个字为止，再多写几个字。",
        "第壹佰零壹回 戊",
        "　　叁。",
        "第一百零二回 己",
        "　　肆。",
        "尾聲",
        "　　完。",
    });
    const ChapterSplit s = split(text);
    EXPECT_EQ(names(s), QStringList({u("卷一 春 第一章 甲"), u("第二章　乙"), u("卷二 夏 第一章 丙"), u("第二章　丁"),
                                     u("第壹佰零壹回 戊"), u("第一百零二回 己"), u("尾聲")}));
}

TEST(ChapterImport, UntickedChaptersJoinTheOneBeforeAndNamesAreReplaced)
{
    const QList<Chapter> chapters = {
        {u("第一章"), u("一\r\n")}, {u("第二章"), u("二\r\n")}, {u("第三章"), u("三\r\n")}, {u("第四章"), u("四\r\n")}};
    const QList<Chapter> out =
        correctChapters(chapters, {{false, u("不算")}, {true, u("  新名\r\n字 ")}, {false, {}}, {false, u("也不算")}});
    ASSERT_EQ(out.size(), 2);
    // The first chapter has none before it: it stays, with its new name.
    EXPECT_EQ(out[0].name, u("不算"));
    EXPECT_EQ(out[0].text, u("一\r\n"));
    EXPECT_EQ(out[1].name, u("新名  字"));
    EXPECT_EQ(out[1].text, u("二\r\n三\r\n四\r\n"));
    // No corrections, or fewer than chapters: as detected.
    EXPECT_EQ(correctChapters(chapters, {}).size(), 4);
    EXPECT_EQ(correctChapters(chapters, {{true, {}}, {false, {}}}).size(), 3);
}
