// SPDX-License-Identifier: GPL-3.0-or-later
// The batch import window Form6, opened from the main window's "批量导入"
// and from a stand-in for the wizard's step two: its controls, the file list
// buttons, imports that append or replace, backing out after Yes, capacity
// and a file that vanished after it was listed.
#include "windows/ImportWindow.h"
#include "model/BookProject.h"
#include "windows/Dialogs.h"
#include "windows/MainWindow.h"

#include "MainWindowFixture.h"
#include "TestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include <memory>

using namespace vamo;
using vamo::test::writeFile;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

// A title line and `chapters` headed chapters, UTF-8.
QByteArray novel(int chapters)
{
    QByteArray text = "书名\r\n";
    for (int i = 1; i <= chapters; ++i)
        text += QStringLiteral("第%1回 标题%1\r\n　　第%1回的正文。\r\n").arg(i).toUtf8();
    return text;
}

} // namespace

class ImportWindowTest : public QObject {
    Q_OBJECT

    test::MainWindowFixture m_fx;

    QString path(const QString& rel) const { return m_fx.path(rel); }
    QString txtFolder() const { return path(u("txt")); }
    void put(const QString& name, const QByteArray& bytes)
    {
        QVERIFY(writeFile(QDir(txtFolder()).filePath(name), bytes));
    }

    ImportWindow* form6() const { return m_fx.win->importWindow(); }
    template <class T>
    T* in(QWidget* window, const char* name) const
    {
        return test::findControl<T>(window, name);
    }
    QListWidget* files() const { return in<QListWidget>(form6(), "List1"); }
    QStringList listed() const
    {
        QStringList names;
        for (int i = 0; i < files()->count(); ++i)
            names << files()->item(i)->text();
        return names;
    }
    // Puts `names` in this order into the file list, whatever order the
    // folder lists them in.
    void order(const QStringList& names)
    {
        QCOMPARE(files()->count(), names.size());
        for (int i = 0; i < names.size(); ++i)
            files()->item(i)->setText(names.at(i));
    }
    void click(QWidget* window, const char* name) { QTest::mouseClick(in<QPushButton>(window, name), Qt::LeftButton); }

    void addChapters(const QStringList& names)
    {
        for (const QString& name : names) {
            QVERIFY(m_fx.book->setChaptertext(m_fx.book->chapterCount(), name.toLower()));
            m_fx.book->appendChapterName(name);
        }
    }
    QStringList shownChapters() const
    {
        auto* list = in<QListWidget>(m_fx.win.get(), "List1");
        QStringList names;
        for (int i = 0; i < list->count(); ++i)
            names << list->item(i)->text();
        return names;
    }

    // The main window's "批量导入", answered `answer` when it asks, with
    // the import window showing the TXT folder.
    void openFromMain(Dialogs::Answer answer = Dialogs::Answer::No)
    {
        Dialogs::setNextAnswer(answer);
        click(m_fx.win.get(), "Command10");
        QVERIFY(form6()->isVisible());
        form6()->setFolder(txtFolder());
        Dialogs::clearRecord();
    }
    // Clicks "全部选中" and waits until the import has ended.
    void importAll()
    {
        QSignalSpy finished(form6(), &ImportWindow::importFinished);
        click(form6(), "Command1");
        QVERIFY(form6()->isImporting());
        QVERIFY(!form6()->isEnabled());
        QVERIFY(in<QGroupBox>(form6(), "Frame1")->isVisible());
        QCOMPARE(files()->height(), 66);
        QVERIFY(finished.wait(10000));
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_fx.init(QDateTime(QDate(2026, 6, 1), QTime(9, 0, 0))));
        QVERIFY(QDir().mkpath(txtFolder()));
        QVERIFY(m_fx.open());
    }
    void cleanup() { m_fx.cleanup(); }

    void opensFromTheMainWindowWithItsControls()
    {
        put(u("b.txt"), "b");
        put(u("a.TXT"), "a");
        put(u("notes.md"), "n");
        QVERIFY(QDir().mkpath(QDir(txtFolder()).filePath(u("folder.txt"))));
        m_fx.win->move(40, 30);
        openFromMain();

        QWidget* w = form6();
        QCOMPARE(w->objectName(), u("Form6"));
        QCOMPARE(w->windowTitle(), u("批量导入章节"));
        QCOMPARE(w->frameGeometry().topLeft(), m_fx.win->frameGeometry().topLeft());
        QVERIFY(!m_fx.win->isEnabled());
        QVERIFY(!in<QGroupBox>(w, "Frame1")->isVisible());
        QCOMPARE(in<QGroupBox>(w, "Frame1")->title(), u("进度"));
        QCOMPARE(in<QGroupBox>(w, "Frame2")->title(), u("选择txt文件夹"));
        QCOMPARE(in<QGroupBox>(w, "Frame3")->title(), u("章节命名规则"));
        QCOMPARE(in<QLabel>(w, "Label5")->text(), u("章名："));
        QCOMPARE(in<QLabel>(w, "Label6")->text(), u("字数："));
        QCOMPARE(in<QLabel>(w, "Label7")->text(), u("进度："));
        QVERIFY(in<QWidget>(w, "Shape1") && in<QWidget>(w, "Shape2"));
        QVERIFY(in<QComboBox>(w, "Drive1")->count() > 0);
        QVERIFY(in<QTreeView>(w, "Dir1"));
        const std::pair<const char*, const char*> buttons[] = {{"Command1", "全部选中"},
                                                               {"Command2", "返回"},
                                                               {"Command3", "单项移除"},
                                                               {"Command4", "上移"},
                                                               {"Command5", "下移"}};
        for (const auto& [name, caption] : buttons)
            QCOMPARE(in<QPushButton>(w, name)->text(), u(caption));
        auto* rules = in<QComboBox>(w, "Combo1");
        QCOMPARE(rules->count(), 5);
        QCOMPARE(rules->itemText(0), u("txt文件名"));
        QCOMPARE(rules->itemText(4), u("第?页"));
        QCOMPARE(rules->currentIndex(), 0);
        QCOMPARE(files()->height(), 162);
        QCOMPARE(form6()->importFolder(), QDir::toNativeSeparators(txtFolder()) + QDir::separator());

        // The TXT files only, letter case ignored, folders skipped.
        QStringList names = listed();
        names.sort();
        QCOMPARE(names, (QStringList{u("a.TXT"), u("b.txt")}));

        // The rule chosen last time does not survive the next opening.
        rules->setCurrentIndex(3);
        click(w, "Command2");
        QVERIFY(m_fx.win->isEnabled());
        QVERIFY(!w->isVisible());
        openFromMain();
        QCOMPARE(form6(), w);
        QCOMPARE(rules->currentIndex(), 0);
    }

    // The files of a folder in reading order: numbers by their value,
    // Chinese by pinyin (bei, di, xi); the folder's path under the tree; the tree not
    // scrolled sideways.
    void filesAreListedInReadingOrder()
    {
        for (const char* name :
             {"100.txt", "10.txt", "2.txt", "1.txt", "西安.txt", "北京.txt", "第10章.txt", "第9章.txt"})
            put(u(name), "x");
        openFromMain();
        QCOMPARE(listed(), (QStringList{u("1.txt"), u("2.txt"), u("10.txt"), u("100.txt"), u("北京.txt"),
                                        u("第9章.txt"), u("第10章.txt"), u("西安.txt")}));
        QCOMPARE(in<QLineEdit>(form6(), "TxtFolderPath")->text(), QDir::toNativeSeparators(txtFolder()));
        QCOMPARE(in<QTreeView>(form6(), "Dir1")->horizontalScrollBar()->value(), 0);
        // One file is a list of one.
        QVERIFY(QDir(txtFolder()).removeRecursively() && QDir().mkpath(txtFolder()));
        put(u("只有一个.txt"), "x");
        form6()->Dir1_Change();
        QCOMPARE(listed(), QStringList{u("只有一个.txt")});
    }

    // Several files selected go at once with Delete (the files stay); the
    // context menu puts the list back in reading order.
    void severalFilesAreRemovedAndTheListSortedByName()
    {
        for (const char* name : {"1.txt", "2.txt", "3.txt", "10.txt"})
            put(u(name), "x");
        openFromMain();
        order({u("10.txt"), u("3.txt"), u("2.txt"), u("1.txt")});
        auto* sort = files()->findChild<QAction*>(QStringLiteral("sortByName"));
        QVERIFY(sort && files()->actions().contains(sort));
        QCOMPARE(sort->text(), u("按文件名排序"));
        sort->trigger();
        QCOMPARE(listed(), (QStringList{u("1.txt"), u("2.txt"), u("3.txt"), u("10.txt")}));

        QCOMPARE(files()->dragDropMode(), QAbstractItemView::InternalMove);
        files()->setCurrentRow(1);
        files()->item(3)->setSelected(true);
        QTest::keyClick(files(), Qt::Key_Delete);
        QCOMPARE(listed(), (QStringList{u("1.txt"), u("3.txt")}));
        QCOMPARE(files()->currentRow(), 1);
        QVERIFY(Dialogs::messages().isEmpty());
        QVERIFY(QFileInfo::exists(QDir(txtFolder()).filePath(u("10.txt"))));
    }

    void removeUpAndDownDecideTheChapterOrder()
    {
        for (const char* name : {"one.txt", "two.txt", "three.txt", "four.txt"})
            put(u(name), QByteArray(name));
        openFromMain();
        order({u("one.txt"), u("two.txt"), u("three.txt"), u("four.txt")});
        QWidget* w = form6();

        click(w, "Command5"); // nothing selected
        click(w, "Command3");
        QCOMPARE(listed(), (QStringList{u("one.txt"), u("two.txt"), u("three.txt"), u("four.txt")}));
        files()->setCurrentRow(0);
        click(w, "Command4"); // first: stays
        QCOMPARE(listed().first(), u("one.txt"));
        click(w, "Command5");
        QCOMPARE(listed(), (QStringList{u("two.txt"), u("one.txt"), u("three.txt"), u("four.txt")}));
        QCOMPARE(files()->currentRow(), 1);
        files()->setCurrentRow(3);
        click(w, "Command5"); // last: stays
        click(w, "Command4");
        QCOMPARE(listed(), (QStringList{u("two.txt"), u("one.txt"), u("four.txt"), u("three.txt")}));
        QCOMPARE(files()->currentRow(), 2);
        files()->setCurrentRow(3);
        click(w, "Command3"); // the last of several: the new last is selected
        QCOMPARE(files()->currentRow(), 2);
        files()->setCurrentRow(0);
        click(w, "Command3"); // the next one moves into its place
        QCOMPARE(listed(), (QStringList{u("one.txt"), u("four.txt")}));
        QCOMPARE(files()->currentRow(), 0);
        QVERIFY(QFileInfo::exists(QDir(txtFolder()).filePath(u("two.txt"))));

        // What the progress display shows when the import ends: the final
        // count and a full bar, whatever the last report said.
        QString count, name, progress;
        int fill = 0;
        int full = -1;
        connect(form6(), &ImportWindow::importFinished, this, [&] {
            count = in<QGroupBox>(form6(), "Frame1")->title();
            name = in<QLabel>(form6(), "Label5")->text();
            progress = in<QLabel>(form6(), "Label7")->text();
            fill = in<QWidget>(form6(), "Shape2")->width();
            full = in<QWidget>(form6(), "Shape1")->contentsRect().width();
        });
        importAll();
        QCOMPARE(count, u("导入章数：2/2"));
        QCOMPARE(progress, u("进度：100.00%"));
        QCOMPARE(fill, full);
        QVERIFY2(name == u("章名：one") || name == u("章名：four"), qPrintable(name));
        QCOMPARE(m_fx.book->chapterNames(), (QStringList{u("one"), u("four")}));
        QCOMPARE(m_fx.book->chaptertext(1), u("four.txt\r\n\r\n"));
    }

    void importAppendsToTheChaptersAndUnloads()
    {
        addChapters({u("A"), u("B")});
        put(u("x.txt"), "\xd6\xd0\xce\xc4\r\n"); // GBK
        put(u("y.txt"), "y1\r\ny2");
        put(u("z.txt"), "");
        openFromMain(Dialogs::Answer::No);
        QCOMPARE(m_fx.book->num(), 2);
        order({u("z.txt"), u("x.txt"), u("y.txt")});
        QPointer<ImportWindow> old = form6();
        QSignalSpy returned(old.data(), &ImportWindow::returned);

        importAll();

        QCOMPARE(m_fx.book->chapterNames(), (QStringList{u("A"), u("B"), u("z"), u("x"), u("y")}));
        QCOMPARE(shownChapters(), m_fx.book->chapterNames());
        QCOMPARE(m_fx.book->chaptertext(1), u("b"));
        QCOMPARE(m_fx.book->chaptertext(2), u("\r\n"));
        QCOMPARE(m_fx.book->chaptertext(3), u("中文\r\n\r\n"));
        QCOMPARE(m_fx.book->chaptertext(4), u("y1\r\ny2\r\n\r\n"));
        QCOMPARE(m_fx.book->num(), 5);
        QVERIFY(Dialogs::messages().isEmpty());
        QCOMPARE(returned.count(), 1);
        QVERIFY(m_fx.win->isEnabled());
        // A fresh window next time, on the folder it showed last.
        QTRY_VERIFY(!old);
        QVERIFY(!form6()->isVisible());
        QCOMPARE(form6()->importFolder(), QDir::toNativeSeparators(txtFolder()) + QDir::separator());
        QCOMPARE(listed(), (QStringList{u("x.txt"), u("y.txt"), u("z.txt")}));
    }

    void yesReplacesTheChaptersWhenTheImportRuns()
    {
        addChapters({u("A"), u("B"), u("C")});
        put(u("p.txt"), "p");
        put(u("q.txt"), "q");
        openFromMain(Dialogs::Answer::Yes);
        QCOMPARE(m_fx.book->chapterCount(), 3); // not yet
        in<QComboBox>(form6(), "Combo1")->setCurrentIndex(1);
        order({u("q.txt"), u("p.txt")});

        importAll();

        QCOMPARE(m_fx.book->chapterNames(), (QStringList{u("第1章"), u("第2章")}));
        QCOMPARE(shownChapters(), m_fx.book->chapterNames());
        QCOMPARE(m_fx.book->chaptertext(0), u("q\r\n\r\n"));
        QCOMPARE(m_fx.book->chaptertext(1), u("p\r\n\r\n"));
        QCOMPARE(m_fx.book->num(), 2);
    }

    void backingOutAfterYesKeepsTheChapters()
    {
        addChapters({u("A"), u("B")});
        put(u("p.txt"), "p");

        // Yes, then the close box: everything stays, the window is unloaded.
        openFromMain(Dialogs::Answer::Yes);
        QPointer<ImportWindow> first = form6();
        first->close();
        QCOMPARE(m_fx.book->chapterNames(), (QStringList{u("A"), u("B")}));
        QCOMPARE(m_fx.book->chaptertext(0), u("a"));
        QCOMPARE(shownChapters(), m_fx.book->chapterNames());
        QVERIFY(m_fx.win->isEnabled());
        QTRY_VERIFY(!first);

        // Yes, then back; then No and an import: appended, not replaced.
        openFromMain(Dialogs::Answer::Yes);
        click(form6(), "Command2");
        QCOMPARE(m_fx.book->chapterCount(), 2);
        QVERIFY(m_fx.win->isEnabled());
        openFromMain(Dialogs::Answer::No);
        importAll();
        QCOMPARE(m_fx.book->chapterNames(), (QStringList{u("A"), u("B"), u("p")}));
    }

    void anEmptyListOrAFullBookChangesNothing()
    {
        openFromMain();
        click(form6(), "Command1");
        QCOMPARE(Dialogs::messages(), QStringList{u("该文件夹不存在TXT文件！")});
        QVERIFY(form6()->isVisible());
        QVERIFY(!form6()->isImporting());
        click(form6(), "Command2");

        for (int i = 0; i < 1000; ++i)
            m_fx.book->appendChapterName(QString::number(i));
        put(u("late.txt"), "late");
        openFromMain(Dialogs::Answer::No);
        click(form6(), "Command1");
        QCOMPARE(Dialogs::messages(),
                 QStringList{u("成功导入0章，以下文件未导入：\nlate.txt：章节数量达到上限（1000）")});
        QCOMPARE(m_fx.book->chapterCount(), 1000);
        QVERIFY(form6()->isVisible());
        QVERIFY(form6()->isEnabled());
    }

    void aFullerBookTakesWhatFitsAndSaysWhatNot()
    {
        for (int i = 0; i < 998; ++i)
            m_fx.book->appendChapterName(QString::number(i));
        for (const char* name : {"f1.txt", "f2.txt", "f3.txt", "f4.txt"})
            put(u(name), QByteArray(name));
        openFromMain(Dialogs::Answer::No);
        order({u("f1.txt"), u("f2.txt"), u("f3.txt"), u("f4.txt")});
        in<QComboBox>(form6(), "Combo1")->setCurrentIndex(2);

        importAll();

        QCOMPARE(m_fx.book->chapterCount(), 1000);
        QCOMPARE(m_fx.book->chapterNames().mid(998), (QStringList{u("第999节"), u("第1000节")}));
        QCOMPARE(m_fx.book->chaptertext(999), u("f2.txt\r\n\r\n"));
        QCOMPARE(Dialogs::messages(),
                 QStringList{u("成功导入2章，以下文件未导入：\n章节数量达到上限（1000）：f3.txt 至 f4.txt 共2个文件")});
        QVERIFY(m_fx.win->isEnabled());
    }

    void aVanishedFileLeavesBothListsAndIsNamed()
    {
        addChapters({u("A")});
        for (const char* name : {"v1.txt", "v2.txt", "v3.txt"})
            put(u(name), QByteArray(name));
        openFromMain(Dialogs::Answer::No);
        order({u("v1.txt"), u("v2.txt"), u("v3.txt")});
        in<QComboBox>(form6(), "Combo1")->setCurrentIndex(1);
        QVERIFY(QFile::remove(QDir(txtFolder()).filePath(u("v2.txt"))));

        importAll();

        QCOMPARE(m_fx.book->chapterNames(), (QStringList{u("A"), u("第2章"), u("第3章")}));
        QCOMPARE(shownChapters(), m_fx.book->chapterNames());
        QCOMPARE(m_fx.book->chaptertext(1), u("v1.txt\r\n\r\n"));
        QCOMPARE(m_fx.book->chaptertext(2), u("v3.txt\r\n\r\n"));
        QVERIFY(m_fx.book->chaptertext(3).isEmpty());
        QCOMPARE(m_fx.book->num(), 3);
        QCOMPARE(Dialogs::messages(), QStringList{u("成功导入2章，以下文件未导入：\nv2.txt：文件不存在")});
    }

    void onlyVanishedFilesKeepTheWindowAndTheBook()
    {
        addChapters({u("A")});
        put(u("gone.txt"), "g");
        openFromMain(Dialogs::Answer::Yes);
        QVERIFY(QFile::remove(QDir(txtFolder()).filePath(u("gone.txt"))));
        importAll();
        QCOMPARE(Dialogs::messages(), QStringList{u("成功导入0章，以下文件未导入：\ngone.txt：文件不存在")});
        QCOMPARE(m_fx.book->chapterNames(), QStringList{u("A")});
        QVERIFY(form6()->isVisible());
        QVERIFY(form6()->isEnabled());
        QVERIFY(!m_fx.win->isEnabled());
        QCOMPARE(files()->height(), 162);
    }

    void theCheckBoxSplitsFilesAtTheirHeadings()
    {
        addChapters({u("A")});
        put(u("红.txt"), novel(3));
        put(u("短.txt"), "没有标题的短文");
        openFromMain(Dialogs::Answer::No);
        auto* split = in<QCheckBox>(form6(), "Check1");
        QCOMPARE(split->text(), u("按章节标题拆分"));
        QVERIFY(!split->isChecked());
        order({u("红.txt"), u("短.txt")});

        // Off: one chapter per file, as always.
        importAll();
        QCOMPARE(m_fx.book->chapterNames(), (QStringList{u("A"), u("红"), u("短")}));
        const QString whole = m_fx.book->chaptertext(1);
        QVERIFY(whole.startsWith(u("书名\r\n第1回 标题1\r\n")));
        QVERIFY(Dialogs::messages().isEmpty());

        // On, rule 0: the headings name the chapters; the texts are the file's.
        openFromMain(Dialogs::Answer::No);
        split = in<QCheckBox>(form6(), "Check1");
        QVERIFY(!split->isChecked()); // a fresh window
        order({u("红.txt"), u("短.txt")});
        split->setChecked(true);
        importAll();
        QCOMPARE(m_fx.book->chapterNames().mid(3),
                 (QStringList{u("第1回 标题1"), u("第2回 标题2"), u("第3回 标题3"), u("短")}));
        QCOMPARE(shownChapters(), m_fx.book->chapterNames());
        QString joined;
        for (int i = 3; i < 6; ++i)
            joined += m_fx.book->chaptertext(i).chopped(2);
        QCOMPARE(joined + u("\r\n"), whole);
        QCOMPARE(m_fx.book->num(), 7);
        QVERIFY(m_fx.win->isEnabled());

        // On, a numbered rule: every chapter numbered on; off again next time.
        openFromMain(Dialogs::Answer::No);
        order({u("红.txt"), u("短.txt")});
        in<QComboBox>(form6(), "Combo1")->setCurrentIndex(1);
        in<QCheckBox>(form6(), "Check1")->setChecked(true);
        click(form6(), "Command2");
        openFromMain(Dialogs::Answer::No);
        QVERIFY(!in<QCheckBox>(form6(), "Check1")->isChecked());
        in<QComboBox>(form6(), "Combo1")->setCurrentIndex(1);
        in<QCheckBox>(form6(), "Check1")->setChecked(true);
        importAll();
        QCOMPARE(m_fx.book->chapterNames().mid(7), (QStringList{u("第8章"), u("第9章"), u("第10章"), u("第11章")}));
    }

    void theHeadingRuleAndTheOptionsApplyToEveryFile()
    {
        put(u("繁.txt"), u("卷一 開始\r\n  內容一。\r\n卷二 結束\r\n內容二。\r\n第1回 不算\r\n").toUtf8());
        openFromMain(Dialogs::Answer::No);
        in<QCheckBox>(form6(), "Check1")->setChecked(true);
        auto* rule = in<QLineEdit>(form6(), "Text1");
        QCOMPARE(in<QLabel>(form6(), "Label8")->text(), u("章节标题规则"));

        // A rule that cannot be used is told as the command line tells it; nothing is read.
        rule->setText(u("卷("));
        click(form6(), "Command1");
        QVERIFY(!form6()->isImporting());
        QCOMPARE(Dialogs::messages().size(), 1);
        QVERIFY(Dialogs::messages().first().startsWith(u("章节标题规则无效：")));
        QCOMPARE(m_fx.book->chapterCount(), 0);
        Dialogs::clearRecord();

        rule->setText(u("^卷"));
        in<QCheckBox>(form6(), "Check2")->setChecked(true);
        in<QCheckBox>(form6(), "Check3")->setChecked(true);
        importAll();
        QCOMPARE(m_fx.book->chapterNames(), (QStringList{u("卷一 开始"), u("卷二 结束")}));
        QCOMPARE(m_fx.book->chaptertext(1), u("卷二 结束\r\n　　内容二。\r\n　　第1回 不算\r\n\r\n"));
        QVERIFY(Dialogs::messages().isEmpty());
    }

    void splitChaptersFromTheWizardMergeIntoTwentyAndSaySo()
    {
        QWidget stepTwo(nullptr, Qt::Window);
        stepTwo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&stepTwo));
        m_fx.book->setFrame(5);
        m_fx.win->setEnabled(false);
        addChapters({u("A"), u("B")});
        put(u("长.txt"), novel(36));
        Dialogs::setNextAnswer(Dialogs::Answer::No);
        m_fx.win->openBatchImport(&stepTwo);
        form6()->setFolder(txtFolder());
        Dialogs::clearRecord();
        in<QCheckBox>(form6(), "Check1")->setChecked(true);

        importAll();

        QCOMPARE(m_fx.book->chapterCount(), 20);
        QCOMPARE(m_fx.book->chapterNames().at(2), u("第1回 标题1"));
        QCOMPARE(m_fx.book->chapterNames().at(3), u("第3回 标题3"));
        QCOMPARE(m_fx.book->chapterNames().at(19), u("第35回 标题35"));
        QCOMPARE(Dialogs::messages(), QStringList{u("检测到36章，超过上限18章，已每2章合并为一章，共18章")});
        QVERIFY(m_fx.book->chaptertext(19).endsWith(u("第36回的正文。\r\n\r\n")));
        QVERIFY(stepTwo.isEnabled());
        m_fx.book->setFrame(0);
    }

    void fromTheWizardItReturnsThereWithinTwentyChapters()
    {
        // Stands in for the wizard's step two: a window that shows the
        // book's chapters and opens the import through the main window.
        QWidget stepTwo(nullptr, Qt::Window);
        stepTwo.resize(300, 200);
        stepTwo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&stepTwo));
        m_fx.book->setFrame(5);
        m_fx.win->setEnabled(false);
        stepTwo.setEnabled(true);
        m_fx.win->setGeometry(100, 100, 800, 600);

        // A list left from an earlier visit stays as it was.
        for (int i = 0; i < 18; ++i)
            m_fx.book->appendChapterName(QString::number(i));
        for (const char* name : {"w1.txt", "w2.txt", "w3.txt"})
            put(u(name), QByteArray(name));
        form6()->setFolder(txtFolder());
        order({u("w1.txt"), u("w2.txt"), u("w3.txt")});
        put(u("w4.txt"), "not listed");
        Dialogs::setNextAnswer(Dialogs::Answer::No);
        m_fx.win->openBatchImport(&stepTwo);
        QCOMPARE(listed(), (QStringList{u("w1.txt"), u("w2.txt"), u("w3.txt")}));
        QCOMPARE(Dialogs::messages(), QStringList{u("是否清空已有的章节")});
        Dialogs::clearRecord();
        QCOMPARE(m_fx.book->num(), 18);
        QVERIFY(!stepTwo.isEnabled());
        QVERIFY(!m_fx.win->isEnabled());
        // Stacked at the bottom of the main window, centred on it, Form6 above.
        const QRect main = m_fx.win->frameGeometry();
        QCOMPARE(stepTwo.frameGeometry().bottom(), main.bottom());
        QCOMPARE(stepTwo.frameGeometry().center().x(), main.center().x());
        QCOMPARE(form6()->frameGeometry().bottom() + 1, stepTwo.frameGeometry().top());
        QVERIFY(qAbs(form6()->frameGeometry().center().x() - main.center().x()) <= 1);

        importAll();

        QCOMPARE(m_fx.book->chapterCount(), 20);
        QCOMPARE(m_fx.book->chapterNames().mid(18), (QStringList{u("w1"), u("w2")}));
        QCOMPARE(Dialogs::messages(), QStringList{u("成功导入2章，以下文件未导入：\nw3.txt：章节数量达到上限（20）")});
        QVERIFY(stepTwo.isVisible());
        QVERIFY(stepTwo.isEnabled());
        QVERIFY(!m_fx.win->isEnabled());
        m_fx.book->setFrame(0);
    }

    void backFromTheWizardsImport()
    {
        QWidget stepTwo(nullptr, Qt::Window);
        stepTwo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&stepTwo));
        m_fx.book->setFrame(5);
        m_fx.win->setEnabled(false);
        m_fx.win->openBatchImport(&stepTwo);
        QVERIFY(Dialogs::messages().isEmpty()); // no chapters: no question
        QCOMPARE(m_fx.book->num(), 0);
        click(form6(), "Command2");
        QVERIFY(stepTwo.isEnabled());
        QVERIFY(!m_fx.win->isEnabled());
        QVERIFY(!form6()->isVisible());

        m_fx.win->openBatchImport(&stepTwo);
        QPointer<ImportWindow> w = form6();
        w->close();
        QVERIFY(stepTwo.isEnabled());
        QVERIFY(!m_fx.win->isEnabled());
        QTRY_VERIFY(!w);
        m_fx.book->setFrame(0);
    }
};

QTEST_MAIN(ImportWindowTest)
#include "ImportWindowTest.moc"
