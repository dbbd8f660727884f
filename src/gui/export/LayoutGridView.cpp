#include "gui/export/LayoutGridView.h"

#include "core/layouts/LayoutGridModel.h"

#include <QHeaderView>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

// Draws row 0 as a fixed header row: button face, bold, centred, never highlighted.
class FixedHeaderRowDelegate final : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.row() != LayoutGridModel::HeaderRow)
            return;
        option->backgroundBrush = option->palette.button();
        option->palette.setColor(QPalette::Text, option->palette.color(QPalette::ButtonText));
        option->palette.setColor(QPalette::HighlightedText, option->palette.color(QPalette::ButtonText));
        option->palette.setBrush(QPalette::Highlight, option->palette.button());
        option->displayAlignment = Qt::AlignCenter;
        option->font.setBold(true);
    }
};

int twipsToPixels(int twips, const QWidget& widget)
{
    return qRound(twips * widget.logicalDpiX() / 1440.0);
}

} // namespace

LayoutGridView::LayoutGridView(LayoutGridModel* grid, QWidget* parent) : QTableView(parent)
{
    setModel(grid);
    setItemDelegate(new FixedHeaderRowDelegate(this));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setColumnWidth(LayoutGridModel::NameColumn, twipsToPixels(3680, *this));
    // 800 twips, or the header's caption when the font needs more, so that it stays readable
    const int captionWidth =
        fontMetrics().horizontalAdvance(grid->row(LayoutGridModel::HeaderRow).width) + 16;
    setColumnWidth(LayoutGridModel::WidthColumn, std::max(twipsToPixels(800, *this), captionWidth));
    setMinimumWidth(twipsToPixels(3680 + 800, *this) + 24);
}
