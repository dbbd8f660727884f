#include "gui/layouts/HeaderRowDelegate.h"

#include <QPalette>

void HeaderRowDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (index.row() == 0) {
        option->backgroundBrush = option->palette.brush(QPalette::Button);
        option->palette.setBrush(QPalette::Text, option->palette.brush(QPalette::ButtonText));
    }
}
