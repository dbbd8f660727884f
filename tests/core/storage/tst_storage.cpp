#include "core/platform/AppPaths.h"
#include "core/platform/Cp874.h"
#include "core/storage/Connections.h"
#include "core/storage/TimeAttendanceConnection.h"
#include "fixtures/TestFiles.h"
#include "fixtures/TestRows.h"

#include <QSettings>
#include <QTemporaryDir>

using Values = QMap<QString, QString>;

// The local database, and the time-attendance connection, its settings in a temporary store.
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
        // names match without regard to case, values are bound, and opening again keeps the rows
        const AppPaths paths(m_config->path());
        const auto db = [] {
            return Connections::get(Connections::LocalConnection);
        };
        QVERIFY(openLocalDatabase(paths).ok());
        const QString hostile = u"1'); drop table tblexport; --"_qs;
        QVERIFY(executeStatement(db(), u"Insert into TBLEXPORT values(?,?,?,?,?,?)"_qs,
                                 {hostile, u"1"_qs, u"0"_qs, u"2010/05/07"_qs, u"08:03:09"_qs, u"0"_qs})
                    .ok());
        QVERIFY(openLocalDatabase(paths).ok());
        Expected<QSqlQuery> q =
            executeStatement(db(), u"select wDate||wTime from tblexport where HID = ?"_qs, {hostile});
        QVERIFY(q.ok() && q->next() && q->value(0).toString() == u"2010/05/0708:03:09" && !q->next());
        QVERIFY(executeStatement(db(), u"select * from tblMissing"_qs)
                    .error()
                    .endsWith(u"\nStatement: select * from tblMissing"_qs));
        Connections::close(Connections::LocalConnection);
        QCOMPARE(executeStatement(db(), u"select 1"_qs).error(),
                 u"The database connection is not open.\nStatement: select 1"_qs);
        // a file that is no database, and a folder that is missing
        QVERIFY(TestFiles::write(paths.localDatabase(), QByteArray(4096, 'x')));
        QVERIFY(openLocalDatabase(paths).error().contains(paths.localDatabase()));
        QVERIFY(
            openLocalDatabase(AppPaths(u"/nonexistent-tq-dir/sub"_qs))
                .error()
                .startsWith(
                    u"Cannot create the local database /nonexistent-tq-dir/sub/dataexport.db: the folder /nonexistent-tq-dir/sub is missing or not writable."_qs));
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
    void openFailsWithTheDriversWords()
    {
        const Outcome empty = openTimeAttendanceDatabase();
        QVERIFY2(empty.error().startsWith(
                     u"Cannot connect to the time-attendance database. Cannot connect through ODBC: "_qs),
                 qPrintable(empty.error()));
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
