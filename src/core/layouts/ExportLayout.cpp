#include "core/layouts/ExportLayout.h"

ExportLayout& ExportLayout::current()
{
    static ExportLayout layout;
    return layout;
}

const QStringList& ExportLayout::datePatterns()
{
    static const QStringList patterns = {
        QStringLiteral("dd/MM/yyyy"), QStringLiteral("yyyy/MM/dd"), QStringLiteral("ddMMyyyy"),
        QStringLiteral("yy/MM/dd"),   QStringLiteral("yyMMdd"),     QStringLiteral("ddMMyy"),
    };
    return patterns;
}

const QStringList& ExportLayout::timePatterns()
{
    static const QStringList patterns = {QStringLiteral("HH:mm:ss"), QStringLiteral("HH:mm")};
    return patterns;
}

qint16 ExportLayout::alignmentOf(int row) const
{
    return row >= 1 && row <= alignments.size() ? alignments[row - 1] : qint16(0);
}

QString ExportLayout::padOf(int row) const
{
    return row >= 1 && row <= pads.size() ? pads[row - 1] : QString();
}

void ExportLayout::resizeLists(int size)
{
    alignments.resize(qMax(size, 0));
    pads.resize(qMax(size, 0));
}
