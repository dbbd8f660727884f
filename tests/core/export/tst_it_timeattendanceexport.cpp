#include "core/export/TimeAttendanceExport.h"
#include "core/export/TransactionWriter.h"
#include "core/platform/AppPaths.h"
#include "core/search/PunchSource.h"
#include "core/storage/Connections.h"
#include "core/storage/TextStatement.h"
#include "fixtures/PostgresServer.h"
#include "fixtures/TestRows.h"

#include <QSqlError>
#include <QTemporaryDir>

// exportLocal into tblTransaction of a real PostgreSQL server through its ODBC driver. Punches are
// "person|terminal|date|time|code", null when empty; transactions "terminal|person|stamp|IN/OUT|0|1".
class TestTimeAttendanceExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_server.start(), qPrintable(m_server.error()));
        QSqlDatabase db = Connections::replace(Connections::TimeAttendanceConnection, u"QODBC"_qs);
        db.setDatabaseName(m_server.odbcConnectionString());
        QVERIFY2(db.open(), qPrintable(db.lastError().text()));
        QVERIFY(
            sql(u"create table tblTransaction (TerminalID varchar(10), HumanID varchar(20), StampDateTime "
                "varchar(19), StampStat varchar(3), Process varchar(1), Upload varchar(1))"_qs));
    }
    void cleanupTestCase() { Connections::close(Connections::TimeAttendanceConnection); }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_progress = RunProgress();
        QVERIFY(openLocalDatabase(AppPaths(m_dir->path())).ok());
        QVERIFY(sql(u"delete from tblTransaction"_qs));
    }
    void cleanup() { Connections::close(Connections::LocalConnection); }

    void exports_data()
    {
        // filter: E person 15, R January 2024, D filtered; counts: written, without direction, incomplete
        addColumns<QString, QString, QString, QString>({"punches", "filter", "transactions", "counts"});
        addRow("the punch", "15|3|2024/01/09|17:30:00|2", "D", "3|15|2567/01/09 17:30:00|OUT|0|1", "1 0 0");
        addRow("raw data is paired too", "7|1|2024/01/09|08:00:00|0;7|1|2024/01/09|17:00:00|0", "",
               "1|7|2567/01/09 08:00:00|IN|0|1 1|7|2567/01/09 17:00:00|OUT|0|1", "2 0 0");
        addRow("other codes left out and counted",
               "7|1|2024/01/09|08:00:00|0;7|1|2024/01/09|10:00:00|3;7|1|2024/01/09|17:00:00|0", "D",
               "1|7|2567/01/09 08:00:00|IN|0|1 1|7|2567/01/09 17:00:00|OUT|0|1", "2 1 0");
        addRow("incomplete punch counted", "7|1|2024/01/09|08:00:00|0;7|1|2024/01/09|09:00:00|", "D",
               "1|7|2567/01/09 08:00:00|IN|0|1", "1 0 1");
        addRow("chosen employee and range",
               "7|1|2024/01/09|08:00:00|0;15|3|2024/01/09|17:30:00|2;15|3|2024/02/09|17:30:00|2", "ERD",
               "3|15|2567/01/09 17:30:00|OUT|0|1", "1 0 0");
        addRow("repeated punch written once", "7|1|2024/01/09|08:00:00|1;7|1|2024/01/09|08:00:00|1", "D",
               "1|7|2567/01/09 08:00:00|IN|0|1", "2 0 0");
        addRow("missing terminal bound as null", "7|1|2024/01/09|08:00:00|1;8||2024/01/09|08:00:00|2", "D",
               "1|7|2567/01/09 08:00:00|IN|0|1 -|8|2567/01/09 08:00:00|OUT|0|1", "2 0 0");
    }
    void exports()
    {
        const auto [punches, filter] = fetchColumns<QString, QString>("punches", "filter");
        for (const QString& punch : punches.split(u';'))
            addPunch(punch);
        const auto has = [&filter](char16_t c) {
            return filter.contains(QChar(c));
        };
        const ExportFilter f{has(u'E'),        u" 15 "_qs,       has(u'D'), has(u'R'),
                             u"2024/01/01"_qs, u"2024/01/31"_qs, false,     {}};
        const Expected<ExportReport> report = exportAll(f);
        QVERIFY2(report.ok(), qPrintable(report.error()));
        QTEST(u"%1 %2 %3"_qs.arg(report->written).arg(report->withoutDirection).arg(report->incomplete),
              "counts");
        QTEST(transactions().join(u' '), "transactions");
        QCOMPARE(report->message.count(u"left out"_qs), report->withoutDirection + report->incomplete);
        // exported again after the time-attendance program took the rows: the same rows, written afresh
        QVERIFY(sql(u"update tblTransaction set Process = '1', Upload = '0'"_qs) && exportAll(f).ok());
        if (!punches.contains(u"||")) // a null terminal equals no earlier row, so it is written again
            QTEST(transactions().join(u' '), "transactions");
    }
    // the failure comes after several groups were written
    void databaseErrorLeavesTableAsItWas()
    {
        const int before = 2 * TransactionWriter::GroupSize + 10;
        const int after = 120;
        addPunch(u"7|1|2024/01/09|08:00:00|0"_qs);
        QVERIFY(exportAll().ok());
        const QStringList earlier = transactions();
        // persons 10000 and up sort before 9, which fails; 90000 and up after it
        QSqlDatabase local = Connections::get(Connections::LocalConnection);
        QVERIFY(local.transaction());
        for (int i = 0; i < before; ++i)
            addPunch(u"%1|1|2024/01/10|08:00:00|0"_qs.arg(10000 + i));
        addPunch(u"9|1|2024/01/09|08:00:00|0"_qs);
        for (int i = 0; i < after; ++i)
            addPunch(u"%1|1|2024/01/10|08:00:00|0"_qs.arg(90000 + i));
        QVERIFY(local.commit());
        QVERIFY(sql(u"alter table tblTransaction add constraint no_nine check (HumanID <> '9')"_qs));
        const Expected<ExportReport> report = exportAll();
        QVERIFY(sql(u"alter table tblTransaction drop constraint no_nine"_qs));
        QVERIFY(!report.ok());
        QVERIFY2(report.error().contains(u"no_nine"_qs) &&
                     report.error().contains(u"tblTransaction was left as it was"_qs),
                 qPrintable(report.error()));
        QCOMPARE(transactions(), earlier);
        // a statement the driver refuses to prepare: its words, then the statement
        const TextStatement refused(target(), u""_qs);
        QVERIFY2(!refused.isValid() && refused.error().endsWith(u"length\nStatement: "_qs),
                 qPrintable(refused.error()));
    }
    // punches read through another driver than SQLite's: columns by name in any case, nulls kept
    void punchesReadThroughOdbc()
    {
        LocalPunchSource source(target(), {u"select 0 as status, '08:00:00' as WTIME, '2024/01/09' as wdate, "
                                           "null as gid, 1 as fid, 7 as hid"_qs,
                                           {}});
        QVERIFY(source.open());
        SourceRow row;
        QVERIFY(source.next(row).value() && !row.incomplete);
        QCOMPARE(QStringList({row.punch.hid, row.punch.fid, row.punch.gid, row.punch.wDate, row.punch.wTime,
                              row.code}),
                 QStringList({u"7"_qs, u"1"_qs, QString(), u"2024/01/09"_qs, u"08:00:00"_qs, u"0"_qs}));
        QVERIFY(!source.next(row).value());
    }
    void refusedGroupsGoPunchByPunch()
    {
        // a database that takes one row per statement only, as some ODBC databases do
        QVERIFY(sql(
            u"create function one_row_only() returns trigger language plpgsql as $$ begin if (select "
            "count(*) from added) > 1 then raise exception 'one row per statement'; end if; return null; end $$"_qs));
        QVERIFY(sql(
            u"create trigger one_row after insert on tblTransaction referencing new table as added for each "
            "statement execute function one_row_only()"_qs));
        for (int i = 0; i < 150; ++i)
            addPunch(u"%1|1|2024/01/09|08:00:00|%2"_qs.arg(1000 + i).arg(i % 3 == 0 ? 3 : 0));
        addPunch(u"1001|1|2024/01/09|09:00:00|0"_qs);
        addPunch(u"1002||2024/01/09|09:00:00|0"_qs);
        const Expected<ExportReport> report = exportAll();
        QVERIFY(sql(u"drop trigger one_row on tblTransaction"_qs));
        QVERIFY(sql(u"drop function one_row_only"_qs));
        QVERIFY2(report.ok(), qPrintable(report.error()));
        // a first punch with code 3 writes nothing: 100 persons, persons 1001 and 1002 twice
        QCOMPARE(report->written, 102);
        QCOMPARE(transactions(u"where HumanID in ('1001', '1002')"_qs),
                 (QStringList{
                     u"1|1001|2567/01/09 08:00:00|IN|0|1"_qs, u"1|1002|2567/01/09 08:00:00|IN|0|1"_qs,
                     u"1|1001|2567/01/09 09:00:00|OUT|0|1"_qs, u"-|1002|2567/01/09 09:00:00|OUT|0|1"_qs}));
        QCOMPARE(transactions().size(), 102);
    }

private:
    QSqlDatabase target() const { return Connections::get(Connections::TimeAttendanceConnection); }
    bool sql(const QString& statement) { return executeStatement(target(), statement).ok(); }
    Expected<ExportReport> exportAll(const ExportFilter& filter = {})
    {
        return TimeAttendanceExport(target(), m_progress).exportLocal(filter);
    }
    void addPunch(const QString& punch)
    {
        QVariantList values;
        for (const QString& v : punch.split(u'|'))
            values << (v.isEmpty() ? QVariant() : QVariant(v));
        values.insert(2, u"0"_qs);
        QVERIFY(executeStatement(
                    Connections::get(Connections::LocalConnection),
                    u"insert into tblexport(HID,FID,GID,wDate,wTime,Status) values(?,?,?,?,?,?)"_qs, values)
                    .ok());
    }
    QStringList transactions(const QString& where = {})
    {
        QStringList rows;
        auto q = executeStatement(target(),
                                  u"select TerminalID, HumanID, StampDateTime, StampStat, Process, Upload "
                                  "from tblTransaction %1 order by 3, 2"_qs.arg(where));
        while (q.ok() && q->next()) {
            QStringList f;
            for (int i = 0; i < 6; ++i)
                f << (q->isNull(i) ? u"-"_qs : q->value(i).toString());
            rows << f.join(u'|');
        }
        return q.ok() ? rows : QStringList{q.error()};
    }

    PostgresServer m_server;
    std::unique_ptr<QTemporaryDir> m_dir;
    RunProgress m_progress;
};

QTEST_GUILESS_MAIN(TestTimeAttendanceExport)
#include "tst_it_timeattendanceexport.moc"
