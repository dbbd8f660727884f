#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// One field row of a layout as a grid shows it: the field name and the width text.
struct LayoutRow
{
    QString field;
    QString width;

    friend bool operator==(const LayoutRow&, const LayoutRow&) = default;
};

// The export layout in memory: everything of a layout except its rows, which live in the grid
// of the window that shows the layout (see LayoutGridModel). The program holds exactly one
// current layout, shared by the export window and the format editor: ExportLayout::current().
class ExportLayout final
{
public:
    // The program's one current layout. Created empty at start, replaced piecewise by each load
    // and changed in place by the editor.
    static ExportLayout& current();

    // The date patterns by their stored index, and the time patterns likewise.
    static const QStringList& datePatterns();
    static const QStringList& timePatterns();

    // Alignment and pad of the grid row `row` (1-based); rows beyond the lists read as left
    // alignment and no pad.
    qint16 alignmentOf(int row) const;
    QString padOf(int row) const;
    // Makes both lists hold exactly `size` positions, keeping the entries they already hold.
    void resizeLists(int size);

    QString path;             // the layout file last loaded or saved
    QList<qint16> alignments; // grid row i at position i - 1: 0 left, 1 right, 2 centre
    QStringList pads;         // grid row i at position i - 1
    QString delimiter;        // "TAB" stands for one tab character
    QString datePattern;
    QString timePattern;
    QString yearForm; // "TH" for Buddhist-era years, anything else Christian era
    QString inText;
    QString outText;
    qint16 inOnly = 0;
    qint16 outOnly = 0;

    friend bool operator==(const ExportLayout&, const ExportLayout&) = default;
};
