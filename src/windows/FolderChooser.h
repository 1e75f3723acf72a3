// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class FolderChooser;
}

namespace vamo {

class DriveFolderTree;

// The folder chooser (window "保存目录"): a drive list and a folder tree.
// It is shown without blocking over the window that opened it, which stays
// disabled until it hides (see Navigator).
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
