// SPDX-License-Identifier: GPL-3.0-or-later
// Chapters from dropped TXT files: the main window's chapter list with the
// preview "分章预览", the chapter editor, and the folder tab's folder drop and
// its check box "按章节拆分".
#include "model/BookProject.h"
#include "startup/ProgramFolder.h"
#include "windows/ChapterEditor.h"
#include "windows/ChapterPreview.h"
#include "windows/Dialogs.h"
#include "windows/MainWindow.h"
#include "windows/WizardStepOne.h"
#include "windows/WizardStepTwo.h"

#include "MainWindowFixture.h"
#include "TestSupport.h"
#include "ZipTestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>

#include <memory>

using namespace vamo;
using vamo::test::writeFile;

namespace {

QString u(const char* s) { return QString::fromUtf8(s); }

// A novel of `chapters` headed chapters after a title line, as UTF-8 bytes,
// and its text as the TXT reading gives it.
QString novel(int chapters)
{
    QString text = u("书名\r\n");
    for (int i = 1; i <= chapters; ++i)
        text += u("第%1章 标题%1\r\n　　第%1章的正文。\r\n").arg(i);
    return text;
}

// Drags `urls` over `target` and drops them; false when the drag was refused.
// `text`: what the drag also offers as text, as a file manager does.
bool dropOn(QWidget* target, const QList<QUrl>& urls, const QString& text = {})
{
    QMimeData mime;
    mime.setUrls(urls);
    if (!text.isEmpty())
        mime.setText(text);
    const QPoint at(5, 5);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

} // namespace

class ChapterDropTest : public QObject {
    Q_OBJECT

    test::MainWindowFixture m_fx;

    QString path(const QString& rel) const { return m_fx.path(rel); }
    QString programFolder() const { return m_fx.programFolder(); }
    QUrl put(const QString& rel, const QString& text)
    {
        const QString p = path(rel);
        if (!writeFile(p, text.toUtf8()))
            qFatal("cannot write %s", qPrintable(p));
        return QUrl::fromLocalFile(p);
    }
    template <class T>
    T* find(QWidget* in, const char* name) const
    {
        return test::findControl<T>(in, name);
    }
    QWidget* chapterListArea() const { return find<QListWidget>(m_fx.win, "List1")->viewport(); }
    void open() { QVERIFY(m_fx.open()); }
    void addExisting(int count)
    {
        for (int i = 0; i < count; ++i) {
            QVERIFY(m_fx.book->setChaptertext(i, u("旧%1\r\n").arg(i)));
            m_fx.book->appendChapterName(u("旧%1").arg(i));
        }
    }
    // The preview after a drop, once the files are read.
    ChapterPreview* waitForPreview()
    {
        ChapterPreview* preview = m_fx.win->chapterPreview();
        if (!QTest::qWaitFor([&] { return !m_fx.win->busy() && preview->isVisible(); }))
            qWarning("the preview did not open");
        return preview;
    }
    QStringList previewRows(ChapterPreview* preview, int column) const
    {
        QStringList rows;
        auto* list = find<QTreeWidget>(preview, "List1");
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            rows << list->topLevelItem(i)->text(column);
        return rows;
    }

private Q_SLOTS:
    void init() { QVERIFY(m_fx.init(QDateTime(QDate(2026, 5, 1), QTime(8, 0, 0)))); }
    void cleanup() { m_fx.cleanup(); }

    void previewListsTheChaptersAndAcceptAppendsThem()
    {
        open();
        addExisting(1);
        const QUrl file = put(QStringLiteral("西游记.txt"), novel(3));
        QVERIFY(dropOn(chapterListArea(), {file}));
        // The file is read on a worker thread; the window waits, busy, for it.
        QVERIFY(m_fx.win->busy());
        QVERIFY(!m_fx.win->isEnabled());
        QVERIFY(find<QLabel>(m_fx.win, "Label9")->text().startsWith(u("导入文件")));
        QVERIFY(!dropOn(chapterListArea(), {file}));

        ChapterPreview* preview = waitForPreview();
        QVERIFY(preview->isVisible());
        QCOMPARE(preview->windowTitle(), u("分章预览"));
        QCOMPARE(preview->objectName(), QStringLiteral("Form7"));
        QVERIFY(!m_fx.win->isEnabled());
        QCOMPARE(previewRows(preview, 1), QStringList({u("第1章 标题1"), u("第2章 标题2"), u("第3章 标题3")}));
        // The title line belongs to the first chapter: 4 + 20 characters.
        QCOMPARE(previewRows(preview, 2), QStringList({u("24"), u("20"), u("20")}));
        QCOMPARE(find<QLabel>(preview, "Label1")->text(), u("共检测到3章"));
        QCOMPARE(m_fx.book->chapterCount(), 1); // nothing before the choice

        QTest::mouseClick(find<QPushButton>(preview, "Command1"), Qt::LeftButton);
        QVERIFY(!preview->isVisible());
        QVERIFY(m_fx.win->isEnabled());
        QCOMPARE(m_fx.book->chapterNames(),
                 QStringList({u("旧0"), u("第1章 标题1"), u("第2章 标题2"), u("第3章 标题3")}));
        QCOMPARE(find<QListWidget>(m_fx.win, "List1")->count(), 4);
        QCOMPARE(m_fx.book->chaptertext(1), u("书名\r\n第1章 标题1\r\n　　第1章的正文。\r\n\r\n"));
        QCOMPARE(m_fx.book->chaptertext(3), u("第3章 标题3\r\n　　第3章的正文。\r\n\r\n"));
        QCOMPARE(m_fx.book->chaptertext(0), u("旧0\r\n"));
        QVERIFY(Dialogs::messages().isEmpty());
    }

    void previewCorrectsTheChaptersAndDetectsAgainUnderItsRules()
    {
        open();
        const QUrl file = put(QStringLiteral("西游记.txt"), novel(4));
        QVERIFY(dropOn(chapterListArea(), {file}));
        ChapterPreview* preview = waitForPreview();
        auto* list = find<QTreeWidget>(preview, "List1");
        auto* label = find<QLabel>(preview, "Label1");

        // Unticked, the second chapter joins the first; the counts follow.
        list->topLevelItem(1)->setCheckState(1, Qt::Unchecked);
        QCOMPARE(previewRows(preview, 2), QStringList({u("44"), u("20"), u("20"), u("20")}));
        QCOMPARE(label->text(), u("共检测到3章"));
        list->topLevelItem(3)->setText(1, u("  改过的名字 "));

        // A rule that cannot be used is told and stops the split import.
        auto* rule = find<QLineEdit>(preview, "Text1");
        rule->setText(u("第("));
        QTRY_VERIFY(label->text().startsWith(u("章节标题规则无效：")));
        QVERIFY(!find<QPushButton>(preview, "Command1")->isEnabled());
        // A rule that takes only some headings: detected again (on the
        // worker; typing on meanwhile detects once more at its end).
        rule->setText(u("^第[13"));
        rule->setText(u("^第[13]章"));
        QTRY_COMPARE(previewRows(preview, 1), QStringList({u("第1章 标题1"), u("第3章 标题3")}));
        QTRY_VERIFY(find<QPushButton>(preview, "Command1")->isEnabled());
        rule->clear();
        QTRY_COMPARE(previewRows(preview, 1).size(), 4);
        QTRY_VERIFY(find<QPushButton>(preview, "Command1")->isEnabled());

        list->topLevelItem(1)->setCheckState(1, Qt::Unchecked);
        list->topLevelItem(3)->setText(1, u("  改过的名字 "));
        QTest::mouseClick(find<QPushButton>(preview, "Command1"), Qt::LeftButton);
        QCOMPARE(m_fx.book->chapterNames(), QStringList({u("第1章 标题1"), u("第3章 标题3"), u("改过的名字")}));
        QCOMPARE(m_fx.book->chaptertext(0),
                 u("书名\r\n第1章 标题1\r\n　　第1章的正文。\r\n第2章 标题2\r\n　　第2章的正文。\r\n\r\n"));

        // The options make the text simplified and tidy before it is split.
        const QUrl traditional =
            put(QStringLiteral("繁體.txt"), u("第一章 開始\r\n  內容。\r\n第二章 結束\r\n內容。\r\n"));
        QVERIFY(dropOn(chapterListArea(), {traditional}));
        preview = waitForPreview();
        find<QCheckBox>(preview, "Check2")->setChecked(true);
        QTRY_COMPARE(previewRows(preview, 1), QStringList({u("第一章 开始"), u("第二章 结束")}));
        find<QCheckBox>(preview, "Check1")->setChecked(true);
        QTRY_VERIFY(find<QPushButton>(preview, "Command1")->isEnabled());
        QTest::mouseClick(find<QPushButton>(preview, "Command1"), Qt::LeftButton);
        QCOMPARE(m_fx.book->chaptertext(4), u("第二章 结束\r\n　　内容。\r\n\r\n"));
        find<QCheckBox>(preview, "Check1")->setChecked(false);
        find<QCheckBox>(preview, "Check2")->setChecked(false);
        QVERIFY(Dialogs::messages().isEmpty());
    }

    void previewTakesTheFileWholeOrCancels()
    {
        open();
        const QUrl file = put(QStringLiteral("红楼梦.txt"), novel(2));

        QVERIFY(dropOn(chapterListArea(), {file}));
        ChapterPreview* preview = waitForPreview();
        QCOMPARE(find<QPushButton>(preview, "Command2")->text(), u("作为一章导入"));
        QTest::mouseClick(find<QPushButton>(preview, "Command3"), Qt::LeftButton);
        QCOMPARE(m_fx.book->chapterCount(), 0);
        QVERIFY(m_fx.win->isEnabled());

        // The close box cancels too.
        QVERIFY(dropOn(chapterListArea(), {file}));
        waitForPreview()->close();
        QCOMPARE(m_fx.book->chapterCount(), 0);
        QVERIFY(m_fx.win->isEnabled());
        QVERIFY(dropOn(chapterListArea(), {file}));
        QTest::keyClick(waitForPreview(), Qt::Key_Escape);
        QCOMPARE(m_fx.book->chapterCount(), 0);
        QVERIFY(m_fx.win->isEnabled());

        QVERIFY(dropOn(chapterListArea(), {file}));
        QTest::mouseClick(find<QPushButton>(waitForPreview(), "Command2"), Qt::LeftButton);
        QCOMPARE(m_fx.book->chapterNames(), QStringList{u("红楼梦")});
        QCOMPARE(m_fx.book->chaptertext(0), novel(2) + u("\r\n"));
    }

    void filesWithoutHeadingsAreAppendedOneChapterEach()
    {
        open();
        addExisting(2);
        const QUrl a = put(QStringLiteral("甲 篇.txt"), u("没有标题的短文\r\n"));
        const QUrl b = put(QStringLiteral("b.TXT"), u("another\r\nfile"));
        QVERIFY(dropOn(chapterListArea(), {a, QUrl::fromLocalFile(path(QStringLiteral("missing.md"))), b}));
        QVERIFY(QTest::qWaitFor([&] { return m_fx.book->chapterCount() == 4; }));
        QVERIFY(!m_fx.win->chapterPreview()->isVisible());
        QCOMPARE(m_fx.book->chapterNames(), QStringList({u("旧0"), u("旧1"), u("甲 篇"), u("b")}));
        QCOMPARE(m_fx.book->chaptertext(3), u("another\r\nfile\r\n\r\n"));
        QVERIFY(m_fx.win->isEnabled());

        // Nothing that is a TXT file: nothing comes in, and the user is told.
        put(QStringLiteral("notes.md"), u("x"));
        Dialogs::clearRecord();
        QVERIFY(dropOn(chapterListArea(), {QUrl::fromLocalFile(path(QStringLiteral("notes.md")))}));
        QVERIFY(QTest::qWaitFor([] { return !Dialogs::messages().isEmpty(); }));
        QCOMPARE(Dialogs::messages(), QStringList{u("以下文件未能导入：\n不是TXT文件：") +
                                                  QDir::toNativeSeparators(path(QStringLiteral("notes.md")))});
        QCOMPARE(m_fx.book->chapterCount(), 4);
        // Nothing local: the drag is refused.
        QVERIFY(!dropOn(chapterListArea(), {QUrl(QStringLiteral("https://example.com/a.txt"))}));
    }

    // 001.txt, a binary file named .txt, 002.txt and a picture: both TXT
    // files come in, in reading order, and one warning names the other two,
    // each with its reason.
    void aMixedDropAddsEveryReadableTxtFileAndNamesTheRefused()
    {
        open();
        const QUrl one = put(QStringLiteral("001.txt"), u("第一篇\r\n"));
        const QString binary = path(u("坏.txt"));
        QVERIFY(writeFile(binary, QByteArray("PK\x03\x04\x00\x00\x01\x02\x00\x00\x00\x07", 12).repeated(50)));
        const QUrl two = put(QStringLiteral("002.txt"), u("第二篇\r\n"));
        const QString picture = path(u("封面.png"));
        QVERIFY(writeFile(picture, QByteArray("\x89PNG\r\n\x1a\n\x00\x00", 10)));
        // Handed over as Explorer does, the file the drag started on first:
        // they come in reading order all the same.
        QVERIFY(dropOn(chapterListArea(), {two, QUrl::fromLocalFile(binary), one, QUrl::fromLocalFile(picture)}));
        QVERIFY(QTest::qWaitFor([&] { return !m_fx.win->busy() && m_fx.win->isEnabled(); }));
        QCOMPARE(m_fx.book->chapterNames(), QStringList({u("001"), u("002")}));
        QCOMPARE(m_fx.book->chaptertext(0), u("第一篇\r\n\r\n"));
        QCOMPARE(m_fx.book->chaptertext(1), u("第二篇\r\n\r\n"));
        QCOMPARE(Dialogs::messages(),
                 QStringList{u("以下文件未能导入：\n不是TXT文件：") + QDir::toNativeSeparators(picture) +
                             u("\n不是文本文件：") + QDir::toNativeSeparators(binary)});
        QCOMPARE(Dialogs::messageKinds(), QList<Dialogs::Kind>{Dialogs::Kind::Warning});
        // Two files on a book without a name do not name it.
        QCOMPARE(m_fx.book->settings().bookName, QString());
    }

    // A single TXT file dropped on an empty book without a name names it;
    // a book with chapters or a typed name keeps its name. Dropped on the
    // settings frame instead of the list, it comes in just the same.
    void aSingleFileNamesAnEmptyBookAndDropsWorkAnywhere()
    {
        open();
        QVERIFY(dropOn(find<QGroupBox>(m_fx.win, "Frame1"), {put(u("山居 杂记.txt"), u("正文\r\n"))}));
        QVERIFY(QTest::qWaitFor([&] { return m_fx.book->chapterCount() == 1; }));
        QCOMPARE(m_fx.book->settings().bookName, u("山居 杂记"));
        QCOMPARE(find<QLineEdit>(m_fx.win, "Text3")->text(), u("山居 杂记"));

        m_fx.book->setBookName(QString());
        QVERIFY(dropOn(chapterListArea(), {put(u("二.txt"), u("正文\r\n"))}));
        QVERIFY(QTest::qWaitFor([&] { return m_fx.book->chapterCount() == 2; }));
        QCOMPARE(m_fx.book->settings().bookName, QString()); // the book had chapters

        Dialogs::setNextAnswer(Dialogs::Answer::Yes);
        find<QAction>(m_fx.win, "menu_one_1")->trigger();
        m_fx.book->setBookName(u("我的书"));
        QVERIFY(dropOn(chapterListArea(), {put(u("三.txt"), u("正文\r\n"))}));
        QVERIFY(QTest::qWaitFor([&] { return m_fx.book->chapterCount() == 1; }));
        QCOMPARE(m_fx.book->settings().bookName, u("我的书"));
    }

    // A file manager offers dropped files as text too: dropped on a text
    // field they come in as chapters and the field keeps its text; text
    // alone dropped on a field is the field's.
    void filesDroppedOnATextFieldComeInAsChapters()
    {
        open();
        auto* maker = find<QLineEdit>(m_fx.win, "Text2");
        const QString typed = maker->text();
        const QUrl file = put(u("落在字段上.txt"), u("正文\r\n"));
        QVERIFY(dropOn(maker, {file}, file.toString()));
        QVERIFY(QTest::qWaitFor([&] { return m_fx.book->chapterCount() == 1; }));
        QCOMPARE(m_fx.book->chapterNames(), QStringList{u("落在字段上")});
        QCOMPARE(maker->text(), typed);
        QCOMPARE(m_fx.book->settings().maker, typed);

        // A picture dropped on the book name field is refused by name, not typed in.
        auto* bookName = find<QLineEdit>(m_fx.win, "Text3");
        const QString name = bookName->text();
        Dialogs::clearRecord();
        const QUrl picture = put(u("封面.png"), u("x"));
        QVERIFY(dropOn(bookName, {picture}, picture.toString()));
        QVERIFY(QTest::qWaitFor([] { return !Dialogs::messages().isEmpty(); }));
        QCOMPARE(bookName->text(), name);
        QCOMPARE(m_fx.book->chapterCount(), 1);

        QVERIFY(dropOn(maker, {}, u("某人")));
        QVERIFY(maker->text().contains(u("某人")));
        QCOMPARE(m_fx.book->chapterCount(), 1);
    }

    void severalFilesShareOnePreview()
    {
        open();
        const QUrl a = put(QStringLiteral("上.txt"), novel(2));
        const QUrl b = put(QStringLiteral("下.txt"), u("只有一段\r\n"));
        QVERIFY(dropOn(chapterListArea(), {a, b}));
        ChapterPreview* preview = waitForPreview();
        QCOMPARE(previewRows(preview, 1), QStringList({u("第1章 标题1"), u("第2章 标题2"), u("下")}));
        QCOMPARE(find<QLabel>(preview, "Label1")->text(), u("2个文件共3章"));
        QCOMPARE(find<QPushButton>(preview, "Command2")->text(), u("每个文件作为一章"));
        find<QPushButton>(preview, "Command2")->setFocus();
        QTest::keyClick(preview, Qt::Key_Return);
        QCOMPARE(m_fx.book->chapterNames(), QStringList({u("上"), u("下")}));
    }

    void chaptersPastTheLimitMergeAndTheUserIsTold()
    {
        open();
        addExisting(BookProject::kChapterLimit - 3);
        QVERIFY(dropOn(chapterListArea(), {put(QStringLiteral("长.txt"), novel(7))}));
        ChapterPreview* preview = waitForPreview();
        QCOMPARE(previewRows(preview, 1), QStringList({u("第1章 标题1"), u("第4章 标题4"), u("第7章 标题7")}));
        QCOMPARE(find<QLabel>(preview, "Label1")->text(), u("检测到7章，超过上限3章，已每3章合并为一章，共3章"));
        QTest::mouseClick(find<QPushButton>(preview, "Command1"), Qt::LeftButton);
        QCOMPARE(m_fx.book->chapterCount(), BookProject::kChapterLimit);
        QCOMPARE(m_fx.book->chapterNames().back(), u("第7章 标题7"));

        // A full book takes nothing and says so.
        QVERIFY(dropOn(chapterListArea(), {put(QStringLiteral("再.txt"), u("x\r\n"))}));
        QCOMPARE(Dialogs::messages(), QStringList{u("章节数量达到上限(1000)")});
        QCOMPARE(m_fx.book->chapterCount(), BookProject::kChapterLimit);
    }

    void noDropWhileAnotherWindowIsOpenOverTheMainWindow()
    {
        open();
        addExisting(2);
        const QUrl file = put(QStringLiteral("西游记.txt"), novel(30));

        // The wizard on its way (`frame` 5): its limit is 20, and the main
        // window, disabled under it, takes no chapters at all.
        m_fx.win->findChild<QAction*>(QStringLiteral("menu_one_2"))->trigger();
        find<QLineEdit>(m_fx.nav->wizardStepOne(), "Text3")->setText(u("向导书"));
        QTest::mouseClick(find<QPushButton>(m_fx.nav->wizardStepOne(), "Command8"), Qt::LeftButton);
        QVERIFY(m_fx.nav->wizardStepTwo()->isVisible());
        QCOMPARE(m_fx.book->frame(), 5);
        QVERIFY(!m_fx.win->isEnabled());
        QVERIFY(!dropOn(chapterListArea(), {file}));
        QVERIFY(!m_fx.win->busy());
        QCOMPARE(m_fx.book->chapterCount(), 2);
        QTest::mouseClick(find<QPushButton>(m_fx.nav->wizardStepTwo(), "Command9"), Qt::LeftButton);
        QVERIFY(m_fx.win->isEnabled());

        // The chapter editor holds `num` for its new chapter: a drop now would
        // have its text stored over a dropped chapter.
        QTest::mouseClick(find<QPushButton>(m_fx.win, "Command2"), Qt::LeftButton);
        ChapterEditor* editor = m_fx.nav->chapterEditor();
        QVERIFY(editor->isVisible());
        QCOMPARE(m_fx.book->num(), 2);
        QVERIFY(!dropOn(chapterListArea(), {file}));
        QCOMPARE(m_fx.book->chapterCount(), 2);
        QCOMPARE(m_fx.book->num(), 2);
    }

    void editorReadsADroppedTxtFileLikeItsFileButton()
    {
        open();
        QVERIFY(m_fx.book->prepareAdd());
        ChapterEditor* editor = m_fx.nav->chapterEditor();
        editor->openNew(BookProject::proposedChapterName(m_fx.book->num()));
        QVERIFY(QTest::qWaitForWindowExposed(editor));
        auto* box = find<QPlainTextEdit>(editor, "Text2");

        QVERIFY(dropOn(box->viewport(), {put(QStringLiteral("第五回.txt"), u("第一行\r\n第二行"))}));
        QTRY_VERIFY_WITH_TIMEOUT(!editor->isReading(), 60000); // read on a worker
        QCOMPARE(find<QLineEdit>(editor, "Text1")->text(), u("第五回"));
        QCOMPARE(editor->visibleText(), u("第一行\r\n第二行\r\n"));
        QVERIFY(!box->toPlainText().contains(QStringLiteral(".txt")));
        QVERIFY(find<QLabel>(editor, "Label2")->text().contains(u("【2行】")));

        // On the name field the file is read too, not its path typed in.
        QVERIFY(dropOn(find<QLineEdit>(editor, "Text1"), {put(QStringLiteral("notes.txt"), u("third\r\n"))}));
        QTRY_VERIFY_WITH_TIMEOUT(!editor->isReading(), 60000);
        QCOMPARE(find<QLineEdit>(editor, "Text1")->text(), u("notes"));
        QCOMPARE(editor->visibleText(), u("third\r\n"));

        // Dropped text is still pasted as text.
        QMimeData mime;
        mime.setText(QStringLiteral("plain"));
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(box->viewport(), &enter);
        QCoreApplication::sendEvent(box->viewport(), &drop);
        QVERIFY(editor->visibleText().contains(QStringLiteral("plain")));
    }

    void folderDroppedOnTheFolderTabBecomesItsFolder()
    {
        open();
        find<QTabBar>(m_fx.win, "TabStrip1")->setCurrentIndex(1);
        put(QStringLiteral("books/one.txt"), u("x\r\n"));
        put(QStringLiteral("books/two.txt"), u("y\r\n"));
        auto* frame = find<QGroupBox>(m_fx.win, "Frame3");
        QVERIFY(dropOn(frame, {QUrl::fromLocalFile(path(QStringLiteral("books")))}));
        QCOMPARE(m_fx.win->txtFolder(), QDir::toNativeSeparators(path(QStringLiteral("books"))));
        QCOMPARE(find<QListWidget>(m_fx.win, "List2")->count(), 2);
        // A file is no folder.
        QVERIFY(!dropOn(frame, {QUrl::fromLocalFile(path(QStringLiteral("books/one.txt")))}));
        QCOMPARE(m_fx.win->txtFolder(), QDir::toNativeSeparators(path(QStringLiteral("books"))));
    }

    void folderRunSplitsEachBookWhenChecked()
    {
        QVERIFY(m_fx.writeReaderTemplate());
        open();
        put(QStringLiteral("txt/novel.txt"), novel(3));
        m_fx.win->setTxtFolder(path(QStringLiteral("txt")));
        find<QTabBar>(m_fx.win, "TabStrip1")->setCurrentIndex(1);
        auto* check = find<QCheckBox>(m_fx.win, "Check1");
        QCOMPARE(check->text(), u("按章节拆分"));
        QVERIFY(!check->isChecked());
        check->setChecked(true);
        QTest::mouseClick(find<QPushButton>(m_fx.win, "Command16"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!m_fx.win->busy(), 60000); // the make runs on a worker
        QCOMPARE(Dialogs::messages(), QStringList{u("成功制做1本书")});

        const QDir folder(
            QDir(QDir::fromNativeSeparators(defaultSaveFolder(programFolder()))).filePath(QStringLiteral("novel")));
        const QStringList jars = folder.entryList({QStringLiteral("*.jar")}, QDir::Files);
        QCOMPARE(jars.size(), 1);
        const auto capter = test::zipEntry(folder.filePath(jars.first()), "capter");
        QVERIFY(capter.has_value());
        const QString index = QString::fromUtf8(capter->mid(3));
        for (const char* name : {"第1章 标题1", "第2章 标题2", "第3章 标题3"})
            QVERIFY2(index.contains(u(name) + QStringLiteral("0001\r\n")), qPrintable(index));

        // The tab's own heading rule and options: a rule that cannot be used
        // is told before any book is made; a usable one splits with them.
        auto* rule = find<QLineEdit>(m_fx.win, "Text6");
        rule->setText(u("第("));
        Dialogs::clearRecord();
        QTest::mouseClick(find<QPushButton>(m_fx.win, "Command16"), Qt::LeftButton);
        QVERIFY(!m_fx.win->busy());
        QCOMPARE(Dialogs::messages().size(), 1);
        QVERIFY(Dialogs::messages().first().startsWith(u("章节标题规则无效：")));
        rule->setText(u("^第[13]章"));
        find<QCheckBox>(m_fx.win, "Check3")->setChecked(true);
        Dialogs::clearRecord();
        QTest::mouseClick(find<QPushButton>(m_fx.win, "Command16"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!m_fx.win->busy(), 60000);
        QCOMPARE(Dialogs::messages(), QStringList{u("成功制做1本书")});
        QStringList again = folder.entryList({QStringLiteral("*.jar")}, QDir::Files, QDir::Time);
        const QString newIndex = QString::fromUtf8(test::zipEntry(folder.filePath(again.first()), "capter")->mid(3));
        QVERIFY2(newIndex.contains(u("第3章 标题30001\r\n")) && !newIndex.contains(u("第2章 标题2")),
                 qPrintable(newIndex));
    }
};

QTEST_MAIN(ChapterDropTest)
#include "ChapterDropTest.moc"
