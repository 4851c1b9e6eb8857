#pragma once

#include <QStyledItemDelegate>

// Paints each cell on its row's stripe colour (even rows pale blue, odd rows white), so cells
// keep the stripe under the text. AlternatingTableView installs it for all columns.
class AlternatingTableColumn : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;
};
