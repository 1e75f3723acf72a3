// SPDX-License-Identifier: GPL-3.0-or-later
// The main window driven through its controls: start-up, the make command's
// checks, a real make and a failed one, the chapter list buttons, the tabs,
// the save folder and exit.
#include "windows/MainWindow.h"
#include "model/BookProject.h"
#include "model/Site.h"
#include "startup/ProgramFolder.h"
#include "startup/Startup.h"
#include "windows/ChapterEditor.h"
#include "windows/Dialogs.h"
#include "windows/FolderChooser.h"
#include "windows/ImportWindow.h"

#include "MainWindowFixture.h"
#include "TestSupport.h"
#include "ZipTestSupport.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTabBar>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

using namespace vamo;
using vamo::test::readFile;
using vamo::test::writeFile;

namespace {

const QDateTime kStart(QDate(2026, 3, 7), QTime(14, 5, 9));

// Chapter names and texts as the list should show them.
using Chapters = std::vector<std::pair<QString, QString>>;

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    test::MainWindowFixture m_fx;

    QString programFolder() const { return m_fx.programFolder(); }
    QString templateFolder() const { return m_fx.templateFolder(); }
    QString tmpPath(const QString& rel) const { return m_fx.path(rel); }

    void open() { QVERIFY(m_fx.open()); }
    template <class T>
    T* find(const char* name) const
    {
        return test::findControl<T>(m_fx.win.get(), name);
    }
    QLineEdit* edit(const char* name) const { return find<QLineEdit>(name); }
    QPushButton* button(const char* name) const { return find<QPushButton>(name); }
    QListWidget* chapterList() const { return find<QListWidget>("List1"); }
    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    void click(QWidget* window, const char* name)
    {
        auto* b = window->findChild<QPushButton*>(QString::fromLatin1(name));
        QVERIFY2(b, name);
        QTest::mouseClick(b, Qt::LeftButton);
    }

    void addChapters(const Chapters& chapters)
    {
        for (const auto& [name, text] : chapters) {
            QVERIFY(m_fx.book->setChaptertext(m_fx.book->chapterCount(), text));
            m_fx.book->appendChapterName(name);
        }
    }
    // The list shows the book's names and slot i holds chapter i's text;
    // slots past the list hold nothing.
    void verifyChapters(const Chapters& expected, int tail = 4)
    {
        QStringList shown;
        for (int i = 0; i < chapterList()->count(); ++i)
            shown << chapterList()->item(i)->text();
        QCOMPARE(shown, m_fx.book->chapterNames());
        QCOMPARE(m_fx.book->chapterCount(), static_cast<int>(expected.size()));
        for (int i = 0; i < static_cast<int>(expected.size()); ++i) {
            QCOMPARE(m_fx.book->chapterNames().at(i), expected[static_cast<std::size_t>(i)].first);
            QCOMPARE(m_fx.book->chaptertext(i), expected[static_cast<std::size_t>(i)].second);
        }
        for (int i = static_cast<int>(expected.size()); i < static_cast<int>(expected.size()) + tail; ++i)
            QVERIFY2(m_fx.book->chaptertext(i).isEmpty(), qPrintable(QStringLiteral("slot %1 not empty").arg(i)));
    }

private Q_SLOTS:
    void init() { QVERIFY(m_fx.init(kStart)); }
    void cleanup() { m_fx.cleanup(); }

    void startUpRemovesLeftoversAndSetsInitialValues()
    {
        QVERIFY(writeFile(QDir(programFolder()).filePath(QStringLiteral("vamobooktemp/text")), "t"));
        QVERIFY(writeFile(QDir(programFolder()).filePath(QStringLiteral("vamobooktemp/META-INF/MANIFEST.MF")), "m"));
        const QString readOnly = QDir(programFolder()).filePath(QStringLiteral("vamobooktemp/deep/er/10000"));
        QVERIFY(writeFile(readOnly, "p"));
        QVERIFY(QFile::setPermissions(readOnly, QFile::ReadOwner));
        QVERIFY(writeFile(commandScriptPath(programFolder()), "jar"));
        QVERIFY(writeFile(QDir(programFolder()).filePath(QStringLiteral("jre/market.gif")), "GIF"));
        // A book the user made earlier stays.
        QVERIFY(writeFile(QDir(programFolder()).filePath(QStringLiteral("jar/old/old.jar")), "PK"));
        m_fx.book->setFrame(5);

        open();

        QVERIFY(!QFileInfo::exists(workspaceFolder(programFolder())));
        QVERIFY(!QFileInfo::exists(commandScriptPath(programFolder())));
        QCOMPARE(readFile(QDir(programFolder()).filePath(QStringLiteral("jre/market.gif"))), QByteArray("GIF"));
        QCOMPARE(readFile(QDir(programFolder()).filePath(QStringLiteral("jar/old/old.jar"))), QByteArray("PK"));

        QCOMPARE(m_fx.win->windowTitle(), QStringLiteral("Vamo手机电子书制作工具V2.0"));
        QCOMPARE(m_fx.win->objectName(), QStringLiteral("Form1"));
        QCOMPARE(edit("Text1")->text(), defaultSaveFolder(programFolder()));
        QCOMPARE(edit("Text5")->text(), QStringLiteral("vamo-03070509"));
        QCOMPARE(edit("Text3")->text(), QString());
        QCOMPARE(edit("Text2")->text(), QStringLiteral("Vamo"));
        QCOMPARE(edit("Text4")->text(), QStringLiteral("手机看小说就上") + site::hostName());
        QCOMPARE(find<QComboBox>("Combo1")->currentIndex(), 0);
        QCOMPARE(find<QComboBox>("Combo1")->count(), 5);
        QCOMPARE(find<QComboBox>("Combo2")->currentText(), QStringLiteral("Nokia,索爱,国产等"));
        QCOMPARE(m_fx.book->frame(), 0);
        QCOMPARE(find<QLabel>("Label10")->text(), QStringLiteral("【官网") + site::hostName() +
                                                      QStringLiteral(" QQ群") + site::chatGroupNumber() +
                                                      QStringLiteral("】"));
        // Opens on the single-book tab, progress display hidden.
        QVERIFY(find<QGroupBox>("Frame1")->isVisible());
        QVERIFY(find<QGroupBox>("Frame2")->isVisible());
        QVERIFY(!find<QGroupBox>("Frame3")->isVisible());
        QVERIFY(button("Command8")->isVisible());
        QVERIFY(!button("Command16")->isVisible());
        QVERIFY(!find<QLabel>("Label9")->isVisible());
        QVERIFY(QFileInfo(QDir::fromNativeSeparators(edit("Text1")->text())).isDir());
        QVERIFY(Dialogs::messages().isEmpty());
    }

    void startUpReportsASaveFolderThatCannotBeCreated()
    {
        QVERIFY(writeFile(QDir(programFolder()).filePath(QStringLiteral("jar")), "not a folder"));
        open();
        QCOMPARE(Dialogs::messages().size(), 1);
        QVERIFY(Dialogs::messages().at(0).startsWith(QStringLiteral("无法创建保存目录：")));
        QCOMPARE(readFile(QDir(programFolder()).filePath(QStringLiteral("jar"))), QByteArray("not a folder"));
        QVERIFY(m_fx.win->isEnabled());
    }

    void controlsAndBookFollowEachOther()
    {
        open();
        QTest::keyClicks(edit("Text3"), QStringLiteral("abc"));
        QCOMPARE(m_fx.book->settings().bookName, QStringLiteral("abc"));
        find<QComboBox>("Combo1")->setCurrentIndex(3);
        QCOMPARE(m_fx.book->settings().jarSize, 3);
        m_fx.book->setMaker(QStringLiteral("someone"));
        QCOMPARE(edit("Text2")->text(), QStringLiteral("someone"));
        m_fx.book->setPhoneModel(1);
        QCOMPARE(find<QComboBox>("Combo2")->currentIndex(), 1);
        m_fx.book->appendChapterName(QStringLiteral("第1章"));
        QCOMPARE(chapterList()->count(), 1);
    }

    // What the make command would refuse in the JAR name shows as it is
    // typed, in the field's frame and tooltip; a good name clears it.
    void jarNameIsFlaggedAsItIsTyped()
    {
        open();
        QLineEdit* jar = edit("Text5");
        const QString ownTip = jar->toolTip();
        QVERIFY(jar->styleSheet().isEmpty());
        QTest::keyClicks(jar, QStringLiteral(" x"));
        QCOMPARE(jar->toolTip(), QStringLiteral("jar包名含有空格"));
        QVERIFY(!jar->styleSheet().isEmpty());
        jar->setText(QStringLiteral("书"));
        QCOMPARE(jar->toolTip(), QStringLiteral("jar包名含有中文"));
        jar->setText(QStringLiteral("shu"));
        QCOMPARE(jar->toolTip(), ownTip);
        QVERIFY(jar->styleSheet().isEmpty());
        QVERIFY(Dialogs::messages().isEmpty());
    }

    void makeChecksStopAtTheFirstFailure_data()
    {
        QTest::addColumn<QString>("jarName");
        QTest::addColumn<QString>("bookName");
        QTest::addColumn<QString>("maker");
        QTest::addColumn<bool>("withChapter");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("bookNameAfter");
        QTest::addColumn<QString>("makerAfter");

        const QString ch = QStringLiteral("章");
        QTest::newRow("chinese in jar name before empty book name")
            << (QStringLiteral("abc") + ch) << QString() << QStringLiteral("Vamo") << true
            << QStringLiteral("jar包名含有中文") << QString() << QStringLiteral("Vamo");
        QTest::newRow("blank JAR name is emptied, the blank book name left for later")
            << QStringLiteral("  ") << QStringLiteral("   ") << QStringLiteral("Vamo") << true
            << QStringLiteral("jar包名为空") << QStringLiteral("   ") << QStringLiteral("Vamo");
        QTest::newRow("forbidden character in the JAR name stays")
            << QStringLiteral("a|b") << QStringLiteral("书") << QStringLiteral("Vamo") << true
            << QStringLiteral("jar包名包涵非法字符(|)") << QStringLiteral("书") << QStringLiteral("Vamo");
        QTest::newRow("blank book name is emptied")
            << QStringLiteral("book") << QStringLiteral("   ") << QStringLiteral("Vamo") << true
            << QStringLiteral("书名为空") << QString() << QStringLiteral("Vamo");
        QTest::newRow("empty book name and maker: only the book name")
            << QStringLiteral("book") << QString() << QStringLiteral("  ") << true << QStringLiteral("书名为空")
            << QString() << QStringLiteral("  ");
        QTest::newRow("blank maker is emptied")
            << QStringLiteral("book") << QStringLiteral("书") << QStringLiteral("  ") << true
            << QStringLiteral("制作名为空") << QStringLiteral("书") << QString();
        QTest::newRow("no chapters before forbidden characters")
            << QStringLiteral("book") << QStringLiteral("a/b") << QStringLiteral("Vamo") << false
            << QStringLiteral("请添加章节内容") << QStringLiteral("a/b") << QStringLiteral("Vamo");
        QTest::newRow("slash in book name")
            << QStringLiteral("book") << QStringLiteral("a/b") << QStringLiteral("Vamo") << true
            << QStringLiteral("书名包涵非法字符(/)") << QStringLiteral("a/b") << QStringLiteral("Vamo");
        QTest::newRow("every forbidden character is named, once")
            << QStringLiteral("book") << QStringLiteral("x\"y?\"") << QStringLiteral("Vamo") << true
            << QStringLiteral("书名包涵非法字符(\")(?)") << QStringLiteral("x\"y?\"") << QStringLiteral("Vamo");
        QTest::newRow("space in the JAR name after the Chinese test")
            << QStringLiteral("x y") << QStringLiteral("书") << QStringLiteral("Vamo") << true
            << QStringLiteral("jar包名含有空格") << QStringLiteral("书") << QStringLiteral("Vamo");
    }

    void makeChecksStopAtTheFirstFailure()
    {
        QFETCH(QString, jarName);
        QFETCH(QString, bookName);
        QFETCH(QString, maker);
        QFETCH(bool, withChapter);
        QFETCH(QString, message);
        QFETCH(QString, bookNameAfter);
        QFETCH(QString, makerAfter);

        QVERIFY(m_fx.writeReaderTemplate());
        open();
        edit("Text5")->setText(jarName);
        edit("Text3")->setText(bookName);
        edit("Text2")->setText(maker);
        if (withChapter)
            addChapters({{QStringLiteral("第1章"), QStringLiteral("正文\r\n")}});
        m_fx.book->setBatchmode(7);

        click("Command8");

        QCOMPARE(Dialogs::messages(), QStringList{message});
        QCOMPARE(Dialogs::messageKinds(), QList{Dialogs::Kind::Warning});
        QCOMPARE(edit("Text3")->text(), bookNameAfter);
        QCOMPARE(edit("Text2")->text(), makerAfter);
        // Only a JAR name refused for being blank is emptied.
        QCOMPARE(edit("Text5")->text(), message == QStringLiteral("jar包名为空") ? QString() : jarName);
        QCOMPARE(m_fx.book->settings().jarName, edit("Text5")->text());
        QCOMPARE(m_fx.book->chapterCount(), withChapter ? 1 : 0);
        QCOMPARE(m_fx.book->batchmode(), 7); // nothing was started
        QVERIFY(Dialogs::openedFolders().isEmpty());
        QVERIFY(find<QLabel>("Label10")->isVisible());
        QVERIFY(m_fx.win->isEnabled());
    }

    void makeWritesJarAndJadAndClearsTheBook()
    {
        QVERIFY(m_fx.writeReaderTemplate());
        open();
        // The JAR name may hold any ASCII punctuation and full-width
        // punctuation; the book name's spaces become underscores.
        edit("Text5")->setText(QStringLiteral("my-book_1，"));
        edit("Text3")->setText(QStringLiteral("my book"));
        edit("Text4")->setText(QStringLiteral("  "));
        addChapters({{QStringLiteral("第1章 开始"), QStringLiteral("第一章的正文。\r\n第二行\r\n")},
                     {QStringLiteral("第2章"), QStringLiteral("第二章\r\n")}});
        m_fx.clock->set(kStart.addSecs(61)); // the next dated name differs

        // The book is made on a worker: the window is busy meanwhile, and
        // the book stays as it was until the make is over.
        click("Command8");
        QVERIFY(m_fx.win->busy());
        QVERIFY(!m_fx.win->isEnabled());
        QVERIFY(!button("Command8")->isVisible());
        QVERIFY(!button("Command9")->isVisible());
        QVERIFY(!find<QLabel>("Label10")->isVisible());
        QVERIFY(find<QLabel>("Label9")->isVisible());
        const QString caption = find<QLabel>("Label9")->text();
        QVERIFY2(QRegularExpression(QStringLiteral("^打包进度\\d+\\.\\d\\d%$")).match(caption).hasMatch(),
                 qPrintable(caption));
        QCOMPARE(chapterList()->count(), 2);
        QCOMPARE(edit("Text4")->text(), QStringLiteral("  "));
        // The close box waits for the make.
        m_fx.win->close();
        QVERIFY(m_fx.win->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!m_fx.win->busy(), 60000); // the make runs on a worker

        const QString bookFolder =
            QDir::toNativeSeparators(QDir(programFolder()).filePath(QStringLiteral("jar/my_book"))) + QDir::separator();
        const QString jar = bookFolder + QStringLiteral("my-book_1，.jar");
        QCOMPARE(Dialogs::messages(), QStringList{QStringLiteral("成功制做") + jar});
        QCOMPARE(Dialogs::messageKinds(), QList{Dialogs::Kind::Information});
        QCOMPARE(Dialogs::openedFolders().size(), 1);
        QCOMPARE(QDir::cleanPath(QDir::fromNativeSeparators(Dialogs::openedFolders().at(0))),
                 QDir::cleanPath(QDir::fromNativeSeparators(bookFolder)));
        QVERIFY(QFileInfo::exists(jar));
        QVERIFY(QFileInfo::exists(bookFolder + QStringLiteral("my-book_1，.jad")));
        const QStringList entries = test::zipEntryNames(jar);
        QVERIFY2(entries.contains(QStringLiteral("demo.class")), qPrintable(entries.join(u',')));
        QVERIFY(entries.contains(QStringLiteral("capter")));
        QVERIFY(entries.contains(QStringLiteral("text")));
        QCOMPARE(m_fx.book->batchmode(), 0);

        // Ready for the next book; the blank message is one space now.
        QCOMPARE(chapterList()->count(), 0);
        QCOMPARE(edit("Text3")->text(), QString());
        QCOMPARE(edit("Text5")->text(), QStringLiteral("vamo-03070610"));
        QCOMPARE(edit("Text4")->text(), QStringLiteral(" "));
        QCOMPARE(edit("Text2")->text(), site::defaultMaker());
        QVERIFY(m_fx.book->chaptertext(0).isEmpty());
        QVERIFY(m_fx.win->isEnabled());
        QVERIFY(button("Command8")->isVisible());
        QVERIFY(button("Command9")->isVisible());
        QVERIFY(find<QLabel>("Label10")->isVisible());
        QVERIFY(!find<QLabel>("Label9")->isVisible());
        QVERIFY(!QFileInfo::exists(QDir(workspaceFolder(programFolder())).filePath(QStringLiteral("text"))));
    }

    // Where the desktop cannot show the book folder, the user is told which
    // folder to look in; the book is made all the same.
    void aBookFolderThatCannotBeOpenedIsNamed()
    {
        QVERIFY(m_fx.writeReaderTemplate());
        open();
        edit("Text5")->setText(QStringLiteral("unopened"));
        edit("Text3")->setText(QStringLiteral("无处打开"));
        addChapters({{QStringLiteral("第1章"), QStringLiteral("正文\r\n")}});
        Dialogs::setNextOpenFails();
        click("Command8");
        QTRY_VERIFY_WITH_TIMEOUT(!m_fx.win->busy(), 60000); // the make runs on a worker

        const QString bookFolder =
            QDir::toNativeSeparators(QDir(programFolder()).filePath(QStringLiteral("jar/无处打开")));
        const QString jar = bookFolder + QDir::separator() + QStringLiteral("unopened.jar");
        QCOMPARE(Dialogs::messages(),
                 (QStringList{QStringLiteral("成功制做") + jar, QStringLiteral("无法打开目录：") + bookFolder}));
        QCOMPARE(Dialogs::messageKinds(), (QList{Dialogs::Kind::Information, Dialogs::Kind::Warning}));
        QVERIFY(Dialogs::openedFolders().isEmpty());
        QVERIFY(QFileInfo::exists(jar));
        QVERIFY(m_fx.win->isEnabled());
    }

    // The whole road of a book through the windows: chapters typed and read
    // from a GBK and a UTF-8 file in the editor, then made.
    void aBookTypedAndReadFromFilesIsMade()
    {
        QVERIFY(m_fx.writeReaderTemplate());
        open();
        edit("Text3")->setText(QStringLiteral("全书"));
        auto addThrough = [this](const std::function<void(ChapterEditor*)>& fill) {
            click("Command2");
            ChapterEditor* editor = m_fx.win->chapterEditor();
            QVERIFY(editor->isVisible());
            QVERIFY(!m_fx.win->isEnabled());
            fill(editor);
            QTest::mouseClick(editor->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
            QVERIFY(!editor->isVisible());
            QVERIFY(m_fx.win->isEnabled());
        };
        addThrough([](ChapterEditor* editor) {
            // Chinese arrives from the input method.
            QWidget* box = editor->findChild<QWidget*>(QStringLiteral("Text2"));
            box->setFocus();
            QInputMethodEvent typed;
            typed.setCommitString(QStringLiteral("亲手输入的一章"));
            QCoreApplication::sendEvent(box, &typed);
        });
        for (const char* file : {"mixed-gbk.txt", "mixed-utf8.txt"}) {
            addThrough([file](ChapterEditor* editor) {
                Dialogs::setNextFile(QStringLiteral(VAMO_TEST_DATA_DIR "/text/") + QString::fromLatin1(file));
                QTest::mouseClick(editor->findChild<QPushButton*>(QStringLiteral("Command3")), Qt::LeftButton);
                QTRY_VERIFY_WITH_TIMEOUT(!editor->isReading(), 60000);
            });
        }
        // A chapter read from a file is named after it.
        QCOMPARE(m_fx.book->chapterNames(),
                 (QStringList{QStringLiteral("第1章"), QStringLiteral("mixed-gbk"), QStringLiteral("mixed-utf8")}));
        QVERIFY(m_fx.book->chaptertext(0).startsWith(QStringLiteral("亲手输入的一章")));
        // Both files hold the same text, whatever their encoding.
        QVERIFY(!m_fx.book->chaptertext(1).isEmpty());
        QCOMPARE(m_fx.book->chaptertext(1), m_fx.book->chaptertext(2));

        Dialogs::clearRecord();
        click("Command8");
        QTRY_VERIFY_WITH_TIMEOUT(!m_fx.win->busy(), 60000); // the make runs on a worker
        QCOMPARE(Dialogs::messages().size(), 1);
        QVERIFY2(Dialogs::messages().at(0).startsWith(QStringLiteral("成功制做")),
                 qPrintable(Dialogs::messages().at(0)));
        const QString jar = Dialogs::messages().at(0).mid(4);
        QVERIFY(QFileInfo::exists(jar));
        QVERIFY(QFileInfo::exists(jar.chopped(4) + QStringLiteral(".jad")));
        const auto index = test::zipEntry(jar, "capter");
        QVERIFY(index.has_value());
        QVERIFY(index->contains(QStringLiteral("第1章").toUtf8()));
        QVERIFY(index->contains(QByteArray("mixed-utf8")));
    }

    // With the reader templates the build made: the phone model picks the
    // template, and the JAR is that reader plus the book.
    void theRealReaderTemplateOfThePhoneModelIsUsed()
    {
        const QString real = QStringLiteral(VAMO_PROGRAM_DIR);
        if (!QFileInfo::exists(QDir(real).filePath(QStringLiteral("DuvEverMoto.dll"))))
            QSKIP("the reader templates are not built");
        m_fx.win = std::make_unique<MainWindow>(*m_fx.book, programFolder(), BuildEnvironment{real});
        m_fx.win->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_fx.win.get()));
        find<QComboBox>("Combo2")->setCurrentIndex(1);
        edit("Text3")->setText(QStringLiteral("摩托"));
        addChapters({{QStringLiteral("第1章"), QStringLiteral("正文\r\n")}});
        click("Command8");
        QTRY_VERIFY_WITH_TIMEOUT(!m_fx.win->busy(), 60000); // the make runs on a worker
        QCOMPARE(Dialogs::messages().size(), 1);
        QVERIFY2(Dialogs::messages().at(0).startsWith(QStringLiteral("成功制做")),
                 qPrintable(Dialogs::messages().at(0)));
        const QString jar = Dialogs::messages().at(0).mid(4);
        const QStringList entries = test::zipEntryNames(jar);
        for (const QString& name : test::zipEntryNames(QDir(real).filePath(QStringLiteral("DuvEverMoto.dll"))))
            QVERIFY2(entries.contains(name), qPrintable(name));
        QVERIFY(entries.contains(QStringLiteral("capter")));
        QCOMPARE(find<QComboBox>("Combo2")->currentIndex(), 1); // kept for the next book
    }

    void failedMakeShowsTheReasonAndKeepsTheBook()
    {
        open(); // no reader template anywhere
        edit("Text3")->setText(QStringLiteral("留下"));
        const Chapters chapters = {{QStringLiteral("一"), QStringLiteral("甲\r\n")},
                                   {QStringLiteral("二"), QStringLiteral("乙\r\n")}};
        addChapters(chapters);
        const QString jarName = edit("Text5")->text();

        click("Command8");
        QTRY_VERIFY_WITH_TIMEOUT(!m_fx.win->busy(), 60000); // the make runs on a worker

        QCOMPARE(Dialogs::messages().size(), 1);
        QVERIFY(!Dialogs::messages().at(0).startsWith(QStringLiteral("成功制做")));
        QVERIFY(!Dialogs::messages().at(0).isEmpty());
        QVERIFY(Dialogs::openedFolders().isEmpty());
        verifyChapters(chapters);
        QCOMPARE(edit("Text3")->text(), QStringLiteral("留下"));
        QCOMPARE(edit("Text5")->text(), jarName);
        QVERIFY(m_fx.win->isEnabled());
        QVERIFY(button("Command8")->isVisible());
        QVERIFY(button("Command9")->isVisible());
        QVERIFY(find<QLabel>("Label10")->isVisible());
        QVERIFY(!find<QLabel>("Label9")->isVisible());
    }

    // Delete, move up and move down through the buttons, in a long mixed
    // sequence, against the rules written out once more here.
    void chapterButtonsKeepNamesAndTextsTogether()
    {
        open();
        Chapters model;
        for (int i = 0; i < 12; ++i)
            model.push_back({QStringLiteral("第%1章").arg(i + 1), QStringLiteral("text %1\r\n").arg(i)});
        addChapters(model);

        QRandomGenerator rng(4711);
        for (int step = 0; step < 300; ++step) {
            const int n = static_cast<int>(model.size());
            const int k = n == 0 ? -1 : static_cast<int>(rng.bounded(n + 1)) - 1; // -1: nothing selected
            chapterList()->setCurrentRow(k);
            int expected = k;
            switch (rng.bounded(4)) {
            case 0:
                click("Command3");
                if (k >= 0) {
                    model.erase(model.begin() + k);
                    expected = k == n - 1 ? k - 1 : k;
                }
                break;
            case 1:
                click("Command5");
                if (k > 0) {
                    std::swap(model[static_cast<std::size_t>(k)], model[static_cast<std::size_t>(k - 1)]);
                    expected = k - 1;
                }
                break;
            case 2:
                click("Command6");
                if (k >= 0 && k < n - 1) {
                    std::swap(model[static_cast<std::size_t>(k)], model[static_cast<std::size_t>(k + 1)]);
                    expected = k + 1;
                }
                break;
            default: {
                // New chapters keep arriving the way the editor stores them.
                const QString name = QStringLiteral("新%1").arg(step);
                const QString text = QStringLiteral("new %1\r\n").arg(step);
                QVERIFY(m_fx.book->prepareAdd());
                QVERIFY(m_fx.book->save(text.chopped(2)));
                m_fx.book->appendChapterName(name);
                model.push_back({name, text});
                break;
            }
            }
            verifyChapters(model);
            if (expected >= 0 && expected < static_cast<int>(model.size()))
                QCOMPARE(chapterList()->currentRow(), expected);
            else
                QCOMPARE(chapterList()->currentRow(), -1);
        }
    }

    // Several chapters selected: Delete (key or button) asks first, the
    // default keeping them; yes deletes them, texts in step with names;
    // Ctrl+Z or "撤销删除" brings the last delete back where it stood.
    void severalChaptersAreDeletedAndTheLastDeleteUndone()
    {
        open();
        const Chapters all{{QStringLiteral("A"), QStringLiteral("a")},
                           {QStringLiteral("B"), QStringLiteral("b")},
                           {QStringLiteral("C"), QStringLiteral("c")},
                           {QStringLiteral("D"), QStringLiteral("d")},
                           {QStringLiteral("E"), QStringLiteral("e")}};
        addChapters(all);
        QListWidget* list = chapterList();
        QVERIFY(list->selectionMode() == QAbstractItemView::ExtendedSelection);
        auto* undo = list->findChild<QAction*>(QStringLiteral("undoDelete"));
        QVERIFY(undo && list->actions().contains(undo));
        QCOMPARE(undo->text(), QStringLiteral("撤销删除"));
        QVERIFY(!undo->isEnabled());

        list->setCurrentRow(1);
        list->item(3)->setSelected(true);
        QTest::keyClick(list, Qt::Key_Delete);
        QCOMPARE(Dialogs::messages(), QStringList{QStringLiteral("确定要删除选中的2个章节吗？")});
        QCOMPARE(Dialogs::questionDefaults(), QList<Dialogs::Answer>{Dialogs::Answer::No});
        verifyChapters(all);

        Dialogs::setNextAnswer(Dialogs::Answer::Yes);
        click("Command3");
        verifyChapters({{QStringLiteral("A"), QStringLiteral("a")},
                        {QStringLiteral("C"), QStringLiteral("c")},
                        {QStringLiteral("E"), QStringLiteral("e")}});
        QCOMPARE(list->currentRow(), 1);
        QVERIFY(undo->isEnabled());

        QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
        verifyChapters(all);
        QCOMPARE(list->selectedItems().size(), 2);
        QVERIFY(!undo->isEnabled()); // once

        // One chapter: Delete asks nothing; the menu entry undoes it.
        Dialogs::clearRecord();
        list->clearSelection();
        list->setCurrentRow(4);
        QTest::keyClick(list, Qt::Key_Delete);
        QVERIFY(Dialogs::messages().isEmpty());
        QCOMPARE(m_fx.book->chapterCount(), 4);
        undo->trigger();
        verifyChapters(all);
        QCOMPARE(list->currentRow(), 4);
    }

    // Chapters dragged within the list take their texts along.
    void draggedChaptersMoveWithTheirTexts()
    {
        open();
        addChapters({{QStringLiteral("A"), QStringLiteral("a")},
                     {QStringLiteral("B"), QStringLiteral("b")},
                     {QStringLiteral("C"), QStringLiteral("c")},
                     {QStringLiteral("D"), QStringLiteral("d")}});
        QListWidget* list = chapterList();
        QCOMPARE(list->dragDropMode(), QAbstractItemView::InternalMove);
        list->setCurrentRow(0);
        list->item(2)->setSelected(true);
        // Onto the upper half of D: A and C go before it.
        const QRect d = list->visualRect(list->model()->index(3, 0));
        m_fx.win->dropChaptersAt(QPointF(d.center().x(), d.top() + 1));
        verifyChapters({{QStringLiteral("B"), QStringLiteral("b")},
                        {QStringLiteral("A"), QStringLiteral("a")},
                        {QStringLiteral("C"), QStringLiteral("c")},
                        {QStringLiteral("D"), QStringLiteral("d")}});
        QCOMPARE(list->selectedItems().size(), 2);
        QCOMPARE(list->currentRow(), 1);
        // Below the last row: B to the end.
        list->clearSelection();
        list->setCurrentRow(0);
        m_fx.win->dropChaptersAt(QPointF(5, list->viewport()->height() - 2));
        verifyChapters({{QStringLiteral("A"), QStringLiteral("a")},
                        {QStringLiteral("C"), QStringLiteral("c")},
                        {QStringLiteral("D"), QStringLiteral("d")},
                        {QStringLiteral("B"), QStringLiteral("b")}});
    }

    void deleteInTheMiddleSetsNumToThePosition()
    {
        open();
        addChapters({{QStringLiteral("A"), QStringLiteral("a")},
                     {QStringLiteral("B"), QStringLiteral("b")},
                     {QStringLiteral("C"), QStringLiteral("c")},
                     {QStringLiteral("D"), QStringLiteral("d")}});
        chapterList()->setCurrentRow(1);
        click("Command3");
        verifyChapters({{QStringLiteral("A"), QStringLiteral("a")},
                        {QStringLiteral("C"), QStringLiteral("c")},
                        {QStringLiteral("D"), QStringLiteral("d")}});
        QCOMPARE(chapterList()->currentItem()->text(), QStringLiteral("C"));
        QCOMPARE(m_fx.book->num(), 1);
        QVERIFY(Dialogs::messages().isEmpty());
    }

    void addChapterStopsAtTheLimit()
    {
        open();
        for (int i = 0; i < 999; ++i)
            m_fx.book->appendChapterName(QStringLiteral("c%1").arg(i));
        click("Command2");
        QCOMPARE(m_fx.book->num(), 999);
        QVERIFY(Dialogs::messages().isEmpty());
        ChapterEditor* editor = m_fx.win->chapterEditor();
        QVERIFY(editor->isVisible());
        QCOMPARE(editor->findChild<QLineEdit*>(QStringLiteral("Text1"))->text(), QStringLiteral("第1000章"));
        QVERIFY(!m_fx.win->isEnabled());
        editor->hide();
        m_fx.win->setEnabled(true);
        m_fx.book->appendChapterName(QStringLiteral("c999"));
        m_fx.book->setNum(3);
        find<QAction>("menu_one_3")->trigger();
        QCOMPARE(Dialogs::messages(), QStringList{QStringLiteral("章节数量达到上限(1000)")});
        QCOMPARE(m_fx.book->num(), 3);
        QCOMPARE(m_fx.book->chapterCount(), 1000);
        QVERIFY(m_fx.win->isEnabled());
    }

    void editOpensTheSelectedChapter()
    {
        open();
        addChapters(
            {{QStringLiteral("A"), QStringLiteral("aaa\r\n")}, {QStringLiteral("B"), QStringLiteral("bbb\r\n")}});
        click("Command4"); // nothing selected: nothing opens
        QVERIFY(!m_fx.win->chapterEditor()->isVisible());
        chapterList()->setCurrentRow(1);
        click("Command4");
        QVERIFY(m_fx.win->chapterEditor()->isVisible());
        QCOMPARE(m_fx.book->num(), 1);
        QCOMPARE(m_fx.win->chapterEditor()->findChild<QLineEdit*>(QStringLiteral("Text1"))->text(),
                 QStringLiteral("B"));
        QVERIFY(!m_fx.win->isEnabled());
    }

    void batchImportAsksWhetherToClear()
    {
        open();
        click("Command10");
        QVERIFY(Dialogs::messages().isEmpty());
        QCOMPARE(m_fx.book->num(), 0);
        QVERIFY(m_fx.win->importWindow()->isVisible());
        QVERIFY(!m_fx.win->isEnabled());
        click(m_fx.win->importWindow(), "Command2");
        QVERIFY(m_fx.win->isEnabled());

        addChapters({{QStringLiteral("A"), QStringLiteral("a")},
                     {QStringLiteral("B"), QStringLiteral("b")},
                     {QStringLiteral("C"), QStringLiteral("c")}});
        Dialogs::setNextAnswer(Dialogs::Answer::No);
        click("Command10");
        QCOMPARE(Dialogs::messages(), QStringList{QStringLiteral("是否清空已有的章节")});
        // Enter or Escape keep the chapters.
        QCOMPARE(Dialogs::questionDefaults(), QList<Dialogs::Answer>{Dialogs::Answer::No});
        QCOMPARE(m_fx.book->num(), 3);
        QCOMPARE(chapterList()->count(), 3);
        click(m_fx.win->importWindow(), "Command2");

        // Yes only takes effect when an import stores chapters: until then
        // the book keeps them and the next save appends.
        Dialogs::setNextAnswer(Dialogs::Answer::Yes);
        click("Command10");
        QCOMPARE(m_fx.book->num(), 3);
        QCOMPARE(chapterList()->count(), 3);
        QVERIFY(m_fx.win->importWindow()->isVisible());
    }

    void tabsSwapTheirControlsAndNewReturnsToTheFirst()
    {
        open();
        auto* tabs = find<QTabBar>("TabStrip1");
        QCOMPARE(tabs->count(), 2);
        QCOMPARE(tabs->tabText(0), QStringLiteral("单本制做"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("多本制做"));
        tabs->setCurrentIndex(1);
        QVERIFY(!find<QGroupBox>("Frame2")->isVisible());
        QVERIFY(find<QGroupBox>("Frame3")->isVisible());
        QVERIFY(!button("Command8")->isVisible());
        QVERIFY(button("Command16")->isVisible());
        QVERIFY(find<QGroupBox>("Frame1")->isVisible());
        QTest::qWait(20); // let the layout settle
        const QRect folderFrame = find<QGroupBox>("Frame3")->geometry();
        const QRect folderMake = button("Command16")->geometry();

        edit("Text3")->setText(QStringLiteral("旧书"));
        find<QComboBox>("Combo1")->setCurrentIndex(2);
        find<QComboBox>("Combo2")->setCurrentIndex(1);
        edit("Text1")->setText(QStringLiteral("elsewhere"));
        addChapters({{QStringLiteral("A"), QStringLiteral("a")}});
        m_fx.clock->set(kStart.addSecs(3));
        Dialogs::setNextAnswer(Dialogs::Answer::Yes); // give up the unmade book
        find<QAction>("menu_one_1")->trigger();

        QVERIFY(find<QGroupBox>("Frame2")->isVisible());
        QVERIFY(button("Command8")->isVisible());
        QVERIFY(!button("Command16")->isVisible());
        // Both frames share one place, and so do both make buttons.
        QTRY_COMPARE(find<QGroupBox>("Frame2")->geometry(), folderFrame);
        QTRY_COMPARE(button("Command8")->geometry(), folderMake);
        QCOMPARE(chapterList()->count(), 0);
        QVERIFY(m_fx.book->chaptertext(0).isEmpty());
        QCOMPARE(edit("Text3")->text(), QString());
        QCOMPARE(edit("Text5")->text(), QStringLiteral("vamo-03070512"));
        QCOMPARE(edit("Text1")->text(), defaultSaveFolder(programFolder()));
        QCOMPARE(find<QComboBox>("Combo1")->currentIndex(), 0);
        QCOMPARE(find<QComboBox>("Combo2")->currentIndex(), 1);

        tabs->setCurrentIndex(1);
        find<QAction>("menu_one_2")->trigger(); // the wizard entry also returns to the chapter list
        QVERIFY(find<QGroupBox>("Frame2")->isVisible());
    }

    void saveFolderIsChosenInFormTwo()
    {
        open();
        const QString sub = tmpPath(QStringLiteral("books/here"));
        QVERIFY(QDir().mkpath(sub));

        click("Command1");
        FolderChooser* chooser = m_fx.win->folderChooser();
        QVERIFY(chooser->isVisible());
        QCOMPARE(chooser->objectName(), QStringLiteral("Form2"));
        QVERIFY(!m_fx.win->isEnabled());
        chooser->setFolder(sub);
        QTest::mouseClick(chooser->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
        QCOMPARE(edit("Text1")->text(), QDir::toNativeSeparators(sub) + QDir::separator());
        QVERIFY(!chooser->isVisible());
        QVERIFY(m_fx.win->isEnabled());

        // Cancel and the close box change nothing but give the window back.
        click("Command1");
        chooser->setFolder(tmpPath(QStringLiteral("books")));
        QTest::mouseClick(chooser->findChild<QPushButton*>(QStringLiteral("Command2")), Qt::LeftButton);
        QCOMPARE(edit("Text1")->text(), QDir::toNativeSeparators(sub) + QDir::separator());
        QVERIFY(m_fx.win->isEnabled());
        click("Command1");
        chooser->close();
        QVERIFY(m_fx.win->isEnabled());
        QCOMPARE(edit("Text1")->text(), QDir::toNativeSeparators(sub) + QDir::separator());
    }

    void openSaveFolderCreatesItOrSaysWhy()
    {
        open();
        const QString folder = QDir::toNativeSeparators(tmpPath(QStringLiteral("new/level"))) + QDir::separator();
        edit("Text1")->setText(folder);
        click("Command11");
        QVERIFY(QFileInfo(tmpPath(QStringLiteral("new/level"))).isDir());
        QCOMPARE(Dialogs::openedFolders(), QStringList{folder});
        QVERIFY(Dialogs::messages().isEmpty());

        // No file manager on this desktop: say which folder it was.
        Dialogs::setNextOpenFails();
        click("Command11");
        QCOMPARE(Dialogs::messages(), QStringList{QStringLiteral("无法打开目录：") + folder});
        QCOMPARE(Dialogs::messageKinds(), QList{Dialogs::Kind::Warning});
        QCOMPARE(Dialogs::openedFolders(), QStringList{folder});

        QVERIFY(writeFile(tmpPath(QStringLiteral("plain")), "x"));
        edit("Text1")->setText(QDir::toNativeSeparators(tmpPath(QStringLiteral("plain/sub"))) + QDir::separator());
        Dialogs::clearRecord();
        click("Command11");
        QCOMPARE(Dialogs::messages().size(), 1);
        QVERIFY(Dialogs::messages().at(0).startsWith(QStringLiteral("无法创建保存目录：")));
        QCOMPARE(Dialogs::messageKinds(), QList{Dialogs::Kind::Warning});
        QVERIFY(Dialogs::openedFolders().isEmpty());
    }

    void exitRemovesTheWorkspaceAndClosesEverything()
    {
        open();
        QVERIFY(writeFile(QDir(workspaceFolder(programFolder())).filePath(QStringLiteral("text")), "t"));
        QVERIFY(
            writeFile(QDir(workspaceFolder(programFolder())).filePath(QStringLiteral("META-INF/MANIFEST.MF")), "m"));
        QVERIFY(writeFile(commandScriptPath(programFolder()), "bat"));
        click("Command9"); // nothing open: the button is the way out
        QVERIFY(!m_fx.win->isVisible());
        QVERIFY(!QFileInfo::exists(workspaceFolder(programFolder())));
        QVERIFY(!QFileInfo::exists(commandScriptPath(programFolder())));

        // With Form2 open, the close box closes it as well.
        m_fx.win->show();
        QVERIFY(writeFile(QDir(workspaceFolder(programFolder())).filePath(QStringLiteral("10000")), "p"));
        click("Command1");
        QVERIFY(m_fx.win->folderChooser()->isVisible());
        m_fx.win->close();
        QVERIFY(!m_fx.win->isVisible());
        QVERIFY(!m_fx.win->folderChooser()->isVisible());
        QVERIFY(!QFileInfo::exists(workspaceFolder(programFolder())));
        QVERIFY(!QFileInfo::exists(commandScriptPath(programFolder())));
        QVERIFY(QFileInfo(QDir(programFolder()).filePath(QStringLiteral("jar"))).isDir());

        // The menu entry does the same; with nothing left it deletes nothing.
        m_fx.win->show();
        m_fx.win->setEnabled(true);
        find<QAction>("menu_one_4")->trigger();
        QVERIFY(!m_fx.win->isVisible());
        QVERIFY(Dialogs::messages().isEmpty());
    }

    // Exit (button, menu entry, close box) and New ask before a book not yet
    // made is given up; the default answer keeps it. With nothing to lose
    // nothing is asked.
    void exitAndNewAskBeforeTheBookIsLost()
    {
        const QString question = QStringLiteral("当前电子书尚未制作，确定要放弃吗？");
        open();
        addChapters({{QStringLiteral("A"), QStringLiteral("a")}, {QStringLiteral("B"), QStringLiteral("b")}});
        edit("Text3")->setText(QStringLiteral("书"));
        click("Command9");
        m_fx.win->close();
        find<QAction>("menu_one_4")->trigger();
        find<QAction>("menu_one_1")->trigger();
        QCOMPARE(Dialogs::messages(), QStringList(4, question));
        QCOMPARE(Dialogs::questionDefaults(), QList<Dialogs::Answer>(4, Dialogs::Answer::No));
        QVERIFY(m_fx.win->isVisible());
        verifyChapters({{QStringLiteral("A"), QStringLiteral("a")}, {QStringLiteral("B"), QStringLiteral("b")}});
        QCOMPARE(edit("Text3")->text(), QStringLiteral("书"));

        // New with only a book name asks too; yes gives it up.
        Dialogs::clearRecord();
        Dialogs::setNextAnswer(Dialogs::Answer::Yes);
        find<QAction>("menu_one_1")->trigger();
        QCOMPARE(chapterList()->count(), 0);
        edit("Text3")->setText(QStringLiteral("书"));
        find<QAction>("menu_one_1")->trigger();
        QCOMPARE(Dialogs::messages(), QStringList(2, question));
        QCOMPARE(edit("Text3")->text(), QStringLiteral("书"));

        // Nothing in the list: exit asks nothing.
        Dialogs::clearRecord();
        click("Command9");
        QVERIFY(!m_fx.win->isVisible());
        QVERIFY(Dialogs::messages().isEmpty());

        // Yes lets the window close.
        m_fx.win->show();
        addChapters({{QStringLiteral("C"), QStringLiteral("c")}});
        Dialogs::setNextAnswer(Dialogs::Answer::Yes);
        m_fx.win->close();
        QVERIFY(!m_fx.win->isVisible());
    }

    void exitLetsTheOpenEditorOfferToKeepItsChapter()
    {
        open();
        click("Command2");
        QPointer<ChapterEditor> editor = m_fx.win->chapterEditor();
        QVERIFY(editor->isVisible());
        editor->findChild<QPlainTextEdit*>(QStringLiteral("Text2"))->setPlainText(QStringLiteral("未保存的正文"));
        Dialogs::setNextAnswer(Dialogs::Answer::Yes);

        m_fx.win->close();

        QCOMPARE(Dialogs::messages(), QStringList{QStringLiteral("是否保存编辑内容?")});
        QVERIFY(!m_fx.win->isVisible());
        QVERIFY(!editor || !editor->isVisible());
        QCOMPARE(m_fx.book->chapterNames(), QStringList{QStringLiteral("第1章")});
        QVERIFY(m_fx.book->chaptertext(0).startsWith(QStringLiteral("未保存的正文")));
    }

    void menusListTheirEntriesInOrder()
    {
        open();
        auto captions = [this](const char* menu) {
            QStringList texts;
            for (QAction* a : find<QMenu>(menu)->actions())
                if (!a->isSeparator())
                    texts << a->text();
            return texts;
        };
        QCOMPARE(find<QMenu>("menu_one")->title(), QStringLiteral("文件(&F)"));
        QCOMPARE(captions("menu_one"), (QStringList{QStringLiteral("新建(&N)"), QStringLiteral("新建电子书向导(&O)"),
                                                    QStringLiteral("添加章节(&A)"), QStringLiteral("退出(&Q)")}));
        QCOMPARE(find<QMenu>("menu_two")->title(), QStringLiteral("帮助(&H)"));
        QCOMPARE(captions("menu_two"), (QStringList{QStringLiteral("疑问解答(&P)"), QStringLiteral("软件主页(&S)"),
                                                    QStringLiteral("软件更新(&U)"), QStringLiteral("联机帮助(&C)")}));
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
