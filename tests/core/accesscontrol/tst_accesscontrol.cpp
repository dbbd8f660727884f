#include "core/accesscontrol/AccessControlLogin.h"
#include "core/accesscontrol/QorProtocol.h"
#include "core/platform/IniFile.h"
#include "fixtures/FileSizeLimit.h"
#include "fixtures/TestFiles.h"
#include "fixtures/TestRows.h"

#include <QDir>
#include <QTemporaryDir>

using namespace QorProtocol;

// The access-control service's line protocol and the server login kept in the settings file.
class TestAccessControl : public QObject
{
    Q_OBJECT

    AppPaths paths() const { return AppPaths(m_dir->path()); }
    std::unique_ptr<QTemporaryDir> m_dir;

private Q_SLOTS:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void takeLine_data()
    {
        addColumns<QByteArray, QByteArray, QByteArray, bool>(
            {"buffer", "line", "rest", "tooLong"}); // "-": none
        const QByteArray full(MaxLine, 'a');
        addRow("lf", QByteArray("OK\nQOR"), QByteArray("OK"), QByteArray("QOR"), false);
        addRow("crlf", QByteArray("OK 3\r\n"), QByteArray("OK 3"), QByteArray(), false);
        addRow("cr inside", QByteArray("O\rK\n"), QByteArray("O\rK"), QByteArray(), false);
        addRow("partial", QByteArray("OK 3"), QByteArray("-"), QByteArray("OK 3"), false);
        addRow("longest line", full.chopped(1) + '\n', full.chopped(1), QByteArray(), false);
        addRow("one byte too long", full + '\n', QByteArray("-"), full + '\n', true);
        addRow("no lf, full", full, QByteArray("-"), full, true);
        addRow("no lf, not yet full", full.chopped(1), QByteArray("-"), full.chopped(1), false);
    }
    void takeLine()
    {
        QFETCH(QByteArray, buffer);
        QFETCH(bool, tooLong);
        bool overlong = !tooLong;
        QTEST(QorProtocol::takeLine(buffer, &overlong).value_or("-"), "line");
        QTEST(buffer, "rest");
        QCOMPARE(overlong, tooLong);
    }

    void numbers_data()
    {
        addColumns<QByteArray, quint32, qint64>({"word", "max", "value"}); // -1: refused
        addRow("zero", QByteArray("0"), 255u, qint64(0));
        addRow("max", QByteArray("255"), 255u, qint64(255));
        addRow("over max", QByteArray("256"), 255u, qint64(-1));
        addRow("sign", QByteArray("-1"), 255u, qint64(-1));
        addRow("letter after digit", QByteArray("1:"), 255u, qint64(-1));
        addRow("empty", QByteArray(), 255u, qint64(-1));
        addRow("leading zeros", QByteArray("007"), 255u, qint64(7));
        addRow("ten digits", QByteArray("4294967295"), 0xFFFFFFFFu, qint64(4294967295));
        addRow("beyond 32 bits", QByteArray("4294967296"), 0xFFFFFFFFu, qint64(-1));
        addRow("eleven digits", QByteArray("00000000001"), 0xFFFFFFFFu, qint64(-1));
    }
    void numbers()
    {
        QFETCH(QByteArray, word);
        QFETCH(quint32, max);
        const std::optional<quint32> n = number(word, max);
        QTEST(n ? qint64(*n) : qint64(-1), "value");
    }

    void hex_data()
    {
        addColumns<QString, QByteArray>({"text", "hex"}); // "-": no text
        addRow("service password", "tarnish", QByteArray("7461726E697368"));
        addRow("empty", "", QByteArray());
        addRow("every kind of digit", "\n๙", QByteArray("0AF9"));
        addRow("odd count", "-", QByteArray("746"));
        for (const char* bad : {"7G", "/0", ":0", "@0", "`0", "g0"})
            addRow(bad, "-", QByteArray(bad));
    }
    void hex()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, hex);
        if (text == u"-") {
            QVERIFY(!fromHex(hex));
            return;
        }
        QCOMPARE(toHex(text), hex);
        QCOMPARE(fromHex(hex.toLower()), std::optional<QString>(text));
    }

    void answers_data()
    {
        addColumns<QByteArray, QString>({"line", "answer"}); // ok|count|code|text, "-": no answer
        addRow("ok", QByteArray("OK"), "1|-|0|");
        addRow("ok count", QByteArray("OK 12"), "1|12|0|");
        addRow("ok junk", QByteArray("OK x"), "-");
        addRow("error", QByteArray("ERR 404 no facility 9~"), "0|-|404|no facility 9~");
        addRow("error without text", QByteArray("ERR 999"), "0|-|999|");
        addRow("code beyond three digits", QByteArray("ERR 1000 x"), "-");
        addRow("error bad code", QByteArray("ERR x y"), "-");
        addRow("control byte", QByteArray("OK\x1f"), "-");
        addRow("delete byte", QByteArray("OK\x7f"), "-");
        addRow("blank and tilde", QByteArray("ERR 1  ~"), "0|-|1| ~");
        addRow("greeting", QByteArray("QOR 1"), "-");
    }
    void answers()
    {
        QFETCH(QByteArray, line);
        const std::optional<Answer> a = parseAnswer(line);
        QTEST(a ? u"%1|%2|%3|%4"_qs.arg(int(a->ok))
                      .arg(a->count ? QString::number(*a->count) : u"-"_qs)
                      .arg(a->code)
                      .arg(a->text)
                : u"-"_qs,
              "answer");
    }

    void answerLines()
    {
        QCOMPARE(ok(), QByteArray("OK\n"));
        QCOMPARE(QorProtocol::ok(7), QByteArray("OK 7\n"));
        QCOMPARE(error(NoSuchFacility, {}), QByteArray("ERR 404\n"));
        const QByteArray line = error(DatabaseFailed, u"ข้อผิดพลาด\nsecond line\t"_qs + QString(2000, u'x'));
        QVERIFY(line.endsWith('\n') && line.count('\n') == 1);
        QCOMPARE(line.size(), MaxLine);
        QVERIFY(isPrintable(line.chopped(1)));
        QVERIFY(line.startsWith("ERR 500 ?"));
        QCOMPARE(words("PULL 1 0"), (QList<QByteArray>{"PULL", "1", "0"}));
    }

    void connectionStrings_data()
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
        addRow("blanks and semicolons",
               QStringList{u"srv "_qs, u"1433"_qs, u" sa"_qs, u"a;Database=master"_qs},
               "Provider=SQLOLEDB.1;Password=a;Database=master;Persist Security Info=True;User ID= sa;"
               "Initial Catalog=QORSQL;Data Source=srv ,1433",
               "Driver={FreeTDS};Server={srv };Port=1433;Database=QORSQL;UID={ sa};PWD={a;Database=master};");
        addRow(
            "braces", QStringList{u"srv"_qs, u"1433"_qs, u"a{b"_qs, u"p}w"_qs},
            "Provider=SQLOLEDB.1;Password=p}w;Persist Security Info=True;User ID=a{b;Initial Catalog=QORSQL;"
            "Data Source=srv,1433",
            "Driver={FreeTDS};Server=srv;Port=1433;Database=QORSQL;UID={a{b};PWD={p}}w};");
    }
    void connectionStrings()
    {
        QFETCH(QStringList, login);
        const AccessControlLogin l{login[0], login[1], login[2], login[3]};
        QTEST(buildAccessControlConnectionString(l), "provider");
        QTEST(buildAccessControlOdbcString(l, readAccessControlDriver(paths())), "odbc");
        QCOMPARE(buildAccessControlOdbcString(l, u"A}B"_qs).left(14), u"Driver={A}}B};"_qs);
    }

    void hostOrPortRequired_data()
    {
        addColumns<QString, QString, bool>({"host", "port", "accepted"});
        addRow("both empty", "", "", false);
        addRow("host only", "srv", "", true);
        addRow("port only", "", "1433", true);
    }
    void hostOrPortRequired()
    {
        QFETCH(QString, host);
        QFETCH(QString, port);
        QFETCH(bool, accepted);
        const Outcome checked = checkAccessControlLogin({host, port, u"sa"_qs, {}});
        QCOMPARE(checked.ok(), accepted);
        if (!accepted) {
            QVERIFY(checked.error().contains(u"required"_qs));
            QCOMPARE(connectAccessControl({host, port, {}, {}}, paths()).error(), checked.error());
            QVERIFY(!QFile::exists(paths().settingsFile()));
        }
    }

    void storesInOrderAndReadsBack()
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

    void failedStoresAreReported_data()
    {
        addColumns<QString, QString>({"password", "failure"}); // password "full": on a full file system
        addRow("outside the code page", u"pass\u00df"_qs, "cannot be stored");
        addRow("full file system", "full", "could not be remembered");
        addRow("settings file is a folder", "folder", "could not be remembered");
    }
    void failedStoresAreReported()
    {
        QFETCH(QString, password);
        const QByteArray before = "[text]\r\nIPSQL=old\r\n" + QByteArray(8000, ';');
        QVERIFY(TestFiles::write(paths().settingsFile(), before));
        if (password == u"folder")
            QVERIFY(QFile::remove(paths().settingsFile()) && QDir().mkpath(paths().settingsFile()));
        const AccessControlLogin login{u"srv"_qs, u"1433"_qs, u"sa"_qs, password};
        std::optional<FileSizeLimit> full;
        if (password == u"full")
            full.emplace(4096);
        const Outcome stored = storeAccessControlLogin(login, paths());
        full.reset();
        QFETCH(QString, failure);
        QVERIFY2(stored.error().contains(failure), qPrintable(stored.error()));
        if (password != u"folder")
            QCOMPARE(TestFiles::read(paths().settingsFile()), before);
        if (password != u"full" && password != u"folder") // refused before the server is asked
            QCOMPARE(connectAccessControl(login, paths()).error(), stored.error());
    }
};

QTEST_GUILESS_MAIN(TestAccessControl)
#include "tst_accesscontrol.moc"
