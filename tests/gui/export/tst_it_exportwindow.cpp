#include "core/platform/IniFile.h"
#include "core/storage/Connections.h"
#include "fixtures/PostgresServer.h"
#include "fixtures/TestPrompter.h"
#include "gui/export/ExportWindow.h"
#include "gui/platform/AppContext.h"
#include "gui/shell/MainWindow.h"
#include "gui/shell/SideBar.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSqlError>
#include <QTemporaryDir>
#include <QTest>

// The export window as side-bar items 1 to 3 open and close it, with the time-attendance
// database a real PostgreSQL server on loopback reached through psqlODBC, named by the values
// the time-attendance program's configuration tool leaves in the settings store.
class TestItExportWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void itemThreePreparesTimeAttendanceExport();
    void itemsTwoAndOneSwitchAndClose();
    void timeAttendanceExportWritesTransactions();
    void timeAttendanceExportWithoutPunches();

private:
    void click(int item);
    ExportWindow* exportWindow()
    {
        return qobject_cast<ExportWindow*>(m_main->windows().find(WindowId::Export));
    }
    QPushButton* button(const char* name)
    {
        return exportWindow()->findChild<QPushButton*>(QString::fromLatin1(name));
    }
    QStringList transactions();

    PostgresServer m_server;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestPrompter> m_prompter;
    std::unique_ptr<AppContext> m_context;
    std::unique_ptr<MainWindow> m_main;
};

void TestItExportWindow::initTestCase()
{
    QVERIFY2(m_server.start(), qPrintable(m_server.error()));
    QFile dsns(QString::fromLocal8Bit(qgetenv("ODBCINI")));
    QVERIFY(dsns.open(QIODevice::Append));
    dsns.write(QStringLiteral("[TimeAttendance]\nDriver=%1\nServername=127.0.0.1\nPort=%2\n")
                   .arg(PostgresServer::driverName())
                   .arg(m_server.port())
                   .toUtf8());
    dsns.close();
    QString error;
    QVERIFY2(m_server.openConnection(u"setup"_qs, &error), qPrintable(error));
    QVERIFY(executeStatement(QSqlDatabase::database(u"setup"_qs),
                             u"create table tblTransaction (TerminalID varchar(10), HumanID varchar(20), "
                             "StampDateTime varchar(19), StampStat varchar(3), Process varchar(1), "
                             "Upload varchar(1))"_qs)
                .ok());
}

void TestItExportWindow::cleanupTestCase()
{
    QSqlDatabase::removeDatabase(u"setup"_qs);
    m_server.stop();
}

void TestItExportWindow::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir->filePath(u"config"_qs));
    {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, u"ZUN Vantorel"_qs,
                           u"Configuration Connection Tools"_qs);
        settings.setValue(u"DSN"_qs, u"TimeAttendance"_qs);
        settings.setValue(u"UID"_qs, PostgresServer::user());
        settings.setValue(u"PWD"_qs, QString());
        settings.setValue(u"Database"_qs, PostgresServer::database());
    }
    QVERIFY(executeStatement(QSqlDatabase::database(u"setup"_qs), u"delete from tblTransaction"_qs).ok());
    m_prompter = std::make_unique<TestPrompter>();
    m_context = std::make_unique<AppContext>(AppContext{AppPaths(m_dir->path()), *m_prompter});
    m_context->today = [] {
        return QDate(2024, 5, 31);
    };
    m_main = std::make_unique<MainWindow>(*m_context);
    m_main->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_main.get()));
}

void TestItExportWindow::cleanup()
{
    m_main.reset();
    m_context.reset();
    m_prompter.reset();
    Connections::close(Connections::LocalConnection);
    Connections::close(Connections::TimeAttendanceConnection);
    m_dir.reset();
}

void TestItExportWindow::click(int item)
{
    SideBar& bar = m_main->sideBar();
    QTreeWidgetItem* entry = bar.itemWithValue(item);
    QVERIFY(entry);
    bar.scrollToItem(entry);
    QTest::mouseClick(bar.viewport(), Qt::LeftButton, {}, bar.visualItemRect(entry).center());
}

QStringList TestItExportWindow::transactions()
{
    QStringList rows;
    auto q = executeStatement(QSqlDatabase::database(u"setup"_qs),
                              u"select TerminalID, HumanID, StampDateTime, StampStat, Process, Upload "
                              "from tblTransaction order by 3, 2"_qs);
    if (!q.ok())
        return {q.error()};
    while (q->next()) {
        QStringList f;
        for (int i = 0; i < 6; ++i)
            f << q->value(i).toString();
        rows << f.join(u'|');
    }
    return rows;
}

void TestItExportWindow::itemThreePreparesTimeAttendanceExport()
{
    QVERIFY(writeIniValue(u"text"_qs, u"FormatName"_qs, u"Default"_qs, m_context->paths.settingsFile()));
    click(3);
    QVERIFY2(m_prompter->shown().isEmpty(), qPrintable(m_prompter->texts().join(u'\n')));
    ExportWindow* window = exportWindow();
    QVERIFY(window && window->isVisible());
    QVERIFY(window->isTimeAttendanceMode());
    QVERIFY(Connections::get(Connections::TimeAttendanceConnection).isOpen());
    QCOMPARE(window->windowTitle(), QStringLiteral("Export to TA"));
    QCOMPARE(window->findChild<QLabel*>(u"Label4"_qs)->text(), QStringLiteral("Export to TA"));
    QVERIFY(button("cmdExportTA")->isVisible());
    QVERIFY(button("cmdExport")->isHidden());
    for (const char* name : {"optDataType_0", "optDataType_1"})
        QVERIFY2(!window->findChild<QRadioButton*>(QString::fromLatin1(name))->isEnabled(), name);
    auto* layouts = window->findChild<QComboBox*>(u"cmbFileFormat"_qs);
    QVERIFY(!layouts->isEnabled());
    QVERIFY(!button("cmdNew")->isEnabled());
    QVERIFY(!button("cmdEdit")->isEnabled());
    // TA_format, whatever FormatName says
    QCOMPARE(layouts->currentText(), QStringLiteral("TA_format"));
}

void TestItExportWindow::itemsTwoAndOneSwitchAndClose()
{
    click(3);
    QPointer<ExportWindow> window = exportWindow();
    QVERIFY(window);
    click(2);
    QCOMPARE(exportWindow(), window.data()); // the same window, not loaded again
    QVERIFY(!window->isTimeAttendanceMode());
    QCOMPARE(window->windowTitle(), QStringLiteral("Export to text"));
    QVERIFY(button("cmdExport")->isVisible());
    QVERIFY(button("cmdExportTA")->isHidden());
    QVERIFY(window->findChild<QComboBox*>(u"cmbFileFormat"_qs)->isEnabled());
    QVERIFY(window->findChild<QRadioButton*>(u"optDataType_1"_qs)->isEnabled());
    QCOMPARE(window->findChild<QComboBox*>(u"cmbFileFormat"_qs)->currentText(), QStringLiteral("TA_format"));

    // item 1 unloads the export window, which closes the local connection; item 1 opens it again
    click(1);
    QVERIFY(!m_main->windows().find(WindowId::Export));
    QTRY_VERIFY(window.isNull());
    QVERIFY(Connections::get(Connections::LocalConnection).isOpen());
    QVERIFY(m_main->windows().find(WindowId::Connect) &&
            m_main->windows().find(WindowId::Connect)->isVisible());

    // and item 2 brings a fresh one
    click(2);
    QVERIFY(exportWindow() && exportWindow()->isVisible());
    QVERIFY(!m_main->windows().find(WindowId::Connect));
    QCOMPARE(exportWindow()->findChild<QComboBox*>(u"cmbFileFormat"_qs)->currentText(),
             QStringLiteral("Default"));
}

void TestItExportWindow::timeAttendanceExportWritesTransactions()
{
    click(3);
    QVERIFY(exportWindow());
    for (const auto& [hid, fid, date, time] :
         {std::tuple{"15", "3", "2024/01/09", "08:00:00"}, std::tuple{"15", "3", "2024/01/09", "17:30:00"}}) {
        QVERIFY(executeStatement(
                    Connections::get(Connections::LocalConnection),
                    u"insert into tblexport(HID,FID,GID,wDate,wTime,Status) values(?,?,'1',?,?,'0')"_qs,
                    {QString::fromLatin1(hid), QString::fromLatin1(fid), QString::fromLatin1(date),
                     QString::fromLatin1(time)})
                    .ok());
    }
    QTest::mouseClick(button("cmdExportTA"), Qt::LeftButton);
    QCOMPARE(m_prompter->texts(), QStringList{u"Export successfully"_qs});
    QVERIFY(m_prompter->fileAsks().isEmpty());
    QCOMPARE(transactions(),
             (QStringList{u"3|15|2567/01/09 08:00:00|IN|0|1"_qs, u"3|15|2567/01/09 17:30:00|OUT|0|1"_qs}));
    QCOMPARE(readIniValue(u"text"_qs, u"FormatName"_qs, QString(), m_context->paths.settingsFile()),
             QStringLiteral("TA_format"));
    // twice: still one row per punch
    QTest::mouseClick(button("cmdExportTA"), Qt::LeftButton);
    QCOMPARE(transactions().size(), 2);
}

void TestItExportWindow::timeAttendanceExportWithoutPunches()
{
    click(3);
    QVERIFY(exportWindow());
    QTest::mouseClick(button("cmdExportTA"), Qt::LeftButton);
    QCOMPARE(m_prompter->texts(), QStringList{u" No data for export !!!"_qs});
    QVERIFY(transactions().isEmpty());
}

QTEST_MAIN(TestItExportWindow)
#include "tst_it_exportwindow.moc"
