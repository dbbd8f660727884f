#include "gui/terminal/ConversionProgressWindow.h"

#include <QLabel>
#include <QTest>

class TestConversionProgressWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsProgressInMainWindow_data();
    void showsProgressInMainWindow();
    void anyKeyCloses();
};

void TestConversionProgressWindow::showsProgressInMainWindow_data()
{
    QTest::addColumn<qint64>("done");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<QString>("text");
    QTest::newRow("start") << qint64(0) << qint64(5) << QStringLiteral(" 0 %");
    QTest::newRow("quarter") << qint64(1) << qint64(4) << QStringLiteral(" 25 %");
    QTest::newRow("end") << qint64(5) << qint64(5) << QStringLiteral(" 100 %");
}

void TestConversionProgressWindow::showsProgressInMainWindow()
{
    QFETCH(qint64, done);
    QFETCH(qint64, total);
    QFETCH(QString, text);
    QWidget main;
    main.resize(800, 600);
    main.show();
    auto* splash = new ConversionProgressWindow(&main);
    splash->setProgress(done, total);
    splash->showCentered();
    QVERIFY(splash->isVisible());
    QCOMPARE(splash->parentWidget(), &main);
    QCOMPARE(splash->windowTitle(), QString());
    QCOMPARE(splash->findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("Loading "));
    QCOMPARE(splash->findChild<QLabel*>(QStringLiteral("Label2"))->text(), text);
    // placed inside the main window, not left at its corner
    QVERIFY(main.rect().contains(splash->geometry()));
    QVERIFY(splash->pos() != QPoint(0, 0));
}

void TestConversionProgressWindow::anyKeyCloses()
{
    QWidget main;
    main.resize(400, 300);
    main.show();
    ConversionProgressWindow splash(&main);
    splash.showCentered();
    QVERIFY(splash.isVisible());
    QTest::keyClick(&splash, Qt::Key_A);
    QVERIFY(!splash.isVisible());
}

QTEST_MAIN(TestConversionProgressWindow)
#include "tst_conversionprogresswindow.moc"
