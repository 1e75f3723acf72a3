// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "intake/ChapterImport.h"
#include "intake/ChapterSplit.h"

#include <QWidget>

#include <memory>

namespace Ui {
class ChapterPreview;
}

namespace vamo {

// "分章预览": the chapters that TXT files would give when split at their
// headings, each with its name and character count, before anything is
// imported. The user may change the heading rule and the options 整理排版
// and 转换为简体 (the opener detects again and shows the new chapters),
// untick a heading (its chapter joins the one before, the counts follow)
// and rename a chapter; then takes them, takes every file as one chapter, or
// cancels. The window only reports the choice. A top-level
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
    // A heading rule that cannot be used: the chapters stay as they were
    // shown, the message replaces the count, taking them is not possible.
    void showRuleProblem(const QString& message);
    // The chapters are being detected again: nothing can be taken meanwhile.
    void showDetecting();

    // The rule and options as the window stands (empty rule: the built-in one).
    [[nodiscard]] QString pattern() const;
    [[nodiscard]] TextOptions textOptions() const;
    // The user's unticked headings and new names, one per chapter shown.
    [[nodiscard]] QList<ChapterCorrection> corrections() const;

Q_SIGNALS:
    // Emitted once per showing, after the window has hidden itself.
    void chosen(vamo::ChapterPreview::Choice choice);
    // The heading rule or an option changed: the opener detects again.
    void rulesChanged();

protected:
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    void choose(Choice choice);
    void updateCounts();
    void setCountLabel();

    QList<qsizetype> m_sizes; // each shown chapter's own character count
    QString m_notice;
    int m_files = 0;
    bool m_filling = false; // rows being put in: no count updates yet

    std::unique_ptr<Ui::ChapterPreview> ui;
};

} // namespace vamo
