// SPDX-License-Identifier: GPL-3.0-or-later
#include "intake/TxtFolder.h"
#include "intake/NaturalOrder.h"

#include "TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace vamo;
using vamo::test::writeFile;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

bool touch(const QString& path) { return writeFile(path, QByteArrayLiteral("x\r\n")); }

struct Listing : ::testing::Test {
    QTemporaryDir tmp;
    QString dir(const QString& name)
    {
        const QString p = QDir(tmp.path()).filePath(name);
        QDir().mkpath(p);
        return p;
    }
};

} // namespace

TEST_F(Listing, ListsTxtFilesOnlyIgnoringCaseAndSkippingFolders)
{
    const QString d = dir(QStringLiteral("mixed"));
    ASSERT_TRUE(touch(QDir(d).filePath(QStringLiteral("a.txt"))));
    ASSERT_TRUE(touch(QDir(d).filePath(QStringLiteral("b c.txt"))));
    ASSERT_TRUE(touch(QDir(d).filePath(QStringLiteral("UPPER.TXT"))));
    ASSERT_TRUE(touch(QDir(d).filePath(u("长篇小说.txt"))));
    ASSERT_TRUE(touch(QDir(d).filePath(QStringLiteral("notes.md"))));
    ASSERT_TRUE(touch(QDir(d).filePath(QStringLiteral("a.txt.bak"))));
    QDir().mkpath(QDir(d).filePath(QStringLiteral("d.txt")));

    auto listed = listTxtFolder(d);
    ASSERT_TRUE(listed);
    QStringList names = *listed;
    names.sort();
    EXPECT_EQ(names, (QStringList{QStringLiteral("UPPER.TXT"), QStringLiteral("a.txt"), QStringLiteral("b c.txt"),
                                  u("长篇小说.txt")}));

    EXPECT_EQ(listTxtFolder(dir(QStringLiteral("empty")))->size(), 0);
    EXPECT_FALSE(listTxtFolder(QDir(tmp.path()).filePath(QStringLiteral("missing"))));
    EXPECT_FALSE(listTxtFolder(QDir(d).filePath(QStringLiteral("a.txt"))));
}

// A name of four characters or fewer (spaces trimmed) ends the listing where
// the file system returns it. The order is the file system's, so the
// expectation is taken from the folder's own unfiltered order (then put in
// natural order); folders are tried until " .txt" is not the last entry, so
// that something really is cut off. (Not ".txt": Wine shows names starting
// with a dot as hidden files, which a Windows listing leaves out.)
TEST_F(Listing, ShortNameEndsTheListingInFileSystemOrder)
{
    bool cutSomething = false;
    for (int attempt = 0; attempt < 20 && !cutSomething; ++attempt) {
        const QString d = dir(QStringLiteral("cut%1").arg(attempt));
        const bool shortFirst = attempt % 2 == 0;
        if (shortFirst) {
            ASSERT_TRUE(touch(QDir(d).filePath(QStringLiteral(" .txt"))));
        }
        for (int i = 0; i < 12; ++i)
            ASSERT_TRUE(touch(QDir(d).filePath(QStringLiteral("k%1-%2.txt").arg(attempt).arg(i))));
        if (!shortFirst) {
            ASSERT_TRUE(touch(QDir(d).filePath(QStringLiteral(" .txt"))));
        }

        QStringList before;
        bool seenShort = false;
        int after = 0;
        QDirIterator raw(d, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        while (raw.hasNext()) {
            raw.next();
            if (raw.fileName() == QStringLiteral(" .txt"))
                seenShort = true;
            else if (seenShort)
                ++after;
            else
                before.append(raw.fileName());
        }
        ASSERT_TRUE(seenShort);
        auto listed = listTxtFolder(d);
        ASSERT_TRUE(listed);
        sortNaturally(before);
        EXPECT_EQ(*listed, before);
        cutSomething = after > 0;
    }
    EXPECT_TRUE(cutSomething);
}

// 120 numbered chapter files made in a shuffled order come back 001 to 120,
// whatever order the file system keeps them in.
TEST_F(Listing, NumberedFilesComeInReadingOrder)
{
    const QString d = dir(QStringLiteral("numbered"));
    QStringList expected;
    for (int i = 1; i <= 120; ++i)
        expected << QStringLiteral("f%1.txt").arg(i, 3, 10, QLatin1Char('0'));
    QStringList shuffled = expected;
    for (qsizetype i = shuffled.size() - 1; i > 0; --i)
        shuffled.swapItemsAt(i, QRandomGenerator::global()->bounded(i + 1));
    for (const QString& name : shuffled)
        ASSERT_TRUE(touch(QDir(d).filePath(name)));
    auto listed = listTxtFolder(d);
    ASSERT_TRUE(listed);
    EXPECT_EQ(*listed, expected);
}

TEST(NaturalOrder, NumbersByValueTextByChineseCollation)
{
    auto sorted = [](QStringList names) {
        sortNaturally(names);
        return names;
    };
    // One, two, ten and a hundred, with and without padding and text around.
    EXPECT_EQ(sorted({u("100.txt"), u("10.txt"), u("2.txt"), u("1.txt")}),
              (QStringList{u("1.txt"), u("2.txt"), u("10.txt"), u("100.txt")}));
    EXPECT_EQ(sorted({u("第10章.txt"), u("第2章.txt"), u("第1章.txt"), u("第100章.txt")}),
              (QStringList{u("第1章.txt"), u("第2章.txt"), u("第10章.txt"), u("第100章.txt")}));
    EXPECT_EQ(sorted({u("卷2-10.txt"), u("卷2-9.txt"), u("卷10-1.txt"), u("卷1-100.txt")}),
              (QStringList{u("卷1-100.txt"), u("卷2-9.txt"), u("卷2-10.txt"), u("卷10-1.txt")}));
    EXPECT_EQ(sorted({u("010.txt"), u("9.txt"), u("0011.txt")}),
              (QStringList{u("9.txt"), u("010.txt"), u("0011.txt")}));
    // Chinese by pinyin (an 安, bei 北, chang 长), letters without regard to case.
    EXPECT_EQ(sorted({u("长安.txt"), u("北京.txt"), u("安徽.txt")}),
              (QStringList{u("安徽.txt"), u("北京.txt"), u("长安.txt")}));
    EXPECT_EQ(sorted({u("b.txt"), u("C.txt"), u("a.txt")}), (QStringList{u("a.txt"), u("b.txt"), u("C.txt")}));
    // Names the collation cannot tell apart still come in one fixed order.
    EXPECT_EQ(sorted({u("1.txt"), u("01.txt")}), sorted({u("01.txt"), u("1.txt")}));
    EXPECT_EQ(sorted({u("only.txt")}), QStringList{u("only.txt")});
}

TEST(FolderPath, OneTrailingSeparator)
{
    const QString sep = QDir::separator();
    EXPECT_EQ(folderPath(QDir::toNativeSeparators(QStringLiteral("/books/novels"))),
              QDir::toNativeSeparators(QStringLiteral("/books/novels")) + sep);
    EXPECT_EQ(folderPath(QDir::toNativeSeparators(QStringLiteral("/books/"))),
              QDir::toNativeSeparators(QStringLiteral("/books/")));
    EXPECT_EQ(folderPath(QDir::rootPath()), QDir::toNativeSeparators(QDir::rootPath()));
}

TEST(FolderBatchNames, ChapterKeepsSpacesBookNameUsesUnderscores)
{
    EXPECT_EQ(batchChapterName(QStringLiteral("b c.txt")), QStringLiteral("b c"));
    EXPECT_EQ(batchBookName(QStringLiteral("b c.txt")), QStringLiteral("b_c"));
    EXPECT_EQ(batchBookName(u(" 三 国 演义.TXT")), u("_三_国_演义"));
    EXPECT_EQ(batchChapterName(QStringLiteral(".txt")), QString());
}
