// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/MakeChecks.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

using namespace vamo;
using namespace Qt::StringLiterals;

namespace {

struct Fields {
    QString jarName;
    QString bookName;
    QString maker;
};

// Runs the checks on settings with these fields and `chapters` chapters;
// returns the message ("" when all pass) and leaves the fields in `f` as the
// make command leaves them after emptying the field the refusal names.
QString run(Fields& f, int chapters = 1)
{
    BookSettings s;
    s.jarName = f.jarName;
    s.bookName = f.bookName;
    s.maker = f.maker;
    const auto r = checkMake(s, chapters);
    if (!r)
        emptyRefusedField(s, r.error());
    f = {s.jarName, s.bookName, s.maker};
    return r ? QString() : r.error().message;
}

} // namespace

TEST(MakeChecks, FirstFailingCheckInOrderAndBlankFieldsEmptied)
{
    struct Row {
        Fields in;
        int chapters;
        QString message;
        Fields after;
    };
    const QString ok;
    const std::vector<Row> rows{
        {{u"sanguo"_s, u"三国"_s, u"Vamo"_s}, 1, ok, {u"sanguo"_s, u"三国"_s, u"Vamo"_s}},
        // Full-width punctuation (A3xx) is not Chinese.
        {{u"a-b_c.d(1)!~,；，"_s, u"三国"_s, u"Vamo"_s}, 1, ok, {u"a-b_c.d(1)!~,；，"_s, u"三国"_s, u"Vamo"_s}},
        {{u"abc中"_s, u""_s, u""_s}, 1, u"jar包名含有中文"_s, {u"abc中"_s, u""_s, u""_s}},
        {{u"   "_s, u"三国"_s, u"Vamo"_s}, 1, u"jar包名为空"_s, {u""_s, u"三国"_s, u"Vamo"_s}},
        {{u"   "_s, u"   "_s, u""_s}, 1, u"jar包名为空"_s, {u""_s, u"   "_s, u""_s}},
        {{u"s"_s, u"   "_s, u""_s}, 1, u"书名为空"_s, {u"s"_s, u""_s, u""_s}},
        {{u"s"_s, u"三国"_s, u"  "_s}, 1, u"制作名为空"_s, {u"s"_s, u"三国"_s, u""_s}},
        {{u"s"_s, u"a/b"_s, u"Vamo"_s}, 0, u"请添加章节内容"_s, {u"s"_s, u"a/b"_s, u"Vamo"_s}},
        // Every forbidden character named once, in one message.
        {{u"s"_s, u"say \"hi\" :"_s, u"V"_s}, 1, u"书名包涵非法字符(\")(:)"_s, {u"s"_s, u"say \"hi\" :"_s, u"V"_s}},
        {{u"s"_s, u"a/b:c/d*"_s, u"V"_s}, 1, u"书名包涵非法字符(/)(:)(*)"_s, {u"s"_s, u"a/b:c/d*"_s, u"V"_s}},
        // A JAD's JAR URL is taken literally: no space inside the JAR name,
        // told after the Chinese test.
        {{u"x y"_s, u"三国"_s, u"V"_s}, 1, u"jar包名含有空格"_s, {u"x y"_s, u"三国"_s, u"V"_s}},
        {{u"x\u3000y"_s, u"三国"_s, u"V"_s}, 1, u"jar包名含有空格"_s, {u"x\u3000y"_s, u"三国"_s, u"V"_s}},
        {{u"中 文"_s, u"三国"_s, u"V"_s}, 1, u"jar包名含有中文"_s, {u"中 文"_s, u"三国"_s, u"V"_s}},
        {{u" xy "_s, u"三国"_s, u"V"_s}, 1, ok, {u" xy "_s, u"三国"_s, u"V"_s}},
        {{u"s"_s, u" .. "_s, u"V"_s}, 1, u"书名包涵非法字符(.)"_s, {u"s"_s, u" .. "_s, u"V"_s}},
        {{u"s"_s, u"..a"_s, u"V"_s}, 1, ok, {u"s"_s, u"..a"_s, u"V"_s}},
        // A line break would end the manifest's name line early.
        {{u"s"_s, u"三\n国"_s, u"V"_s}, 1, u"书名包涵非法字符(U+000A)"_s, {u"s"_s, u"三\n国"_s, u"V"_s}},
        {{u"a\tb"_s, u"三国"_s, u"V"_s}, 1, u"jar包名包涵非法字符(U+0009)"_s, {u"a\tb"_s, u"三国"_s, u"V"_s}},
    };
    for (const Row& row : rows) {
        Fields f = row.in;
        EXPECT_EQ(run(f, row.chapters), row.message)
            << row.in.jarName.toStdString() << " / " << row.in.bookName.toStdString();
        EXPECT_EQ(f.jarName, row.after.jarName);
        EXPECT_EQ(f.bookName, row.after.bookName);
        EXPECT_EQ(f.maker, row.after.maker);
    }
}

TEST(MakeChecks, EveryForbiddenCharacterIsNamedInBothNames)
{
    for (const QString& c : {u"?"_s, u"*"_s, u":"_s, u"/"_s, u"\\"_s, u"<"_s, u">"_s, u"|"_s, u"\""_s}) {
        Fields jar{u"a"_s + c + u"b?"_s, u"书"_s, u"V"_s};
        EXPECT_EQ(run(jar), u"jar包名包涵非法字符("_s + c + u")"_s + (c == u"?"_s ? QString() : u"(?)"_s));
        Fields book{u"s"_s, u"书"_s + c + u"*"_s, u"V"_s};
        EXPECT_EQ(run(book), u"书名包涵非法字符("_s + c + u")"_s + (c == u"*"_s ? QString() : u"(*)"_s));
    }
}

// The name rules every caller shares: all white space trims, control
// characters are forbidden, dots alone are no book name.
TEST(NameRules, OneImplementationForEveryCaller)
{
    EXPECT_EQ(checkJarName(u"\t\u3000 ").error().message, QStringLiteral("jar包名为空"));
    EXPECT_EQ(checkJarName(u"a\nb").error().message, QStringLiteral("jar包名包涵非法字符(U+000A)"));
    EXPECT_TRUE(checkJarName(u" vamo-01 "));
    EXPECT_EQ(checkBookName(u"\r\n").error().message, QStringLiteral("书名为空"));
    EXPECT_EQ(checkBookName(u"a\u007Fb").error().message, QStringLiteral("书名包涵非法字符(U+007F)"));
    EXPECT_EQ(checkBookName(u" .. ").error().message, QStringLiteral("书名包涵非法字符(.)"));
    EXPECT_TRUE(checkBookName(u"第一部 上"));
    // As typed: what the make command would say of the JAR name, but blank.
    EXPECT_EQ(jarNameProblem(u"ab中"), QStringLiteral("jar包名含有中文"));
    EXPECT_EQ(jarNameProblem(u"a b"), QStringLiteral("jar包名含有空格"));
    EXPECT_EQ(jarNameProblem(u"a:b"), QStringLiteral("jar包名包涵非法字符(:)"));
    EXPECT_EQ(jarNameProblem(u""), QString());
    EXPECT_EQ(jarNameProblem(u"vamo-0101"), QString());
}

TEST(NameRules, NamesTooLongForAFileNameAreRefusedBeforeAnyText)
{
    // 244 bytes and "(12345).jar" make 255, the most a file name takes.
    EXPECT_TRUE(checkJarName(QString(244, u'j')));
    EXPECT_EQ(checkJarName(QString(245, u'j')).error().message, u"jar包名太长（最多244个字母或数字）"_s);
    EXPECT_EQ(checkJarName(u" "_s + QString(245, u'j')).error().field, MakeField::JarName);
    EXPECT_TRUE(checkBookName(QString(85, u'书')));
    EXPECT_EQ(checkBookName(QString(86, u'书')).error().message, u"书名太长（最多85个汉字）"_s);
    EXPECT_TRUE(checkBookName(QString(255, u'b')));
    // The settings alone say so, before the command line reads a file.
    BookSettings s;
    s.jarName = QString(300, u'j');
    s.bookName = u"书"_s;
    s.maker = u"我"_s;
    EXPECT_EQ(checkMakeSettings(s).error().message, u"jar包名太长（最多244个字母或数字）"_s);
}

// Each refusal names its field; only a blank field is to be emptied, and the
// settings-only check is the same list without the chapter count.
TEST(MakeChecks, RefusalsNameTheirFieldAndTheSettingsAloneCheckTheSame)
{
    struct Row {
        Fields in;
        MakeField field;
        bool emptyField;
    };
    const std::vector<Row> rows{
        {{u"abc中"_s, u"三国"_s, u"V"_s}, MakeField::JarName, false},
        {{u" "_s, u"三国"_s, u"V"_s}, MakeField::JarName, true},
        {{u"a|b"_s, u"三国"_s, u"V"_s}, MakeField::JarName, false},
        {{u"s"_s, u"\t"_s, u"V"_s}, MakeField::BookName, true},
        {{u"s"_s, u"三国"_s, u" "_s}, MakeField::Maker, true},
        {{u"s"_s, u"a<b"_s, u"V"_s}, MakeField::BookName, false},
    };
    for (const Row& row : rows) {
        BookSettings s;
        s.jarName = row.in.jarName;
        s.bookName = row.in.bookName;
        s.maker = row.in.maker;
        const auto full = checkMake(s, 1);
        const auto alone = checkMakeSettings(s);
        ASSERT_FALSE(full) << row.in.jarName.toStdString() << " / " << row.in.bookName.toStdString();
        ASSERT_FALSE(alone);
        EXPECT_EQ(full.error().field, row.field) << full.error().message.toStdString();
        EXPECT_EQ(full.error().emptyField, row.emptyField) << full.error().message.toStdString();
        EXPECT_EQ(alone.error().message, full.error().message);
        EXPECT_EQ(alone.error().field, full.error().field);
    }

    // No chapters: the chapter list is named, nothing is to be emptied; the
    // settings alone pass, and the book name's characters still come after.
    BookSettings s;
    s.jarName = u"s"_s;
    s.bookName = u"a/b"_s;
    s.maker = u"V"_s;
    const auto none = checkMake(s, 0);
    ASSERT_FALSE(none);
    EXPECT_EQ(none.error().field, MakeField::Chapters);
    EXPECT_FALSE(none.error().emptyField);
    EXPECT_EQ(checkMakeSettings(s).error().message, u"书名包涵非法字符(/)"_s);
    s.bookName = u"三国"_s;
    EXPECT_TRUE(checkMakeSettings(s));

    // Emptying touches only the named field, and only a blank one.
    BookSettings all;
    all.jarName = u"j"_s;
    all.bookName = u"b"_s;
    all.maker = u"m"_s;
    all.message = u"x"_s;
    BookSettings copy = all;
    emptyRefusedField(copy, FieldError{MakeField::Message, u"留言为空"_s, true});
    EXPECT_TRUE(copy.message.isEmpty());
    copy.message = all.message;
    EXPECT_EQ(copy, all);
    emptyRefusedField(copy, FieldError{MakeField::BookName, u"书名包涵非法字符(/)"_s, false});
    emptyRefusedField(copy, FieldError{MakeField::Chapters, u"请添加章节内容"_s, true});
    EXPECT_EQ(copy, all);
}
