// SPDX-License-Identifier: GPL-3.0-or-later
// "整理排版" and "转换为简体" on made-up texts: wrapped paragraphs joined,
// poetry and dialogue kept, blank runs collapsed, paragraphs indented, and
// with every option on or off not a character but line breaks and white
// space changed (and the script, when asked). The line scanning both tidying
// and the chapter detection go by tells white space and line ends as Qt and
// a plain scan do.
#include "intake/TextTidy.h"
#include "intake/ChapterImport.h"
#include "intake/TextLines.h"
#include "text/ScriptConvert.h"

#include "QtPrinters.h"
#include "TestSupport.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace vamo;
using namespace Qt::StringLiterals;

namespace {

QString lines(std::initializer_list<const char*> list)
{
    QString out;
    for (const char* l : list)
        out += QString::fromUtf8(l) + u"\r\n"_s;
    return out;
}

QString tidied(const QString& text)
{
    auto t = textChapters(text, u"书"_s, {}, TextOptions{.tidy = true});
    EXPECT_TRUE(t.has_value());
    return t ? t->text : QString();
}

} // namespace

TEST(TextTidy, WrappedParagraphsJoinPoetryDialogueAndHeadingsStay)
{
    // Wrapped at 20 characters.
    const QString text = lines({
        "第一章 山路",
        "　　他们在清晨出发，走过了一座又一座山，",
        "一直走到天黑也没有找到可以住的地方，只好",
        "在山洞里过夜。",
        "",
        "",
        "",
        "　　床前明月光，",
        "　　疑是地上霜。",
        "“你冷吗？”她问。",
        "“不冷。”",
        "　　第二天他们又走了很远很远的路，一直走",
        "“到了！”有人喊了一声，大家都跑了过去。",
        "第二章 山村",
        "村子很小，只有十几户人家，家家户户的门口",
        "都种着一棵老槐树。",
    });
    EXPECT_EQ(wrapWidth(text), 20);
    EXPECT_EQ(tidied(text),
              lines({
                  "第一章 山路",
                  "　　他们在清晨出发，走过了一座又一座山，一直走到天黑也没有找到可以住的地方，只好在山洞里过夜。",
                  "",
                  "　　床前明月光，",
                  "　　疑是地上霜。",
                  "　　“你冷吗？”她问。",
                  "　　“不冷。”",
                  "　　第二天他们又走了很远很远的路，一直走",
                  "　　“到了！”有人喊了一声，大家都跑了过去。",
                  "第二章 山村",
                  "　　村子很小，只有十几户人家，家家户户的门口都种着一棵老槐树。",
              }));
}

TEST(TextTidy, AWrapAtABytesWidthAndATextThatIsNotWrapped)
{
    // Wrapped at 40 bytes: ASCII letters take one column, Chinese two.
    const QString bytes = lines({
        "　　ABC公司的老板是个很有意思的人，他",
        "每天早上都要喝一杯咖啡，然后去公园散步",
        "，他说这样OK，一天都会有好心情。",
        "　　他的公司不大，只有二十个员工，可是",
        "每个人都很喜欢他，因为他从来不发脾气。",
    });
    EXPECT_GT(wrapWidth(bytes), 0);
    EXPECT_EQ(tidied(bytes), lines({
                                 "　　ABC公司的老板是个很有意思的人，他每天早上都要喝一杯咖啡，然后去公园散步，他说这样"
                                 "OK，一天都会有好心情。",
                                 "　　他的公司不大，只有二十个员工，可是每个人都很喜欢他，因为他从来不发脾气。",
                             }));

    // One paragraph a line: nothing is joined, only the indentation made even.
    const QString plain = lines({"  第一段很短。", "第二段长一些，长到二十多个字，可它是一段自己的话", "\t第三段"});
    EXPECT_EQ(wrapWidth(plain), 0);
    EXPECT_EQ(tidied(plain),
              lines({"　　第一段很短。", "　　第二段长一些，长到二十多个字，可它是一段自己的话", "　　第三段"}));
}

TEST(TextTidy, TraditionalTextBecomesSimplifiedWithItsNames)
{
    const Result<QString> s = toSimplified(u"第一回 紅樓夢\r\n　　乾隆年間，後來說話的人們。\r\n"_s);
    ASSERT_TRUE(s.has_value()) << s.error().message.toStdString();
    EXPECT_EQ(*s, u"第一回 红楼梦\r\n　　乾隆年间，后来说话的人们。\r\n"_s);
    EXPECT_EQ(*toSimplified(u"简体和ASCII text 不变"_s), u"简体和ASCII text 不变"_s);

    auto file = textChapters(u"第一章 開始\r\n　　內容。\r\n第二章 結束\r\n　　內容。\r\n"_s, u"書名"_s, {},
                             TextOptions{.simplified = true});
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(file->wholeName, u"书名"_s);
    ASSERT_EQ(file->split.chapters.size(), 2);
    EXPECT_EQ(file->split.chapters[0].name, u"第一章 开始"_s);
    EXPECT_EQ(file->split.chapters[1].name, u"第二章 结束"_s);
}

TEST(TextTidy, RandomTextsLoseNoCharacterWithEveryOption)
{
    const char* pieces[] = {"第一章 甲",
                            "第二章　乙　正文接在标题后面，一直写下去，写到超过四十个字为止，再多写几个字吧。",
                            "卷一",
                            "　　正文一句。",
                            "一行很长很长的文字，没有结尾的标点，一直写到",
                            "這是繁體字的一行，後來說話",
                            "“对话。”",
                            "",
                            "  ",
                            "\t縮排",
                            "Chapter 3",
                            "床前明月光"};
    const char* ends[] = {"\r\n", "\r", "\n"};
    QRandomGenerator random(20261209);
    for (int round = 0; round < 300; ++round) {
        QString text;
        const int count = random.bounded(40);
        for (int i = 0; i < count; ++i)
            text += QString::fromUtf8(pieces[random.bounded(int(std::size(pieces)))]) +
                    QString::fromUtf8(ends[random.bounded(3)]);
        SCOPED_TRACE(text.toStdString());
        // The widths the detection counts on its way find the wrap that
        // tidying finds counting on its own.
        textlines::LineWidths widths;
        QList<qsizetype> headings;
        const Result<ChapterSplit> split = splitChapters(text, {}, &widths);
        ASSERT_TRUE(split.has_value());
        for (const ChapterSpan& c : split->chapters) {
            if (c.heading)
                headings.append(c.line);
        }
        EXPECT_EQ(tidyText(text, headings, &widths), tidyText(text, headings));
        for (int options = 0; options < 4; ++options) {
            const TextOptions o{.tidy = (options & 1) != 0, .simplified = (options & 2) != 0};
            auto file = textChapters(text, u"书"_s, {}, o);
            ASSERT_TRUE(file.has_value());
            QString joined;
            for (const Chapter& c : chapterTexts(file->text, file->split))
                joined += c.text;
            EXPECT_EQ(joined, file->text);
            const QString expected = o.simplified ? *toSimplified(text) : text;
            if (o.any())
                EXPECT_EQ(test::withoutWhiteSpace(joined), test::withoutWhiteSpace(expected)) << options;
            else
                EXPECT_EQ(joined, text);
        }
    }
}

TEST(TextLines, WhiteSpaceAndLineEndsAsQtAndAPlainScanTellThem)
{
    for (char32_t u = 0; u <= 0xFFFF; ++u) {
        const QChar c(static_cast<char16_t>(u));
        ASSERT_EQ(textlines::isBlank(c), c.isSpace() || u == 0xFEFF) << std::hex << static_cast<unsigned>(u);
    }

    // Line ends anywhere in and around the words scanned at a time, among
    // other control characters below CR and characters whose units look
    // like them in part (U+0D0A, U+0A0D).
    const char16_t units[] = {u'\r', u'\n', u'\t', u'\x0B', u'\0', u'字', u'a', u'\u0D0A', u'\u0A0D', u'\u3000'};
    QRandomGenerator random(20261211);
    for (int round = 0; round < 2000; ++round) {
        QString text;
        const int length = random.bounded(80);
        for (int i = 0; i < length; ++i)
            text += QChar(units[random.bounded(2) ? random.bounded(int(std::size(units))) : 5]);
        for (qsizetype from = 0; from <= text.size(); ++from) {
            qsizetype expected = from;
            while (expected < text.size() && text[expected] != u'\r' && text[expected] != u'\n')
                ++expected;
            ASSERT_EQ(textlines::lineEnd(text, from), expected) << text.toStdString() << " from " << from;
        }
    }
}
