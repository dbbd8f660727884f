#include "core/platform/AppPaths.h"
#include "core/storage/Connections.h"
#include "core/terminal/LogConversion.h"
#include "core/terminal/LogRecord.h"
#include "fixtures/TestFiles.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

QStringList rows(const QString& where = {})
{
    auto q = executeStatement(Connections::get(Connections::LocalConnection),
                              QStringLiteral("select HID,FID,GID,wDate,wTime,Status from tblexport %1 "
                                             "order by HID,FID,GID,wDate,wTime,Status")
                                  .arg(where));
    QStringList out;
    while (q.ok() && q->next()) {
        QStringList v;
        for (int i = 0; i < 6; ++i)
            v << q->value(i).toString();
        out << v.join(u'|');
    }
    return out;
}

int distinctRecords(const QByteArray& log)
{
    QSet<QByteArray> seen;
    for (qsizetype i = 0; i + 16 <= log.size(); i += 16)
        seen.insert(log.mid(i, 16));
    return static_cast<int>(seen.size());
}

QByteArray record(std::uint64_t user, int second = 0)
{
    LogRecord r;
    r.userId = user;
    r.terminal = 1;
    r.year = 2024;
    r.month = 3;
    r.day = 4;
    r.hour = 8;
    r.second = static_cast<std::uint8_t>(second);
    return r.encode();
}

} // namespace

class TestLogConversion : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void decodesRecord_data();
    void decodesRecord();
    void countsWholeRecords_data();
    void countsWholeRecords();
    void missingFileIsReported();
    void oversizedFileIsRefused();
    void verifiesStoredLog_data();
    void verifiesStoredLog();
    void randomBytesAreConverted();
    void repeatedImportKeepsPunchesOnce_data();
    void repeatedImportKeepsPunchesOnce();
    void repeatsInsideLogAreStoredOnce_data();
    void repeatsInsideLogAreStoredOnce();
    void earlierDuplicatesAreCollapsed();
    void failureLeavesTableAsItWas_data();
    void failureLeavesTableAsItWas();
    void closedDatabaseIsReported();
    void progressText_data();
    void progressText();
    void progressEndsAtWhole();

private:
    bool writeLog(const QByteArray& records, const QByteArray& tail = QByteArray(1, '\0'));
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<AppPaths> m_paths;
};

void TestLogConversion::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_paths = std::make_unique<AppPaths>(m_dir->path());
    const Outcome opened = openLocalDatabase(*m_paths);
    QVERIFY2(opened.ok(), qPrintable(opened.error()));
}

void TestLogConversion::cleanup()
{
    Connections::close(Connections::LocalConnection);
    m_paths.reset();
    m_dir.reset();
}

bool TestLogConversion::writeLog(const QByteArray& records, const QByteArray& tail)
{
    return TestFiles::write(m_paths->logFile(), records + tail);
}

void TestLogConversion::decodesRecord_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("row");
    QTest::newRow("example") << QByteArray::fromHex("15CD5B070000"
                                                    "01"
                                                    "02"
                                                    "DA07"
                                                    "05"
                                                    "07"
                                                    "08"
                                                    "03"
                                                    "09"
                                                    "00")
                             << QStringLiteral("123456789|1|2|2010/05/07|08:03:09|0");
    QTest::newRow("twelve nines") << QByteArray::fromHex("FF0FA5D4E800"
                                                         "00"
                                                         "00"
                                                         "DA07"
                                                         "05"
                                                         "07"
                                                         "08"
                                                         "03"
                                                         "09"
                                                         "01")
                                  << QStringLiteral("999999999999|0|0|2010/05/07|08:03:09|1");
    QTest::newRow("largest id") << QByteArray::fromHex("FFFFFFFFFFFF"
                                                       "FF"
                                                       "FF"
                                                       "FFFF"
                                                       "0C"
                                                       "1F"
                                                       "17"
                                                       "3B"
                                                       "3B"
                                                       "FF")
                                << QStringLiteral("281474976710655|255|255|65535/12/31|23:59:59|255");
    QTest::newRow("unchecked values") << QByteArray::fromHex("000000000000"
                                                             "00"
                                                             "00"
                                                             "0000"
                                                             "7B"
                                                             "00"
                                                             "64"
                                                             "C8"
                                                             "FF"
                                                             "02")
                                      << QStringLiteral("0|0|0|0/123/00|100:200:255|2");
}

void TestLogConversion::decodesRecord()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, row);
    QCOMPARE(bytes.size(), 16);
    QVERIFY(writeLog(bytes));
    const auto result =
        convertLogToDatabase(m_paths->logFile(), Connections::get(Connections::LocalConnection));
    QVERIFY2(result.ok(), qPrintable(result.error()));
    QCOMPARE(result->read, 1);
    QCOMPARE(result->added, 1);
    QCOMPARE(rows(), QStringList{row});
    QCOMPARE(LogRecord::decode(bytes.constData()).encode(), bytes);
}

void TestLogConversion::countsWholeRecords_data()
{
    QTest::addColumn<int>("records");
    QTest::addColumn<QByteArray>("tail");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("partial");
    QTest::newRow("empty file") << 0 << QByteArray() << 0 << 0;
    QTest::newRow("one byte") << 0 << QByteArray(1, '\0') << 0 << 0;
    QTest::newRow("16k+1") << 5 << QByteArray(1, '\0') << 5 << 0;
    QTest::newRow("16k+1+9: partial record reported") << 5 << QByteArray(10, '\x11') << 5 << 9;
    QTest::newRow("no trailing byte: every record read") << 5 << QByteArray() << 5 << 0;
    QTest::newRow("16 bytes only") << 1 << QByteArray() << 1 << 0;
}

void TestLogConversion::countsWholeRecords()
{
    QFETCH(int, records);
    QFETCH(QByteArray, tail);
    QFETCH(int, expected);
    QFETCH(int, partial);
    QVERIFY(writeLog(generateLog(records, 3), tail));
    const auto result =
        convertLogToDatabase(m_paths->logFile(), Connections::get(Connections::LocalConnection));
    QVERIFY2(result.ok(), qPrintable(result.error()));
    QCOMPARE(result->read, expected);
    QCOMPARE(result->added, expected);
    QCOMPARE(result->partialBytes, partial);
    QCOMPARE(partialRecordText(*result).isEmpty(), partial == 0);
    QCOMPARE(rows().size(), expected);
}

void TestLogConversion::missingFileIsReported()
{
    const auto result =
        convertLogToDatabase(m_paths->logFile(), Connections::get(Connections::LocalConnection));
    QVERIFY(!result.ok());
    QVERIFY2(result.error().contains(QStringLiteral("TQ90_log.bin")) &&
                 result.error().contains(QStringLiteral("Download")),
             qPrintable(result.error()));
}

void TestLogConversion::oversizedFileIsRefused()
{
    // a sparse file: it claims 100 GB and takes no space
    QFile file(m_paths->logFile());
    QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(100'000'000'000LL));
    file.close();
    const auto result =
        convertLogToDatabase(m_paths->logFile(), Connections::get(Connections::LocalConnection));
    QVERIFY(!result.ok());
    QVERIFY2(result.error().contains(QStringLiteral("100000000000 bytes")) &&
                 result.error().contains(QStringLiteral("67108864 bytes")),
             qPrintable(result.error()));
    QCOMPARE(rows().size(), 0);
}

void TestLogConversion::verifiesStoredLog_data()
{
    QTest::addColumn<QByteArray>("fileAfter");
    QTest::addColumn<QStringList>("removeHids");
    QTest::addColumn<QString>("failure");
    const QByteArray log = record(9) + record(7) + record(8);
    QTest::newRow("all stored") << log + '\0' << QStringList() << QString();
    QTest::newRow("file lost its end") << log.left(20) << QStringList() << QStringLiteral("holds 20 bytes");
    QTest::newRow("file changed") << record(9) + record(7) + record(10) + '\0' << QStringList()
                                  << QStringLiteral("differs");
    QTest::newRow("punch missing") << log + '\0' << QStringList{u"8"_qs} << QStringLiteral("Punch 3 of 3");
    QTest::newRow("first missing in the log's order")
        << log + '\0' << QStringList{u"7"_qs, u"9"_qs} << QStringLiteral("Punch 1 of 3 of the log (user 9");
}

void TestLogConversion::verifiesStoredLog()
{
    QFETCH(QByteArray, fileAfter);
    QFETCH(QStringList, removeHids);
    QFETCH(QString, failure);
    const QByteArray log = record(9) + record(7) + record(8);
    const QSqlDatabase db = Connections::get(Connections::LocalConnection);
    QVERIFY(writeLog(log));
    QVERIFY(convertLogToDatabase(m_paths->logFile(), db, {}, log.size()).ok());
    QVERIFY(TestFiles::write(m_paths->logFile(), fileAfter));
    for (const QString& hid : std::as_const(removeHids))
        QVERIFY(executeStatement(db, QStringLiteral("delete from tblexport where HID = ?"), {hid}).ok());
    const Outcome verified = verifyStoredLog(m_paths->logFile(), db, log);
    QCOMPARE(verified.ok(), failure.isEmpty());
    QVERIFY2(verified.error().contains(failure), qPrintable(verified.error()));
}

void TestLogConversion::randomBytesAreConverted()
{
    QRandomGenerator random(99);
    QByteArray bytes(16 * 300 + 7, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random.bounded(256));
    QVERIFY(TestFiles::write(m_paths->logFile(), bytes));
    const auto result =
        convertLogToDatabase(m_paths->logFile(), Connections::get(Connections::LocalConnection));
    QVERIFY2(result.ok(), qPrintable(result.error()));
    QCOMPARE(result->read, 300);
    QCOMPARE(rows().size(), static_cast<qsizetype>(result->added));
}

void TestLogConversion::repeatedImportKeepsPunchesOnce_data()
{
    QTest::addColumn<bool>("tableHeldOthers");
    QTest::newRow("empty table") << false;
    QTest::newRow("table with other punches") << true;
}

void TestLogConversion::repeatedImportKeepsPunchesOnce()
{
    QFETCH(bool, tableHeldOthers);
    const QSqlDatabase db = Connections::get(Connections::LocalConnection);
    if (tableHeldOthers) {
        QVERIFY(
            executeStatement(
                db,
                QStringLiteral("Insert into tblexport(HID,FID,GID,wDate,wTime,Status) values(?,?,?,?,?,?)"),
                {u"1"_qs, u"1"_qs, u"0"_qs, u"2001/01/01"_qs, u"07:00:00"_qs, u"0"_qs})
                .ok());
    }
    const QByteArray log = generateLog(500, 11);
    QVERIFY(writeLog(log));
    const auto first = convertLogToDatabase(m_paths->logFile(), db);
    QVERIFY2(first.ok(), qPrintable(first.error()));
    const QStringList once = rows();
    QCOMPARE(first->read, 500);
    QCOMPARE(once.size(), static_cast<qsizetype>(first->added + (tableHeldOthers ? 1 : 0)));
    const auto second = convertLogToDatabase(m_paths->logFile(), db);
    QVERIFY(second.ok());
    QCOMPARE(second->read, 500);
    QCOMPARE(second->added, 0);
    QCOMPARE(rows(), once);
    // a longer log of the same terminal: only the new punches are new
    QVERIFY(writeLog(log + generateLog(520, 11).mid(500 * 16)));
    const auto third = convertLogToDatabase(m_paths->logFile(), db);
    QVERIFY(third.ok());
    QCOMPARE(third->read, 520);
    QCOMPARE(third->added, 20);
}

void TestLogConversion::repeatsInsideLogAreStoredOnce_data()
{
    QTest::addColumn<QByteArray>("log");
    QTest::addColumn<int>("distinct");
    QTest::newRow("a few") << record(7) + record(8) + record(7) + record(7, 1) << 3;
    // far apart, more punches than are sorted in one go
    const QByteArray half = generateLog(40000, 17);
    QTest::newRow("a long log twice over") << half + half << distinctRecords(half);
}

void TestLogConversion::repeatsInsideLogAreStoredOnce()
{
    QFETCH(QByteArray, log);
    QFETCH(int, distinct);
    QVERIFY(writeLog(log));
    const auto result =
        convertLogToDatabase(m_paths->logFile(), Connections::get(Connections::LocalConnection));
    QVERIFY(result.ok());
    QCOMPARE(result->read, log.size() / 16);
    QCOMPARE(result->added, distinct);
    QCOMPARE(rows().size(), distinct);
}

void TestLogConversion::earlierDuplicatesAreCollapsed()
{
    const QSqlDatabase db = Connections::get(Connections::LocalConnection);
    for (int i = 0; i < 3; ++i) {
        QVERIFY(
            executeStatement(
                db,
                QStringLiteral("Insert into tblexport(HID,FID,GID,wDate,wTime,Status) values(?,?,?,?,?,?)"),
                {u"7"_qs, u"1"_qs, u"0"_qs, u"2024/03/04"_qs, u"08:00:00"_qs, u"0"_qs})
                .ok());
    }
    QVERIFY(writeLog(record(7)));
    const auto result = convertLogToDatabase(m_paths->logFile(), db);
    QVERIFY(result.ok());
    QCOMPARE(result->added, 0);
    QCOMPARE(rows(), QStringList{QStringLiteral("7|1|0|2024/03/04|08:00:00|0")});
}

void TestLogConversion::failureLeavesTableAsItWas_data()
{
    QTest::addColumn<bool>("tableHeldOthers");
    QTest::addColumn<int>("punches");
    QTest::newRow("empty table") << false << 40;
    QTest::newRow("table with other punches") << true << 40;
    // the punches go into the table several to a statement
    QTest::newRow("refused among many") << false << 120;
}

void TestLogConversion::failureLeavesTableAsItWas()
{
    QFETCH(bool, tableHeldOthers);
    QFETCH(int, punches);
    const QSqlDatabase db = Connections::get(Connections::LocalConnection);
    if (tableHeldOthers)
        QVERIFY(writeLog(record(1) + record(2)) && convertLogToDatabase(m_paths->logFile(), db).ok());
    const QStringList before = rows();
    // the database refuses the 30th punch, as a full disk would
    QVERIFY(executeStatement(
                db, QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON tblexport WHEN NEW.HID = '129' "
                                   "BEGIN SELECT RAISE(ABORT, 'database or disk is full'); END"))
                .ok());
    QByteArray log;
    for (int i = 0; i < punches; ++i)
        log += record(100 + i);
    QVERIFY(writeLog(log));
    const auto result = convertLogToDatabase(m_paths->logFile(), db);
    QVERIFY(!result.ok());
    QVERIFY2(result.error().contains(QStringLiteral("punch 30 of %1").arg(punches)) &&
                 result.error().contains(QStringLiteral("disk is full")) &&
                 result.error().contains(QStringLiteral("left as it was")),
             qPrintable(result.error()));
    QCOMPARE(rows(), before);
    // the connection is usable afterwards
    QVERIFY(executeStatement(db, QStringLiteral("DROP TRIGGER refuse")).ok());
    QVERIFY(convertLogToDatabase(m_paths->logFile(), db).ok());
    QCOMPARE(rows().size(), before.size() + punches);
}

void TestLogConversion::closedDatabaseIsReported()
{
    QVERIFY(writeLog(record(1)));
    Connections::close(Connections::LocalConnection);
    const auto result =
        convertLogToDatabase(m_paths->logFile(), Connections::get(Connections::LocalConnection));
    QVERIFY(!result.ok());
    QVERIFY(result.error().contains(QStringLiteral("not open")));
}

void TestLogConversion::progressText_data()
{
    QTest::addColumn<qint64>("done");
    QTest::addColumn<qint64>("total");
    QTest::addColumn<QString>("text");
    QTest::newRow("last") << qint64(7) << qint64(7) << QStringLiteral(" 100 %");
    QTest::newRow("third") << qint64(1) << qint64(3) << QStringLiteral(" 33.3333333333333 %");
    QTest::newRow("half a percent") << qint64(1) << qint64(200) << QStringLiteral(" .5 %");
    QTest::newRow("two thirds") << qint64(2) << qint64(3) << QStringLiteral(" 66.6666666666667 %");
}

void TestLogConversion::progressText()
{
    QFETCH(qint64, done);
    QFETCH(qint64, total);
    QFETCH(QString, text);
    QCOMPARE(conversionProgressText(done, total), text);
}

void TestLogConversion::progressEndsAtWhole()
{
    QVERIFY(writeLog(generateLog(1234, 5)));
    QList<std::pair<qint64, qint64>> calls;
    const auto result = convertLogToDatabase(
        m_paths->logFile(), Connections::get(Connections::LocalConnection), [&](qint64 done, qint64 total) {
            calls.append({done, total});
        });
    QVERIFY(result.ok());
    QVERIFY(calls.size() >= 100 && calls.size() <= 101);
    QCOMPARE(calls.last(), std::make_pair(qint64(1234), qint64(1234)));
    QCOMPARE(conversionSummary(*result), QStringLiteral("Read 1234 punches, %1 new.").arg(result->added));
}

QTEST_GUILESS_MAIN(TestLogConversion)
#include "tst_logconversion.moc"
