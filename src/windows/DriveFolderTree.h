// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>

class QComboBox;
class QFileSystemModel;
class QTreeView;

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

} // namespace vamo
