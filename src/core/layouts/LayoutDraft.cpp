#include "core/layouts/LayoutDraft.h"

#include "core/layouts/LineBuilder.h"

LayoutDraft::LayoutDraft(const ExportLayout& current) : m_layout(current)
{
    m_fieldList.setFields(ExportFieldList::availableFields());
    chooseDelimiter(DelimiterChoice::None);
}

void LayoutDraft::setMode(Mode mode)
{
    m_mode = mode;
    if (mode == Mode::New) {
        m_layout.inOnly = 0;
        m_layout.outOnly = 0;
        m_panel.inOnly = false;
        m_panel.outOnly = false;
    }
}

void LayoutDraft::selectRow(int r)
{
    m_row = qBound(0, r, m_rows.fieldCount());
    refreshPanel();
}

void LayoutDraft::selectField(int r)
{
    m_field = qBound(0, r, m_fieldList.fieldCount());
}

bool LayoutDraft::addSelectedField()
{
    if (m_field < 1)
        return false;
    m_row = m_fields.add(m_fieldList.row(m_field));
    m_field = 0;
    rebuildPreview();
    m_panel.widthShown = true;
    m_panel.alignmentShown = true;
    refreshPanel();
    return true;
}

bool LayoutDraft::removeSelectedRow()
{
    if (!isField(m_row))
        return false;
    m_row = m_fields.remove(m_row);
    rebuildPreview();
    // with the last field gone, the width and alignment controls go too
    m_panel.widthShown = m_rows.fieldCount() > 0;
    m_panel.alignmentShown = m_panel.widthShown;
    refreshPanel();
    return true;
}

bool LayoutDraft::moveSelectedUp()
{
    const int r = m_fields.moveUp(m_row);
    if (r == m_row)
        return false;
    m_row = r;
    rebuildPreview();
    return true;
}

bool LayoutDraft::moveSelectedDown()
{
    const int r = m_fields.moveDown(m_row);
    if (r == m_row)
        return false;
    m_row = r;
    rebuildPreview();
    return true;
}

void LayoutDraft::widthKeyPressed(int characterCode)
{
    m_widthEntry.keyPressed(characterCode);
}

bool LayoutDraft::editWidth(const QString& text)
{
    if (!isField(m_row) || !m_widthEntry.accepts(text))
        return false;
    m_fields.setWidth(m_row, text);
    m_panel.width = text;
    rebuildPreview();
    return true;
}

void LayoutDraft::setAlignment(int index)
{
    if (!isField(m_row) || index < 0)
        return;
    m_fields.setAlignment(m_row, static_cast<qint16>(index));
    m_panel.alignment = index;
}

void LayoutDraft::setPad(const QString& pad)
{
    if (!isField(m_row))
        return;
    m_fields.setPad(m_row, pad);
    m_panel.pad = pad;
}

void LayoutDraft::setYearForm(const QString& form)
{
    m_layout.yearForm = form;
    m_panel.buddhistEra = form == QStringLiteral("TH");
}

void LayoutDraft::setInText(const QString& text)
{
    m_layout.inText = text;
    m_panel.inText = text;
}

void LayoutDraft::setOutText(const QString& text)
{
    m_layout.outText = text;
    m_panel.outText = text;
}

void LayoutDraft::setInOnly(bool on)
{
    m_fields.setInOnly(on);
    m_panel.inOnly = m_layout.inOnly == 1;
    m_panel.outOnly = m_layout.outOnly == 1;
}

void LayoutDraft::setOutOnly(bool on)
{
    m_fields.setOutOnly(on);
    m_panel.inOnly = m_layout.inOnly == 1;
    m_panel.outOnly = m_layout.outOnly == 1;
}

void LayoutDraft::chooseDelimiter(int option)
{
    m_delimiterOption = option;
    m_layout.delimiter = DelimiterChoice::delimiterOf(option, m_customDelimiter);
    rebuildPreview();
}

LayoutLoadResult LayoutDraft::read(const QString& path)
{
    const LayoutLoadResult result = loadEditorLayout(path, m_layout, m_rows, m_names);
    if (!result.loaded)
        return result;
    const int option = DelimiterChoice::optionOf(m_layout.delimiter);
    if (option == DelimiterChoice::Custom)
        m_customDelimiter = m_layout.delimiter; // so that the option keeps it
    chooseDelimiter(option);
    m_row = m_rows.fieldCount() > 0 ? 1 : 0;
    refreshPanel();
    return result;
}

LayoutSaveResult LayoutDraft::save(const AppPaths& paths, ExportLayout& current)
{
    const LayoutSaveResult result = saveExportLayout(paths, m_layout, m_rows.fieldRows(), m_names);
    if (result.status == LayoutSaveResult::Status::Written ||
        result.status == LayoutSaveResult::Status::NoRows)
        current = m_layout;
    return result;
}

void LayoutDraft::refreshPanel()
{
    m_panel = FieldPanel::forRow(m_panel, m_rows, m_layout, m_row);
}

void LayoutDraft::rebuildPreview()
{
    m_preview = previewLine(m_layout, m_rows.fieldRows(), m_layout.delimiter,
                            ExportLayout::datePatterns().value(m_names.dateIndex),
                            ExportLayout::timePatterns().value(m_names.timeIndex));
}
