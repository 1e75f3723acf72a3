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
// opened over the main window or the wizard's step two (see Navigator),
// which it gives back by hiding.
//
// The files are read on a worker thread over a snapshot of the list; the
// progress arrives queued; the book changes on this window's thread once
// the reading is over.
class ImportWindow : public QWidget {
    Q_OBJECT

public:
    // `mainWindow` is Form1: the window places itself against it.
    ImportWindow(BookProject& book, QWidget* mainWindow);
    ~ImportWindow() override;

    // Before it opens over the main window's batch import (`num` already
    // prepared): naming rule 0, placed at the main window's top left
    // corner, the file list refreshed, the progress frame hidden.
    // `clearExisting`: the book's chapters are replaced, but only once an
    // import actually stores chapters.
    void openFromMainWindow(bool clearExisting);
    // Before it opens over the wizard's step two `stepTwo` (`frame` 5, `num`
    // already prepared): naming rule 0, step two and this window stacked at
    // the bottom of the main window, both centred on it, this one above.
    // The file list and the progress frame stay as they were.
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
    // The window hid and gave control back to its opener (back, close box,
    // an import that stored chapters).
    void returned();
    // An import ended and the book holds its chapters (`imported` of them,
    // possibly none); emitted before the window returns to its opener.
    void importFinished(int imported);

protected:
    void closeEvent(QCloseEvent* e) override;

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

    std::unique_ptr<Ui::ImportWindow> ui;
    BookProject& m_book;
    QPointer<QWidget> m_mainWindow;
    DriveFolderTree* m_tree = nullptr;
    IntakeOptions* m_options = nullptr; // 整理排版, 转换为简体, 章节标题规则
    bool m_clearExisting = false;

    ImportRequest m_request; // the running import's snapshot
    BackgroundWork* m_work = nullptr;
    std::atomic_bool m_cancel{false};
};

} // namespace vamo
