// bench-ini-load: reads layout-shaped INI documents of n and 4n row sections and looks up every
// key of every row, as the layout loader does. The time of the larger over the smaller should
// be near 4 (reading is linear in the file); a scan per lookup would make it near 16.
#include "core/platform/IniFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

namespace {

const QStringList Keys = {u"TextMatrix"_qs,
                          u"FixedWidth"_qs,
                          u"AlignmentData"_qs,
                          u"spData"_qs,
                          u"FormatDateType"_qs,
                          u"FormatTimeType"_qs,
                          u"FormatYear"_qs,
                          u"IN"_qs,
                          u"OUT"_qs,
                          u"DataFormat"_qs};

QByteArray layoutText(int rows)
{
    QByteArray text = "[ZUNDataView]\r\nRows=" + QByteArray::number(rows) + "\r\n";
    for (int i = 1; i <= rows; ++i) {
        text += "[ZUNData\\ROW\\" + QByteArray::number(i) + "]\r\n";
        for (const QString& key : Keys)
            text += key.toLatin1() + "=" + QByteArray::number(i) + "\r\n";
    }
    return text;
}

// Seconds to read the text and look up every key of every row.
double readAll(const QByteArray& text, int rows, qint64& found)
{
    QElapsedTimer timer;
    timer.start();
    const IniDocument doc = IniDocument::fromBytes(text);
    for (int i = 1; i <= rows; ++i) {
        const QString section = QStringLiteral("ZUNData\\ROW\\") + QString::number(i);
        for (const QString& key : Keys)
            found += doc.value(section, key).has_value() ? 1 : 0;
    }
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const int rows = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 20000;
    qint64 found = 0;
    const double small = readAll(layoutText(rows), rows, found);
    const double large = readAll(layoutText(4 * rows), 4 * rows, found);
    out << rows << " rows: " << small << " s; " << 4 * rows << " rows: " << large << " s; ratio "
        << large / small << " (linear: about 4); " << found << " values found\n";
    return found == 5LL * rows * Keys.size() ? 0 : 1;
}
