// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class WizardStepTwo;
}

namespace vamo {

class BookProject;
class Navigator;

// The wizard's step two (Form5): the book's chapter list, mirrored from the
// main window's, with its own add (at most 20 chapters), the main window's
// wizard variants of edit, delete and the moves (through the navigator),
// and the way back to step one or on to the main window. A parentless
// window over the main window.
class WizardStepTwo : public QWidget {
    Q_OBJECT

public:
    WizardStepTwo(BookProject& book, Navigator& navigator);
    ~WizardStepTwo() override;

    // The position selected in List1, -1 for none.
    int selectedChapter() const;
    void selectChapter(int position);

    // Step one's Next: the list rebuilt from the book with the main
    // window's `selected` position.
    void enter(int selected);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void batchImport(); // Command1
    void addChapter();  // Command2
    void editChapter(); // Command4
    void back();        // Command7
    void finish();      // Command8
    void leave();       // Command9
    void showChapters();
    void returnToMainWindow();

    std::unique_ptr<Ui::WizardStepTwo> ui;
    BookProject& m_book;
    Navigator& m_nav;
};

} // namespace vamo
