// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/IntakeOptions.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

namespace vamo {

IntakeOptions::IntakeOptions(const Names& names, Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent), m_tidy(new QCheckBox(QStringLiteral("整理排版"), this)),
      m_simplified(new QCheckBox(QStringLiteral("转换为简体"), this))
{
    auto* layout =
        new QBoxLayout(orientation == Qt::Horizontal ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom, this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_tidy->setObjectName(QString::fromLatin1(names.tidy));
    m_tidy->setToolTip(QStringLiteral("合并段落内被硬换行拆开的行，多个空行并为一个，段首缩进两个全角空格"));
    m_simplified->setObjectName(QString::fromLatin1(names.simplified));
    m_simplified->setToolTip(QStringLiteral("把正文和章节名中的繁体字转换为简体字"));
    layout->addWidget(m_tidy);
    layout->addWidget(m_simplified);
    connect(m_tidy, &QCheckBox::toggled, this, &IntakeOptions::changed);
    connect(m_simplified, &QCheckBox::toggled, this, &IntakeOptions::changed);
    if (names.label) {
        auto* label = new QLabel(QStringLiteral("章节标题规则"), this);
        label->setObjectName(QString::fromLatin1(names.label));
        m_rule = new QLineEdit(this);
        m_rule->setObjectName(QString::fromLatin1(names.rule));
        m_rule->setPlaceholderText(QStringLiteral("留空为内置规则"));
        m_rule->setToolTip(
            QStringLiteral("自定义章节标题规则（正则表达式，在去掉首尾空白的行中查找），留空为内置规则"));
        label->setBuddy(m_rule);
        layout->addWidget(label);
        layout->addWidget(m_rule, 1);
        connect(m_rule, &QLineEdit::textChanged, this, &IntakeOptions::changed);
    }
}

TextOptions IntakeOptions::textOptions() const
{
    return TextOptions{.tidy = m_tidy->isChecked(), .simplified = m_simplified->isChecked()};
}

QString IntakeOptions::pattern() const { return m_rule ? m_rule->text().trimmed() : QString(); }

std::optional<QString> IntakeOptions::patternProblem() const
{
    const QString rule = pattern();
    if (rule.isEmpty())
        return std::nullopt;
    if (auto ok = checkChapterPattern(rule); !ok)
        return ok.error().message;
    return std::nullopt;
}

} // namespace vamo
