#include "core/layouts/ExportFieldList.h"

ExportFieldList::ExportFieldList(LayoutGridModel& grid, ExportLayout& layout) : m_grid(grid), m_layout(layout)
{}

const QList<LayoutRow>& ExportFieldList::availableFields()
{
    static const QList<LayoutRow> fields = {
        {QStringLiteral("UID"), QStringLiteral("12")},  {QStringLiteral("Kestrum ID"), QStringLiteral("3")},
        {QStringLiteral("Group"), QStringLiteral("3")}, {QStringLiteral("Date"), QStringLiteral("10")},
        {QStringLiteral("Time"), QStringLiteral("8")},  {QStringLiteral("Event"), QStringLiteral("2")},
        {QStringLiteral("Space"), QStringLiteral("1")},
    };
    return fields;
}

void ExportFieldList::reserveFor(int r)
{
    if (m_layout.alignments.size() < r + 1 || m_layout.pads.size() < r + 1)
        m_layout.resizeLists(
            qMax<int>(r + 1, static_cast<int>(qMax(m_layout.alignments.size(), m_layout.pads.size()))));
}

int ExportFieldList::add(const LayoutRow& field)
{
    const int r = m_grid.fieldCount() + 1;
    reserveFor(r);
    m_grid.appendField(field);
    m_layout.alignments[r - 1] = 1;
    m_layout.pads[r - 1] = QStringLiteral("0");
    return r;
}

void ExportFieldList::dropSettings(int r)
{
    if (r < 1)
        return;
    for (int i = r - 1; i + 1 < m_layout.alignments.size(); ++i)
        m_layout.alignments[i] = m_layout.alignments[i + 1];
    for (int i = r - 1; i + 1 < m_layout.pads.size(); ++i)
        m_layout.pads[i] = m_layout.pads[i + 1];
}

int ExportFieldList::remove(int r)
{
    if (!isField(r))
        return r;
    dropSettings(r);
    m_grid.removeField(r);
    return m_grid.fieldCount();
}

void ExportFieldList::swapSettings(int a, int b)
{
    reserveFor(qMax(a, b));
    m_layout.alignments.swapItemsAt(a - 1, b - 1);
    m_layout.pads.swapItemsAt(a - 1, b - 1);
    m_grid.swapFields(a, b);
}

int ExportFieldList::moveUp(int r)
{
    if (r < 2 || !isField(r))
        return r;
    swapSettings(r, r - 1);
    return r - 1;
}

int ExportFieldList::moveDown(int r)
{
    if (!isField(r) || r >= m_grid.fieldCount())
        return r;
    swapSettings(r, r + 1);
    return r + 1;
}

void ExportFieldList::setWidth(int r, const QString& width)
{
    if (isField(r))
        m_grid.setWidth(r, width);
}

void ExportFieldList::setAlignment(int r, qint16 alignment)
{
    if (!isField(r))
        return;
    reserveFor(r);
    m_layout.alignments[r - 1] = alignment;
}

void ExportFieldList::setPad(int r, const QString& pad)
{
    if (!isField(r))
        return;
    reserveFor(r);
    m_layout.pads[r - 1] = pad;
}

void ExportFieldList::setInOnly(bool on)
{
    m_layout.inOnly = on ? 1 : 0;
    if (on)
        m_layout.outOnly = 0;
}

void ExportFieldList::setOutOnly(bool on)
{
    m_layout.outOnly = on ? 1 : 0;
    if (on)
        m_layout.inOnly = 0;
}
