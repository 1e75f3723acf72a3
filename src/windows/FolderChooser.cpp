// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/FolderChooser.h"

#include "ui_FolderChooser.h"

#include "windows/DriveFolderTree.h"
#include "windows/Placement.h"
#include "workflow/FolderBatch.h"

#include <QLineEdit>

namespace vamo {

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
