#include "gui/shell/ChildPlacement.h"

#include <QTest>

class TestChildPlacement : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundHalfToEven_data();
    void roundHalfToEven();
    void centred_data();
    void centred();
    void notNormalLeavesChild();
};

void TestChildPlacement::roundHalfToEven_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("whole") << 7.0 << qint64(7);
    QTest::newRow("below half") << 2.49 << qint64(2);
    QTest::newRow("above half") << 2.51 << qint64(3);
    QTest::newRow("half to even below") << 2.5 << qint64(2);
    QTest::newRow("half to even above") << 3.5 << qint64(4);
    QTest::newRow("zero and a half") << 0.5 << qint64(0);
    QTest::newRow("negative half to even") << -0.5 << qint64(0);
    QTest::newRow("negative one and a half") << -1.5 << qint64(-2);
    QTest::newRow("negative two and a half") << -2.5 << qint64(-2);
    QTest::newRow("negative above half") << -2.6 << qint64(-3);
    QTest::newRow("large tie") << 4507.5 << qint64(4508);
}

void TestChildPlacement::roundHalfToEven()
{
    QFETCH(double, value);
    QFETCH(qint64, expected);
    QCOMPARE(ChildPlacement::roundHalfToEven(value), expected);
}

void TestChildPlacement::centred_data()
{
    QTest::addColumn<double>("mainWidth");
    QTest::addColumn<double>("mainHeight");
    QTest::addColumn<double>("childWidth");
    QTest::addColumn<double>("childHeight");
    QTest::addColumn<QPoint>("expected");

    // (15000 - 6000) / 2 - 1500 = 3000; (10500 - 4500) / 2 - 1000 = 2000
    QTest::newRow("offsets differ") << 15000.0 << 10500.0 << 6000.0 << 4500.0 << QPoint(3000, 2000);
    QTest::newRow("same size") << 9000.0 << 6000.0 << 9000.0 << 6000.0 << QPoint(-1500, -1000);
    QTest::newRow("child larger") << 6000.0 << 4000.0 << 9000.0 << 7000.0 << QPoint(-3000, -2500);
    // 4507.5 - 1500 = 3007.5 -> 3008; 2250.5 - 1000 = 1250.5 -> 1250
    QTest::newRow("ties go to even") << 15015.0 << 10501.0 << 6000.0 << 6000.0 << QPoint(3008, 1250);
    // 4492.5 - 1500 = 2992.5 -> 2992; 2249.5 - 1000 = 1249.5 -> 1250
    QTest::newRow("ties go to even, other side")
        << 14985.0 << 10499.0 << 6000.0 << 6000.0 << QPoint(2992, 1250);
    // 3000.7 - 1000 = 2000.7 -> 2001
    QTest::newRow("fractions round to nearest")
        << 15000.4 << 10500.0 << 6000.0 << 4498.6 << QPoint(3000, 2001);
}

void TestChildPlacement::centred()
{
    QFETCH(double, mainWidth);
    QFETCH(double, mainHeight);
    QFETCH(double, childWidth);
    QFETCH(double, childHeight);
    QFETCH(QPoint, expected);
    const auto position =
        ChildPlacement::centredPosition(true, mainWidth, mainHeight, childWidth, childHeight);
    QVERIFY(position.has_value());
    QCOMPARE(*position, expected);
}

void TestChildPlacement::notNormalLeavesChild()
{
    QVERIFY(!ChildPlacement::centredPosition(false, 15000, 10500, 6000, 4500).has_value());
}

QTEST_GUILESS_MAIN(TestChildPlacement)
#include "tst_childplacement.moc"
