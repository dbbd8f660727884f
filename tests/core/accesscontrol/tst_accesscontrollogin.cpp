#include "core/accesscontrol/AccessControlLogin.h"
#include "core/platform/IniFile.h"
#include "fixtures/TestFiles.h"

#include <QTemporaryDir>
#include <QTest>

class TestAccessControlLogin : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void providerString_data();
    void providerString();
    void odbcString_data();
    void odbcString();
    void hostAndPortRequired_data();
    void hostAndPortRequired();
    void storesInOrderAndReadsBack();
    void refusedPasswordStoresNothing();
    void driverDefaultsToFreeTds();
};

void TestAccessControlLogin::providerString_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("expected");

    QTest::newRow("server example") << "srv"
                                    << "1433"
                                    << "sa"
                                    << ""
                                    << "Provider=SQLOLEDB.1;Password=;Persist Security Info=True;User "
                                       "ID=sa;Initial Catalog=QORSQL;Data Source=srv,1433";
    QTest::newRow("empty port keeps the comma")
        << "srv"
        << ""
        << "sa"
        << "pw"
        << "Provider=SQLOLEDB.1;Password=pw;Persist Security Info=True;User ID=sa;Initial "
           "Catalog=QORSQL;Data Source=srv,";
    QTest::newRow("entries as typed") << " 10.0.0.9 "
                                      << "1433 "
                                      << "qor user"
                                      << "a;b"
                                      << "Provider=SQLOLEDB.1;Password=a;b;Persist Security Info=True;User "
                                         "ID=qor user;Initial Catalog=QORSQL;Data "
                                         "Source= 10.0.0.9 ,1433 ";
}

void TestAccessControlLogin::providerString()
{
    QFETCH(QString, host);
    QFETCH(QString, port);
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, expected);
    QCOMPARE(buildAccessControlConnectionString({host, port, user, password}), expected);
}

void TestAccessControlLogin::odbcString_data()
{
    QTest::addColumn<QString>("driver");
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("port");
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("expected");

    QTest::newRow("sql server through FreeTDS")
        << "FreeTDS"
        << "srv"
        << "1433"
        << "sa"
        << ""
        << "Driver={FreeTDS};Server=srv;Port=1433;Database=QORSQL;UID=sa;PWD=;";
    QTest::newRow("postgresql driver")
        << "TQ Test PostgreSQL Unicode"
        << "127.0.0.1"
        << "54321"
        << "tq"
        << "secret"
        << "Driver={TQ Test PostgreSQL "
           "Unicode};Server=127.0.0.1;Port=54321;Database=QORSQL;UID=tq;PWD=secret;";
    QTest::newRow("empty port: driver default")
        << "FreeTDS"
        << "srv"
        << ""
        << "sa"
        << "x"
        << "Driver={FreeTDS};Server=srv;Database=QORSQL;UID=sa;PWD=x;";
    QTest::newRow("semicolon cannot add a key")
        << "FreeTDS"
        << "srv"
        << "1433"
        << "sa"
        << "a;Database=master"
        << "Driver={FreeTDS};Server=srv;Port=1433;Database=QORSQL;UID=sa;PWD={a;Database=master};";
    QTest::newRow("closing brace doubled")
        << "FreeTDS"
        << "srv"
        << "1433"
        << "sa"
        << "p}w"
        << "Driver={FreeTDS};Server=srv;Port=1433;Database=QORSQL;UID=sa;PWD={p}}w};";
    QTest::newRow("blanks kept in braces")
        << "FreeTDS"
        << "srv "
        << "1433"
        << " sa"
        << "pw"
        << "Driver={FreeTDS};Server={srv };Port=1433;Database=QORSQL;UID={ sa};PWD=pw;";
    QTest::newRow("driver path")
        << "/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so"
        << "srv"
        << "1433"
        << "sa"
        << ""
        << "Driver={/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so};Server=srv;Port=1433;"
           "Database=QORSQL;UID=sa;PWD=;";
}

void TestAccessControlLogin::odbcString()
{
    QFETCH(QString, driver);
    QFETCH(QString, host);
    QFETCH(QString, port);
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, expected);
    QCOMPARE(buildAccessControlOdbcString({host, port, user, password}, driver), expected);
}

void TestAccessControlLogin::hostAndPortRequired_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("port");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("both empty") << ""
                                << "" << false;
    QTest::newRow("host only") << "srv"
                               << "" << true;
    QTest::newRow("port only") << ""
                               << "1433" << true;
    QTest::newRow("blank host counts as typed") << " "
                                                << "" << true;
}

void TestAccessControlLogin::hostAndPortRequired()
{
    QFETCH(QString, host);
    QFETCH(QString, port);
    QFETCH(bool, accepted);
    const Outcome checked = checkAccessControlLogin({host, port, QStringLiteral("sa"), {}});
    QCOMPARE(checked.ok(), accepted);
    if (!accepted) {
        QVERIFY(checked.error().contains(QStringLiteral("required")));
        // The connect step refuses the same way, before it touches anything.
        QTemporaryDir dir;
        QVERIFY(!connectAccessControl({host, port, {}, {}}, AppPaths(dir.path())));
        QVERIFY(!QFile::exists(AppPaths(dir.path()).settingsFile()));
    }
}

void TestAccessControlLogin::storesInOrderAndReadsBack()
{
    QTemporaryDir dir;
    const AppPaths paths(dir.path());
    QVERIFY(TestFiles::write(paths.settingsFile(), "[text]\r\nFormatName=Week\r\n"));
    QVERIFY(storeAccessControlLogin(
        {QStringLiteral("srv"), QStringLiteral("1433"), QStringLiteral("sa"), QStringLiteral("abc")}, paths));
    QCOMPARE(TestFiles::read(paths.settingsFile()),
             QByteArray(
                 "[text]\r\nFormatName=Week\r\nIPSQL=srv\r\nPORTSQL=1433\r\nUSERSQL=sa\r\nPASSSQL=bdf\r\n"));
    const AccessControlLogin back = readAccessControlLogin(paths);
    QCOMPARE(back.host, QStringLiteral("srv"));
    QCOMPARE(back.port, QStringLiteral("1433"));
    QCOMPARE(back.user, QStringLiteral("sa"));
    QCOMPARE(back.password, QStringLiteral("abc"));
}

void TestAccessControlLogin::refusedPasswordStoresNothing()
{
    QTemporaryDir dir;
    const AppPaths paths(dir.path());
    const QByteArray before = "[text]\r\nIPSQL=old\r\n";
    QVERIFY(TestFiles::write(paths.settingsFile(), before));
    // A character the code page lacks cannot be stored.
    const AccessControlLogin login{QStringLiteral("srv"), QStringLiteral("1433"), QStringLiteral("sa"),
                                   QStringLiteral("pass\u00df")};
    const Outcome stored = storeAccessControlLogin(login, paths);
    QVERIFY(!stored);
    QVERIFY2(stored.error().contains(QStringLiteral("cannot be stored")), qPrintable(stored.error()));
    const Outcome connected = connectAccessControl(login, paths);
    QVERIFY(!connected);
    QCOMPARE(connected.error(), stored.error());
    QCOMPARE(TestFiles::read(paths.settingsFile()), before);
}

void TestAccessControlLogin::driverDefaultsToFreeTds()
{
    QTemporaryDir dir;
    const AppPaths paths(dir.path());
    QCOMPARE(readAccessControlDriver(paths), QStringLiteral("FreeTDS"));
    QVERIFY(writeIniValue(QStringLiteral("text"), QStringLiteral("DRIVERSQL"), QStringLiteral("Other"),
                          paths.settingsFile()));
    QCOMPARE(readAccessControlDriver(paths), QStringLiteral("Other"));
}

QTEST_GUILESS_MAIN(TestAccessControlLogin)
#include "tst_accesscontrollogin.moc"
