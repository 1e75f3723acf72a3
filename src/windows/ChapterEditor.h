// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class ChapterEditor;
}

namespace vamo {

class BackgroundWork;
class IntakeOptions;
class BookProject;

// The chapter editor Form3: one chapter's name and text, typed, pasted or read
// from a TXT file, stored into slot `num` of the book. A top-level window
// opened over the main window or the wizard's step two (see Navigator),
// which it gives back by hiding when done.
class ChapterEditor : public QWidget {
    Q_OBJECT
public:
    explicit ChapterEditor(BookProject& book);
    ~ChapterEditor() override;

    // New chapter: the caller has already called book.prepareAdd() (num = slot).
    // Puts `proposedName` in Text1, leaves the content as the editor has it
    // and shows itself.
    void openNew(const QString& proposedName);
    // Existing chapter: the caller has called book.prepareEdit(k) (num = k).
    // Name from the chapter list, text from slot num with the 65000 split,
    // shown.
    void openEdit();
    // Resets the hint line Label2 to the input hint.
    void resetHint();
    // The chapter text beyond what the text box shows.
    QString strmod() const { return m_strmod; }
    // What the text box shows, as chapter text (CR LF line ends).
    QString visibleText() const;
    // True while a file is being read.
    bool isReading() const { return m_reading; }

Q_SIGNALS:
    // OK stored the chapter; emitted before the editor hides.
    void chapterStored();
    // Emitted after OK/back/close has hidden the editor.
    void returned();

protected:
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void accept();   // Command1
    void back();     // Command2
    void clear();    // Command4
    void readFile(); // Command3
    void readFileAt(const QString& path);
    struct ReadOutcome;
    void fileRead(ReadOutcome outcome);

    void setName(const QString& name);
    void setContent(QString text);
    void showContent(const QString& raw, bool trailingLoneCr, QString strmod);
    void emptyContent();
    void showProgress(double fraction, const QString& text);
    // The progress text and bar as before any read: "进度", empty bar.
    void resetProgress();
    bool storeChapter(bool accept);
    // Offers to save a named, non-empty chapter; false when storing failed.
    bool offerToSave();
    void returnToCaller();
    void placeAndShow();

    std::unique_ptr<Ui::ChapterEditor> ui;
    BookProject& m_book;
    QString m_strmod;
    bool m_trailingLoneCr = false;
    BackgroundWork* m_work = nullptr;   // reads files
    IntakeOptions* m_options = nullptr; // 整理排版 and 转换为简体 for a file read
    bool m_reading = false;
};

} // namespace vamo
