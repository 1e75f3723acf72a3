// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/ImportWindow.h"

#include "ui_ImportWindow.h"

#include "model/BookProject.h"
#include "windows/BackgroundWork.h"
#include "windows/Dialogs.h"
#include "windows/FolderChooser.h"
#include "windows/IntakeOptions.h"
#include "windows/ListRows.h"
#include "windows/Placement.h"
#include "windows/ProgressFill.h"
#include "workflow/FolderBatch.h"

#include <QCloseEvent>
#include <QDir>
#include <QLayout>
#include <QWindow>

namespace vamo {

namespace {

// The file list's heights (2430 and 990 twips): the shorter one makes room
// for the progress frame while an import runs.
constexpr int kListHeight = 162;
constexpr int kListHeightImporting = 66;

} // namespace

ImportWindow::ImportWindow(BookProject& book, QWidget* mainWindow, QWidget* parent)
    : QWidget(parent, Qt::Window), ui(std::make_unique<Ui::ImportWindow>()), m_book(book), m_mainWindow(mainWindow)
{
    ui->setupUi(this);
    m_work = new BackgroundWork(this);
    keepOnScreen(this);
    ui->Combo1->addItems(namingRuleItems());
    setListHeight(false);
    // The progress texts grow during an import; they must not widen the window.
    for (QLabel* label : {ui->Label5, ui->Label6, ui->Label7})
        label->setSizePolicy(QSizePolicy::Ignored, label->sizePolicy().verticalPolicy());

    QPalette fill = ui->Shape2->palette();
    fill.setColor(QPalette::Window, fill.color(QPalette::Highlight));
    ui->Shape2->setPalette(fill);
    ui->Shape1->installEventFilter(this);
    setFraction(0);

    m_options = new IntakeOptions({"Check2", "Check3", "Label8", "Text1"}, Qt::Horizontal, ui->Frame3);
    ui->frame3Layout->addWidget(m_options, 4, 0, 1, 2);

    m_tree = new DriveFolderTree(ui->Drive1, ui->Dir1, this);
    connect(m_tree, &DriveFolderTree::folderChanged, this, &ImportWindow::Dir1_Change);
    // The chosen folder's path under the tree, as on the folder tab.
    showPathEnd(ui->TxtFolderPath, QStringLiteral("选中的txt文件夹"));
    connect(m_tree, &DriveFolderTree::folderChanged, ui->TxtFolderPath, &QLineEdit::setText);
    connect(ui->Command1, &QPushButton::clicked, this, &ImportWindow::startImport);
    connect(ui->Command2, &QPushButton::clicked, this, &ImportWindow::back);
    connect(ui->Command3, &QPushButton::clicked, this, &ImportWindow::removeEntry);
    connect(ui->Command4, &QPushButton::clicked, this, &ImportWindow::moveEntryUp);
    connect(ui->Command5, &QPushButton::clicked, this, &ImportWindow::moveEntryDown);
    rows::makeFileListEditable(ui->List1);
    m_tree->setFolder(QDir::homePath());
}

ImportWindow::~ImportWindow()
{
    // Ending the program during an import: the file being read is finished,
    // the rest is not read and the book is left alone.
    m_cancel = true;
    m_work->wait();
}

bool ImportWindow::isImporting() const { return m_work->running(); }

// ------------------------------------------------------------- opening ---

void ImportWindow::openFromMainWindow(bool clearExisting)
{
    m_stepTwo = nullptr;
    m_clearExisting = clearExisting;
    ui->Combo1->setCurrentIndex(0);
    ui->Check1->setChecked(false);
    if (m_mainWindow) {
        keepAbove(m_mainWindow);
        move(m_mainWindow->frameGeometry().topLeft());
    }
    Dir1_Change();
    show();
    raise();
    activateWindow();
    ui->Frame1->hide();
    if (m_mainWindow)
        m_mainWindow->setEnabled(false);
}

void ImportWindow::openFromWizard(QWidget* stepTwo, bool clearExisting)
{
    m_stepTwo = stepTwo;
    m_clearExisting = clearExisting;
    ui->Combo1->setCurrentIndex(0);
    ui->Check1->setChecked(false);
    if (m_mainWindow && stepTwo) {
        keepAbove(stepTwo);
        // The size the window shows with, before it is first shown.
        ensurePolished();
        layout()->activate();
        const QRect main = m_mainWindow->frameGeometry();
        const QSize wizard = stepTwo->frameGeometry().size();
        const QSize mine = frameGeometry().size();
        const int bottom = main.top() + main.height();
        stepTwo->move(main.left() + (main.width() - wizard.width()) / 2, bottom - wizard.height());
        move(main.left() + (main.width() - mine.width()) / 2, bottom - mine.height() - wizard.height());
        // Both kept on the screen (this window when it is shown).
        fitOnScreen(stepTwo);
    }
    show();
    raise();
    activateWindow();
    if (m_mainWindow)
        m_mainWindow->setEnabled(false);
    if (stepTwo)
        stepTwo->setEnabled(false);
}

void ImportWindow::keepAbove(QWidget* opener)
{
    if (parentWidget())
        return;
    winId();
    if (QWindow* own = windowHandle(); own && opener->window()->windowHandle())
        own->setTransientParent(opener->window()->windowHandle());
}

// --------------------------------------------------------- file list ---

void ImportWindow::setFolder(const QString& folder) { m_tree->setFolder(folder); }

QString ImportWindow::importFolder() const { return FolderChooser::withTrailingSeparator(m_tree->folder()); }

void ImportWindow::Dir1_Change()
{
    ui->List1->clear();
    const QString folder = importFolder();
    if (folder.isEmpty())
        return;
    auto listed = listTxtFolder(folder);
    if (!listed) {
        Dialogs::information(this, listed.error().message);
        return;
    }
    ui->List1->addItems(*listed);
}

void ImportWindow::removeEntry() { rows::removeSelected(ui->List1); }

void ImportWindow::moveEntryUp() { rows::moveSelectedUp(ui->List1); }

void ImportWindow::moveEntryDown() { rows::moveSelectedDown(ui->List1); }

// ------------------------------------------------------------- import ---

void ImportWindow::startImport()
{
    if (isImporting())
        return;
    ImportRequest request;
    request.folder = importFolder();
    for (int i = 0; i < ui->List1->count(); ++i)
        request.files << ui->List1->item(i)->text();
    if (request.files.isEmpty()) {
        Dialogs::information(this, QStringLiteral("该文件夹不存在TXT文件！"));
        return;
    }
    request.rule = ui->Combo1->currentIndex();
    request.splitChapters = ui->Check1->isChecked();
    if (const std::optional<QString> problem = m_options->patternProblem(); request.splitChapters && problem) {
        Dialogs::warning(this, *problem);
        return;
    }
    request.pattern = m_options->pattern();
    request.text = m_options->textOptions();
    request.existing = m_clearExisting ? 0 : m_book.chapterCount();
    request.limit = importChapterLimit(m_book.frame());
    if (request.room() == 0) {
        // The book is full: nothing is read, nothing changes.
        Dialogs::information(this, readImport(request).message());
        return;
    }

    m_request = request;
    m_cancel = false;
    setEnabled(false);
    ui->Frame1->show();
    setListHeight(true);

    // The worker sees only the snapshot; its reports arrive queued, at most
    // one per report interval.
    m_work->start<ImportOutcome>(
        [this, request](BackgroundWork::Reporter& reporter) {
            return readImport(
                request,
                [this, &reporter](const ImportProgress& p) { reporter.report([this, p] { showProgress(p); }); },
                &m_cancel);
        },
        [this](ImportOutcome outcome) { finishImport(std::move(outcome)); });
}

void ImportWindow::showProgress(const ImportProgress& p)
{
    if (!isImporting())
        return; // a report that arrived after the end
    ui->Frame1->setTitle(importCountCaption(p.file, p.files));
    ui->Label5->setText(importNameCaption(p.chapterName));
    ui->Label6->setText(importEstimateCaption(p.estimate));
    if (p.file < ui->List1->count() && ui->List1->currentRow() != p.file)
        ui->List1->setCurrentRow(p.file);
    if (p.lines > 0) {
        ui->Label7->setText(importReadingCaption(p));
        setFraction(p.fraction);
    } else if (p.fraction > 0) {
        ui->Label7->setText(importFileDoneCaption(p.fraction));
        setFraction(p.fraction);
    }
}

void ImportWindow::finishImport(ImportOutcome outcome)
{
    if (!outcome.cancelled) {
        // Every file the book had room for was read: the final count and a
        // full bar, not the figures of the last progress report.
        const int files = static_cast<int>(m_request.files.size() - outcome.overCapacity.size());
        ui->Frame1->setTitle(importCountCaption(files - 1, files));
        ui->Label7->setText(importFileDoneCaption(1.0));
        setFraction(1.0);
    } else if (outcome.fraction > 0) {
        ui->Label7->setText(importFileDoneCaption(outcome.fraction));
        setFraction(outcome.fraction);
    }
    setEnabled(true);
    setListHeight(false);

    const auto applied = applyImport(m_book, m_request, outcome, m_clearExisting);
    if (!applied) {
        Dialogs::information(this, applied.error().message);
        return;
    }
    const int imported = *applied;
    if (imported > 0)
        m_clearExisting = false;
    if (const QString message = outcome.message(); !message.isEmpty())
        Dialogs::information(this, message);
    Q_EMIT importFinished(imported);
    if (imported > 0) {
        returnToOpener();
        unload();
    }
}

void ImportWindow::setFraction(double fraction)
{
    m_fraction = fraction;
    layOutProgressFill(ui->Shape1, ui->Shape2, m_fraction);
}

void ImportWindow::setListHeight(bool importing)
{
    ui->List1->setFixedHeight(importing ? kListHeightImporting : kListHeight);
}

bool ImportWindow::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == ui->Shape1 && e->type() == QEvent::Resize)
        layOutProgressFill(ui->Shape1, ui->Shape2, m_fraction);
    return QWidget::eventFilter(watched, e);
}

// ----------------------------------------------------------- leaving ---

void ImportWindow::returnToOpener()
{
    if (m_stepTwo && m_stepTwo->isVisible()) {
        if (m_mainWindow)
            m_mainWindow->setEnabled(false);
        m_stepTwo->setVisible(true);
        m_stepTwo->setEnabled(true);
        hide();
        m_stepTwo->activateWindow();
    } else {
        if (m_mainWindow)
            m_mainWindow->setEnabled(true);
        hide();
        if (m_mainWindow)
            m_mainWindow->activateWindow();
    }
    Q_EMIT returned();
}

void ImportWindow::back() { returnToOpener(); }

void ImportWindow::unload()
{
    if (m_unloading)
        return;
    m_unloading = true;
    Q_EMIT unloading();
    hide();
    deleteLater();
}

void ImportWindow::closeEvent(QCloseEvent* e)
{
    // An import keeps the window busy; it cannot be closed halfway.
    if (isImporting()) {
        e->ignore();
        return;
    }
    e->accept();
    if (m_unloading)
        return;
    setEnabled(true);
    if (isVisible())
        returnToOpener();
    unload();
}

} // namespace vamo
