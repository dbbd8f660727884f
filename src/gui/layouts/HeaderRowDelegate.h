#pragma once

#include <QStyledItemDelegate>

// Paints row 0 of a layout grid, the ordinary row that serves as its header, in the button-face
// colour.
class HeaderRowDelegate final : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};
