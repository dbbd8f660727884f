#include "core/layouts/ExportFieldList.h"
#include "fixtures/TestRows.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

namespace {

// Three fields with their own alignment and pad, the lists one position longer than the rows,
// as a load leaves them: UID (0, "a"), Date (1, "b"), Time (2, "c").
struct ThreeFields
{
    LayoutGridModel grid;
    QAbstractItemModelTester tester{&grid, QAbstractItemModelTester::FailureReportingMode::QtTest};
    ExportLayout layout;
    ExportFieldList list{grid, layout};

    ThreeFields()
    {
        grid.setFields({{u"UID"_qs, u"12"_qs}, {u"Date"_qs, u"10"_qs}, {u"Time"_qs, u"8"_qs}});
        layout.alignments = {0, 1, 2, 0};
        layout.pads = {u"a"_qs, u"b"_qs, u"c"_qs, QString()};
    }

    // Each field row as name, width, alignment and pad: "UID12:0a Date10:1b Time8:2c".
    QString fields() const
    {
        QStringList out;
        for (int r = 1; r <= grid.fieldCount(); ++r)
            out << grid.row(r).field + grid.row(r).width + u':' + QString::number(layout.alignmentOf(r)) +
                       layout.padOf(r);
        return out.join(u' ');
    }
};

const char* const Unchanged = "UID12:0a Date10:1b Time8:2c";

} // namespace

class TestExportFieldList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addStartsRightWithZeroPad();
    void edits_data();
    void edits();
    void inOnlyAndOutOnlyExcludeEachOther();
    void gridHasItsHeaderRow();
};

void TestExportFieldList::addStartsRightWithZeroPad()
{
    // a layout fresh from program start has no lists at all
    LayoutGridModel grid;
    ExportLayout layout;
    ExportFieldList list(grid, layout);
    QCOMPARE(list.add({u"UID"_qs, u"12"_qs}) * 10 + list.add({u"Date"_qs, u"10"_qs}), 12);
    QCOMPARE(grid.fieldRows(), (QList<LayoutRow>{{u"UID"_qs, u"12"_qs}, {u"Date"_qs, u"10"_qs}}));
    QCOMPARE(layout.alignments, (QList<qint16>{1, 1, 0}));
    QCOMPARE(layout.pads, (QStringList{u"0"_qs, u"0"_qs, QString()}));
}

void TestExportFieldList::edits_data()
{
    addColumns<QString, int, QString, int>({"edit", "row", "fields", "selected"});
    addRow("remove first", "remove", 1, "Date10:1b Time8:2c", 2);
    addRow("remove middle", "remove", 2, "UID12:0a Time8:2c", 2);
    addRow("remove last", "remove", 3, "UID12:0a Date10:1b", 2);
    addRow("remove header", "remove", 0, Unchanged, 0);
    addRow("remove past the end", "remove", 4, Unchanged, 4);
    addRow("up second", "up", 2, "Date10:1b UID12:0a Time8:2c", 1);
    addRow("up last", "up", 3, "UID12:0a Time8:2c Date10:1b", 2);
    addRow("up first", "up", 1, Unchanged, 1);
    addRow("down first", "down", 1, "Date10:1b UID12:0a Time8:2c", 2);
    addRow("down last", "down", 3, Unchanged, 3);
    addRow("down header", "down", 0, Unchanged, 0);
    addRow("settings of the last", "set", 3, "UID12:0a Date10:1b Time15:0*", 3);
    addRow("settings of the header", "set", 0, Unchanged, 0);
    addRow("settings past the end", "set", 4, Unchanged, 4);
}

void TestExportFieldList::edits()
{
    QFETCH(QString, edit);
    QFETCH(int, row);
    ThreeFields f;
    int selected = row;
    if (edit == u"set") {
        f.list.setWidth(row, u"15"_qs);
        f.list.setAlignment(row, 0);
        f.list.setPad(row, u"*"_qs);
    } else {
        selected = edit == u"remove" ? f.list.remove(row)
                   : edit == u"up"   ? f.list.moveUp(row)
                                     : f.list.moveDown(row);
    }
    QTEST(f.fields(), "fields");
    QTEST(selected, "selected");
    QCOMPARE(f.layout.alignments.size(), 4); // the lists keep their length
    QCOMPARE(f.grid.row(0).width, u"ความกว้าง"_qs);
}

void TestExportFieldList::inOnlyAndOutOnlyExcludeEachOther()
{
    LayoutGridModel grid;
    ExportLayout layout;
    ExportFieldList list(grid, layout);
    QStringList flags; // IN-only and OUT-only after each tick or untick
    const auto set = [&](bool in, bool on) {
        in ? list.setInOnly(on) : list.setOutOnly(on);
        flags << QString::number(layout.inOnly) + QString::number(layout.outOnly);
    };
    set(false, true);
    set(true, true);
    set(false, false); // clearing the other box leaves this one
    set(false, true);
    set(false, false);
    QCOMPARE(flags.join(u' '), u"01 10 10 01 00"_qs);
}

void TestExportFieldList::gridHasItsHeaderRow()
{
    ThreeFields f;
    LayoutGridModel& grid = f.grid;
    QCOMPARE(grid.rowCount() * 10 + grid.columnCount(), 42);
    QCOMPARE(grid.data(grid.index(0, 0)).toString(), u"ฟิลด์ข้อมูล"_qs);
    QCOMPARE(grid.data(grid.index(2, 0), Qt::EditRole).toString() + grid.data(grid.index(2, 1)).toString(),
             u"Date10"_qs);
    QVERIFY(!grid.data(grid.index(2, 1), Qt::ToolTipRole).isValid());
    QCOMPARE(grid.row(4), LayoutRow{});
    // the editor may write the header's width cell while the header row is selected
    QSignalSpy changed(&grid, &QAbstractItemModel::dataChanged);
    grid.setWidth(0, u"5"_qs);
    grid.setWidth(4, u"5"_qs);
    grid.swapFields(0, 1);
    grid.swapFields(3, 4);
    QCOMPARE(grid.row(0).width + QString::number(changed.size()), u"51"_qs);
    QCOMPARE(f.fields(), QString::fromLatin1(Unchanged));
    grid.clearFields();
    grid.clearFields();
    QCOMPARE(grid.rowCount(), 1);
}

QTEST_GUILESS_MAIN(TestExportFieldList)
#include "tst_exportfieldlist.moc"
