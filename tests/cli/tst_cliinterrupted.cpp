#include "core/platform/AppPaths.h"
#include "core/storage/Connections.h"
#include "core/terminal/LogConversion.h"
#include "core/terminal/LogRecord.h"
#include "fixtures/TestFiles.h"

#include <QFileInfo>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

// tqtool-cli killed outright in the middle of an import and of an export: the local database is
// whole and holds its old or its new punches, and the chosen file holds the earlier export or
// the complete new one.
class TestCliInterrupted : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void killedRun_data();
    void killedRun();

private:
    QString path(const char* name) const { return m_dir->filePath(QString::fromLatin1(name)); }
    AppPaths paths() const { return AppPaths(m_dir->path()); }
    // The punches of the local database of dataDir after a check of its whole structure; -1 when
    // it is broken.
    static qint64 punchesIfWhole(const QString& dataDir);

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestCliInterrupted::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(TestFiles::write(path("old.bin"), generateLog(50000, 7) + QByteArray(1, '\0')));
    QVERIFY(openLocalDatabase(paths()).ok());
    const auto converted =
        convertLogToDatabase(path("old.bin"), Connections::get(Connections::LocalConnection));
    QVERIFY2(converted.ok(), qPrintable(converted.error()));
    Connections::close(Connections::LocalConnection);
    QVERIFY(TestFiles::write(path("new.bin"), generateLog(200000, 8) + QByteArray(1, '\0')));
    QVERIFY(TestFiles::write(path("layout.ini"),
                             "[ZUNDataView]\r\nRows=2\r\nDelimiter=,\r\n"
                             "[ZUNData\\ROW\\1]\r\nTextMatrix=UID\r\nFixedWidth=12\r\n"
                             "[ZUNData\\ROW\\2]\r\nTextMatrix=Date\r\nFixedWidth=10\r\n"));
    QVERIFY(TestFiles::write(path("out.txt"), "earlier export\r\n"));
}

void TestCliInterrupted::cleanup()
{
    m_dir.reset();
}

qint64 TestCliInterrupted::punchesIfWhole(const QString& dataDir)
{
    qint64 n = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("check"));
        db.setDatabaseName(AppPaths(dataDir).localDatabase());
        QSqlQuery q(db);
        if (db.open() && q.exec(QStringLiteral("PRAGMA integrity_check")) && q.next() &&
            q.value(0).toString() == u"ok" && q.exec(QStringLiteral("select count(*) from tblexport")) &&
            q.next())
            n = q.value(0).toLongLong();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("check"));
    return n;
}

void TestCliInterrupted::killedRun_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("busy"); // a file that shows the run is under way
    QTest::newRow("import") << QStringList{u"import"_qs, u"new.bin"_qs} << "dataexport.db-journal";
    QTest::newRow("export") << QStringList{u"export"_qs, u"--output"_qs, u"out.txt"_qs, u"--layout-file"_qs,
                                           u"layout.ini"_qs}
                            << "ZUN.BAK";
}

void TestCliInterrupted::killedRun()
{
    QFETCH(QStringList, args);
    QFETCH(QString, busy);
    // the run's files, and the same files of a run to the end on a copy of the data
    QTemporaryDir reference;
    QVERIFY(QFile::copy(paths().localDatabase(), AppPaths(reference.path()).localDatabase()));
    QStringList referenceArgs = args;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i].contains(u'.')) {
            referenceArgs[i] = args[i] == u"out.txt" ? reference.filePath(args[i]) : m_dir->filePath(args[i]);
            args[i] = m_dir->filePath(args[i]);
        }
    }
    QProcess complete;
    complete.start(QStringLiteral(TQTOOL_CLI_PATH),
                   QStringList{QStringLiteral("--data-dir"), reference.path()} + referenceArgs);
    QVERIFY(complete.waitForFinished(120000));
    QCOMPARE(complete.exitCode(), 0);
    const qint64 before = punchesIfWhole(m_dir->path());
    const qint64 completed = punchesIfWhole(reference.path());
    QVERIFY(before > 0 && completed >= before);

    QProcess run;
    run.start(QStringLiteral(TQTOOL_CLI_PATH),
              QStringList{QStringLiteral("--data-dir"), m_dir->path()} + args);
    QTRY_VERIFY_WITH_TIMEOUT(
        QFileInfo(m_dir->filePath(busy)).size() > 0 || run.state() == QProcess::NotRunning, 60000);
    run.kill();
    QVERIFY(run.waitForFinished());

    const qint64 after = punchesIfWhole(m_dir->path());
    QVERIFY2(after == before || after == completed, qPrintable(QString::number(after)));
    const QByteArray output = TestFiles::read(path("out.txt"));
    QVERIFY(output == "earlier export\r\n" ||
            output == TestFiles::read(reference.filePath(QStringLiteral("out.txt"))));
}

QTEST_GUILESS_MAIN(TestCliInterrupted)
#include "tst_cliinterrupted.moc"
