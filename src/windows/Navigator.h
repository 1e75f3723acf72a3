// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "packaging/BuildEbook.h"

#include <QHash>
#include <QObject>
#include <QPointer>

#include <memory>

class QCloseEvent;
class QWidget;

namespace vamo {

class BookProject;
class ChapterEditor;
class FolderChooser;
class ImportWindow;
class MainWindow;
class WizardStepOne;
class WizardStepTwo;

// The one owner of the six windows. The main window is made with the
// navigator; the others on first use, and every one lives until the
// navigator goes. A window opens another one through the navigator, which
// places it, disables the opener and, when the opened window hides (its
// own button, its close box or a finished import), enables, shows and
// activates the opener again. So no window reaches into another: each
// talks to the book project and to the navigator.
class Navigator : public QObject {
    Q_OBJECT

public:
    // Makes the main window, which runs the start-up sequence; show it
    // afterwards (mainWindow()).
    Navigator(BookProject& book, QString programFolder, BuildEnvironment environment);
    ~Navigator() override;

    BookProject& book() { return m_book; }
    MainWindow* mainWindow() const { return m_main.get(); }
    FolderChooser* folderChooser();
    ChapterEditor* chapterEditor();
    WizardStepOne* wizardStepOne();
    WizardStepTwo* wizardStepTwo();
    ImportWindow* importWindow();

    // Shows `window` over `opener` and disables the opener until `window`
    // hides. A window shown over nothing gives nothing back.
    void open(QWidget* window, QWidget* opener);
    // The window that `window` gives back to when it hides; null when
    // `window` is not open over another one.
    QWidget* openerOf(QWidget* window) const;

    // The save folder chooser over `opener` (the main window or the
    // wizard's step one) on `saveFolder`, or on the program folder where
    // that is no folder. Its OK sets the book's save folder and tells
    // saveFolderChosen().
    void chooseSaveFolder(QWidget* opener, const QString& saveFolder);

    // The chapter editor over `opener`, centred over the main window: a new
    // chapter named `proposedName` (the book's `num` prepared by
    // prepareAdd), or the chapter in slot `num` (prepared by prepareEdit).
    void editNewChapter(QWidget* opener, const QString& proposedName);
    void editChapter(QWidget* opener);
    // The editor's hint line back to the input hint.
    void resetChapterHint();

    // The batch import entry from the main window or the wizard's step
    // two (`opener`): asks whether to clear the chapters when there are
    // any, sets `num` to the chapter count and opens Form6 over the opener.
    // The answer is only remembered: the chapters go when an import stores
    // chapters, so that back or the close box leaves them in the book.
    void openBatchImport(QWidget* opener);

    // The wizard: step one over the main window with the book's settings;
    // step one's Next hands over to step two (the main window's selected
    // chapter selected), step two's back to step one; the main window stays
    // disabled below until a step hides for good.
    void openWizard();
    void toStepTwo();
    void backToStepOne();
    // Step two's delete, edit and moves on the chapter at `position` of its
    // list: the main window's form5_C3_Click … form5_C6_Click; both lists
    // select the same chapter afterwards.
    void wizardDelete(int position);
    void wizardEdit(int position);
    void wizardMoveUp(int position);
    void wizardMoveDown(int position);
    // Step two's finish: the main window selects `position`.
    void wizardFinished(int position);

    // The way out: the other five windows close (the editor may first ask
    // whether to keep its chapter).
    void closeOthers();

Q_SIGNALS:
    // The folder chooser's OK chose `folder` (one trailing separator).
    void saveFolderChosen(const QString& folder);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void track(QWidget* window);
    void giveBack(QWidget* window);
    void openEditor(QWidget* opener);
    void selectInWizard(int position);

    BookProject& m_book;
    QString m_programFolder;
    std::unique_ptr<MainWindow> m_main;
    std::unique_ptr<FolderChooser> m_chooser;
    std::unique_ptr<ChapterEditor> m_editor;
    std::unique_ptr<WizardStepOne> m_stepOne;
    std::unique_ptr<WizardStepTwo> m_stepTwo;
    std::unique_ptr<ImportWindow> m_import;
    QHash<QWidget*, QPointer<QWidget>> m_openers; // an open window → the window it gives back to
};

// The desktop's close box on a window that has another open over it (and
// is disabled meanwhile): refused, as the one over it comes back first.
// True when the close was refused.
bool refuseCloseWhileCovered(const QWidget& window, QCloseEvent* event);

} // namespace vamo
