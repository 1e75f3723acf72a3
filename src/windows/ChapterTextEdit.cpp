// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/ChapterTextEdit.h"

#include "intake/ChapterEditing.h"

#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>

#include <algorithm>
#include <limits>

namespace vamo {

ChapterTextEdit::ChapterTextEdit(QWidget* parent) : QPlainTextEdit(parent) {}

QString droppedTxtFile(const QMimeData* source)
{
    if (!source || !source->hasUrls())
        return {};
    for (const QUrl& url : source->urls()) {
        if (!url.isLocalFile())
            continue;
        const QFileInfo info(url.toLocalFile());
        if (info.isFile() && info.suffix().compare(QStringLiteral("txt"), Qt::CaseInsensitive) == 0)
            return info.filePath();
    }
    return {};
}

bool ChapterTextEdit::canInsertFromMimeData(const QMimeData* source) const
{
    return !droppedTxtFile(source).isEmpty() || QPlainTextEdit::canInsertFromMimeData(source);
}

qsizetype ChapterTextEdit::chapterLength() const
{
    // Every paragraph break is one position of the document but the two
    // characters CR LF of the chapter; the document's last break is not text.
    const QTextDocument* doc = document();
    return qsizetype{doc->characterCount()} - 1 + qsizetype{doc->blockCount()} - 1;
}

qsizetype ChapterTextEdit::room() const
{
    if (m_limit <= 0)
        return std::numeric_limits<qsizetype>::max();
    const QTextCursor c = textCursor();
    qsizetype selected = 0;
    if (c.hasSelection()) {
        const QTextDocument* doc = document();
        const int s = c.selectionStart();
        const int e = c.selectionEnd();
        selected = qsizetype{e - s} + doc->findBlock(e).blockNumber() - doc->findBlock(s).blockNumber();
    }
    return std::max<qsizetype>(0, m_limit - chapterLength() + selected);
}

void ChapterTextEdit::insertFromMimeData(const QMimeData* source)
{
    if (isReadOnly() || !source)
        return;
    if (const QString path = droppedTxtFile(source); !path.isEmpty()) {
        Q_EMIT txtFileDropped(path);
        return;
    }
    if (!source->hasText())
        return;
    // Only the part that can fit is converted: a huge clipboard costs nothing.
    const qsizetype free = room();
    const QString text = source->text();
    const qsizetype take = free >= text.size() ? text.size() : 2 * free + 2;
    const QString box = editing::pastedToBox(QStringView(text).first(std::min(text.size(), take)));
    const QStringView fit = editing::fitIntoRoom(box, free);
    if (fit.isEmpty())
        return;
    QTextCursor c = textCursor();
    c.insertText(fit.toString());
    setTextCursor(c);
    ensureCursorVisible();
}

void ChapterTextEdit::keyPressEvent(QKeyEvent* e)
{
    if (m_limit > 0 && !isReadOnly()) {
        const bool enter = e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter;
        const auto mods = e->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
        if (enter && mods == Qt::NoModifier) {
            // Every line end of a chapter is CR LF, also with Shift held.
            if (room() >= 2) {
                QTextCursor c = textCursor();
                c.insertBlock();
                setTextCursor(c);
                ensureCursorVisible();
            }
            e->accept();
            return;
        }
        const QString text = e->text();
        const bool typing =
            !text.isEmpty() && text.at(0).isPrint() && !(e->modifiers() & (Qt::ControlModifier | Qt::MetaModifier));
        if (typing && room() < text.size()) {
            e->accept();
            return;
        }
    }
    QPlainTextEdit::keyPressEvent(e);
}

void ChapterTextEdit::inputMethodEvent(QInputMethodEvent* e)
{
    const QString commit = e->commitString();
    if (m_limit <= 0 || commit.isEmpty()) {
        QPlainTextEdit::inputMethodEvent(e);
        return;
    }
    const QString box = editing::pastedToBox(commit);
    const QStringView fit = editing::fitIntoRoom(box, room());
    if (fit.size() == commit.size() && box == commit) {
        QPlainTextEdit::inputMethodEvent(e);
        return;
    }
    QInputMethodEvent limited(e->preeditString(), e->attributes());
    limited.setCommitString(fit.toString(), e->replacementStart(), e->replacementLength());
    QPlainTextEdit::inputMethodEvent(&limited);
}

} // namespace vamo
