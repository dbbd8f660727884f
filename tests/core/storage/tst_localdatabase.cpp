#include "core/platform/AppPaths.h"
#include "core/storage/Connections.h"

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

class TestLocalDatabase : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { Connections::close(Connections::LocalConnection); }
    void createsMissingDatabase();
    void namesMatchWithoutCase();
    void valuesAreBound();
    void keepsExistingRows();
    void unwritableFolderIsReported();
    void notADatabaseIsReported();
    void statementOnClosedConnectionFails();
};

void TestLocalDatabase::createsMissingDatabase()
{
    QTemporaryDir dir;
    const AppPaths paths(dir.path());
    QVERIFY(!QFile::exists(paths.localDatabase()));
    const Outcome opened = openLocalDatabase(paths);
    QVERIFY2(opened.ok(), qPrintable(opened.error()));
    QVERIFY(QFile::exists(paths.localDatabase()));
    const QSqlDatabase db = Connections::get(Connections::LocalConnection);
    for (const QString& table : {QStringLiteral("tblexport"), QStringLiteral("tblExport1")}) {
        auto q =
            executeStatement(db, QStringLiteral("select HID,FID,GID,wDate,wTime,Status from %1").arg(table));
        QVERIFY2(q.ok(), qPrintable(q.error()));
        QVERIFY(!q->next());
    }
    auto group = executeStatement(db, QStringLiteral("Select HID from tblexport Group by HID"));
    QVERIFY(group.ok());
}

void TestLocalDatabase::namesMatchWithoutCase()
{
    QTemporaryDir dir;
    QVERIFY(openLocalDatabase(AppPaths(dir.path())).ok());
    const QSqlDatabase db = Connections::get(Connections::LocalConnection);
    QVERIFY(executeStatement(db,
                             QStringLiteral("Insert into tblExport(HID,FID,GID,wDate,wTime,Status) "
                                            "values(?,?,?,?,?,?)"),
                             {u"7"_qs, u"1"_qs, u"0"_qs, u"2010/05/07"_qs, u"08:03:09"_qs, u"0"_qs})
                .ok());
    auto q = executeStatement(db, QStringLiteral("select wdate, WTIME from TBLEXPORT"));
    QVERIFY(q.ok());
    QVERIFY(q->next());
    QCOMPARE(q->value(0).toString(), QStringLiteral("2010/05/07"));
    QCOMPARE(q->value(1).toString(), QStringLiteral("08:03:09"));
}

void TestLocalDatabase::valuesAreBound()
{
    QTemporaryDir dir;
    QVERIFY(openLocalDatabase(AppPaths(dir.path())).ok());
    const QSqlDatabase db = Connections::get(Connections::LocalConnection);
    const QString hostile = QStringLiteral("1'); drop table tblexport; --");
    QVERIFY(executeStatement(db,
                             QStringLiteral("insert into tblExport1(HID,FID,GID,wDate,wTime,Status) "
                                            "values(?,?,?,?,?,?)"),
                             {hostile, u"1"_qs, u"0"_qs, u"2010/05/07"_qs, u"08:03:09"_qs, u"1"_qs})
                .ok());
    auto q = executeStatement(db, QStringLiteral("select HID from tblExport1 where HID = ?"), {hostile});
    QVERIFY(q.ok() && q->next());
    QCOMPARE(q->value(0).toString(), hostile);
    QVERIFY(executeStatement(db, QStringLiteral("select count(*) from tblexport")).ok());
}

void TestLocalDatabase::keepsExistingRows()
{
    QTemporaryDir dir;
    const AppPaths paths(dir.path());
    QVERIFY(openLocalDatabase(paths).ok());
    QVERIFY(executeStatement(Connections::get(Connections::LocalConnection),
                             QStringLiteral("insert into tblExport1(HID) values(?)"), {u"42"_qs})
                .ok());
    // opening again replaces the connection object and keeps the work table's rows
    QVERIFY(openLocalDatabase(paths).ok());
    auto q = executeStatement(Connections::get(Connections::LocalConnection),
                              QStringLiteral("select HID from tblExport1"));
    QVERIFY(q.ok() && q->next());
    QCOMPARE(q->value(0).toString(), QStringLiteral("42"));
}

void TestLocalDatabase::unwritableFolderIsReported()
{
    const AppPaths paths(QStringLiteral("/nonexistent-tq-dir/sub"));
    const Outcome opened = openLocalDatabase(paths);
    QVERIFY(!opened.ok());
    QVERIFY2(opened.error().contains(QStringLiteral("/nonexistent-tq-dir/sub/dataexport.db")),
             qPrintable(opened.error()));
}

void TestLocalDatabase::notADatabaseIsReported()
{
    QTemporaryDir dir;
    const AppPaths paths(dir.path());
    QFile f(paths.localDatabase());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    const Outcome opened = openLocalDatabase(paths);
    QVERIFY(!opened.ok());
    QVERIFY(opened.error().contains(paths.localDatabase()));
}

void TestLocalDatabase::statementOnClosedConnectionFails()
{
    auto q = executeStatement(Connections::get(Connections::LocalConnection), QStringLiteral("select 1"));
    QVERIFY(!q.ok());
    QVERIFY(q.error().contains(QStringLiteral("not open")));
}

QTEST_GUILESS_MAIN(TestLocalDatabase)
#include "tst_localdatabase.moc"
