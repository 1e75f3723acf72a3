// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "intake/BatchImport.h"

#include <QPointer>
#include <QWidget>

#include <atomic>
#include <memory>

namespace Ui {
class ImportWindow;
}

namespace vamo {

class BackgroundWork;
class BookProject;
class DriveFolderTree;
class IntakeOptions;

// The batch import window Form6: the TXT files of one folder, in an order
// the user may change, become chapters appended to the book (or replacing
// its chapters, when the opener was told to clear them). A top-level window
// that returns to its opener: the main window, or the wizard's step two.
//
// The files are read on a worker thread over a snapshot of the list; the
// progress arrives queued; the book changes on this window's thread once
// the reading is over.
class ImportWindow : public QWidget {
    Q_OBJECT

public:
    // `mainWindow` is Form1: the window places itself against it and
    // enables it again when it returns there.
    ImportWindow(BookProject& book, QWidget* mainWindow, QWidget* parent = nullptr);
    ~ImportWindow() override;

    // Opened by the main window's batch import (`num` already prepared):
    // naming rule 0, placed at the main window's top left corner, the file
    // list refreshed, shown with the progress frame hidden, the main window
    // disabled. `clearExisting`: the book's chapters are replaced, but only
    // once an import actually stores chapters.
    void openFromMainWindow(bool clearExisting);
    // Opened by the wizard's step two `stepTwo` (`frame` 5, `num` already
    // prepared): naming rule 0, step two and this window stacked at the
    // bottom of the main window, both centred on it, this one above; shown,
    // the main window and step two disabled. The file list and the progress
    // frame stay as they were. While step two is visible, every way back
    // (back, close box, the end of an import) enables and shows it again
    // and leaves the main window disabled.
    void openFromWizard(QWidget* stepTwo, bool clearExisting);

    // The folder change: refreshes the file list for the current folder.
    void Dir1_Change();

    // Selects `folder` (and its drive) in the folder list, which refreshes
    // the file list when the folder changes.
    void setFolder(const QString& folder);
    // The import folder: the selected folder with one trailing separator.
    QString importFolder() const;

    // True while the files are being read.
    bool isImporting() const;

Q_SIGNALS:
    // Control went back to the opener (back, close box, a finished import).
    void returned();
    // An import ended and the book holds its chapters (`imported` of them,
    // possibly none); emitted before the window returns to its opener.
    void importFinished(int imported);
    // The window is about to be destroyed (a finished import or its close
    // box); the next opener needs a fresh one.
    void unloading();

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void startImport();   // Command1
    void back();          // Command2
    void removeEntry();   // Command3
    void moveEntryUp();   // Command4
    void moveEntryDown(); // Command5

    void showProgress(const ImportProgress& p);
    void setFraction(double fraction);
    void finishImport(ImportOutcome outcome);
    void setListHeight(bool importing);
    void returnToOpener();
    void unload();
    void keepAbove(QWidget* opener);

    std::unique_ptr<Ui::ImportWindow> ui;
    BookProject& m_book;
    QPointer<QWidget> m_mainWindow;
    QPointer<QWidget> m_stepTwo; // set while opened from the wizard
    DriveFolderTree* m_tree = nullptr;
    IntakeOptions* m_options = nullptr; // 整理排版, 转换为简体, 章节标题规则
    bool m_clearExisting = false;
    bool m_unloading = false;
    double m_fraction = 0;

    ImportRequest m_request; // the running import's snapshot
    BackgroundWork* m_work = nullptr;
    std::atomic_bool m_cancel{false};
};

} // namespace vamo
