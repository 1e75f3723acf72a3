// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/WizardStepTwo.h"

#include "ui_WizardStepTwo.h"

#include "model/BookProject.h"
#include "windows/ChapterEditor.h"
#include "windows/Dialogs.h"
#include "windows/MainWindow.h"
#include "windows/Placement.h"
#include "windows/WizardStepOne.h"
#include "workflow/NewBookWizard.h"

#include <QCloseEvent>
#include <QSignalBlocker>

namespace vamo {

WizardStepTwo::WizardStepTwo(MainWindow& mainWindow)
    : QWidget(nullptr, Qt::Window), ui(std::make_unique<Ui::WizardStepTwo>()), m_main(mainWindow),
      m_book(mainWindow.book())
{
    ui->setupUi(this);
    keepOnScreen(this);

    connect(ui->Command1, &QPushButton::clicked, this, &WizardStepTwo::batchImport);
    connect(ui->Command2, &QPushButton::clicked, this, &WizardStepTwo::addChapter);
    connect(ui->Command3, &QPushButton::clicked, this, [this] { m_main.form5_C3_Click(); });
    connect(ui->Command4, &QPushButton::clicked, this, &WizardStepTwo::editChapter);
    connect(ui->Command5, &QPushButton::clicked, this, [this] { m_main.form5_C5_Click(); });
    connect(ui->Command6, &QPushButton::clicked, this, [this] { m_main.form5_C6_Click(); });
    connect(ui->Command7, &QPushButton::clicked, this, &WizardStepTwo::back);
    connect(ui->Command8, &QPushButton::clicked, this, &WizardStepTwo::finish);
    connect(ui->Command9, &QPushButton::clicked, this, &WizardStepTwo::leave);
    connect(ui->List1, &QListWidget::itemDoubleClicked, this, &WizardStepTwo::editChapter);
    // Every change of the book's chapters, wherever it is made, shows here.
    connect(&m_book, &BookProject::chaptersChanged, this, &WizardStepTwo::showChapters);
}

WizardStepTwo::~WizardStepTwo() = default;

int WizardStepTwo::selectedChapter() const { return ui->List1->currentRow(); }

void WizardStepTwo::selectChapter(int position)
{
    ui->List1->setCurrentRow(position >= 0 && position < ui->List1->count() ? position : -1);
}

void WizardStepTwo::showChapters()
{
    const QStringList& names = m_book.chapterNames();
    QListWidget* list = ui->List1;
    bool same = list->count() == names.size();
    for (int i = 0; same && i < list->count(); ++i)
        same = list->item(i)->text() == names.at(i);
    if (same)
        return;
    const int row = list->currentRow();
    {
        const QSignalBlocker block(list);
        list->clear();
        list->addItems(names);
    }
    selectChapter(row);
}

void WizardStepTwo::enter(int selected)
{
    setEnabled(true);
    move(m_main.pos());
    keepAbove(this, &m_main);
    {
        const QSignalBlocker block(ui->List1);
        ui->List1->clear();
        ui->List1->addItems(m_book.chapterNames());
    }
    selectChapter(selected);
    show();
}

void WizardStepTwo::comeBack(bool centre)
{
    setEnabled(true);
    if (centre)
        centreOver(this, &m_main);
    show();
    raise();
    activateWindow();
}

void WizardStepTwo::batchImport()
{
    const int count = m_book.chapterCount();
    bool clear = false;
    if (count > 0)
        clear =
            Dialogs::question(this, QStringLiteral("是否清空已有的章节"), Dialogs::Answer::No) == Dialogs::Answer::Yes;
    m_book.setNum(static_cast<qint16>(clear ? 0 : count));
    Q_EMIT importRequested(clear);
}

void WizardStepTwo::addChapter()
{
    ChapterEditor* editor = m_main.chapterEditor();
    editor->resetHint();
    if (auto prepared = wizard::prepareAdd(m_book); !prepared) {
        Dialogs::information(this, prepared.error().message);
        return;
    }
    // The editor centres itself over the main window and disables it.
    editor->openNew(wizard::proposedChapterName(m_book.num()));
    setEnabled(false);
}

void WizardStepTwo::editChapter()
{
    m_main.selectChapter(selectedChapter());
    m_main.chapterEditor()->resetHint();
    m_main.form5_C4_Click();
}

void WizardStepTwo::back()
{
    m_main.setEnabled(false);
    WizardStepOne* stepOne = m_main.wizardStepOne();
    stepOne->setEnabled(true);
    stepOne->show();
    stepOne->raise();
    stepOne->activateWindow();
    hide();
}

void WizardStepTwo::returnToMainWindow()
{
    m_book.setFrame(0);
    m_main.setEnabled(true);
    hide();
    m_main.show();
    m_main.activateWindow();
}

void WizardStepTwo::finish()
{
    m_main.selectChapter(selectedChapter());
    returnToMainWindow();
}

void WizardStepTwo::leave()
{
    // Nothing is undone: the chapters stay in the book.
    returnToMainWindow();
}

void WizardStepTwo::closeEvent(QCloseEvent* event)
{
    // The chapter editor or the import is open over step two: it comes back
    // first.
    if (event->spontaneous() && !isEnabled()) {
        event->ignore();
        return;
    }
    m_book.setFrame(0);
    m_main.setEnabled(true);
    m_main.show();
    // Closing unloads step two; the next Next makes a new one.
    setAttribute(Qt::WA_DeleteOnClose, true);
    event->accept();
}

} // namespace vamo
