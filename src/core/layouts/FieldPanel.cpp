#include "core/layouts/FieldPanel.h"

FieldPanel FieldPanel::forRow(const FieldPanel& before, const LayoutGridModel& rows,
                              const ExportLayout& layout, int r)
{
    FieldPanel panel = before;
    const bool field = r >= 1 && r <= rows.fieldCount();
    panel.editable = field;
    panel.fieldName.clear();
    panel.padShown = false;
    panel.datePatternShown = false;
    panel.timePatternShown = false;
    panel.eraShown = false;
    panel.inOutShown = false;
    panel.onlyBoxesShown = false;
    if (rows.fieldCount() == 0)
        return panel;
    if (!field) {
        // the header row is no field: nothing to show or edit
        panel.widthShown = false;
        panel.alignmentShown = false;
        return panel;
    }

    const LayoutRow row = rows.row(r);
    const qint16 alignment = layout.alignmentOf(r);
    panel.width = row.width;
    panel.alignment = alignment >= 0 && alignment <= 2 ? alignment : -1;
    panel.pad = layout.padOf(r);
    panel.fieldName = row.field;
    panel.widthShown = true;
    panel.alignmentShown = true;
    panel.padShown = true;
    if (row.field == QStringLiteral("Date")) {
        panel.widthShown = panel.alignmentShown = panel.padShown = false;
        panel.datePatternShown = true;
        panel.eraShown = true;
        panel.buddhistEra = layout.yearForm == QStringLiteral("TH");
    } else if (row.field == QStringLiteral("Time")) {
        panel.widthShown = panel.alignmentShown = panel.padShown = false;
        panel.timePatternShown = true;
    } else if (row.field == QStringLiteral("Event")) {
        panel.widthShown = panel.padShown = false;
        panel.inOutShown = true;
        panel.onlyBoxesShown = true;
        panel.inText = layout.inText;
        panel.outText = layout.outText;
        panel.inOnly = layout.inOnly == 1;
        panel.outOnly = layout.outOnly == 1;
    }
    return panel;
}
