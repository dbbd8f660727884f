#include "core/platform/AppPaths.h"
#include "fixtures/TestFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class TestAppPaths : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void chosenDirectory_data();
    void chosenDirectory();
    void badOption_data();
    void badOption();
    void uncreatableDirectoryIsReported();
    void defaultWithoutOption();
    void programFolderAsDataDirectory_data();
    void programFolderAsDataDirectory();
    void filesInTheDirectory();
};

void TestAppPaths::chosenDirectory_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("separate value") << QStringList{u"tqtool"_qs, u"--data-dir"_qs, u"@"_qs, u"x"_qs}
                                    << QStringList{u"tqtool"_qs, u"x"_qs};
    QTest::newRow("joined value") << QStringList{u"tqtool"_qs, u"x"_qs, u"--data-dir=@"_qs}
                                  << QStringList{u"tqtool"_qs, u"x"_qs};
    QTest::newRow("created when missing")
        << QStringList{u"tqtool"_qs, u"--data-dir"_qs, u"@/new/deeper"_qs} << QStringList{u"tqtool"_qs};
}

void TestAppPaths::chosenDirectory()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, left);
    QTemporaryDir tmp;
    QString expected;
    for (QString& a : arguments) {
        if (a.contains(u'@')) {
            a.replace(u'@', tmp.path());
            expected = a.mid(a.indexOf(tmp.path()));
        }
    }
    const Expected<AppPaths> paths = AppPaths::fromArguments(arguments);
    QVERIFY2(paths.ok(), qPrintable(paths.error()));
    QCOMPARE(paths->dataDir(), expected);
    QVERIFY(QFileInfo(expected).isDir());
    QCOMPARE(arguments, left);
}

void TestAppPaths::badOption_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no value") << QStringList{u"tqtool"_qs, u"--data-dir"_qs};
    QTest::newRow("empty joined value") << QStringList{u"tqtool"_qs, u"--data-dir="_qs};
}

void TestAppPaths::badOption()
{
    QFETCH(QStringList, arguments);
    const Expected<AppPaths> paths = AppPaths::fromArguments(arguments);
    QVERIFY(!paths.ok());
    QVERIFY(paths.error().contains(QStringLiteral("--data-dir")));
}

void TestAppPaths::uncreatableDirectoryIsReported()
{
    QTemporaryDir tmp;
    const QString file = tmp.filePath(QStringLiteral("plain-file"));
    QVERIFY(TestFiles::write(file, "x"));
    QStringList arguments{QStringLiteral("tqtool"), QStringLiteral("--data-dir"),
                          file + QStringLiteral("/data")};
    const Expected<AppPaths> paths = AppPaths::fromArguments(arguments);
    QVERIFY(!paths.ok());
    QVERIFY2(paths.error().contains(file + QStringLiteral("/data")), qPrintable(paths.error()));
}

void TestAppPaths::defaultWithoutOption()
{
    QStringList arguments{QStringLiteral("tqtool")};
    const Expected<AppPaths> paths = AppPaths::fromArguments(arguments);
    QVERIFY2(paths.ok(), qPrintable(paths.error()));
    QCOMPARE(paths->dataDir(), QDir::cleanPath(AppPaths::defaultDataDir()));
}

void TestAppPaths::programFolderAsDataDirectory_data()
{
    QTest::addColumn<QString>("programDir");
    QTest::addColumn<bool>("usedAsData");
    QTest::newRow("writable folder of a portable copy") << QStringLiteral("<tmp>") << true;
    QTest::newRow("installed under /usr, even for root") << QStringLiteral("/usr/bin") << false;
    QTest::newRow("missing folder") << QStringLiteral("/nonexistent/tqtool") << false;
}

void TestAppPaths::programFolderAsDataDirectory()
{
    QFETCH(QString, programDir);
    QFETCH(bool, usedAsData);
    QTemporaryDir tmp;
    if (programDir == u"<tmp>")
        programDir = tmp.path();
    const QString perUser = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QCOMPARE(AppPaths::defaultDataDirFor(programDir), usedAsData ? programDir : perUser);
}

void TestAppPaths::filesInTheDirectory()
{
    const AppPaths paths(QStringLiteral("/data/dir/"));
    QCOMPARE(paths.localDatabase(), QStringLiteral("/data/dir/dataexport.db"));
    QCOMPARE(paths.settingsFile(), QStringLiteral("/data/dir/DefFMT.txt"));
    QCOMPARE(paths.layoutFile(QStringLiteral("Week")), QStringLiteral("/data/dir/ExportFormat/Week.ini"));
}

QTEST_GUILESS_MAIN(TestAppPaths)
#include "tst_apppaths.moc"
