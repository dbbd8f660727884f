#include "core/layouts/LayoutFile.h"
#include "core/platform/AppPaths.h"
#include "core/platform/Cp874.h"
#include "core/storage/Connections.h"
#include "core/terminal/LogRecord.h"
#include "fixtures/CliRun.h"
#include "fixtures/TestFiles.h"
#include "fixtures/TestRows.h"

#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// A command line written as words: {dir} is the test's folder, ~ a blank, '' an empty word.
QStringList words(const QString& line, const QString& dir)
{
    QStringList list = line.split(u' ', Qt::SkipEmptyParts);
    for (QString& word : list)
        word = word == u"''" ? QString() : word.replace(u"{dir}"_qs, dir).replace(u'~', u' ');
    return list;
}

// Person right-aligned in 4 with zeros, terminal in 2, the event as I or O.
const QByteArray ThreeFields = "[ZUNDataView]\r\nRows=3\r\nDelimiter=,\r\n"
                               "[ZUNData\\ROW\\1]\r\nTextMatrix=UID\r\nFixedWidth=4\r\nAlignmentData=1\r\n"
                               "spData=0\r\n[ZUNData\\ROW\\2]\r\nTextMatrix=Kestrum ID\r\nFixedWidth=2\r\n"
                               "AlignmentData=1\r\nspData=0\r\n[ZUNData\\ROW\\3]\r\nTextMatrix=Event\r\n"
                               "FixedWidth=2\r\nAlignmentData=0\r\nspData= \r\nIN=I\r\nOUT=O\r\n";

} // namespace

// tqtool-cli with nothing to talk to: usage, settings, layouts, imports and exports of the local
// database, and refused targets.
class TestCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        const AppPaths p = paths();
        QVERIFY(QDir().mkpath(p.dataDir()));
        QVERIFY(TestFiles::write(p.logFile(), generateLog(5, 2) + QByteArray(1, '\0')));
        QVERIFY(openLocalDatabase(p).ok());
        for (const char* punch :
             {"7|1|2024/01/09|08:00:00|0", "7|3|2024/01/09|12:00:00|0", "2|1|2024/01/09|09:00:00|0",
              "15|2|2024/01/15|10:00:00|2", "7|1|2023/12/31|08:00:00|0"}) {
            const QStringList f = QString::fromLatin1(punch).split(u'|');
            QVERIFY(executeStatement(
                        Connections::get(Connections::LocalConnection),
                        u"insert into tblexport(HID,FID,GID,wDate,wTime,Status) values(?,?,'0',?,?,?)"_qs,
                        {f[0], f[1], f[2], f[3], f[4]})
                        .ok());
        }
        Connections::close(Connections::LocalConnection);
        QVERIFY(TestFiles::write(p.settingsFile(), "[text]\r\nFormatName=Default\r\nIP=10.0.0.5\r\n"));
        QVERIFY(ensureExportFormatDir(p).ok());
        QVERIFY(TestFiles::write(p.layoutFile(u"Wide"_qs), "[ZUNDataView]\r\nRows=1\r\n[ZUNData\\ROW\\1]\r\n"
                                                           "TextMatrix=UID\r\nFixedWidth=30000\r\n"));
        QVERIFY(TestFiles::write(path(u"own.ini"_qs), ThreeFields));
        QVERIFY(TestFiles::write(path(u"empty.ini"_qs), "[ZUNDataView]\r\nRows=0\r\nDelimiter=,\r\n"));
        QVERIFY(TestFiles::write(path(u"out.txt"_qs), "earlier export\r\n"));
        QVERIFY(QFile::link(p.localDatabase(), path(u"db-link"_qs)));
    }

    void help_data()
    {
        addColumns<QString, QString>({"args", "part"}); // part: a text the help holds as it stands
        addRow("--help", u"--help"_qs, u"usage: tqtool-cli [--data-dir DIR] COMMAND [options]\n"_qs);
        addRow("export", u"export --help"_qs,
               u"export --output FILE\n       (--layout NAME | --layout-file"_qs);
        addRow("export-ta", u"export-ta -h"_qs, u"  --quiet               Print nothing but errors"_qs);
        addRow("download", u"download --help"_qs,
               u"  --port N    The terminal's TCP port (default: 5001).\n"_qs);
        addRow("sync", u"sync --help"_qs, u"  --days N              With --export-ta: the day"_qs);
        addRow("version", u"--version"_qs,
               u"tqtool-cli %1.%2.%3\n"_qs.arg(TQTOOL_VERSION_MAJOR)
                   .arg(TQTOOL_VERSION_MINOR)
                   .arg(TQTOOL_VERSION_PATCH));
    }

    void help()
    {
        const auto [args, part] = fetchColumns<QString, QString>("args", "part");
        const CliRun r = cli(args.split(u' '));
        QCOMPARE(r.code, 0);
        QCOMPARE(r.err, QString());
        QVERIFY2(r.out.contains(part), qPrintable(part + u"\nmissing in:\n"_qs + r.out));
        for (const QString& line : r.out.split(u'\n'))
            QVERIFY2(line.size() <= 79, qPrintable(line));
    }

    // Usage errors (2) and refusals (1): the message, and not a byte changed anywhere.
    void refused_data()
    {
        addColumns<QString, QString, int, QString, QString>({"args", "special", "code", "out", "err"});
        const QString usage = u"usage:"_qs;
        addRow("unknown option", u"download --bogus"_qs, u""_qs, 2, u""_qs, u"bogus"_qs);
        addRow("missing value", u"download --ip"_qs, u""_qs, 2, u""_qs, u"--ip"_qs);
        addRow("unknown program option", u"--bogus layouts"_qs, u""_qs, 2, u""_qs, u"bogus"_qs);
        addRow("unknown command", u"frobnicate"_qs, u""_qs, 2, u""_qs, u"Unknown command: frobnicate"_qs);
        addRow("no command", u""_qs, u""_qs, 2, u""_qs, u"usage:"_qs);
        addRow("quiet layouts", u"layouts --quiet"_qs, u""_qs, 2, u""_qs, u"Unknown option 'quiet'"_qs);
        addRow("quiet preview", u"preview --layout Default --quiet"_qs, u""_qs, 2, u""_qs,
               u"Unknown option 'quiet'"_qs);
        addRow("extra argument", u"layouts x"_qs, u""_qs, 2, u""_qs, usage);
        addRow("preview without layout", u"preview"_qs, u""_qs, 2, u""_qs, usage);
        addRow("layout without value", u"preview --layout"_qs, u""_qs, 2, u""_qs, usage);
        addRow("sync without file", u"sync"_qs, u""_qs, 2, u""_qs, u"--terminals is missing"_qs);
        addRow("days without export", u"sync --terminals t --days 3"_qs, u""_qs, 2, u""_qs,
               u"go with --export-ta"_qs);
        addRow("days and dates",
               u"sync --terminals t --export-ta --days 2 --from 2024/01/01 --to 2024/01/02"_qs, u""_qs, 2,
               u""_qs, u"either --days"_qs);
        addRow("negative days", u"sync --terminals t --export-ta --days=-1"_qs, u""_qs, 2, u""_qs,
               u"--days takes"_qs);
        addRow("days past a hundred years", u"sync --terminals t --export-ta --days 36501"_qs, u""_qs, 2,
               u""_qs, u"--days takes"_qs);
        addRow("no output", u"export --layout Default"_qs, u""_qs, 2, u""_qs, usage);
        addRow("two layouts", u"export --output x --layout Default --layout-file y"_qs, u""_qs, 2, u""_qs,
               usage);
        addRow("from without to", u"export --output x --layout Default --from 2024/01/01"_qs, u""_qs, 2,
               u""_qs, usage);
        addRow("not a date", u"export --output x --layout Default --from yesterday --to 2024/01/01"_qs,
               u""_qs, 2, u""_qs, usage);
        addRow("bad data type", u"export --output x --layout Default --data paired"_qs, u""_qs, 2, u""_qs,
               usage);
        addRow("stray argument", u"export-ta --ta-connection x extra"_qs, u""_qs, 2, u""_qs, usage);
        addRow("empty connection", u"export-ta --ta-connection ''"_qs, u""_qs, 2, u""_qs, usage);
        addRow("unknown pull", u"export-ta --ta-connection x --source qor --pull later"_qs, u""_qs, 2, u""_qs,
               u"."_qs);
        addRow("pull without qor", u"export-ta --ta-connection x --pull delete"_qs, u""_qs, 2, u""_qs,
               u"."_qs);
        addRow("host without qor", u"export-ta --ta-connection x --qor-host srv"_qs, u""_qs, 2, u""_qs,
               u"."_qs);
        addRow("unknown source", u"export-ta --ta-connection x --source other"_qs, u""_qs, 2, u""_qs,
               u"."_qs);
        addRow("service port", u"export-ta --ta-connection x --source qor --service-port 70000"_qs, u""_qs, 2,
               u""_qs, u"."_qs);
        addRow("lowest service port", u"export-ta --ta-connection x --source qor --service-port 1"_qs, u""_qs,
               1, u""_qs, u"Cannot connect to the time-attendance database"_qs);
        addRow("highest service port", u"export-ta --ta-connection x --source qor --service-port 65535"_qs,
               u""_qs, 1, u""_qs, u"Cannot connect to the time-attendance database"_qs);
        const QString range = u"Port number is invalid! Range:1-65535\n"_qs;
        addRow("port 0", u"download --ip 127.0.0.1 --port 0"_qs, u""_qs, 2, range, u""_qs);
        addRow("port 65536", u"download --ip 127.0.0.1 --port 65536"_qs, u""_qs, 2, range, u""_qs);
        addRow("port text", u"download --ip 127.0.0.1 --port abc"_qs, u""_qs, 2, range, u""_qs);
        addRow("blank ip", u"download --ip ~~~"_qs, u""_qs, 2, u"IP address is required!\n"_qs, u""_qs);
        addRow("no ip", u"download"_qs, u""_qs, 2, u"IP address is required!\n"_qs, u""_qs);

        const QString to = u"export --layout-file {dir}/own.ini --output {dir}/"_qs;
        const QString cannot = u"Cannot write the export file.*"_qs;
        addRow("to the local database", to + u"data/dataexport.db"_qs, u""_qs, 1, u""_qs,
               cannot + u"it is the local database"_qs);
        addRow("to a link to it", to + u"db-link"_qs, u""_qs, 1, u""_qs,
               cannot + u"it is the local database"_qs);
        addRow("to the staging file", to + u"data/ZUN.BAK"_qs, u""_qs, 1, u""_qs,
               cannot + u"staging file"_qs);
        addRow("to the settings", to + u"data/DefFMT.txt"_qs, u""_qs, 1, u""_qs,
               cannot + u"the settings file"_qs);
        addRow("to the log", to + u"data/TQ90_log.bin"_qs, u""_qs, 1, u""_qs,
               cannot + u"the downloaded log file"_qs);
        addRow("to a layout", to + u"data/ExportFormat/TA_format.ini"_qs, u""_qs, 1, u""_qs,
               cannot + u"a layout file"_qs);
        addRow("to its own layout", to + u"own.ini"_qs, u""_qs, 1, u""_qs,
               cannot + u"the layout file of this export"_qs);
        addRow("to a pipe", to + u"special"_qs, u"fifo"_qs, 1, u""_qs, cannot + u"not a regular file"_qs);
        addRow("to a device", to + u"special"_qs, u"device"_qs, 1, u""_qs, cannot + u"not a regular file"_qs);
        addRow("to a missing folder", to + u"missing/out.txt"_qs, u""_qs, 1, u""_qs, cannot);
        addRow("layout without fields", u"export --layout-file {dir}/empty.ini --output {dir}/out.txt"_qs,
               u""_qs, 1, u""_qs, u"no fields"_qs);
        addRow("import a pipe", u"import {dir}/special"_qs, u"fifo"_qs, 1, u""_qs, u"not a log file"_qs);
        addRow("import a device", u"import {dir}/special"_qs, u"device"_qs, 1, u""_qs, u"not a log file"_qs);
        addRow("import a missing file", u"import {dir}/none.bin"_qs, u""_qs, 1, u""_qs, u"none.bin"_qs);
        addRow("layout path", u"preview --layout ../../outside"_qs, u""_qs, 1, u""_qs,
               u"^The layout name"_qs);
        addRow("layout path on export", u"export --layout ../../own --output {dir}/new.txt"_qs, u""_qs, 1,
               u""_qs, u"^The layout name"_qs);
        addRow("layout dot dot", u"preview --layout .."_qs, u""_qs, 1, u""_qs, u"^The layout name"_qs);
        addRow("layout control character", u"preview --layout a\x01b"_qs, u""_qs, 1, u""_qs,
               u"control character"_qs);
        addRow("layout DEL", u"preview --layout a\x7f"_qs, u""_qs, 1, u""_qs, u"control character"_qs);
        addRow("unknown layout", u"preview --layout Nope"_qs, u""_qs, 1, u""_qs, u"Nope"_qs);
        addRow("layout beyond limits", u"preview --layout Wide"_qs, u""_qs, 1, u""_qs,
               u"Wide.ini.*more than the 255"_qs);

        const QString notStored = u"was not stored.*"_qs;
        addRow("single quotes", u"settings-set PASSSQL 'q'"_qs, u""_qs, 1, u""_qs,
               notStored + u"read back as \"q\""_qs);
        addRow("too long", u"settings-set USERSQL "_qs + QString(255, u'x'), u""_qs, 1, u""_qs,
               notStored + u"longer than the 254 characters"_qs);
        addRow("no key", u"settings-get"_qs, u""_qs, 2, u""_qs, u"KEY is missing"_qs);
        addRow("no value", u"settings-set IP"_qs, u""_qs, 2, u""_qs, u"KEY and VALUE"_qs);
        addRow("download with a word", u"download x"_qs, u""_qs, 2, u""_qs, u"Unexpected argument: x"_qs);
        addRow("three words to set", u"settings-set a b c"_qs, u""_qs, 2, u""_qs,
               u"Unexpected argument: c"_qs);
        addRow("three words to get", u"settings-get a b c"_qs, u""_qs, 2, u""_qs,
               u"Unexpected argument: c"_qs);
    }

    void refused()
    {
        const auto [args, special, code, out, err] =
            fetchColumns<QString, QString, int, QString, QString>("args", "special", "code", "out", "err");
        const QByteArray node = QFile::encodeName(path(u"special"_qs));
        if (special == u"fifo")
            QCOMPARE(::mkfifo(node.constData(), 0600), 0);
        else if (!special.isEmpty() && ::mknod(node.constData(), S_IFCHR | 0600, makedev(1, 3)) != 0)
            QSKIP("a device node needs root");
        const QHash<QString, QByteArray> before = files();
        const CliRun r = cli(words(args, m_dir->path()));
        QCOMPARE(r.code, code);
        QCOMPARE(r.out, out);
        QVERIFY2(
            QRegularExpression(err, QRegularExpression::DotMatchesEverythingOption).match(r.err).hasMatch(),
            qPrintable(r.err));
        QCOMPARE(files(), before);
    }

    void settingsRoundTrip_data()
    {
        addColumns<QString, QString>({"key", "value"});
        addRow("plain", u"DRIVERSQL"_qs, u"PostgreSQL Unicode"_qs);
        addRow("Thai", u"FormatName"_qs, u"รูปแบบ"_qs);
        addRow("inner quotes", u"PASSSQL"_qs, u"a\"b\""_qs);
        addRow("starts with a dash", u"Offset"_qs, u"-5"_qs);
    }

    void settingsRoundTrip()
    {
        const auto [key, value] = fetchColumns<QString, QString>("key", "value");
        const CliRun r = cli({u"settings-set"_qs, key, value});
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(cli({u"settings-get"_qs, key}).out, value + u'\n');
        QCOMPARE(cli({u"settings-get"_qs, u"Missing"_qs, u"fallback"_qs}).out, u"fallback\n"_qs);
    }

    void layouts()
    {
        QTemporaryDir fresh;
        CliRun r = runCli(fresh.path(), {u"layouts"_qs});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, u"Default\nTA_format\n"_qs);
        QVERIFY(QFileInfo(AppPaths(fresh.path()).layoutFile(u"Default"_qs)).isFile());
        QVERIFY(QDir(AppPaths(fresh.path()).exportFormatDir()).removeRecursively());
        QVERIFY(QDir().mkpath(AppPaths(fresh.path()).exportFormatDir()));
        r = runCli(fresh.path(), {u"layouts"_qs});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out + r.err, QString());
    }

    void preview_data()
    {
        addColumns<QString, QString, QString>({"layout", "out", "err"});
        addRow("Default", u"Default"_qs, u"0000001,02,dd/MM/yyyy,HH:mm:ss,01\n"_qs, u""_qs);
        addRow("TA_format", u"TA_format"_qs, u"0000001 ddMMyyyy HH:mm 02 0\n"_qs, u""_qs);
        // a hand-made layout in code page 874 with a value the editor never writes: named, not fatal
        addRow("hand-made", u"งาน"_qs, u"03\tศ0000001ศ\n"_qs, u"งาน.ini.*AlignmentData"_qs);
    }

    void preview()
    {
        const auto [layout, out, err] = fetchColumns<QString, QString, QString>("layout", "out", "err");
        const QString text = u"[ZUNDataView]\r\nRows=2\r\nDelimiter=TAB\r\n"
                             u"[ZUNData\\ROW\\1]\r\nTextMatrix=Group\r\nFixedWidth=5\r\nAlignmentData=x\r\n"
                             u"spData=ศ\r\nFormatDateType=0\r\nFormatTimeType=0\r\n"
                             u"[ZUNData\\ROW\\2]\r\nTextMatrix=UID\r\nFixedWidth=14\r\nAlignmentData=2\r\n"
                             u"spData=ศ\r\nFormatDateType=0\r\nFormatTimeType=0\r\n"_qs;
        QVERIFY(TestFiles::write(paths().layoutFile(u"งาน"_qs), Cp874::encode(text)));
        const CliRun r = cli({u"preview"_qs, u"--layout="_qs + layout});
        QCOMPARE(r.code, 0);
        QCOMPARE(r.out, out);
        QVERIFY2(err.isEmpty() ? r.err.isEmpty() : QRegularExpression(err).match(r.err).hasMatch(),
                 qPrintable(r.err));
    }

    void exports_data()
    {
        addColumns<QString, QString, QByteArray>({"options", "out", "file"});
        addRow("everything, raw by default", u""_qs, u"Export successfully\n"_qs,
               QByteArray("0015,02,2\r\n0002,01,0\r\n0007,01,0\r\n0007,01,0\r\n0007,03,0\r\n"));
        addRow("chosen employees, filtered", u"--data filtered --employees 7,~2"_qs,
               u"Export successfully\n"_qs,
               QByteArray("0007,01,I\r\n0007,01,I\r\n0007,03,O\r\n0002,01,I\r\n"));
        addRow("Buddhist-era range and terminals",
               u"--data filtered --from 2567/01/01 --to 2567/01/31 --terminals 1,2"_qs,
               u"Export successfully\n"_qs, QByteArray("0015,02,O\r\n0002,01,I\r\n0007,01,I\r\n"));
        addRow("raw named", u"--data raw --employees 2"_qs, u"Export successfully\n"_qs,
               QByteArray("0002,01,0\r\n"));
        addRow("no data", u"--employees 99"_qs, u" No data for export !!!\n"_qs, QByteArray());
    }

    void exports()
    {
        const auto [options, out, file] =
            fetchColumns<QString, QString, QByteArray>("options", "out", "file");
        const CliRun r = cli(
            words(u"export --output {dir}/new.txt --layout-file {dir}/own.ini "_qs + options, m_dir->path()));
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QCOMPARE(r.out, out);
        QCOMPARE(QFile::exists(path(u"new.txt"_qs)), !file.isEmpty());
        QCOMPARE(TestFiles::read(path(u"new.txt"_qs)), file);
        QVERIFY(!QFile::exists(paths().stagingFile()));
    }

    void importCountsNewPunches()
    {
        QVERIFY(TestFiles::write(path(u"other.bin"_qs), generateLog(3, 9) + QByteArray(1, '\0')));
        QCOMPARE(cli({u"import"_qs, path(u"other.bin"_qs)}).out, u"Read 3 punches, 3 new.\n"_qs);
        QCOMPARE(cli({u"import"_qs, path(u"other.bin"_qs)}).out, u"Read 3 punches, 0 new.\n"_qs);
        QCOMPARE(localPunches(paths().dataDir()), 5 + 3);
    }

private:
    QString path(const QString& name) const { return m_dir->filePath(name); }
    AppPaths paths() const { return AppPaths(path(u"data"_qs)); }
    CliRun cli(const QStringList& args) const { return runCli(paths().dataDir(), args); }
    // Every file under the folder with its bytes ("special" for pipes and devices).
    QHash<QString, QByteArray> files() const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

QHash<QString, QByteArray> TestCli::files() const
{
    QHash<QString, QByteArray> all;
    QDirIterator it(m_dir->path(), QDir::Files | QDir::System | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        all.insert(file, QFileInfo(file).isFile() ? TestFiles::read(file) : QByteArray("special"));
    }
    return all;
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
