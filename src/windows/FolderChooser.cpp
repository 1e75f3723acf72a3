// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/FolderChooser.h"

#include "ui_FolderChooser.h"

#include "windows/Placement.h"
#include "workflow/FolderBatch.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTreeView>

namespace vamo {

namespace {

QString cleanAbsolute(const QString& path)
{
    return QDir::cleanPath(QFileInfo(QDir::fromNativeSeparators(path)).absoluteFilePath());
}

} // namespace

DriveFolderTree::DriveFolderTree(QComboBox* drives, QTreeView* tree, QObject* parent)
    : QObject(parent), m_drives(drives), m_tree(tree), m_model(new QFileSystemModel(this))
{
    m_model->setFilter(QDir::AllDirs | QDir::Drives | QDir::NoDotAndDotDot);
    m_model->setReadOnly(true);
    m_model->setRootPath(QString());
    m_tree->setModel(m_model);
    for (int c = 1; c < m_model->columnCount(); ++c)
        m_tree->hideColumn(c);
    // Deep folders widen the column and the tree scrolls sideways, rather
    // than cutting their names short.
    m_tree->header()->setStretchLastSection(false);
    m_tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);

    {
        const QSignalBlocker block(m_drives);
        m_drives->clear();
        for (const QFileInfo& drive : QDir::drives())
            m_drives->addItem(QDir::toNativeSeparators(drive.absoluteFilePath()), drive.absoluteFilePath());
    }
    connect(m_drives, &QComboBox::activated, this, &DriveFolderTree::driveChosen);
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this, &DriveFolderTree::currentChanged);
    // The model reads folders in the background and inserts their rows
    // later: for a moment after a folder is chosen, keep it in view as rows
    // arrive above it.
    auto keepInView = [this] {
        if (m_keepInView.isValid() && m_keepInView.elapsed() < 2000)
            scrollToCurrent();
    };
    connect(m_model, &QAbstractItemModel::rowsInserted, this, keepInView, Qt::QueuedConnection);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, keepInView, Qt::QueuedConnection);
}

void DriveFolderTree::setFolder(const QString& folder)
{
    const QString path = cleanAbsolute(folder);
    if (!QFileInfo(path).isDir())
        return;
    const QModelIndex index = m_model->index(path);
    if (!index.isValid())
        return;
    m_keepInView.start();
    m_tree->setCurrentIndex(index);
    scrollToCurrent();
    m_tree->expand(index);
    // The tree may already have shown it: report anyway so the caller's
    // view of the folder is always current.
    if (m_folder != QDir::toNativeSeparators(path)) {
        m_folder = QDir::toNativeSeparators(path);
        showDriveOf(path);
        Q_EMIT folderChanged(m_folder);
    }
}

void DriveFolderTree::scrollToCurrent()
{
    // Up and down to the folder, but not sideways: the names stay whole
    // from their first letter (the column is as wide as the deepest name).
    m_tree->scrollTo(m_tree->currentIndex(), QAbstractItemView::PositionAtCenter);
    m_tree->horizontalScrollBar()->setValue(0);
}

void DriveFolderTree::driveChosen(int index)
{
    const QString drive = m_drives->itemData(index).toString();
    const QFileInfo info(drive);
    if (!info.isDir() || !info.isReadable()) {
        // A drive that is not ready: keep the previous one.
        const QSignalBlocker block(m_drives);
        m_drives->setCurrentIndex(m_drive);
        return;
    }
    m_drive = index;
    setFolder(drive);
}

void DriveFolderTree::currentChanged()
{
    const QModelIndex index = m_tree->currentIndex();
    if (!index.isValid())
        return;
    const QString path = m_model->filePath(index);
    const QString native = QDir::toNativeSeparators(path);
    if (native == m_folder)
        return;
    m_folder = native;
    showDriveOf(path);
    Q_EMIT folderChanged(m_folder);
}

void DriveFolderTree::showDriveOf(const QString& path)
{
    const QString clean = cleanAbsolute(path);
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < m_drives->count(); ++i) {
        const QString drive = cleanAbsolute(m_drives->itemData(i).toString());
        const bool under =
            clean.compare(drive, Qt::CaseInsensitive) == 0 ||
            clean.startsWith(drive.endsWith(QLatin1Char('/')) ? drive : drive + QLatin1Char('/'), Qt::CaseInsensitive);
        if (under && drive.size() > bestLength) {
            best = i;
            bestLength = drive.size();
        }
    }
    if (best < 0)
        return;
    m_drive = best;
    const QSignalBlocker block(m_drives);
    m_drives->setCurrentIndex(best);
}

FolderChooser::FolderChooser(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::FolderChooser>())
{
    ui->setupUi(this);
    keepOnScreen(this);
    m_tree = new DriveFolderTree(ui->Drive1, ui->Dir1, this);
    // The folder chosen in the tree, in full.
    showPathEnd(ui->FolderPath, QStringLiteral("选中的文件夹"));
    connect(m_tree, &DriveFolderTree::folderChanged, ui->FolderPath, &QLineEdit::setText);
    connect(ui->Command1, &QPushButton::clicked, this, &FolderChooser::confirm);
    connect(ui->Command2, &QPushButton::clicked, this, &FolderChooser::reject);
}

FolderChooser::~FolderChooser() = default;

void FolderChooser::setFolder(const QString& folder) { m_tree->setFolder(folder); }

QString FolderChooser::folder() const { return m_tree->folder(); }

QString FolderChooser::withTrailingSeparator(const QString& folder) { return folderPath(folder); }

void FolderChooser::confirm()
{
    const QString chosenFolder = withTrailingSeparator(folder());
    hide();
    if (!chosenFolder.isEmpty())
        Q_EMIT chosen(chosenFolder);
    Q_EMIT left();
}

void FolderChooser::reject()
{
    QDialog::reject();
    Q_EMIT left();
}

} // namespace vamo
