// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's online side driven through its controls: the help menu,
// the banner line's clicks and hover effect, the promotion picture, and the
// update check against a test server on 127.0.0.1.
#include "windows/OnlineBanner.h"
#include "model/BookProject.h"
#include "model/Clock.h"
#include "model/Site.h"
#include "startup/UpdateCheck.h"
#include "text/Cp936.h"
#include "windows/Dialogs.h"
#include "windows/MainWindow.h"

#include "GifTestSupport.h"
#include "HttpTestServer.h"
#include "MainWindowFixture.h"
#include "TestSupport.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QMovie>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <memory>

using namespace vamo;
using vamo::test::HttpTestServer;
using vamo::test::makeGif;
using vamo::test::writeFile;

class OnlineBannerTest : public QObject {
    Q_OBJECT

    test::MainWindowFixture m_fx;
    std::unique_ptr<HttpTestServer> m_server;

    QString programFolder() const { return m_fx.programFolder(); }
    QString gifPath() const { return marketPicturePath(programFolder()); }

    void open() { QVERIFY(m_fx.open()); }
    QLabel* caption() const { return m_fx.win->findChild<QLabel*>(QStringLiteral("Label10")); }
    QLabel* picture() const { return m_fx.win->findChild<QLabel*>(QStringLiteral("AniGIF1")); }
    QAction* action(const char* name) const { return m_fx.win->findChild<QAction*>(QString::fromLatin1(name)); }
    UpdateCheck& check() const { return m_fx.win->banner().updateCheck(); }

    // Serves the update-information file of these lines (code page 936).
    void serve(const QStringList& lines)
    {
        m_server->answer("/vamobook/ebook.txt",
                         cp936::encode(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")));
    }
    void runCheck(int timeLimitMs = downloadTimeLimitMs)
    {
        QSignalSpy finished(&check(), &UpdateCheck::finished);
        check().setTimeLimit(timeLimitMs);
        m_fx.win->banner().startUpdateCheck(m_server->url("/vamobook/ebook.txt"));
        QVERIFY(finished.wait(30000));
        // The notice follows from the event loop.
        QTest::qWait(0);
    }
    void clickOn(QWidget* w, QPoint at = QPoint(3, 3)) { QTest::mouseClick(w, Qt::LeftButton, {}, at); }
    void moveOver(QWidget* w, QPoint at)
    {
        QMouseEvent move(QEvent::MouseMove, QPointF(at), w->mapToGlobal(QPointF(at)), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(w, &move);
    }
    // Pixels of `twips` on the label's screen.
    int pixels(QWidget* w, double twips, bool vertical = false) const
    {
        return static_cast<int>(twips * (vertical ? w->logicalDpiY() : w->logicalDpiX()) / 1440.0);
    }
    qsizetype notices() const { return Dialogs::messages().count(site::newVersionNotice()); }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_fx.init(QDateTime(QDate(2026, 3, 7), QTime(14, 5, 9))));
        m_server = std::make_unique<HttpTestServer>();
        QVERIFY(m_server->listening());
    }
    void cleanup()
    {
        m_fx.cleanup();
        m_server.reset();
    }

    void helpMenuOpensTheMakersPagesAndShowsTheContacts()
    {
        open();
        action("menu_two_1")->trigger();
        action("menu_two_2")->trigger();
        action("menu_two_3")->trigger();
        QCOMPARE(Dialogs::openedUrls(),
                 (QStringList{QStringLiteral("http://") + site::hostName() + QStringLiteral("/"),
                              QStringLiteral("http://") + site::hostName() + QStringLiteral("/vamo-java-book"),
                              QStringLiteral("http://") + site::hostName() + QStringLiteral("/vamo-java-book-help")}));
        QVERIFY(Dialogs::messages().isEmpty());
        Dialogs::clearRecord();
        action("menu_two_4")->trigger();
        QCOMPARE(Dialogs::messages(), QStringList{QStringLiteral("QQ群") + site::chatGroupNumber() +
                                                  QStringLiteral(",QQ号") + site::contactNumber()});
        QVERIFY(Dialogs::openedUrls().isEmpty());
        // Nothing was fetched by merely opening the window.
        QVERIFY(m_server->requests().isEmpty());
        QVERIFY(!check().running());
    }

    void bannerClicksOpenTheAddressesBehindThem()
    {
        open();
        QCOMPARE(caption()->text(), site::bannerCaption());
        clickOn(caption());
        // The default site address is a bare host name.
        QCOMPARE(Dialogs::openedUrls(), QStringList{QStringLiteral("http://") + site::hostName()});

        const QByteArray gif = makeGif(30, 10, 1);
        m_server->answer("/b.gif", gif);
        serve({QStringLiteral("点这里"), QStringLiteral("https://books.example.cn/new"), QStringLiteral("200"),
               QString::number(gif.size()), m_server->url("/b.gif").toString(),
               QStringLiteral("www.example.cn/market")});
        runCheck();
        Dialogs::clearRecord();
        clickOn(caption());
        clickOn(picture());
        QCOMPARE(Dialogs::openedUrls(), (QStringList{QStringLiteral("https://books.example.cn/new"),
                                                     QStringLiteral("http://www.example.cn/market")}));
        // m_fx.win->gotoweb is the same hand-off, and refuses the same things.
        Dialogs::clearRecord();
        m_fx.win->gotoweb(QStringLiteral("javascript:alert(1)"));
        m_fx.win->gotoweb(QStringLiteral("https://example.cn/"));
        QCOMPARE(Dialogs::openedUrls(), QStringList{QStringLiteral("https://example.cn/")});
    }

    void addressesThatAreNoWebPagesAreNotOpened()
    {
        open();
        const QString program = m_fx.path(QStringLiteral("run.sh"));
        QVERIFY(writeFile(program, "#!/bin/sh\n"));
        const QByteArray gif = makeGif(30, 10, 1);
        QVERIFY(writeFile(gifPath(), gif));
        serve({QStringLiteral("t"), QUrl::fromLocalFile(program).toString(), QStringLiteral("200"),
               QString::number(gif.size()), QString(), QStringLiteral("javascript:alert(1)")});
        runCheck();
        QCOMPARE(check().siteurl(), QUrl::fromLocalFile(program).toString());
        clickOn(caption());
        clickOn(picture());
        QVERIFY(Dialogs::openedUrls().isEmpty());
    }

    void hoverTurnsTheLeftPartOfTheBannerLineRedAndUnderlined()
    {
        open();
        QLabel* label = caption();
        const QColor normal = label->palette().color(QPalette::ButtonText);
        QVERIFY(label->width() > pixels(label, 2800) + 2);

        moveOver(label, QPoint(5, pixels(label, 100, true)));
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QVERIFY(label->font().underline());
        // Past 2800 twips to the right (the label is wider): back to normal.
        moveOver(label, QPoint(pixels(label, 2800) + 2, pixels(label, 100, true)));
        QCOMPARE(label->palette().color(QPalette::WindowText), normal);
        QVERIFY(!label->font().underline());
        moveOver(label, QPoint(pixels(label, 2700), pixels(label, 150, true)));
        QVERIFY(label->font().underline());
        // The top row (Y = 0) and below 200 twips are outside.
        moveOver(label, QPoint(5, 0));
        QVERIFY(!label->font().underline());
        moveOver(label, QPoint(5, pixels(label, 200, true) + 2));
        QVERIFY(!label->font().underline());
    }

    void anAnimatedPictureIsFetchedAndPlaysAndTheNoticeComesOnce()
    {
        open();
        QSignalSpy noticed(&m_fx.win->banner(), &OnlineBanner::noticeShown);
        QVERIFY(!picture()->isVisible());
        const QByteArray gif = makeGif(60, 20, 3);
        m_server->answer("/anim.gif", gif);
        serve({QStringLiteral("新书推荐：山居杂记"), QStringLiteral("www.example.cn"), QStringLiteral("201"),
               QString::number(gif.size()), m_server->url("/anim.gif").toString(), QStringLiteral("www.example.cn/m")});
        runCheck();
        QCOMPARE(caption()->text(), QStringLiteral("新书推荐：山居杂记"));
        QVERIFY(picture()->isVisible());
        QMovie* movie = m_fx.win->banner().movie();
        QVERIFY(movie);
        QCOMPARE(picture()->movie(), movie);
        QCOMPARE(movie->frameCount(), 3);
        QCOMPARE(movie->state(), QMovie::Running);
        QCOMPARE(picture()->size(), QSize(60, 20));
        QCOMPARE(Dialogs::messages(), QStringList{QStringLiteral("发现新的版本，请到官网") + site::hostName() +
                                                  QStringLiteral("进行版本更新！")});
        // Once only.
        QVERIFY(!noticed.wait(50));
        QCOMPARE(notices(), 1);
        QCOMPARE(test::readFile(gifPath()), gif);
    }

    void aOneFramePictureStandsStillAndALargeOneIsScaledDown()
    {
        QVERIFY(writeFile(gifPath(), makeGif(936, 30, 1)));
        open();
        serve({QStringLiteral("t"), QStringLiteral("s"), QStringLiteral("200")});
        runCheck();
        QVERIFY(picture()->isVisible());
        QMovie* movie = m_fx.win->banner().movie();
        QVERIFY(movie);
        QCOMPARE(movie->state(), QMovie::NotRunning);
        QVERIFY(!movie->currentImage().isNull());
        QCOMPARE(movie->currentImage().pixelColor(1, 1), QColor(255, 0, 0));
        QCOMPARE(picture()->size(), QSize(468, 15));
        QCOMPARE(notices(), 0);
    }

    void aPictureThatDoesNotDecodeLeavesTheBannerAsItWas()
    {
        open();
        QVERIFY(writeFile(gifPath(), "this is text, not a picture"));
        QVERIFY(!m_fx.win->banner().showPicture(gifPath()));
        QVERIFY(!picture()->isVisible());
        // A GIF that breaks off after its header.
        QVERIFY(writeFile(gifPath(), makeGif(20, 20, 1).left(20)));
        QVERIFY(!m_fx.win->banner().showPicture(gifPath()));
        QVERIFY(!picture()->isVisible());

        // A good picture, then a bad one: the good one stays.
        QVERIFY(writeFile(gifPath(), makeGif(20, 20, 2)));
        QVERIFY(m_fx.win->banner().showPicture(gifPath()));
        QMovie* shown = m_fx.win->banner().movie();
        QVERIFY(writeFile(gifPath(), "GIF89a and then nothing useful"));
        QVERIFY(!m_fx.win->banner().showPicture(gifPath()));
        QCOMPARE(m_fx.win->banner().movie(), shown);
        QVERIFY(picture()->isVisible());
    }

    void theNoticeWaitsWhileTheWindowIsDisabled()
    {
        open();
        serve({QStringLiteral("t"), QStringLiteral("s"), QStringLiteral("150")});
        m_fx.win->setEnabled(false); // as during a build or with another window open
        QSignalSpy noticed(&m_fx.win->banner(), &OnlineBanner::noticeShown);
        runCheck();
        QVERIFY(noticed.isEmpty());
        QVERIFY(!noticed.wait(50));
        QCOMPARE(notices(), 0);
        m_fx.win->setEnabled(true);
        QTRY_COMPARE(noticed.count(), 1);
        QCOMPARE(notices(), 1);
        m_fx.win->setEnabled(false);
        m_fx.win->setEnabled(true);
        QVERIFY(!noticed.wait(50));
        QCOMPARE(notices(), 1);
    }

    void aSilentServerNeitherHoldsTheWindowNorChangesIt()
    {
        m_server->answer("/vamobook/ebook.txt", HttpTestServer::Answer{200, {}, {}, true, false});
        m_fx.create();
        check().setTimeLimit(1000);
        m_fx.win->banner().startUpdateCheck(m_server->url("/vamobook/ebook.txt"));
        m_fx.win->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_fx.win));
        QVERIFY(check().running());
        QVERIFY(m_fx.win->isEnabled());
        QCOMPARE(caption()->text(), site::bannerCaption());
        QTRY_VERIFY_WITH_TIMEOUT(check().done(), 30000);
        QCOMPARE(m_server->connections(), 1);
        QCOMPARE(caption()->text(), site::bannerCaption());
        QVERIFY(!picture()->isVisible());
        QVERIFY(Dialogs::messages().isEmpty());
    }

    void closingDuringADownloadIsImmediateAndLeavesNoFile()
    {
        m_server->answer("/vamobook/ebook.txt", HttpTestServer::Answer{200, {}, {}, true, false});
        open();
        m_fx.win->banner().startUpdateCheck(m_server->url("/vamobook/ebook.txt"));
        QTRY_COMPARE(m_server->requests().size(), 1);
        QVERIFY(m_fx.win->close());
        QVERIFY(!m_fx.win->isVisible());
        m_fx.destroy();
        QVERIFY(!QFileInfo::exists(QDir(programFolder()).filePath(QStringLiteral("jre"))));
    }

    void aLongCaptionDoesNotWidenTheWindow()
    {
        open();
        const int width = m_fx.win->width();
        QSignalSpy widened(m_fx.win->windowHandle(), &QWindow::widthChanged);
        serve({QString(600, QChar(0x4E66)), QStringLiteral("s"), QStringLiteral("200")});
        runCheck();
        QCOMPARE(caption()->text(), QString(600, QChar(0x4E66)));
        // The new caption's layout is done on the way back to the event loop.
        QVERIFY(widened.isEmpty());
        QVERIFY(!widened.wait(50));
        QCOMPARE(m_fx.win->width(), width);
        // Shown as plain text: markup from the server is not interpreted.
        QCOMPARE(caption()->textFormat(), Qt::PlainText);
    }
};

QTEST_MAIN(OnlineBannerTest)
#include "OnlineBannerTest.moc"
