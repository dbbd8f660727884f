#pragma once

#include "core/layouts/ExportLayout.h"

#include <QAbstractTableModel>

// The two-column grid of a window that shows a layout: row 0 is the header ("ฟิลด์ข้อมูล",
// "ความกว้าง"), rows 1 to N hold the layout's fields (name, width). The export window and the
// format editor each own one; the line builder reads fieldRows().
class LayoutGridModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int HeaderRow = 0;
    static constexpr int NameColumn = 0;
    static constexpr int WidthColumn = 1;

    explicit LayoutGridModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

    // Number of field rows (the grid's rows less the header).
    int fieldCount() const { return static_cast<int>(m_rows.size()) - 1; }
    // Row r of the grid (0 is the header); an out-of-range row reads as empty.
    LayoutRow row(int r) const;
    QList<LayoutRow> fieldRows() const;

    // Removes every field row; the header stays.
    void clearFields();
    void appendField(const LayoutRow& row);
    void setFields(const QList<LayoutRow>& rows);
    // These act on grid rows r >= 1 and do nothing for other rows, except setWidth, which also
    // writes the header's width cell (the editor can select the header row).
    void removeField(int r);
    void swapFields(int a, int b);
    void setWidth(int r, const QString& width);

private:
    QList<LayoutRow> m_rows; // m_rows[0] is the header
};
