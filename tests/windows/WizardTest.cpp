// SPDX-License-Identifier: GPL-3.0-or-later
// The new-book wizard driven from the main window's menu: step one's checks
// and JAR size, every state and transition of the two steps, step two's
// chapter commands with the chapter editor, the import request, and a book
// walked from the menu to its JAR.
#include "model/BookProject.h"
#include "windows/ChapterEditor.h"
#include "windows/Dialogs.h"
#include "windows/FolderChooser.h"
#include "windows/ImportWindow.h"
#include "windows/MainWindow.h"
#include "windows/WizardStepOne.h"
#include "windows/WizardStepTwo.h"

#include "MainWindowFixture.h"
#include "TestSupport.h"
#include "ZipTestSupport.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QtTest/qtestspontaneevent.h>

#include <memory>

using namespace vamo;

namespace {

const QDateTime kStart(QDate(2026, 3, 7), QTime(14, 5, 9));

template <class T>
T* control(QWidget* window, const char* name)
{
    return test::findControl<T>(window, name);
}

void click(QWidget* window, const char* name) { QTest::mouseClick(control<QPushButton>(window, name), Qt::LeftButton); }

// The close box as the window system delivers it; whether the window
// accepted to close.
bool closeBoxAccepted(QWidget* window)
{
    QCloseEvent e;
    QSpontaneKeyEvent::setSpontaneous(&e);
    static_cast<QObject*>(window)->event(&e); // sendEvent() would drop the flag
    return e.isAccepted();
}

QStringList items(QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text();
    return out;
}

} // namespace

class WizardTest : public QObject {
    Q_OBJECT

    test::MainWindowFixture m_fx;

    QString programFolder() const { return m_fx.programFolder(); }
    QString templateFolder() const { return m_fx.templateFolder(); }

    void open() { QVERIFY(m_fx.open()); }
    QWidget* mainWindow() const { return m_fx.win.get(); }
    WizardStepOne* stepOne() const { return m_fx.win->wizardStepOne(); }
    WizardStepTwo* stepTwo() const { return m_fx.win->wizardStepTwo(); }
    QLineEdit* field(QWidget* w, const char* name) const { return control<QLineEdit>(w, name); }
    QListWidget* mainList() const { return control<QListWidget>(mainWindow(), "List1"); }
    QListWidget* stepTwoList() const { return control<QListWidget>(stepTwo(), "List1"); }

    void openWizard() { control<QAction>(mainWindow(), "menu_one_2")->trigger(); }
    // Menu entry, a book name, Next.
    void toStepTwo(const QString& bookName = QStringLiteral("向导书"))
    {
        openWizard();
        field(stepOne(), "Text3")->setText(bookName);
        click(stepOne(), "Command8");
        QVERIFY2(stepTwo()->isVisible(), qPrintable(Dialogs::messages().join(u'|')));
    }
    void addChapters(const QStringList& names)
    {
        for (const QString& name : names) {
            QVERIFY(m_fx.book->setChaptertext(m_fx.book->chapterCount(), name.toLower() + QStringLiteral("\r\n")));
            m_fx.book->appendChapterName(name);
        }
    }
    QStringList texts() const
    {
        QStringList out;
        for (int i = 0; i < m_fx.book->chapterCount() + 1; ++i)
            out << m_fx.book->chaptertext(i);
        return out;
    }

    enum class State { Closed, StepOne, Chooser, StepTwo, OverStepTwo };
    // The windows' states of each row of the wizard's state table.
    void verifyState(State state, qint16 frame)
    {
        const bool one = state == State::StepOne || state == State::Chooser;
        const bool two = state == State::StepTwo || state == State::OverStepTwo;
        QCOMPARE(m_fx.win->isEnabled(), state == State::Closed);
        QVERIFY(m_fx.win->isVisible());
        QCOMPARE(stepOne()->isVisible(), one);
        if (one)
            QCOMPARE(stepOne()->isEnabled(), state == State::StepOne);
        QCOMPARE(stepTwo()->isVisible(), two);
        if (two)
            QCOMPARE(stepTwo()->isEnabled(), state == State::StepTwo);
        QCOMPARE(m_fx.book->frame(), frame);
    }
    ChapterEditor* editor() const { return m_fx.win->chapterEditor(); }
    void typeIntoEditor(const QString& text) { control<QPlainTextEdit>(editor(), "Text2")->setPlainText(text); }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_fx.init(kStart));
        open();
    }
    void cleanup() { m_fx.cleanup(); }

    void menuEntryFillsStepOneFromTheMainWindow()
    {
        control<QTabBar>(mainWindow(), "TabStrip1")->setCurrentIndex(1);
        field(mainWindow(), "Text3")->setText(QStringLiteral("书"));
        field(mainWindow(), "Text2")->setText(QStringLiteral("作者"));
        control<QComboBox>(mainWindow(), "Combo1")->setCurrentIndex(3);
        control<QComboBox>(mainWindow(), "Combo2")->setCurrentIndex(1);
        m_fx.win->move(40, 30);

        openWizard();

        verifyState(State::StepOne, 0);
        QCOMPARE(stepOne()->objectName(), QStringLiteral("Form4"));
        QCOMPARE(stepOne()->windowTitle(), QStringLiteral("向导步聚一"));
        QCOMPARE(control<QGroupBox>(stepOne(), "Frame1")->title(), QStringLiteral("参数设置"));
        QCOMPARE(control<QPushButton>(stepOne(), "Command1")->text(), QStringLiteral("浏览"));
        QCOMPARE(control<QPushButton>(stepOne(), "Command8")->text(), QStringLiteral("下一步"));
        QCOMPARE(control<QPushButton>(stepOne(), "Command9")->text(), QStringLiteral("退出向导"));
        QCOMPARE(stepOne()->pos(), m_fx.win->pos());
        // The single-book tab's controls are the ones shown.
        QVERIFY(control<QGroupBox>(mainWindow(), "Frame2")->isVisible());
        QVERIFY(!control<QGroupBox>(mainWindow(), "Frame3")->isVisible());
        for (const char* name : {"Text1", "Text2", "Text3", "Text4", "Text5"})
            QCOMPARE(field(stepOne(), name)->text(), field(mainWindow(), name)->text());
        QCOMPARE(field(stepOne(), "Text3")->text(), QStringLiteral("书"));
        QCOMPARE(control<QComboBox>(stepOne(), "Combo2")->currentIndex(), 1);
        QComboBox* size = control<QComboBox>(stepOne(), "Combo1");
        QCOMPARE(size->count(), 3);
        QCOMPARE(size->currentText(), QStringLiteral("120KB中端机器"));
    }

    void stepOneChecksStopAtTheFirstFailure_data()
    {
        QTest::addColumn<QString>("jarName");
        QTest::addColumn<QString>("bookName");
        QTest::addColumn<QString>("maker");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("bookNameAfter");
        QTest::addColumn<QString>("makerAfter");
        QTest::addColumn<QString>("messageAfter");

        QTest::newRow("Chinese JAR name first")
            << QStringLiteral("abc书") << QString() << QString() << QString() << QStringLiteral("jar包名含有中文")
            << QString() << QString() << QString();
        QTest::newRow("empty book name and maker: only the book name")
            << QStringLiteral("abc") << QStringLiteral("  ") << QStringLiteral(" ") << QStringLiteral("m")
            << QStringLiteral("书名为空") << QString() << QStringLiteral(" ") << QStringLiteral("m");
        QTest::newRow("blank maker") << QStringLiteral("abc") << QStringLiteral("b") << QStringLiteral("  ")
                                     << QStringLiteral("m") << QStringLiteral("制作名为空") << QStringLiteral("b")
                                     << QString() << QStringLiteral("m");
        QTest::newRow("blank message") << QStringLiteral("abc") << QStringLiteral("a\\b") << QStringLiteral("v")
                                       << QStringLiteral("   ") << QStringLiteral("留言为空") << QStringLiteral("a\\b")
                                       << QStringLiteral("v") << QString();
        QTest::newRow("backslash in the book name")
            << QStringLiteral("abc") << QStringLiteral("a\\b") << QStringLiteral("v") << QStringLiteral("m")
            << QStringLiteral("程序文件名包涵非法字符'\\'") << QStringLiteral("a\\b") << QStringLiteral("v")
            << QStringLiteral("m");
    }

    void stepOneChecksStopAtTheFirstFailure()
    {
        QFETCH(QString, jarName);
        QFETCH(QString, bookName);
        QFETCH(QString, maker);
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QFETCH(QString, bookNameAfter);
        QFETCH(QString, makerAfter);
        QFETCH(QString, messageAfter);

        const BookSettings before = m_fx.book->settings();
        openWizard();
        field(stepOne(), "Text5")->setText(jarName);
        field(stepOne(), "Text3")->setText(bookName);
        field(stepOne(), "Text2")->setText(maker);
        field(stepOne(), "Text4")->setText(message);

        click(stepOne(), "Command8");

        QCOMPARE(Dialogs::messages(), QStringList{shown});
        QCOMPARE(field(stepOne(), "Text5")->text(), jarName);
        QCOMPARE(field(stepOne(), "Text3")->text(), bookNameAfter);
        QCOMPARE(field(stepOne(), "Text2")->text(), makerAfter);
        QCOMPARE(field(stepOne(), "Text4")->text(), messageAfter);
        // Still on step one, nothing carried over.
        verifyState(State::StepOne, 0);
        QCOMPARE(m_fx.book->settings(), before);
    }

    void jarSizeGoesByTheSizeNamed_data()
    {
        QTest::addColumn<int>("mainBefore");
        QTest::addColumn<int>("shown");     // step one's position when it opens
        QTest::addColumn<int>("chosen");    // the user's choice, -1 for none
        QTest::addColumn<QString>("after"); // the main window's size after Next

        QTest::newRow("unlimited stays") << 0 << 0 << -1 << QStringLiteral("无限制豪华机");
        QTest::newRow("120KB chosen") << 0 << 0 << 1 << QStringLiteral("120KB中端机");
        QTest::newRow("60KB chosen") << 0 << 0 << 2 << QStringLiteral("60KB低端机");
        QTest::newRow("120KB shown and kept") << 3 << 1 << -1 << QStringLiteral("120KB中端机");
        QTest::newRow("60KB shown, unlimited chosen") << 4 << 2 << 0 << QStringLiteral("无限制豪华机");
        QTest::newRow("500KB has no entry and is kept") << 1 << -1 << -1 << QStringLiteral("500KB大内存机");
        QTest::newRow("250KB has no entry, 60KB chosen") << 2 << -1 << 2 << QStringLiteral("60KB低端机");
    }

    void jarSizeGoesByTheSizeNamed()
    {
        QFETCH(int, mainBefore);
        QFETCH(int, shown);
        QFETCH(int, chosen);
        QFETCH(QString, after);

        control<QComboBox>(mainWindow(), "Combo1")->setCurrentIndex(mainBefore);
        openWizard();
        QComboBox* size = control<QComboBox>(stepOne(), "Combo1");
        QCOMPARE(size->currentIndex(), shown);
        if (shown < 0)
            QCOMPARE(size->placeholderText(), BookProject::jarSizeItems().at(mainBefore));
        if (chosen >= 0)
            size->setCurrentIndex(chosen);
        field(stepOne(), "Text3")->setText(QStringLiteral("书"));
        click(stepOne(), "Command8");
        verifyState(State::StepTwo, 5);
        QCOMPARE(control<QComboBox>(mainWindow(), "Combo1")->currentText(), after);

        // Back and Next again keep what Next gave.
        click(stepTwo(), "Command7");
        click(stepOne(), "Command8");
        QCOMPARE(control<QComboBox>(mainWindow(), "Combo1")->currentText(), after);
    }

    void nextBackNextCarriesOverAndMirrorsTheList()
    {
        addChapters({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
        mainList()->setCurrentRow(1);
        m_fx.win->move(25, 35);
        openWizard();
        field(stepOne(), "Text3")->setText(QStringLiteral("第一本"));
        field(stepOne(), "Text5")->setText(QStringLiteral("first"));
        control<QComboBox>(stepOne(), "Combo2")->setCurrentIndex(1);
        click(stepOne(), "Command8");

        verifyState(State::StepTwo, 5);
        QCOMPARE(stepTwo()->objectName(), QStringLiteral("Form5"));
        QCOMPARE(stepTwo()->windowTitle(), QStringLiteral("向导步聚二"));
        QCOMPARE(control<QGroupBox>(stepTwo(), "Frame2")->title(), QStringLiteral("章节列表"));
        QCOMPARE(stepTwo()->pos(), m_fx.win->pos());
        QCOMPARE(items(stepTwoList()), items(mainList()));
        QCOMPARE(stepTwoList()->currentRow(), 1);
        QCOMPARE(field(mainWindow(), "Text3")->text(), QStringLiteral("第一本"));
        QCOMPARE(field(mainWindow(), "Text5")->text(), QStringLiteral("first"));
        QCOMPARE(control<QComboBox>(mainWindow(), "Combo2")->currentIndex(), 1);

        click(stepTwo(), "Command7");
        verifyState(State::StepOne, 5);
        QCOMPARE(field(stepOne(), "Text3")->text(), QStringLiteral("第一本"));
        field(stepOne(), "Text3")->setText(QStringLiteral("第二本"));
        // Changes of the book meanwhile show in step two again.
        m_fx.book->appendChapterName(QStringLiteral("D"));
        mainList()->setCurrentRow(3);
        click(stepOne(), "Command8");

        verifyState(State::StepTwo, 5);
        QCOMPARE(field(mainWindow(), "Text3")->text(), QStringLiteral("第二本"));
        QCOMPARE(items(stepTwoList()), items(mainList()));
        QCOMPARE(items(stepTwoList()),
                 (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")}));
        QCOMPARE(stepTwoList()->currentRow(), 3);

        // Nothing selected in the main window: nothing in step two.
        click(stepTwo(), "Command7");
        mainList()->setCurrentRow(-1);
        click(stepOne(), "Command8");
        QCOMPARE(stepTwoList()->currentRow(), -1);
    }

    void everyWayOutReturnsToTheMainWindow()
    {
        // Leave on step one: what was typed there is not carried over.
        openWizard();
        field(stepOne(), "Text3")->setText(QStringLiteral("未带过去"));
        click(stepOne(), "Command9");
        verifyState(State::Closed, 0);
        QCOMPARE(field(mainWindow(), "Text3")->text(), QString());

        // Step one's close box unloads it; the next entry makes a new one.
        openWizard();
        QPointer<WizardStepOne> first = stepOne();
        first->close();
        QVERIFY(first.isNull() || !first->isVisible());
        QTRY_VERIFY(first.isNull());
        verifyState(State::Closed, 0);
        openWizard();
        verifyState(State::StepOne, 0);

        // Leave after Back: frame back to 0, Next's settings stay.
        field(stepOne(), "Text3")->setText(QStringLiteral("已带过去"));
        click(stepOne(), "Command8");
        click(stepTwo(), "Command7");
        verifyState(State::StepOne, 5);
        click(stepOne(), "Command9");
        verifyState(State::Closed, 0);
        QCOMPARE(field(mainWindow(), "Text3")->text(), QStringLiteral("已带过去"));

        // Leave on step two keeps the chapters changed there.
        toStepTwo();
        addChapters({QStringLiteral("A"), QStringLiteral("B")});
        stepTwoList()->setCurrentRow(0);
        click(stepTwo(), "Command3");
        click(stepTwo(), "Command9");
        verifyState(State::Closed, 0);
        QCOMPARE(items(mainList()), QStringList{QStringLiteral("B")});

        // Finish selects step two's chapter in the main window.
        addChapters({QStringLiteral("C")});
        toStepTwo();
        stepTwoList()->setCurrentRow(1);
        click(stepTwo(), "Command8");
        verifyState(State::Closed, 0);
        QCOMPARE(mainList()->currentRow(), 1);

        // Step two's close box unloads it.
        toStepTwo();
        QPointer<WizardStepTwo> two = stepTwo();
        two->close();
        QTRY_VERIFY(two.isNull());
        verifyState(State::Closed, 0);
        toStepTwo();
        QCOMPARE(items(stepTwoList()), items(mainList()));
    }

    void folderChooserOverStepOneReturnsToIt()
    {
        const QString sub = m_fx.path(QStringLiteral("books/here"));
        QVERIFY(QDir().mkpath(sub));
        const QString chosen = QDir::toNativeSeparators(sub) + QDir::separator();
        openWizard();

        click(stepOne(), "Command1");
        FolderChooser* chooser = m_fx.win->folderChooser();
        QVERIFY(chooser->isVisible());
        verifyState(State::Chooser, 0);
        chooser->setFolder(sub);
        click(chooser, "Command1");
        QVERIFY(!chooser->isVisible());
        verifyState(State::StepOne, 0);
        QCOMPARE(field(stepOne(), "Text1")->text(), chosen);
        QCOMPARE(field(mainWindow(), "Text1")->text(), chosen);

        // Cancel and the close box change nothing and give step one back.
        click(stepOne(), "Command1");
        chooser->setFolder(m_fx.tmp->path());
        click(chooser, "Command2");
        verifyState(State::StepOne, 0);
        QCOMPARE(field(stepOne(), "Text1")->text(), chosen);
        click(stepOne(), "Command1");
        // Step one's close box waits while the chooser is open over it.
        QVERIFY(!closeBoxAccepted(stepOne()));
        verifyState(State::Chooser, 0);
        chooser->close();
        verifyState(State::StepOne, 0);

        // Away from the wizard the chooser gives the main window back.
        click(stepOne(), "Command9");
        click(mainWindow(), "Command1");
        QVERIFY(!m_fx.win->isEnabled());
        click(chooser, "Command2");
        verifyState(State::Closed, 0);
    }

    void addProposesTheWizardsNamesUpToTwenty()
    {
        toStepTwo();
        auto hint = [this] { return control<QLabel>(editor(), "Label2"); };
        hint()->setText(QStringLiteral("旧提示"));

        click(stepTwo(), "Command2");
        verifyState(State::OverStepTwo, 5);
        QVERIFY(editor()->isVisible());
        QCOMPARE(hint()->text(), QStringLiteral("可直接输入，或按CTRL+V粘贴文本，或从文件读入。"));
        QCOMPARE(field(editor(), "Text1")->text(), QStringLiteral("第一章"));
        QCOMPARE(m_fx.book->num(), 0);
        typeIntoEditor(QStringLiteral("正文一"));
        m_fx.win->move(100, 80);
        click(editor(), "Command1");
        verifyState(State::StepTwo, 5);
        QVERIFY(!editor()->isVisible());
        QCOMPARE(items(stepTwoList()), QStringList{QStringLiteral("第一章")});
        QCOMPARE(items(mainList()), QStringList{QStringLiteral("第一章")});
        QCOMPARE(m_fx.book->chaptertext(0), QStringLiteral("正文一\r\n"));
        // OK centres step two over the main window.
        QVERIFY(qAbs(stepTwo()->frameGeometry().center().x() - m_fx.win->frameGeometry().center().x()) <= 1);
        QVERIFY(qAbs(stepTwo()->frameGeometry().center().y() - m_fx.win->frameGeometry().center().y()) <= 1);

        // Back and the editor's close box also return to step two.
        click(stepTwo(), "Command2");
        QCOMPARE(field(editor(), "Text1")->text(), QStringLiteral("第二章"));
        click(editor(), "Command2");
        verifyState(State::StepTwo, 5);
        click(stepTwo(), "Command2");
        // Step two's close box waits while the editor is open over it.
        QVERIFY(!closeBoxAccepted(stepTwo()));
        verifyState(State::OverStepTwo, 5);
        QPointer<ChapterEditor> unloaded = editor();
        unloaded->close();
        verifyState(State::StepTwo, 5);
        QTRY_VERIFY(unloaded.isNull());
        QCOMPARE(m_fx.book->chapterCount(), 1);

        QStringList names{QStringLiteral("第一章")};
        for (int i = 1; i < 19; ++i)
            names << QStringLiteral("c%1").arg(i);
        addChapters(names.mid(1));
        click(stepTwo(), "Command2");
        QCOMPARE(field(editor(), "Text1")->text(), QStringLiteral("第二十章"));
        QCOMPARE(m_fx.book->num(), 19);
        typeIntoEditor(QStringLiteral("末章"));
        click(editor(), "Command1");
        QCOMPARE(stepTwoList()->count(), 20);

        // With 20 listed: the limit message, no editor, the hint still reset.
        hint()->setText(QStringLiteral("旧提示"));
        Dialogs::clearRecord();
        click(stepTwo(), "Command2");
        QCOMPARE(Dialogs::messages(), QStringList{QStringLiteral("章节数量达到上限（20）")});
        QVERIFY(!editor()->isVisible());
        QCOMPARE(hint()->text(), QStringLiteral("可直接输入，或按CTRL+V粘贴文本，或从文件读入。"));
        verifyState(State::StepTwo, 5);
        QCOMPARE(m_fx.book->chapterCount(), 20);
    }

    void deleteEditAndMovesGoThroughTheWizardVariants()
    {
        addChapters({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D")});
        toStepTwo();
        auto bothSelect = [this](int row) {
            QCOMPARE(stepTwoList()->currentRow(), row);
            QCOMPARE(mainList()->currentRow(), row);
            QCOMPARE(items(stepTwoList()), items(mainList()));
        };

        stepTwoList()->setCurrentRow(2);
        click(stepTwo(), "Command5");
        QCOMPARE(m_fx.book->chapterNames(),
                 (QStringList{QStringLiteral("A"), QStringLiteral("C"), QStringLiteral("B"), QStringLiteral("D")}));
        QCOMPARE(texts().mid(0, 4), (QStringList{QStringLiteral("a\r\n"), QStringLiteral("c\r\n"),
                                                 QStringLiteral("b\r\n"), QStringLiteral("d\r\n")}));
        bothSelect(1);
        click(stepTwo(), "Command6");
        click(stepTwo(), "Command6");
        QCOMPARE(m_fx.book->chapterNames(),
                 (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("D"), QStringLiteral("C")}));
        bothSelect(3);
        click(stepTwo(), "Command6"); // the last one stays
        bothSelect(3);

        stepTwoList()->setCurrentRow(1);
        click(stepTwo(), "Command3");
        QCOMPARE(m_fx.book->chapterNames(),
                 (QStringList{QStringLiteral("A"), QStringLiteral("D"), QStringLiteral("C")}));
        QCOMPARE(texts(),
                 (QStringList{QStringLiteral("a\r\n"), QStringLiteral("d\r\n"), QStringLiteral("c\r\n"), QString()}));
        QCOMPARE(m_fx.book->num(), 1);
        bothSelect(1);

        // Edit opens the chapter selected in step two.
        stepTwoList()->setCurrentRow(2);
        click(stepTwo(), "Command4");
        verifyState(State::OverStepTwo, 5);
        QCOMPARE(mainList()->currentRow(), 2);
        QCOMPARE(field(editor(), "Text1")->text(), QStringLiteral("C"));
        QCOMPARE(editor()->visibleText(), QStringLiteral("c\r\n"));
        field(editor(), "Text1")->setText(QStringLiteral("C改"));
        click(editor(), "Command1");
        verifyState(State::StepTwo, 5);
        QCOMPARE(items(stepTwoList()), (QStringList{QStringLiteral("A"), QStringLiteral("D"), QStringLiteral("C改")}));
        QCOMPARE(items(mainList()), items(stepTwoList()));

        // Nothing selected: nothing happens.
        stepTwoList()->setCurrentRow(-1);
        for (const char* button : {"Command3", "Command4", "Command5", "Command6"})
            click(stepTwo(), button);
        verifyState(State::StepTwo, 5);
        QCOMPARE(m_fx.book->chapterCount(), 3);
        QVERIFY(Dialogs::messages().isEmpty());

        // Deleting down to the last chapter leaves no selection.
        for (int i = 0; i < 3; ++i) {
            stepTwoList()->setCurrentRow(0);
            click(stepTwo(), "Command3");
        }
        QCOMPARE(m_fx.book->chapterCount(), 0);
        bothSelect(-1);
        QVERIFY(m_fx.book->chaptertext(0).isEmpty());
    }

    void importIsRequestedWithoutLosingTheChapters()
    {
        toStepTwo();
        QSignalSpy requested(stepTwo(), &WizardStepTwo::importRequested);
        const auto back = [this] {
            QVERIFY(m_fx.win->importWindow()->isVisible());
            verifyState(State::OverStepTwo, 5);
            click(m_fx.win->importWindow(), "Command2");
            verifyState(State::StepTwo, 5);
        };

        // An empty list asks nothing.
        m_fx.book->setNum(9);
        click(stepTwo(), "Command1");
        QVERIFY(Dialogs::messages().isEmpty());
        QCOMPARE(requested.size(), 1);
        QCOMPARE(requested.at(0).at(0).toBool(), false);
        QCOMPARE(m_fx.book->num(), 0);
        back();

        addChapters({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
        Dialogs::setNextAnswer(Dialogs::Answer::No);
        click(stepTwo(), "Command1");
        QCOMPARE(Dialogs::messages(), QStringList{QStringLiteral("是否清空已有的章节")});
        QCOMPARE(Dialogs::questionDefaults(), QList<Dialogs::Answer>{Dialogs::Answer::No});
        QCOMPARE(requested.at(1).at(0).toBool(), false);
        QCOMPARE(m_fx.book->num(), 3);
        back();

        // Yes: the import replaces them once it starts; backing out of the
        // import window keeps them.
        Dialogs::setNextAnswer(Dialogs::Answer::Yes);
        m_fx.win->setGeometry(50, 60, 900, 500);
        click(stepTwo(), "Command1");
        QCOMPARE(requested.at(2).at(0).toBool(), true);
        QCOMPARE(m_fx.book->num(), 0);
        // The import window and step two stack at the bottom of the main
        // window, the import window going no higher than the screen's top.
        const QRect main = m_fx.win->frameGeometry();
        const QRect two = stepTwo()->frameGeometry();
        const QRect import = m_fx.win->importWindow()->frameGeometry();
        const QRect screen = m_fx.win->screen()->availableGeometry();
        QCOMPARE(two.bottom(), main.bottom());
        QVERIFY(qAbs(two.center().x() - main.center().x()) <= 1);
        QVERIFY(screen.contains(import));
        if (two.top() - import.height() >= screen.top())
            QCOMPARE(import.bottom() + 1, two.top());
        else
            QCOMPARE(import.top(), screen.top());
        QVERIFY(qAbs(import.center().x() - main.center().x()) <= 1);
        back();
        QCOMPARE(items(stepTwoList()), (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));
        QCOMPARE(m_fx.book->chaptertext(2), QStringLiteral("c\r\n"));
    }

    void importFromStepTwoStopsAtTwentyChapters()
    {
        // 22 files for a wizard book that already holds 18 chapters: two fit.
        QTemporaryDir txt;
        for (int i = 1; i <= 22; ++i) {
            QFile f(QDir(txt.path()).filePath(QStringLiteral("f%1.txt").arg(i, 2, 10, QLatin1Char('0'))));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArrayLiteral("text ") + QByteArray::number(i));
        }
        toStepTwo();
        QStringList names;
        for (int i = 1; i <= 18; ++i)
            names << QStringLiteral("c%1").arg(i);
        addChapters(names);
        Dialogs::setNextAnswer(Dialogs::Answer::No);
        click(stepTwo(), "Command1");
        ImportWindow* form6 = m_fx.win->importWindow();
        form6->setFolder(txt.path());
        const QStringList listed = items(control<QListWidget>(form6, "List1"));
        QCOMPARE(listed.size(), 22);
        QSignalSpy finished(form6, &ImportWindow::importFinished);
        click(form6, "Command1");
        QVERIFY(finished.wait(10000));
        QCOMPARE(finished.at(0).at(0).toInt(), 2);
        QCOMPARE(m_fx.book->chapterCount(), 20);
        // The first two files of the list fit, named after their files.
        const QStringList two = items(stepTwoList());
        QCOMPARE(two.size(), 20);
        QCOMPARE(two.mid(18),
                 (QStringList{QFileInfo(listed[0]).completeBaseName(), QFileInfo(listed[1]).completeBaseName()}));
        QCOMPARE(m_fx.book->chaptertext(19), QStringLiteral("text %1\r\n\r\n").arg(listed[1].mid(1, 2).toInt()));
        // One message names what did not fit.
        QVERIFY(!Dialogs::messages().isEmpty());
        QVERIFY(Dialogs::messages().last().contains(QStringLiteral("20")));
        QTRY_VERIFY(stepTwo()->isVisible() && stepTwo()->isEnabled());
        QVERIFY(!m_fx.win->isEnabled());
        QCOMPARE(m_fx.book->frame(), 5);
    }

    void aBookIsWalkedFromTheMenuToItsJar()
    {
        QVERIFY(m_fx.writeReaderTemplate());
        openWizard();
        field(stepOne(), "Text3")->setText(QStringLiteral("向导书"));
        field(stepOne(), "Text5")->setText(QStringLiteral("wizardbook"));
        control<QComboBox>(stepOne(), "Combo1")->setCurrentIndex(2);
        click(stepOne(), "Command8");
        for (const QString& text : {QStringLiteral("第一章的正文"), QStringLiteral("第二章的正文")}) {
            click(stepTwo(), "Command2");
            typeIntoEditor(text);
            click(editor(), "Command1");
        }
        QCOMPARE(items(stepTwoList()), (QStringList{QStringLiteral("第一章"), QStringLiteral("第二章")}));
        click(stepTwo(), "Command8");
        verifyState(State::Closed, 0);
        QCOMPARE(control<QComboBox>(mainWindow(), "Combo1")->currentText(), QStringLiteral("60KB低端机"));

        click(mainWindow(), "Command8");
        QTRY_VERIFY_WITH_TIMEOUT(!m_fx.win->busy(), 60000); // the make runs on a worker
        QCOMPARE(Dialogs::messages().size(), 1);
        QVERIFY2(Dialogs::messages().at(0).startsWith(QStringLiteral("成功制做")),
                 qPrintable(Dialogs::messages().at(0)));
        const QString jar = Dialogs::messages().at(0).mid(4);
        QCOMPARE(QFileInfo(jar).fileName(), QStringLiteral("wizardbook.jar"));
        QCOMPARE(QFileInfo(QFileInfo(jar).path()).fileName(), QStringLiteral("向导书"));
        QVERIFY(QFileInfo::exists(jar.chopped(4) + QStringLiteral(".jad")));
        const auto index = test::zipEntry(jar, "capter");
        QVERIFY(index.has_value());
        QVERIFY(index->contains(QStringLiteral("第一章").toUtf8()));
        QVERIFY(index->contains(QStringLiteral("第二章").toUtf8()));
        QCOMPARE(m_fx.book->chapterCount(), 0);
    }

    void exitClosesTheWizard()
    {
        addChapters({QStringLiteral("A")});
        toStepTwo();
        QPointer<WizardStepTwo> two = stepTwo();
        stepTwoList()->setCurrentRow(0);
        click(stepTwo(), "Command4");
        typeIntoEditor(QStringLiteral("改过"));
        Dialogs::setNextAnswer(Dialogs::Answer::Yes); // give up the unmade book
        Dialogs::setNextAnswer(Dialogs::Answer::No);  // and the editor's change
        m_fx.win->close();
        QVERIFY(!m_fx.win->isVisible());
        QVERIFY(two.isNull() || !two->isVisible());
        QCOMPARE(m_fx.book->frame(), 0);
        QCOMPARE(m_fx.book->chaptertext(0), QStringLiteral("a\r\n"));
    }
};

QTEST_MAIN(WizardTest)
#include "WizardTest.moc"
