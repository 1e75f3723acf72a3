// SPDX-License-Identifier: GPL-3.0-or-later
// The update check: the update-information file's lines, the address rules,
// the file replacement, and whole runs against a test server on 127.0.0.1.
#include "startup/UpdateCheck.h"
#include "model/Site.h"
#include "text/Cp936.h"
#include "text/FileNames.h"

#include "FileLinks.h"
#include "GifTestSupport.h"
#include "HttpTestServer.h"
#include "QtPrinters.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QNetworkProxy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using namespace vamo;
using vamo::test::HttpTestServer;
using vamo::test::makeGif;
using vamo::test::readFile;
using vamo::test::writeFile;

namespace {

QByteArray gbk(const QString& text) { return cp936::encode(text); }

// ------------------------------------------------------------------ file ---

TEST(UpdateInfoFile, SixLinesByPositionTrimmedOfSpacesAndLaterLinesIgnored)
{
    const UpdateInfo info = parseUpdateInfo(gbk(QStringLiteral("  【官网 新书上架】 \r\n"
                                                               " www.example.cn/books \r\n"
                                                               "201.9\r\n"
                                                               " 1234 \r\n"
                                                               "http://pics.example.cn/a.gif\r\n"
                                                               "http://pics.example.cn/go\r\n"
                                                               "7th line\r\n")));
    EXPECT_EQ(info.promotionText, QStringLiteral("【官网 新书上架】"));
    EXPECT_EQ(info.siteAddress, QStringLiteral("www.example.cn/books"));
    EXPECT_EQ(info.version, 201);
    EXPECT_EQ(info.pictureSize, 1234);
    EXPECT_EQ(info.pictureAddress, QStringLiteral("http://pics.example.cn/a.gif"));
    EXPECT_EQ(info.pictureLink, QStringLiteral("http://pics.example.cn/go"));
}

TEST(UpdateInfoFile, LinesEndAtCrOrCrLfAndMissingLinesAreAbsent)
{
    // Three lines, CR alone ending one, the last without a line end; a lone
    // LF and a tab stay inside their line.
    const UpdateInfo three = parseUpdateInfo(QByteArray("a\nb\t\rsite\r\n150"));
    EXPECT_EQ(three.promotionText, QStringLiteral("a\nb\t"));
    EXPECT_EQ(three.siteAddress, QStringLiteral("site"));
    EXPECT_EQ(three.version, 150);
    EXPECT_FALSE(three.pictureSize);
    EXPECT_FALSE(three.pictureAddress);
    EXPECT_FALSE(three.pictureLink);

    // A final line end does not start another line; an empty line is a line.
    const UpdateInfo two = parseUpdateInfo(QByteArray("\r\nsite\r\n"));
    EXPECT_EQ(two.promotionText, QString());
    EXPECT_EQ(two.siteAddress, QStringLiteral("site"));
    EXPECT_FALSE(two.version);

    const UpdateInfo none = parseUpdateInfo(QByteArray());
    EXPECT_FALSE(none.promotionText);
    EXPECT_FALSE(none.siteAddress);
}

TEST(UpdateInfoFile, NumbersAreFlooredAndAnythingElseIsAbsent)
{
    EXPECT_EQ(wholeNumber(u"200"), 200);
    EXPECT_EQ(wholeNumber(u" 200.99 "), 200);
    EXPECT_EQ(wholeNumber(u"+7"), 7);
    EXPECT_EQ(wholeNumber(u"-1.5"), -2);
    EXPECT_EQ(wholeNumber(u".5"), 0);
    EXPECT_EQ(wholeNumber(u"2e2"), 200);
    EXPECT_EQ(wholeNumber(u"4194304"), 4194304);
    for (const char16_t* text :
         {u"", u" ", u"abc", u"2.0版", u"0x10", u"1,000", u"1e400", u"nan", u"inf", u"１２３", u"1e16", u"- 1"})
        EXPECT_FALSE(wholeNumber(text)) << QString::fromUtf16(text).toStdString();

    const UpdateInfo info = parseUpdateInfo(QByteArray("t\r\ns\r\nV2.1\r\nbig\r\n"));
    EXPECT_FALSE(info.version);
    EXPECT_FALSE(info.pictureSize);
}

TEST(UpdateInfoFile, ChineseTextInCodePage936)
{
    const QString line = QStringLiteral("手机看小说就上官网！每日更新，QQ群36815247");
    const QByteArray bytes = gbk(line + QStringLiteral("\r\n"));
    ASSERT_NE(bytes, line.toUtf8());
    EXPECT_EQ(parseUpdateInfo(bytes).promotionText, line);
}

TEST(UpdateAddresses, OnlyHttpAndHttpsAddressesWithAHost)
{
    const auto shown = [](QStringView text) {
        const auto url = webAddress(text);
        return url ? url->toString() : QStringLiteral("<none>");
    };
    EXPECT_EQ(shown(u"www.vamobook.cn"), QStringLiteral("http://www.vamobook.cn"));
    EXPECT_EQ(shown(u" www.vamobook.cn/vamo-java-book/ "), QStringLiteral("http://www.vamobook.cn/vamo-java-book/"));
    EXPECT_EQ(shown(u"localhost:8080/x"), QStringLiteral("http://localhost:8080/x"));
    EXPECT_EQ(shown(u"127.0.0.1:81"), QStringLiteral("http://127.0.0.1:81"));
    EXPECT_EQ(shown(u"https://example.cn/a?b=1"), QStringLiteral("https://example.cn/a?b=1"));
    EXPECT_EQ(shown(u"HTTP://Example.CN/"), QStringLiteral("http://example.cn/"));
    for (const char16_t* text :
         {u"", u"file:///etc/passwd", u"FILE:C:/Windows/notepad.exe", u"javascript:alert(1)", u"C:\\Windows\\calc.exe",
          u"\\\\server\\share\\x.exe", u"ftp://example.cn/", u"http://", u"http:/nohost", u"mailto:a@b.cn",
          u"http://exa mple.cn/", u"data:text/html,<b>x</b>", u"//example.cn/"})
        EXPECT_EQ(shown(text), QStringLiteral("<none>")) << QString::fromUtf16(text).toStdString();
}

TEST(UpdateAddresses, EnvironmentReplacesTheUpdateInformationAddress)
{
    const QByteArray saved = qgetenv(updateUrlVariable);
    const bool wasSet = qEnvironmentVariableIsSet(updateUrlVariable);

    qunsetenv(updateUrlVariable);
    EXPECT_EQ(updateInfoUrl(), site::updateInfoUrl());
    EXPECT_EQ(site::updateInfoUrl().path(), QStringLiteral("/vamobook/ebook.txt"));
    qputenv(updateUrlVariable, "http://127.0.0.1:8123/mirror/ebook.txt");
    EXPECT_EQ(updateInfoUrl(), QUrl(QStringLiteral("http://127.0.0.1:8123/mirror/ebook.txt")));
    // Empty (where the system keeps an empty variable; Windows removes it),
    // or anything the program would not fetch: no check at all.
    qputenv(updateUrlVariable, "");
    if (qEnvironmentVariableIsSet(updateUrlVariable)) {
        EXPECT_TRUE(updateInfoUrl().isEmpty());
    }
    qputenv(updateUrlVariable, "file:///tmp/ebook.txt");
    EXPECT_TRUE(updateInfoUrl().isEmpty());

    if (wasSet)
        qputenv(updateUrlVariable, saved);
    else
        qunsetenv(updateUrlVariable);
}

TEST(UpdateFiles, ReplaceFileWritesBesideAndRenamesAndNeverWritesThroughALink)
{
    QTemporaryDir tmp;
    const QString folder = QDir(tmp.path()).filePath(QStringLiteral("jre"));
    const QString path = QDir(folder).filePath(QStringLiteral("market.txt"));
    // The folder is made on the way (one level).
    ASSERT_TRUE(replaceFile(path, "first"));
    EXPECT_EQ(readFile(path), QByteArray("first"));
    ASSERT_TRUE(replaceFile(path, "second, longer"));
    EXPECT_EQ(readFile(path), QByteArray("second, longer"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("market.txt")});

    const QString precious = QDir(tmp.path()).filePath(QStringLiteral("precious.txt"));
    ASSERT_TRUE(writeFile(precious, "mine"));
    const QString link = QDir(folder).filePath(QStringLiteral("market.gif"));
    if (!vamo::test::makeFileLink(precious, link))
        GTEST_SKIP() << "no file links here";
    EXPECT_FALSE(replaceFile(link, "GIF89a"));
    EXPECT_EQ(readFile(precious), QByteArray("mine"));
    EXPECT_TRUE(vamo::isLink(link));

    EXPECT_FALSE(replaceFile(QDir(tmp.path()).filePath(QStringLiteral("a/b/c.txt")), "x"));

    // A jre folder that is itself a link: nothing is written where it leads.
    const QString elsewhere = QDir(tmp.path()).filePath(QStringLiteral("elsewhere"));
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    const QString linkedJre = QDir(tmp.path()).filePath(QStringLiteral("prog/jre"));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(linkedJre).absolutePath()));
    if (!vamo::test::makeFolderLink(elsewhere, linkedJre))
        GTEST_SKIP() << "no folder links here";
    EXPECT_FALSE(replaceFile(QDir(linkedJre).filePath(QStringLiteral("market.txt")), "from a server"));
    EXPECT_TRUE(QDir(elsewhere).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));
}

TEST(UpdateFiles, ThePrintedBannerLineCarriesNoControlCharacters)
{
    const QString sent = QStringLiteral("新书\x1b]0;title\x07\x1b[2J\nnext\tline\x7f\u0085\u2028end");
    const QString printed = printableLine(sent);
    EXPECT_EQ(printed, QStringLiteral("新书\ufffd]0;title\ufffd\ufffd[2J\ufffdnext\ufffdline\ufffd\ufffd\ufffdend"));
    EXPECT_EQ(printableLine(QStringLiteral("【官网】每日更新 ok")), QStringLiteral("【官网】每日更新 ok"));
}

// ------------------------------------------------------------ with server ---

QCoreApplication& application()
{
    static int argc = 1;
    static char name[] = "core_tests";
    static char* argv[] = {name, nullptr};
    static auto* app = new QCoreApplication(argc, argv);
    return *app;
}

struct WithApplication {
    WithApplication() { application(); }
};

struct UpdateRun : ::testing::Test, WithApplication {
    QTemporaryDir tmp;
    HttpTestServer server;
    std::unique_ptr<UpdateCheck> check;
    QStringList events;

    QString txt() const { return marketTextPath(tmp.path()); }
    QString gif() const { return marketPicturePath(tmp.path()); }
    QString jre() const { return QDir(tmp.path()).filePath(QStringLiteral("jre")); }
    QStringList jreFiles() const { return QDir(jre()).entryList(QDir::Files | QDir::Hidden | QDir::System); }

    void SetUp() override { ASSERT_TRUE(server.listening()); }

    void begin(const QUrl& url, int timeLimitMs = downloadTimeLimitMs)
    {
        check = std::make_unique<UpdateCheck>(tmp.path());
        check->setTimeLimit(timeLimitMs);
        QObject::connect(check.get(), &UpdateCheck::promotionTextRead,
                         [this](const QString& t) { events << QStringLiteral("text:") + t; });
        QObject::connect(check.get(), &UpdateCheck::pictureAvailable, [this](const QString& path) {
            events << QStringLiteral("picture:") + QString::number(QFileInfo(path).size());
        });
        QObject::connect(check.get(), &UpdateCheck::newVersionFound,
                         [this](qint64 v) { events << QStringLiteral("version:") + QString::number(v); });
        QObject::connect(check.get(), &UpdateCheck::finished, [this] { events << QStringLiteral("finished"); });
        check->start(url);
    }

    // Runs the event loop until the check has finished (or a generous
    // bound passed, which the test then reports).
    bool waitDone()
    {
        if (check->done())
            return true;
        QEventLoop loop;
        QObject::connect(check.get(), &UpdateCheck::finished, &loop, &QEventLoop::quit);
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        loop.exec();
        return check->done();
    }

    // Runs the event loop until `done` holds (same bound).
    template <class F>
    bool waitUntil(F done)
    {
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            if (done())
                loop.quit();
        });
        poll.start(10);
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        if (!done())
            loop.exec();
        return done();
    }

    void run(const QUrl& url, int timeLimitMs = downloadTimeLimitMs)
    {
        begin(url, timeLimitMs);
        ASSERT_TRUE(waitDone());
    }

    QByteArray lines(const QStringList& l) const
    {
        return gbk(l.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
    }
    QString size(const QByteArray& b) const { return QString::number(b.size()); }
};

TEST_F(UpdateRun, SixLinesGiveCaptionAddressesPictureAndNoticeInOrder)
{
    const QByteArray oldGif = makeGif(4, 2, 1);
    const QByteArray newGif = makeGif(40, 10, 3);
    ASSERT_TRUE(writeFile(gif(), oldGif));
    const QByteArray file =
        lines({QStringLiteral(" 新版上线，欢迎试用 "), QStringLiteral("www.example.cn"), QStringLiteral("201"),
               size(newGif), server.url("/pics/banner.gif").toString(), QStringLiteral("http://example.cn/go")});
    server.answer("/vamobook/ebook.txt", file);
    server.answer("/pics/banner.gif", newGif);

    run(server.url("/vamobook/ebook.txt"));
    EXPECT_EQ(events, (QStringList{QStringLiteral("text:新版上线，欢迎试用"), QStringLiteral("picture:") + size(oldGif),
                                   QStringLiteral("picture:") + size(newGif), QStringLiteral("version:201"),
                                   QStringLiteral("finished")}));
    EXPECT_EQ(check->siteurl(), QStringLiteral("www.example.cn"));
    EXPECT_EQ(check->marketurl(), QStringLiteral("http://example.cn/go"));
    EXPECT_EQ(readFile(txt()), file);
    EXPECT_EQ(readFile(gif()), newGif);
    EXPECT_EQ(server.requests(), (QList<QByteArray>{"/vamobook/ebook.txt", "/pics/banner.gif"}));
    EXPECT_EQ(jreFiles(), (QStringList{QStringLiteral("market.gif"), QStringLiteral("market.txt")}));
}

TEST_F(UpdateRun, PictureOfTheAnnouncedLengthIsShownAndNotFetchedAgain)
{
    const QByteArray local = makeGif(8, 8, 2);
    ASSERT_TRUE(writeFile(gif(), local));
    server.answer("/e.txt", lines({QStringLiteral("t"), QStringLiteral("s"), QStringLiteral("200"), size(local),
                                   server.url("/p.gif").toString(), QStringLiteral("http://example.cn/p")}));
    server.answer("/p.gif", makeGif(9, 9, 2));
    run(server.url("/e.txt"));
    // Version 200 is this program's: no notice.
    EXPECT_EQ(events, (QStringList{QStringLiteral("text:t"), QStringLiteral("picture:") + size(local),
                                   QStringLiteral("finished")}));
    EXPECT_EQ(server.requestCount("/p.gif"), 0);
    EXPECT_EQ(readFile(gif()), local);
}

TEST_F(UpdateRun, MissingPictureIsFetchedWhateverTheAnnouncedLength)
{
    const QByteArray picture = makeGif(8, 8, 1);
    server.answer("/e.txt", lines({QStringLiteral("t"), QStringLiteral("s"), QStringLiteral("150"),
                                   QStringLiteral("not a number"), server.url("/p.gif").toString()}));
    server.answer("/p.gif", picture);
    run(server.url("/e.txt"));
    EXPECT_EQ(events, (QStringList{QStringLiteral("text:t"), QStringLiteral("picture:") + size(picture),
                                   QStringLiteral("version:150"), QStringLiteral("finished")}));
    EXPECT_EQ(readFile(gif()), picture);
    // Five lines: the picture link stays the default.
    EXPECT_EQ(check->marketurl(), site::defaultMarketUrl());
}

TEST_F(UpdateRun, ThreeLinesChangeCaptionAndSiteAndCompareTheVersionOnly)
{
    const QByteArray local = makeGif(3, 3, 1);
    ASSERT_TRUE(writeFile(gif(), local));
    server.answer("/e.txt", lines({QStringLiteral("三行"), QStringLiteral("www.example.cn"), QStringLiteral("201")}));
    run(server.url("/e.txt"));
    EXPECT_EQ(events, (QStringList{QStringLiteral("text:三行"), QStringLiteral("picture:") + size(local),
                                   QStringLiteral("version:201"), QStringLiteral("finished")}));
    EXPECT_EQ(check->siteurl(), QStringLiteral("www.example.cn"));
    EXPECT_EQ(check->marketurl(), site::defaultMarketUrl());
    EXPECT_EQ(server.requests(), QList<QByteArray>{"/e.txt"});
    EXPECT_EQ(readFile(gif()), local);
}

TEST_F(UpdateRun, WithoutAServerNothingChangesButTheLocalPictureIsShown)
{
    const QByteArray local = makeGif(3, 3, 1);
    ASSERT_TRUE(writeFile(gif(), local));
    ASSERT_TRUE(writeFile(txt(), "older copy\r\nwww.old.cn\r\n150\r\n"));
    const QUrl url = server.url("/e.txt");
    server.close();
    run(url);
    // The older copy of the file is not read either.
    EXPECT_EQ(events, (QStringList{QStringLiteral("picture:") + size(local), QStringLiteral("finished")}));
    EXPECT_EQ(check->siteurl(), site::defaultSiteUrl());
    EXPECT_EQ(check->marketurl(), site::defaultMarketUrl());
    EXPECT_EQ(readFile(txt()), QByteArray("older copy\r\nwww.old.cn\r\n150\r\n"));

    // The check turned off (empty address) goes the same way, quietly.
    events.clear();
    run(QUrl());
    EXPECT_EQ(events, (QStringList{QStringLiteral("picture:") + size(local), QStringLiteral("finished")}));
}

TEST_F(UpdateRun, ServerErrorsAreNotUsed)
{
    server.answer("/missing.txt", HttpTestServer::Answer{404, "t\r\ns\r\n201\r\n", {}, false, false});
    server.answer("/broken.txt", HttpTestServer::Answer{500, "t\r\ns\r\n201\r\n", {}, false, false});
    for (const char* path : {"/missing.txt", "/broken.txt"}) {
        events.clear();
        run(server.url(path));
        EXPECT_EQ(events, QStringList{QStringLiteral("finished")}) << path;
        EXPECT_FALSE(QFileInfo::exists(txt())) << path;
    }
}

TEST_F(UpdateRun, ASilentServerEndsByTheTimeLimit)
{
    server.answer("/e.txt", HttpTestServer::Answer{200, {}, {}, true, false});
    run(server.url("/e.txt"), 1000);
    EXPECT_EQ(server.connections(), 1);
    EXPECT_EQ(events, QStringList{QStringLiteral("finished")});
    EXPECT_FALSE(QFileInfo::exists(txt()));

    // The picture download has the same limit.
    events.clear();
    server.answer("/e.txt", lines({QStringLiteral("t"), QStringLiteral("s"), QStringLiteral("200"),
                                   QStringLiteral("10"), server.url("/p.gif").toString()}));
    server.answer("/p.gif", HttpTestServer::Answer{200, {}, {}, true, false});
    run(server.url("/e.txt"), 1000);
    EXPECT_EQ(events, (QStringList{QStringLiteral("text:t"), QStringLiteral("finished")}));
    EXPECT_FALSE(QFileInfo::exists(gif()));
}

TEST_F(UpdateRun, OversizedAnswersAreIgnored)
{
    ASSERT_TRUE(writeFile(txt(), "kept\r\n"));
    QByteArray big = lines({QStringLiteral("big")});
    big.append(updateInfoByteLimit - big.size() + 1, ' ');
    server.answer("/told.txt", big);
    server.answer("/untold.txt", HttpTestServer::Answer{200, big, {}, false, true});
    for (const char* path : {"/told.txt", "/untold.txt"}) {
        events.clear();
        run(server.url(path));
        EXPECT_EQ(events, QStringList{QStringLiteral("finished")}) << path;
        EXPECT_EQ(readFile(txt()), QByteArray("kept\r\n")) << path;
    }
    // One byte less is taken.
    big.chop(1);
    server.answer("/limit.txt", HttpTestServer::Answer{200, big, {}, false, true});
    events.clear();
    run(server.url("/limit.txt"));
    EXPECT_EQ(events, (QStringList{QStringLiteral("text:big"), QStringLiteral("finished")}));

    // A picture above its limit keeps the old one.
    const QByteArray local = makeGif(2, 2, 1);
    ASSERT_TRUE(writeFile(gif(), local));
    QByteArray huge = makeGif(2, 2, 1);
    huge.append(pictureByteLimit, '\0');
    server.answer("/e.txt", lines({QStringLiteral("t"), QStringLiteral("s"), QStringLiteral("200"), size(huge),
                                   server.url("/huge.gif").toString()}));
    server.answer("/huge.gif", HttpTestServer::Answer{200, huge, {}, false, true});
    events.clear();
    run(server.url("/e.txt"));
    EXPECT_EQ(server.requestCount("/huge.gif"), 1);
    EXPECT_EQ(events, (QStringList{QStringLiteral("text:t"), QStringLiteral("picture:") + size(local),
                                   QStringLiteral("finished")}));
    EXPECT_EQ(readFile(gif()), local);
}

TEST_F(UpdateRun, ChunkedAnswersAreTakenWholeAndBrokenFramingIsNot)
{
    const QByteArray chunked =
        "5;name=value\r\n\xc8\xfd\xd0\xd0\r\r\n3\r\n\n\r\n\r\n4\r\nwww.\r\n0\r\nX-After: 1\r\n\r\n";
    const QList<std::pair<QByteArray, QByteArray>> headers{{"Transfer-Encoding", "chunked"}};
    server.answer("/chunked.txt", HttpTestServer::Answer{200, chunked, headers, false, true});
    run(server.url("/chunked.txt"));
    EXPECT_EQ(events, (QStringList{QStringLiteral("text:三行"), QStringLiteral("finished")}));
    EXPECT_EQ(readFile(txt()), QByteArray("\xc8\xfd\xd0\xd0\r\n\r\nwww."));

    // A chunk cut short by the close, and a chunk size that is no number.
    for (const QByteArray& broken : {QByteArray("5\r\nabc"), QByteArray("zz\r\nabc\r\n0\r\n\r\n")}) {
        server.answer("/broken.txt", HttpTestServer::Answer{200, broken, headers, false, true});
        events.clear();
        run(server.url("/broken.txt"));
        EXPECT_EQ(events, QStringList{QStringLiteral("finished")}) << broken.constData();
    }
}

TEST_F(UpdateRun, RedirectsAreFollowedOnlyToWebAddresses)
{
    // A local file that a redirect to file: would hand over.
    const QString local = QDir(tmp.path()).filePath(QStringLiteral("local.txt"));
    ASSERT_TRUE(writeFile(local, "from the disk\r\nfile:///\r\n150\r\n"));
    server.answer("/to-file.txt", HttpTestServer::Answer{
                                      302, {}, {{"Location", QUrl::fromLocalFile(local).toEncoded()}}, false, false});
    run(server.url("/to-file.txt"));
    EXPECT_EQ(events, QStringList{QStringLiteral("finished")});
    EXPECT_FALSE(QFileInfo::exists(txt()));

    server.answer("/moved.txt", HttpTestServer::Answer{301, {}, {{"Location", "/real.txt"}}, false, false});
    server.answer("/real.txt", lines({QStringLiteral("moved here")}));
    events.clear();
    run(server.url("/moved.txt"));
    EXPECT_EQ(events, (QStringList{QStringLiteral("text:moved here"), QStringLiteral("finished")}));
    EXPECT_EQ(server.requests(), (QList<QByteArray>{"/to-file.txt", "/moved.txt", "/real.txt"}));
}

TEST_F(UpdateRun, APictureAddressThatIsNoWebAddressIsNotFetched)
{
    const QString elsewhere = QDir(tmp.path()).filePath(QStringLiteral("elsewhere.gif"));
    ASSERT_TRUE(writeFile(elsewhere, makeGif(2, 2, 1)));
    server.answer("/e.txt", lines({QStringLiteral("t"), QStringLiteral("s"), QStringLiteral("200"), QStringLiteral("1"),
                                   QUrl::fromLocalFile(elsewhere).toString()}));
    run(server.url("/e.txt"));
    EXPECT_EQ(events, (QStringList{QStringLiteral("text:t"), QStringLiteral("finished")}));
    EXPECT_FALSE(QFileInfo::exists(gif()));
}

TEST_F(UpdateRun, AGifThatIsTextKeepsTheOldPicture)
{
    const QByteArray local = makeGif(2, 2, 1);
    ASSERT_TRUE(writeFile(gif(), local));
    const QByteArray page = "<html><body>GIF89a? no, a page</body></html>";
    server.answer("/e.txt", lines({QStringLiteral("t"), QStringLiteral("s"), QStringLiteral("200"), size(page),
                                   server.url("/p.gif").toString()}));
    server.answer("/p.gif", page);
    run(server.url("/e.txt"));
    EXPECT_EQ(server.requestCount("/p.gif"), 1);
    EXPECT_EQ(events, (QStringList{QStringLiteral("text:t"), QStringLiteral("picture:") + size(local),
                                   QStringLiteral("finished")}));
    EXPECT_EQ(readFile(gif()), local);
}

TEST_F(UpdateRun, StoppingDuringADownloadLeavesNoPartialFile)
{
    // During the update-information download.
    server.answer("/e.txt", HttpTestServer::Answer{200, {}, {}, true, false});
    begin(server.url("/e.txt"));
    ASSERT_TRUE(waitUntil([this] { return server.connections() == 1 && server.requests().size() == 1; }));
    check.reset();
    EXPECT_FALSE(QFileInfo::exists(jre()));

    // During the picture download, half of it sent.
    const QByteArray local = makeGif(2, 2, 1);
    ASSERT_TRUE(writeFile(gif(), local));
    const QByteArray file = lines({QStringLiteral("t"), QStringLiteral("s"), QStringLiteral("200"),
                                   QStringLiteral("99999"), server.url("/p.gif").toString()});
    server.answer("/e.txt", file);
    server.answer("/p.gif", HttpTestServer::Answer{200, makeGif(100, 100, 2), {}, false, false, 300});
    events.clear();
    begin(server.url("/e.txt"));
    ASSERT_TRUE(waitUntil([this] { return server.requestCount("/p.gif") == 1; }));
    EXPECT_TRUE(check->running());
    check.reset();
    EXPECT_EQ(events, (QStringList{QStringLiteral("text:t"), QStringLiteral("picture:") + size(local)}));
    EXPECT_EQ(readFile(gif()), local);
    EXPECT_EQ(readFile(txt()), file);
    EXPECT_EQ(jreFiles(), (QStringList{QStringLiteral("market.gif"), QStringLiteral("market.txt")}));
}

// ------------------------------------------------------- hostile server ---

// A server that does not play fair: after the request it answers without
// end, as fast as the client takes it (a body in endless chunks, or a
// header line that never ends), or a byte at a time. It counts what it
// sent and sees when the client hangs up.
class FloodServer {
public:
    enum class Kind { EndlessChunks, EndlessHeader, Trickle };

    explicit FloodServer(Kind kind) : m_kind(kind)
    {
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        m_server.setProxy(QNetworkProxy::NoProxy);
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] { accept(); });
        // Every tenth of a second: the trickle's next byte, or for a flood
        // a push of what waits to be sent, which finds a closed connection
        // where the system tells of one only to a write (Wine).
        m_tick.setInterval(100);
        QObject::connect(&m_tick, &QTimer::timeout, &m_server, [this] {
            for (QTcpSocket* socket : m_server.findChildren<QTcpSocket*>()) {
                if (!socket->property("answering").toBool())
                    continue;
                if (m_kind == Kind::Trickle)
                    send(socket, "x");
                else
                    socket->flush();
            }
        });
        m_tick.start();
    }

    bool listening() const { return m_server.isListening(); }
    QUrl url(const char* path) const
    {
        return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()) + QLatin1String(path));
    }
    qint64 sent() const { return m_sent; }
    int connections() const { return m_connections; }
    // Every connection accepted so far has been closed by the client.
    bool hungUp() const { return m_connections > 0 && m_open == 0; }

private:
    static constexpr qint64 kBlock = 64 * 1024;

    void accept()
    {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            ++m_connections;
            ++m_open;
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                socket->setProperty("request", socket->property("request").toByteArray() + socket->readAll());
                if (!socket->property("answering").toBool() &&
                    socket->property("request").toByteArray().contains("\r\n\r\n"))
                    answer(socket);
            });
            QObject::connect(socket, &QTcpSocket::bytesWritten, socket, [this, socket] { more(socket); });
            // The client's close shows as the end of the connection or, where
            // the system tells it only to the next write, as that write's error.
            const auto closed = [this, socket] {
                if (socket->property("closed").toBool())
                    return;
                socket->setProperty("closed", true);
                socket->setProperty("answering", false);
                --m_open;
                socket->deleteLater();
            };
            QObject::connect(socket, &QTcpSocket::disconnected, socket, closed);
            QObject::connect(socket, &QTcpSocket::errorOccurred, socket, closed);
        }
    }

    void answer(QTcpSocket* socket)
    {
        socket->setProperty("answering", true);
        switch (m_kind) {
        case Kind::EndlessChunks:
            send(socket, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n");
            more(socket);
            break;
        case Kind::EndlessHeader:
            send(socket, "HTTP/1.1 200 OK\r\nX-Filler: ");
            more(socket);
            break;
        case Kind::Trickle:
            send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n");
            break;
        }
    }

    // Keeps a block or two on the way while the client takes them.
    void more(QTcpSocket* socket)
    {
        if (!socket->property("answering").toBool() || socket->bytesToWrite() >= kBlock)
            return;
        if (m_kind == Kind::EndlessChunks)
            send(socket, QByteArray::number(kBlock, 16) + "\r\n" + QByteArray(kBlock, 'x') + "\r\n");
        else if (m_kind == Kind::EndlessHeader)
            send(socket, QByteArray(kBlock, 'a'));
    }

    void send(QTcpSocket* socket, const QByteArray& bytes)
    {
        if (socket->state() == QAbstractSocket::ConnectedState)
            m_sent += socket->write(bytes);
    }

    Kind m_kind;
    QTcpServer m_server;
    QTimer m_tick;
    qint64 m_sent = 0;
    int m_connections = 0;
    int m_open = 0;
};

// Longer than any of these tests may take: what ends them is the size cap.
constexpr int kNeverMs = 10 * 60 * 1000;

TEST_F(UpdateRun, AnEndlessChunkedAnswerStopsAtTheSizeCap)
{
    FloodServer flood(FloodServer::Kind::EndlessChunks);
    ASSERT_TRUE(flood.listening());
    run(flood.url("/e.txt"), kNeverMs);
    EXPECT_EQ(events, QStringList{QStringLiteral("finished")});
    EXPECT_FALSE(QFileInfo::exists(txt()));
    ASSERT_TRUE(waitUntil([&] { return flood.hungUp(); }));
    // What the kernel's buffers hold on the way, and no more.
    EXPECT_LT(flood.sent(), 32 << 20);

    // The picture's cap holds the same way.
    FloodServer pictures(FloodServer::Kind::EndlessChunks);
    server.answer("/e.txt", lines({QStringLiteral("t"), QStringLiteral("s"), QStringLiteral("200"),
                                   QStringLiteral("10"), pictures.url("/p.gif").toString()}));
    events.clear();
    run(server.url("/e.txt"), kNeverMs);
    EXPECT_EQ(events, (QStringList{QStringLiteral("text:t"), QStringLiteral("finished")}));
    EXPECT_FALSE(QFileInfo::exists(gif()));
    ASSERT_TRUE(waitUntil([&] { return pictures.hungUp(); }));
    EXPECT_LT(pictures.sent(), 64 << 20);
}

TEST_F(UpdateRun, AnEndlessHeaderLineStopsAtTheSizeCap)
{
    FloodServer flood(FloodServer::Kind::EndlessHeader);
    ASSERT_TRUE(flood.listening());
    run(flood.url("/e.txt"), kNeverMs);
    EXPECT_EQ(events, QStringList{QStringLiteral("finished")});
    ASSERT_TRUE(waitUntil([&] { return flood.hungUp(); }));
    EXPECT_LT(flood.sent(), 32 << 20);
}

TEST_F(UpdateRun, AnswersThatTrickleEndAtTheTimeLimitAndTheConnectionCloses)
{
    for (const auto kind : {FloodServer::Kind::Trickle, FloodServer::Kind::EndlessHeader}) {
        FloodServer flood(kind);
        ASSERT_TRUE(flood.listening());
        events.clear();
        run(flood.url("/e.txt"), 1000);
        EXPECT_EQ(events, QStringList{QStringLiteral("finished")});
        EXPECT_EQ(flood.connections(), 1);
        // Nothing stays open once the check is over.
        EXPECT_TRUE(waitUntil([&] { return flood.hungUp(); })) << static_cast<int>(kind);
    }
}

} // namespace
