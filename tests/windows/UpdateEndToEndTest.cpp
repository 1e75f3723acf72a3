// SPDX-License-Identifier: GPL-3.0-or-later
// The real program, started without a screen from a program folder of its own with
// VAMOBOOK_UPDATE_URL pointing at a test server on 127.0.0.1: what it leaves
// in jre/ and the banner line it shows.
#include "model/Site.h"
#include "text/Cp936.h"

#include "GifTestSupport.h"
#include "HttpTestServer.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <memory>

using vamo::test::HttpTestServer;
using vamo::test::readFile;

class UpdateEndToEndTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_tmp;
    QString m_program;

    QString prog(const QString& rel) const { return QDir(m_tmp.filePath(QStringLiteral("prog"))).filePath(rel); }

    // Runs the program with --check-update; returns what it printed.
    QByteArray runProgram(const QUrl& updateUrl)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* proxy : {"http_proxy", "https_proxy", "all_proxy", "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY"})
            env.remove(QString::fromLatin1(proxy));
        // Without a screen, on the platform of the window tests.
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral(VAMO_TEST_QPA));
        env.insert(QStringLiteral("VAMOBOOK_UPDATE_URL"), updateUrl.toString());
        env.insert(QStringLiteral("HOME"), m_tmp.path());
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::SeparateChannels);
        QSignalSpy finished(&process, &QProcess::finished);
        process.start(m_program, {QStringLiteral("--check-update")});
        if (!process.waitForStarted(30000))
            return "<not started>";
        // The server answers from this thread's event loop meanwhile.
        if (!finished.wait(60000)) {
            process.kill();
            process.waitForFinished();
            return "<no end>";
        }
        if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            return "<failed> " + process.readAllStandardError();
        QByteArray out = process.readAllStandardOutput();
        // A line printed on Windows ends in CR LF.
        if (out.endsWith("\r\n"))
            out.replace(out.size() - 2, 2, "\n");
        return out;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_tmp.isValid());
        QVERIFY(QDir().mkpath(prog(QString())));
        // A program folder of its own: the program keeps its files beside
        // the executable, so the test runs a link (or copy) of it.
        const QString built = QStringLiteral(VAMO_PROGRAM_EXE);
        m_program = prog(QFileInfo(built).fileName());
        std::error_code error;
        std::filesystem::create_hard_link(built.toStdString(), m_program.toStdString(), error);
        if (error)
            QVERIFY(QFile::copy(built, m_program));
        QVERIFY(QFileInfo(m_program).isExecutable());
    }

    void theProgramFetchesTheFileAndThePictureAndShowsTheLine()
    {
        HttpTestServer server;
        QVERIFY(server.listening());
        const QByteArray gif = vamo::test::makeGif(120, 30, 4);
        const QString line1 = QStringLiteral("【官网新书】每日更新");
        const QByteArray file =
            vamo::cp936::encode(line1 + QStringLiteral("\r\nwww.example.cn\r\n200\r\n") + QString::number(gif.size()) +
                                QStringLiteral("\r\n") + server.url("/pics/banner.gif").toString() +
                                QStringLiteral("\r\nwww.example.cn/market\r\n"));
        server.answer("/vamobook/ebook.txt", file);
        server.answer("/pics/banner.gif", gif);

        QCOMPARE(runProgram(server.url("/vamobook/ebook.txt")), (line1 + QLatin1Char('\n')).toUtf8());
        QCOMPARE(readFile(prog(QStringLiteral("jre/market.txt"))), file);
        QCOMPARE(readFile(prog(QStringLiteral("jre/market.gif"))), gif);
        QCOMPARE(server.requests(), (QList<QByteArray>{"/vamobook/ebook.txt", "/pics/banner.gif"}));

        // Started again: the picture of the announced length is not fetched.
        QCOMPARE(runProgram(server.url("/vamobook/ebook.txt")), (line1 + QLatin1Char('\n')).toUtf8());
        QCOMPARE(server.requestCount("/pics/banner.gif"), 1);

        // A line that would drive the terminal is printed with its control
        // characters replaced, on one line.
        const QByteArray hostile("\x1b]0;owned\x07\x1b[2J\nsecond\r\nwww.example.cn\r\n");
        server.answer("/hostile.txt", hostile);
        QCOMPARE(runProgram(server.url("/hostile.txt")),
                 QStringLiteral("\ufffd]0;owned\ufffd\ufffd[2J\ufffdsecond\n").toUtf8());

        // No server: the design caption, and the files stay as they were.
        const QUrl url = server.url("/vamobook/ebook.txt");
        server.close();
        QCOMPARE(runProgram(url), (vamo::site::bannerCaption() + QLatin1Char('\n')).toUtf8());
        QCOMPARE(readFile(prog(QStringLiteral("jre/market.txt"))), hostile);
        QCOMPARE(readFile(prog(QStringLiteral("jre/market.gif"))), gif);
        QCOMPARE(QDir(prog(QStringLiteral("jre"))).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{QStringLiteral("market.gif"), QStringLiteral("market.txt")}));
    }
};

QTEST_GUILESS_MAIN(UpdateEndToEndTest)
#include "UpdateEndToEndTest.moc"
