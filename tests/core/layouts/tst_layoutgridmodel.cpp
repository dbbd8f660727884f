#include "core/layouts/LayoutGridModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

class TestLayoutGridModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void headerIsRowZero();
    void editingKeepsTheModelSound();
    void outOfRangeRowsAreIgnored_data();
    void outOfRangeRowsAreIgnored();
    void widthChangeIsSignalled();
};

static QList<LayoutRow> threeRows()
{
    return {{QStringLiteral("UID"), QStringLiteral("12")},
            {QStringLiteral("Date"), QStringLiteral("10")},
            {QStringLiteral("Event"), QStringLiteral("2")}};
}

void TestLayoutGridModel::headerIsRowZero()
{
    LayoutGridModel model;
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.columnCount(), 2);
    QCOMPARE(model.fieldCount(), 0);
    QCOMPARE(model.data(model.index(0, 0)).toString(), QStringLiteral("ฟิลด์ข้อมูล"));
    QCOMPARE(model.data(model.index(0, 1)).toString(), QStringLiteral("ความกว้าง"));
    QVERIFY(model.fieldRows().isEmpty());
}

void TestLayoutGridModel::editingKeepsTheModelSound()
{
    LayoutGridModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setFields(threeRows());
    QCOMPARE(model.fieldCount(), 3);
    QCOMPARE(model.data(model.index(2, LayoutGridModel::NameColumn)).toString(), QStringLiteral("Date"));
    QCOMPARE(model.data(model.index(3, LayoutGridModel::WidthColumn)).toString(), QStringLiteral("2"));

    model.swapFields(1, 2);
    QCOMPARE(model.row(1).field, QStringLiteral("Date"));
    QCOMPARE(model.row(2).field, QStringLiteral("UID"));

    model.removeField(2);
    QCOMPARE(model.fieldRows(), (QList<LayoutRow>{threeRows()[1], threeRows()[2]}));

    model.appendField({QStringLiteral("Space"), QStringLiteral("1")});
    QCOMPARE(model.fieldCount(), 3);
    QCOMPARE(model.row(3), (LayoutRow{QStringLiteral("Space"), QStringLiteral("1")}));

    model.setWidth(3, QStringLiteral("15"));
    QCOMPARE(model.row(3).width, QStringLiteral("15"));

    model.clearFields();
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.row(0).field, QStringLiteral("ฟิลด์ข้อมูล"));
    model.clearFields();
    QCOMPARE(model.rowCount(), 1);
}

void TestLayoutGridModel::outOfRangeRowsAreIgnored_data()
{
    QTest::addColumn<int>("row");
    QTest::newRow("header") << 0;
    QTest::newRow("past the end") << 4;
    QTest::newRow("negative") << -1;
}

void TestLayoutGridModel::outOfRangeRowsAreIgnored()
{
    QFETCH(int, row);
    LayoutGridModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setFields(threeRows());
    model.removeField(row);
    model.swapFields(row, 1);
    model.swapFields(2, row);
    QCOMPARE(model.fieldRows(), threeRows());
    QCOMPARE(model.row(row), row == 0 ? model.row(0) : LayoutRow{});
}

void TestLayoutGridModel::widthChangeIsSignalled()
{
    LayoutGridModel model;
    model.setFields(threeRows());
    QSignalSpy spy(&model, &QAbstractItemModel::dataChanged);
    model.setWidth(2, QStringLiteral("9"));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).value<QModelIndex>(), model.index(2, 1));
    // the editor may write the header's width cell when the header row is selected
    model.setWidth(0, QStringLiteral("5"));
    QCOMPARE(model.row(0).width, QStringLiteral("5"));
    QCOMPARE(model.fieldRows()[1].width, QStringLiteral("9"));
}

QTEST_GUILESS_MAIN(TestLayoutGridModel)
#include "tst_layoutgridmodel.moc"
