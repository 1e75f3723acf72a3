// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "workflow/NewBookWizard.h"

#include <QWidget>

#include <memory>

class QLineEdit;

namespace Ui {
class WizardStepOne;
}

namespace vamo {

class BookProject;
class Navigator;

// The wizard's step one (Form4): the book's settings, checked by Next and
// carried over into the book before step two opens. A parentless window
// opened over the main window, which stays disabled below both steps.
class WizardStepOne : public QWidget {
    Q_OBJECT

public:
    WizardStepOne(BookProject& book, Navigator& navigator);
    ~WizardStepOne() override;

    // The wizard entry: the fields take the book's settings, the JAR size by
    // the size it names. Where step one has no entry of the book's size, none
    // is chosen and the list shows the book's size in grey.
    void takeSettings(const BookSettings& settings);
    wizard::StepOne fields() const;
    // The save folder the folder chooser's OK chose.
    void setSaveFolder(const QString& folder);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void browse(); // Command1
    void next();   // Command8
    void leave();  // Command9
    // The control of a field that a check names; null for none.
    QLineEdit* fieldEdit(MakeField field) const;

    std::unique_ptr<Ui::WizardStepOne> ui;
    BookProject& m_book;
    Navigator& m_nav;
};

} // namespace vamo
