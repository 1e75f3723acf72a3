// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/Navigator.h"
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

#include <QPointer>
#include <QTest>

using namespace vamo;

// The navigator: one window over another, the opener given back when the
// window hides, every window kept until the navigator goes.
class NavigatorTest : public QObject {
    Q_OBJECT

    test::MainWindowFixture m_fx;

    Navigator& nav() const { return *m_fx.nav; }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_fx.init(QDateTime(QDate(2026, 1, 3), QTime(9, 5, 7))));
        QVERIFY(m_fx.open());
    }
    void cleanup() { m_fx.cleanup(); }

    void windowsAreMadeOnceAndGoWithTheNavigator()
    {
        const QList<QPointer<QWidget>> windows = {nav().folderChooser(), nav().chapterEditor(), nav().wizardStepOne(),
                                                  nav().wizardStepTwo(), nav().importWindow()};
        QCOMPARE(nav().folderChooser(), windows.at(0).data());
        QCOMPARE(nav().chapterEditor(), windows.at(1).data());
        QCOMPARE(nav().wizardStepOne(), windows.at(2).data());
        QCOMPARE(nav().wizardStepTwo(), windows.at(3).data());
        QCOMPARE(nav().importWindow(), windows.at(4).data());
        // Parentless: disabling the main window below them leaves them usable.
        for (const QPointer<QWidget>& w : windows)
            QVERIFY(!w->parentWidget());
        QPointer<QWidget> main = m_fx.win;
        m_fx.destroy();
        QVERIFY(main.isNull());
        for (const QPointer<QWidget>& w : windows)
            QVERIFY(w.isNull());
    }

    void theOpenerComesBackWhenTheWindowHides()
    {
        QWidget opener(nullptr, Qt::Window);
        opener.show();
        ChapterEditor* editor = nav().chapterEditor();
        nav().open(editor, &opener);
        QVERIFY(editor->isVisible());
        QVERIFY(!opener.isEnabled());
        QCOMPARE(nav().openerOf(editor), &opener);
        editor->hide();
        QVERIFY(opener.isEnabled());
        QVERIFY(!nav().openerOf(editor));
        // Hidden again, it gives nothing back a second time.
        opener.setEnabled(false);
        editor->show();
        editor->hide();
        QVERIFY(!opener.isEnabled());
    }

    void nestedWindowsGiveBackInTurn()
    {
        // Main window → step one → folder chooser: the chooser's cancel gives
        // step one back, the main window staying disabled below it.
        nav().openWizard();
        QVERIFY(!m_fx.win->isEnabled());
        nav().chooseSaveFolder(nav().wizardStepOne(), m_fx.path(QStringLiteral("prog")));
        QVERIFY(!nav().wizardStepOne()->isEnabled());
        nav().folderChooser()->reject();
        QVERIFY(nav().wizardStepOne()->isEnabled());
        QVERIFY(nav().wizardStepOne()->isVisible());
        QVERIFY(!m_fx.win->isEnabled());

        // Next hands the main window on to step two; back hands it to step
        // one again; neither gives it back.
        nav().toStepTwo();
        QVERIFY(!nav().wizardStepOne()->isVisible());
        QCOMPARE(nav().openerOf(nav().wizardStepTwo()), m_fx.win);
        QVERIFY(!m_fx.win->isEnabled());
        nav().backToStepOne();
        QVERIFY(!nav().wizardStepTwo()->isVisible());
        QCOMPARE(nav().openerOf(nav().wizardStepOne()), m_fx.win);
        QVERIFY(!m_fx.win->isEnabled());
        nav().wizardStepOne()->hide();
        QVERIFY(m_fx.win->isEnabled());
    }

    void onTheWayOutNothingIsGivenBack()
    {
        nav().openWizard();
        nav().toStepTwo();
        QVERIFY(m_fx.book->prepareAdd());
        nav().editNewChapter(nav().wizardStepTwo(), QStringLiteral("第1章"));
        QVERIFY(!nav().wizardStepTwo()->isEnabled());
        nav().closeOthers();
        QVERIFY(!nav().chapterEditor()->isVisible());
        QVERIFY(!nav().wizardStepTwo()->isVisible());
        // Step two did not come back between the editor and its own close.
        QVERIFY(!nav().wizardStepTwo()->isEnabled());
        QVERIFY(!m_fx.win->isEnabled());
    }
};

QTEST_MAIN(NavigatorTest)
#include "NavigatorTest.moc"
