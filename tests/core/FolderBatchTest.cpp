// SPDX-License-Identifier: GPL-3.0-or-later
#include "workflow/FolderBatch.h"

#include "QtPrinters.h"
#include "TestSupport.h"
#include "ZipTestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifndef Q_OS_WIN
#include <sys/stat.h>

#include <cstdio>
#endif

using namespace vamo;
using vamo::test::writeFile;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

// A small reader template: manifest first, then a class and the icon.
bool writeTemplate(const QString& path)
{
    return test::writeZip(path, {
                                    {"META-INF/MANIFEST.MF", "Manifest-Version: 1.0\r\n\r\n"},
                                    {"demo.class", "not really a class"},
                                    {"icon.png", "not really a png"},
                                });
}

// The bytes of one archive entry; empty when the archive or entry is missing.
QByteArray entry(const QString& archive, const char* name)
{
    return test::zipEntry(archive, QByteArray(name)).value_or(QByteArray());
}

struct Batch : ::testing::Test {
    QTemporaryDir tmp;
    FixedClock clock{QDateTime(QDate(2026, 1, 3), QTime(9, 5, 7))};
    BookProject book{clock};
    BuildEnvironment env;
    QString source;
    QString save;
    QList<FolderBatchProgress> steps;

    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        const QDir root(tmp.path());
        env.templateFolder = root.filePath(QStringLiteral("program"));
        QDir().mkpath(env.templateFolder);
        ASSERT_TRUE(writeTemplate(QDir(env.templateFolder).filePath(QStringLiteral("DuvEver.dll"))));
        ASSERT_TRUE(writeTemplate(QDir(env.templateFolder).filePath(QStringLiteral("DuvEverMoto.dll"))));
        source = root.filePath(QStringLiteral("txt"));
        save = folderPath(root.filePath(QStringLiteral("out")));
        QDir().mkpath(source);
        QDir().mkpath(save);
        book.initialise(save);
        book.setJarName(QStringLiteral("first"));
    }

    void file(const QString& name, const QByteArray& bytes)
    {
        ASSERT_TRUE(writeFile(QDir(source).filePath(name), bytes));
    }

    // Runs over the book's settings and makes the changes the run returns in
    // the book, as the main window does.
    Result<FolderBatchReport> run(const QStringList& queue, const FolderBatchOptions& options = {})
    {
        FolderBatchOutcome outcome = runFolderBatch(
            book.settings(), clock, env, source, queue, [this](const FolderBatchProgress& p) { steps.append(p); },
            options);
        changes = outcome.changes;
        changes.applyTo(book);
        return std::move(outcome.report);
    }
    FolderBatchChanges changes;

    QString jar(const QString& bookName, const QString& jarName) const
    {
        return QDir::toNativeSeparators(QDir(QDir(save).filePath(bookName)).filePath(jarName + QStringLiteral(".jar")));
    }
};

} // namespace

TEST_F(Batch, RefusalsChangeNothingButTheFieldTheyName)
{
    file(QStringLiteral("a.txt"), QByteArrayLiteral("abc\r\n"));
    book.appendChapterName(QStringLiteral("mine"));
    ASSERT_TRUE(book.setChaptertext(0, QStringLiteral("my text\r\n")));

    book.setMaker(QStringLiteral("   "));
    book.setMessage(QString());
    auto r = run({QStringLiteral("a.txt")});
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().message, u("制作名为空"));
    EXPECT_EQ(book.settings().maker, QString());

    book.setMaker(QStringLiteral("me"));
    r = run({});
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().message, u("该文件夹不存在txt文件！"));
    EXPECT_EQ(book.settings().message, QStringLiteral(" ")); // a blank message became one space

    book.setJarName(QStringLiteral("  "));
    r = run({QStringLiteral("a.txt")});
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().message, u("jar包名为空"));
    book.setJarName(QStringLiteral("a|b"));
    r = run({QStringLiteral("a.txt")});
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().message, u("jar包名包涵非法字符(|)"));

    EXPECT_EQ(book.chapterNames(), QStringList{QStringLiteral("mine")});
    EXPECT_EQ(book.chaptertext(0), QStringLiteral("my text\r\n"));
    EXPECT_TRUE(QDir(save).isEmpty());
    EXPECT_TRUE(steps.isEmpty());
}

TEST_F(Batch, MakesEveryBookWithItsOwnNameAndOneChapter)
{
    file(QStringLiteral("a.txt"), QByteArrayLiteral("\xd6\xd0\xce\xc4\r\nline two\r\n")); // GBK 中文
    file(QStringLiteral("b c.txt"), QByteArrayLiteral("hello"));
    book.setMessage(QStringLiteral("  "));

    auto r = run({QStringLiteral("b c.txt"), QStringLiteral("a.txt")});
    ASSERT_TRUE(r) << r.error().message.toStdString();
    EXPECT_EQ(r->made, 2);
    EXPECT_TRUE(r->failed.isEmpty());
    EXPECT_EQ(r->message, u("成功制做2本书"));
    EXPECT_EQ(r->saveFolder, save);

    // The first book takes the typed JAR name, the next a dated one.
    const QString first = jar(QStringLiteral("b_c"), QStringLiteral("first"));
    const QString second = jar(QStringLiteral("a"), QStringLiteral("vamo-01030507"));
    ASSERT_EQ(r->jarPaths.size(), 2);
    EXPECT_EQ(QDir::cleanPath(r->jarPaths.at(0)), QDir::cleanPath(first));
    EXPECT_EQ(QDir::cleanPath(r->jarPaths.at(1)), QDir::cleanPath(second));
    EXPECT_TRUE(QFile::exists(r->jadPaths.at(0)));
    EXPECT_TRUE(QFile::exists(r->jadPaths.at(1)));

    // One chapter per book, named from the file (spaces kept), its text the
    // whole file: each line with CR LF, then the CR LF of storing.
    const QByteArray bom = QByteArrayLiteral("\xef\xbb\xbf");
    EXPECT_EQ(entry(first, "capter"), bom + QByteArrayLiteral("\r\nb c0001\r\n23\r\n"));
    EXPECT_EQ(entry(first, "10000"), bom + QByteArrayLiteral("000200060008\r\nhello\r\n\r\n"));
    EXPECT_EQ(entry(second, "10000"),
              bom + QByteArrayLiteral("0003000300130015\r\n") + u("中文\r\nline two\r\n\r\n").toUtf8());
    const QByteArray info = entry(first, "text");
    EXPECT_TRUE(info.startsWith(bom + QByteArrayLiteral("\r\nb_c\r\n\r\n"))) << info.left(40).toStdString();

    // The next book would get a fresh dated JAR name; the blank message
    // went into the books, and back, as one space.
    EXPECT_EQ(changes.jarName, QStringLiteral("vamo-01030507"));
    EXPECT_EQ(book.settings().jarName, QStringLiteral("vamo-01030507"));
    EXPECT_EQ(changes.message, QStringLiteral(" "));
    EXPECT_EQ(changes.maker, std::nullopt);
    EXPECT_TRUE(book.settings().bookName.isEmpty());
    EXPECT_EQ(book.batchmode(), 1);

    // Progress covers reading and building of both books, within 0..1.
    QSet<QString> stages;
    for (const auto& s : steps) {
        stages.insert(s.stage);
        EXPECT_EQ(s.books, 2);
        EXPECT_GE(s.fraction, 0.0);
        EXPECT_LE(s.fraction, 1.0);
    }
    EXPECT_EQ(stages, (QSet<QString>{u("导入文件"), u("打包进度")}));
    EXPECT_EQ(steps.last().book, 1);
}

TEST_F(Batch, ReadingProgressIsCappedWhenTheEstimateIsPassed)
{
    QByteArray ascii;
    for (int i = 0; i < 120; ++i)
        ascii += "abcd\r\n"; // a character per byte: more than the estimate
    file(QStringLiteral("long.txt"), ascii);
    ASSERT_TRUE(run({QStringLiteral("long.txt")}));
    QList<double> reading;
    for (const auto& s : steps)
        if (s.stage == u("导入文件") && s.fraction > 0)
            reading.append(s.fraction);
    ASSERT_EQ(reading.size(), 2); // after lines 50 and 100
    EXPECT_NEAR(reading.at(0), 300.0 / (720 * 55 / 100), 1e-9);
    EXPECT_EQ(reading.at(1), 0.99);
}

// A missing file, a book that cannot be built and a name that cannot be a
// folder are reported at the end; the books around them are still made, and
// no stale text is ever built under a missing file's name.
TEST_F(Batch, FailedBooksAreReportedAndTheOthersMade)
{
    file(QStringLiteral("a.txt"), QByteArrayLiteral("first book\r\n"));
    file(QStringLiteral("blocked.txt"), QByteArrayLiteral("cannot be made\r\n"));
    file(QStringLiteral("z.txt"), QByteArrayLiteral("last book\r\n"));
    ASSERT_TRUE(writeFile(QDir(save).filePath(QStringLiteral("blocked")), "a file where the book folder goes"));
    book.appendChapterName(QStringLiteral("typed before the run"));
    ASSERT_TRUE(book.setChaptertext(0, QStringLiteral("stale text\r\n")));

    auto r = run({QStringLiteral("gone.txt"), QStringLiteral("a.txt"), QStringLiteral("blocked.txt"),
                  QStringLiteral("x?.txt"), QStringLiteral("z.txt")});
    ASSERT_TRUE(r);
    EXPECT_EQ(r->made, 2);
    EXPECT_EQ(r->failed, (QStringList{QStringLiteral("gone"), QStringLiteral("blocked"), QStringLiteral("x?")}));
    ASSERT_EQ(r->reasons.size(), 3);
    EXPECT_EQ(r->reasons.at(2), u("书名包涵非法字符(?)"));
    EXPECT_TRUE(r->message.startsWith(u("成功制做2本书，以下书籍未能制做：\ngone：")));
    EXPECT_TRUE(r->message.contains(u("\nblocked：")));
    EXPECT_TRUE(r->message.endsWith(u("\nx?：书名包涵非法字符(?)")));

    EXPECT_FALSE(QFileInfo::exists(QDir(save).filePath(QStringLiteral("gone"))));
    EXPECT_TRUE(QFileInfo(QDir(save).filePath(QStringLiteral("blocked"))).isFile());
    ASSERT_EQ(r->jarPaths.size(), 2);
    EXPECT_EQ(QDir::cleanPath(r->jarPaths.at(0)), QDir::cleanPath(jar(QStringLiteral("a"), QStringLiteral("first"))));
    EXPECT_TRUE(entry(r->jarPaths.at(0), "10000").endsWith("first book\r\n\r\n"));
    EXPECT_TRUE(entry(r->jarPaths.at(1), "10000").endsWith("last book\r\n\r\n"));
    EXPECT_EQ(entry(r->jarPaths.at(1), "capter"), QByteArrayLiteral("\xef\xbb\xbf\r\nz0001\r\n27\r\n"));
    // The run never touches the project's own chapters.
    EXPECT_EQ(book.chapterNames(), QStringList{QStringLiteral("typed before the run")});
    EXPECT_EQ(book.chaptertext(0), QStringLiteral("stale text\r\n"));
}

// Only what a run changed comes back: nothing when no book was made, the
// JAR name once one was, the maker only when it was refused blank.
TEST_F(Batch, ChangesHoldOnlyWhatTheRunChanged)
{
    book.setMessage(QStringLiteral("hello"));
    auto r = run({QStringLiteral("gone.txt")});
    ASSERT_TRUE(r);
    EXPECT_EQ(r->made, 0);
    EXPECT_EQ(changes.maker, std::nullopt);
    EXPECT_EQ(changes.message, std::nullopt);
    EXPECT_EQ(changes.jarName, std::nullopt);
    EXPECT_FALSE(changes.built); // the file was missing before any build started
    EXPECT_EQ(book.settings().jarName, QStringLiteral("first"));

    // A book that fails in its build still counts as built.
    file(QStringLiteral("blocked.txt"), QByteArrayLiteral("text\r\n"));
    ASSERT_TRUE(writeFile(QDir(save).filePath(QStringLiteral("blocked")), "a file where the book folder goes"));
    r = run({QStringLiteral("blocked.txt")});
    ASSERT_TRUE(r);
    EXPECT_EQ(r->made, 0);
    EXPECT_TRUE(changes.built);
    EXPECT_EQ(changes.jarName, std::nullopt);

    book.setMaker(QStringLiteral(" "));
    r = run({QStringLiteral("blocked.txt")});
    ASSERT_FALSE(r);
    EXPECT_EQ(changes.maker, QString());
    EXPECT_EQ(changes.message, std::nullopt);
    EXPECT_FALSE(changes.built);
}

// With a stopped clock every build gets the same dated JAR name, so the
// second book named x_y would replace the first one's files.
TEST_F(Batch, BookOfTheSameRunIsNeverOverwritten)
{
    file(QStringLiteral("x y.txt"), QByteArrayLiteral("one\r\n"));
    file(QStringLiteral("x_y.txt"), QByteArrayLiteral("two\r\n"));
    file(QStringLiteral("w.txt"), QByteArrayLiteral("three\r\n"));
    book.setJarName(datedJarName(clock.now()));
    auto r = run({QStringLiteral("x y.txt"), QStringLiteral("x_y.txt"), QStringLiteral("w.txt")});
    ASSERT_TRUE(r);
    EXPECT_EQ(r->made, 2);
    EXPECT_EQ(r->failed, QStringList{QStringLiteral("x_y")});
    EXPECT_TRUE(entry(jar(QStringLiteral("x_y"), QStringLiteral("vamo-01030507")), "10000").endsWith("one\r\n\r\n"));
}

// Folder mode holds names to the make command's rules: all white space
// trimmed, control characters forbidden.
TEST_F(Batch, NamesFollowTheMakeCommandsRules)
{
    file(QStringLiteral("a.txt"), QByteArrayLiteral("abc\r\n"));
    book.setJarName(QStringLiteral("\t\u3000"));
    auto r = run({QStringLiteral("a.txt")});
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().message, u("jar包名为空"));
    book.setJarName(QStringLiteral("a\tb"));
    r = run({QStringLiteral("a.txt")});
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().message, u("jar包名包涵非法字符(U+0009)"));
    EXPECT_TRUE(QDir(save).isEmpty());

    book.setJarName(QStringLiteral("first"));
    book.setMaker(QStringLiteral("\t"));
    r = run({QStringLiteral("a.txt")});
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().message, u("制作名为空"));
}

#ifndef Q_OS_WIN
// A name that is not UTF-8 (GBK from a Windows archive), a FIFO and a
// folder gone between listing and making: each is made or named.
TEST_F(Batch, NoFileIsSkippedWithoutBeingNamed)
{
    file(QStringLiteral("a.txt"), QByteArrayLiteral("first\r\n"));
    const QByteArray raw = QFile::encodeName(source) + "/\xB9\xCA\xCA\xC2.txt"; // 故事.txt in GBK
    FILE* f = std::fopen(raw.constData(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("story\r\n", f);
    std::fclose(f);
    ASSERT_EQ(::mkfifo(QFile::encodeName(QDir(source).filePath(QStringLiteral("pipe.txt"))).constData(), 0600), 0);

    auto listed = listTxtFolder(source);
    ASSERT_TRUE(listed);
    EXPECT_EQ(listed->size(), 3);
    QStringList queue = *listed;
    queue.sort();
    auto r = run(queue);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->made, 2);
    EXPECT_EQ(r->failed, QStringList{QStringLiteral("pipe")});
    EXPECT_EQ(r->reasons.at(0),
              u("不是文本文件：") + QDir::toNativeSeparators(QDir(source).filePath(QStringLiteral("pipe.txt"))));
    ASSERT_EQ(r->jarPaths.size(), 2);
    const QString story = QDir(save).filePath(u("故事"));
    EXPECT_TRUE(QFileInfo(story).isDir());
    EXPECT_TRUE(QDir::cleanPath(r->jarPaths.at(1)).startsWith(story + QLatin1Char('/')));
    EXPECT_TRUE(entry(r->jarPaths.at(1), "10000").endsWith("story\r\n\r\n"));
    EXPECT_TRUE(entry(r->jarPaths.at(1), "capter")
                    .startsWith(QByteArray("\xef\xbb\xbf\r\n") + u("故事").toUtf8() + "0001\r\n"));
}
#endif
TEST_F(Batch, SplittingGivesEachBookItsChaptersAndTellsOfAMerge)
{
    QByteArray novel = u("书名\r\n").toUtf8();
    for (int i = 1; i <= 3; ++i)
        novel += u("第%1章 标题%1\r\n　　正文%1。\r\n").arg(i).toUtf8();
    QByteArray big;
    for (int i = 1; i <= 1001; ++i)
        big += u("第%1章\r\n　　正文。\r\n").arg(i).toUtf8();
    file(QStringLiteral("novel.txt"), novel);
    file(QStringLiteral("plain.txt"), QByteArrayLiteral("no headings\r\n"));
    file(QStringLiteral("big.txt"), big);

    auto report = run({QStringLiteral("novel.txt"), QStringLiteral("plain.txt"), QStringLiteral("big.txt")},
                      FolderBatchOptions{true, {}, {}});
    ASSERT_TRUE(report) << report.error().message.toStdString();
    ASSERT_EQ(report->books.size(), 3);
    EXPECT_EQ(report->books[0].chapters, 3);
    EXPECT_EQ(report->books[1].chapters, 1);
    EXPECT_EQ(report->books[2].chapters, 501);
    EXPECT_EQ(report->message, u("成功制做3本书\nbig：检测到1001章，超过上限1000章，已每2章合并为一章，共501章"));
    EXPECT_EQ(report->books[0].jarPaths, QStringList{jar(QStringLiteral("novel"), QStringLiteral("first"))});

    const QString index = QString::fromUtf8(entry(report->books[0].jarPaths.first(), "capter").mid(3));
    // Each chapter is one piece: its length counts the line-break header
    // (4 digits and 4 per CR) and the CR LF after it.
    const auto pieceChars = [](const QString& chapter) {
        const QString stored = chapter + QStringLiteral("\r\n");
        return 4 + 4 * stored.count(QLatin1Char('\r')) + 2 + stored.size();
    };
    EXPECT_EQ(index, u("\r\n第1章 标题10001\r\n%1\r\n第2章 标题20001\r\n%2\r\n第3章 标题30001\r\n%3\r\n")
                         .arg(pieceChars(u("书名\r\n第1章 标题1\r\n　　正文1。\r\n")))
                         .arg(pieceChars(u("第2章 标题2\r\n　　正文2。\r\n")))
                         .arg(pieceChars(u("第3章 标题3\r\n　　正文3。\r\n"))))
        << index.toStdString();
    const QString plainIndex = QString::fromUtf8(entry(report->books[1].jarPaths.first(), "capter").mid(3));
    EXPECT_TRUE(plainIndex.startsWith(u("\r\nplain0001\r\n"))) << plainIndex.toStdString();

    // A rule that cannot be used is refused before any book is made.
    auto refused = run({QStringLiteral("novel.txt")}, FolderBatchOptions{true, u("("), {}});
    ASSERT_FALSE(refused);
    EXPECT_TRUE(refused.error().message.startsWith(u("章节标题规则无效")));
}
