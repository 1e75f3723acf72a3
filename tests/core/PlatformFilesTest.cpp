// SPDX-License-Identifier: GPL-3.0-or-later
// The file system as each system has it, met with the system's own means:
// Chinese names through native paths, a book folder on another drive (under
// Wine the build tree is on Z:, the temporary folder on C:), links and
// junctions, hard links of read-only files, and the book lock held by another
// process.
#include "model/BookProject.h"
#include "model/Clock.h"
#include "packaging/BuildEbook.h"
#include "packaging/BuildFiles.h"
#include "startup/Startup.h"
#include "text/FileNames.h"
#include "text/TxtReader.h"

#include "FileLinks.h"
#include "QtPrinters.h"
#include "TestSupport.h"
#include "ZipTestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>
#include <iostream>
#include <string>

using namespace vamo;
using namespace Qt::StringLiterals;

namespace {

struct PlatformFiles : ::testing::Test {
    QTemporaryDir tmp;
    QString p(const QString& rel) const { return QDir(tmp.path()).filePath(rel); }
    void put(const QString& rel, const QByteArray& bytes = "x") { ASSERT_TRUE(test::writeFile(p(rel), bytes)); }
};

} // namespace

TEST_F(PlatformFiles, ChineseNamesAndNativePathsOnAnotherDrive)
{
    // The text in a Chinese folder, read through its native path.
    const QString txt = p(u"小说 文件夹/第一章 开篇.txt"_s);
    ASSERT_TRUE(test::writeFile(txt, QByteArray("\xB5\xDA\xD2\xBB\xD5\xC2\r\n", 8))); // 第一章 in GBK
    auto text = readTxtFile(QDir::toNativeSeparators(txt));
    ASSERT_TRUE(text) << text.error().message.toStdString();
    EXPECT_EQ(text->text, u"第一章\r\n"_s);

    // The templates in the temporary folder, the book beside the build tree
    // (another drive under Wine).
    BuildEnvironment env;
    env.templateFolder = p(u"模板"_s);
    ASSERT_TRUE(QDir().mkpath(env.templateFolder));
    ASSERT_TRUE(test::writeZip(QDir(env.templateFolder).filePath(u"DuvEver.dll"_s), test::templateEntries("nokia")));
    QTemporaryDir elsewhere(QDir(QStringLiteral(VAMO_PROGRAM_DIR)).filePath(u"../测试 电子书-XXXXXX"_s));
    ASSERT_TRUE(elsewhere.isValid());

    FixedClock clock{QDateTime(QDate(2026, 5, 6), QTime(7, 8, 9))};
    BookProject book(clock);
    BookSettings s;
    s.saveFolder = QDir::toNativeSeparators(elsewhere.path()) + QDir::separator();
    s.maker = u"作者"_s;
    s.message = u"留言"_s;
    s.bookName = u"山居杂记"_s;
    s.jarName = u"shanju"_s;
    book.setSettings(s);
    book.appendChapterName(u"第一章"_s);
    ASSERT_TRUE(book.setChaptertext(0, text->text));
    auto report = BuildEbook(BookSnapshot(book), env);
    ASSERT_TRUE(report) << report.error().message.toStdString();
    const QString jar = QDir(elsewhere.path()).filePath(u"山居杂记/shanju.jar"_s);
    EXPECT_EQ(report->jarPaths.join(u'\n').toStdString(), QDir::toNativeSeparators(jar).toStdString());
    EXPECT_TRUE(QFileInfo(jar).isFile());
    EXPECT_TRUE(QFileInfo(QDir(elsewhere.path()).filePath(u"山居杂记/shanju.jad"_s)).isFile());
}

// Removing a read-only file must not make it writable first: the attribute
// (or mode) belongs to the file, and a hard link outside the workspace
// would lose its protection.
TEST_F(PlatformFiles, ReadOnlyHardLinksGoWithoutTouchingTheFileOutside)
{
    put(u"outside/secret"_s, "keep");
    ASSERT_TRUE(test::setReadOnly(p(u"outside/secret"_s)));
    ASSERT_TRUE(QDir().mkpath(p(u"w/deep"_s)));
    if (!test::makeHardLink(p(u"outside/secret"_s), p(u"w/deep/hard"_s)))
        GTEST_SKIP() << "no hard links here";
    put(u"w/plain"_s);
    ASSERT_TRUE(test::setReadOnly(p(u"w/plain"_s)));

    ASSERT_TRUE(RecurseTree(p(u"w"_s)));
    EXPECT_FALSE(QFileInfo::exists(p(u"w"_s)));
    EXPECT_TRUE(test::isReadOnly(p(u"outside/secret"_s)));
    EXPECT_EQ(test::readFile(p(u"outside/secret"_s)), QByteArray("keep"));
}

TEST_F(PlatformFiles, LinksAndJunctionsInTheWorkspaceGoAsLinks)
{
    put(u"keep/precious.txt"_s, "mine");
    put(u"keep/deeper/more.txt"_s, "also mine");
    ASSERT_TRUE(QDir().mkpath(p(u"w/sub"_s)));
    if (!test::makeFolderLink(p(u"keep"_s), p(u"w/sub/folder-link"_s)))
        GTEST_SKIP() << "no folder links here";
    const bool fileLink = test::makeFileLink(p(u"keep/precious.txt"_s), p(u"w/file-link"_s));
    ASSERT_TRUE(isLink(p(u"w/sub/folder-link"_s)));

    ASSERT_TRUE(RecurseTree(p(u"w"_s)));
    EXPECT_FALSE(QFileInfo::exists(p(u"w"_s)));
    EXPECT_EQ(test::readFile(p(u"keep/precious.txt"_s)), QByteArray("mine")) << "file link made: " << fileLink;
    EXPECT_EQ(test::readFile(p(u"keep/deeper/more.txt"_s)), QByteArray("also mine"));

    // The workspace itself a link: the link goes, what it leads to stays.
    if (!test::makeFolderLink(p(u"keep"_s), p(u"vamobooktemp"_s)))
        GTEST_SKIP() << "no folder links here";
    ASSERT_TRUE(removeBuildLeftovers(tmp.path()));
    EXPECT_FALSE(QFileInfo::exists(p(u"vamobooktemp"_s)) || isLink(p(u"vamobooktemp"_s)));
    EXPECT_EQ(test::readFile(p(u"keep/deeper/more.txt"_s)), QByteArray("also mine"));
}

TEST_F(PlatformFiles, TemporaryFilesAreNeverMadeThroughALink)
{
    auto files = BuildFiles::start(p(u"书"_s));
    ASSERT_TRUE(files) << files.error().message.toStdString();
    auto jar = (*files)->createTemporary(u"jar"_s);
    ASSERT_TRUE(jar) << jar.error().message.toStdString();
    const QString name = (*jar)->fileName();
    (*jar)->close();

    // A final name that is a link is replaced as a link; its target stays.
    put(u"victim.jar"_s, "precious");
    if (!test::makeFileLink(p(u"victim.jar"_s), p(u"书/book.jar"_s)))
        GTEST_SKIP() << "no file links here";
    auto jad = (*files)->createTemporary(u"jad"_s);
    ASSERT_TRUE(jad);
    (*jad)->close();
    ASSERT_TRUE((*files)->commit({{name, p(u"书/book.jar"_s), (*jad)->fileName(), p(u"书/book.jad"_s)}}, u"book"_s));
    EXPECT_FALSE(isLink(p(u"书/book.jar"_s)));
    EXPECT_EQ(test::readFile(p(u"victim.jar"_s)), QByteArray("precious"));
}

// A temporary written again (a volume stamped anew) is the build's own
// file, emptied; a link put at its name is refused and what it leads to stays.
TEST_F(PlatformFiles, TemporaryFilesAreWrittenAgainNeverThroughALink)
{
    auto files = BuildFiles::start(p(u"书"_s));
    ASSERT_TRUE(files) << files.error().message.toStdString();
    auto jar = (*files)->createTemporary(u"jar"_s);
    ASSERT_TRUE(jar);
    const QString name = (*jar)->fileName();
    ASSERT_EQ((*jar)->write("first, longer"), 13);
    (*jar)->close();

    QByteArray before;
    auto again = (*files)->rewriteTemporary(name, &before);
    ASSERT_TRUE(again) << again.error().message.toStdString();
    EXPECT_EQ(before, QByteArray("first, longer"));
    EXPECT_EQ((*again)->fileName(), name);
    EXPECT_EQ((*again)->size(), 0);
    ASSERT_EQ((*again)->write("second"), 6);
    (*again)->close();
    EXPECT_EQ(test::readFile(name), QByteArray("second"));

    // Not a temporary of this build: refused, untouched.
    put(u"书/mine.jar"_s, "precious");
    EXPECT_FALSE((*files)->rewriteTemporary(p(u"书/mine.jar"_s)));
    EXPECT_EQ(test::readFile(p(u"书/mine.jar"_s)), QByteArray("precious"));

    // The temporary replaced by a link: refused, named, the target untouched.
    put(u"victim.jar"_s, "precious");
    ASSERT_TRUE(QFile::remove(name));
    if (!test::makeFileLink(p(u"victim.jar"_s), name))
        GTEST_SKIP() << "no file links here";
    auto linked = (*files)->rewriteTemporary(name);
    ASSERT_FALSE(linked);
    EXPECT_TRUE(linked.error().message.startsWith(u"无法写入文件："_s)) << linked.error().message.toStdString();
    EXPECT_EQ(test::readFile(p(u"victim.jar"_s)), QByteArray("precious"));
}

// The lock of a book folder holds between two processes: this program
// started again, with VAMO_HOLD_LOCK naming the folder, takes the lock,
// says so, and keeps it until its input ends.
TEST(BookLock, HeldAcrossProcesses)
{
    if (qEnvironmentVariableIsSet("VAMO_HOLD_LOCK")) {
        auto files = BuildFiles::start(qEnvironmentVariable("VAMO_HOLD_LOCK"));
        ASSERT_TRUE(files);
        std::cout << "held" << std::endl;
        std::string line;
        std::getline(std::cin, line);
        return;
    }
    QTemporaryDir tmp;
    const QString folder = QDir(tmp.path()).filePath(u"三国"_s);
    ASSERT_TRUE(QDir().mkpath(folder));
    QProcess holder;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"VAMO_HOLD_LOCK"_s, folder);
    holder.setProcessEnvironment(env);
    holder.start(QString::fromLocal8Bit(::testing::internal::GetArgvs().front().c_str()),
                 {u"--gtest_filter=BookLock.HeldAcrossProcesses"_s});
    ASSERT_TRUE(holder.waitForStarted(30000));
    QByteArray said;
    while (!said.contains("held") && holder.waitForReadyRead(60000))
        said += holder.readAllStandardOutput();
    ASSERT_TRUE(said.contains("held")) << said.toStdString();

    auto refused = BuildFiles::start(folder);
    ASSERT_FALSE(refused);
    EXPECT_TRUE(refused.error().message.startsWith(u"另一个程序正在制作这本书"_s))
        << refused.error().message.toStdString();

    holder.closeWriteChannel();
    ASSERT_TRUE(holder.waitForFinished(60000));
    EXPECT_EQ(holder.exitCode(), 0);
    auto taken = BuildFiles::start(folder);
    EXPECT_TRUE(taken) << (taken ? std::string() : taken.error().message.toStdString());
}
