#include "core/accesscontrol/AccessControlLogin.h"
#include "core/storage/Connections.h"
#include "fixtures/AccessControlServer.h"
#include "fixtures/TestFiles.h"
#include "fixtures/TestPrompter.h"
#include "gui/accesscontrol/AccessControlExportSource.h"
#include "gui/accesscontrol/AccessControlHandOver.h"
#include "gui/export/ExportWindow.h"
#include "gui/platform/AppContext.h"
#include "gui/search/EmployeePicker.h"
#include "gui/shell/MainWindow.h"

#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

// The export window in its access-control modes, as the SQL Server connection window hands
// over to it, against the access-control server's database on a loopback PostgreSQL server.
class TestItExportWindowQor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void textModeShowsItsButton();
    void timeAttendanceModeDisablesLayoutControls();
    void employeePickerListsServerPersons();
    void textExportReadsRALog();

private:
    ExportWindow* openExport(bool fileMode);
    static quint16 closedPort();

    AccessControlServer m_server;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestPrompter> m_prompter;
    std::unique_ptr<AppContext> m_context;
    std::unique_ptr<MainWindow> m_main;
};

void TestItExportWindowQor::initTestCase()
{
    QVERIFY2(m_server.start(), qPrintable(m_server.error()));
}

void TestItExportWindowQor::cleanupTestCase()
{
    Connections::close(Connections::AccessControlConnection);
}

void TestItExportWindowQor::init()
{
    QVERIFY(m_server.reset());
    const Outcome opened = openAccessControlDatabase(m_server.login(), PostgresServer::driverName());
    QVERIFY2(opened.ok(), qPrintable(opened.error()));
    m_dir = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir->filePath(u"config"_qs));
    QVERIFY(openLocalDatabase(AppPaths(m_dir->path())));
    m_prompter = std::make_unique<TestPrompter>();
    m_context = std::make_unique<AppContext>(AppContext{AppPaths(m_dir->path()), *m_prompter});
    m_main = std::make_unique<MainWindow>(*m_context);
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
}

void TestItExportWindowQor::cleanup()
{
    m_main.reset();
    m_context.reset();
    m_prompter.reset();
    Connections::close(Connections::LocalConnection);
    m_dir.reset();
}

// A loopback port on which nothing listens: the access-control service is not running.
quint16 TestItExportWindowQor::closedPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

ExportWindow* TestItExportWindowQor::openExport(bool fileMode)
{
    const Outcome opened = openAccessControlExport(m_main->windows(), fileMode);
    if (!opened)
        return nullptr;
    auto* window = qobject_cast<ExportWindow*>(m_main->windows().find(WindowId::Export));
    if (window)
        window->setAccessControlSource(AccessControlExportSource(*m_context, closedPort()));
    return window;
}

void TestItExportWindowQor::textModeShowsItsButton()
{
    ExportWindow* window = openExport(true);
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Export QOR to text file"));
    QVERIFY(!window->isTimeAttendanceMode());
    QVERIFY(window->findChild<QPushButton*>(u"cmdQROSQLExport"_qs)->isVisible());
    QVERIFY(window->findChild<QPushButton*>(u"cmdQORSQLtoTA"_qs)->isHidden());
    QVERIFY(window->findChild<QPushButton*>(u"cmdExport"_qs)->isHidden());
}

void TestItExportWindowQor::timeAttendanceModeDisablesLayoutControls()
{
    ExportWindow* window = openExport(false);
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Export QOR to TA"));
    QVERIFY(window->isTimeAttendanceMode());
    QVERIFY(window->findChild<QPushButton*>(u"cmdQORSQLtoTA"_qs)->isVisible());
    QVERIFY(!window->findChild<QRadioButton*>(u"optDataType_0"_qs)->isEnabled());
    QVERIFY(!window->findChild<QRadioButton*>(u"optDataType_1"_qs)->isEnabled());
    QVERIFY(!window->findChild<QWidget*>(u"cmbFileFormat"_qs)->isEnabled());
}

void TestItExportWindowQor::employeePickerListsServerPersons()
{
    QVERIFY(m_server.exec(u"insert into \"User\"(UID,Name) values(1024,'Somchai'),(7,'Ann')"_qs));
    ExportWindow* window = openExport(true);
    QVERIFY(window);
    auto* option = window->findChild<QRadioButton*>(u"OptSearch_1"_qs);
    QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(6, option->height() / 2));
    QTest::mouseClick(window->findChild<QPushButton*>(u"cmdSearch"_qs), Qt::LeftButton);
    QVERIFY2(m_prompter->shown().isEmpty(), qPrintable(m_prompter->texts().join(u'\n')));
    auto* picker = qobject_cast<EmployeePicker*>(m_main->windows().find(WindowId::Employee));
    QVERIFY(picker);
    auto* list = picker->findChild<QListWidget*>(u"ListEmployee"_qs);
    QCOMPARE(list->count(), 2);
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    QVERIFY2(items.contains(u"1024     Somchai"_qs), qPrintable(items.join(u'|')));
    QVERIFY2(items.contains(u"7     Ann"_qs), qPrintable(items.join(u'|')));
}

void TestItExportWindowQor::textExportReadsRALog()
{
    m_server.addLog(15, 3, 1, u"2024/01/09 08:00:00"_qs, 0);
    ExportWindow* window = openExport(true);
    QVERIFY(window);
    const QString output = m_dir->filePath(u"qor.txt"_qs);
    m_prompter->queueAnswer(Prompter::Answer::No); // keep the scanners' data
    m_prompter->queueAnswer(Prompter::Answer::Ok); // the service could not be reached
    m_prompter->queueFileName(output);
    QTest::mouseClick(window->findChild<QPushButton*>(u"cmdQROSQLExport"_qs), Qt::LeftButton);
    QVERIFY(!m_prompter->shown().isEmpty());
    QCOMPARE(m_prompter->shown().constFirst().title, QStringLiteral("จัดการข้อมูลในเครื่องสแกน"));
    QCOMPARE(m_prompter->last().text, QStringLiteral("Export successfully"));
    // Default layout: the person in ten places, terminal, date, time, event
    QCOMPARE(TestFiles::read(output), QByteArray("0000000015,003,09/01/2024,08:00:00,0\r\n"));
}

QTEST_MAIN(TestItExportWindowQor)
#include "tst_it_exportwindowqor.moc"
