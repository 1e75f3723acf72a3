// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class WizardStepTwo;
}

namespace vamo {

class BookProject;
class MainWindow;

// The wizard's step two (Form5): the book's chapter list, mirrored from the
// main window's, with its own add (at most 20 chapters), the main window's
// wizard variants of edit, delete and the moves, and the way back to step
// one or on to the main window. A parentless window.
class WizardStepTwo : public QWidget {
    Q_OBJECT

public:
    explicit WizardStepTwo(MainWindow& mainWindow);
    ~WizardStepTwo() override;

    // The position selected in List1, -1 for none.
    int selectedChapter() const;
    void selectChapter(int position);

    // Step one's Next: enabled and shown at the main window's place, the list
    // rebuilt from the book with the main window's `selected` position.
    void enter(int selected);
    // The chapter editor or the batch import opened over step two is done:
    // enabled and shown again, centred over the main window when `centre`.
    void comeBack(bool centre);

Q_SIGNALS:
    // "批量导入": the batch import window should open with step two as its
    // opener (`frame` is 5, at most 20 chapters). `num` is prepared: 0 when
    // the user answered Yes to "是否清空已有的章节" (`clearExisting`), else
    // the chapter count. The listed chapters are still there: they are
    // replaced only when the import actually starts.
    void importRequested(bool clearExisting);

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
    MainWindow& m_main;
    BookProject& m_book;
};

} // namespace vamo
