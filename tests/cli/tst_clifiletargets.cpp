#include "core/layouts/LayoutFile.h"
#include "core/platform/AppPaths.h"
#include "core/storage/Connections.h"
#include "core/terminal/LogConversion.h"
#include "core/terminal/LogRecord.h"
#include "fixtures/TestFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>

// tqtool-cli given the program's own files, special files and paths where names belong: each is
// refused with a message and a non-zero exit, and no file is replaced.
class TestCliFileTargets : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void exportRefusesOutput_data();
    void exportRefusesOutput();
    void importRefusesSpecialFiles_data();
    void importRefusesSpecialFiles();
    void layoutNameIsNoPath_data();
    void layoutNameIsNoPath();
    void settingsMustReadBack_data();
    void settingsMustReadBack();

private:
    struct Run
    {
        int code = -1;
        QString out;
        QString err;
    };
    Run cli(const QStringList& args) const;
    // Every regular file under the folder with its bytes.
    QHash<QString, QByteArray> files() const;
    QString path(const QString& name) const { return m_dir->filePath(name); }
    // A named pipe or a device node (the one of /dev/null) at name; 0 when it was made.
    int makeSpecial(const QString& kind, const QString& name) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    AppPaths paths() const { return AppPaths(path(QStringLiteral("data"))); }
};

void TestCliFileTargets::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    const AppPaths p = paths();
    QVERIFY(QDir().mkpath(p.dataDir()));
    QVERIFY(TestFiles::write(p.logFile(), generateLog(5, 2) + QByteArray(1, '\0')));
    QVERIFY(openLocalDatabase(p).ok());
    QVERIFY(convertLogToDatabase(p.logFile(), Connections::get(Connections::LocalConnection)).ok());
    Connections::close(Connections::LocalConnection);
    QVERIFY(TestFiles::write(p.settingsFile(), "[text]\r\nFormatName=Default\r\nIP=10.0.0.5\r\n"));
    QVERIFY(ensureExportFormatDir(p).ok());
    QVERIFY(TestFiles::write(path(QStringLiteral("own.ini")), shippedLayout(QStringLiteral("Default"))));
    QVERIFY(TestFiles::write(path(QStringLiteral("outside.ini")), shippedLayout(QStringLiteral("Default"))));
}

TestCliFileTargets::Run TestCliFileTargets::cli(const QStringList& args) const
{
    QProcess p;
    p.start(QStringLiteral(TQTOOL_CLI_PATH),
            QStringList{QStringLiteral("--data-dir"), paths().dataDir()} + args);
    Run r;
    if (!p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.code = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QHash<QString, QByteArray> TestCliFileTargets::files() const
{
    QHash<QString, QByteArray> all;
    QDirIterator it(m_dir->path(), QDir::Files | QDir::System | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        all.insert(file, QFileInfo(file).isFile() ? TestFiles::read(file) : QByteArray("special"));
    }
    return all;
}

int TestCliFileTargets::makeSpecial(const QString& kind, const QString& name) const
{
    const QByteArray file = QFile::encodeName(path(name));
    if (kind == u"fifo")
        return ::mkfifo(file.constData(), 0600);
    return ::mknod(file.constData(), S_IFCHR | 0600, makedev(1, 3));
}

void TestCliFileTargets::exportRefusesOutput_data()
{
    QTest::addColumn<QString>("output"); // in the temporary folder
    QTest::addColumn<QString>("special");
    QTest::addColumn<QString>("reason");
    QTest::newRow("local database") << "data/dataexport.db"
                                    << ""
                                    << "it is the local database";
    QTest::newRow("link to the local database") << "db-link"
                                                << ""
                                                << "it is the local database";
    QTest::newRow("staging file") << "data/ZUN.BAK"
                                  << ""
                                  << "staging file";
    QTest::newRow("settings file") << "data/DefFMT.txt"
                                   << ""
                                   << "the settings file";
    QTest::newRow("downloaded log") << "data/TQ90_log.bin"
                                    << ""
                                    << "the downloaded log file";
    QTest::newRow("a layout") << "data/ExportFormat/TA_format.ini"
                              << ""
                              << "a layout file";
    QTest::newRow("the export's own layout") << "own.ini"
                                             << ""
                                             << "the layout file of this export";
    QTest::newRow("named pipe") << "pipe"
                                << "fifo"
                                << "not a regular file";
    QTest::newRow("device node") << "device"
                                 << "device"
                                 << "not a regular file";
}

void TestCliFileTargets::exportRefusesOutput()
{
    QFETCH(QString, output);
    QFETCH(QString, special);
    QFETCH(QString, reason);
    QVERIFY(QFile::link(paths().localDatabase(), path(QStringLiteral("db-link"))));
    if (!special.isEmpty() && makeSpecial(special, output) != 0)
        QSKIP("cannot create the special file here (a device node needs root)");
    const QHash<QString, QByteArray> before = files();
    const Run r = cli({QStringLiteral("export"), QStringLiteral("--output"), path(output),
                       QStringLiteral("--layout-file"), path(QStringLiteral("own.ini"))});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.startsWith(QStringLiteral("Cannot write the export file")) && r.err.contains(reason),
             qPrintable(r.err));
    QVERIFY(!r.out.contains(QStringLiteral("Export successfully")));
    QCOMPARE(files(), before);
}

void TestCliFileTargets::importRefusesSpecialFiles_data()
{
    QTest::addColumn<QString>("special");
    QTest::newRow("named pipe") << "fifo";
    QTest::newRow("device node") << "device";
}

void TestCliFileTargets::importRefusesSpecialFiles()
{
    QFETCH(QString, special);
    if (makeSpecial(special, QStringLiteral("source")) != 0)
        QSKIP("cannot create the special file here (a device node needs root)");
    const Run r = cli({QStringLiteral("import"), path(QStringLiteral("source"))});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("not a log file")), qPrintable(r.err));
}

void TestCliFileTargets::layoutNameIsNoPath_data()
{
    QTest::addColumn<QStringList>("args");
    const QString parent = QStringLiteral("../../outside");
    QTest::newRow("preview") << QStringList{u"preview"_qs, u"--layout"_qs, parent};
    QTest::newRow("export") << QStringList{u"export"_qs, u"--layout"_qs, parent, u"--output"_qs, u"OUT"_qs};
    QTest::newRow("dot dot") << QStringList{u"preview"_qs, u"--layout"_qs, u".."_qs};
}

void TestCliFileTargets::layoutNameIsNoPath()
{
    QFETCH(QStringList, args);
    args.replaceInStrings(QStringLiteral("OUT"), path(QStringLiteral("out.txt")));
    const Run r = cli(args);
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.startsWith(QStringLiteral("The layout name")), qPrintable(r.err));
    QVERIFY(r.out.isEmpty());
    QVERIFY(!QFile::exists(path(QStringLiteral("out.txt"))));
}

void TestCliFileTargets::settingsMustReadBack_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("reason"); // empty: stored
    QTest::newRow("plain") << "DRIVERSQL"
                           << "PostgreSQL Unicode"
                           << "";
    QTest::newRow("Thai") << "FormatName"
                          << "รูปแบบ"
                          << "";
    QTest::newRow("inner quotes") << "PASSSQL"
                                  << "a\"b\""
                                  << "";
    QTest::newRow("double quotes") << "PASSSQL"
                                   << "\"q\""
                                   << "would read back as \"q\"";
    QTest::newRow("single quotes") << "PASSSQL"
                                   << "'q'"
                                   << "would read back as \"q\"";
    QTest::newRow("blanks around") << "IP"
                                   << " 10.0.0.9"
                                   << "would read back as \"10.0.0.9\"";
    QTest::newRow("outside code page 874") << "USERSQL"
                                           << "漢"
                                           << "not in code page 874";
    QTest::newRow("line break") << "USERSQL"
                                << "a\nb"
                                << "line break";
    QTest::newRow("too long") << "USERSQL" << QString(255, u'x') << "longer than the 254 characters";
    QTest::newRow("key with equals") << "a=b"
                                     << "x"
                                     << "name cannot hold";
}

void TestCliFileTargets::settingsMustReadBack()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, reason);
    const QByteArray before = TestFiles::read(paths().settingsFile());
    const Run r = cli({QStringLiteral("settings-set"), key, value});
    if (reason.isEmpty()) {
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(cli({QStringLiteral("settings-get"), key}).out, value + u'\n');
        return;
    }
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("was not stored")) && r.err.contains(reason), qPrintable(r.err));
    QCOMPARE(TestFiles::read(paths().settingsFile()), before);
}

QTEST_GUILESS_MAIN(TestCliFileTargets)
#include "tst_clifiletargets.moc"
