// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/BookProject.h"
#include "windows/ChapterEditor.h"
#include "windows/ChapterPreview.h"
#include "windows/Dialogs.h"
#include "windows/FolderChooser.h"
#include "windows/ImportWindow.h"
#include "windows/MainWindow.h"
#include "windows/Placement.h"
#include "windows/WizardStepOne.h"
#include "windows/WizardStepTwo.h"

#include "MainWindowFixture.h"
#include "TestSupport.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <vector>

using namespace vamo;

class ScreenFitTest : public QObject {
    Q_OBJECT

    test::MainWindowFixture m_fx;

    // Every window of the program, made as the program makes them.
    std::vector<QWidget*> windows(ChapterPreview& preview)
    {
        return {m_fx.win,
                m_fx.nav->folderChooser(),
                m_fx.nav->chapterEditor(),
                m_fx.nav->wizardStepOne(),
                m_fx.nav->wizardStepTwo(),
                m_fx.nav->importWindow(),
                &preview};
    }

    // The window's frame lies inside `area` and every shown button inside
    // the window.
    static void verifyInside(QWidget* window, const QRect& area)
    {
        const QByteArray name = window->objectName().toLatin1();
        QVERIFY(window->isVisible());
        QVERIFY2(area.contains(window->frameGeometry()), name.constData());
        const QRect inside(QPoint(0, 0), window->size());
        for (const QPushButton* button : window->findChildren<QPushButton*>()) {
            if (!button->isVisibleTo(window))
                continue;
            const QRect shown(button->mapTo(window, QPoint(0, 0)), button->size());
            QVERIFY2(inside.contains(shown), (name + ' ' + button->objectName().toLatin1()).constData());
        }
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_fx.init(QDateTime(QDate(2026, 4, 1), QTime(8, 0))));
        m_fx.create();
    }
    void cleanup() { m_fx.cleanup(); }

    void fitInsideMovesTheLeastAndKeepsTheTitleBarOnTheArea()
    {
        // A 1366x768 screen with a panel along the top.
        const QRect area(0, 28, 1366, 740);
        // Inside already: unchanged.
        QCOMPARE(fitInside(QRect(100, 100, 600, 400), area), QRect(100, 100, 600, 400));
        // Past the right and bottom edges: moved back just inside.
        QCOMPARE(fitInside(QRect(1000, 600, 600, 400), area), QRect(766, 368, 600, 400));
        // Above and left of the area (under the panel): moved down and right.
        QCOMPARE(fitInside(QRect(-50, 0, 600, 400), area), QRect(0, 28, 600, 400));
        // Larger than the area: as large as the area, on it.
        QCOMPARE(fitInside(QRect(-200, -300, 1760, 1000), area), area);
        QCOMPARE(fitInside(QRect(300, 200, 1760, 400), area), QRect(0, 200, 1366, 400));
        // A second screen to the right of the first.
        const QRect second(1366, 0, 1920, 1080);
        QCOMPARE(fitInside(QRect(3000, 900, 500, 400), second), QRect(2786, 680, 500, 400));
    }

    void everyWindowFitsA1366By768ScreenAndKeepsItsButtons()
    {
        ChapterPreview preview;
        const QRect area(0, 28, 1366, 740);
        for (QWidget* window : windows(preview)) {
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window));
            // Placed partly off the area and larger than it, as a 200 %
            // desktop or a remembered place might leave it.
            window->move(900, 500);
            window->resize(1700, 1000);
            fitInto(window, area);
            verifyInside(window, area);
            // Shrunk as far as it goes: every button still reachable.
            window->resize(1, 1);
            QVERIFY(window->width() < area.width() && window->height() < area.height());
            verifyInside(window, area);
            window->hide();
        }
    }

    void centredWindowsStayOnTheirScreen()
    {
        // A main window pushed to the screen's corner: the chooser centred
        // over it still opens whole on the screen.
        m_fx.win->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_fx.win));
        const QRect screen = m_fx.win->screen()->availableGeometry();
        m_fx.win->move(screen.right() - 100, screen.bottom() - 100);
        FolderChooser* chooser = m_fx.nav->folderChooser();
        centreOver(chooser, m_fx.win);
        chooser->show();
        QVERIFY(QTest::qWaitForWindowExposed(chooser));
        verifyInside(chooser, screen);
        // Centred again once shown and framed.
        centreOver(chooser, m_fx.win);
        verifyInside(chooser, screen);
    }

    void pathFieldsShowTheEndOfTheirPath()
    {
        m_fx.win->resize(500, 400);
        m_fx.win->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_fx.win));
        const QString deep = QDir::toNativeSeparators(
            m_fx.path(QStringLiteral("很长的目录名/第二层目录/第三层目录/第四层目录/电子书/")));
        auto* saveFolder = m_fx.win->findChild<QLineEdit*>(QStringLiteral("Text1"));
        QVERIFY(saveFolder);
        m_fx.book->setSaveFolder(deep);
        QCOMPARE(saveFolder->text(), deep);
        QCOMPARE(saveFolder->cursorPosition(), deep.size());
        QVERIFY(saveFolder->toolTip().contains(deep));
        // Typing in the field leaves the cursor where the user types; once
        // the field is left it shows the end again.
        saveFolder->setFocus();
        saveFolder->setCursorPosition(3);
        m_fx.win->findChild<QLineEdit*>(QStringLiteral("Text3"))->setFocus();
        QCOMPARE(saveFolder->cursorPosition(), deep.size());

        // The folder tab shows its chosen folder in full.
        QVERIFY(QDir().mkpath(m_fx.path(QStringLiteral("txt/第一层/第二层/第三层"))));
        const QString txt = m_fx.path(QStringLiteral("txt/第一层/第二层/第三层"));
        m_fx.win->setTxtFolder(txt);
        auto* chosen = m_fx.win->findChild<QLineEdit*>(QStringLiteral("TxtFolderPath"));
        QVERIFY(chosen);
        QCOMPARE(chosen->text(), QDir::toNativeSeparators(txt));
        QVERIFY(chosen->isReadOnly());
        QCOMPARE(chosen->cursorPosition(), chosen->text().size());
        QVERIFY(chosen->toolTip().contains(QDir::toNativeSeparators(txt)));

        // The save folder chooser shows the folder chosen in its tree.
        FolderChooser* chooser = m_fx.nav->folderChooser();
        chooser->setFolder(txt);
        auto* chooserPath = chooser->findChild<QLineEdit*>(QStringLiteral("FolderPath"));
        QVERIFY(chooserPath);
        QCOMPARE(chooserPath->text(), QDir::toNativeSeparators(txt));
        QVERIFY(chooserPath->toolTip().contains(QDir::toNativeSeparators(txt)));

        // The wizard's save folder field likewise.
        WizardStepOne* stepOne = m_fx.nav->wizardStepOne();
        stepOne->setSaveFolder(deep);
        auto* wizardFolder = stepOne->findChild<QLineEdit*>(QStringLiteral("Text1"));
        QVERIFY(wizardFolder);
        QCOMPARE(wizardFolder->cursorPosition(), deep.size());
        QVERIFY(wizardFolder->toolTip().contains(deep));
    }
};

QTEST_MAIN(ScreenFitTest)
#include "ScreenFitTest.moc"
