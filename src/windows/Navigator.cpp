// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/Navigator.h"

#include "model/BookProject.h"
#include "windows/ChapterEditor.h"
#include "windows/Dialogs.h"
#include "windows/FolderChooser.h"
#include "windows/ImportWindow.h"
#include "windows/MainWindow.h"
#include "windows/Placement.h"
#include "windows/WizardStepOne.h"
#include "windows/WizardStepTwo.h"

#include <QCloseEvent>
#include <QDir>
#include <QEvent>
#include <QFileInfo>

namespace vamo {

Navigator::Navigator(BookProject& book, QString programFolder, BuildEnvironment environment)
    : m_book(book), m_programFolder(std::move(programFolder))
{
    m_main = std::make_unique<MainWindow>(book, *this, m_programFolder, std::move(environment));
    track(m_main.get());
}

Navigator::~Navigator()
{
    // Windows going now give nothing back; the main window goes last, as
    // the others were opened over it.
    m_openers.clear();
    m_import.reset();
    m_editor.reset();
    m_stepTwo.reset();
    m_stepOne.reset();
    m_chooser.reset();
    m_main.reset();
}

void Navigator::track(QWidget* window) { window->installEventFilter(this); }

void Navigator::open(QWidget* window, QWidget* opener)
{
    if (opener && opener != window) {
        m_openers.insert(window, opener);
        opener->setEnabled(false);
    }
    window->setEnabled(true);
    window->show();
    window->raise();
    window->activateWindow();
}

QWidget* Navigator::openerOf(QWidget* window) const { return m_openers.value(window); }

void Navigator::giveBack(QWidget* window)
{
    const QPointer<QWidget> opener = m_openers.take(window);
    if (!opener)
        return;
    opener->setEnabled(true);
    opener->show();
    opener->raise();
    opener->activateWindow();
}

bool Navigator::eventFilter(QObject* watched, QEvent* event)
{
    // Hidden by the program (not minimised by the desktop): the window is done.
    if (event->type() == QEvent::Hide && !event->spontaneous() && watched->isWidgetType())
        giveBack(static_cast<QWidget*>(watched));
    return QObject::eventFilter(watched, event);
}

// ------------------------------------------------------------ windows ---

FolderChooser* Navigator::folderChooser()
{
    if (!m_chooser) {
        m_chooser = std::make_unique<FolderChooser>();
        track(m_chooser.get());
        connect(m_chooser.get(), &FolderChooser::chosen, this, [this](const QString& folder) {
            m_book.setSaveFolder(folder);
            Q_EMIT saveFolderChosen(folder);
        });
    }
    return m_chooser.get();
}

ChapterEditor* Navigator::chapterEditor()
{
    if (!m_editor) {
        m_editor = std::make_unique<ChapterEditor>(m_book);
        track(m_editor.get());
        // A chapter stored from the wizard brings step two back over the
        // middle of the main window.
        connect(m_editor.get(), &ChapterEditor::chapterStored, this, [this] {
            if (m_stepTwo && openerOf(m_editor.get()) == m_stepTwo.get())
                centreOver(m_stepTwo.get(), m_main.get());
        });
    }
    return m_editor.get();
}

WizardStepOne* Navigator::wizardStepOne()
{
    if (!m_stepOne) {
        m_stepOne = std::make_unique<WizardStepOne>(m_book, *this);
        track(m_stepOne.get());
    }
    return m_stepOne.get();
}

WizardStepTwo* Navigator::wizardStepTwo()
{
    if (!m_stepTwo) {
        m_stepTwo = std::make_unique<WizardStepTwo>(m_book, *this);
        track(m_stepTwo.get());
    }
    return m_stepTwo.get();
}

ImportWindow* Navigator::importWindow()
{
    if (!m_import) {
        m_import = std::make_unique<ImportWindow>(m_book, m_main.get());
        track(m_import.get());
    }
    return m_import.get();
}

// ------------------------------------------------------------ opening ---

void Navigator::chooseSaveFolder(QWidget* opener, const QString& saveFolder)
{
    FolderChooser* chooser = folderChooser();
    const QString current = QDir::fromNativeSeparators(saveFolder);
    chooser->setFolder(QFileInfo(current).isDir() ? current : m_programFolder);
    centreOver(chooser, opener);
    keepAbove(chooser, opener);
    open(chooser, opener);
}

void Navigator::openEditor(QWidget* opener)
{
    ChapterEditor* editor = chapterEditor();
    keepAbove(editor, m_main.get());
    centreOver(editor, m_main.get());
    open(editor, opener);
}

void Navigator::editNewChapter(QWidget* opener, const QString& proposedName)
{
    openEditor(opener);
    m_editor->openNew(proposedName);
}

void Navigator::editChapter(QWidget* opener)
{
    openEditor(opener);
    m_editor->openEdit();
}

void Navigator::resetChapterHint() { chapterEditor()->resetHint(); }

void Navigator::openBatchImport(QWidget* opener)
{
    bool clear = false;
    if (m_book.chapterCount() > 0)
        clear = Dialogs::question(opener, QStringLiteral("是否清空已有的章节"), Dialogs::Answer::No) ==
                Dialogs::Answer::Yes;
    m_book.prepareBatchImport(false);
    ImportWindow* import = importWindow();
    if (opener == m_main.get())
        import->openFromMainWindow(clear);
    else
        import->openFromWizard(opener, clear);
    open(import, opener);
}

// ------------------------------------------------------------- wizard ---

void Navigator::openWizard()
{
    WizardStepOne* stepOne = wizardStepOne();
    stepOne->takeSettings(m_book.settings());
    stepOne->move(m_main->pos());
    keepAbove(stepOne, m_main.get());
    open(stepOne, m_main.get());
}

void Navigator::toStepTwo()
{
    WizardStepTwo* stepTwo = wizardStepTwo();
    // Step two takes step one's place over the main window.
    QWidget* opener = m_openers.take(wizardStepOne());
    m_stepOne->hide();
    stepTwo->move(m_main->pos());
    keepAbove(stepTwo, m_main.get());
    stepTwo->enter(m_main->selectedChapter());
    open(stepTwo, opener ? opener : m_main.get());
}

void Navigator::backToStepOne()
{
    WizardStepOne* stepOne = wizardStepOne();
    QWidget* opener = m_openers.take(wizardStepTwo());
    open(stepOne, opener ? opener : m_main.get());
    m_stepTwo->hide();
}

void Navigator::selectInWizard(int position)
{
    if (m_stepTwo)
        m_stepTwo->selectChapter(position);
}

void Navigator::wizardDelete(int position) { selectInWizard(m_main->form5_C3_Click(position)); }

void Navigator::wizardEdit(int position)
{
    resetChapterHint();
    if (m_main->form5_C4_Click(position))
        editChapter(wizardStepTwo());
}

void Navigator::wizardMoveUp(int position) { selectInWizard(m_main->form5_C5_Click(position)); }

void Navigator::wizardMoveDown(int position) { selectInWizard(m_main->form5_C6_Click(position)); }

void Navigator::wizardFinished(int position) { m_main->selectChapter(position); }

// --------------------------------------------------------------- exit ---

void Navigator::closeOthers()
{
    // On the way out nothing is given back.
    m_openers.clear();
    if (m_chooser)
        m_chooser->close();
    if (m_editor)
        m_editor->close(); // may first ask whether to keep the chapter
    if (m_stepOne)
        m_stepOne->close();
    if (m_stepTwo)
        m_stepTwo->close();
    if (m_import)
        m_import->close();
}

bool refuseCloseWhileCovered(const QWidget& window, QCloseEvent* event)
{
    if (!event->spontaneous() || window.isEnabled())
        return false;
    event->ignore();
    return true;
}

} // namespace vamo
