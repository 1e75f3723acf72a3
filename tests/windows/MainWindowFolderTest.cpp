// SPDX-License-Identifier: GPL-3.0-or-later
// The folder tab ("多本制做"): the TXT queue of the chosen folder, its
// removal and move rules, and a batch run that makes one book per file.
#include "model/BookProject.h"
#include "startup/ProgramFolder.h"
#include "windows/Dialogs.h"
#include "windows/MainWindow.h"

#include "MainWindowFixture.h"
#include "TestSupport.h"
#include "ZipTestSupport.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QOperatingSystemVersion>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <cstdio>
#include <memory>

using namespace vamo;
using vamo::test::writeFile;

class MainWindowFolderTest : public QObject {
    Q_OBJECT

    test::MainWindowFixture m_fx;

    QString path(const QString& rel) const { return m_fx.path(rel); }
    QString programFolder() const { return m_fx.programFolder(); }
    QString txtFolder() const { return path(QStringLiteral("txt")); }

    template <class T>
    T* find(const char* name) const
    {
        return test::findControl<T>(m_fx.win, name);
    }
    QListWidget* queue() const { return find<QListWidget>("List2"); }
    void click(const char* name) { QTest::mouseClick(find<QPushButton>(name), Qt::LeftButton); }
    QStringList queued() const
    {
        QStringList names;
        for (int i = 0; i < queue()->count(); ++i)
            names << queue()->item(i)->text();
        return names;
    }
    void put(const QString& rel, const QByteArray& bytes = "line\r\n") { QVERIFY(writeFile(path(rel), bytes)); }
    void openOnFolderTab()
    {
        QVERIFY(m_fx.open());
        m_fx.win->setTxtFolder(txtFolder());
        find<QTabBar>("TabStrip1")->setCurrentIndex(1);
    }
    // Queue of `names` in the given order, whatever order the folder lists.
    void queueOf(const QStringList& names)
    {
        for (const QString& n : names)
            put(QStringLiteral("txt/") + n);
        openOnFolderTab();
        QCOMPARE(queue()->count(), names.size());
        for (int i = 0; i < names.size(); ++i)
            queue()->item(i)->setText(names.at(i));
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_fx.init(QDateTime(QDate(2026, 5, 1), QTime(8, 0, 0))));
        QVERIFY(QDir().mkpath(txtFolder()));
    }
    void cleanup() { m_fx.cleanup(); }

    void listingShowsTxtFilesOfTheChosenFolder()
    {
        put(QStringLiteral("txt/a book.txt"));
        put(QStringLiteral("txt/second.TXT"));
        put(QStringLiteral("txt/notes.md"));
        QVERIFY(QDir().mkpath(path(QStringLiteral("txt/folder.txt"))));
        put(QStringLiteral("other/elsewhere.txt"));
        openOnFolderTab();

        QCOMPARE(m_fx.win->txtFolder(), QDir::toNativeSeparators(txtFolder()));
        QStringList names = queued();
        names.sort();
        QCOMPARE(names, (QStringList{QStringLiteral("a book.txt"), QStringLiteral("second.TXT")}));

        // Choosing another folder lists that one instead.
        m_fx.win->setTxtFolder(path(QStringLiteral("other")));
        QCOMPARE(queued(), QStringList{QStringLiteral("elsewhere.txt")});
        QVERIFY(Dialogs::messages().isEmpty());
    }

    // The queue is the folder in reading order, as is a folder dropped on
    // the folder tab.
    void theQueueComesInReadingOrder()
    {
        for (const char* name : {"txt/10.txt", "txt/9.txt", "txt/100.txt", "txt/1.txt", "drop/第12章.txt",
                                 "drop/第2章.txt", "drop/序.txt"})
            put(QString::fromUtf8(name));
        openOnFolderTab();
        QCOMPARE(queued(), (QStringList{QStringLiteral("1.txt"), QStringLiteral("9.txt"), QStringLiteral("10.txt"),
                                        QStringLiteral("100.txt")}));
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(path(QStringLiteral("drop")))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(find<QGroupBox>("Frame3"), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(find<QGroupBox>("Frame3"), &drop);
        QCOMPARE(queued(), (QStringList{QString::fromUtf8("第2章.txt"), QString::fromUtf8("第12章.txt"),
                                        QString::fromUtf8("序.txt")}));

        // Reordered by hand, the context menu sorts it again; Delete takes
        // the selected books out of the queue.
        queue()->item(0)->setText(QString::fromUtf8("序.txt"));
        queue()->item(2)->setText(QString::fromUtf8("第2章.txt"));
        queue()->findChild<QAction*>(QStringLiteral("sortByName"))->trigger();
        QCOMPARE(queued(), (QStringList{QString::fromUtf8("第2章.txt"), QString::fromUtf8("第12章.txt"),
                                        QString::fromUtf8("序.txt")}));
        queue()->setCurrentRow(0);
        queue()->item(1)->setSelected(true);
        QTest::keyClick(queue(), Qt::Key_Delete);
        QCOMPARE(queued(), QStringList{QString::fromUtf8("序.txt")});
    }

    void aFolderThatCannotBeListedIsReported()
    {
        put(QStringLiteral("txt/a book.txt"));
        openOnFolderTab();
        QCOMPARE(queue()->count(), 1);
        QVERIFY(QDir(txtFolder()).removeRecursively());
        // Windows removes a folder only once no one holds it open, and the
        // folder tree's watcher does: meanwhile it lists empty. It may let go
        // at any moment, so what the listing met is known only from before.
        const bool mayStillBeThere = QFileInfo::exists(txtFolder());
        find<QTabBar>("TabStrip1")->setCurrentIndex(0);
        find<QTabBar>("TabStrip1")->setCurrentIndex(1); // refreshes the list
        if (Dialogs::messages().isEmpty()) {
            QVERIFY(mayStillBeThere);
        } else {
            QCOMPARE(Dialogs::messages().size(), 1);
            QVERIFY(Dialogs::messages().at(0).contains(QDir::toNativeSeparators(txtFolder())));
        }
        QCOMPARE(queue()->count(), 0);
    }

    void removalSelectsTheSuccessorOrTheNewLast()
    {
        queueOf({QStringLiteral("aaaa.txt"), QStringLiteral("bbbb.txt"), QStringLiteral("cccc.txt"),
                 QStringLiteral("dddd.txt")});
        queue()->setCurrentRow(-1);
        click("Command12"); // nothing selected: nothing happens
        QCOMPARE(queue()->count(), 4);

        queue()->setCurrentRow(1);
        click("Command12");
        QCOMPARE(queued(),
                 (QStringList{QStringLiteral("aaaa.txt"), QStringLiteral("cccc.txt"), QStringLiteral("dddd.txt")}));
        QCOMPARE(queue()->currentRow(), 1);

        queue()->setCurrentRow(2);
        click("Command12");
        QCOMPARE(queued(), (QStringList{QStringLiteral("aaaa.txt"), QStringLiteral("cccc.txt")}));
        QCOMPARE(queue()->currentRow(), 1);

        click("Command12");
        click("Command12");
        QCOMPARE(queue()->count(), 0);
        QCOMPARE(queue()->currentRow(), -1);
        click("Command12"); // empty list: nothing happens
    }

    void movesStopAtTheEnds()
    {
        queueOf({QStringLiteral("aaaa.txt"), QStringLiteral("bbbb.txt"), QStringLiteral("cccc.txt")});
        queue()->setCurrentRow(0);
        click("Command14");
        QCOMPARE(queued().first(), QStringLiteral("aaaa.txt"));
        QCOMPARE(queue()->currentRow(), 0);

        click("Command15");
        QCOMPARE(queued(),
                 (QStringList{QStringLiteral("bbbb.txt"), QStringLiteral("aaaa.txt"), QStringLiteral("cccc.txt")}));
        QCOMPARE(queue()->currentRow(), 1);
        click("Command15");
        click("Command15"); // already last
        QCOMPARE(queued(),
                 (QStringList{QStringLiteral("bbbb.txt"), QStringLiteral("cccc.txt"), QStringLiteral("aaaa.txt")}));
        QCOMPARE(queue()->currentRow(), 2);

        click("Command14");
        QCOMPARE(queued(),
                 (QStringList{QStringLiteral("bbbb.txt"), QStringLiteral("aaaa.txt"), QStringLiteral("cccc.txt")}));
        QCOMPARE(queue()->currentRow(), 1);

        queue()->setCurrentRow(-1);
        click("Command15");
        click("Command14");
        QCOMPARE(queued(),
                 (QStringList{QStringLiteral("bbbb.txt"), QStringLiteral("aaaa.txt"), QStringLiteral("cccc.txt")}));
    }

    void batchRunMakesOneBookPerFileInQueueOrder()
    {
        QVERIFY(m_fx.writeReaderTemplate());
        queueOf({QStringLiteral("first book.txt"), QStringLiteral("second.txt"), QStringLiteral("third.txt")});
        // A file removed from the queue is not made.
        put(QStringLiteral("txt/skipped.txt"));
        m_fx.book->setChaptertext(0, QStringLiteral("left from before\r\n")).value();
        m_fx.book->appendChapterName(QStringLiteral("old"));
        find<QLineEdit>("Text4")->setText(QStringLiteral("   "));

        // Seen when the first progress report selects the first book.
        bool seen = false, enabled = true, makeShown = true, bannerShown = true;
        int row = -1;
        QString caption;
        const auto watch = connect(queue(), &QListWidget::currentRowChanged, m_fx.win, [&](int current) {
            if (seen)
                return;
            seen = true;
            enabled = m_fx.win->isEnabled();
            makeShown = find<QPushButton>("Command16")->isVisible();
            bannerShown = find<QLabel>("Label10")->isVisible();
            row = current;
            caption = find<QLabel>("Label9")->text();
        });
        click("Command16");
        QVERIFY(m_fx.win->busy());
        QVERIFY(!find<QPushButton>("Command9")->isVisible());
        // Nothing of the book changes while the books are made.
        QCOMPARE(find<QLineEdit>("Text4")->text(), QStringLiteral("   "));
        QTRY_VERIFY_WITH_TIMEOUT(!m_fx.win->busy(), 60000); // the run is on a worker
        disconnect(watch);
        QVERIFY(seen);
        QVERIFY(!enabled);
        QVERIFY(!makeShown);
        QVERIFY(!bannerShown);
        QCOMPARE(row, 0);
        QVERIFY2(caption.startsWith(QStringLiteral("导入文件")) || caption.startsWith(QStringLiteral("打包进度")),
                 qPrintable(caption));

        QCOMPARE(Dialogs::messages(), QStringList{QStringLiteral("成功制做3本书")});
        QCOMPARE(Dialogs::messageKinds(), QList{Dialogs::Kind::Information});
        const QString save = defaultSaveFolder(programFolder());
        QCOMPARE(Dialogs::openedFolders(), QStringList{save});
        for (const QString& book : {QStringLiteral("first_book"), QStringLiteral("second"), QStringLiteral("third")}) {
            const QDir folder(QDir(QDir::fromNativeSeparators(save)).filePath(book));
            QCOMPARE(folder.entryList({QStringLiteral("*.jar")}, QDir::Files).size(), 1);
            QCOMPARE(folder.entryList({QStringLiteral("*.jad")}, QDir::Files).size(), 1);
        }
        QVERIFY(!QFileInfo::exists(QDir(QDir::fromNativeSeparators(save)).filePath(QStringLiteral("skipped"))));

        // The window is back; the single-book tab's chapter stays.
        QCOMPARE(find<QListWidget>("List1")->count(), 1);
        QCOMPARE(m_fx.book->chaptertext(0), QStringLiteral("left from before\r\n"));
        QCOMPARE(find<QLineEdit>("Text3")->text(), QString());
        QCOMPARE(find<QLineEdit>("Text4")->text(), QStringLiteral(" "));
        QCOMPARE(m_fx.book->batchmode(), 1);
        QVERIFY(m_fx.win->isEnabled());
        QVERIFY(find<QPushButton>("Command16")->isVisible());
        QVERIFY(!find<QPushButton>("Command8")->isVisible());
        QVERIFY(find<QPushButton>("Command9")->isVisible());
        QVERIFY(find<QLabel>("Label10")->isVisible());
        QVERIFY(!find<QLabel>("Label9")->isVisible());
        QCOMPARE(queue()->currentRow(), 2);
    }

    void aBookThatFailsIsNamedAndTheOthersAreMade()
    {
        QVERIFY(m_fx.writeReaderTemplate());
        queueOf({QStringLiteral("good one.txt"), QStringLiteral("vanished.txt"), QStringLiteral("good two.txt")});
        QVERIFY(QFile::remove(path(QStringLiteral("txt/vanished.txt"))));

        click("Command16");
        QTRY_VERIFY_WITH_TIMEOUT(!m_fx.win->busy(), 60000); // the run is on a worker

        QCOMPARE(Dialogs::messages().size(), 1);
        const QString message = Dialogs::messages().at(0);
        QVERIFY2(message.contains(QStringLiteral("vanished")), qPrintable(message));
        QVERIFY2(message.startsWith(QStringLiteral("成功制做2本书")), qPrintable(message));
        // Part of the run failed: the report carries the warning icon.
        QCOMPARE(Dialogs::messageKinds(), QList{Dialogs::Kind::Warning});
        const QDir save(QDir::fromNativeSeparators(defaultSaveFolder(programFolder())));
        QVERIFY(QFileInfo(save.filePath(QStringLiteral("good_one"))).isDir());
        QVERIFY(QFileInfo(save.filePath(QStringLiteral("good_two"))).isDir());
        QVERIFY(!QFileInfo::exists(save.filePath(QStringLiteral("vanished"))));
        QVERIFY(m_fx.win->isEnabled());
    }

    // The folder run makes its books on a project of its own: what the
    // user prepared on the single-book tab is still there afterwards.
    void batchRunLeavesTheSingleBookAlone()
    {
        QVERIFY(m_fx.writeReaderTemplate());
        put(QStringLiteral("txt/batch book.txt"), "batch text\r\n");
        if (QOperatingSystemVersion::currentType() == QOperatingSystemVersion::Windows) {
            put(QStringLiteral("txt/故事.txt"), "story\r\n"); // names are UTF-16 there
        } else {
            // A GBK file name (故事.txt) shows decoded and is made.
            const QByteArray raw = QFile::encodeName(txtFolder()) + "/\xB9\xCA\xCA\xC2.txt";
            FILE* f = std::fopen(raw.constData(), "wb");
            QVERIFY(f);
            std::fputs("story\r\n", f);
            std::fclose(f);
        }
        openOnFolderTab();
        QStringList names = queued();
        names.sort();
        QCOMPARE(names, (QStringList{QStringLiteral("batch book.txt"), QStringLiteral("故事.txt")}));

        find<QTabBar>("TabStrip1")->setCurrentIndex(0);
        find<QLineEdit>("Text3")->setText(QStringLiteral("我的书"));
        m_fx.book->appendChapterName(QStringLiteral("第一章"));
        m_fx.book->appendChapterName(QStringLiteral("第二章"));
        m_fx.book->setChaptertext(0, QStringLiteral("一\r\n")).value();
        m_fx.book->setChaptertext(1, QStringLiteral("二\r\n")).value();
        find<QComboBox>("Combo1")->setCurrentIndex(3);
        m_fx.book->setNum(1);
        find<QTabBar>("TabStrip1")->setCurrentIndex(1);
        click("Command16");
        QTRY_VERIFY_WITH_TIMEOUT(!m_fx.win->busy(), 60000); // the run is on a worker

        QCOMPARE(Dialogs::messages(), QStringList{QStringLiteral("成功制做2本书")});
        const QDir save(QDir::fromNativeSeparators(defaultSaveFolder(programFolder())));
        QVERIFY(QFileInfo(save.filePath(QStringLiteral("batch_book"))).isDir());
        QVERIFY(QFileInfo(save.filePath(QStringLiteral("故事"))).isDir());
        QCOMPARE(m_fx.book->chapterNames(), (QStringList{QStringLiteral("第一章"), QStringLiteral("第二章")}));
        QCOMPARE(find<QListWidget>("List1")->count(), 2);
        QCOMPARE(m_fx.book->chaptertext(0), QStringLiteral("一\r\n"));
        QCOMPARE(m_fx.book->chaptertext(1), QStringLiteral("二\r\n"));
        QCOMPARE(m_fx.book->num(), 1);
        QCOMPARE(find<QLineEdit>("Text3")->text(), QStringLiteral("我的书"));
        QCOMPARE(find<QComboBox>("Combo1")->currentIndex(), 3);
        QCOMPARE(m_fx.book->batchmode(), 1);
    }

    void refusedRunsChangeNothing()
    {
        openOnFolderTab(); // empty folder
        click("Command16");
        QTRY_VERIFY_WITH_TIMEOUT(!m_fx.win->busy(), 60000); // the run is on a worker
        QCOMPARE(Dialogs::messages(), QStringList{QStringLiteral("该文件夹不存在txt文件！")});

        Dialogs::clearRecord();
        find<QLineEdit>("Text2")->setText(QStringLiteral("   "));
        click("Command16");
        QTRY_VERIFY_WITH_TIMEOUT(!m_fx.win->busy(), 60000); // the run is on a worker
        QCOMPARE(Dialogs::messages(), QStringList{QStringLiteral("制作名为空")});
        QCOMPARE(Dialogs::messageKinds(), QList{Dialogs::Kind::Warning});
        QCOMPARE(find<QLineEdit>("Text2")->text(), QString());
        QVERIFY(Dialogs::openedFolders().isEmpty());
        QVERIFY(m_fx.win->isEnabled());
        QVERIFY(find<QPushButton>("Command16")->isVisible());
        QVERIFY(find<QPushButton>("Command9")->isVisible());
    }
};

QTEST_MAIN(MainWindowFolderTest)
#include "MainWindowFolderTest.moc"
