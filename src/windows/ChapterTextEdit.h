// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPlainTextEdit>
#include <QString>

class QMimeData;

namespace vamo {

// The first local TXT file among dropped items; empty when there is none.
[[nodiscard]] QString droppedTxtFile(const QMimeData* source);

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

} // namespace vamo
