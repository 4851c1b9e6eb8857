#include "support/table/AlternatingTableColumn.h"

#include "support/table/AlternatingTableView.h"

void AlternatingTableColumn::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->backgroundBrush =
        index.row() % 2 == 0 ? AlternatingTableView::evenRowColor() : AlternatingTableView::oddRowColor();
}
