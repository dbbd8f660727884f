#include "core/export/TimeAttendanceExport.h"
#include "core/export/TransactionWriter.h"
#include "core/platform/AppPaths.h"
#include "core/storage/Connections.h"
#include "fixtures/PostgresServer.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

// exportLocal against a real PostgreSQL server reached through psqlODBC, as a user's
// time-attendance database is reached through its ODBC driver.
class TestTimeAttendanceExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void stamp_data();
    void stamp();
    void writesThePunch();
    void pairsWhateverTheDataType();
    void repeatedExportLeavesOneRowPerPunch();
    void otherStatusesAreLeftOutAndCounted();
    void incompleteRowsAreCounted();
    void chosenEmployeesOnly();
    void noDataWritesNothing();
    void databaseErrorMidRunLeavesTableAsItWas_data();
    void databaseErrorMidRunLeavesTableAsItWas();
    void refusedGroupsGoPunchByPunch();
    void repeatedPunchWrittenOnce();
    void repeatedExportUnderOtherOrderings_data();
    void repeatedExportUnderOtherOrderings();
    void disconnectedDatabaseIsReported();

private:
    void addPunch(const QString& hid, const QString& fid, const QString& date, const QString& time,
                  const QVariant& status);
    QStringList transactions(const QString& where = {});
    Expected<ExportReport> exportAll(const ExportFilter& filter = {});
    QSqlDatabase target() const { return Connections::get(Connections::TimeAttendanceConnection); }

    PostgresServer m_server;
    std::unique_ptr<QTemporaryDir> m_dir;
    RunProgress m_progress;
};

void TestTimeAttendanceExport::initTestCase()
{
    QVERIFY2(m_server.start(), qPrintable(m_server.error()));
    QSqlDatabase db = Connections::replace(Connections::TimeAttendanceConnection, QStringLiteral("QODBC"));
    db.setDatabaseName(m_server.odbcConnectionString());
    QVERIFY2(db.open(), qPrintable(db.lastError().text()));
    QVERIFY(
        executeStatement(db, QStringLiteral("create table tblTransaction (TerminalID varchar(10), HumanID "
                                            "varchar(20), StampDateTime varchar(19), StampStat varchar(3), "
                                            "Process varchar(1), Upload varchar(1))"))
            .ok());
}

void TestTimeAttendanceExport::cleanupTestCase()
{
    Connections::close(Connections::TimeAttendanceConnection);
    m_server.stop();
}

void TestTimeAttendanceExport::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_progress = RunProgress();
    const Outcome opened = openLocalDatabase(AppPaths(m_dir->path()));
    QVERIFY2(opened.ok(), qPrintable(opened.error()));
    QVERIFY(executeStatement(target(), QStringLiteral("delete from tblTransaction")).ok());
}

void TestTimeAttendanceExport::cleanup()
{
    Connections::close(Connections::LocalConnection);
}

void TestTimeAttendanceExport::addPunch(const QString& hid, const QString& fid, const QString& date,
                                        const QString& time, const QVariant& status)
{
    QVERIFY(executeStatement(Connections::get(Connections::LocalConnection),
                             QStringLiteral("insert into tblexport(HID,FID,GID,wDate,wTime,Status) "
                                            "values(?,?,?,?,?,?)"),
                             {hid, fid, u"0"_qs, date, time, status})
                .ok());
}

// Rows of tblTransaction as "TerminalID|HumanID|StampDateTime|StampStat|Process|Upload", sorted.
QStringList TestTimeAttendanceExport::transactions(const QString& where)
{
    QStringList rows;
    auto q =
        executeStatement(target(), QStringLiteral("select TerminalID, HumanID, StampDateTime, StampStat, "
                                                  "Process, Upload from tblTransaction %1 order by 3, 2")
                                       .arg(where));
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

Expected<ExportReport> TestTimeAttendanceExport::exportAll(const ExportFilter& filter)
{
    return TimeAttendanceExport(target(), m_progress).exportLocal(filter);
}

void TestTimeAttendanceExport::stamp_data()
{
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    QTest::addColumn<QString>("stamp");
    QTest::newRow("May") << u"2024/05/31"_qs << u"08:05:03"_qs << u"2567/05/31 08:05:03"_qs;
    QTest::newRow("January") << u"2024/01/09"_qs << u"17:30:00"_qs << u"2567/01/09 17:30:00"_qs;
    QTest::newRow("turn of the century") << u"1999/12/31"_qs << u"23:59:59"_qs << u"2542/12/31 23:59:59"_qs;
}

void TestTimeAttendanceExport::stamp()
{
    QFETCH(QString, date);
    QFETCH(QString, time);
    QFETCH(QString, stamp);
    QCOMPARE(buddhistStamp(date, time), stamp);
}

void TestTimeAttendanceExport::writesThePunch()
{
    addPunch(u"15"_qs, u"3"_qs, u"2024/01/09"_qs, u"17:30:00"_qs, u"2"_qs);
    const Expected<ExportReport> report = exportAll();
    QVERIFY2(report.ok(), qPrintable(report.error()));
    QCOMPARE(report->status, ExportReport::Status::Exported);
    QCOMPARE(report->message, u"Export successfully"_qs);
    QCOMPARE(report->written, 1);
    QCOMPARE(transactions(), QStringList{u"3|15|2567/01/09 17:30:00|OUT|0|1"_qs});
    QCOMPARE(m_progress.value(), 100);
}

void TestTimeAttendanceExport::pairsWhateverTheDataType()
{
    addPunch(u"7"_qs, u"1"_qs, u"2024/01/09"_qs, u"08:00:00"_qs, u"0"_qs);
    addPunch(u"7"_qs, u"1"_qs, u"2024/01/09"_qs, u"17:00:00"_qs, u"0"_qs);
    ExportFilter raw;
    raw.filtered = false;
    QVERIFY(exportAll(raw).ok());
    QCOMPARE(transactions(),
             (QStringList{u"1|7|2567/01/09 08:00:00|IN|0|1"_qs, u"1|7|2567/01/09 17:00:00|OUT|0|1"_qs}));
}

void TestTimeAttendanceExport::repeatedExportLeavesOneRowPerPunch()
{
    addPunch(u"7"_qs, u"1"_qs, u"2024/01/09"_qs, u"08:00:00"_qs, u"0"_qs);
    addPunch(u"7"_qs, u"1"_qs, u"2024/01/09"_qs, u"17:00:00"_qs, u"0"_qs);
    addPunch(u"9"_qs, u"2"_qs, u"2024/01/10"_qs, u"08:00:00"_qs, u"1"_qs);
    QVERIFY(exportAll().ok());
    const QStringList first = transactions();
    QCOMPARE(first.size(), 3);
    // The time-attendance program marks rows as processed; a second export writes them afresh.
    QVERIFY(
        executeStatement(target(), QStringLiteral("update tblTransaction set Process = '1', Upload = '0'"))
            .ok());
    const Expected<ExportReport> again = exportAll();
    QVERIFY2(again.ok(), qPrintable(again.error()));
    QCOMPARE(transactions(), first);
}

void TestTimeAttendanceExport::otherStatusesAreLeftOutAndCounted()
{
    addPunch(u"7"_qs, u"1"_qs, u"2024/01/09"_qs, u"08:00:00"_qs, u"0"_qs);
    addPunch(u"7"_qs, u"1"_qs, u"2024/01/09"_qs, u"10:00:00"_qs, u"3"_qs);
    addPunch(u"7"_qs, u"1"_qs, u"2024/01/09"_qs, u"17:00:00"_qs, u"0"_qs);
    const Expected<ExportReport> report = exportAll();
    QVERIFY2(report.ok(), qPrintable(report.error()));
    QCOMPARE(report->written, 2);
    QCOMPARE(report->withoutDirection, 1);
    QCOMPARE(report->message,
             u"Export successfully\n1 punch(es) whose direction is neither IN nor OUT were left out."_qs);
    QCOMPARE(transactions(),
             (QStringList{u"1|7|2567/01/09 08:00:00|IN|0|1"_qs, u"1|7|2567/01/09 17:00:00|OUT|0|1"_qs}));
}

void TestTimeAttendanceExport::incompleteRowsAreCounted()
{
    addPunch(u"7"_qs, u"1"_qs, u"2024/01/09"_qs, u"08:00:00"_qs, u"0"_qs);
    addPunch(u"7"_qs, u"1"_qs, u"2024/01/09"_qs, u"09:00:00"_qs, QVariant());
    const Expected<ExportReport> report = exportAll();
    QVERIFY2(report.ok(), qPrintable(report.error()));
    QCOMPARE(report->incomplete, 1);
    QVERIFY2(report->message.contains(u"1 punch(es) without a person, date or direction were left out."_qs),
             qPrintable(report->message));
    QCOMPARE(transactions().size(), 1);
}

void TestTimeAttendanceExport::chosenEmployeesOnly()
{
    addPunch(u"7"_qs, u"1"_qs, u"2024/01/09"_qs, u"08:00:00"_qs, u"0"_qs);
    addPunch(u"15"_qs, u"3"_qs, u"2024/01/09"_qs, u"17:30:00"_qs, u"2"_qs);
    addPunch(u"15"_qs, u"3"_qs, u"2024/02/09"_qs, u"17:30:00"_qs, u"2"_qs);
    ExportFilter filter;
    filter.chosenEmployees = true;
    filter.employees = u" 15 "_qs;
    filter.dateRange = true;
    filter.from = u"2024/01/01"_qs;
    filter.to = u"2024/01/31"_qs;
    QVERIFY(exportAll(filter).ok());
    QCOMPARE(transactions(), QStringList{u"3|15|2567/01/09 17:30:00|OUT|0|1"_qs});
}

void TestTimeAttendanceExport::noDataWritesNothing()
{
    const Expected<ExportReport> report = exportAll();
    QVERIFY2(report.ok(), qPrintable(report.error()));
    QCOMPARE(report->status, ExportReport::Status::NoData);
    QCOMPARE(report->message, u" No data for export !!!"_qs);
    QCOMPARE(transactions(), QStringList());
}

void TestTimeAttendanceExport::databaseErrorMidRunLeavesTableAsItWas_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::newRow("in the first statements") << 1 << 1;
    QTest::newRow("after several groups were written") << 2 * TransactionWriter::GroupSize + 10 << 120;
}

void TestTimeAttendanceExport::databaseErrorMidRunLeavesTableAsItWas()
{
    QFETCH(int, before);
    QFETCH(int, after);
    addPunch(u"7"_qs, u"1"_qs, u"2024/01/09"_qs, u"08:00:00"_qs, u"0"_qs);
    QVERIFY(exportAll().ok());
    const QStringList earlier = transactions();
    // Persons 10000 and up sort before 9, person 9 fails, persons 90000 and up sort after it.
    QSqlDatabase local = Connections::get(Connections::LocalConnection);
    QVERIFY(local.transaction());
    for (int i = 0; i < before; ++i)
        addPunch(QString::number(10000 + i), u"1"_qs, u"2024/01/10"_qs, u"08:00:00"_qs, u"0"_qs);
    addPunch(u"9"_qs, u"1"_qs, u"2024/01/09"_qs, u"08:00:00"_qs, u"0"_qs);
    for (int i = 0; i < after; ++i)
        addPunch(QString::number(90000 + i), u"1"_qs, u"2024/01/10"_qs, u"08:00:00"_qs, u"0"_qs);
    QVERIFY(local.commit());
    QVERIFY(
        executeStatement(target(), QStringLiteral("alter table tblTransaction add constraint no_nine check "
                                                  "(HumanID <> '9')"))
            .ok());
    const Expected<ExportReport> report = exportAll();
    QVERIFY(executeStatement(target(), QStringLiteral("alter table tblTransaction drop constraint no_nine"))
                .ok());
    QVERIFY(!report.ok());
    QVERIFY2(report.error().contains(u"no_nine"_qs), qPrintable(report.error()));
    QVERIFY2(report.error().contains(u"tblTransaction was left as it was"_qs), qPrintable(report.error()));
    QCOMPARE(transactions(), earlier);
}

void TestTimeAttendanceExport::refusedGroupsGoPunchByPunch()
{
    // A database that takes one row per statement only, as some ODBC databases do.
    QVERIFY(executeStatement(target(),
                             QStringLiteral("create function one_row_only() returns trigger language "
                                            "plpgsql as $$ begin if (select count(*) from added) > 1 then "
                                            "raise exception 'one row per statement'; end if; return "
                                            "null; end $$"))
                .ok());
    QVERIFY(
        executeStatement(target(), QStringLiteral("create trigger one_row after insert on tblTransaction "
                                                  "referencing new table as added for each statement execute "
                                                  "function one_row_only()"))
            .ok());
    for (int i = 0; i < 150; ++i)
        addPunch(QString::number(1000 + i), u"1"_qs, u"2024/01/09"_qs, u"08:00:00"_qs,
                 i % 3 == 0 ? u"3"_qs : u"0"_qs);
    addPunch(u"1001"_qs, u"1"_qs, u"2024/01/09"_qs, u"09:00:00"_qs, u"0"_qs);
    const Expected<ExportReport> report = exportAll();
    QVERIFY(executeStatement(target(), QStringLiteral("drop trigger one_row on tblTransaction")).ok());
    QVERIFY(executeStatement(target(), QStringLiteral("drop function one_row_only")).ok());
    QVERIFY2(report.ok(), qPrintable(report.error()));
    // A first punch with code 3 writes nothing: 100 persons, person 1001 twice.
    QCOMPARE(report->written, 101);
    QCOMPARE(transactions().size(), 101);
    QCOMPARE(
        transactions(u"where HumanID = '1001'"_qs),
        (QStringList{u"1|1001|2567/01/09 08:00:00|IN|0|1"_qs, u"1|1001|2567/01/09 09:00:00|OUT|0|1"_qs}));
}

void TestTimeAttendanceExport::repeatedPunchWrittenOnce()
{
    // The same punch twice in the local table (as two terminals' logs may hold it): one row.
    for (int round = 0; round < 2; ++round)
        addPunch(u"7"_qs, u"1"_qs, u"2024/01/09"_qs, u"08:00:00"_qs, u"1"_qs);
    const Expected<ExportReport> report = exportAll();
    QVERIFY2(report.ok(), qPrintable(report.error()));
    QCOMPARE(transactions(), QStringList{u"1|7|2567/01/09 08:00:00|IN|0|1"_qs});
}

void TestTimeAttendanceExport::repeatedExportUnderOtherOrderings_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("persons");
    // Persons of one export, in the order of the work table: text order, which the database's
    // own ordering of HumanID need not share.
    QTest::newRow("digits ordered as numbers")
        << u"en-u-kn-true"_qs << QStringList{u"100"_qs, u"15"_qs, u"7"_qs};
    QTest::newRow("letters ordered without case") << u"und"_qs << QStringList{u"B7"_qs, u"a7"_qs, u"c7"_qs};
}

void TestTimeAttendanceExport::repeatedExportUnderOtherOrderings()
{
    QFETCH(QString, locale);
    QFETCH(QStringList, persons);
    QVERIFY(
        executeStatement(target(), QStringLiteral("create collation if not exists ordering (provider = icu, "
                                                  "locale = '%1')")
                                       .arg(locale))
            .ok());
    const auto collate = [this](const QString& collation) {
        return executeStatement(target(),
                                QStringLiteral("alter table tblTransaction alter column HumanID type "
                                               "varchar(20) collate %1")
                                    .arg(collation))
            .ok();
    };
    QVERIFY(collate(u"ordering"_qs));
    for (const QString& person : std::as_const(persons))
        addPunch(person, u"1"_qs, u"2024/01/09"_qs, u"08:00:00"_qs, u"1"_qs);
    const bool first = exportAll().ok();
    const bool again = exportAll().ok();
    const QStringList rows = transactions();
    QVERIFY(collate(u"\"default\""_qs));
    QVERIFY(executeStatement(target(), QStringLiteral("drop collation ordering")).ok());
    QVERIFY(first && again);
    QCOMPARE(rows.size(), persons.size());
}

void TestTimeAttendanceExport::disconnectedDatabaseIsReported()
{
    addPunch(u"7"_qs, u"1"_qs, u"2024/01/09"_qs, u"08:00:00"_qs, u"0"_qs);
    const Expected<ExportReport> report = TimeAttendanceExport(QSqlDatabase(), m_progress).exportLocal({});
    QVERIFY(!report.ok());
    QVERIFY2(report.error().contains(u"not connected"_qs), qPrintable(report.error()));
}

QTEST_GUILESS_MAIN(TestTimeAttendanceExport)
#include "tst_it_timeattendanceexport.moc"
