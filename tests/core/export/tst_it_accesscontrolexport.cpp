#include "core/accesscontrol/AccessControlEmployees.h"
#include "core/accesscontrol/AccessControlLogin.h"
#include "core/accesscontrol/AccessLogPull.h"
#include "core/export/TextExport.h"
#include "core/export/TimeAttendanceExport.h"
#include "core/platform/AppPaths.h"
#include "core/search/AttendanceSearch.h"
#include "core/storage/Connections.h"
#include "fixtures/AccessControlServer.h"
#include "fixtures/QorSimProcess.h"
#include "fixtures/TestFiles.h"

#include <QScopeGuard>
#include <QSqlError>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

// The access-control road against a real PostgreSQL server holding QORSQL and qor-sim over
// loopback: the pull of the facilities' logs into RALog, the searches and exports from RALog.
class TestAccessControlExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void pullWithEmptyFacilities_data();
    void pullWithEmptyFacilities();
    void pullBringsLogsIn_data();
    void pullBringsLogsIn();
    void pullSkipsFacilitiesOutOfRange();
    void pullWithoutServiceReadsWhatIsThere();
    void pullStopsOnDatabaseError();

    void sameWorkRowsAsLocalSource_data();
    void sameWorkRowsAsLocalSource();
    void rangeBoundsWholeDays();
    void everyFilterCombination_data();
    void everyFilterCombination();
    void textExportFromRalog();
    void personIdsAsTheServerKeepsThem_data();
    void personIdsAsTheServerKeepsThem();
    void timeAttendanceExportFromRalog();
    void personsFromUserTable();

private:
    QSqlDatabase accessControl() const { return Connections::get(Connections::AccessControlConnection); }
    QStringList workRows();
    void addLocal(const QString& hid, const QString& fid, const QString& date, const QString& time,
                  const QString& status);

    AccessControlServer m_server;
    std::unique_ptr<QTemporaryDir> m_dir;
    RunProgress m_progress;
};

void TestAccessControlExport::initTestCase()
{
    QVERIFY2(m_server.start(), qPrintable(m_server.error()));
    // The connection window's road: the login through the ODBC driver.
    const Outcome opened = openAccessControlDatabase(m_server.login(), PostgresServer::driverName());
    QVERIFY2(opened.ok(), qPrintable(opened.error()));
}

void TestAccessControlExport::cleanupTestCase()
{
    Connections::close(Connections::AccessControlConnection);
    Connections::close(Connections::TimeAttendanceConnection);
}

void TestAccessControlExport::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_progress = RunProgress();
    const Outcome opened = openLocalDatabase(AppPaths(m_dir->path()));
    QVERIFY2(opened.ok(), qPrintable(opened.error()));
    QVERIFY2(m_server.reset(), qPrintable(m_server.error()));
}

void TestAccessControlExport::cleanup()
{
    Connections::close(Connections::LocalConnection);
}

QStringList TestAccessControlExport::workRows()
{
    QStringList rows;
    Expected<QSqlQuery> q =
        executeStatement(Connections::get(Connections::LocalConnection),
                         QStringLiteral("select * from tblExport1 order by HID,wdate asc,wtime asc"));
    if (!q)
        return {q.error()};
    while (q->next()) {
        QStringList values;
        for (const char* column : {"HID", "FID", "GID", "wDate", "wTime", "Status"})
            values << q->value(QLatin1String(column)).toString();
        rows << values.join(u'|');
    }
    return rows;
}

void TestAccessControlExport::addLocal(const QString& hid, const QString& fid, const QString& date,
                                       const QString& time, const QString& status)
{
    QVERIFY(executeStatement(
                Connections::get(Connections::LocalConnection),
                QStringLiteral("insert into tblexport(HID,FID,GID,wDate,wTime,Status) values(?,?,?,?,?,?)"),
                {hid, fid, QStringLiteral("1"), date, time, status})
                .ok());
}

namespace {
const QByteArray Facilities = "facility 3\n"
                              "log 1 1024 2 1 2024/01/05 08:00:00 0\n"
                              "log 1 1024 2 1 2024/01/05 17:00:00 0\n"
                              "log 7 15 4 1 2024/01/09 17:30:00 2\n";
}

void TestAccessControlExport::pullWithEmptyFacilities_data()
{
    QTest::addColumn<int>("flag");
    QTest::newRow("No") << 0;
    QTest::newRow("Yes") << 1;
}

void TestAccessControlExport::pullWithEmptyFacilities()
{
    QFETCH(int, flag);
    QorSimProcess sim;
    QVERIFY2(sim.start(Facilities, m_server.odbcConnectionString(), m_server.postgres().processEnvironment()),
             qPrintable(sim.error()));
    QorClient client;
    const Expected<AccessLogPullReport> report =
        AccessLogPull(accessControl(), client)
            .run(QStringLiteral("127.0.0.1"), sim.port(), static_cast<qint16>(flag));
    QVERIFY2(report.ok(), qPrintable(report.error()));
    QVERIFY(report->initialised);
    QVERIFY(report->pulled.isEmpty());
    QVERIFY(report->warnings().isEmpty());
    QCOMPARE(m_server.rows(QStringLiteral("select count(*) from RALog")), QStringList{QStringLiteral("0")});
    QorClient check;
    QCOMPARE(
        check.QorInitializeWithPassword(QStringLiteral("127.0.0.1"), sim.port(), QStringLiteral("tarnish")),
        0);
    QCOMPARE(check.pendingLogs(1), std::optional<quint32>(2));
}

void TestAccessControlExport::pullBringsLogsIn_data()
{
    QTest::addColumn<int>("flag");
    QTest::addColumn<quint32>("left");
    QTest::newRow("No keeps the facility's logs") << 0 << 2u;
    QTest::newRow("Yes deletes them") << 1 << 0u;
}

void TestAccessControlExport::pullBringsLogsIn()
{
    QFETCH(int, flag);
    QFETCH(quint32, left);
    QVERIFY(m_server.exec(QStringLiteral("insert into FacDefinition(FacID) values (1), (3)")));
    QorSimProcess sim;
    QVERIFY2(sim.start(Facilities, m_server.odbcConnectionString(), m_server.postgres().processEnvironment()),
             qPrintable(sim.error()));
    QorClient client;
    const Expected<AccessLogPullReport> report =
        AccessLogPull(accessControl(), client)
            .run(QStringLiteral("127.0.0.1"), sim.port(), static_cast<qint16>(flag));
    QVERIFY2(report.ok(), qPrintable(report.error()));
    QCOMPARE(report->pulled, (QList<quint8>{1, 3}));
    QVERIFY2(report->warnings().isEmpty(), qPrintable(report->warnings()));
    QCOMPARE(
        m_server.rows(QStringLiteral("select UID, FID, GID, Date, InOutOption from RALog order by Date")),
        (QStringList{QStringLiteral("1024|2|1|2024/01/05 08:00:00|0"),
                     QStringLiteral("1024|2|1|2024/01/05 17:00:00|0")}));
    QorClient check;
    QCOMPARE(
        check.QorInitializeWithPassword(QStringLiteral("127.0.0.1"), sim.port(), QStringLiteral("tarnish")),
        0);
    QCOMPARE(check.pendingLogs(1), std::optional<quint32>(left));
    QCOMPARE(check.pendingLogs(7), std::optional<quint32>(1)); // not in FacDefinition: not asked for
}

void TestAccessControlExport::pullSkipsFacilitiesOutOfRange()
{
    QVERIFY(m_server.exec(
        QStringLiteral("insert into FacDefinition(FacID) values (300), (-1), (null), (7), (9)")));
    QorSimProcess sim;
    QVERIFY2(sim.start(Facilities, m_server.odbcConnectionString(), m_server.postgres().processEnvironment()),
             qPrintable(sim.error()));
    QorClient client;
    const Expected<AccessLogPullReport> report =
        AccessLogPull(accessControl(), client).run(QStringLiteral("127.0.0.1"), sim.port(), 0);
    QVERIFY2(report.ok(), qPrintable(report.error()));
    QCOMPARE(report->pulled, (QList<quint8>{7, 9}));
    QCOMPARE(report->skippedFacilities,
             (QStringList{QStringLiteral("300"), QStringLiteral("-1"), QStringLiteral("(empty)")}));
    const QString warnings = report->warnings();
    QVERIFY2(warnings.contains(
                 QStringLiteral("Facility 300 was skipped: a facility number must be from 0 to 255.")),
             qPrintable(warnings));
    QVERIFY2(warnings.contains(QStringLiteral("does not know facility 9")), qPrintable(warnings));
    // Facility 7 was still pulled.
    QCOMPARE(m_server.rows(QStringLiteral("select UID, FID, InOutOption from RALog")),
             QStringList{QStringLiteral("15|4|2")});
}

void TestAccessControlExport::pullWithoutServiceReadsWhatIsThere()
{
    QVERIFY(m_server.exec(QStringLiteral("insert into FacDefinition(FacID) values (1)")));
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost));
    const quint16 closed = probe.serverPort();
    probe.close();
    QorClient client;
    const Expected<AccessLogPullReport> report =
        AccessLogPull(accessControl(), client).run(QStringLiteral("127.0.0.1"), closed, 1);
    QVERIFY(report.ok());
    QVERIFY(!report->initialised);
    QVERIFY(report->pulled.isEmpty());
    QVERIFY(!report->initError.isEmpty());
}

void TestAccessControlExport::pullStopsOnDatabaseError()
{
    QorSimProcess sim;
    QVERIFY2(sim.start(Facilities, m_server.odbcConnectionString(), m_server.postgres().processEnvironment()),
             qPrintable(sim.error()));
    QVERIFY(m_server.exec(QStringLiteral("alter table FacDefinition rename to FacDefinitionGone")));
    QorClient client;
    const Expected<AccessLogPullReport> report =
        AccessLogPull(accessControl(), client).run(QStringLiteral("127.0.0.1"), sim.port(), 1);
    QVERIFY(m_server.exec(QStringLiteral("alter table FacDefinitionGone rename to FacDefinition")));
    QVERIFY(!report.ok());
    QVERIFY2(report.error().contains(QStringLiteral("Cannot read the facilities")),
             qPrintable(report.error()));
    QVERIFY2(report.error().contains(QStringLiteral("nothing was exported")), qPrintable(report.error()));
    QVERIFY2(report.error().contains(QStringLiteral("SELECT FacID FROM FacDefinition")),
             qPrintable(report.error()));
    // Without a connection at all, the same.
    const Expected<AccessLogPullReport> unconnected =
        AccessLogPull(QSqlDatabase(), client).run(QStringLiteral("127.0.0.1"), sim.port(), 1);
    QVERIFY(!unconnected.ok());
    QVERIFY(unconnected.error().contains(QStringLiteral("not open")));
}

void TestAccessControlExport::sameWorkRowsAsLocalSource_data()
{
    QTest::addColumn<bool>("pairing");
    QTest::newRow("copy") << false;
    QTest::newRow("pairing") << true;
}

void TestAccessControlExport::sameWorkRowsAsLocalSource()
{
    QFETCH(bool, pairing);
    // The worked example of the pairing, plus an explicit code inside a day.
    struct Punch
    {
        int person;
        const char* date;
        const char* time;
        int code;
    };
    const Punch punches[] = {{7, "2008/01/05", "08:00:00", 0}, {7, "2008/01/05", "12:00:00", 0},
                             {7, "2008/01/05", "13:00:00", 0}, {7, "2008/01/05", "17:30:00", 0},
                             {7, "2008/01/06", "08:05:00", 2}, {7, "2008/01/06", "17:00:00", 0},
                             {9, "2008/01/05", "09:00:00", 1}, {9, "2008/01/05", "18:00:00", 0},
                             {9, "2008/01/05", "19:00:00", 2}, {9, "2008/01/05", "20:00:00", 3}};
    for (const Punch& p : punches) {
        addLocal(QString::number(p.person), QStringLiteral("3"), QLatin1String(p.date), QLatin1String(p.time),
                 QString::number(p.code));
        m_server.addLog(p.person, 3, 1, QLatin1String(p.date) + u' ' + QLatin1String(p.time), p.code);
    }
    ExportFilter filter;
    filter.filtered = pairing;
    const PunchQueryKind kind = pairing ? PunchQueryKind::Filtered : PunchQueryKind::Raw;
    const SearchMode mode = pairing ? SearchMode::Pairing : SearchMode::Copy;
    const Expected<SearchResult> local = searchPunches(buildLocalPunchQuery(filter, kind), mode, m_progress);
    QVERIFY2(local.ok(), qPrintable(local.error()));
    const QStringList localRows = workRows();
    const Expected<SearchResult> remote =
        searchAccessControlPunches(buildAccessControlPunchQuery(filter, kind), mode, m_progress);
    QVERIFY2(remote.ok(), qPrintable(remote.error()));
    QCOMPARE(workRows(), localRows);
    QCOMPARE(localRows.size(), 10);
    if (pairing)
        QCOMPARE(localRows.mid(0, 6).join(u' '),
                 QStringLiteral("7|3|1|2008/01/05|08:00:00|1 7|3|1|2008/01/05|12:00:00|2 "
                                "7|3|1|2008/01/05|13:00:00|1 7|3|1|2008/01/05|17:30:00|2 "
                                "7|3|1|2008/01/06|08:05:00|2 7|3|1|2008/01/06|17:00:00|1"));
}

void TestAccessControlExport::rangeBoundsWholeDays()
{
    m_server.addLog(1, 1, 1, QStringLiteral("2023/12/31 23:59:59"), 0);
    m_server.addLog(1, 1, 1, QStringLiteral("2024/01/01 00:00:00"), 0);
    m_server.addLog(1, 1, 1, QStringLiteral("2024/01/31 23:59:59"), 0);
    m_server.addLog(1, 1, 1, QStringLiteral("2024/02/01 00:00:00"), 0);
    ExportFilter filter;
    filter.dateRange = true;
    filter.from = QStringLiteral("2024/01/01");
    filter.to = QStringLiteral("2024/01/31");
    const SourceQuery query = buildAccessControlPunchQuery(filter, PunchQueryKind::Raw);
    QCOMPARE(query.values.size(), 2);
    QCOMPARE(query.values[0].toDateTime(), QDateTime(QDate(2024, 1, 1), QTime(0, 0, 0)));
    QCOMPARE(query.values[1].toDateTime(), QDateTime(QDate(2024, 1, 31), QTime(23, 59, 59)));
    const Expected<SearchResult> found = searchAccessControlPunches(query, SearchMode::Copy, m_progress);
    QVERIFY2(found.ok(), qPrintable(found.error()));
    QCOMPARE(workRows(), (QStringList{QStringLiteral("1|1|1|2024/01/01|00:00:00|0"),
                                      QStringLiteral("1|1|1|2024/01/31|23:59:59|0")}));
}

void TestAccessControlExport::everyFilterCombination_data()
{
    QTest::addColumn<bool>("employees");
    QTest::addColumn<bool>("range");
    QTest::addColumn<bool>("terminals");
    QTest::addColumn<QStringList>("expected"); // person/terminal/day of the rows selected

    // Persons 5 and 6 at terminals 1 and 2 on 2024/03/01 and 2024/03/10.
    const QStringList all =
        QStringLiteral("5/1/01 5/1/10 5/2/01 5/2/10 6/1/01 6/1/10 6/2/01 6/2/10").split(u' ');
    const auto only = [&](const std::function<bool(const QString&)>& keep) {
        QStringList kept;
        for (const QString& row : all) {
            if (keep(row))
                kept << row;
        }
        return kept;
    };
    const auto person5 = [](const QString& r) {
        return r.startsWith(u"5/");
    };
    const auto terminal2 = [](const QString& r) {
        return r.mid(2, 1) == u"2";
    };
    const auto day1 = [](const QString& r) {
        return r.endsWith(u"/01");
    };
    QTest::newRow("all") << false << false << false << all;
    QTest::newRow("terminals") << false << false << true << only(terminal2);
    QTest::newRow("range") << false << true << false << only(day1);
    QTest::newRow("range terminals") << false << true << true
                                     << only([&](const QString& r) { return day1(r) && terminal2(r); });
    QTest::newRow("employees") << true << false << false << only(person5);
    QTest::newRow("employees terminals")
        << true << false << true << only([&](const QString& r) { return person5(r) && terminal2(r); });
    QTest::newRow("employees range") << true << true << false
                                     << only([&](const QString& r) { return person5(r) && day1(r); });
    QTest::newRow("employees range terminals")
        << true << true << true
        << only([&](const QString& r) { return person5(r) && day1(r) && terminal2(r); });
}

void TestAccessControlExport::everyFilterCombination()
{
    QFETCH(bool, employees);
    QFETCH(bool, range);
    QFETCH(bool, terminals);
    QFETCH(QStringList, expected);
    for (int person : {5, 6})
        for (int terminal : {1, 2})
            for (const char* day : {"01", "10"})
                m_server.addLog(person, terminal, 1,
                                QStringLiteral("2024/03/%1 08:00:00").arg(QLatin1String(day)), 0);
    for (const PunchQueryKind kind :
         {PunchQueryKind::Raw, PunchQueryKind::Filtered, PunchQueryKind::TimeAttendance}) {
        ExportFilter filter;
        filter.chosenEmployees = employees;
        filter.employees = QStringLiteral("5, 99");
        filter.dateRange = range;
        filter.from = QStringLiteral("2024/03/01");
        filter.to = QStringLiteral("2024/03/01");
        filter.chosenTerminals = terminals;
        filter.terminals = QStringLiteral("2");
        const SearchMode mode = kind == PunchQueryKind::Raw ? SearchMode::Copy : SearchMode::Pairing;
        const Expected<SearchResult> found =
            searchAccessControlPunches(buildAccessControlPunchQuery(filter, kind), mode, m_progress);
        QVERIFY2(found.ok(), qPrintable(found.error()));
        QStringList got;
        for (const QString& row : workRows()) {
            const QStringList f = row.split(u'|');
            got << f[0] + u'/' + f[1] + u'/' + f[3].right(2);
        }
        got.sort();
        QCOMPARE(got, expected);
    }
}

void TestAccessControlExport::textExportFromRalog()
{
    m_server.addLog(15, 3, 1, QStringLiteral("2024/01/09 08:00:00"), 0);
    m_server.addLog(15, 3, 1, QStringLiteral("2024/01/09 17:30:00"), 0);
    m_server.addLog(7, 1, 2, QStringLiteral("2024/01/10 09:15:00"), 1);
    TextExportRequest request;
    request.filter.filtered = true;
    request.outputFile = m_dir->filePath(QStringLiteral("out.txt"));
    const auto lineFor = [](const PunchRecord& r) {
        return QStringList{r.hid, r.fid, r.wDate, r.wTime, r.status}.join(u',');
    };
    const Expected<ExportReport> report =
        TextExport(AppPaths(m_dir->path()), m_progress).exportAccessControl(request, lineFor);
    QVERIFY2(report.ok(), qPrintable(report.error()));
    QCOMPARE(report->status, ExportReport::Status::Exported);
    QCOMPARE(TestFiles::read(request.outputFile), QByteArray("15,3,2024/01/09,08:00:00,1\r\n"
                                                             "15,3,2024/01/09,17:30:00,2\r\n"
                                                             "7,1,2024/01/10,09:15:00,1\r\n"));
    QVERIFY(!QFile::exists(AppPaths(m_dir->path()).stagingFile()));

    // Nothing in the range: no file.
    request.filter.dateRange = true;
    request.filter.from = request.filter.to = QStringLiteral("2020/01/01");
    request.outputFile = m_dir->filePath(QStringLiteral("none.txt"));
    const Expected<ExportReport> none =
        TextExport(AppPaths(m_dir->path()), m_progress).exportAccessControl(request, lineFor);
    QVERIFY(none.ok());
    QCOMPARE(none->status, ExportReport::Status::NoData);
    QVERIFY(!QFile::exists(request.outputFile));
}

void TestAccessControlExport::personIdsAsTheServerKeepsThem_data()
{
    QTest::addColumn<bool>("textColumn");
    QTest::addColumn<QString>("box");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray seven = "7,2024/01/10,09:15:00\r\n";
    QTest::newRow("number column, leading zeros")
        << false << "007, 15" << seven + "15,2024/01/09,08:00:00\r\n";
    QTest::newRow("text column holding other IDs") << true << "7" << seven;
    QTest::newRow("text column, typed as stored")
        << true << "A12" << QByteArray("A12,2024/01/11,07:00:00\r\n");
}

void TestAccessControlExport::personIdsAsTheServerKeepsThem()
{
    QFETCH(bool, textColumn);
    QFETCH(QString, box);
    QFETCH(QByteArray, expected);
    const auto restore = qScopeGuard([this] {
        m_server.exec(QStringLiteral("delete from RALog"));
        m_server.exec(QStringLiteral("alter table RALog alter column UID type int using UID::int"));
    });
    m_server.addLog(15, 3, 1, QStringLiteral("2024/01/09 08:00:00"), 0);
    m_server.addLog(7, 1, 2, QStringLiteral("2024/01/10 09:15:00"), 1);
    if (textColumn) {
        QVERIFY(m_server.exec(QStringLiteral("alter table RALog alter column UID type varchar(20)")));
        QVERIFY(m_server.exec(
            QStringLiteral("insert into RALog values ('A12', 3, 1, '2024-01-11 07:00:00', 1)")));
    }
    TextExportRequest request;
    request.filter.chosenEmployees = true;
    request.filter.employees = box;
    request.outputFile = m_dir->filePath(QStringLiteral("out.txt"));
    const auto lineFor = [](const PunchRecord& r) {
        return QStringList{r.hid, r.wDate, r.wTime}.join(u',');
    };
    const Expected<ExportReport> report =
        TextExport(AppPaths(m_dir->path()), m_progress).exportAccessControl(request, lineFor);
    QVERIFY2(report.ok(), qPrintable(report.error()));
    QCOMPARE(report->status, ExportReport::Status::Exported);
    QCOMPARE(TestFiles::read(request.outputFile), expected);
}

void TestAccessControlExport::timeAttendanceExportFromRalog()
{
    QString error;
    QVERIFY2(m_server.postgres().openConnection(Connections::TimeAttendanceConnection, &error),
             qPrintable(error));
    const QSqlDatabase ta = Connections::get(Connections::TimeAttendanceConnection);
    QVERIFY(executeStatement(ta, QStringLiteral("drop table if exists tblTransaction")).ok());
    QVERIFY(
        executeStatement(ta, QStringLiteral("create table tblTransaction (TerminalID varchar(10), HumanID "
                                            "varchar(20), StampDateTime varchar(19), StampStat varchar(3), "
                                            "Process varchar(1), Upload varchar(1))"))
            .ok());
    m_server.addLog(15, 3, 1, QStringLiteral("2024/01/09 08:00:00"), 0);
    m_server.addLog(15, 3, 1, QStringLiteral("2024/01/09 17:30:00"), 0);
    for (int round = 0; round < 2; ++round) {
        const Expected<ExportReport> report =
            TimeAttendanceExport(ta, m_progress).exportAccessControl(ExportFilter());
        QVERIFY2(report.ok(), qPrintable(report.error()));
        QCOMPARE(report->status, ExportReport::Status::Exported);
    }
    Expected<QSqlQuery> rows = executeStatement(
        ta, QStringLiteral(
                "select TerminalID, HumanID, StampDateTime, StampStat, Process, Upload from tblTransaction "
                "order by StampDateTime"));
    QVERIFY(rows.ok());
    QStringList got;
    while (rows->next()) {
        QStringList f;
        for (int i = 0; i < 6; ++i)
            f << rows->value(i).toString();
        got << f.join(u'|');
    }
    QCOMPARE(got, (QStringList{QStringLiteral("3|15|2567/01/09 08:00:00|IN|0|1"),
                               QStringLiteral("3|15|2567/01/09 17:30:00|OUT|0|1")}));
}

void TestAccessControlExport::personsFromUserTable()
{
    QVERIFY(m_server.exec(
        QStringLiteral("insert into \"User\"(UID, Name) values (1024, 'สมชาย ใจดี'), (7, 'Ann')")));
    QCOMPARE(accessControlPersonQuery(accessControl()), QStringLiteral("Select * from \"User\""));
    const Expected<QList<AccessControlPerson>> persons = listAccessControlPersons(accessControl());
    QVERIFY2(persons.ok(), qPrintable(persons.error()));
    QCOMPARE(persons->size(), 2);
    QCOMPARE(persons->at(0).item(), QStringLiteral("1024     สมชาย ใจดี"));
    QCOMPARE(persons->at(1).item(), QStringLiteral("7     Ann"));
    QVERIFY(!listAccessControlPersons(QSqlDatabase()).ok());
}

QTEST_GUILESS_MAIN(TestAccessControlExport)
#include "tst_it_accesscontrolexport.moc"
