// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPlainTextEdit>
#include <QPointer>
#include <QWidget>

#include <memory>

namespace Ui {
class ChapterEditor;
}

namespace vamo {

class BackgroundWork;
class IntakeOptions;
class BookProject;

// The chapter text box: a plain text box whose typing, pasting and dropping
// stop at a limit counted in chapter characters (a line end counts as CR LF).
// Text put in by the program is not limited.
class ChapterTextEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ChapterTextEdit(QWidget* parent = nullptr);

    void setLimit(qsizetype limit) { m_limit = limit; }
    qsizetype limit() const { return m_limit; }
    // The text in chapter characters, without converting it.
    qsizetype chapterLength() const;

Q_SIGNALS:
    // A TXT file was dropped on the box: it is read, not its path inserted.
    void txtFileDropped(const QString& path);

protected:
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    void keyPressEvent(QKeyEvent* e) override;
    void inputMethodEvent(QInputMethodEvent* e) override;

private:
    // Chapter characters that may still be typed in place of the selection.
    qsizetype room() const;

    qsizetype m_limit = 0;
};

// The chapter editor Form3: one chapter's name and text, typed, pasted or read
// from a TXT file, stored into slot `num` of the book. A top-level window that
// returns to the main window (or, while `frame` is set, the wizard) when done.
class ChapterEditor : public QWidget {
    Q_OBJECT
public:
    // `mainWindow` is Form1: the editor centres itself over it, and enables it
    // again when it returns to its caller (frame == 0).
    ChapterEditor(BookProject& book, QWidget* mainWindow, QWidget* parent = nullptr);
    ~ChapterEditor() override;

    // New chapter: the caller has already called book.prepareAdd() (num = slot).
    // Puts `proposedName` in Text1, leaves the content as the editor has it,
    // centres over the main window, shows itself and disables the main window.
    void openNew(const QString& proposedName);
    // Existing chapter: the caller has called book.prepareEdit(k) (num = k).
    // Name from the chapter list, text from slot num with the 65000 split,
    // centred, shown, main window disabled.
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
    // Emitted after OK/back/close has returned control to the caller.
    void returned();
    // Emitted instead of enabling the main window when `frame` is non-zero:
    // the wizard's step two should enable and show itself again, centred over
    // the main window when `centre` is set (after OK).
    void returnToWizard(bool centre);

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
    void layOutProgressFill();
    bool storeChapter(bool accept);
    // Offers to save a named, non-empty chapter; false when storing failed.
    bool offerToSave();
    void returnToCaller(bool centreWizard);
    void placeAndShow();

    std::unique_ptr<Ui::ChapterEditor> ui;
    BookProject& m_book;
    QPointer<QWidget> m_mainWindow;
    QString m_strmod;
    bool m_trailingLoneCr = false;
    BackgroundWork* m_work = nullptr;   // reads files
    IntakeOptions* m_options = nullptr; // 整理排版 and 转换为简体 for a file read
    bool m_reading = false;
    double m_progressFraction = 0.0;
};

} // namespace vamo
