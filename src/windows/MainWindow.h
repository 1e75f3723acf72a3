// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "packaging/BuildEbook.h"
#include "workflow/FolderBatch.h"

#include <QMainWindow>

#include <memory>

namespace Ui {
class MainWindow;
}

namespace vamo {

class BackgroundWork;
class IntakeOptions;
class BookProject;
class ChapterPreview;
class DriveFolderTree;
class Navigator;
class OnlineBanner;
class TxtDropImport;

// The main window: the book settings, the chapter list (single-book tab),
// the TXT folder queue (folder tab), the make commands with their progress
// display, and the way out. It shows the one book project and changes it
// only through the project's own operations; the project's signals keep the
// controls current. The windows it opens are the navigator's.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    // Runs the start-up sequence (leftovers removed, initial values, save
    // folder created) before returning; show the window afterwards.
    // `programFolder` holds the build leftovers, the default save folder and
    // the update check's files; `environment` is what the builds use. Made
    // by `navigator`, which opens the other windows over it.
    MainWindow(BookProject& book, Navigator& navigator, QString programFolder, BuildEnvironment environment);
    ~MainWindow() override;

    BookProject& book() { return m_book; }

    // True while a book or a folder run is being made (on a worker thread;
    // the window is disabled meanwhile) or dropped files are read.
    bool busy() const { return m_busy; }

    // The folder of the folder tab (Dir1), in native form.
    QString txtFolder() const;
    void setTxtFolder(const QString& folder);

    // Opens an address in the system's browser (http and https only).
    void gotoweb(const QString& url);
    // Banner line, promotion picture, help menu and the update check; the
    // program starts the check once the window is set up.
    OnlineBanner& banner() { return *m_banner; }

    // The position selected in the chapter list (List1), -1 for none.
    int selectedChapter() const;
    void selectChapter(int position);

    // The wizard's delete, edit, move up and move down on the chapter at
    // `position` of step two's list, which the chapter list selects too.
    // Delete and the moves return the position both lists select
    // afterwards; edit tells whether the chapter is ready for the editor.
    int form5_C3_Click(int position);
    bool form5_C4_Click(int position);
    int form5_C5_Click(int position);
    int form5_C6_Click(int position);

    // The chapters selected in the chapter list, dragged within it and
    // dropped at `at` (in its viewport): the book moves them, texts with
    // names, before the row under `at` (after it in its lower half; below
    // the last row: to the end), and they stay selected.
    void dropChaptersAt(QPointF at);
    // "分章预览" for TXT files dropped on the chapter list, created on first use.
    ChapterPreview* chapterPreview();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setUpProgressDisplay();
    void setUpDrops();
    void startUp();
    void connectControls();
    void showSettings();
    void showChapters();

    // Tabs.
    void tabChosen(int index);
    void showSingleBookTab();
    void showTabControls(int index);

    // Single book.
    void makeBook();
    void bookMade(Result<BuildReport> built);
    void changeSaveFolder();
    void openSaveFolder();
    // Asks before chapters (and, with `bookNameCounts`, a book name) not yet
    // made into a book are given up; true when there is nothing to lose or
    // the user says so.
    bool abandonBook(bool bookNameCounts);
    void newBook();
    void openWizard();
    void addChapter(bool fromMenu);
    void editChapter();
    void deleteChapter();
    void undoDeleteChapters();
    void moveChapterUp();
    void moveChapterDown();
    void batchImport();
    int wizardListOperation(int (BookProject::*operation)(int), int position);

    // Folder tab.
    void refreshTxtList();
    void removeTxtEntry();
    void moveTxtEntryUp();
    void moveTxtEntryDown();
    void makeFolderBooks();
    struct FolderOutcome;
    void folderProgress(const FolderBatchProgress& progress);
    void folderBooksMade(const FolderOutcome& outcome);
    QString queuedFileName(int row) const;

    // Busy state and progress display.
    void enterBusy();
    void leaveBusy();
    void showProgress(const QString& caption, double fraction);

    std::unique_ptr<Ui::MainWindow> ui;
    BookProject& m_book;
    Navigator& m_nav;
    QString m_programFolder;
    BuildEnvironment m_env;
    DriveFolderTree* m_txtTree = nullptr;
    OnlineBanner* m_banner = nullptr;
    QAction* m_undoDelete = nullptr; // the chapter list's "撤销删除"
    std::unique_ptr<TxtDropImport> m_txtDrop;
    BackgroundWork* m_work = nullptr;         // the make commands' worker
    IntakeOptions* m_folderOptions = nullptr; // the folder tab's 整理排版, 转换为简体, 章节标题规则
    bool m_busy = false;
    bool m_leaving = false;
};

} // namespace vamo
