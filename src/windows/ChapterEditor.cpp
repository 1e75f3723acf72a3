// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/ChapterEditor.h"

#include "ui_ChapterEditor.h"

#include "intake/ChapterEditing.h"
#include "model/BookProject.h"
#include "text/TxtReader.h"
#include "windows/BackgroundWork.h"
#include "windows/Dialogs.h"
#include "windows/IntakeOptions.h"
#include "windows/Placement.h"
#include "windows/ProgressFill.h"

#include <QCloseEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QUrl>
#include <QWindow>

#include <algorithm>
#include <limits>

namespace vamo {

// --- the text box ---------------------------------------------------------

ChapterTextEdit::ChapterTextEdit(QWidget* parent) : QPlainTextEdit(parent) {}

namespace {

// The first local TXT file among dropped items; empty when there is none.
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

} // namespace

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

// --- the editor window -----------------------------------------------------

namespace {

// Disabling a widget disables its child windows as well, so the editor cannot
// be a child of the main window it disables while it is open.
QWidget* ownerOutside(QWidget* parent, QWidget* mainWindow)
{
    for (QWidget* w = parent; w && mainWindow; w = w->parentWidget()) {
        if (w == mainWindow)
            return nullptr;
    }
    return parent;
}

} // namespace

ChapterEditor::ChapterEditor(BookProject& book, QWidget* mainWindow, QWidget* parent)
    : QWidget(ownerOutside(parent, mainWindow), Qt::Window), ui(std::make_unique<Ui::ChapterEditor>()), m_book(book),
      m_mainWindow(mainWindow)
{
    // An editor meant to belong to the main window still goes with it.
    if (parent && !parentWidget())
        connect(parent, &QObject::destroyed, this, [this] { delete this; });
    ui->setupUi(this);
    m_work = new BackgroundWork(this);
    // Beside the file button: what a file read does to the text.
    m_options = new IntakeOptions({"Check1", "Check2", nullptr, nullptr}, Qt::Horizontal, this);
    ui->buttonRow->insertWidget(ui->buttonRow->indexOf(ui->Command3) + 1, m_options);
    keepOnScreen(this);
    ui->Text2->setLimit(editing::kVisibleLimit);
    // The box keeps its place while a file read hides it.
    QSizePolicy keep = ui->Text2->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    ui->Text2->setSizePolicy(keep);
    // The progress text grows while a file is read; it must not widen the window.
    ui->Label3->setSizePolicy(QSizePolicy::Ignored, ui->Label3->sizePolicy().verticalPolicy());
    ui->Label3->setMinimumHeight(ui->Label3->sizeHint().height());

    QPalette fill = ui->Shape2->palette();
    fill.setColor(QPalette::Window, fill.color(QPalette::Highlight));
    ui->Shape2->setPalette(fill);
    ui->Shape1->installEventFilter(this);
    layOutProgressFill();

    connect(ui->Command1, &QPushButton::clicked, this, &ChapterEditor::accept);
    connect(ui->Command2, &QPushButton::clicked, this, &ChapterEditor::back);
    connect(ui->Command3, &QPushButton::clicked, this, &ChapterEditor::readFile);
    connect(ui->Command4, &QPushButton::clicked, this, &ChapterEditor::clear);
    // A TXT file dropped on the editor is read as the file button reads it:
    // on the text box, on the name field or anywhere else in the window.
    connect(ui->Text2, &ChapterTextEdit::txtFileDropped, this, [this](const QString& path) {
        if (m_reading)
            return;
        resetHint();
        readFileAt(path);
    });
    setAcceptDrops(true);
    installEventFilter(this);
    ui->Text1->installEventFilter(this);
    // Typing stops at the name limit, or at the length of a longer name that
    // came from a file; shortening such a name lowers the limit again.
    connect(ui->Text1, &QLineEdit::textEdited, this, [this](const QString& text) {
        ui->Text1->setMaxLength(std::max(editing::kNameTypingLimit, static_cast<int>(text.size())));
    });
}

ChapterEditor::~ChapterEditor()
{
    // A read still running is finished first; its text goes nowhere.
    m_work->wait();
}

void ChapterEditor::openNew(const QString& proposedName)
{
    setName(proposedName);
    placeAndShow();
}

void ChapterEditor::openEdit()
{
    const int k = m_book.num();
    setName(m_book.chapterNames().value(k));
    setContent(m_book.chaptertext(k));
    placeAndShow();
}

void ChapterEditor::resetHint() { ui->Label2->setText(editing::inputHint()); }

QString ChapterEditor::visibleText() const
{
    return editing::fromBox(ui->Text2->document()->toRawText(), m_trailingLoneCr);
}

void ChapterEditor::setName(const QString& name)
{
    ui->Text1->setMaxLength(std::max(editing::kNameTypingLimit, static_cast<int>(name.size())));
    ui->Text1->setText(name);
}

void ChapterEditor::setContent(QString text)
{
    editing::SplitText split = editing::splitForDisplay(std::move(text));
    const editing::BoxText box = editing::toBox(split.visible);
    showContent(box.raw, box.trailingLoneCr, std::move(split.strmod));
}

void ChapterEditor::showContent(const QString& raw, bool trailingLoneCr, QString strmod)
{
    m_strmod = std::move(strmod);
    m_trailingLoneCr = trailingLoneCr;
    ui->Text2->setPlainText(raw);
}

void ChapterEditor::emptyContent()
{
    ui->Text2->clear();
    m_strmod.clear();
    m_trailingLoneCr = false;
}

void ChapterEditor::placeAndShow()
{
    // A chapter opened afresh shows nothing of an earlier file read.
    resetProgress();
    if (m_mainWindow) {
        if (!parentWidget()) {
            // Keep the editor above the main window it belongs to.
            winId();
            if (QWindow* own = windowHandle(); own && m_mainWindow->window()->windowHandle())
                own->setTransientParent(m_mainWindow->window()->windowHandle());
        }
        centreOver(this, m_mainWindow);
    }
    show();
    raise();
    activateWindow();
    ui->Text2->setFocus();
    if (m_mainWindow)
        m_mainWindow->setEnabled(false);
}

bool ChapterEditor::storeChapter(bool accept)
{
    const auto stored = editing::storeChapter(m_book, ui->Text1->text(), editing::joinDisplay(visibleText(), m_strmod),
                                              accept ? editing::StoreMode::Accept : editing::StoreMode::SaveOffer);
    if (!stored) {
        Dialogs::warning(this, stored.error().message);
        return false;
    }
    m_strmod.clear();
    m_trailingLoneCr = false;
    return true;
}

bool ChapterEditor::offerToSave()
{
    if (ui->Text1->text().isEmpty() || ui->Text2->document()->isEmpty())
        return true;
    if (Dialogs::question(this, QStringLiteral("是否保存编辑内容?"), Dialogs::Answer::Yes) != Dialogs::Answer::Yes)
        return true;
    return storeChapter(false);
}

void ChapterEditor::returnToCaller(bool centreWizard)
{
    if (m_book.frame() != 0) {
        if (m_mainWindow) {
            m_mainWindow->setEnabled(false);
            m_mainWindow->show();
        }
        Q_EMIT returnToWizard(centreWizard);
        hide();
    } else {
        if (m_mainWindow) {
            m_mainWindow->setEnabled(true);
            m_mainWindow->show();
        }
        hide();
        if (m_mainWindow)
            m_mainWindow->activateWindow();
    }
    Q_EMIT returned();
}

void ChapterEditor::accept()
{
    if (ui->Text1->text().trimmed().isEmpty()) {
        Dialogs::warning(this, QStringLiteral("章节名为空"));
        setName(QString());
        ui->Text1->setFocus();
        return;
    }
    // Only the visible part is tested; what lies beyond it is not looked at.
    if (visibleText().trimmed().isEmpty()) {
        Dialogs::warning(this, QStringLiteral("章节内容不能为空"));
        ui->Text2->clear();
        ui->Text2->setFocus();
        return;
    }
    if (!storeChapter(true))
        return;
    setName(QString());
    ui->Text2->clear();
    returnToCaller(true);
}

void ChapterEditor::back()
{
    if (!offerToSave())
        return;
    setName(QString());
    emptyContent();
    returnToCaller(false);
}

void ChapterEditor::clear()
{
    resetHint();
    const bool something = !ui->Text2->document()->isEmpty() || !m_strmod.isEmpty();
    if (something &&
        Dialogs::question(this, QStringLiteral("确定要清空章节内容吗？"), Dialogs::Answer::No) != Dialogs::Answer::Yes)
        return;
    // Emptied as an edit of the box, so that Ctrl+Z brings the text back
    // (what lay beyond the box is gone).
    QTextCursor all(ui->Text2->document());
    all.select(QTextCursor::Document);
    all.removeSelectedText();
    m_strmod.clear();
    m_trailingLoneCr = false;
}

void ChapterEditor::readFile()
{
    resetHint();
    const QString path = Dialogs::openTxtFile(this);
    if (path.isEmpty())
        return;
    readFileAt(path);
}

struct ChapterEditor::ReadOutcome {
    Result<void> read;
    qint64 lines = 0;
    qint64 characters = 0;
    bool figuresShown = false; // the read got as far as a progress report
    editing::BoxText box;      // what the text box is to show
    QString strmod;            // and the rest of the text
};

void ChapterEditor::readFileAt(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isDir())
        return;

    resetProgress();
    m_reading = true;
    setEnabled(false);
    ui->Text2->hide();
    // The file is read, and its text cut for the box, on the worker; the
    // progress shows at most every report interval.
    m_work->start<ReadOutcome>(
        [this, path, bytes = info.size(), options = m_options->textOptions()](BackgroundWork::Reporter& reporter) {
            editing::ReadProgress progress(bytes);
            auto read = readTxtFile(path, [&](const TxtProgress& p) {
                progress.advance(p.lines, p.characters);
                reporter.report(
                    [this, fraction = progress.fraction(), text = progress.text()] { showProgress(fraction, text); });
            });
            ReadOutcome outcome;
            outcome.figuresShown = progress.lines() > 0;
            if (read && options.any()) {
                auto prepared = prepareText(std::move(read->text), options);
                if (!prepared)
                    read = std::unexpected(prepared.error());
                else
                    read->text = std::move(*prepared);
            }
            if (!read) {
                outcome.read = std::unexpected(read.error());
                return outcome;
            }
            outcome.lines = read->lines;
            outcome.characters = read->text.size();
            editing::SplitText split = editing::splitForDisplay(std::move(read->text));
            outcome.box = editing::toBox(split.visible);
            outcome.strmod = std::move(split.strmod);
            return outcome;
        },
        [this, path](ReadOutcome outcome) { fileRead(path, std::move(outcome)); });
}

void ChapterEditor::fileRead(const QString& path, ReadOutcome outcome)
{
    if (outcome.read) {
        // A complete read fills the bar; figures shown during the read
        // give way to the totals.
        editing::ReadProgress progress(0);
        progress.finish(outcome.lines, outcome.characters);
        showProgress(progress.fraction(), outcome.figuresShown ? progress.text() : ui->Label3->text());
    } else {
        resetProgress();
    }
    setEnabled(true);
    ui->Text2->show();
    m_reading = false;

    if (!outcome.read) {
        // The editor stays as it was: name, content and what lies beyond it.
        Dialogs::warning(this, outcome.read.error().message);
        return;
    }
    setName(editing::chapterNameFromPath(path));
    ui->Label2->setText(editing::readResultLine(outcome.lines, outcome.characters));
    showContent(outcome.box.raw, outcome.box.trailingLoneCr, std::move(outcome.strmod));
}

void ChapterEditor::showProgress(double fraction, const QString& text)
{
    m_progressFraction = fraction;
    ui->Label3->setText(text);
    layOutProgressFill();
}

void ChapterEditor::resetProgress() { showProgress(0.0, QStringLiteral("进度")); }

void ChapterEditor::layOutProgressFill() { vamo::layOutProgressFill(ui->Shape1, ui->Shape2, m_progressFraction); }

bool ChapterEditor::eventFilter(QObject* watched, QEvent* e)
{
    const QEvent::Type type = e->type();
    if ((watched == this || watched == ui->Text1) &&
        (type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop)) {
        auto* drop = static_cast<QDropEvent*>(e);
        const QString path = droppedTxtFile(drop->mimeData());
        if (path.isEmpty()) {
            // Not a TXT file: the name field takes dropped text as it always has.
            if (watched == this)
                drop->ignore();
            return watched == this;
        }
        if (m_reading) {
            drop->ignore();
            return true;
        }
        drop->acceptProposedAction();
        if (type == QEvent::Drop) {
            resetHint();
            readFileAt(path);
        }
        return true;
    }
    if (watched == ui->Shape1 && e->type() == QEvent::Resize)
        layOutProgressFill();
    return QWidget::eventFilter(watched, e);
}

void ChapterEditor::keyPressEvent(QKeyEvent* e)
{
    // Enter in the name box (or on a control that does not take it) is OK.
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && ui->Command1->isEnabled()) {
        ui->Command1->click();
        e->accept();
        return;
    }
    QWidget::keyPressEvent(e);
}

void ChapterEditor::closeEvent(QCloseEvent* e)
{
    // A file read keeps the window busy; it cannot be closed halfway.
    if (m_reading) {
        e->ignore();
        return;
    }
    if (isVisible()) {
        if (!offerToSave()) {
            e->ignore();
            return;
        }
        setName(QString());
        emptyContent();
        setEnabled(true);
        ui->Text2->show();
        returnToCaller(false);
    }
    // Closing unloads the editor; the main window makes a new one next time.
    setAttribute(Qt::WA_DeleteOnClose, true);
    e->accept();
}

} // namespace vamo
