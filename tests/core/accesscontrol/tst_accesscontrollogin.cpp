#include "core/accesscontrol/AccessControlLogin.h"
#include "core/platform/IniFile.h"
#include "fixtures/TestFiles.h"
#include "fixtures/TestRows.h"

#include <QDir>
#include <QTemporaryDir>

class TestAccessControlLogin : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void connectionStrings_data();
    void connectionStrings();
    void hostOrPortRequired_data();
    void hostOrPortRequired();
    void storesInOrderAndReadsBack();
    void failedStoresAreReported();

private:
    AppPaths paths() const { return AppPaths(m_dir->path()); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestAccessControlLogin::connectionStrings_data()
{
    // login: host, port, user and password; provider: the server's own form; odbc: through FreeTDS
    addColumns<QStringList, QString, QString>({"login", "provider", "odbc"});
    addRow("server example", QStringList{u"srv"_qs, u"1433"_qs, u"sa"_qs, {}},
           "Provider=SQLOLEDB.1;Password=;Persist Security Info=True;User ID=sa;Initial Catalog=QORSQL;"
           "Data Source=srv,1433",
           "Driver={FreeTDS};Server=srv;Port=1433;Database=QORSQL;UID=sa;PWD=;");
    addRow("empty port", QStringList{u"srv"_qs, {}, u"sa"_qs, u"pw"_qs},
           "Provider=SQLOLEDB.1;Password=pw;Persist Security Info=True;User ID=sa;Initial Catalog=QORSQL;"
           "Data Source=srv,",
           "Driver={FreeTDS};Server=srv;Database=QORSQL;UID=sa;PWD=pw;");
    addRow("blanks and semicolons", QStringList{u"srv "_qs, u"1433"_qs, u" sa"_qs, u"a;Database=master"_qs},
           "Provider=SQLOLEDB.1;Password=a;Database=master;Persist Security Info=True;User ID= sa;"
           "Initial Catalog=QORSQL;Data Source=srv ,1433",
           "Driver={FreeTDS};Server={srv };Port=1433;Database=QORSQL;UID={ sa};PWD={a;Database=master};");
    addRow("braces", QStringList{u"srv"_qs, u"1433"_qs, u"a{b"_qs, u"p}w"_qs},
           "Provider=SQLOLEDB.1;Password=p}w;Persist Security Info=True;User ID=a{b;Initial Catalog=QORSQL;"
           "Data Source=srv,1433",
           "Driver={FreeTDS};Server=srv;Port=1433;Database=QORSQL;UID={a{b};PWD={p}}w};");
}

void TestAccessControlLogin::connectionStrings()
{
    QFETCH(QStringList, login);
    const AccessControlLogin l{login[0], login[1], login[2], login[3]};
    QTEST(buildAccessControlConnectionString(l), "provider");
    QTEST(buildAccessControlOdbcString(l, readAccessControlDriver(paths())), "odbc");
}

void TestAccessControlLogin::hostOrPortRequired_data()
{
    addColumns<QString, QString, bool>({"host", "port", "accepted"});
    addRow("both empty", "", "", false);
    addRow("host only", "srv", "", true);
    addRow("port only", "", "1433", true);
}

void TestAccessControlLogin::hostOrPortRequired()
{
    QFETCH(QString, host);
    QFETCH(QString, port);
    QFETCH(bool, accepted);
    const Outcome checked = checkAccessControlLogin({host, port, u"sa"_qs, {}});
    QCOMPARE(checked.ok(), accepted);
    if (!accepted) {
        QVERIFY(checked.error().contains(u"required"_qs));
        // the connect step refuses the same way, before it touches anything
        QCOMPARE(connectAccessControl({host, port, {}, {}}, paths()).error(), checked.error());
        QVERIFY(!QFile::exists(paths().settingsFile()));
    }
}

void TestAccessControlLogin::storesInOrderAndReadsBack()
{
    QVERIFY(TestFiles::write(paths().settingsFile(), "[text]\r\nFormatName=Week\r\nDRIVERSQL=Other\r\n"));
    QVERIFY(storeAccessControlLogin({u"srv"_qs, u"1433"_qs, u"sa"_qs, u"abc"_qs}, paths()));
    QCOMPARE(TestFiles::read(paths().settingsFile()),
             QByteArray("[text]\r\nFormatName=Week\r\nDRIVERSQL=Other\r\nIPSQL=srv\r\nPORTSQL=1433\r\n"
                        "USERSQL=sa\r\nPASSSQL=bdf\r\n"));
    const AccessControlLogin back = readAccessControlLogin(paths());
    QCOMPARE(QStringList({back.host, back.port, back.user, back.password}),
             QStringList({u"srv"_qs, u"1433"_qs, u"sa"_qs, u"abc"_qs}));
    QCOMPARE(readAccessControlDriver(paths()), u"Other"_qs);
}

void TestAccessControlLogin::failedStoresAreReported()
{
    const QByteArray before = "[text]\r\nIPSQL=old\r\n";
    QVERIFY(TestFiles::write(paths().settingsFile(), before));
    // a character the code page lacks cannot be stored: nothing is written, nor connected
    AccessControlLogin login{u"srv"_qs, u"1433"_qs, u"sa"_qs, u"pass\u00df"_qs};
    const Outcome stored = storeAccessControlLogin(login, paths());
    QVERIFY2(stored.error().contains(u"cannot be stored"_qs), qPrintable(stored.error()));
    QCOMPARE(connectAccessControl(login, paths()).error(), stored.error());
    QCOMPARE(TestFiles::read(paths().settingsFile()), before);
    // a settings file that cannot be written
    QVERIFY(QFile::remove(paths().settingsFile()) && QDir().mkpath(paths().settingsFile()));
    login.password = u"pass"_qs;
    QVERIFY2(storeAccessControlLogin(login, paths()).error().contains(u"could not be remembered"_qs),
             qPrintable(storeAccessControlLogin(login, paths()).error()));
}

QTEST_GUILESS_MAIN(TestAccessControlLogin)
#include "tst_accesscontrollogin.moc"
