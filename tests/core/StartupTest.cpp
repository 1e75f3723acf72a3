// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup/Startup.h"
#include "startup/ProgramFolder.h"

#include "FileLinks.h"
#include "QtPrinters.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifndef Q_OS_WIN
#include <unistd.h>

#include <cstdio>
#endif

using namespace vamo;
using vamo::test::readFile;
using vamo::test::writeFile;

namespace {

struct Leftovers : ::testing::Test {
    QTemporaryDir tmp;
    QString p(const QString& rel) const { return QDir(tmp.path()).filePath(rel); }
    void put(const QString& rel, const QByteArray& bytes = "x") { ASSERT_TRUE(writeFile(p(rel), bytes)); }
    void readOnly(const QString& rel)
    {
        ASSERT_TRUE(QFile::setPermissions(p(rel), QFile::ReadOwner | QFile::ReadUser));
    }
};

} // namespace

TEST_F(Leftovers, RecurseTreeRemovesNestedReadOnlyAndHiddenEntries)
{
    put(QStringLiteral("w/text"));
    put(QStringLiteral("w/.hidden"));
    put(QStringLiteral("w/META-INF/MANIFEST.MF"));
    put(QStringLiteral("w/a/b/c/10000"));
    readOnly(QStringLiteral("w/a/b/c/10000"));
    readOnly(QStringLiteral("w/text"));
    // A folder without write permission still has its entries removed.
    ASSERT_TRUE(QFile::setPermissions(p(QStringLiteral("w/a/b")), QFile::ReadOwner | QFile::ExeOwner));
    int pumped = 0;
    auto r = RecurseTree(p(QStringLiteral("w")), [&] { ++pumped; });
    ASSERT_TRUE(r) << r.error().message.toStdString();
    EXPECT_FALSE(QFileInfo::exists(p(QStringLiteral("w"))));
    EXPECT_GE(pumped, 7); // every file and folder below w
    // Nothing to delete is fine.
    EXPECT_TRUE(RecurseTree(p(QStringLiteral("w"))));
}

TEST_F(Leftovers, RecurseTreeRemovesLinksButNeverWhatTheyPointTo)
{
    put(QStringLiteral("keep/precious.txt"), "mine");
    put(QStringLiteral("w/file"));
    ASSERT_TRUE(QDir(p(QStringLiteral("w"))).mkdir(QStringLiteral("sub")));
    if (!test::makeFolderLink(p(QStringLiteral("keep")), p(QStringLiteral("w/sub/linked-folder"))))
        GTEST_SKIP() << "no folder links here";
    (void)test::makeFileLink(p(QStringLiteral("keep/precious.txt")), p(QStringLiteral("w/linked-file")));
    ASSERT_TRUE(RecurseTree(p(QStringLiteral("w"))));
    EXPECT_FALSE(QFileInfo::exists(p(QStringLiteral("w"))));
    EXPECT_EQ(readFile(p(QStringLiteral("keep/precious.txt"))), QByteArray("mine"));
}

TEST_F(Leftovers, BuildLeftoversGoAndEverythingElseStays)
{
    put(QStringLiteral("vamobooktemp/text"));
    put(QStringLiteral("vamobooktemp/10000"));
    put(QStringLiteral("vamobooktemp/META-INF/MANIFEST.MF"));
    readOnly(QStringLiteral("vamobooktemp/10000"));
    put(QStringLiteral("jre/vamo.bat"));
    put(QStringLiteral("jre/market.gif"), "GIF89a");
    put(QStringLiteral("jar/book/old.jar"), "PK");

    ASSERT_TRUE(removeBuildLeftovers(tmp.path()));
    EXPECT_FALSE(QFileInfo::exists(workspaceFolder(tmp.path())));
    EXPECT_FALSE(QFileInfo::exists(commandScriptPath(tmp.path())));
    EXPECT_EQ(readFile(p(QStringLiteral("jre/market.gif"))), QByteArray("GIF89a"));
    EXPECT_EQ(readFile(p(QStringLiteral("jar/book/old.jar"))), QByteArray("PK"));

    // A second run (exit after start-up) finds nothing and succeeds.
    EXPECT_TRUE(removeBuildLeftovers(tmp.path()));
}

TEST_F(Leftovers, AWorkspaceThatIsAPlainFileIsRemovedToo)
{
    put(QStringLiteral("vamobooktemp"));
    ASSERT_TRUE(removeBuildLeftovers(tmp.path()));
    EXPECT_FALSE(QFileInfo::exists(workspaceFolder(tmp.path())));
}

TEST_F(Leftovers, SaveFolderIsCreatedOrKeptAndAFileInTheWayIsReported)
{
    put(QStringLiteral("jar/book/a.jar"), "PK");
    const QString existing = defaultSaveFolder(tmp.path());
    EXPECT_TRUE(existing.endsWith(QDir::separator()));
    ASSERT_TRUE(createSaveFolder(existing));
    EXPECT_EQ(readFile(p(QStringLiteral("jar/book/a.jar"))), QByteArray("PK"));

    const QString nested = QDir::toNativeSeparators(p(QStringLiteral("x/y/z"))) + QDir::separator();
    ASSERT_TRUE(createSaveFolder(nested));
    EXPECT_TRUE(QFileInfo(p(QStringLiteral("x/y/z"))).isDir());

    put(QStringLiteral("blocker"), "data");
    auto r = createSaveFolder(p(QStringLiteral("blocker")) + QDir::separator());
    ASSERT_FALSE(r);
    EXPECT_TRUE(r.error().message.startsWith(QStringLiteral("无法创建保存目录：")));
    EXPECT_TRUE(r.error().message.contains(QDir::toNativeSeparators(p(QStringLiteral("blocker")))));
    EXPECT_EQ(readFile(p(QStringLiteral("blocker"))), QByteArray("data"));
    EXPECT_FALSE(createSaveFolder(QString()));
}

#ifndef Q_OS_WIN
// A hard link shares its file's mode: making it writable before deleting it
// would open up the file outside the workspace.
TEST_F(Leftovers, RecurseTreeNeverChangesTheModeOfAFile)
{
    put(QStringLiteral("outside/secret"), "keep");
    readOnly(QStringLiteral("outside/secret"));
    const QFile::Permissions before = QFileInfo(p(QStringLiteral("outside/secret"))).permissions();
    ASSERT_TRUE(QDir().mkpath(p(QStringLiteral("w/deep"))));
    ASSERT_EQ(::link(QFile::encodeName(p(QStringLiteral("outside/secret"))).constData(),
                     QFile::encodeName(p(QStringLiteral("w/deep/hard"))).constData()),
              0);
    ASSERT_TRUE(RecurseTree(p(QStringLiteral("w"))));
    EXPECT_FALSE(QFileInfo::exists(p(QStringLiteral("w"))));
    EXPECT_EQ(QFileInfo(p(QStringLiteral("outside/secret"))).permissions(), before);
    EXPECT_EQ(readFile(p(QStringLiteral("outside/secret"))), QByteArray("keep"));
}

TEST_F(Leftovers, TheScriptIsNeverDeletedThroughALinkedJreFolder)
{
    put(QStringLiteral("elsewhere/vamo.bat"), "not ours");
    ASSERT_TRUE(QFile::link(p(QStringLiteral("elsewhere")), p(QStringLiteral("jre"))));
    // The workspace a link, too: the link goes, its target stays.
    put(QStringLiteral("other/10000"), "text");
    ASSERT_TRUE(QFile::link(p(QStringLiteral("other")), p(QStringLiteral("vamobooktemp"))));

    ASSERT_TRUE(removeBuildLeftovers(tmp.path()));
    EXPECT_EQ(readFile(p(QStringLiteral("elsewhere/vamo.bat"))), QByteArray("not ours"));
    EXPECT_EQ(readFile(p(QStringLiteral("other/10000"))), QByteArray("text"));
    EXPECT_FALSE(QFileInfo(p(QStringLiteral("vamobooktemp"))).isSymLink());

    // The script itself a link: the link goes, its target stays.
    ASSERT_TRUE(QFile::remove(p(QStringLiteral("jre"))));
    ASSERT_TRUE(QDir().mkpath(p(QStringLiteral("jre"))));
    ASSERT_TRUE(QFile::link(p(QStringLiteral("elsewhere/vamo.bat")), commandScriptPath(tmp.path())));
    ASSERT_TRUE(removeBuildLeftovers(tmp.path()));
    EXPECT_FALSE(QFileInfo(commandScriptPath(tmp.path())).isSymLink());
    EXPECT_EQ(readFile(p(QStringLiteral("elsewhere/vamo.bat"))), QByteArray("not ours"));
}

TEST_F(Leftovers, RecurseTreeRemovesNamesThatAreNotUtf8)
{
    ASSERT_TRUE(QDir().mkpath(p(QStringLiteral("w"))));
    const QByteArray raw = QFile::encodeName(p(QStringLiteral("w"))) + "/\xD6\xD0.txt";
    FILE* f = std::fopen(raw.constData(), "wb");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
    ASSERT_TRUE(RecurseTree(p(QStringLiteral("w"))));
    EXPECT_FALSE(QFileInfo::exists(p(QStringLiteral("w"))));
}
#endif
