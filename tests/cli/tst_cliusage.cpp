#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The command line's help, version and usage errors, from the real tqtool-cli.
class TestCliUsage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void help_data();
    void help();
    void usageErrors_data();
    void usageErrors();
    void valueMayStartWithDash();

private:
    struct Run
    {
        int code = -1;
        QString out;
        QString err;
    };
    Run run(const QStringList& args);
    QTemporaryDir m_dir;
};

TestCliUsage::Run TestCliUsage::run(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(TQTOOL_CLI_PATH), QStringList{QStringLiteral("--data-dir"), m_dir.path()} + args);
    Run r;
    if (!p.waitForFinished(30000))
        return r;
    r.code = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

void TestCliUsage::help_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("parts");
    const QStringList commands = {u"settings-get"_qs, u"settings-set"_qs, u"import"_qs,  u"download"_qs,
                                  u"sync"_qs,         u"layouts"_qs,      u"preview"_qs, u"export"_qs,
                                  u"export-ta"_qs,    u"Exit status"_qs};
    QTest::newRow("--help") << QStringList{u"--help"_qs} << commands;
    QTest::newRow("-h") << QStringList{u"-h"_qs} << commands;
    const QStringList accessControl = {u"--source local|qor"_qs,       u"--pull keep|delete|none"_qs,
                                       u"--qor-host HOST"_qs,          u"--qor-port PORT"_qs,
                                       u"--qor-user LOGIN"_qs,         u"--qor-password PASSWORD"_qs,
                                       u"--qor-driver ODBC-DRIVER"_qs, u"--service-port N"_qs,
                                       u"(default: keep)"_qs,          u"--quiet"_qs};
    QTest::newRow("export") << QStringList{u"export"_qs, u"--help"_qs}
                            << accessControl + QStringList{u"--output FILE"_qs, u"(default: raw)"_qs};
    QTest::newRow("export-ta") << QStringList{u"export-ta"_qs, u"-h"_qs}
                               << accessControl + QStringList{u"--ta-connection ODBC"_qs};
    QTest::newRow("download") << QStringList{u"download"_qs, u"--help"_qs}
                              << QStringList{u"--ip IP"_qs, u"(default: 5001)"_qs, u"--erase"_qs};
    QTest::newRow("sync") << QStringList{u"sync"_qs, u"--help"_qs}
                          << QStringList{u"--terminals FILE"_qs, u"--export-ta"_qs, u"--days N"_qs};
    QTest::newRow("version") << QStringList{u"--version"_qs}
                             << QStringList{QStringLiteral("tqtool-cli %1.%2.%3\n")
                                                .arg(TQTOOL_VERSION_MAJOR)
                                                .arg(TQTOOL_VERSION_MINOR)
                                                .arg(TQTOOL_VERSION_PATCH)};
}

void TestCliUsage::help()
{
    QFETCH(QStringList, args);
    QFETCH(QStringList, parts);
    const Run r = run(args);
    QCOMPARE(r.code, 0);
    QCOMPARE(r.err, QString());
    for (const QString& part : parts)
        QVERIFY2(r.out.simplified().contains(part.simplified()),
                 qPrintable(part + u" missing in:\n"_qs + r.out));
    for (const QString& line : r.out.split(u'\n'))
        QVERIFY2(line.size() <= 79, qPrintable(line));
}

void TestCliUsage::usageErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown option") << QStringList{u"download"_qs, u"--bogus"_qs} << u"bogus"_qs;
    QTest::newRow("missing value") << QStringList{u"download"_qs, u"--ip"_qs} << u"--ip"_qs;
    QTest::newRow("unknown program option") << QStringList{u"--bogus"_qs, u"layouts"_qs} << u"bogus"_qs;
    QTest::newRow("unknown command") << QStringList{u"frobnicate"_qs} << u"Unknown command: frobnicate"_qs;
    QTest::newRow("no command") << QStringList{} << u"usage:"_qs;
    QTest::newRow("sync without file") << QStringList{u"sync"_qs} << u"--terminals is missing"_qs;
    QTest::newRow("days without export")
        << QStringList{u"sync"_qs, u"--terminals"_qs, u"t"_qs, u"--days"_qs, u"3"_qs}
        << u"go with --export-ta"_qs;
    QTest::newRow("days and dates") << QStringList{u"sync"_qs,        u"--terminals"_qs, u"t"_qs,
                                                   u"--export-ta"_qs, u"--days"_qs,      u"2"_qs,
                                                   u"--from"_qs,      u"2024/01/01"_qs,  u"--to"_qs,
                                                   u"2024/01/02"_qs}
                                    << u"either --days"_qs;
    QTest::newRow("negative days") << QStringList{u"sync"_qs, u"--terminals"_qs, u"t"_qs, u"--export-ta"_qs,
                                                  u"--days=-1"_qs}
                                   << u"--days takes"_qs;
}

void TestCliUsage::usageErrors()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    const Run r = run(args);
    QCOMPARE(r.code, 2);
    QCOMPARE(r.out, QString());
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
}

void TestCliUsage::valueMayStartWithDash()
{
    QCOMPARE(run({u"settings-set"_qs, u"Offset"_qs, u"-5"_qs}).code, 0);
    QCOMPARE(run({u"settings-get"_qs, u"Offset"_qs}).out, u"-5\n"_qs);
}

QTEST_GUILESS_MAIN(TestCliUsage)
#include "tst_cliusage.moc"
