// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/ListView.h"

#include <QHeaderView>

#include <algorithm>

namespace {

constexpr int kItemDataRole = Qt::UserRole;

QTreeWidgetItem* RowItem(const QTreeWidget* list, int row)
{
    return list ? list->topLevelItem(row) : nullptr;
}

Qt::Alignment ColumnAlignment(const QTreeWidget* list, int column)
{
    return list->headerItem()->data(column, Qt::TextAlignmentRole).value<Qt::Alignment>();
}

} // namespace

void SetupReportView(QTreeWidget* list)
{
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSortingEnabled(false);
    list->setColumnCount(0);
    list->header()->setStretchLastSection(false);
    list->header()->setSectionsMovable(false);
    list->header()->setSectionsClickable(false);

    QPalette palette = list->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, kListViewBackground);
        palette.setColor(group, QPalette::AlternateBase, kListViewBackground);
    }
    list->setPalette(palette);
}

void InsertColumn(QTreeWidget* list, int column, const QString& header, int width,
                  Qt::Alignment alignment)
{
    const int count = list->columnCount();
    column = std::clamp(column, 0, count);
    list->setColumnCount(count + 1);
    QTreeWidgetItem* headerItem = list->headerItem();
    QHeaderView* headerView = list->header();
    for (int c = count; c > column; --c) {
        headerItem->setText(c, headerItem->text(c - 1));
        headerItem->setTextAlignment(c, ColumnAlignment(list, c - 1));
        headerView->resizeSection(c, headerView->sectionSize(c - 1));
    }
    headerItem->setText(column, header);
    headerItem->setTextAlignment(column, alignment | Qt::AlignVCenter);
    headerView->resizeSection(column, width);
}

int InsertRow(QTreeWidget* list, int row, const QString& text, int itemData)
{
    auto* item = new QTreeWidgetItem;
    for (int c = 0; c < list->columnCount(); ++c)
        item->setTextAlignment(c, ColumnAlignment(list, c));
    item->setText(0, text);
    item->setData(0, kItemDataRole, itemData);
    row = std::clamp(row, 0, list->topLevelItemCount());
    list->insertTopLevelItem(row, item);
    return row;
}

void SetRowText(QTreeWidget* list, int row, int column, const QString& text)
{
    if (QTreeWidgetItem* item = RowItem(list, row))
        item->setText(column, text);
}

QString RowText(const QTreeWidget* list, int row, int column)
{
    const QTreeWidgetItem* item = RowItem(list, row);
    return item ? item->text(column) : QString();
}

void SetRowItemData(QTreeWidget* list, int row, int itemData)
{
    if (QTreeWidgetItem* item = RowItem(list, row))
        item->setData(0, kItemDataRole, itemData);
}

int RowItemData(const QTreeWidget* list, int row)
{
    const QTreeWidgetItem* item = RowItem(list, row);
    return item ? item->data(0, kItemDataRole).toInt() : -1;
}

int FindRowByItemData(const QTreeWidget* list, int itemData)
{
    for (int row = 0; row < RowCount(list); ++row)
        if (RowItemData(list, row) == itemData)
            return row;
    return -1;
}

int RowCount(const QTreeWidget* list)
{
    return list ? list->topLevelItemCount() : 0;
}

void DeleteAllRows(QTreeWidget* list)
{
    list->clear();
}

int SelectedRow(const QTreeWidget* list)
{
    for (int row = 0; row < RowCount(list); ++row)
        if (RowItem(list, row)->isSelected())
            return row;
    return -1;
}
