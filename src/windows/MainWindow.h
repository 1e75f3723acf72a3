#pragma once

#include "packaging/BuildEbook.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QPointer>

#include <memory>

namespace Ui {
class MainWindow;
}

namespace vamo {

class BookProject;
class ChapterEditor;
class ChapterPreview;
class DriveFolderTree;
class FolderChooser;
class TxtDropImport;

// The main window: the book settings, the chapter list (single-book tab),
// the TXT folder queue (folder tab), the make commands with their progress
// display, and the way out. It shows the one book project and changes it
// only through the project's own operations; the project's signals keep the
// controls current.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    // Runs the start-up sequence (leftovers removed, initial values, save
    // folder created) before returning; show the window afterwards.
    MainWindow(BookProject& book, BuildEnvironment environment, QWidget* parent = nullptr);
    ~MainWindow() override;

    BookProject& book() { return m_book; }
    const BuildEnvironment& environment() const { return m_env; }

    // True while a book or a folder run is being made.
    bool busy() const { return m_busy; }

    // The folder of the folder tab (Dir1), in native form.
    QString txtFolder() const;
    void setTxtFolder(const QString& folder);

    // Form2, created on first use.
    FolderChooser* folderChooser();
    // Form3, created on first use and again after its close box unloaded it.
    ChapterEditor* chapterEditor();
    // "分章预览" for TXT files dropped on the chapter list, created on first use.
    ChapterPreview* chapterPreview();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
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
    void changeSaveFolder();
    void openSaveFolder();
    void newBook();
    void openWizard();
    void addChapter(bool fromMenu);
    void editChapter();
    void deleteChapter();
    void moveChapterUp();
    void moveChapterDown();
    void batchImport();

    // Folder tab.
    void refreshTxtList();
    void removeTxtEntry();
    void moveTxtEntryUp();
    void moveTxtEntryDown();
    void makeFolderBooks();

    // Busy state and progress display.
    void enterBusy();
    void leaveBusy();
    void showProgress(const QString& caption, double fraction);
    void layOutProgressFill();
    void keepPainting();

    std::unique_ptr<Ui::MainWindow> ui;
    BookProject& m_book;
    BuildEnvironment m_env;
    DriveFolderTree* m_txtTree = nullptr;
    QPointer<FolderChooser> m_chooser;
    QPointer<ChapterEditor> m_editor;
    std::unique_ptr<TxtDropImport> m_txtDrop;
    bool m_busy = false;
    double m_fraction = 0;
    QElapsedTimer m_sincePaint;
};

} // namespace vamo
