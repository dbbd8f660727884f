#pragma once

#include "core/layouts/ExportLayout.h"
#include "core/layouts/LayoutGridModel.h"

#include <QList>

// The format editor's list of export fields: the rows of its grid together with the layout's
// alignment and pad lists, which every operation keeps in step (grid row i at position i - 1).
// Row numbers are grid rows: 0 is the header, 1 to N the fields.
class ExportFieldList final
{
public:
    ExportFieldList(LayoutGridModel& grid, ExportLayout& layout);

    // The fields that can be added, with the width a newly added field starts with.
    static const QList<LayoutRow>& availableFields();

    int fieldCount() const { return m_grid.fieldCount(); }

    // Appends the field with alignment right and pad "0"; returns its grid row.
    int add(const LayoutRow& field);

    // Each returns the row to select afterwards. Remove acts on a field row and then selects the
    // last row (the header when none is left); Up acts from row 2, Down on rows 1 to N - 1 and
    // both select the moved field. A row they do not act on is returned unchanged.
    int remove(int r);
    int moveUp(int r);
    int moveDown(int r);

    // Settings of one field row; the header row (and rows past the last) are left alone.
    void setWidth(int r, const QString& width);
    void setAlignment(int r, qint16 alignment);
    void setPad(int r, const QString& pad);

    // The IN-only and OUT-only flags exclude each other: setting one clears the other.
    void setInOnly(bool on);
    void setOutOnly(bool on);

private:
    bool isField(int r) const { return r >= 1 && r <= m_grid.fieldCount(); }
    // Drops the alignment and pad entries of grid row r; the later entries move up by one. The
    // lists keep their length.
    void dropSettings(int r);
    // Makes both lists long enough for grid row r (positions 0 to r), keeping their entries.
    void reserveFor(int r);
    void swapSettings(int a, int b);

    LayoutGridModel& m_grid;
    ExportLayout& m_layout;
};
