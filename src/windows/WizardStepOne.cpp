// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/WizardStepOne.h"

#include "ui_WizardStepOne.h"

#include "model/BookProject.h"
#include "model/Site.h"
#include "packaging/MakeChecks.h"
#include "windows/Dialogs.h"
#include "windows/FieldFlag.h"
#include "windows/Navigator.h"
#include "windows/Placement.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>

namespace vamo {

namespace {

void setTextIfDifferent(QLineEdit* edit, const QString& text)
{
    if (edit->text() != text)
        edit->setText(text);
}

} // namespace

WizardStepOne::WizardStepOne(BookProject& book, Navigator& navigator)
    : QWidget(nullptr, Qt::Window), ui(std::make_unique<Ui::WizardStepOne>()), m_book(book), m_nav(navigator)
{
    ui->setupUi(this);
    keepOnScreen(this);
    showPathEnd(ui->Text1, ui->Text1->toolTip());
    ui->Combo1->addItems(wizard::jarSizeItems());
    ui->Combo2->addItems(BookProject::phoneModelItems());
    ui->Text2->setText(site::defaultMaker());
    ui->Text4->setText(site::defaultMessage());

    connect(ui->Command1, &QPushButton::clicked, this, &WizardStepOne::browse);
    connect(ui->Command8, &QPushButton::clicked, this, &WizardStepOne::next);
    connect(ui->Command9, &QPushButton::clicked, this, &WizardStepOne::leave);
    // What the make command would refuse in the JAR name shows as it is typed.
    connect(ui->Text5, &QLineEdit::textChanged, this,
            [this](const QString& text) { flagField(ui->Text5, jarNameProblem(text)); });
    // The folder chooser's OK, opened from here or from the main window.
    connect(&m_nav, &Navigator::saveFolderChosen, this, &WizardStepOne::setSaveFolder);
}

WizardStepOne::~WizardStepOne() = default;

void WizardStepOne::takeSettings(const BookSettings& settings)
{
    const wizard::StepOne f = wizard::stepOneFrom(settings);
    ui->Text1->setText(f.saveFolder);
    ui->Text5->setText(f.jarName);
    ui->Text3->setText(f.bookName);
    ui->Text2->setText(f.maker);
    ui->Text4->setText(f.message);
    ui->Combo1->setCurrentIndex(f.jarSize);
    // With no entry of the book's size chosen, Next keeps that size.
    ui->Combo1->setPlaceholderText(f.jarSize < 0 ? BookProject::jarSizeItems().value(settings.jarSize) : QString());
    ui->Combo2->setCurrentIndex(f.phoneModel);
    ui->Text3->setFocus();
}

QLineEdit* WizardStepOne::fieldEdit(MakeField field) const
{
    switch (field) {
    case MakeField::JarName:
        return ui->Text5;
    case MakeField::BookName:
        return ui->Text3;
    case MakeField::Maker:
        return ui->Text2;
    case MakeField::Message:
        return ui->Text4;
    case MakeField::Chapters:
        break;
    }
    return nullptr;
}

wizard::StepOne WizardStepOne::fields() const
{
    return {ui->Text1->text(), ui->Text5->text(),          ui->Text3->text(),         ui->Text2->text(),
            ui->Text4->text(), ui->Combo1->currentIndex(), ui->Combo2->currentIndex()};
}

void WizardStepOne::setSaveFolder(const QString& folder) { ui->Text1->setText(folder); }

void WizardStepOne::browse() { m_nav.chooseSaveFolder(this, ui->Text1->text()); }

void WizardStepOne::next()
{
    const wizard::StepOne f = fields();
    if (auto checked = wizard::checkStepOne(f); !checked) {
        Dialogs::information(this, checked.error().message);
        if (QLineEdit* edit = fieldEdit(checked.error().field); edit && checked.error().emptyField)
            setTextIfDifferent(edit, QString());
        return;
    }
    m_book.setFrame(wizard::kStepTwoFrame);
    m_nav.toStepTwo();
    m_book.setSettings(wizard::carriedOver(m_book.settings(), f));
}

void WizardStepOne::leave()
{
    // What Next carried over stays; what was typed since does not. Hidden,
    // step one gives the main window back.
    m_book.setFrame(0);
    hide();
}

void WizardStepOne::closeEvent(QCloseEvent* event)
{
    // The folder chooser is open over step one.
    if (refuseCloseWhileCovered(*this, event))
        return;
    m_book.setFrame(0);
    event->accept();
}

} // namespace vamo
