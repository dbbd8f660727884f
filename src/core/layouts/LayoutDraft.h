#pragma once

#include "core/layouts/DelimiterChoice.h"
#include "core/layouts/ExportFieldList.h"
#include "core/layouts/ExportLayout.h"
#include "core/layouts/FieldPanel.h"
#include "core/layouts/LayoutFile.h"
#include "core/layouts/LayoutGridModel.h"
#include "core/layouts/WidthEntry.h"
#include "core/platform/AppPaths.h"

#include <QString>

// The format editor without its widgets: the layout it builds and every decision it takes on it.
//
// The editor works on a draft of its own: a copy of the program's current layout taken when the
// editor opens, with its own field rows, names, pattern and delimiter choices. The current layout,
// which the export window shows and exports, changes only when a save succeeds; Cancel or closing
// the editor simply drops the draft, so they leave the export exactly as it was.
//
// Row numbers are those of the export-field grid: 0 is the header, 1 to N the fields. Operations
// act on the selected row and keep the settings panel (panel()) and the preview (preview()) as the
// editor shows them.
class LayoutDraft final
{
public:
    enum class Mode { Edit = 1, New = 2 };

    // The editor opening on the current layout: the first date and time patterns, alignment
    // "Right" shown, and no delimiter.
    explicit LayoutDraft(const ExportLayout& current);
    LayoutDraft(const LayoutDraft&) = delete;
    LayoutDraft& operator=(const LayoutDraft&) = delete;

    const ExportLayout& layout() const { return m_layout; }
    // The export-field grid, and the list of the seven fields that can be added.
    LayoutGridModel& rows() { return m_rows; }
    const LayoutGridModel& rows() const { return m_rows; }
    LayoutGridModel& fieldList() { return m_fieldList; }

    Mode mode() const { return m_mode; }
    // New also clears the IN-only and OUT-only flags: a new layout starts without them.
    void setMode(Mode mode);

    // The name box (the layout's name) and the hidden view-name box.
    QString fileName() const { return m_names.fileName; }
    void setFileName(const QString& name) { m_names.fileName = name; }
    QString viewName() const { return m_names.viewName; }
    // The selections of the date-pattern and time-pattern lists: what a save stores and what the
    // next preview shows; the layout's own patterns stay as they are.
    int dateIndex() const { return m_names.dateIndex; }
    void setDateIndex(int index) { m_names.dateIndex = index; }
    int timeIndex() const { return m_names.timeIndex; }
    void setTimeIndex(int index) { m_names.timeIndex = index; }

    int selectedRow() const { return m_row; }
    // Selects a row of the export-field grid (clamped to it) and refreshes the panel for it.
    void selectRow(int r);
    // The selected row of the field list (0: none).
    int selectedField() const { return m_field; }
    void selectField(int r);

    // Each returns false when it does not apply (no field picked, the header row selected, the
    // first row up or the last row down) and then changes nothing.
    // Appends the picked field (right-aligned, pad "0") and selects it; the field list is unpicked.
    bool addSelectedField();
    // Removes the selected field with its settings and selects the last row.
    bool removeSelectedRow();
    // Exchange the selected field with its neighbour, settings included; the moved field stays
    // selected and the panel keeps showing it.
    bool moveSelectedUp();
    bool moveSelectedDown();

    // The width box: each key decides whether the next change is taken (digits and backspace).
    // A taken change becomes the selected row's width and rebuilds the preview; a refused one
    // returns false, and the box goes back to panel().width.
    void widthKeyPressed(int characterCode);
    bool editWidth(const QString& text);
    // Settings of the selected field; on the header row they store nothing. They do not rebuild
    // the preview.
    void setAlignment(int index);
    void setPad(const QString& pad);
    // "EN" or "TH".
    void setYearForm(const QString& form);
    void setInText(const QString& text);
    void setOutText(const QString& text);
    // The two flags exclude each other: setting one clears the other.
    void setInOnly(bool on);
    void setOutOnly(bool on);

    // The delimiter options (DelimiterChoice). The custom box's text counts only when Custom is
    // chosen again.
    int delimiterOption() const { return m_delimiterOption; }
    QString customDelimiter() const { return m_customDelimiter; }
    void setCustomDelimiter(const QString& text) { m_customDelimiter = text; }
    void chooseDelimiter(int option);

    const FieldPanel& panel() const { return m_panel; }
    // The sample line, as it was last rebuilt.
    const QString& preview() const { return m_preview; }

    // Reads a layout file with the editor's reader: rows, settings, names and pattern choices;
    // then chooses the delimiter option of the layout's delimiter and selects the first field.
    LayoutLoadResult read(const QString& path);
    // Writes the draft under its name. When the name is taken (the file written, or nothing to
    // write for a layout of no rows), the draft becomes `current`, the program's current layout;
    // a refused name or a failed write leaves `current` alone.
    LayoutSaveResult save(const AppPaths& paths, ExportLayout& current);

private:
    bool isField(int r) const { return r >= 1 && r <= m_rows.fieldCount(); }
    void refreshPanel();
    void rebuildPreview();

    ExportLayout m_layout;
    LayoutGridModel m_rows;
    LayoutGridModel m_fieldList;
    ExportFieldList m_fields{m_rows, m_layout};
    EditorLayoutState m_names;
    Mode m_mode = Mode::Edit;
    int m_row = 0;
    int m_field = 0;
    int m_delimiterOption = DelimiterChoice::None;
    QString m_customDelimiter = QStringLiteral("@@");
    WidthEntry m_widthEntry;
    FieldPanel m_panel;
    QString m_preview;
};
