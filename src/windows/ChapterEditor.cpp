// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/ChapterEditor.h"

#include "ui_ChapterEditor.h"

#include "intake/ChapterEditing.h"
#include "model/BookProject.h"
#include "text/TxtReader.h"
#include "windows/BackgroundWork.h"
#include "windows/ChapterTextEdit.h"
#include "windows/Dialogs.h"
#include "windows/IntakeOptions.h"
#include "windows/Placement.h"

#include <QCloseEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <limits>

namespace vamo {

// --- the editor window -----------------------------------------------------

ChapterEditor::ChapterEditor(BookProject& book)
    : QWidget(nullptr, Qt::Window), ui(std::make_unique<Ui::ChapterEditor>()), m_book(book)
{
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
    show();
    raise();
    activateWindow();
    ui->Text2->setFocus();
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

void ChapterEditor::returnToCaller()
{
    hide();
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
    Q_EMIT chapterStored();
    returnToCaller();
}

void ChapterEditor::back()
{
    if (!offerToSave())
        return;
    setName(QString());
    emptyContent();
    returnToCaller();
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
    QString name;              // the chapter name the file gives
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
                    read = failure(prepared);
                else
                    read->text = std::move(*prepared);
            }
            if (!read) {
                outcome.read = failure(read);
                return outcome;
            }
            outcome.name = prepareName(editing::chapterNameFromPath(path), options);
            outcome.lines = read->lines;
            outcome.characters = read->text.size();
            editing::SplitText split = editing::splitForDisplay(std::move(read->text));
            outcome.box = editing::toBox(split.visible);
            outcome.strmod = std::move(split.strmod);
            return outcome;
        },
        [this](ReadOutcome outcome) { fileRead(std::move(outcome)); });
}

void ChapterEditor::fileRead(ReadOutcome outcome)
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
    setName(outcome.name);
    ui->Label2->setText(editing::readResultLine(outcome.lines, outcome.characters));
    showContent(outcome.box.raw, outcome.box.trailingLoneCr, std::move(outcome.strmod));
}

void ChapterEditor::showProgress(double fraction, const QString& text)
{
    ui->Label3->setText(text);
    ui->Shape1->setFraction(fraction);
}

void ChapterEditor::resetProgress() { showProgress(0.0, QStringLiteral("进度")); }

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
        returnToCaller();
    }
    e->accept();
}

} // namespace vamo
