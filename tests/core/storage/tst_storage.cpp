#include "core/platform/AppPaths.h"
#include "core/platform/Cp874.h"
#include "core/storage/Connections.h"
#include "core/storage/OdbcConnector.h"
#include "core/storage/TimeAttendanceConnection.h"
#include "fixtures/TestFiles.h"
#include "fixtures/TestRows.h"

#include <QSettings>
#include <QTemporaryDir>

using Values = QMap<QString, QString>;

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
    void localDatabaseFailures()
    {
        const AppPaths paths(m_config->path());
        QVERIFY(openLocalDatabase(paths).ok());
        const QSqlDatabase db = Connections::get(Connections::LocalConnection);
        QVERIFY(executeStatement(db, u"select * from tblMissing"_qs)
                    .error()
                    .endsWith(u"\nStatement: select * from tblMissing"_qs));
        for (const QSqlDatabase& closed :
             {QSqlDatabase(), QSqlDatabase::addDatabase(u"QSQLITE"_qs, u"unopened"_qs)})
            QCOMPARE(executeStatement(closed, u"select 1"_qs).error(),
                     u"The database connection is not open.\nStatement: select 1"_qs);
        QVERIFY(TestFiles::write(paths.localDatabase(), QByteArray(4096, 'x')));
        QVERIFY(openLocalDatabase(paths).error().contains(paths.localDatabase()));
        QVERIFY(
            openLocalDatabase(AppPaths(u"/nonexistent-tq-dir/sub"_qs))
                .error()
                .startsWith(
                    u"Cannot create the local database /nonexistent-tq-dir/sub/dataexport.db: the folder /nonexistent-tq-dir/sub is missing"_qs));
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
    void driverManagerString_data()
    {
        addColumns<QString, QString>({"connection", "databaseName"}); // what QODBC is given
        addRow("bridge and data source", "provider=msdasql;DSN=x;UID=;Database=", "x;UID=;Database=");
        addRow("bridge only at the start", "DSN=x;PROVIDER=MSDASQL;", "x;PROVIDER=MSDASQL;");
        addRow("driver passed through", "PROVIDER=MSDASQL;Driver=SQL Server;DSN=x",
               "Driver=SQL Server;DSN=x");
        addRow("server passed through", "DSN=x;Server=h", "DSN=x;Server=h");
    }
    void driverManagerString()
    {
        QFETCH(QString, connection);
        QTEST(OdbcConnector::qodbcDatabaseName(OdbcConnector::driverConnectionString(connection)),
              "databaseName");
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
