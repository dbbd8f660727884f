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
        addRow("empty line", QByteArray("\nOK\n"), QByteArray(""), QByteArray("OK\n"), false);
        addRow("longest line", full.chopped(1) + '\n', full.chopped(1), QByteArray(), false);
        addRow("one byte too long", full + '\n', QByteArray("-"), full + '\n', true);
        addRow("no lf, full", full, QByteArray("-"), full, true);
        addRow("no lf, not yet full", full.chopped(1), QByteArray("-"), full.chopped(1), false);
    }
    void takeLine()
    {
        auto [buffer, tooLong] = fetchColumns<QByteArray, bool>("buffer", "tooLong");
        bool overlong = !tooLong;
        QTEST(QorProtocol::takeLine(buffer, &overlong).value_or("-"), "line");
        QTEST(buffer, "rest");
        QCOMPARE(overlong, tooLong);
    }

    void hex_data()
    {
        addColumns<QString, QByteArray>({"text", "hex"}); // "-": no text
        addRow("service password", "tarnish", QByteArray("7461726E697368"));
        addRow("every kind of digit", "\n๙", QByteArray("0AF9"));
        addRow("odd count", "-", QByteArray("746"));
        for (const char* bad : {"7G", "/0", ":0", "@0", "`0", "g0"})
            addRow(bad, "-", QByteArray(bad));
    }
    void hex()
    {
        const auto [text, hex] = fetchColumns<QString, QByteArray>("text", "hex");
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
        addRow("ok junk", QByteArray("OK x"), "-");
        addRow("error", QByteArray("ERR 404 no facility 9~"), "0|-|404|no facility 9~");
        addRow("error without text", QByteArray("ERR 999"), "0|-|999|");
        addRow("code beyond three digits", QByteArray("ERR 1000 x"), "-");
        addRow("control byte", QByteArray("ERR 1 \x1f"), "-");
        addRow("delete byte", QByteArray("ERR 1 \x7f"), "-");
        addRow("blank and tilde", QByteArray("ERR 1  ~"), "0|-|1| ~");
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

    void errorLineIsOneShortPrintableLine()
    {
        const QByteArray line = error(DatabaseFailed, u"ข้อ\nline\t~"_qs + QString(2000, u'x'));
        QCOMPARE(line, "ERR 500 ????????? line ~" + QByteArray(MaxLine - 25, 'x') + '\n');
        QCOMPARE(error(NoSuchFacility, {}) + ok() + QorProtocol::ok(7), QByteArray("ERR 404\nOK\nOK 7\n"));
    }

    void connectionStrings()
    {
        const AccessControlLogin plain{u"srv"_qs, {}, u"sa"_qs, u"pw"_qs};
        QCOMPARE(
            buildAccessControlConnectionString(plain),
            u"Provider=SQLOLEDB.1;Password=pw;Persist Security Info=True;User ID=sa;Initial Catalog=QORSQL;"
            "Data Source=srv,"_qs);
        QCOMPARE(buildAccessControlOdbcString(plain, readAccessControlDriver(paths())),
                 u"Driver={FreeTDS};Server=srv;Database=QORSQL;UID=sa;PWD=pw;"_qs);
        const AccessControlLogin odd{u"srv "_qs, u"1433"_qs, u"{a"_qs, u"p}w;"_qs};
        QCOMPARE(buildAccessControlOdbcString(odd, u"A}B"_qs),
                 u"Driver={A}}B};Server={srv };Port=1433;Database=QORSQL;UID={{a};PWD={p}}w;};"_qs);
        QVERIFY(checkAccessControlLogin({u"srv"_qs, {}, {}, {}}) &&
                checkAccessControlLogin({{}, u"1433"_qs, {}, {}}));
        const Outcome neither = connectAccessControl({{}, {}, u"sa"_qs, {}}, paths());
        QVERIFY(neither.error().contains(u"required"_qs) && !QFile::exists(paths().settingsFile()));
    }

    void failedStoresAreReported()
    {
        const QByteArray before = "[text]\r\nIPSQL=old\r\n" + QByteArray(8000, ';');
        QVERIFY(TestFiles::write(paths().settingsFile(), before));
        const AccessControlLogin login{u"srv"_qs, u"1433"_qs, u"sa"_qs, u"pass\u00df"_qs};
        const Outcome refused = storeAccessControlLogin(login, paths());
        QVERIFY2(refused.error().contains(u"cannot be stored"_qs), qPrintable(refused.error()));
        QCOMPARE(connectAccessControl(login, paths()).error(), refused.error()); // before the server is asked
        std::optional<FileSizeLimit> full(4096);
        const Outcome stored =
            storeAccessControlLogin({u"srv"_qs, u"1433"_qs, u"sa"_qs, u"pass"_qs}, paths());
        full.reset();
        QVERIFY2(stored.error().contains(u"could not be remembered"_qs), qPrintable(stored.error()));
        QCOMPARE(TestFiles::read(paths().settingsFile()), before);
    }
};

QTEST_GUILESS_MAIN(TestAccessControl)
#include "tst_accesscontrol.moc"
