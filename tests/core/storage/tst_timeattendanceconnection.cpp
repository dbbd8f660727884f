#include "core/platform/Cp874.h"
#include "core/platform/RegistryStore.h"
#include "core/storage/Connections.h"
#include "core/storage/TimeAttendanceConnection.h"
#include "fixtures/TestFiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSettings>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

// The time-attendance program's settings live in a temporary store for every test, never in the
// user's own configuration directory.
class TestTimeAttendanceConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void connectionString_data();
    void connectionString();
    void valuesReadAsWritten_data();
    void valuesReadAsWritten();
    void otherPathsReadEmpty_data();
    void otherPathsReadEmpty();
    void storedPassword_data();
    void storedPassword();
    void storedPasswordInConnectionString();
    void handWrittenFile();
    void emptyStoreFailsToOpen();
    void silentServerFailsWithinTimeout();

private:
    void store(const QMap<QString, QString>& values);

    std::unique_ptr<QTemporaryDir> m_config;
};

void TestTimeAttendanceConnection::init()
{
    m_config = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_config->path());
}

void TestTimeAttendanceConnection::cleanup()
{
    Connections::close(Connections::TimeAttendanceConnection);
    m_config.reset();
}

void TestTimeAttendanceConnection::store(const QMap<QString, QString>& values)
{
    QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("ZUN Vantorel"),
                       QStringLiteral("Configuration Connection Tools"));
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        settings.setValue(it.key(), it.value());
    settings.sync();
    QCOMPARE(settings.status(), QSettings::NoError);
}

using Values = QMap<QString, QString>;

void TestTimeAttendanceConnection::connectionString_data()
{
    QTest::addColumn<Values>("values");
    QTest::addColumn<QString>("expected");

    const auto sv = [](const char* dsn, const char* driver) {
        return Values{{u"DSN"_qs, QString::fromUtf8(dsn)},
                      {u"Driver"_qs, QString::fromUtf8(driver)},
                      {u"Server"_qs, u"host"_qs},
                      {u"Port"_qs, u"1433"_qs},
                      {u"UID"_qs, u"sa"_qs},
                      {u"Database"_qs, u"db"_qs}};
    };
    QTest::newRow("data source and SQL Server driver")
        << sv("MyDsn", "SQL Server")
        << u"Driver=SQL Server;DSN=MyDsn;server=host,1433;UID=sa;PWD=;Database=db"_qs;
    QTest::newRow("driver name compared with case")
        << sv("MyDsn", "sql server") << u"PROVIDER=MSDASQL;DSN=MyDsn;UID=sa;PWD=;Database=db"_qs;
    QTest::newRow("other driver") << sv("MyDsn", "PostgreSQL Unicode")
                                  << u"PROVIDER=MSDASQL;DSN=MyDsn;UID=sa;PWD=;Database=db"_qs;
    QTest::newRow("(None) with blanks selects driver and server")
        << sv(" (None) ", "SQL Server")
        << u"PROVIDER=MSDASQL;Driver=SQL Server;Server=host;UID=sa;PWD=;Database=db"_qs;
    QTest::newRow("(None) with another driver")
        << sv("(None)", "FreeTDS")
        << u"PROVIDER=MSDASQL;Driver=FreeTDS;Server=host;UID=sa;PWD=;Database=db"_qs;
    QTest::newRow("(none) in lower case is a data source name")
        << sv("(none)", "ODBC") << u"PROVIDER=MSDASQL;DSN=(none);UID=sa;PWD=;Database=db"_qs;
    QTest::newRow("values inserted untrimmed")
        << Values{{u"DSN"_qs, u" MyDsn "_qs}, {u"Driver"_qs, u"SQL Server"_qs}, {u"Server"_qs, u" h "_qs},
                  {u"Port"_qs, u" 1 "_qs},    {u"UID"_qs, u" u "_qs},           {u"Database"_qs, u" d "_qs}}
        << u"Driver=SQL Server;DSN= MyDsn ;server= h , 1 ;UID= u ;PWD=;Database= d "_qs;
    QTest::newRow("empty store") << Values{} << u"PROVIDER=MSDASQL;DSN=;UID=;PWD=;Database="_qs;
    QTest::newRow("missing DSN with SQL Server driver")
        << Values{{u"Driver"_qs, u"SQL Server"_qs}}
        << u"Driver=SQL Server;DSN=;server=,;UID=;PWD=;Database="_qs;
}

void TestTimeAttendanceConnection::connectionString()
{
    QFETCH(Values, values);
    QFETCH(QString, expected);
    store(values);
    QCOMPARE(buildTimeAttendanceConnectionString(), expected);
}

void TestTimeAttendanceConnection::valuesReadAsWritten_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");

    QTest::newRow("plain") << QByteArray("[General]\nDSN=TimeDb\n") << "DSN"
                           << "TimeDb";
    QTest::newRow("quoted blanks kept") << QByteArray("[General]\nDSN=\" (None) \"\n") << "DSN"
                                        << " (None) ";
    QTest::newRow("unquoted commas") << QByteArray("[General]\nServer=a,b\n") << "Server"
                                     << "a,b";
    QTest::newRow("Thai text") << QByteArray("[General]\nDatabase=\xe0\xb8\x97\xe0\xb8\x94\n") << "Database"
                               << QString::fromUtf8("\xe0\xb8\x97\xe0\xb8\x94");
    QTest::newRow("missing value") << QByteArray("[General]\nDSN=x\n") << "UID"
                                   << "";
    QTest::newRow("other section") << QByteArray("[Other]\nUID=x\n") << "UID"
                                   << "";
}

void TestTimeAttendanceConnection::valuesReadAsWritten()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, name);
    QFETCH(QString, expected);
    const QString dir = m_config->filePath(QStringLiteral("ZUN Vantorel"));
    QVERIFY(QDir().mkpath(dir));
    QVERIFY(TestFiles::write(dir + QStringLiteral("/Configuration Connection Tools.conf"), file));
    QCOMPARE(readRegistryValue(TimeAttendanceSettings::KeyPath + u'\\' + name), expected);
}

void TestTimeAttendanceConnection::otherPathsReadEmpty_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("no value name") << u"HKCU\\SOFTWARE\\ZUN Vantorel\\Configuration Connection Tools"_qs;
    QTest::newRow("unknown hive") << u"HKXX\\SOFTWARE\\ZUN Vantorel\\Configuration Connection Tools\\DSN"_qs;
    QTest::newRow("not under SOFTWARE")
        << u"HKCU\\Other\\ZUN Vantorel\\Configuration Connection Tools\\DSN"_qs;
    QTest::newRow("other application") << u"HKCU\\SOFTWARE\\ZUN Vantorel\\Other Tool\\DSN"_qs;
    QTest::newRow("empty") << QString();
}

void TestTimeAttendanceConnection::otherPathsReadEmpty()
{
    QFETCH(QString, path);
    store({{u"DSN"_qs, u"TimeDb"_qs}});
    QCOMPARE(readRegistryValue(TimeAttendanceSettings::KeyPath + QStringLiteral("\\DSN")), u"TimeDb"_qs);
    QCOMPARE(readRegistryValue(path), QString());
}

void TestTimeAttendanceConnection::storedPassword_data()
{
    QTest::addColumn<QByteArray>("stored"); // code page 874 bytes
    QTest::addColumn<QByteArray>("clear");

    QTest::newRow("empty") << QByteArray() << QByteArray();
    QTest::newRow("key only") << QByteArray("A") << QByteArray();
    QTest::newRow("lowered by the key") << QByteArray("DEF\x03") << QByteArray("ABC");
    QTest::newRow("key zero keeps the text") << QByteArray("abc\x00", 4) << QByteArray("abc");
    QTest::newRow("equal code gives code 0") << QByteArray("BB") << QByteArray("\x00", 1);
    QTest::newRow("below the key wraps by 255") << QByteArray("\x05\x10") << QByteArray("\xf4");
    QTest::newRow("one below the key") << QByteArray("\x0f\x10") << QByteArray("\xfe");
    QTest::newRow("high key") << QByteArray("a\xa1\xfe") << QByteArray("\x62\xa2");
    QTest::newRow("Thai characters") << QByteArray("\xa3\xa4\x02") << QByteArray("\xa1\xa2");
}

void TestTimeAttendanceConnection::storedPassword()
{
    QFETCH(QByteArray, stored);
    QFETCH(QByteArray, clear);
    QCOMPARE(Cp874::encode(decodeStoredPassword(Cp874::decode(stored))), clear);
}

void TestTimeAttendanceConnection::storedPasswordInConnectionString()
{
    store({{u"DSN"_qs, u"TimeDb"_qs}, {u"PWD"_qs, u"tfdsfu\u0001"_qs}, {u"UID"_qs, u"hr"_qs}});
    QCOMPARE(buildTimeAttendanceConnectionString(),
             u"PROVIDER=MSDASQL;DSN=TimeDb;UID=hr;PWD=secret;Database="_qs);
}

// The file as an operator writes it by hand on Linux.
void TestTimeAttendanceConnection::handWrittenFile()
{
    const QString dir = m_config->filePath(QStringLiteral("ZUN Vantorel"));
    QVERIFY(QDir().mkpath(dir));
    QVERIFY(TestFiles::write(dir + QStringLiteral("/Configuration Connection Tools.conf"),
                             "[General]\nDSN=TimeAttendance\nDriver=PostgreSQL Unicode\nServer=192.168.1.20\n"
                             "Port=5432\nUID=hr\nPWD=\"tfdsfu\\x1\"\nDatabase=ta\n"));
    QCOMPARE(buildTimeAttendanceConnectionString(),
             u"PROVIDER=MSDASQL;DSN=TimeAttendance;UID=hr;PWD=secret;Database=ta"_qs);
}

void TestTimeAttendanceConnection::emptyStoreFailsToOpen()
{
    const Outcome opened = openTimeAttendanceDatabase();
    QVERIFY(!opened.ok());
    QVERIFY2(opened.error().contains(QStringLiteral("time-attendance")), qPrintable(opened.error()));
    QVERIFY(!Connections::get(Connections::TimeAttendanceConnection).isOpen());
}

// A server that accepts the connection and never answers: without the login timeout the open
// would wait for ever.
void TestTimeAttendanceConnection::silentServerFailsWithinTimeout()
{
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    QTemporaryDir odbc;
    QVERIFY(TestFiles::write(odbc.filePath(QStringLiteral("odbcinst.ini")),
                             "[PostgreSQL Unicode]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so\n"));
    QVERIFY(TestFiles::write(
        odbc.filePath(QStringLiteral("odbc.ini")),
        QStringLiteral("[SilentTa]\nDriver=PostgreSQL Unicode\nServername=127.0.0.1\nPort=%1\n"
                       "Database=ta\n")
            .arg(silent.serverPort())
            .toUtf8()));
    qputenv("ODBCSYSINI", odbc.path().toUtf8());
    qputenv("ODBCINI", odbc.filePath(QStringLiteral("odbc.ini")).toUtf8());
    store({{u"DSN"_qs, u"SilentTa"_qs}, {u"Driver"_qs, u"PostgreSQL Unicode"_qs}, {u"UID"_qs, u"hr"_qs}});

    QElapsedTimer timer;
    timer.start();
    const Outcome opened = openTimeAttendanceDatabase(2);
    const qint64 elapsed = timer.elapsed();
    qunsetenv("ODBCSYSINI");
    qunsetenv("ODBCINI");
    QVERIFY(!opened.ok());
    // the attempt reached the silent server and waited there (a missing data source fails at
    // once); a hang would show as the test's own timeout
    QVERIFY2(elapsed >= 1500 && elapsed < 60000, qPrintable(QString::number(elapsed)));
    QVERIFY(!Connections::get(Connections::TimeAttendanceConnection).isOpen());
}

QTEST_GUILESS_MAIN(TestTimeAttendanceConnection)
#include "tst_timeattendanceconnection.moc"
