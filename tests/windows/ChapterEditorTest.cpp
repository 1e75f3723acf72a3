// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/ChapterEditor.h"
#include "model/BookProject.h"
#include "windows/Dialogs.h"
#include "windows/MainWindow.h"
#include "windows/Navigator.h"

#include "MainWindowFixture.h"

#include "TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

using namespace vamo;

namespace {

QString numbered(qsizetype n)
{
    QString s;
    s.reserve(n);
    for (qsizetype i = 0; i < n; ++i)
        s.append(QChar(char16_t(0x4E00 + i % 5000)));
    return s;
}

} // namespace

class ChapterEditorTest : public QObject {
    Q_OBJECT

private:
    test::MainWindowFixture m_fx;
    BookProject* book = nullptr;
    QWidget* main = nullptr; // the window the editor opens over
    QPointer<ChapterEditor> editor;
    QTemporaryDir dir;

    template <class T>
    T* control(const char* name)
    {
        T* w = editor->findChild<T*>(QString::fromLatin1(name));
        if (!w)
            qFatal("control %s missing", name);
        return w;
    }
    QLineEdit* name() { return control<QLineEdit>("Text1"); }
    QPlainTextEdit* content() { return control<QPlainTextEdit>("Text2"); }
    void click(const char* button) { control<QPushButton>(button)->click(); }
    QString hint() { return control<QLabel>("Label2")->text(); }

    void chapters(int n)
    {
        for (int i = 0; i < n; ++i) {
            book->appendChapterName(QStringLiteral("旧%1").arg(i));
            QVERIFY(book->setChaptertext(i, QStringLiteral("文%1\r\n").arg(i)));
        }
    }
    void editChapter(int k)
    {
        QVERIFY(book->prepareEdit(k));
        m_fx.nav->editChapter(main);
    }
    void newChapter()
    {
        QVERIFY(book->prepareAdd());
        m_fx.nav->editNewChapter(main, BookProject::proposedChapterName(book->num()));
    }
    QString file(const QString& fileName, const QByteArray& bytes)
    {
        const QString path = QDir(dir.path()).filePath(fileName);
        if (!test::writeFile(path, bytes))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    void readFile(const QString& path)
    {
        Dialogs::setNextFile(path);
        click("Command3");
        // The file is read on a worker.
        QTRY_VERIFY_WITH_TIMEOUT(!editor->isReading(), 60000);
    }
    // The caller is back: main window usable, editor hidden.
    void verifyReturned()
    {
        QVERIFY(main->isEnabled());
        QVERIFY(!editor->isVisible());
        QVERIFY(name()->text().isEmpty());
        QVERIFY(content()->document()->isEmpty());
        QVERIFY(editor->strmod().isEmpty());
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_fx.init(QDateTime(QDate(2026, 1, 3), QTime(9, 5, 7))));
        book = m_fx.book.get();
        main = m_fx.create();
        main->resize(800, 600);
        main->show();
        editor = m_fx.nav->chapterEditor();
    }
    void cleanup()
    {
        m_fx.cleanup();
        QVERIFY(editor.isNull()); // the editor lives until its navigator goes
    }

    // Opening an existing chapter splits its text at 65000 characters; OK
    // joins the two parts again.
    void editSplitsAndOkJoins_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qsizetype>("strmodSize");
        QTest::newRow("65000") << numbered(65000) << qsizetype(0);
        QTest::newRow("65001") << numbered(65001) << qsizetype(1);
        QTest::newRow("70000") << numbered(70000) << qsizetype(5000);
        QTest::newRow("lines of 65001 with CR LF at the cut")
            << (numbered(64999) + QStringLiteral("\r\n")) << qsizetype(1);
        QTest::newRow("lone LF kept") << QStringLiteral("一\n二\r\n三\r\n") << qsizetype(0);
    }
    void editSplitsAndOkJoins()
    {
        QFETCH(QString, text);
        QFETCH(qsizetype, strmodSize);
        chapters(2);
        QVERIFY(book->setChaptertext(1, text));
        editChapter(1);
        QVERIFY(editor->isVisible());
        QVERIFY(!main->isEnabled());
        QCOMPARE(name()->text(), QStringLiteral("旧1"));
        QCOMPARE(editor->strmod().size(), strmodSize);
        QCOMPARE(editor->visibleText().size(), text.size() - strmodSize);
        QCOMPARE(book->chaptertext(1), text); // opening leaves the stored text alone

        click("Command1");
        QVERIFY(Dialogs::messages().isEmpty());
        QCOMPARE(book->chaptertext(1), text + QStringLiteral("\r\n"));
        QCOMPARE(book->chapterNames(), QStringList({QStringLiteral("旧0"), QStringLiteral("旧1")}));
        verifyReturned();
    }

    void okRefusesBlankNameOrContentAndEmptiesTheField()
    {
        newChapter();
        name()->setText(QStringLiteral("   "));
        content()->setPlainText(QStringLiteral("正文"));
        click("Command1");
        QCOMPARE(Dialogs::messages(), QStringList{QStringLiteral("章节名为空")});
        // Refusals carry the warning icon.
        QCOMPARE(Dialogs::messageKinds(), QList{Dialogs::Kind::Warning});
        QVERIFY(name()->text().isEmpty());
        QCOMPARE(content()->toPlainText(), QStringLiteral("正文"));
        QVERIFY(editor->isVisible());
        QCOMPARE(book->chapterCount(), 0);

        // Blank visible content is refused even when text lies beyond it.
        Dialogs::clearRecord();
        chapters(1);
        QVERIFY(book->setChaptertext(0, QString(65000, u' ') + QStringLiteral("尾部")));
        editChapter(0);
        QCOMPARE(editor->strmod(), QStringLiteral("尾部"));
        click("Command1");
        QCOMPARE(Dialogs::messages(), QStringList{QStringLiteral("章节内容不能为空")});
        QVERIFY(content()->document()->isEmpty());
        QCOMPARE(name()->text(), QStringLiteral("旧0"));
        QVERIFY(editor->isVisible());
        QVERIFY(!main->isEnabled());

        // OK renames the chapter with the trimmed name and joins the text.
        name()->setText(QStringLiteral("  改名  "));
        content()->setPlainText(QStringLiteral("新内容"));
        click("Command1");
        QCOMPARE(book->chapterNames(), QStringList{QStringLiteral("改名")});
        QCOMPARE(book->chaptertext(0), QStringLiteral("新内容尾部\r\n"));
        verifyReturned();
    }

    void backOffersToSaveWithoutRenaming()
    {
        chapters(3);
        editChapter(1);
        name()->setText(QStringLiteral("别的名字"));
        content()->setPlainText(QStringLiteral("改过的\n内容"));
        Dialogs::setNextAnswer(Dialogs::Answer::Yes);
        click("Command2");
        QCOMPARE(Dialogs::messages(), QStringList{QStringLiteral("是否保存编辑内容?")});
        QCOMPARE(Dialogs::messageKinds(), QList{Dialogs::Kind::Question});
        // Enter or Escape save.
        QCOMPARE(Dialogs::questionDefaults(), QList<Dialogs::Answer>{Dialogs::Answer::Yes});
        QCOMPARE(book->chapterNames().at(1), QStringLiteral("旧1"));
        QCOMPARE(book->chaptertext(1), QStringLiteral("改过的\r\n内容\r\n"));
        verifyReturned();

        // With no name, back neither asks nor stores.
        Dialogs::clearRecord();
        editChapter(2);
        name()->clear();
        click("Command2");
        QVERIFY(Dialogs::messages().isEmpty());
        QCOMPARE(book->chaptertext(2), QStringLiteral("文2\r\n"));
        verifyReturned();
    }

    void backWithNoLeavesNothingOfAReadFileForTheNextChapter()
    {
        chapters(1);
        newChapter();
        readFile(file(QStringLiteral("long.txt"), QByteArray(70000, 'a')));
        QVERIFY(!editor->strmod().isEmpty());
        Dialogs::setNextAnswer(Dialogs::Answer::No);
        click("Command2");
        QCOMPARE(book->chapterCount(), 1);
        verifyReturned();

        newChapter();
        QCOMPARE(name()->text(), QStringLiteral("第2章"));
        QTest::keyClicks(content(), QStringLiteral("abc"));
        click("Command1");
        QCOMPARE(book->chaptertext(1), QStringLiteral("abc\r\n"));
        QCOMPARE(book->chapterNames().at(1), QStringLiteral("第2章"));
    }

    void readsGbkAndUtf8FilesWithCrLfLineEnds()
    {
        newChapter();
        // 第一章 风起 CR LF 天下 CR 大势 LF 分久必合 (no line end) in code page 936.
        const QByteArray gbk = QByteArray::fromHex("b5dad2bbd5c220b7e7c6f00d0acceccfc20db4f3cac60ab7d6bec3b1d8bacf");
        readFile(file(QStringLiteral("第一章 风起云涌的开始之卷上部分.txt"), gbk));
        QVERIFY(Dialogs::messages().isEmpty());
        QCOMPARE(name()->text(), QStringLiteral("第一章 风起云涌的开始之卷上部分"));
        QCOMPARE(editor->visibleText(), QStringLiteral("第一章 风起\r\n天下\r\n大势\n分久必合\r\n"));
        QCOMPARE(hint(), QStringLiteral("【加载100%】【3行】【21字】"));
        QVERIFY(editor->isEnabled());
        QVERIFY(content()->isVisible());
        // Only 3 lines: no progress was shown.
        QCOMPARE(control<QLabel>("Label3")->text(), QStringLiteral("进度"));

        // A UTF-8 file of 120 lines replaces name and content, and the
        // progress shows the state after line 100.
        QByteArray utf8;
        for (int i = 0; i < 120; ++i)
            utf8 += QStringLiteral("第%1行\r\n").arg(i % 10).toUtf8();
        readFile(file(QStringLiteral("notes.text"), utf8));
        QCOMPARE(name()->text(), QStringLiteral("notes."));
        QCOMPARE(editor->visibleText(), QString::fromUtf8(utf8));
        QCOMPARE(hint(), QStringLiteral("【加载100%】【120行】【600字】"));
        // The figures shown during the read give way to the totals.
        QCOMPARE(control<QLabel>("Label3")->text(), QStringLiteral("进度100.00% 加载120行 共600字"));

        click("Command1");
        QCOMPARE(book->chaptertext(0), QString::fromUtf8(utf8) + QStringLiteral("\r\n"));
        QCOMPARE(book->chapterNames(), QStringList{QStringLiteral("notes.")});
    }

    // Width of the progress fill as a share of its frame's inside.
    double progressShown()
    {
        const QWidget* frame = control<QWidget>("Shape1");
        const QWidget* fill = control<QWidget>("Shape2");
        return double(fill->width()) / frame->contentsRect().width();
    }

    // The file is read on a worker: until its text is in, the editor is
    // disabled, its close box does nothing and the book is not touched.
    void aFileReadIsMadeSimplifiedAndTidyWhenAsked()
    {
        newChapter();
        const QByteArray big5 =
            QStringLiteral("　　後來他們說，這一行被硬換行拆開了，可是\r\n還沒有說完。\r\n\r\n\r\n短行\r\n").toUtf8();
        auto* tidy = control<QCheckBox>("Check1");
        auto* simplified = control<QCheckBox>("Check2");
        QCOMPARE(tidy->text(), QStringLiteral("整理排版"));
        QCOMPARE(simplified->text(), QStringLiteral("转换为简体"));
        simplified->setChecked(true);
        // The name the file gives is made simplified with its text.
        const QString path = file(QStringLiteral("紅樓夢續書.txt"), big5);
        readFile(path);
        QCOMPARE(editor->visibleText(),
                 QStringLiteral("　　后来他们说，这一行被硬换行拆开了，可是\r\n还没有说完。\r\n\r\n\r\n短行\r\n"));
        QCOMPARE(name()->text(), QStringLiteral("红楼梦续书"));
        tidy->setChecked(true);
        simplified->setChecked(false);
        readFile(path);
        QCOMPARE(name()->text(), QStringLiteral("紅樓夢續書"));
        // Too few lines to show a wrap: only blank runs and indentation change.
        QCOMPARE(editor->visibleText(),
                 QStringLiteral("　　後來他們說，這一行被硬換行拆開了，可是\r\n　　還沒有說完。\r\n\r\n　　短行\r\n"));
        tidy->setChecked(false);
        QVERIFY(Dialogs::messages().isEmpty());
    }

    void theEditorWaitsForTheFileItReads()
    {
        chapters(1);
        editChapter(0);
        const QString path = file(QStringLiteral("读入.txt"), QByteArray("abc\r\ndef\r\n"));
        Dialogs::setNextFile(path);
        click("Command3");
        QVERIFY(editor->isReading());
        QVERIFY(!editor->isEnabled());
        QVERIFY(!content()->isVisible());
        QVERIFY(!editor->close());
        QVERIFY(editor->isVisible());
        QCOMPARE(name()->text(), QStringLiteral("旧0"));
        QTRY_VERIFY_WITH_TIMEOUT(!editor->isReading(), 60000);
        QVERIFY(editor->isEnabled());
        QVERIFY(content()->isVisible());
        QCOMPARE(name()->text(), QStringLiteral("读入"));
        QCOMPARE(editor->visibleText(), QStringLiteral("abc\r\ndef\r\n"));
        QCOMPARE(book->chaptertext(0), QStringLiteral("文0\r\n"));
        QVERIFY(Dialogs::messages().isEmpty());
    }

    void progressIsFullAfterAReadAndEmptyOnOpening()
    {
        newChapter();
        // Plain ASCII: every byte is a character, so the estimate (55 per
        // 100 bytes) is overtaken and the bar stood short of the end.
        QByteArray text;
        for (int i = 0; i < 300; ++i)
            text += "abcdefghij\r\n";
        readFile(file(QStringLiteral("chapter.txt"), text));
        QCOMPARE(hint(), QStringLiteral("【加载100%】【300行】【3600字】"));
        QCOMPARE(control<QLabel>("Label3")->text(), QStringLiteral("进度100.00% 加载300行 共3600字"));
        QCOMPARE(progressShown(), 1.0);

        // A short file shows no figures, but its complete read fills the bar.
        readFile(file(QStringLiteral("short.txt"), QByteArray("一行\r\n")));
        QCOMPARE(control<QLabel>("Label3")->text(), QStringLiteral("进度"));
        QCOMPARE(progressShown(), 1.0);

        // The next chapter opened, new or existing, starts from nothing.
        click("Command2");
        QVERIFY(!editor->isVisible());
        newChapter();
        QCOMPARE(control<QLabel>("Label3")->text(), QStringLiteral("进度"));
        QCOMPARE(progressShown(), 0.0);
        readFile(file(QStringLiteral("again.txt"), text));
        click("Command1");
        editChapter(0);
        QCOMPARE(control<QLabel>("Label3")->text(), QStringLiteral("进度"));
        QCOMPARE(progressShown(), 0.0);
    }

    void emptyFileLoadsNothingAndOkRefuses()
    {
        newChapter();
        readFile(file(QStringLiteral("空.txt"), QByteArray()));
        QCOMPARE(hint(), QStringLiteral("【加载100%】【0行】【0字】"));
        QCOMPARE(name()->text(), QStringLiteral("空"));
        QVERIFY(content()->document()->isEmpty());
        click("Command1");
        QCOMPARE(Dialogs::messages(), QStringList{QStringLiteral("章节内容不能为空")});
        QCOMPARE(book->chapterCount(), 0);

        // A cancelled dialog or a missing file changes nothing.
        content()->setPlainText(QStringLiteral("留着"));
        click("Command3");
        readFile(QDir(dir.path()).filePath(QStringLiteral("没有.txt")));
        QCOMPARE(content()->toPlainText(), QStringLiteral("留着"));
        QCOMPARE(name()->text(), QStringLiteral("空"));
    }

    void unreadableFileIsReportedAndChangesNothing()
    {
#ifdef Q_OS_UNIX
        chapters(1);
        QVERIFY(book->setChaptertext(0, numbered(65010)));
        editChapter(0);
        content()->appendPlainText(QStringLiteral("打的字"));
        const QString before = editor->visibleText();
        const QString path = file(QStringLiteral("locked.txt"), QByteArray("abc\r\n"));
        QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
        QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                      QFileDevice::ExeOwner | QFileDevice::ExeOther));
        // Root reads every file; read as nobody for the length of the click.
        const uid_t was = geteuid();
        if (was == 0 && seteuid(65534) != 0)
            QSKIP("cannot drop privileges to make a file unreadable");
        if (QFile f(path); f.open(QIODevice::ReadOnly)) {
            if (was == 0)
                QVERIFY(seteuid(0) == 0);
            QSKIP("the file stays readable here");
        }
        readFile(path);
        if (was == 0)
            QVERIFY(seteuid(0) == 0);
        QCOMPARE(Dialogs::messages(), QStringList{QStringLiteral("无法读取文件：") + QDir::toNativeSeparators(path)});
        QCOMPARE(Dialogs::messageKinds(), QList{Dialogs::Kind::Warning});
        QCOMPARE(name()->text(), QStringLiteral("旧0"));
        QCOMPARE(editor->visibleText(), before);
        QCOMPARE(editor->strmod().size(), 10);
        QVERIFY(editor->isEnabled());
        QVERIFY(content()->isVisible());
#else
        QSKIP("needs a file the user cannot read");
#endif
    }

    void closeBoxAsksAndReturnsButTheEditorStays()
    {
        chapters(1);
        newChapter();
        QTest::keyClicks(content(), QStringLiteral("before close"));
        Dialogs::setNextAnswer(Dialogs::Answer::Yes);
        QVERIFY(editor->close());
        QCOMPARE(Dialogs::messages(), QStringList{QStringLiteral("是否保存编辑内容?")});
        QCOMPARE(book->chapterNames().at(1), QStringLiteral("第2章"));
        QCOMPARE(book->chaptertext(1), QStringLiteral("before close\r\n"));
        QVERIFY(main->isEnabled());
        // Created once, kept until the end: the next chapter opens the same,
        // emptied editor.
        QCOMPARE(m_fx.nav->chapterEditor(), editor.data());
        newChapter();
        QVERIFY(editor->isVisible());
        QVERIFY(content()->document()->isEmpty());
        QCOMPARE(name()->text(), QStringLiteral("第3章"));
        click("Command2");
        verifyReturned();

        // A hidden editor closes without asking and without touching the main window.
        Dialogs::clearRecord();
        main->setEnabled(false);
        QVERIFY(editor->close());
        QVERIFY(Dialogs::messages().isEmpty());
        QVERIFY(!main->isEnabled());
        main->setEnabled(true);
    }

    void clearEmptiesContentAndStrmodButKeepsTheName()
    {
        chapters(1);
        QVERIFY(book->setChaptertext(0, numbered(66000)));
        editChapter(0);
        control<QLabel>("Label2")->setText(QStringLiteral("x"));
        // Asked first; the default, and no, keep the text.
        click("Command4");
        QCOMPARE(Dialogs::messages(), QStringList{QStringLiteral("确定要清空章节内容吗？")});
        QCOMPARE(Dialogs::questionDefaults(), QList<Dialogs::Answer>{Dialogs::Answer::No});
        QCOMPARE(editor->visibleText(), numbered(66000).left(65000));
        Dialogs::setNextAnswer(Dialogs::Answer::Yes);
        click("Command4");
        QVERIFY(content()->document()->isEmpty());
        QVERIFY(editor->strmod().isEmpty());
        QCOMPARE(name()->text(), QStringLiteral("旧0"));
        QCOMPARE(hint(), QStringLiteral("可直接输入，或按CTRL+V粘贴文本，或从文件读入。"));
        // Ctrl+Z brings the box's text back.
        QTest::keyClick(content(), Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(editor->visibleText(), numbered(66000).left(65000));
        // An empty box is emptied without a question.
        Dialogs::clearRecord();
        content()->clear();
        click("Command4");
        QVERIFY(Dialogs::messages().isEmpty());
    }

    void typingAndPastingStopAt65000AndNameAt21()
    {
        newChapter();
        content()->setPlainText(QString(64990, u'x'));
        QApplication::clipboard()->setText(QStringLiteral("一二三\n四五六七八九十"));
        content()->moveCursor(QTextCursor::End);
        content()->paste();
        QCOMPARE(editor->visibleText(), QString(64990, u'x') + QStringLiteral("一二三\r\n四五六七八"));
        QTest::keyClicks(content(), QStringLiteral("z"));
        QTest::keyClick(content(), Qt::Key_Return);
        QCOMPARE(editor->visibleText().size(), 65000);

        // Replacing a selection frees its room, a line end counting two.
        content()->moveCursor(QTextCursor::End);
        content()->moveCursor(QTextCursor::Left, QTextCursor::KeepAnchor);
        QTest::keyClick(content(), Qt::Key_Return);
        QVERIFY(editor->visibleText().endsWith(QStringLiteral("四五六七八")));
        content()->moveCursor(QTextCursor::Left, QTextCursor::KeepAnchor);
        QTest::keyClick(content(), Qt::Key_Return);
        QVERIFY(editor->visibleText().endsWith(QStringLiteral("一二三\r\n四五六\r\n")));
        QCOMPARE(editor->visibleText().size(), 65000);

        // A clipboard far beyond the limit fills the box exactly.
        content()->clear();
        QApplication::clipboard()->setText(numbered(200000));
        content()->paste();
        QCOMPARE(editor->visibleText(), numbered(65000));

        // The name: a long proposed or file name stays whole, typing stops at 21.
        const QString longName = QString(30, u'名');
        editor->openNew(longName);
        QCOMPARE(name()->text(), longName);
        name()->clear();
        QTest::keyClicks(name(), QString(25, u'a'));
        QCOMPARE(name()->text(), QString(21, u'a'));
    }
};

QTEST_MAIN(ChapterEditorTest)
#include "ChapterEditorTest.moc"
