// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/ChapterPreview.h"

#include "ui_ChapterPreview.h"
#include "windows/Placement.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace vamo {

ChapterPreview::ChapterPreview(QWidget* parent)
    : QWidget(parent, Qt::Window), ui(std::make_unique<Ui::ChapterPreview>())
{
    ui->setupUi(this);
    keepOnScreen(this);
    QHeaderView* header = ui->List1->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(1, QHeaderView::Stretch);
    header->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    connect(ui->Command1, &QPushButton::clicked, this, [this] { choose(Choice::Split); });
    connect(ui->Command2, &QPushButton::clicked, this, [this] { choose(Choice::Whole); });
    connect(ui->Command3, &QPushButton::clicked, this, [this] { choose(Choice::Cancel); });
    connect(ui->Text1, &QLineEdit::textChanged, this, &ChapterPreview::rulesChanged);
    connect(ui->Check1, &QCheckBox::toggled, this, &ChapterPreview::rulesChanged);
    connect(ui->Check2, &QCheckBox::toggled, this, &ChapterPreview::rulesChanged);
    connect(ui->List1, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem*, int column) {
        if (!m_filling && column == 1)
            updateCounts();
    });
}

ChapterPreview::~ChapterPreview() = default;

void ChapterPreview::showChapters(const QList<Chapter>& chapters, int files, const QString& notice)
{
    m_filling = true;
    QList<QTreeWidgetItem*> rows;
    rows.reserve(chapters.size());
    m_sizes.clear();
    for (qsizetype i = 0; i < chapters.size(); ++i) {
        auto* row =
            new QTreeWidgetItem({QString::number(i + 1), chapters[i].name, QString::number(chapters[i].text.size())});
        row->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
        row->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        // The first chapter has none before it to join.
        Qt::ItemFlags flags = row->flags() | Qt::ItemIsEditable;
        if (i > 0)
            flags |= Qt::ItemIsUserCheckable;
        else
            flags &= ~Qt::ItemIsUserCheckable;
        row->setFlags(flags);
        row->setCheckState(1, Qt::Checked);
        rows.append(row);
        m_sizes.append(chapters[i].text.size());
    }
    ui->List1->clear();
    ui->List1->addTopLevelItems(rows);
    ui->List1->scrollToTop();
    ui->List1->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    m_filling = false;

    m_notice = notice;
    m_files = files;
    setCountLabel();
    ui->Command1->setEnabled(true);
    ui->Command2->setEnabled(true);
    ui->Command2->setText(files > 1 ? QStringLiteral("每个文件作为一章") : QStringLiteral("作为一章导入"));
    ui->Command2->setToolTip(files > 1 ? QStringLiteral("不拆分，每个文件作为一章")
                                       : QStringLiteral("不拆分，整个文件作为一章"));
    ui->Command1->setDefault(true);
    if (!ui->Text1->hasFocus())
        ui->Command1->setFocus();
}

void ChapterPreview::showRuleProblem(const QString& message)
{
    ui->Label1->setText(message);
    ui->Command1->setEnabled(false);
    ui->Command2->setEnabled(true);
}

void ChapterPreview::showDetecting()
{
    ui->Label1->setText(QStringLiteral("正在检测章节…"));
    ui->Command1->setEnabled(false);
    ui->Command2->setEnabled(false);
}

// A merge's notice says how many chapters were found and what became of
// them; otherwise the chapters that would be imported are counted.
void ChapterPreview::setCountLabel()
{
    int kept = 0;
    for (int i = 0; i < ui->List1->topLevelItemCount(); ++i)
        kept += i == 0 || ui->List1->topLevelItem(i)->checkState(1) == Qt::Checked;
    if (!m_notice.isEmpty())
        ui->Label1->setText(m_notice);
    else if (m_files > 1)
        ui->Label1->setText(QStringLiteral("%1个文件共%2章").arg(m_files).arg(kept));
    else
        ui->Label1->setText(QStringLiteral("共检测到%1章").arg(kept));
}

// A kept chapter counts the characters of the unticked ones after it.
void ChapterPreview::updateCounts()
{
    m_filling = true;
    QTreeWidgetItem* kept = nullptr;
    qsizetype total = 0;
    for (int i = 0; i < ui->List1->topLevelItemCount(); ++i) {
        QTreeWidgetItem* row = ui->List1->topLevelItem(i);
        if (i == 0 || row->checkState(1) == Qt::Checked) {
            if (kept)
                kept->setText(2, QString::number(total));
            kept = row;
            total = 0;
        }
        total += m_sizes.value(i);
        if (row != kept)
            row->setText(2, QString::number(m_sizes.value(i)));
    }
    if (kept)
        kept->setText(2, QString::number(total));
    m_filling = false;
    setCountLabel();
}

QString ChapterPreview::pattern() const { return ui->Text1->text(); }

TextOptions ChapterPreview::textOptions() const
{
    return TextOptions{.tidy = ui->Check1->isChecked(), .simplified = ui->Check2->isChecked()};
}

QList<ChapterCorrection> ChapterPreview::corrections() const
{
    QList<ChapterCorrection> out;
    for (int i = 0; i < ui->List1->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = ui->List1->topLevelItem(i);
        out.append(ChapterCorrection{i == 0 || row->checkState(1) == Qt::Checked, row->text(1)});
    }
    return out;
}

void ChapterPreview::choose(Choice choice)
{
    if (!isVisible())
        return;
    hide();
    Q_EMIT chosen(choice);
}

void ChapterPreview::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape) {
        choose(Choice::Cancel);
        e->accept();
        return;
    }
    // Enter presses the button that has the focus, else the first one.
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        QPushButton* button = qobject_cast<QPushButton*>(focusWidget());
        if (button != ui->Command2 && button != ui->Command3)
            button = ui->Command1;
        button->click();
        e->accept();
        return;
    }
    QWidget::keyPressEvent(e);
}

void ChapterPreview::closeEvent(QCloseEvent* e)
{
    // The close box cancels.
    choose(Choice::Cancel);
    e->accept();
}

} // namespace vamo
