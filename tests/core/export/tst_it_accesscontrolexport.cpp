#include "core/accesscontrol/AccessControlEmployees.h"
#include "core/accesscontrol/AccessControlLogin.h"
#include "core/accesscontrol/AccessLogPull.h"
#include "core/export/TextExport.h"
#include "core/export/TimeAttendanceExport.h"
#include "core/storage/Connections.h"
#include "fixtures/AccessControlServer.h"
#include "fixtures/QorSimProcess.h"
#include "fixtures/TestFiles.h"
#include "fixtures/TestRows.h"

#include <QScopeGuard>
#include <QTemporaryDir>

// The exports from the access-control server's log RALog, on a real PostgreSQL server reached through
// its ODBC driver, with qor-sim bringing the facilities' logs in.
class TestAccessControlExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_server.start(), qPrintable(m_server.error()));
        QVERIFY(openAccessControlDatabase(m_server.login(), PostgresServer::driverName()).ok());
    }
    void cleanupTestCase()
    {
        Connections::close(Connections::AccessControlConnection);
        Connections::close(Connections::TimeAttendanceConnection);
    }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_progress = RunProgress();
        QVERIFY(openLocalDatabase(paths()).ok());
        QVERIFY2(m_server.reset(), qPrintable(m_server.error()));
    }
    void cleanup() { Connections::close(Connections::LocalConnection); }

    void pull_data()
    {
        // facilities: FacDefinition; left: the logs facility 1 still holds afterwards
        addColumns<QString, int, QString, QString, int, QString>(
            {"facilities", "flag", "pulled", "ralog", "left", "warned"});
        const char* two = "1024|2|1|2024/01/05 08:00:00|0 1024|2|1|2024/01/05 17:00:00|0";
        addRow("none defined, No", "", 0, "", "", 2, "");
        addRow("none defined, Yes", "", 1, "", "", 2, "");
        addRow("No keeps the facility's logs", "(1), (3)", 0, "1 3", two, 2, "");
        addRow("Yes deletes them", "(1), (3)", 1, "1 3", two, 0, "");
        addRow("out of range skipped", "(300), (-1), (null), (7), (9)", 0, "7 9",
               "15|4|1|2024/01/09 17:30:00|2", 2,
               "Facility 300 was skipped: a facility number must be from 0 to 255.");
    }
    void pull()
    {
        const auto [facilities, flag] = fetchColumns<QString, int>("facilities", "flag");
        if (!facilities.isEmpty())
            QVERIFY(m_server.exec(u"insert into FacDefinition(FacID) values "_qs + facilities));
        QorSimProcess sim;
        QVERIFY2(
            sim.start(
                "facility 3\nlog 1 1024 2 1 2024/01/05 08:00:00 0\nlog 1 1024 2 1 2024/01/05 17:00:00 0\n"
                "log 7 15 4 1 2024/01/09 17:30:00 2\n",
                m_server.odbcConnectionString(), m_server.postgres().processEnvironment()),
            qPrintable(sim.error()));
        QorClient client;
        const Expected<AccessLogPullReport> report =
            AccessLogPull(accessControl(), client).run(u"127.0.0.1"_qs, sim.port(), qint16(flag));
        QVERIFY2(report.ok() && report->initialised, qPrintable(report.error()));
        QStringList pulled;
        for (const quint8 facility : report->pulled)
            pulled << QString::number(facility);
        QTEST(pulled.join(u' '), "pulled");
        QTEST(
            m_server.rows(u"select UID, FID, GID, Date, InOutOption from RALog order by Date"_qs).join(u' '),
            "ralog");
        QFETCH(QString, warned);
        QVERIFY2(report->warnings().contains(warned) && report->warnings().isEmpty() == warned.isEmpty(),
                 qPrintable(report->warnings()));
        QorClient check;
        QCOMPARE(check.QorInitializeWithPassword(u"127.0.0.1"_qs, sim.port(), u"tarnish"_qs), 0);
        QTEST(int(check.pendingLogs(1).value_or(99)), "left");
    }
    void sameWorkRowsAsLocalSource_data()
    {
        addColumns<bool>({"pairing"});
        addRow("copy", false);
        addRow("pairing", true);
    }
    void sameWorkRowsAsLocalSource()
    {
        QFETCH(bool, pairing);
        // the worked example of the pairing, plus an explicit code inside a day
        const char* punches[] = {"7 2008/01/05 08:00:00 0", "7 2008/01/05 12:00:00 0",
                                 "7 2008/01/05 13:00:00 0", "7 2008/01/05 17:30:00 0",
                                 "7 2008/01/06 08:05:00 2", "7 2008/01/06 17:00:00 0",
                                 "9 2008/01/05 09:00:00 1", "9 2008/01/05 18:00:00 0",
                                 "9 2008/01/05 19:00:00 2", "9 2008/01/05 20:00:00 3"};
        for (const char* punch : punches) {
            const QStringList p = QString::fromLatin1(punch).split(u' ');
            QVERIFY(executeStatement(local(), u"insert into tblexport values(?,'3','1',?,?,?)"_qs,
                                     {p[0], p[1], p[2], p[3]})
                        .ok());
            m_server.addLog(p[0].toInt(), 3, 1, p[1] + u' ' + p[2], p[3].toInt());
        }
        const PunchQueryKind kind = pairing ? PunchQueryKind::Filtered : PunchQueryKind::Raw;
        const SearchMode mode = pairing ? SearchMode::Pairing : SearchMode::Copy;
        QVERIFY(searchPunches(buildLocalPunchQuery({}, kind), mode, m_progress).ok());
        const QStringList localRows = workRows();
        QVERIFY(searchAccessControlPunches(buildAccessControlPunchQuery({}, kind), mode, m_progress).ok());
        QCOMPARE(workRows(), localRows);
        QCOMPARE(
            localRows.mid(0, 6).join(u' '),
            pairing
                ? u"7|3|2008/01/05|1 7|3|2008/01/05|2 7|3|2008/01/05|1 7|3|2008/01/05|2 7|3|2008/01/06|2 7|3|2008/01/06|1"_qs
                : u"7|3|2008/01/05|0 7|3|2008/01/05|0 7|3|2008/01/05|0 7|3|2008/01/05|0 7|3|2008/01/06|2 7|3|2008/01/06|0"_qs);
    }
    void filters_data()
    {
        // persons 5 and 6 at terminals 1 and 2 on 2024/03/01 and 2024/03/10, as person/terminal/day;
        // choices: E persons "5, 99", R 2024/03/01 alone, F terminal 2
        addColumns<QString, QString>({"choices", "rows"});
        addRow("all", "", "5/1/01 5/1/10 5/2/01 5/2/10 6/1/01 6/1/10 6/2/01 6/2/10");
        addRow("terminals", "F", "5/2/01 5/2/10 6/2/01 6/2/10");
        addRow("range", "R", "5/1/01 5/2/01 6/1/01 6/2/01");
        addRow("range terminals", "RF", "5/2/01 6/2/01");
        addRow("employees", "E", "5/1/01 5/1/10 5/2/01 5/2/10");
        addRow("employees terminals", "EF", "5/2/01 5/2/10");
        addRow("employees range", "ER", "5/1/01 5/2/01");
        addRow("employees range terminals", "ERF", "5/2/01");
        addRow("range bounds whole days", "R-", "1/1/01 1/1/31");
    }
    void filters()
    {
        QFETCH(QString, choices);
        ExportFilter filter{choices.contains(u'E'), u"5, 99"_qs,      false,
                            choices.contains(u'R'), u"2024/03/01"_qs, u"2024/03/01"_qs,
                            choices.contains(u'F'), u"2"_qs};
        if (choices.endsWith(u'-')) {
            for (const char* stamp :
                 {"2023/12/31 23:59:59", "2024/01/01 00:00:00", "2024/01/31 23:59:59", "2024/02/01 00:00:00"})
                m_server.addLog(1, 1, 1, QLatin1String(stamp), 0);
            filter.from = u"2024/01/01"_qs;
            filter.to = u"2024/01/31"_qs;
        } else {
            for (int person : {5, 6})
                for (int terminal : {1, 2})
                    for (const char* day : {"01", "10"})
                        m_server.addLog(person, terminal, 1,
                                        u"2024/03/%1 08:00:00"_qs.arg(QLatin1String(day)), 0);
        }
        for (const PunchQueryKind kind :
             {PunchQueryKind::Raw, PunchQueryKind::Filtered, PunchQueryKind::TimeAttendance}) {
            const SearchMode mode = kind == PunchQueryKind::Raw ? SearchMode::Copy : SearchMode::Pairing;
            QVERIFY(searchAccessControlPunches(buildAccessControlPunchQuery(filter, kind), mode, m_progress)
                        .ok());
            QStringList got;
            for (const QString& row : workRows())
                got << row.section(u'|', 0, 1).replace(u'|', u'/') + u'/' + row.section(u'|', 2, 2).right(2);
            got.sort();
            QTEST(got.join(u' '), "rows");
        }
    }
    void textExport_data()
    {
        // text: the type of RALog's UID column becomes text, with a person A12 added
        addColumns<bool, bool, QString, QByteArray>({"text", "chosen", "box", "file"});
        const QByteArray all =
            "15,3,2024/01/09,08:00:00,1\r\n15,3,2024/01/09,17:30:00,2\r\n7,1,2024/01/10,09:15:00,1\r\n";
        addRow("all, paired", false, false, "", all);
        addRow("number column, leading zeros", false, true, "007, 15", all.right(27) + all.left(56));
        addRow("text column holding other IDs", true, true, "7", QByteArray("7,1,2024/01/10,09:15:00,1\r\n"));
        addRow("text column, typed as stored", true, true, "A12",
               QByteArray("A12,3,2024/01/11,07:00:00,1\r\n"));
        addRow("no such person: no file", false, true, "99", QByteArray());
    }
    void textExport()
    {
        const auto [text, chosen, box] = fetchColumns<bool, bool, QString>("text", "chosen", "box");
        const auto restore = qScopeGuard([this] {
            m_server.exec(u"delete from RALog"_qs);
            m_server.exec(u"alter table RALog alter column UID type int using UID::int"_qs);
        });
        m_server.addLog(15, 3, 1, u"2024/01/09 08:00:00"_qs, 0);
        m_server.addLog(15, 3, 1, u"2024/01/09 17:30:00"_qs, 0);
        m_server.addLog(7, 1, 2, u"2024/01/10 09:15:00"_qs, 1);
        if (text) {
            QVERIFY(m_server.exec(u"alter table RALog alter column UID type varchar(20)"_qs));
            QVERIFY(m_server.exec(u"insert into RALog values ('A12', 3, 1, '2024-01-11 07:00:00', 1)"_qs));
        }
        const QString output = m_dir->filePath(u"out.txt"_qs);
        const auto lineFor = [](const PunchRecord& r) {
            return QStringList{r.hid, r.fid, r.wDate, r.wTime, r.status}.join(u',');
        };
        const Expected<ExportReport> report =
            TextExport(paths(), m_progress)
                .exportAccessControl({{chosen, box, true, false, {}, {}, false, {}}, output}, lineFor);
        QVERIFY2(report.ok(), qPrintable(report.error()));
        QFETCH(QByteArray, file);
        QCOMPARE(report->status,
                 file.isEmpty() ? ExportReport::Status::NoData : ExportReport::Status::Exported);
        QCOMPARE(TestFiles::read(output), file);
        QCOMPARE(QFile::exists(output), !file.isEmpty());
        QVERIFY(!QFile::exists(paths().stagingFile()));
    }
    void timeAttendanceExport()
    {
        QString error;
        QVERIFY2(m_server.postgres().openConnection(Connections::TimeAttendanceConnection, &error),
                 qPrintable(error));
        const QSqlDatabase ta = Connections::get(Connections::TimeAttendanceConnection);
        QVERIFY(executeStatement(ta, u"drop table if exists tblTransaction"_qs).ok());
        QVERIFY(
            executeStatement(
                ta,
                u"create table tblTransaction (TerminalID varchar(10), HumanID varchar(20), "
                "StampDateTime varchar(19), StampStat varchar(3), Process varchar(1), Upload varchar(1))"_qs)
                .ok());
        m_server.addLog(15, 3, 1, u"2024/01/09 08:00:00"_qs, 0);
        m_server.addLog(15, 3, 1, u"2024/01/09 17:30:00"_qs, 0);
        for (int round = 0; round < 2; ++round) {
            const Expected<ExportReport> report =
                TimeAttendanceExport(ta, m_progress).exportAccessControl({});
            QVERIFY2(report.ok() && report->status == ExportReport::Status::Exported,
                     qPrintable(report.error()));
        }
        Expected<QSqlQuery> q =
            executeStatement(ta, u"select TerminalID||'|'||HumanID||'|'||StampDateTime||'|'||StampStat||"
                                 "'|'||Process||Upload from tblTransaction order by StampDateTime"_qs);
        QStringList rows;
        while (q.ok() && q->next())
            rows << q->value(0).toString();
        QCOMPARE(rows,
                 (QStringList{u"3|15|2567/01/09 08:00:00|IN|01"_qs, u"3|15|2567/01/09 17:30:00|OUT|01"_qs}));
    }
    void persons_data()
    {
        // columns of the person table; listed: its persons, or "refused"
        addColumns<QString, QString>({"columns", "listed"});
        addRow("UID and Name", "UID int, Name varchar(60)", "1024     สมชาย ใจดี|7     Ann");
        addRow("Name first", "Name varchar(60), UID int", "1024     สมชาย ใจดี|7     Ann");
        addRow("no Name", "UID int, Other varchar(60)", "refused");
        addRow("no UID", "Other int, Name varchar(60)", "refused");
        addRow("neither", "Other int, Another varchar(60)", "refused");
    }
    void persons()
    {
        QFETCH(QString, columns);
        const auto restore = qScopeGuard([this] {
            m_server.exec(u"drop table \"User\""_qs);
            m_server.exec(u"create table \"User\" (UID int, Name varchar(60))"_qs);
            m_server.exec(u"grant all on \"User\" to qor"_qs);
        });
        QVERIFY(m_server.exec(u"drop table \"User\""_qs));
        QVERIFY(m_server.exec(u"create table \"User\" (%1)"_qs.arg(columns)));
        QVERIFY(m_server.exec(u"grant all on \"User\" to qor"_qs));
        const QString first = columns.section(u' ', 0, 0),
                      second = columns.section(u", "_qs, 1).section(u' ', 0, 0);
        QVERIFY(m_server.exec(u"insert into \"User\"(%1, %2) values (?, ?), (?, ?)"_qs.arg(first, second),
                              first == u"Name" ? QVariantList{u"สมชาย ใจดี"_qs, 1024, u"Ann"_qs, 7}
                                               : QVariantList{1024, u"สมชาย ใจดี"_qs, 7, u"Ann"_qs}));
        QCOMPARE(accessControlPersonQuery(accessControl()), u"Select * from \"User\""_qs);
        const Expected<QList<AccessControlPerson>> persons = listAccessControlPersons(accessControl());
        QStringList items;
        for (const AccessControlPerson& p : persons.ok() ? *persons : QList<AccessControlPerson>())
            items << p.item();
        QTEST(persons.ok() ? items.join(u'|') : u"refused"_qs, "listed");
        if (!persons.ok())
            QVERIFY2(persons.error().contains(u"no UID or Name column"_qs), qPrintable(persons.error()));
        QVERIFY(!listAccessControlPersons(QSqlDatabase()).ok());
    }

private:
    AppPaths paths() const { return AppPaths(m_dir->path()); }
    QSqlDatabase accessControl() const { return Connections::get(Connections::AccessControlConnection); }
    QSqlDatabase local() const { return Connections::get(Connections::LocalConnection); }
    // The work table as "person|terminal|date|status" rows, in person, date and time order.
    QStringList workRows()
    {
        QStringList rows;
        Expected<QSqlQuery> q =
            executeStatement(local(), u"select HID||'|'||FID||'|'||wDate||'|'||Status from "
                                      "tblExport1 order by HID,wdate asc,wtime asc"_qs);
        while (q.ok() && q->next())
            rows << q->value(0).toString();
        return q.ok() ? rows : QStringList{q.error()};
    }

    AccessControlServer m_server;
    std::unique_ptr<QTemporaryDir> m_dir;
    RunProgress m_progress;
};

QTEST_GUILESS_MAIN(TestAccessControlExport)
#include "tst_it_accesscontrolexport.moc"
