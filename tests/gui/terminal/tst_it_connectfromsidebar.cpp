#include "core/storage/Connections.h"
#include "fixtures/TestPrompter.h"
#include "fixtures/Tq90SimProcess.h"
#include "gui/platform/AppContext.h"
#include "gui/shell/MainWindow.h"
#include "gui/shell/SideBar.h"
#include "gui/shell/WindowRegistry.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

// The road of a punch from the terminal into the local database, as an operator takes it:
// side-bar item 1, connect, download, erase; downloading the same log again adds nothing.
class TestConnectFromSideBar : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void downloadAndEraseThroughMainWindow();
};

void TestConnectFromSideBar::downloadAndEraseThroughMainWindow()
{
    QTemporaryDir dir;
    QTemporaryDir config;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
    Tq90SimProcess sim;
    QVERIFY(sim.start({QStringLiteral("--log"),
                       qEnvironmentVariable("TQ_SOURCE_DIR") + QStringLiteral("/resources/sample-log.bin")}));
    TestPrompter prompter;
    AppContext context{AppPaths(dir.path()), prompter};
    {
        MainWindow main(context);
        main.resize(1100, 760);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        SideBar& bar = main.sideBar();
        QTreeWidgetItem* item = bar.itemWithValue(1);
        QVERIFY(item);
        QTest::mouseClick(bar.viewport(), Qt::LeftButton, {}, bar.visualItemRect(item).center());
        QWidget* window = main.windows().find(WindowId::Connect);
        QVERIFY(window && window->isVisible());

        window->findChild<QLineEdit*>(QStringLiteral("txtIP"))->setText(QStringLiteral("127.0.0.1"));
        window->findChild<QLineEdit*>(QStringLiteral("txtPort"))->setText(QString::number(sim.port()));
        window->findChild<QPushButton*>(QStringLiteral("btnconnect"))->click();
        QVERIFY2(prompter.shown().isEmpty(), qPrintable(prompter.texts().join(u'\n')));

        auto* getLog = window->findChild<QPushButton*>(QStringLiteral("btnGetlog"));
        auto* lblMsg = window->findChild<QLabel*>(QStringLiteral("lblMsg"));
        // side-bar item 2, pressed while the log is stored and the window handles its events
        QTimer::singleShot(0, &main, [&bar] {
            QTreeWidgetItem* exportItem = bar.itemWithValue(2);
            QTest::mouseClick(bar.viewport(), Qt::LeftButton, {}, bar.visualItemRect(exportItem).center());
        });
        getLog->click();
        QCOMPARE(prompter.texts(),
                 (QStringList{u"The terminal connection window is still working. Choose again "
                              "when it has finished."_qs,
                              u"ดึงข้อมูลเรียบร้อย"_qs}));
        QCOMPARE(main.windows().find(WindowId::Connect), window);
        QCOMPARE(lblMsg->text(), QStringLiteral("Read 200 punches, 200 new."));
        getLog->click();
        QCOMPARE(lblMsg->text(), QStringLiteral("Read 200 punches, 0 new."));

        prompter.queueAnswer(Prompter::Answer::Yes);
        window->findChild<QPushButton*>(QStringLiteral("btnEraseLog"))->click();
        QCOMPARE(lblMsg->text(), QStringLiteral("Log data is deleted!"));
        QVERIFY(sim.command(QStringLiteral("status")).contains(QStringLiteral(" 0 punches")));

        QSqlQuery q(Connections::get(Connections::LocalConnection));
        QVERIFY(q.exec(QStringLiteral("select count(*), count(distinct HID||FID||GID||wDate||wTime||Status) "
                                      "from tblexport")));
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toInt(), 200);
        QCOMPARE(q.value(1).toInt(), 200);
    }
    Connections::close(Connections::LocalConnection);
}

QTEST_MAIN(TestConnectFromSideBar)
#include "tst_it_connectfromsidebar.moc"
