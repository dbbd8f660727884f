#include "core/layouts/LayoutGridModel.h"

LayoutGridModel::LayoutGridModel(QObject* parent) : QAbstractTableModel(parent)
{
    m_rows.append({QStringLiteral("ฟิลด์ข้อมูล"), QStringLiteral("ความกว้าง")});
}

int LayoutGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int LayoutGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant LayoutGridModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    const LayoutRow& r = m_rows[index.row()];
    return index.column() == NameColumn ? r.field : r.width;
}

LayoutRow LayoutGridModel::row(int r) const
{
    return r >= 0 && r < m_rows.size() ? m_rows[r] : LayoutRow{};
}

QList<LayoutRow> LayoutGridModel::fieldRows() const
{
    return m_rows.mid(1);
}

void LayoutGridModel::clearFields()
{
    if (fieldCount() == 0)
        return;
    beginRemoveRows({}, 1, fieldCount());
    m_rows.resize(1);
    endRemoveRows();
}

void LayoutGridModel::appendField(const LayoutRow& row)
{
    const int r = static_cast<int>(m_rows.size());
    beginInsertRows({}, r, r);
    m_rows.append(row);
    endInsertRows();
}

void LayoutGridModel::setFields(const QList<LayoutRow>& rows)
{
    beginResetModel();
    m_rows.resize(1);
    m_rows.append(rows);
    endResetModel();
}

void LayoutGridModel::removeField(int r)
{
    if (r < 1 || r > fieldCount())
        return;
    beginRemoveRows({}, r, r);
    m_rows.remove(r);
    endRemoveRows();
}

void LayoutGridModel::swapFields(int a, int b)
{
    if (a < 1 || b < 1 || a > fieldCount() || b > fieldCount() || a == b)
        return;
    m_rows.swapItemsAt(a, b);
    Q_EMIT dataChanged(index(qMin(a, b), 0), index(qMax(a, b), 1));
}

void LayoutGridModel::setWidth(int r, const QString& width)
{
    if (r < 0 || r > fieldCount())
        return;
    m_rows[r].width = width;
    const QModelIndex cell = index(r, WidthColumn);
    Q_EMIT dataChanged(cell, cell);
}
