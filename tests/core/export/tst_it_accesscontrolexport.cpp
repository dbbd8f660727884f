#include "core/accesscontrol/AccessControlEmployees.h"
#include "core/accesscontrol/AccessControlLogin.h"
#include "core/export/TextExport.h"
#include "core/storage/Connections.h"
#include "fixtures/AccessControlServer.h"
#include "fixtures/TestFiles.h"
#include "fixtures/TestRows.h"

#include <QScopeGuard>
#include <QTemporaryDir>

// The exports from the access-control log RALog on a real PostgreSQL server, through its ODBC driver.
class TestAccessControlExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(m_server.start(), qPrintable(m_server.error()));
        QVERIFY(openAccessControlDatabase(m_server.login(), PostgresServer::driverName()).ok());
    }
    void cleanupTestCase() { Connections::close(Connections::AccessControlConnection); }
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_progress = RunProgress();
        QVERIFY(openLocalDatabase(paths()).ok());
        QVERIFY2(m_server.reset(), qPrintable(m_server.error()));
    }
    void cleanup() { Connections::close(Connections::LocalConnection); }

    void textExport_data()
    {
        // text: RALog.UID as text, with person A12; choices: E the box, R 2024/01/09 alone, F terminal 1,
        // D RALog.Date of the type in the box
        addColumns<bool, QString, QString, QByteArray>({"text", "choices", "box", "file"});
        const QByteArray fifteen = "15,3,1,2024/01/09,08:00:00,1\r\n15,3,1,2024/01/09,17:30:00,2\r\n";
        const QByteArray seven = "7,1,2,2024/01/10,09:15:00,1\r\n";
        addRow("all, paired", false, "", "", fifteen + seven);
        addRow("number column, leading zeros", false, "E", "007, 15", seven + fifteen);
        addRow("text column holding other IDs", true, "E", "7", seven);
        addRow("text column, typed as stored", true, "E", "A12, 015",
               QByteArray("A12,3,1,2024/01/11,07:00:00,1\r\n"));
        addRow("range of whole days", false, "R", "", fifteen);
        addRow("terminal", false, "F", "", seven);
        addRow("no such person: no file", false, "E", "99", QByteArray());
        addRow("text date column, range of whole days", false, "DR", "text", fifteen);
        addRow("date column: at midnight", false, "DF", "date",
               QByteArray("7,1,2,2024/01/10,00:00:00,1\r\n"));
    }
    void textExport()
    {
        const auto [text, choices, box] = fetchColumns<bool, QString, QString>("text", "choices", "box");
        const auto restore = qScopeGuard([this] {
            m_server.exec(u"delete from RALog"_qs);
            m_server.exec(u"alter table RALog alter column UID type int using UID::int"_qs);
            m_server.exec(u"alter table RALog alter column Date type timestamp using Date::timestamp"_qs);
        });
        m_server.addLog(15, 3, 1, u"2024/01/09 17:30:00"_qs, 0); // out of order: the query sorts
        m_server.addLog(15, 3, 1, u"2024/01/09 08:00:00"_qs, 0);
        m_server.addLog(7, 1, 2, u"2024/01/10 09:15:00"_qs, 1);
        if (choices.contains(u'D'))
            QVERIFY(m_server.exec(u"alter table RALog alter column Date type %1 using Date::%1"_qs.arg(box)));
        if (text) {
            QVERIFY(m_server.exec(u"alter table RALog alter column UID type varchar(20)"_qs));
            QVERIFY(m_server.exec(u"insert into RALog values ('A12', 3, 1, '2024-01-11 07:00:00', 1)"_qs));
        }
        const QString output = m_dir->filePath(u"out.txt"_qs);
        const auto lineFor = [](const PunchRecord& r) {
            return QStringList{r.hid, r.fid, r.gid, r.wDate, r.wTime, r.status}.join(u',');
        };
        const Expected<ExportReport> report =
            TextExport(paths(), m_progress)
                .exportAccessControl({{choices.contains(u'E'), box, true, choices.contains(u'R'),
                                       u"2024/01/09"_qs, u"2024/01/09"_qs, choices.contains(u'F'), u"1"_qs},
                                      output},
                                     lineFor);
        QVERIFY2(report.ok(), qPrintable(report.error()));
        QFETCH(QByteArray, file);
        QCOMPARE(report->status,
                 file.isEmpty() ? ExportReport::Status::NoData : ExportReport::Status::Exported);
        QCOMPARE(TestFiles::read(output), file);
        QCOMPARE(QFile::exists(output), !file.isEmpty());
        QVERIFY(!QFile::exists(paths().stagingFile()));
    }
    void persons_data()
    {
        // columns of the person table; listed: its persons, or "refused"
        addColumns<QString, QString>({"columns", "listed"});
        addRow("UID and Name", "UID int, Name varchar(60)", "1024     สมชาย ใจดี|7     Ann");
        addRow("Name first", "Name varchar(60), UID int", "1024     สมชาย ใจดี|7     Ann");
        addRow("no Name", "UID int, Other varchar(60)", "refused");
        addRow("no UID", "Other int, Name varchar(60)", "refused");
    }
    void persons()
    {
        QFETCH(QString, columns);
        const auto restore = qScopeGuard([this] {
            m_server.exec(u"drop table \"User\""_qs);
            m_server.exec(u"create table \"User\" (UID int, Name varchar(60))"_qs);
            m_server.exec(u"grant all on \"User\" to qor"_qs);
        });
        QVERIFY(m_server.exec(u"drop table \"User\""_qs));
        QVERIFY(m_server.exec(u"create table \"User\" (%1)"_qs.arg(columns)));
        QVERIFY(m_server.exec(u"grant all on \"User\" to qor"_qs));
        if (columns.contains(u"UID") && columns.contains(u"Name"))
            QVERIFY(
                m_server.exec(u"insert into \"User\"(UID, Name) values (1024, 'สมชาย ใจดี'), (7, 'Ann')"_qs));
        const Expected<QList<AccessControlPerson>> persons = listAccessControlPersons(accessControl());
        QStringList items;
        for (const AccessControlPerson& p : persons.ok() ? *persons : QList<AccessControlPerson>())
            items << p.item();
        QTEST(persons.ok() ? items.join(u'|') : u"refused"_qs, "listed");
        if (!persons.ok())
            QVERIFY2(persons.error().contains(u"no UID or Name column"_qs), qPrintable(persons.error()));
    }

private:
    AppPaths paths() const { return AppPaths(m_dir->path()); }
    QSqlDatabase accessControl() const { return Connections::get(Connections::AccessControlConnection); }

    AccessControlServer m_server;
    std::unique_ptr<QTemporaryDir> m_dir;
    RunProgress m_progress;
};

QTEST_GUILESS_MAIN(TestAccessControlExport)
#include "tst_it_accesscontrolexport.moc"
