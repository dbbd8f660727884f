#include "core/storage/OdbcConnector.h"

#include <QTest>

class TestOdbcConnector : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void driverString_data();
    void driverString();
    void qodbcName_data();
    void qodbcName();
};

void TestOdbcConnector::driverString_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::newRow("prefix dropped") << "PROVIDER=MSDASQL;DSN=x;UID=;PWD=;Database="
                                    << "DSN=x;UID=;PWD=;Database=";
    QTest::newRow("prefix in any case") << "provider=msdasql;Driver=FreeTDS"
                                        << "Driver=FreeTDS";
    QTest::newRow("no prefix") << "Driver=SQL Server;DSN=x;server=h,1"
                               << "Driver=SQL Server;DSN=x;server=h,1";
    QTest::newRow("only at the start") << "DSN=x;PROVIDER=MSDASQL;"
                                       << "DSN=x;PROVIDER=MSDASQL;";
}

void TestOdbcConnector::driverString()
{
    QFETCH(QString, in);
    QFETCH(QString, out);
    QCOMPARE(OdbcConnector::driverConnectionString(in), out);
}

// QODBC puts "DSN=" before any name that names no DRIVER= or SERVER=; the name it is given
// must come out as the original string.
void TestOdbcConnector::qodbcName_data()
{
    QTest::addColumn<QString>("in");
    QTest::addColumn<QString>("out");
    QTest::newRow("data source") << "DSN=x;UID=u;PWD=p;Database=d"
                                 << "x;UID=u;PWD=p;Database=d";
    QTest::newRow("empty data source") << "DSN=;UID=;PWD=;Database="
                                       << ";UID=;PWD=;Database=";
    QTest::newRow("driver") << "Driver=FreeTDS;Server=h;UID=;PWD=;Database="
                            << "Driver=FreeTDS;Server=h;UID=;PWD=;Database=";
    QTest::newRow("data source with server") << "Driver=SQL Server;DSN=x;server=h,1"
                                             << "Driver=SQL Server;DSN=x;server=h,1";
    QTest::newRow("server named in a value") << "DSN=x;UID=u;PWD=p;Database=server=1"
                                             << "DSN=x;UID=u;PWD=p;Database=server=1";
}

void TestOdbcConnector::qodbcName()
{
    QFETCH(QString, in);
    QFETCH(QString, out);
    QCOMPARE(OdbcConnector::qodbcDatabaseName(in), out);
}

QTEST_GUILESS_MAIN(TestOdbcConnector)
#include "tst_odbcconnector.moc"
