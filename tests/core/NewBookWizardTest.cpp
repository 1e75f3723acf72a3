// SPDX-License-Identifier: GPL-3.0-or-later
#include "workflow/NewBookWizard.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

using namespace vamo;
using namespace Qt::StringLiterals;

namespace {

wizard::StepOne filled() { return {u"/books/"_s, u"sanguo"_s, u"三国"_s, u"Vamo"_s, u"好书"_s, 0, 0}; }

// The step-one field a check names.
QString* field(wizard::StepOne& f, MakeField which)
{
    switch (which) {
    case MakeField::JarName:
        return &f.jarName;
    case MakeField::BookName:
        return &f.bookName;
    case MakeField::Maker:
        return &f.maker;
    case MakeField::Message:
        return &f.message;
    case MakeField::Chapters:
        break;
    }
    return nullptr;
}

} // namespace

TEST(NewBookWizard, StepOneChecksInOrderEmptyOnlyTheBlankField)
{
    struct Row {
        const char* what;
        wizard::StepOne in;
        QString message;
        wizard::StepOne after;
    };
    auto with = [](auto change) {
        wizard::StepOne f = filled();
        change(f);
        return f;
    };
    const std::vector<Row> rows{
        {"all filled", filled(), QString(), filled()},
        {"full-width comma and letters pass", with([](auto& f) { f.jarName = u"ab，cd"_s; }), QString(),
         with([](auto& f) { f.jarName = u"ab，cd"_s; })},
        {"Chinese in the JAR name before everything else", with([](auto& f) {
             f.jarName = u"ab书"_s;
             f.bookName = u"  "_s;
             f.maker.clear();
         }),
         u"jar包名含有中文"_s, with([](auto& f) {
             f.jarName = u"ab书"_s;
             f.bookName = u"  "_s;
             f.maker.clear();
         })},
        {"blank book name and maker: only the book name", with([](auto& f) {
             f.bookName = u"   "_s;
             f.maker = u" "_s;
         }),
         u"书名为空"_s, with([](auto& f) {
             f.bookName.clear();
             f.maker = u" "_s;
         })},
        {"blank maker", with([](auto& f) { f.maker = u"  "_s; }), u"制作名为空"_s,
         with([](auto& f) { f.maker.clear(); })},
        {"blank message before the backslash", with([](auto& f) {
             f.message = u"\t "_s;
             f.bookName = u"a\\b"_s;
         }),
         u"留言为空"_s, with([](auto& f) {
             f.message.clear();
             f.bookName = u"a\\b"_s;
         })},
        {"backslash in the book name stays as typed", with([](auto& f) { f.bookName = u"a\\b"_s; }),
         u"程序文件名包涵非法字符'\\'"_s, with([](auto& f) { f.bookName = u"a\\b"_s; })},
        // The make command refuses these later; step one does not.
        {"slash passes step one", with([](auto& f) { f.bookName = u"a/b"_s; }), QString(),
         with([](auto& f) { f.bookName = u"a/b"_s; })},
        {"blank JAR name passes step one", with([](auto& f) { f.jarName = u" "_s; }), QString(),
         with([](auto& f) { f.jarName = u" "_s; })},
    };
    for (const Row& row : rows) {
        const auto r = wizard::checkStepOne(row.in);
        EXPECT_EQ(r ? QString() : r.error().message, row.message) << row.what;
        // The field the refusal names, emptied as the window empties it.
        wizard::StepOne f = row.in;
        if (!r && r.error().emptyField)
            field(f, r.error().field)->clear();
        EXPECT_EQ(f, row.after) << row.what;
    }
}

// Every refusal names the field it is about, also where nothing is emptied.
TEST(NewBookWizard, StepOneRefusalsNameTheirField)
{
    auto refusal = [](auto change) {
        wizard::StepOne f = filled();
        change(f);
        const auto r = wizard::checkStepOne(f);
        return r ? FieldError{} : r.error();
    };
    const FieldError chinese = refusal([](auto& f) { f.jarName = u"书"_s; });
    EXPECT_EQ(chinese.field, MakeField::JarName);
    EXPECT_FALSE(chinese.emptyField);
    const FieldError message = refusal([](auto& f) { f.message = u" "_s; });
    EXPECT_EQ(message.field, MakeField::Message);
    EXPECT_TRUE(message.emptyField);
    const FieldError backslash = refusal([](auto& f) { f.bookName = u"a\\b"_s; });
    EXPECT_EQ(backslash.field, MakeField::BookName);
    EXPECT_FALSE(backslash.emptyField);
    EXPECT_EQ(backslash.message, u"程序文件名包涵非法字符'\\'"_s);
}

TEST(NewBookWizard, JarSizeGoesByTheSizeNamedBothWays)
{
    const QStringList main = BookProject::jarSizeItems();
    const QStringList stepOne = wizard::jarSizeItems();
    ASSERT_EQ(stepOne, (QStringList{u"无限制高端机器"_s, u"120KB中端机器"_s, u"60KB低端机器"_s}));
    // Each step-one entry lands on the main window's entry of the same size.
    for (int p = 0; p < stepOne.size(); ++p) {
        const int index = wizard::mainJarSize(p);
        ASSERT_GE(index, 0);
        EXPECT_EQ(stepOne.at(p).first(3), main.at(index).first(3)) << p;
        EXPECT_EQ(wizard::stepOneJarSize(index), p);
    }
    EXPECT_EQ(wizard::mainJarSize(1), 3);
    EXPECT_EQ(wizard::mainJarSize(2), 4);
    EXPECT_EQ(wizard::stepOneJarSize(1), -1); // 500KB
    EXPECT_EQ(wizard::stepOneJarSize(2), -1); // 250KB
    EXPECT_EQ(wizard::mainJarSize(-1), -1);
    EXPECT_EQ(wizard::mainJarSize(3), -1);
}

TEST(NewBookWizard, NextCarriesStepOneOverAndKeepsASizeStepOneCannotShow)
{
    BookSettings book;
    book.saveFolder = u"/old/"_s;
    book.jarName = u"old"_s;
    book.bookName = u"旧"_s;
    book.maker = u"m"_s;
    book.message = u"msg"_s;
    book.jarSize = 1; // 500KB大内存机
    book.phoneModel = 0;

    wizard::StepOne f = wizard::stepOneFrom(book);
    EXPECT_EQ(f.jarSize, -1);
    EXPECT_EQ(f.saveFolder, u"/old/"_s);
    f.bookName = u"新书"_s;
    f.phoneModel = 1;
    BookSettings after = wizard::carriedOver(book, f);
    EXPECT_EQ(after.jarSize, 1);
    EXPECT_EQ(after.bookName, u"新书"_s);
    EXPECT_EQ(after.phoneModel, 1);
    EXPECT_EQ(after.jarName, u"old"_s);

    // The user picked an entry: its size is taken.
    f.jarSize = 2;
    EXPECT_EQ(wizard::carriedOver(book, f).jarSize, 4);
    f.jarSize = 0;
    EXPECT_EQ(wizard::carriedOver(book, f).jarSize, 0);

    book.jarSize = 3;
    EXPECT_EQ(wizard::stepOneFrom(book).jarSize, 1);
    EXPECT_EQ(wizard::carriedOver(book, wizard::stepOneFrom(book)), book);
}

TEST(NewBookWizard, AddProposesChineseNumbersUpToTheLimitOfTwenty)
{
    const QStringList expected{u"第一章"_s,   u"第二章"_s,   u"第三章"_s,   u"第四章"_s,   u"第五章"_s,
                               u"第六章"_s,   u"第七章"_s,   u"第八章"_s,   u"第九章"_s,   u"第十章"_s,
                               u"第十一章"_s, u"第十二章"_s, u"第十三章"_s, u"第十四章"_s, u"第十五章"_s,
                               u"第十六章"_s, u"第十七章"_s, u"第十八章"_s, u"第十九章"_s, u"第二十章"_s};
    for (int listed = 0; listed < 20; ++listed)
        EXPECT_EQ(wizard::proposedChapterName(listed), expected.at(listed)) << listed;

    FixedClock clock{QDateTime(QDate(2026, 1, 3), QTime(9, 5, 7))};
    BookProject book{clock};
    for (int i = 0; i < 19; ++i)
        book.appendChapterName(u"c"_s);
    ASSERT_TRUE(wizard::prepareAdd(book));
    EXPECT_EQ(book.num(), 19);
    book.appendChapterName(u"c"_s);
    book.setNum(3);
    const auto refused = wizard::prepareAdd(book);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().message, u"章节数量达到上限（20）"_s);
    EXPECT_EQ(book.num(), 3);

    EXPECT_EQ(wizard::chapterLimit(wizard::kStepTwoFrame), 20);
    EXPECT_EQ(wizard::chapterLimit(0), BookProject::kChapterLimit);
}
