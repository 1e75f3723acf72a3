// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "intake/ChapterSplit.h"

#include <QWidget>

#include <memory>

namespace Ui {
class ChapterPreview;
}

namespace vamo {

// "分章预览": the chapters that TXT files would give when split at their
// headings, each with its name and character count, before anything is
// imported. The user takes them as they are, takes every file as one
// chapter, or cancels; the window only reports the choice. A top-level
// window that keeps its opener disabled while it is open is the opener's
// business.
class ChapterPreview : public QWidget {
    Q_OBJECT
public:
    enum class Choice { Split, Whole, Cancel };

    explicit ChapterPreview(QWidget* parent = nullptr);
    ~ChapterPreview() override;

    // Shows the chapters of `files` files; `notice` tells of a merge to fit
    // the chapter limit (empty without one).
    void showChapters(const QList<Chapter>& chapters, int files, const QString& notice);

Q_SIGNALS:
    // Emitted once per showing, after the window has hidden itself.
    void chosen(vamo::ChapterPreview::Choice choice);

protected:
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void choose(Choice choice);

    std::unique_ptr<Ui::ChapterPreview> ui;
};

} // namespace vamo
