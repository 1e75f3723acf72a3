// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/ChapterPreview.h"

#include "ui_ChapterPreview.h"
#include "windows/Placement.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
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
}

ChapterPreview::~ChapterPreview() = default;

void ChapterPreview::showChapters(const QList<Chapter>& chapters, int files, const QString& notice)
{
    QList<QTreeWidgetItem*> rows;
    rows.reserve(chapters.size());
    for (qsizetype i = 0; i < chapters.size(); ++i) {
        auto* row =
            new QTreeWidgetItem({QString::number(i + 1), chapters[i].name, QString::number(chapters[i].text.size())});
        row->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
        row->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        rows.append(row);
    }
    ui->List1->clear();
    ui->List1->addTopLevelItems(rows);
    ui->List1->scrollToTop();

    // A merge's notice says how many chapters were found and what became of them.
    if (!notice.isEmpty())
        ui->Label1->setText(notice);
    else if (files > 1)
        ui->Label1->setText(QStringLiteral("%1个文件共%2章").arg(files).arg(chapters.size()));
    else
        ui->Label1->setText(QStringLiteral("共检测到%1章").arg(chapters.size()));
    ui->Command2->setText(files > 1 ? QStringLiteral("每个文件作为一章") : QStringLiteral("作为一章导入"));
    ui->Command2->setToolTip(files > 1 ? QStringLiteral("不拆分，每个文件作为一章")
                                       : QStringLiteral("不拆分，整个文件作为一章"));
    ui->Command1->setDefault(true);
    ui->Command1->setFocus();
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
