// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QElapsedTimer>

#include <memory>

class QComboBox;
class QFileSystemModel;
class QTreeView;

namespace Ui {
class FolderChooser;
}

namespace vamo {

// A drive list and a folder tree (folders only) working as one: choosing a
// drive moves the tree to it, choosing a folder reports it.
class DriveFolderTree : public QObject {
    Q_OBJECT

public:
    DriveFolderTree(QComboBox* drives, QTreeView* tree, QObject* parent = nullptr);

    // Selects `folder` and its drive; a folder that does not exist is ignored.
    void setFolder(const QString& folder);
    // The selected folder in native form (empty before the first choice).
    QString folder() const { return m_folder; }

Q_SIGNALS:
    void folderChanged(const QString& folder);

private:
    void driveChosen(int index);
    void currentChanged();
    void showDriveOf(const QString& path);
    void scrollToCurrent();

    QComboBox* m_drives;
    QTreeView* m_tree;
    QFileSystemModel* m_model;
    QString m_folder;
    QElapsedTimer m_keepInView; // since the folder was chosen
    int m_drive = 0;
};

// The folder chooser (window "保存目录"): a drive list and a folder tree.
// It is shown without blocking; the opener disables itself meanwhile and
// enables itself again on left().
class FolderChooser : public QDialog {
    Q_OBJECT

public:
    explicit FolderChooser(QWidget* parent = nullptr);
    ~FolderChooser() override;

    // Selects `folder` (and its drive) in the tree.
    void setFolder(const QString& folder);
    // The folder selected in the tree, in native form.
    QString folder() const;

    // `folder` in native form with exactly one trailing separator.
    static QString withTrailingSeparator(const QString& folder);

Q_SIGNALS:
    // "确定": the chosen folder with one trailing separator.
    void chosen(const QString& folder);
    // The window went away: "确定", "取消", Esc or its close box.
    void left();

public:
    void reject() override;

private:
    void confirm();

    std::unique_ptr<Ui::FolderChooser> ui;
    DriveFolderTree* m_tree = nullptr;
};

} // namespace vamo
