#include "core/layouts/LayoutFile.h"
#include "core/platform/AppPaths.h"
#include "core/storage/Connections.h"
#include "core/terminal/LogConversion.h"
#include "core/terminal/LogRecord.h"
#include "fixtures/TestFiles.h"
#include "fixtures/Tq90SimProcess.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>
#include <unistd.h>

// Every file the program replaces, written onto a file system that is full: a small tmpfs that
// the test mounts (it runs as root) and fills. Each write must fail with the system's reason,
// exit non-zero and leave the earlier file as it was.
class TestCliFullDisk : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void downloadKeepsLogFileAndTerminal();
    void settingsSetKeepsSettings();
    void layoutSaveKeepsLayout();
    void exportKeepsOutput();

private:
    struct Run
    {
        int code = -1;
        QString out;
        QString err;
    };
    Run cli(const QString& dataDir, const QStringList& args) const;
    // Fills the mounted file system to its last byte.
    void fill();
    AppPaths fullPaths() const { return AppPaths(m_mount.filePath(QStringLiteral("data"))); }

    QTemporaryDir m_mount;
    bool m_mounted = false;
    QByteArray m_oldLog;
};

void TestCliFullDisk::initTestCase()
{
    if (::geteuid() != 0)
        QSKIP("mounting the small file system to fill up needs root");
    QVERIFY(m_mount.isValid());
    if (::mount("tmpfs", QFile::encodeName(m_mount.path()).constData(), "tmpfs", 0, "size=256k") != 0)
        QSKIP(qPrintable(QStringLiteral("cannot mount a tmpfs: ") + qt_error_string(errno)));
    m_mounted = true;
    m_oldLog = generateLog(2, 5) + QByteArray(1, '\0');
}

void TestCliFullDisk::cleanupTestCase()
{
    if (m_mounted)
        ::umount(QFile::encodeName(m_mount.path()).constData());
}

void TestCliFullDisk::init()
{
    const AppPaths paths = fullPaths();
    QVERIFY(QDir().mkpath(paths.dataDir()));
    QVERIFY(TestFiles::write(paths.settingsFile(), "[text]\r\nIP=10.0.0.5\r\nUSERSQL=hr\r\n"));
    QVERIFY(TestFiles::write(paths.logFile(), m_oldLog));
    QVERIFY(ensureExportFormatDir(paths).ok());
}

void TestCliFullDisk::cleanup()
{
    QDir(m_mount.filePath(QStringLiteral("data"))).removeRecursively();
    QFile::remove(m_mount.filePath(QStringLiteral("filler")));
    QFile::remove(m_mount.filePath(QStringLiteral("out.txt")));
}

TestCliFullDisk::Run TestCliFullDisk::cli(const QString& dataDir, const QStringList& args) const
{
    QProcess p;
    p.start(QStringLiteral(TQTOOL_CLI_PATH), QStringList{QStringLiteral("--data-dir"), dataDir} + args);
    Run r;
    if (!p.waitForFinished(60000))
        return r;
    r.code = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

void TestCliFullDisk::fill()
{
    QFile filler(m_mount.filePath(QStringLiteral("filler")));
    QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(4096, 'f');
    while (filler.write(block) == block.size()) {
    }
    // what is left is less than a page, which a tmpfs cannot hand out
    while (filler.write(block.left(1)) == 1) {
    }
}

void TestCliFullDisk::downloadKeepsLogFileAndTerminal()
{
    Tq90SimProcess sim;
    QVERIFY(sim.start({QStringLiteral("--generate"), QStringLiteral("50")}));
    QVERIFY(openLocalDatabase(fullPaths()).ok());
    Connections::close(Connections::LocalConnection);
    fill();
    const Run r = cli(fullPaths().dataDir(),
                      {QStringLiteral("download"), QStringLiteral("--ip"), QStringLiteral("127.0.0.1"),
                       QStringLiteral("--port"), QString::number(sim.port()), QStringLiteral("--erase")});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("TQ90_log.bin: No space left on device")), qPrintable(r.err));
    QVERIFY2(!r.out.contains(QStringLiteral("deleted")), qPrintable(r.out));
    QCOMPARE(TestFiles::read(fullPaths().logFile()), m_oldLog);
    QVERIFY(sim.command(QStringLiteral("status")).contains(QStringLiteral("50 punches")));
}

void TestCliFullDisk::settingsSetKeepsSettings()
{
    const QByteArray before = TestFiles::read(fullPaths().settingsFile());
    fill();
    const Run r = cli(fullPaths().dataDir(),
                      {QStringLiteral("settings-set"), QStringLiteral("IP"), QStringLiteral("1.2.3.4")});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("DefFMT.txt: No space left on device")), qPrintable(r.err));
    QCOMPARE(TestFiles::read(fullPaths().settingsFile()), before);
}

void TestCliFullDisk::layoutSaveKeepsLayout()
{
    const AppPaths paths = fullPaths();
    const QByteArray before = TestFiles::read(paths.layoutFile(QStringLiteral("Default")));
    QVERIFY(!before.isEmpty());
    fill();
    ExportLayout layout;
    EditorLayoutState editor;
    editor.fileName = QStringLiteral("Default");
    const LayoutSaveResult saved =
        saveExportLayout(paths, layout, {{QStringLiteral("UID"), QStringLiteral("7")}}, editor);
    QCOMPARE(saved.status, LayoutSaveResult::Status::Failed);
    QVERIFY2(saved.message.contains(QStringLiteral("Default.ini: No space left on device")),
             qPrintable(saved.message));
    QCOMPARE(TestFiles::read(paths.layoutFile(QStringLiteral("Default"))), before);
}

void TestCliFullDisk::exportKeepsOutput()
{
    // the database and the staging file elsewhere, the chosen file on the full disk
    QTemporaryDir data;
    const AppPaths paths(data.path());
    QVERIFY(TestFiles::write(paths.logFile(), generateLog(20, 3) + QByteArray(1, '\0')));
    QVERIFY(openLocalDatabase(paths).ok());
    QVERIFY(convertLogToDatabase(paths.logFile(), Connections::get(Connections::LocalConnection)).ok());
    Connections::close(Connections::LocalConnection);
    const QString output = m_mount.filePath(QStringLiteral("out.txt"));
    QVERIFY(TestFiles::write(output, "earlier export\r\n"));
    fill();
    const Run r = cli(data.path(), {QStringLiteral("export"), QStringLiteral("--output"), output,
                                    QStringLiteral("--layout"), QStringLiteral("Default")});
    QCOMPARE(r.code, 1);
    QVERIFY2(!r.out.contains(QStringLiteral("Export successfully")), qPrintable(r.out));
    QVERIFY2(r.err.contains(QStringLiteral("out.txt: No space left on device")), qPrintable(r.err));
    QCOMPARE(TestFiles::read(output), QByteArray("earlier export\r\n"));
}

QTEST_GUILESS_MAIN(TestCliFullDisk)
#include "tst_it_cli_fulldisk.moc"
