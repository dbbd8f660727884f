#include "core/platform/AppPaths.h"
#include "core/platform/Cp874.h"
#include "core/platform/RegistryStore.h"
#include "core/storage/Connections.h"
#include "core/storage/OdbcConnector.h"
#include "core/storage/TimeAttendanceConnection.h"
#include "fixtures/TestFiles.h"
#include "fixtures/TestRows.h"

#include <QDir>
#include <QSettings>
#include <QTcpServer>
#include <QTemporaryDir>

using Values = QMap<QString, QString>;

// The local database, and the connection to the time-attendance database whose settings live in a
// temporary store for every test, never in the user's own configuration directory.
class TestStorage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_config = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_config->path());
    }
    void cleanup()
    {
        Connections::close(Connections::LocalConnection);
        Connections::close(Connections::TimeAttendanceConnection);
    }
    void localDatabase()
    {
        const AppPaths paths(m_config->path());
        QVERIFY(openLocalDatabase(paths).ok());
        // names match without regard to case, values are bound, and opening again keeps the rows
        const QString hostile = u"1'); drop table tblexport; --"_qs;
        for (const char* table : {"tblExport", "TBLEXPORT1"})
            QVERIFY(executeStatement(Connections::get(Connections::LocalConnection),
                                     u"Insert into %1 values(?,?,?,?,?,?)"_qs.arg(QLatin1String(table)),
                                     {hostile, u"1"_qs, u"0"_qs, u"2010/05/07"_qs, u"08:03:09"_qs, u"0"_qs})
                        .ok());
        QVERIFY(openLocalDatabase(paths).ok());
        for (const char* table : {"tblexport", "tblExport1"}) {
            Expected<QSqlQuery> q = executeStatement(
                Connections::get(Connections::LocalConnection),
                u"select wDate||wTime from %1 where HID = ?"_qs.arg(QLatin1String(table)), {hostile});
            QVERIFY2(q.ok() && q->next() && q->value(0).toString() == u"2010/05/0708:03:09", table);
            QVERIFY(!q->next());
        }
        const Expected<QSqlQuery> bad =
            executeStatement(Connections::get(Connections::LocalConnection), u"select * from tblMissing"_qs);
        QVERIFY2(bad.error().contains(u"tblMissing"_qs) &&
                     bad.error().endsWith(u"\nStatement: select * from tblMissing"_qs),
                 qPrintable(bad.error()));
        Connections::close(Connections::LocalConnection);
        QVERIFY(!Connections::get(Connections::LocalConnection).isValid());
        QCOMPARE(executeStatement(QSqlDatabase(), u"select 1"_qs).error(),
                 u"The database connection is not open.\nStatement: select 1"_qs);
        // a file that is no database, and a folder that is missing
        QVERIFY(TestFiles::write(paths.localDatabase(), QByteArray(4096, 'x')));
        QVERIFY(openLocalDatabase(paths).error().contains(paths.localDatabase()));
        QVERIFY(openLocalDatabase(AppPaths(u"/nonexistent-tq-dir/sub"_qs))
                    .error()
                    .startsWith(
                        u"Cannot create the local database /nonexistent-tq-dir/sub/dataexport.db: the folder "
                        "/nonexistent-tq-dir/sub is missing or not writable."_qs));
    }
    void connectionString_data()
    {
        addColumns<Values, QString>({"values", "expected"});
        const auto values = [](const QString& dsn, const QString& driver,
                               const QString& server = u"host"_qs) {
            return Values{{u"DSN"_qs, dsn},         {u"Driver"_qs, driver}, {u"Server"_qs, server},
                          {u"Port"_qs, u"1433"_qs}, {u"UID"_qs, u"sa"_qs},  {u"Database"_qs, u"db"_qs}};
        };
        addRow("data source and SQL Server driver", values(u"MyDsn"_qs, u"SQL Server"_qs),
               "Driver=SQL Server;DSN=MyDsn;server=host,1433;UID=sa;PWD=;Database=db");
        addRow("driver name compared with case", values(u"MyDsn"_qs, u"sql server"_qs),
               "PROVIDER=MSDASQL;DSN=MyDsn;UID=sa;PWD=;Database=db");
        addRow("(None) with blanks: driver and server", values(u" (None) "_qs, u"SQL Server"_qs),
               "PROVIDER=MSDASQL;Driver=SQL Server;Server=host;UID=sa;PWD=;Database=db");
        addRow("values inserted untrimmed", values(u" MyDsn "_qs, u"SQL Server"_qs, u" h "_qs),
               "Driver=SQL Server;DSN= MyDsn ;server= h ,1433;UID=sa;PWD=;Database=db");
        addRow("empty store", Values{}, "PROVIDER=MSDASQL;DSN=;UID=;PWD=;Database=");
    }
    void connectionString()
    {
        QFETCH(Values, values);
        store(values);
        QTEST(buildTimeAttendanceConnectionString(), "expected");
    }
    void storedPassword_data()
    {
        addColumns<QByteArray, QByteArray>({"stored", "clear"}); // code page 874 bytes
        addRow("empty", QByteArray(), QByteArray());
        addRow("key only", QByteArray("A"), QByteArray());
        addRow("lowered by the key", QByteArray("DEF\x03"), QByteArray("ABC"));
        addRow("key zero", QByteArray("abc\x00", 4), QByteArray("abc"));
        addRow("equal code gives code 0", QByteArray("BB"), QByteArray("\x00", 1));
        addRow("below the key wraps by 255", QByteArray("\x05\x10"), QByteArray("\xf4"));
        addRow("Thai by their code page codes", QByteArray("\xa3\xa4\x02"), QByteArray("\xa1\xa2"));
    }
    void storedPassword()
    {
        QFETCH(QByteArray, stored);
        QTEST(Cp874::encode(decodeStoredPassword(Cp874::decode(stored))), "clear");
        QCOMPARE(decodeStoredPassword(u"\u00df\u0001"_qs),
                 u">"_qs); // a character the code page lacks counts as '?'
    }
    void handWrittenSettings()
    {
        // quoted blanks kept, a comma in a value, a scrambled password with a control character
        const QString dir = m_config->filePath(u"ZUN Vantorel"_qs);
        QVERIFY(QDir().mkpath(dir));
        QVERIFY(TestFiles::write(
            dir + u"/Configuration Connection Tools.conf"_qs,
            "[General]\nDSN=\" (None) \"\nDriver=PostgreSQL Unicode\nServer=192.168.1.20,5432\n"
            "UID=hr\nPWD=\"tfdsfu\\x1\"\nDatabase=ta\n[Other]\nPort=1\n"));
        QCOMPARE(
            buildTimeAttendanceConnectionString(),
            u"PROVIDER=MSDASQL;Driver=PostgreSQL Unicode;Server=192.168.1.20,5432;UID=hr;PWD=secret;Database=ta"_qs);
        for (const QString& path : {u"HKCU\\SOFTWARE\\ZUN Vantorel\\Configuration Connection Tools"_qs,
                                    u"HKXX\\SOFTWARE\\ZUN Vantorel\\Configuration Connection Tools\\UID"_qs,
                                    u"HKCU\\Other\\ZUN Vantorel\\Configuration Connection Tools\\UID"_qs})
            QVERIFY2(readRegistryValue(path).isEmpty(),
                     qPrintable(path)); // only the program's own key is read
    }
    void driverManagerString_data()
    {
        addColumns<QString, QString>({"connection", "databaseName"}); // what QODBC is given
        addRow("bridge and data source", "PROVIDER=MSDASQL;DSN=x;UID=;Database=", "x;UID=;Database=");
        addRow("bridge in any case", "provider=msdasql;Driver=FreeTDS", "Driver=FreeTDS");
        addRow("bridge only at the start", "DSN=x;PROVIDER=MSDASQL;", "x;PROVIDER=MSDASQL;");
        addRow("driver passed through", "Driver=SQL Server;DSN=x;server=h,1",
               "Driver=SQL Server;DSN=x;server=h,1");
        addRow("server passed through", "DSN=x;Server=h", "DSN=x;Server=h");
    }
    void driverManagerString()
    {
        QFETCH(QString, connection);
        QTEST(OdbcConnector::qodbcDatabaseName(OdbcConnector::driverConnectionString(connection)),
              "databaseName");
    }
    void openFailsWithTheDriversWords()
    {
        const Outcome empty = openTimeAttendanceDatabase();
        QVERIFY2(empty.error().startsWith(
                     u"Cannot connect to the time-attendance database. Cannot connect through ODBC: "_qs),
                 qPrintable(empty.error()));
        QVERIFY(!Connections::get(Connections::TimeAttendanceConnection).isOpen());
        // a server that accepts the connection and never answers: the login timeout ends the wait
        QTcpServer silent;
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        QVERIFY(
            TestFiles::write(m_config->filePath(u"odbcinst.ini"_qs),
                             "[PostgreSQL Unicode]\nDriver=/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so\n"));
        QVERIFY(TestFiles::write(
            m_config->filePath(u"odbc.ini"_qs),
            u"[SilentTa]\nDriver=PostgreSQL Unicode\nServername=127.0.0.1\nPort=%1\nDatabase=ta\n"_qs
                .arg(silent.serverPort())
                .toUtf8()));
        qputenv("ODBCSYSINI", m_config->path().toUtf8());
        qputenv("ODBCINI", m_config->filePath(u"odbc.ini"_qs).toUtf8());
        store({{u"DSN"_qs, u"SilentTa"_qs}, {u"Driver"_qs, u"PostgreSQL Unicode"_qs}, {u"UID"_qs, u"hr"_qs}});
        const Outcome opened = openTimeAttendanceDatabase(1);
        qunsetenv("ODBCSYSINI");
        qunsetenv("ODBCINI");
        QVERIFY(!opened.ok());
        QVERIFY(silent.waitForNewConnection(1000)); // the attempt reached the server and waited there
        QVERIFY(!Connections::get(Connections::TimeAttendanceConnection).isOpen());
    }

private:
    void store(const Values& values)
    {
        QSettings settings(QSettings::NativeFormat, QSettings::UserScope, u"ZUN Vantorel"_qs,
                           u"Configuration Connection Tools"_qs);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            settings.setValue(it.key(), it.value());
    }

    std::unique_ptr<QTemporaryDir> m_config;
};

QTEST_GUILESS_MAIN(TestStorage)
#include "tst_storage.moc"
