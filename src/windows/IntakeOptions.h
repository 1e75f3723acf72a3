// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "intake/ChapterImport.h"

#include <QWidget>

#include <optional>

class QCheckBox;
class QLineEdit;

namespace vamo {

// The intake options a window offers beside its own controls: "整理排版",
// "转换为简体" and, where the window splits files at their headings, the
// field "章节标题规则" for the user's own heading rule (empty: the built-in
// one). The owning window puts it into its layout and names the controls by
// its own numbering, so that tests find them as the window's.
class IntakeOptions : public QWidget {
    Q_OBJECT
public:
    struct Names {
        const char* tidy;       // the check box 整理排版
        const char* simplified; // the check box 转换为简体
        const char* label;      // the rule field's caption; null: no rule field
        const char* rule;
    };
    IntakeOptions(const Names& names, Qt::Orientation orientation, QWidget* parent);

    [[nodiscard]] TextOptions textOptions() const;
    // The rule as typed, trimmed; empty without a rule field.
    [[nodiscard]] QString pattern() const;
    // The rule's problem in the program's words (checkChapterPattern), or
    // nothing when it can be used.
    [[nodiscard]] std::optional<QString> patternProblem() const;

Q_SIGNALS:
    void changed();

private:
    QCheckBox* m_tidy;
    QCheckBox* m_simplified;
    QLineEdit* m_rule = nullptr;
};

} // namespace vamo
