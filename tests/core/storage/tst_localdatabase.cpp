#include "core/platform/AppPaths.h"
#include "core/storage/Connections.h"
#include "fixtures/TestFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestLocalDatabase : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { Connections::close(Connections::LocalConnection); }
    void createdOnceAndKept();
    void failuresNameWhatFailed();
};

void TestLocalDatabase::createdOnceAndKept()
{
    QTemporaryDir dir;
    const AppPaths paths(dir.path());
    const Outcome opened = openLocalDatabase(paths);
    QVERIFY2(opened.ok(), qPrintable(opened.error()));
    QSqlDatabase db = Connections::get(Connections::LocalConnection);
    // names match without regard to case, and values are bound, never spliced into the text
    const QString hostile = u"1'); drop table tblexport; --"_qs;
    for (const char* table : {"tblExport", "TBLEXPORT1"}) {
        QVERIFY(executeStatement(db,
                                 u"Insert into %1(HID,FID,GID,wDate,wTime,Status) values(?,?,?,?,?,?)"_qs.arg(
                                     QLatin1String(table)),
                                 {hostile, u"1"_qs, u"0"_qs, u"2010/05/07"_qs, u"08:03:09"_qs, u"0"_qs})
                    .ok());
    }
    // opening again replaces the connection object and keeps the rows
    QVERIFY(openLocalDatabase(paths).ok());
    db = Connections::get(Connections::LocalConnection);
    for (const char* table : {"tblexport", "tblExport1"}) {
        Expected<QSqlQuery> q = executeStatement(
            db, u"select hid, WDATE, wtime from %1 where HID = ?"_qs.arg(QLatin1String(table)), {hostile});
        QVERIFY2(q.ok() && q->next(), table);
        QCOMPARE(q->value(1).toString() + q->value(2).toString(), u"2010/05/0708:03:09"_qs);
        QVERIFY(!q->next());
    }
    Connections::close(Connections::LocalConnection);
    QVERIFY(!Connections::get(Connections::LocalConnection).isValid());
}

void TestLocalDatabase::failuresNameWhatFailed()
{
    const Outcome noFolder = openLocalDatabase(AppPaths(u"/nonexistent-tq-dir/sub"_qs));
    QVERIFY2(noFolder.error().startsWith(
                 u"Cannot create the local database /nonexistent-tq-dir/sub/dataexport.db: "
                 "the folder /nonexistent-tq-dir/sub is missing or not writable."_qs),
             qPrintable(noFolder.error()));

    QTemporaryDir dir;
    const AppPaths paths(dir.path());
    QVERIFY(TestFiles::write(paths.localDatabase(), QByteArray(4096, 'x')));
    const Outcome notADatabase = openLocalDatabase(paths);
    QVERIFY(!notADatabase.ok() && notADatabase.error().contains(paths.localDatabase()));

    const Expected<QSqlQuery> closed = executeStatement(QSqlDatabase(), u"select 1"_qs);
    QCOMPARE(closed.error(), u"The database connection is not open.\nStatement: select 1"_qs);

    QVERIFY(QFile::remove(paths.localDatabase()));
    QVERIFY(openLocalDatabase(paths).ok());
    const Expected<QSqlQuery> bad =
        executeStatement(Connections::get(Connections::LocalConnection), u"select * from tblMissing"_qs);
    QVERIFY2(bad.error().contains(u"tblMissing"_qs) &&
                 bad.error().endsWith(u"\nStatement: select * from tblMissing"_qs),
             qPrintable(bad.error()));
}

QTEST_GUILESS_MAIN(TestLocalDatabase)
#include "tst_localdatabase.moc"
