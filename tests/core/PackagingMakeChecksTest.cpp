#include "packaging/MakeChecks.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

using namespace vamo;
using namespace Qt::StringLiterals;

namespace {

struct MakeChecks : ::testing::Test {
    FixedClock clock{QDateTime(QDate(2026, 1, 3), QTime(9, 5, 7))};
    BookProject book{clock};

    void SetUp() override
    {
        BookSettings s;
        s.saveFolder = u"/tmp/jar/"_s;
        s.maker = u"Vamo"_s;
        s.bookName = u"三国"_s;
        s.message = u"m"_s;
        s.jarName = u"sanguo"_s;
        book.setSettings(s);
        book.appendChapterName(u"第1章"_s);
    }

    // The message of the first failing check, or "" when all pass.
    QString check()
    {
        const auto r = checkMake(book);
        return r ? QString() : r.error().message;
    }
};

} // namespace

TEST_F(MakeChecks, ValidBookPasses)
{
    EXPECT_EQ(check(), QString());
    book.setJarName(u"a-b_c.d(1)!~,；，"_s); // punctuation, full-width ones too
    EXPECT_EQ(check(), QString());
}

TEST_F(MakeChecks, ChineseInJarNameStopsFirst)
{
    book.setJarName(u"abc中"_s);
    book.setBookName(QString());
    EXPECT_EQ(check(), u"jar包名含有中文"_s);
    EXPECT_EQ(book.settings().jarName, u"abc中"_s);
    EXPECT_EQ(book.settings().bookName, QString());
}

TEST_F(MakeChecks, BlankOrUnsafeJarNameIsRefused)
{
    book.setJarName(u"   "_s);
    EXPECT_EQ(check(), u"jar包名为空"_s);
    EXPECT_EQ(book.settings().jarName, QString());

    for (const QString& c : {u"?"_s, u"*"_s, u":"_s, u"/"_s, u"\\"_s, u"<"_s, u">"_s, u"|"_s, u"\""_s}) {
        book.setJarName(u"a"_s + c + u"b?"_s);
        EXPECT_EQ(check(), u"jar包名包涵非法字符("_s + c + u")"_s);
        EXPECT_EQ(book.settings().jarName, u"a"_s + c + u"b?"_s);
    }
}

TEST_F(MakeChecks, BlankFieldsAreEmptiedInOrder)
{
    book.setBookName(u"   "_s);
    book.setMaker(QString());
    EXPECT_EQ(check(), u"书名为空"_s);
    EXPECT_EQ(book.settings().bookName, QString());
    EXPECT_EQ(book.settings().maker, QString());

    book.setBookName(u"书"_s);
    book.setMaker(u"  "_s);
    EXPECT_EQ(check(), u"制作名为空"_s);
    EXPECT_EQ(book.settings().maker, QString());
}

TEST_F(MakeChecks, EmptyChapterListComesBeforeTheNameScan)
{
    book.clearChapterNames();
    book.setBookName(u"a/b"_s);
    EXPECT_EQ(check(), u"请添加章节内容"_s);
}

TEST_F(MakeChecks, ForbiddenCharacterInBookNameIsNamed)
{
    book.setBookName(u"a/b"_s);
    EXPECT_EQ(check(), u"书名包涵非法字符(/)"_s);
    book.setBookName(u"say \"hi\" :"_s);
    EXPECT_EQ(check(), u"书名包涵非法字符(\")"_s);
    EXPECT_EQ(book.settings().bookName, u"say \"hi\" :"_s);
}

TEST_F(MakeChecks, BookNameOfDotsOnlyIsRefused)
{
    for (const QString& name : {u"."_s, u".."_s, u" ... "_s}) {
        book.setBookName(name);
        EXPECT_EQ(check(), u"书名包涵非法字符(.)"_s) << name.toStdString();
    }
    book.setBookName(u"..a"_s);
    EXPECT_EQ(check(), QString());
}
