#include "core/layouts/ExportFieldList.h"

#include <QAbstractItemModelTester>
#include <QTest>

namespace {

LayoutRow field(const char* name, const char* width)
{
    return {QString::fromLatin1(name), QString::fromLatin1(width)};
}

// A list of three fields with their own alignment and pad: UID (0, "a"), Date (1, "b"),
// Time (2, "c"), the lists one position longer than the rows, as a load leaves them.
struct ThreeFields
{
    LayoutGridModel grid;
    ExportLayout layout;
    ExportFieldList list{grid, layout};

    ThreeFields()
    {
        grid.setFields({field("UID", "12"), field("Date", "10"), field("Time", "8")});
        layout.alignments = {0, 1, 2, 0};
        layout.pads = {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QString()};
    }

    QStringList names() const
    {
        QStringList out;
        for (const LayoutRow& r : grid.fieldRows())
            out.append(r.field);
        return out;
    }
    // alignment and pad of each field row, as "0a"
    QStringList settings() const
    {
        QStringList out;
        for (int r = 1; r <= grid.fieldCount(); ++r)
            out.append(QString::number(layout.alignmentOf(r)) + layout.padOf(r));
        return out;
    }
};

} // namespace

class TestExportFieldList : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fieldListHoldsTheSevenFields();
    void addGivesRightAndZeroPad();
    void addLengthensShortLists();
    void removeKeepsListsInStep_data();
    void removeKeepsListsInStep();
    void moveKeepsListsInStep_data();
    void moveKeepsListsInStep();
    void headerRowIsNeverEdited();
    void inOnlyAndOutOnlyExcludeEachOther();
    void modelStaysSound();
};

void TestExportFieldList::fieldListHoldsTheSevenFields()
{
    const QList<LayoutRow>& fields = ExportFieldList::availableFields();
    QCOMPARE(fields.size(), 7);
    const QList<LayoutRow> expected = {field("UID", "12"),  field("Kestrum ID", "3"), field("Group", "3"),
                                       field("Date", "10"), field("Time", "8"),       field("Event", "2"),
                                       field("Space", "1")};
    QCOMPARE(fields, expected);
}

void TestExportFieldList::addGivesRightAndZeroPad()
{
    LayoutGridModel grid;
    ExportLayout layout;
    layout.resizeLists(1);
    ExportFieldList list(grid, layout);
    QCOMPARE(list.add(field("UID", "12")), 1);
    QCOMPARE(list.add(field("Date", "10")), 2);
    QCOMPARE(grid.fieldRows(), (QList<LayoutRow>{field("UID", "12"), field("Date", "10")}));
    QCOMPARE(layout.alignmentOf(1), qint16(1));
    QCOMPARE(layout.padOf(1), QStringLiteral("0"));
    QCOMPARE(layout.alignmentOf(2), qint16(1));
    QCOMPARE(layout.padOf(2), QStringLiteral("0"));
    QVERIFY(layout.alignments.size() >= 3);
    QCOMPARE(layout.alignments.size(), layout.pads.size());
}

void TestExportFieldList::addLengthensShortLists()
{
    // a layout fresh from program start has no lists at all
    LayoutGridModel grid;
    ExportLayout layout;
    ExportFieldList list(grid, layout);
    list.add(field("Space", "1"));
    QCOMPARE(layout.alignments.size(), 2);
    QCOMPARE(layout.pads.size(), 2);
    QCOMPARE(layout.pads[0], QStringLiteral("0"));
}

void TestExportFieldList::removeKeepsListsInStep_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("settings");
    QTest::addColumn<int>("selected");

    QTest::newRow("first") << 1 << QStringList{QStringLiteral("Date"), QStringLiteral("Time")}
                           << QStringList{QStringLiteral("1b"), QStringLiteral("2c")} << 2;
    QTest::newRow("second of three") << 2 << QStringList{QStringLiteral("UID"), QStringLiteral("Time")}
                                     << QStringList{QStringLiteral("0a"), QStringLiteral("2c")} << 2;
    QTest::newRow("last") << 3 << QStringList{QStringLiteral("UID"), QStringLiteral("Date")}
                          << QStringList{QStringLiteral("0a"), QStringLiteral("1b")} << 2;
}

void TestExportFieldList::removeKeepsListsInStep()
{
    QFETCH(int, row);
    QFETCH(QStringList, names);
    QFETCH(QStringList, settings);
    QFETCH(int, selected);

    ThreeFields f;
    QCOMPARE(f.list.remove(row), selected);
    QCOMPARE(f.names(), names);
    QCOMPARE(f.settings(), settings);
    QCOMPARE(f.layout.alignments.size(), 4); // the lists keep their length
}

void TestExportFieldList::moveKeepsListsInStep_data()
{
    QTest::addColumn<bool>("up");
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("settings");
    QTest::addColumn<int>("selected");

    const QStringList unchangedNames{QStringLiteral("UID"), QStringLiteral("Date"), QStringLiteral("Time")};
    const QStringList unchangedSettings{QStringLiteral("0a"), QStringLiteral("1b"), QStringLiteral("2c")};
    QTest::newRow("up on second")
        << true << 2 << QStringList{QStringLiteral("Date"), QStringLiteral("UID"), QStringLiteral("Time")}
        << QStringList{QStringLiteral("1b"), QStringLiteral("0a"), QStringLiteral("2c")} << 1;
    QTest::newRow("up on last")
        << true << 3 << QStringList{QStringLiteral("UID"), QStringLiteral("Time"), QStringLiteral("Date")}
        << QStringList{QStringLiteral("0a"), QStringLiteral("2c"), QStringLiteral("1b")} << 2;
    QTest::newRow("up on first") << true << 1 << unchangedNames << unchangedSettings << 1;
    QTest::newRow("up on header") << true << 0 << unchangedNames << unchangedSettings << 0;
    QTest::newRow("down on first")
        << false << 1 << QStringList{QStringLiteral("Date"), QStringLiteral("UID"), QStringLiteral("Time")}
        << QStringList{QStringLiteral("1b"), QStringLiteral("0a"), QStringLiteral("2c")} << 2;
    QTest::newRow("down on last") << false << 3 << unchangedNames << unchangedSettings << 3;
    QTest::newRow("down on header") << false << 0 << unchangedNames << unchangedSettings << 0;
}

void TestExportFieldList::moveKeepsListsInStep()
{
    QFETCH(bool, up);
    QFETCH(int, row);
    QFETCH(QStringList, names);
    QFETCH(QStringList, settings);
    QFETCH(int, selected);

    ThreeFields f;
    QCOMPARE(up ? f.list.moveUp(row) : f.list.moveDown(row), selected);
    QCOMPARE(f.names(), names);
    QCOMPARE(f.settings(), settings);
}

void TestExportFieldList::headerRowIsNeverEdited()
{
    ThreeFields f;
    QCOMPARE(f.list.remove(0), 0);
    f.list.setWidth(0, QStringLiteral("99"));
    f.list.setAlignment(0, 2);
    f.list.setPad(0, QStringLiteral("*"));
    f.list.setWidth(4, QStringLiteral("99"));
    f.list.setPad(4, QStringLiteral("*"));
    QCOMPARE(f.grid.row(0).width, QStringLiteral("ความกว้าง"));
    QCOMPARE(f.names().size(), 3);
    QCOMPARE(f.settings(), (QStringList{QStringLiteral("0a"), QStringLiteral("1b"), QStringLiteral("2c")}));

    f.list.setWidth(2, QStringLiteral("15"));
    f.list.setAlignment(2, 0);
    f.list.setPad(2, QStringLiteral("*"));
    QCOMPARE(f.grid.row(2).width, QStringLiteral("15"));
    QCOMPARE(f.settings(), (QStringList{QStringLiteral("0a"), QStringLiteral("0*"), QStringLiteral("2c")}));
}

void TestExportFieldList::inOnlyAndOutOnlyExcludeEachOther()
{
    LayoutGridModel grid;
    ExportLayout layout;
    ExportFieldList list(grid, layout);
    list.setOutOnly(true);
    QCOMPARE(layout.outOnly, qint16(1));
    list.setInOnly(true);
    QCOMPARE(layout.inOnly, qint16(1));
    QCOMPARE(layout.outOnly, qint16(0));
    list.setOutOnly(false); // clearing the other box leaves this one
    QCOMPARE(layout.inOnly, qint16(1));
    list.setInOnly(false);
    QCOMPARE(layout.inOnly, qint16(0));
    QCOMPARE(layout.outOnly, qint16(0));
}

void TestExportFieldList::modelStaysSound()
{
    ThreeFields f;
    QAbstractItemModelTester tester(&f.grid, QAbstractItemModelTester::FailureReportingMode::QtTest);
    f.list.add(field("Event", "2"));
    f.list.moveUp(4);
    f.list.moveDown(1);
    f.list.remove(2);
    f.list.remove(1);
    f.list.remove(1);
    f.list.remove(1);
    QCOMPARE(f.grid.fieldCount(), 0);
    QCOMPARE(f.list.remove(1), 1);
}

QTEST_GUILESS_MAIN(TestExportFieldList)
#include "tst_exportfieldlist.moc"
