// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/WizardStepTwo.h"

#include "ui_WizardStepTwo.h"

#include "model/BookProject.h"
#include "windows/Dialogs.h"
#include "windows/Navigator.h"
#include "windows/Placement.h"
#include "workflow/NewBookWizard.h"

#include <QCloseEvent>
#include <QSignalBlocker>

namespace vamo {

WizardStepTwo::WizardStepTwo(BookProject& book, Navigator& navigator)
    : QWidget(nullptr, Qt::Window), ui(std::make_unique<Ui::WizardStepTwo>()), m_book(book), m_nav(navigator)
{
    ui->setupUi(this);
    keepOnScreen(this);

    connect(ui->Command1, &QPushButton::clicked, this, &WizardStepTwo::batchImport);
    connect(ui->Command2, &QPushButton::clicked, this, &WizardStepTwo::addChapter);
    connect(ui->Command3, &QPushButton::clicked, this, [this] { m_nav.wizardDelete(selectedChapter()); });
    connect(ui->Command4, &QPushButton::clicked, this, &WizardStepTwo::editChapter);
    connect(ui->Command5, &QPushButton::clicked, this, [this] { m_nav.wizardMoveUp(selectedChapter()); });
    connect(ui->Command6, &QPushButton::clicked, this, [this] { m_nav.wizardMoveDown(selectedChapter()); });
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
    {
        const QSignalBlocker block(ui->List1);
        ui->List1->clear();
        ui->List1->addItems(m_book.chapterNames());
    }
    selectChapter(selected);
}

void WizardStepTwo::batchImport() { m_nav.openBatchImport(this); }

void WizardStepTwo::addChapter()
{
    m_nav.resetChapterHint();
    if (auto prepared = wizard::prepareAdd(m_book); !prepared) {
        Dialogs::information(this, prepared.error().message);
        return;
    }
    // The editor opens over step two, centred over the main window.
    m_nav.editNewChapter(this, wizard::proposedChapterName(m_book.num()));
}

void WizardStepTwo::editChapter() { m_nav.wizardEdit(selectedChapter()); }

void WizardStepTwo::back() { m_nav.backToStepOne(); }

void WizardStepTwo::returnToMainWindow()
{
    // Hidden, step two gives the main window back.
    m_book.setFrame(0);
    hide();
}

void WizardStepTwo::finish()
{
    m_nav.wizardFinished(selectedChapter());
    returnToMainWindow();
}

void WizardStepTwo::leave()
{
    // Nothing is undone: the chapters stay in the book.
    returnToMainWindow();
}

void WizardStepTwo::closeEvent(QCloseEvent* event)
{
    // The chapter editor or the import is open over step two.
    if (refuseCloseWhileCovered(*this, event))
        return;
    m_book.setFrame(0);
    event->accept();
}

} // namespace vamo
