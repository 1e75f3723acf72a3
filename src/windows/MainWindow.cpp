// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/MainWindow.h"

#include "ui_MainWindow.h"

#include "intake/BatchImport.h"
#include "model/BookProject.h"
#include "model/Progress.h"
#include "model/Site.h"
#include "packaging/MakeChecks.h"
#include "startup/ProgramFolder.h"
#include "startup/Startup.h"
#include "text/FileNames.h"
#include "windows/BackgroundWork.h"
#include "windows/Dialogs.h"
#include "windows/DriveFolderTree.h"
#include "windows/FieldFlag.h"
#include "windows/IntakeOptions.h"
#include "windows/ListRows.h"
#include "windows/Navigator.h"
#include "windows/OnlineBanner.h"
#include "windows/Placement.h"
#include "windows/TxtDropImport.h"
#include "workflow/FolderBatch.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QListWidget>
#include <QMimeData>
#include <QScreen>
#include <QSignalBlocker>
#include <QUrl>
#include <QWindow>

#include <algorithm>

namespace vamo {

namespace {

constexpr int kSingleBookTab = 0;
constexpr int kFolderTab = 1;
// Queue entries whose file name is not valid UTF-8 keep it here (see
// FileNames.h); their text is the name decoded.
constexpr int kFileNameRole = Qt::UserRole;
const QString kReading = QStringLiteral("导入文件");
const QString kAbandonBook = QStringLiteral("当前电子书尚未制作，确定要放弃吗？");
const QString kBuilding = QStringLiteral("打包进度");

void setTextIfDifferent(QLineEdit* edit, const QString& text)
{
    if (edit->text() != text)
        edit->setText(text);
}

void setIndexIfDifferent(QComboBox* combo, int index)
{
    if (combo->currentIndex() != index)
        combo->setCurrentIndex(index);
}

// The first local folder among dropped items.
QString droppedFolder(const QMimeData* mime)
{
    if (!mime || !mime->hasUrls())
        return {};
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isDir())
            return url.toLocalFile();
    }
    return {};
}

// Whether a drag carries files or folders of this machine.
bool hasLocalUrls(const QMimeData* mime)
{
    if (!mime || !mime->hasUrls())
        return false;
    const QList<QUrl> urls = mime->urls();
    return std::any_of(urls.cbegin(), urls.cend(), [](const QUrl& url) { return url.isLocalFile(); });
}

} // namespace

MainWindow::MainWindow(BookProject& book, Navigator& navigator, QString programFolder, BuildEnvironment environment)
    : QMainWindow(nullptr), ui(std::make_unique<Ui::MainWindow>()), m_book(book), m_nav(navigator),
      m_programFolder(std::move(programFolder)), m_env(std::move(environment))
{
    ui->setupUi(this);
    setWindowTitle(site::windowTitle());
    // Under the folder tab's split box: what is done to every book's text.
    m_folderOptions =
        new IntakeOptions({"Check2", "Check3", "Label13", "Text6"}, Qt::Vertical, ui->Check1->parentWidget());
    ui->Frame3Buttons->addWidget(m_folderOptions);

    ui->TabStrip1->addTab(QStringLiteral("单本制做"));
    ui->TabStrip1->addTab(QStringLiteral("多本制做"));
    ui->TabStrip1->setDrawBase(false);
    ui->TabStrip1->setExpanding(false);

    {
        const QSignalBlocker b1(ui->Combo1);
        const QSignalBlocker b2(ui->Combo2);
        ui->Combo1->addItems(BookProject::jarSizeItems());
        ui->Combo2->addItems(BookProject::phoneModelItems());
    }

    // Banner line, promotion picture and help menu.
    m_banner = new OnlineBanner(this, ui->Label10, ui->AniGIF1,
                                {ui->menu_two_4, ui->menu_two_1, ui->menu_two_2, ui->menu_two_3}, m_programFolder);

    setUpProgressDisplay();

    // Frame3 and Command16 share their places with Frame2 and Command8.
    showTabControls(kSingleBookTab);

    m_txtTree = new DriveFolderTree(ui->Drive1, ui->Dir1, this);
    m_work = new BackgroundWork(this);

    setUpDrops();

    // Path fields show the end of a long path, and the whole in the tooltip.
    showPathEnd(ui->Text1, ui->Text1->toolTip());
    showPathEnd(ui->TxtFolderPath, QStringLiteral("选中的txt文件夹"));
    keepOnScreen(this);

    connectControls();
    startUp();
    showSettings();
    showChapters();
    m_txtTree->setFolder(QDir::homePath());

    ui->Text3->setFocus();
}

MainWindow::~MainWindow()
{
    // Ending the program during a make: the worker finishes its book first
    // (nothing reaches this window any more).
    m_work->wait();
}

void MainWindow::setUpProgressDisplay()
{
    // The progress display keeps its place while hidden so that the window
    // does not jump when packaging starts.
    for (QWidget* w : {static_cast<QWidget*>(ui->Label9), static_cast<QWidget*>(ui->Shape1)}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
    }
    ui->Label9->setMinimumWidth(ui->Label9->fontMetrics().horizontalAdvance(QStringLiteral("打包进度100.00%")));
    ui->Shape1->setMinimumHeight(ui->Label9->sizeHint().height());
    ui->Label9->hide();
    ui->Shape1->hide();
}

void MainWindow::setUpDrops()
{
    // TXT files dropped on the window are added as chapters; a folder
    // dropped on the folder tab becomes its folder.
    m_txtDrop = std::make_unique<TxtDropImport>(m_book, this);
    connect(m_txtDrop.get(), &TxtDropImport::readingStarted, this, [this] {
        enterBusy();
        showProgress(kReading, 0);
    });
    connect(m_txtDrop.get(), &TxtDropImport::progress, this, [this](double fraction) {
        if (m_busy)
            showProgress(kReading, fraction);
    });
    connect(m_txtDrop.get(), &TxtDropImport::readingFinished, this, &MainWindow::leaveBusy);
    ui->List1->viewport()->setAcceptDrops(true);
    ui->List1->viewport()->installEventFilter(this);
    ui->Frame3->setAcceptDrops(true);
    ui->Frame3->installEventFilter(this);
    setAcceptDrops(true);
    installEventFilter(this);
    // A text field takes what is dropped on it as text, and a file manager
    // offers its files as text too: files dropped on a field come in as
    // anywhere else on the window (the path is not typed into the field).
    for (QLineEdit* field : {ui->Text1, ui->Text2, ui->Text3, ui->Text4, ui->Text5})
        field->installEventFilter(this);
}

void MainWindow::startUp()
{
    // What an interrupted build left behind.
    if (auto cleaned = removeBuildLeftovers(m_programFolder, {}, m_env.unfinishedList); !cleaned)
        Dialogs::warning(this, cleaned.error().message);
    // Initial values: first entries of both lists, default save folder,
    // maker and message, a fresh JAR name, frame 0.
    m_book.initialise(defaultSaveFolder(m_programFolder));
    m_book.setFrame(0);
    if (auto created = createSaveFolder(m_book.settings().saveFolder); !created)
        Dialogs::warning(this, created.error().message);
}

void MainWindow::connectControls()
{
    // Settings: every edit goes to the book at once; the book's signal
    // brings changes made elsewhere back (setters ignore equal values, so
    // nothing loops).
    connect(ui->Text1, &QLineEdit::textChanged, &m_book, &BookProject::setSaveFolder);
    connect(ui->Text2, &QLineEdit::textChanged, &m_book, &BookProject::setMaker);
    connect(ui->Text3, &QLineEdit::textChanged, &m_book, &BookProject::setBookName);
    connect(ui->Text4, &QLineEdit::textChanged, &m_book, &BookProject::setMessage);
    connect(ui->Text5, &QLineEdit::textChanged, &m_book, &BookProject::setJarName);
    // What the make command would refuse in the JAR name shows as it is typed.
    connect(ui->Text5, &QLineEdit::textChanged, this,
            [this](const QString& text) { flagField(ui->Text5, jarNameProblem(text)); });
    connect(ui->Combo1, &QComboBox::currentIndexChanged, &m_book, &BookProject::setJarSize);
    connect(ui->Combo2, &QComboBox::currentIndexChanged, &m_book, &BookProject::setPhoneModel);
    connect(&m_book, &BookProject::settingsChanged, this, &MainWindow::showSettings);
    connect(&m_book, &BookProject::chaptersChanged, this, &MainWindow::showChapters);

    connect(ui->TabStrip1, &QTabBar::currentChanged, this, &MainWindow::tabChosen);

    connect(ui->Command1, &QPushButton::clicked, this, &MainWindow::changeSaveFolder);
    connect(ui->Command11, &QPushButton::clicked, this, &MainWindow::openSaveFolder);
    connect(ui->Command8, &QPushButton::clicked, this, &MainWindow::makeBook);
    connect(ui->Command9, &QPushButton::clicked, this, &MainWindow::close);

    connect(ui->Command2, &QPushButton::clicked, this, [this] { addChapter(false); });
    connect(ui->Command3, &QPushButton::clicked, this, &MainWindow::deleteChapter);
    connect(ui->Command4, &QPushButton::clicked, this, &MainWindow::editChapter);
    connect(ui->Command5, &QPushButton::clicked, this, &MainWindow::moveChapterUp);
    connect(ui->Command6, &QPushButton::clicked, this, &MainWindow::moveChapterDown);
    connect(ui->Command10, &QPushButton::clicked, this, &MainWindow::batchImport);
    connect(ui->List1, &QListWidget::itemDoubleClicked, this, &MainWindow::editChapter);

    connect(m_txtTree, &DriveFolderTree::folderChanged, this, &MainWindow::refreshTxtList);
    connect(m_txtTree, &DriveFolderTree::folderChanged, ui->TxtFolderPath, &QLineEdit::setText);
    connect(ui->Command12, &QPushButton::clicked, this, &MainWindow::removeTxtEntry);
    connect(ui->Command14, &QPushButton::clicked, this, &MainWindow::moveTxtEntryUp);
    connect(ui->Command15, &QPushButton::clicked, this, &MainWindow::moveTxtEntryDown);
    connect(ui->Command16, &QPushButton::clicked, this, &MainWindow::makeFolderBooks);
    rows::makeFileListEditable(ui->List2);

    // The chapter list: several chapters selected, deleted with Delete,
    // dragged to a new place; the last delete undone by Ctrl+Z or the
    // context menu.
    rows::allowSelectionAndDragging(ui->List1, [this] { deleteChapter(); });
    new rows::KeyAction(ui->List1, QKeySequence::Undo, [this] { undoDeleteChapters(); });
    ui->List1->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_undoDelete = new QAction(QStringLiteral("撤销删除"), ui->List1);
    m_undoDelete->setObjectName(QStringLiteral("undoDelete"));
    m_undoDelete->setEnabled(false);
    connect(m_undoDelete, &QAction::triggered, this, &MainWindow::undoDeleteChapters);
    ui->List1->addAction(m_undoDelete);

    connect(ui->menu_one_1, &QAction::triggered, this, &MainWindow::newBook);
    connect(ui->menu_one_2, &QAction::triggered, this, &MainWindow::openWizard);
    connect(ui->menu_one_3, &QAction::triggered, this, [this] { addChapter(true); });
    connect(ui->menu_one_4, &QAction::triggered, this, &MainWindow::close);
}

void MainWindow::gotoweb(const QString& url) { OnlineBanner::gotoweb(url); }

// ---------------------------------------------------------------- view ---

void MainWindow::showSettings()
{
    const BookSettings& s = m_book.settings();
    setTextIfDifferent(ui->Text1, s.saveFolder);
    setTextIfDifferent(ui->Text2, s.maker);
    setTextIfDifferent(ui->Text3, s.bookName);
    setTextIfDifferent(ui->Text4, s.message);
    setTextIfDifferent(ui->Text5, s.jarName);
    setIndexIfDifferent(ui->Combo1, s.jarSize);
    setIndexIfDifferent(ui->Combo2, s.phoneModel);
}

void MainWindow::showChapters()
{
    const QStringList& names = m_book.chapterNames();
    QListWidget* list = ui->List1;
    const int row = list->currentRow();
    const int shown = list->count();
    const int count = static_cast<int>(names.size());
    QList<int> selected{row < count ? row : -1};
    for (const QModelIndex& index : list->selectionModel()->selectedRows()) {
        if (index.row() != row && index.row() < count)
            selected.append(index.row());
    }

    // Names appended one by one (editor, import) only add items; anything
    // else updates the items in place.
    int same = 0;
    while (same < shown && same < count && list->item(same)->text() == names.at(same))
        ++same;
    if (same == shown && count > shown) {
        list->addItems(names.mid(shown));
    } else if (count == shown) {
        for (int i = same; i < count; ++i)
            if (list->item(i)->text() != names.at(i))
                list->item(i)->setText(names.at(i));
    } else {
        const QSignalBlocker block(list);
        list->clear();
        list->addItems(names);
    }
    // The same rows stay selected (added rows would otherwise fix the
    // selection so that the next current row is added to it).
    rows::selectRows(list, selected);
    m_undoDelete->setEnabled(m_book.canUndoDelete());
}

// ---------------------------------------------------------------- tabs ---

void MainWindow::showTabControls(int index)
{
    const bool single = index != kFolderTab;
    ui->Frame2->setVisible(single);
    ui->Frame3->setVisible(!single);
    if (!m_busy) {
        ui->Command8->setVisible(single);
        ui->Command16->setVisible(!single);
    }
}

void MainWindow::tabChosen(int index)
{
    showTabControls(index);
    if (index == kFolderTab)
        refreshTxtList();
}

void MainWindow::showSingleBookTab()
{
    {
        const QSignalBlocker block(ui->TabStrip1);
        ui->TabStrip1->setCurrentIndex(kSingleBookTab);
    }
    showTabControls(kSingleBookTab);
}

// --------------------------------------------------------- single book ---

void MainWindow::makeBook()
{
    if (m_busy)
        return;
    if (auto checked = checkMake(m_book.settings(), m_book.chapterCount()); !checked) {
        // A field that failed for being blank is emptied before the message.
        emptyRefusedField(m_book, checked.error());
        Dialogs::warning(this, checked.error().message);
        return;
    }
    m_book.setBatchmode(0);
    ui->Label10->hide();
    enterBusy();
    showProgress(kBuilding, 0);
    // The worker builds from a snapshot; the book changes in bookMade(), here.
    m_work->start<Result<BuildReport>>(
        [this, snapshot = BookSnapshot(m_book), env = m_env](BackgroundWork::Reporter& reporter) {
            return BuildEbook(snapshot, env, [this, &reporter](double fraction) {
                reporter.report([this, fraction] { showProgress(kBuilding, fraction); });
            });
        },
        [this](Result<BuildReport> built) { bookMade(std::move(built)); });
}

void MainWindow::bookMade(Result<BuildReport> built)
{
    leaveBusy();
    if (!built) {
        Dialogs::warning(this, built.error().message);
        return;
    }
    clearForNextBook(m_book);
    Dialogs::information(this, built->message);
    Dialogs::openFolder(this, built->bookFolder);
}

void MainWindow::changeSaveFolder() { m_nav.chooseSaveFolder(this, m_book.settings().saveFolder); }

void MainWindow::openSaveFolder()
{
    const QString folder = m_book.settings().saveFolder;
    if (auto created = createSaveFolder(folder); !created) {
        Dialogs::warning(this, created.error().message);
        return;
    }
    Dialogs::openFolder(this, folder);
}

bool MainWindow::abandonBook(bool bookNameCounts)
{
    const bool something =
        m_book.chapterCount() > 0 || (bookNameCounts && !m_book.settings().bookName.trimmed().isEmpty());
    return !something || Dialogs::question(this, kAbandonBook, Dialogs::Answer::No) == Dialogs::Answer::Yes;
}

void MainWindow::newBook()
{
    if (m_busy || !abandonBook(true))
        return;
    showSingleBookTab();
    m_book.resetForNew(defaultSaveFolder(m_programFolder));
}

void MainWindow::openWizard()
{
    showSingleBookTab();
    m_nav.openWizard();
}

void MainWindow::addChapter(bool fromMenu)
{
    if (m_busy)
        return;
    if (fromMenu)
        showSingleBookTab();
    if (auto prepared = m_book.prepareAdd(); !prepared)
        Dialogs::warning(this, prepared.error().message);
    else
        m_nav.editNewChapter(this, BookProject::proposedChapterName(m_book.num()));
    // The button (not the menu entry) always leaves the editor's hint fresh.
    if (!fromMenu)
        m_nav.resetChapterHint();
}

void MainWindow::editChapter()
{
    if (m_busy)
        return;
    if (m_book.prepareEdit(ui->List1->currentRow()))
        m_nav.editChapter(this);
    m_nav.resetChapterHint();
}

int MainWindow::selectedChapter() const { return ui->List1->currentRow(); }

void MainWindow::selectChapter(int position) { rows::selectRows(ui->List1, {position}); }

int MainWindow::wizardListOperation(int (BookProject::*operation)(int), int position)
{
    selectChapter(position);
    const int after = (m_book.*operation)(position);
    selectChapter(after);
    return after;
}

int MainWindow::form5_C3_Click(int position) { return wizardListOperation(&BookProject::deleteChapter, position); }

bool MainWindow::form5_C4_Click(int position)
{
    selectChapter(position);
    return m_book.prepareEdit(position);
}

int MainWindow::form5_C5_Click(int position) { return wizardListOperation(&BookProject::moveUp, position); }

int MainWindow::form5_C6_Click(int position) { return wizardListOperation(&BookProject::moveDown, position); }

ChapterPreview* MainWindow::chapterPreview() { return m_txtDrop->preview(); }

void MainWindow::deleteChapter()
{
    if (m_busy)
        return;
    const QList<int> selected = rows::selectedRows(ui->List1);
    if (selected.size() <= 1) {
        selectChapter(m_book.deleteChapter(ui->List1->currentRow()));
        return;
    }
    // Several at once only when the user says so.
    if (Dialogs::question(this, QStringLiteral("确定要删除选中的%1个章节吗？").arg(selected.size()),
                          Dialogs::Answer::No) != Dialogs::Answer::Yes)
        return;
    selectChapter(m_book.deleteChapters(selected));
}

void MainWindow::undoDeleteChapters()
{
    if (m_busy || !m_book.canUndoDelete())
        return;
    auto back = m_book.undoDelete();
    if (!back) {
        Dialogs::warning(this, back.error().message);
        return;
    }
    rows::selectRows(ui->List1, *back);
}

void MainWindow::dropChaptersAt(QPointF at)
{
    if (m_busy)
        return;
    QListWidget* list = ui->List1;
    const QModelIndex under = list->indexAt(at.toPoint());
    int before = list->count();
    if (under.isValid())
        before = under.row() + (at.y() > list->visualRect(under).center().y() ? 1 : 0);
    rows::selectRows(list, m_book.moveChapters(rows::selectedRows(list), before));
}

void MainWindow::moveChapterUp() { selectChapter(m_book.moveUp(ui->List1->currentRow())); }

void MainWindow::moveChapterDown() { selectChapter(m_book.moveDown(ui->List1->currentRow())); }

void MainWindow::batchImport()
{
    if (!m_busy)
        m_nav.openBatchImport(this);
}

// ---------------------------------------------------------- folder tab ---

QString MainWindow::txtFolder() const { return m_txtTree->folder(); }

void MainWindow::setTxtFolder(const QString& folder) { m_txtTree->setFolder(folder); }

void MainWindow::refreshTxtList()
{
    ui->List2->clear();
    const QString folder = txtFolder();
    if (folder.isEmpty())
        return;
    auto listed = listTxtFolder(folderPath(folder));
    if (!listed) {
        Dialogs::warning(this, listed.error().message);
        return;
    }
    // A name that is not valid UTF-8 shows decoded; the entry keeps the
    // name that opens the file.
    for (const QString& name : *listed) {
        auto* item = new QListWidgetItem(displayFileName(name), ui->List2);
        if (item->text() != name)
            item->setData(kFileNameRole, name);
    }
}

QString MainWindow::queuedFileName(int row) const
{
    const QListWidgetItem* item = ui->List2->item(row);
    const QVariant name = item->data(kFileNameRole);
    return name.isValid() ? name.toString() : item->text();
}

void MainWindow::removeTxtEntry() { rows::removeSelected(ui->List2); }

void MainWindow::moveTxtEntryUp() { rows::moveSelectedUp(ui->List2); }

void MainWindow::moveTxtEntryDown() { rows::moveSelectedDown(ui->List2); }

struct MainWindow::FolderOutcome {
    FolderBatchOutcome run;
    int lastBook = -1; // the queue position of the last progress report
};

void MainWindow::makeFolderBooks()
{
    if (m_busy)
        return;
    QStringList queue;
    for (int i = 0; i < ui->List2->count(); ++i)
        queue << queuedFileName(i);

    // The run makes its books with the settings that stand in the window,
    // and no project: the single-book tab's chapters, their texts and its
    // book name stay as they are. A refused run (no maker, empty queue) ends
    // at once and leaves the window as it was.
    const FolderBatchOptions options{ui->Check1->isChecked(), m_folderOptions->pattern(),
                                     m_folderOptions->textOptions()};
    if (const std::optional<QString> problem = m_folderOptions->patternProblem(); options.splitChapters && problem) {
        Dialogs::warning(this, *problem);
        return;
    }
    ui->Label10->hide();
    enterBusy();
    showProgress(kReading, 0); // each book is read first
    const Clock& clock = m_book.clock();
    m_work->start<FolderOutcome>(
        [this, settings = m_book.settings(), env = m_env, folder = folderPath(txtFolder()), queue, options,
         &clock](BackgroundWork::Reporter& reporter) {
            int book = -1;
            auto run = runFolderBatch(
                settings, clock, env, folder, queue,
                [this, &reporter, &book](const FolderBatchProgress& progress) {
                    book = progress.book;
                    reporter.report([this, progress] { folderProgress(progress); });
                },
                options);
            return FolderOutcome{std::move(run), book};
        },
        [this](const FolderOutcome& outcome) { folderBooksMade(outcome); });
}

void MainWindow::folderProgress(const FolderBatchProgress& progress)
{
    showProgress(progress.stage, progress.fraction);
    if (progress.book >= 0 && progress.book < ui->List2->count() && ui->List2->currentRow() != progress.book)
        ui->List2->setCurrentRow(progress.book);
}

void MainWindow::folderBooksMade(const FolderOutcome& outcome)
{
    // The queue shows the last book the run came to, also when its
    // report was one of those dropped.
    if (outcome.lastBook >= 0 && outcome.lastBook < ui->List2->count())
        ui->List2->setCurrentRow(outcome.lastBook);
    leaveBusy();
    // What the run changed of the shared settings comes back: a blank maker
    // emptied, a blank message made one space, and the JAR name renewed
    // after every book made.
    outcome.run.changes.applyTo(m_book);
    const auto& run = outcome.run.report;
    if (!run) {
        Dialogs::warning(this, run.error().message);
        return;
    }
    // Books that could not be made turn the report into a warning.
    if (run->failed.isEmpty())
        Dialogs::information(this, run->message);
    else
        Dialogs::warning(this, run->message);
    if (run->made > 0)
        Dialogs::openFolder(this, run->saveFolder);
}

// ------------------------------------------------------- busy/progress ---

void MainWindow::enterBusy()
{
    m_busy = true;
    setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ui->Command8->hide();
    ui->Command16->hide();
    ui->Command9->hide();
    ui->Label9->show();
    ui->Shape1->show();
}

void MainWindow::leaveBusy()
{
    m_busy = false;
    QApplication::restoreOverrideCursor();
    setEnabled(true);
    ui->Command9->show();
    ui->Label9->hide();
    ui->Shape1->hide();
    ui->Label10->show();
    showTabControls(ui->TabStrip1->currentIndex());
}

void MainWindow::showProgress(const QString& caption, double fraction)
{
    const double shown = shownFraction(fraction);
    const QString text = caption + percentText(shown);
    if (ui->Label9->text() != text)
        ui->Label9->setText(text);
    ui->Shape1->setFraction(shown);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    // The text fields are the only line edits watched (setUpDrops).
    const bool field = qobject_cast<QLineEdit*>(watched) != nullptr;
    if ((type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop) &&
        (watched == ui->List1->viewport() || watched == ui->Frame3 || watched == this || field)) {
        auto* drag = static_cast<QDropEvent*>(event);
        // Text without files is the field's own.
        if (field && !hasLocalUrls(drag->mimeData()))
            return false;
        if (drag->source() == ui->List1 && watched == ui->List1->viewport()) {
            // Chapters dragged within the list: the book moves them, texts
            // with names, and the list follows it (the list itself moves
            // nothing: the drop is taken as a copy).
            if (type != QEvent::Drop)
                return false;
            dropChaptersAt(drag->position());
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
            return true;
        }
        // Anywhere on the window: files become chapters on the single-book
        // tab, a folder is the folder tab's folder there.
        auto* drop = static_cast<QDropEvent*>(event);
        const bool files = ui->TabStrip1->currentIndex() != kFolderTab;
        const QStringList paths = files ? TxtDropImport::droppedFiles(drop->mimeData()) : QStringList();
        const QString folder = files ? QString() : droppedFolder(drop->mimeData());
        // Disabled, another window is open over this one and owns `num`.
        if (!isEnabled() || m_busy || m_txtDrop->active() || (paths.isEmpty() && folder.isEmpty())) {
            drop->ignore();
            return true;
        }
        drop->acceptProposedAction();
        if (type == QEvent::Drop && files)
            m_txtDrop->start(paths, wizard::chapterLimit(m_book.frame()));
        else if (type == QEvent::Drop)
            setTxtFolder(folder);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------- exit ---

void MainWindow::closeEvent(QCloseEvent* event)
{
    // A build cannot be left half-way: the close box waits until it is done.
    if (m_busy || (!m_leaving && !abandonBook(false))) {
        event->ignore();
        return;
    }
    m_leaving = true; // asked once; a second close on the way out does not ask again
    if (auto cleaned = removeBuildLeftovers(m_programFolder, {}, m_env.unfinishedList); !cleaned)
        Dialogs::warning(this, cleaned.error().message);
    m_nav.closeOthers();
    if (m_txtDrop->active())
        m_txtDrop->closePreview(); // nothing is imported
    event->accept();
}

} // namespace vamo
