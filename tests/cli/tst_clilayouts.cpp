#include "core/platform/Cp874.h"
#include "fixtures/TestFiles.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// Runs the real tqtool-cli on a temporary data directory.
class TestCliLayouts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void layoutsOnAFreshDirectory();
    void layoutsOnAnEmptyFolder();
    void preview_data();
    void preview();
    void previewReportsHandMadeValues();
    void previewRefusesLayoutBeyondLimits();
    void failures_data();
    void failures();

private:
    struct Run
    {
        int code;
        QString out;
        QString err;
    };
    Run run(const QStringList& args) const;
    QString layoutDir() const { return m_dir.filePath(QStringLiteral("ExportFormat")); }

    QTemporaryDir m_dir;
};

TestCliLayouts::Run TestCliLayouts::run(const QStringList& args) const
{
    QProcess p;
    p.start(QStringLiteral(TQTOOL_CLI_PATH), QStringList{QStringLiteral("--data-dir"), m_dir.path()} + args);
    if (!p.waitForFinished(30000))
        return {-1, {}, QStringLiteral("did not finish")};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

void TestCliLayouts::init()
{
    QVERIFY(m_dir.isValid());
    QDir(layoutDir()).removeRecursively();
}

void TestCliLayouts::layoutsOnAFreshDirectory()
{
    const Run r = run({QStringLiteral("layouts")});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QStringLiteral("Default\nTA_format\n"));
    QVERIFY(QFileInfo(QDir(layoutDir()).filePath(QStringLiteral("Default.ini"))).isFile());
}

void TestCliLayouts::layoutsOnAnEmptyFolder()
{
    QVERIFY(QDir().mkpath(layoutDir()));
    const Run r = run({QStringLiteral("layouts")});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QString());
    QCOMPARE(r.err, QString());
}

void TestCliLayouts::preview_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expected");
    QTest::newRow("Default") << "Default"
                             << "0000001,02,dd/MM/yyyy,HH:mm:ss,01\n";
    QTest::newRow("TA_format") << "TA_format"
                               << "0000001 ddMMyyyy HH:mm 02 0\n";
}

void TestCliLayouts::preview()
{
    QFETCH(QString, name);
    QFETCH(QString, expected);
    const Run r = run({QStringLiteral("preview"), QStringLiteral("--layout"), name});
    QCOMPARE(r.err, QString());
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, expected);
}

void TestCliLayouts::previewReportsHandMadeValues()
{
    QVERIFY(QDir().mkpath(layoutDir()));
    const QString text =
        QStringLiteral("[ZUNDataView]\r\nRows=2\r\nDelimiter=TAB\r\n"
                       "[ZUNData\\ROW\\1]\r\nTextMatrix=Group\r\nFixedWidth=5\r\nAlignmentData=x\r\n"
                       "spData=ศ\r\nFormatDateType=0\r\nFormatTimeType=0\r\n"
                       "[ZUNData\\ROW\\2]\r\nTextMatrix=UID\r\nFixedWidth=14\r\nAlignmentData=2\r\n"
                       "spData=ศ\r\nFormatDateType=0\r\nFormatTimeType=0\r\n");
    QVERIFY(TestFiles::write(QDir(layoutDir()).filePath(QStringLiteral("งาน.ini")), Cp874::encode(text)));
    const Run r = run({QStringLiteral("preview"), QStringLiteral("--layout=งาน")});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, QStringLiteral("03\tศ0000001ศ\n"));
    QVERIFY2(r.err.contains(QStringLiteral("งาน.ini")) && r.err.contains(QStringLiteral("AlignmentData")),
             qPrintable(r.err));
}

void TestCliLayouts::previewRefusesLayoutBeyondLimits()
{
    QVERIFY(QDir().mkpath(layoutDir()));
    QVERIFY(TestFiles::write(
        QDir(layoutDir()).filePath(QStringLiteral("Wide.ini")),
        "[ZUNDataView]\r\nRows=1\r\n[ZUNData\\ROW\\1]\r\nTextMatrix=UID\r\nFixedWidth=30000\r\n"));
    const Run r = run({QStringLiteral("preview"), QStringLiteral("--layout"), QStringLiteral("Wide")});
    QCOMPARE(r.code, 1);
    QCOMPARE(r.out, QString());
    QVERIFY2(r.err.contains(QStringLiteral("Wide.ini")) &&
                 r.err.contains(QStringLiteral("more than the 255")),
             qPrintable(r.err));
}

void TestCliLayouts::failures_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("errPart");
    QTest::newRow("unknown layout") << QStringList{QStringLiteral("preview"), QStringLiteral("--layout"),
                                                   QStringLiteral("Nope")}
                                    << 1 << "Nope";
    QTest::newRow("no layout option") << QStringList{QStringLiteral("preview")} << 2 << "usage";
    QTest::newRow("layout without a value")
        << QStringList{QStringLiteral("preview"), QStringLiteral("--layout")} << 2 << "usage";
    QTest::newRow("extra argument") << QStringList{QStringLiteral("layouts"), QStringLiteral("x")} << 2
                                    << "usage";
}

void TestCliLayouts::failures()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, errPart);
    const Run r = run(args);
    QCOMPARE(r.code, code);
    QCOMPARE(r.out, QString());
    QVERIFY2(r.err.contains(errPart), qPrintable(r.err));
}

QTEST_GUILESS_MAIN(TestCliLayouts)
#include "tst_clilayouts.moc"
