#pragma once

#include "core/layouts/ExportLayout.h"
#include "core/layouts/LayoutGridModel.h"

#include <QString>

// What the format editor's field-format panel shows for the selected row of its export-field
// grid: which controls are visible for the kind of field, whether they edit anything, and the
// values they hold. Plain fields show width, alignment and pad; "Date" the date patterns and the
// era; "Time" the time patterns; "Event" the alignment, the entry and exit texts and the IN-only
// and OUT-only boxes.
struct FieldPanel
{
    // The panel as the editor opens, before its first refresh: width and alignment with the two
    // check boxes shown, nothing editable, alignment "Right".
    FieldPanel() = default;

    // The panel after a refresh for grid row r (0 is the header). Values of controls the row does
    // not load stay as `before` had them; so do the width and alignment controls' visibility
    // while the grid holds no field row.
    static FieldPanel forRow(const FieldPanel& before, const LayoutGridModel& rows,
                             const ExportLayout& layout, int r);

    bool editable = false; // a field row is selected: the controls edit it
    bool widthShown = true;
    bool alignmentShown = true;
    bool padShown = false;
    bool datePatternShown = false;
    bool timePatternShown = false;
    bool eraShown = false;
    bool inOutShown = false;    // the entry and exit texts and their frame
    bool onlyBoxesShown = true; // the IN-only and OUT-only check boxes

    QString fieldName; // empty unless a field row is selected
    QString width;
    int alignment = 1; // the entry of the alignment list; -1 for a stored value outside it
    QString pad = QStringLiteral("0");
    bool buddhistEra = false;
    QString inText = QStringLiteral("1");
    QString outText = QStringLiteral("2");
    bool inOnly = false;
    bool outOnly = false;
};
