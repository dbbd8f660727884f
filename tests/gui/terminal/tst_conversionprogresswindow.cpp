#include "fixtures/TestPrompter.h"
#include "gui/platform/AppContext.h"
#include "gui/shell/CenterChildWindow.h"
#include "gui/shell/MainWindow.h"
#include "gui/terminal/ConversionProgressWindow.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTemporaryDir>
#include <QTest>

class TestConversionProgressWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void showsProgressInMainWindow_data();
    void showsProgressInMainWindow();
    void anyKeyCloses();
    void placedLikeTheOtherChildWindows();
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

void TestConversionProgressWindow::placedLikeTheOtherChildWindows()
{
    QTemporaryDir dir;
    TestPrompter prompter;
    AppContext context{AppPaths(dir.path()), prompter};
    MainWindow main(context);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    auto* splash = new ConversionProgressWindow(&main, main.mdiArea().viewport());
    splash->showCentered();
    // a child window of the same size, placed by the same rule, beside the side bar
    QMdiSubWindow* frame = main.mdiArea().addSubWindow(new QWidget);
    frame->show();
    frame->resize(splash->frameGeometry().size());
    centerChildWindow(main, *frame->widget());
    QCOMPARE(splash->mapTo(&main, QPoint(0, 0)), frame->mapTo(&main, QPoint(0, 0)));
}

QTEST_MAIN(TestConversionProgressWindow)
#include "tst_conversionprogresswindow.moc"
