#include "core/export/ExportFilter.h"
#include "core/export/TextExport.h"
#include "core/platform/AppPaths.h"
#include "core/storage/Connections.h"
#include "fixtures/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

template <typename... Texts> QStringList L(Texts... texts)
{
    return {QString::fromUtf8(texts)...};
}

// The punches every export test starts from, by letter: person|terminal|date|time|code.
// Sorted by person, date and time they stand g e f d a b c; paired, person 7's 2024/01/09
// becomes IN OUT IN, every other punch is alone on its day.
const QList<std::pair<char, QString>> Punches = {
    {'a', u"7|1|2024/01/09|08:00:00|0"_qs},  {'b', u"7|3|2024/01/09|12:00:00|0"_qs},
    {'c', u"7|2|2024/01/09|13:00:00|0"_qs},  {'d', u"7|1|2023/12/31|08:00:00|0"_qs},
    {'e', u"2|1|2024/01/09|09:00:00|0"_qs},  {'f', u"2|3|2024/01/15|17:00:00|2"_qs},
    {'g', u"15|3|2024/01/09|10:00:00|0"_qs},
};
const QHash<char, QString> PairedStatus = {{'a', u"1"_qs}, {'b', u"2"_qs}, {'c', u"1"_qs}, {'d', u"1"_qs},
                                           {'e', u"1"_qs}, {'f', u"2"_qs}, {'g', u"1"_qs}};

QString lineOf(const PunchRecord& p)
{
    return QStringList{p.hid, p.fid, p.wDate, p.wTime, p.status}.join(u',');
}

// The expected file for punches given by letters, in the file's order.
QByteArray expectedFile(const QString& letters, bool filtered)
{
    QByteArray bytes;
    for (const QChar letter : letters) {
        for (const auto& [key, text] : Punches) {
            if (key != letter.toLatin1())
                continue;
            QStringList f = text.split(u'|');
            if (filtered)
                f[4] = PairedStatus.value(key);
            bytes += f.join(u',').toLatin1() + "\r\n";
        }
    }
    return bytes;
}

} // namespace

class TestTextExport : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void statements_data();
    void statements();
    void combinations_data();
    void combinations();
    void groupedByEmployeeBoxOrder_data();
    void groupedByEmployeeBoxOrder();
    void noRowsWritesNoFile();
    void noChosenEmployeeRowsWritesOneBlankLine();
    void leftoverStagingIsDiscarded();
    void encodesThaiWithCrLf();
    void unwritableOutput_data();
    void unwritableOutput();
    void databaseErrorLeavesFileAlone();
    void outputFolderVanishingMidRun();
    void secondPressWhileRunningDoesNothing();

private:
    void addPunches();
    QString output() const { return m_dir->filePath(QStringLiteral("out.txt")); }
    AppPaths paths() const { return AppPaths(m_dir->path()); }

    std::unique_ptr<QTemporaryDir> m_dir;
    RunProgress m_progress;
};

void TestTextExport::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_progress = RunProgress();
    const Outcome opened = openLocalDatabase(paths());
    QVERIFY2(opened.ok(), qPrintable(opened.error()));
    addPunches();
}

void TestTextExport::cleanup()
{
    Connections::close(Connections::LocalConnection);
}

void TestTextExport::addPunches()
{
    const QSqlDatabase db = Connections::get(Connections::LocalConnection);
    for (const auto& [key, text] : Punches) {
        QVariantList values;
        for (const QString& v : text.split(u'|'))
            values << v;
        values.insert(2, u"0"_qs);
        QVERIFY(executeStatement(db,
                                 QStringLiteral("insert into tblexport(HID,FID,GID,wDate,wTime,Status) "
                                                "values(?,?,?,?,?,?)"),
                                 values)
                    .ok());
    }
}

void TestTextExport::statements_data()
{
    QTest::addColumn<int>("choices"); // bits: 1 chosen employees, 2 date range, 4 chosen terminals
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QStringList>("values");
    const auto raw = static_cast<int>(PunchQueryKind::Raw);
    const auto filtered = static_cast<int>(PunchQueryKind::Filtered);
    const auto ta = static_cast<int>(PunchQueryKind::TimeAttendance);
    QTest::newRow("all") << 0 << raw << u"select * from tblExport order by HID"_qs << QStringList();
    QTest::newRow("terminals 1,3 filtered")
        << 4 << filtered
        << u"select * from tblExport where FID in (?,?) order by HID ASC,wdate ASC,wtime ASC"_qs
        << L("1", "3");
    QTest::newRow("range raw") << 2 << raw
                               << u"select * from tblExport  where wdate between ? and ? order by HID"_qs
                               << L("2024/01/01", "2024/01/31");
    QTest::newRow("employees raw") << 1 << raw
                                   << u"select * from tblExport where HID in (?,?) ORDER BY HID"_qs
                                   << L("7", "2");
    QTest::newRow("everything chosen, raw")
        << 7 << raw
        << u"select * from tblExport where HID in (?,?) and FID in (?,?) and wDate BETWEEN ? AND ? ORDER BY HID"_qs
        << L("7", "2", "1", "3", "2024/01/01", "2024/01/31");
    QTest::newRow("everything chosen, time attendance")
        << 7 << ta
        << u"select * from tblExport  where HID in (?,?) and FID in (?,?) and wDate BETWEEN ? AND ? order by "
           u"HID "
           "ASC,wdate ASC,wtime ASC"_qs
        << L("7", "2", "1", "3", "2024/01/01", "2024/01/31");
}

void TestTextExport::statements()
{
    QFETCH(int, choices);
    QFETCH(int, kind);
    QFETCH(QString, statement);
    QFETCH(QStringList, values);
    ExportFilter filter{(choices & 1) != 0, u" 7, 2 "_qs,     false,
                        (choices & 2) != 0, u"2024/01/01"_qs, u"2024/01/31"_qs,
                        (choices & 4) != 0, u"1, 3"_qs};
    const SourceQuery query = buildLocalPunchQuery(filter, static_cast<PunchQueryKind>(kind));
    QCOMPARE(query.statement, statement);
    QStringList bound;
    for (const QVariant& v : query.values)
        bound << v.toString();
    QCOMPARE(bound, values);
}

void TestTextExport::combinations_data()
{
    QTest::addColumn<bool>("employees");
    QTest::addColumn<bool>("filtered");
    QTest::addColumn<bool>("range");
    QTest::addColumn<bool>("terminals");
    QTest::addColumn<QString>("letters");
    // Employees " 7, 2" (7's lines first), range 2024/01/01 to 2024/01/31 (drops d), terminals
    // "1, 3" (drops c). Paired or raw, the punches chosen and their order are the same.
    for (const bool filtered : {false, true}) {
        const char* data = filtered ? "filtered" : "raw";
        QTest::addRow("all/%s/all/all", data) << false << filtered << false << false << u"gefdabc"_qs;
        QTest::addRow("all/%s/all/chosen", data) << false << filtered << false << true << u"gefdab"_qs;
        QTest::addRow("all/%s/range/all", data) << false << filtered << true << false << u"gefabc"_qs;
        QTest::addRow("all/%s/range/chosen", data) << false << filtered << true << true << u"gefab"_qs;
        QTest::addRow("chosen/%s/all/all", data) << true << filtered << false << false << u"dabcef"_qs;
        QTest::addRow("chosen/%s/all/chosen", data) << true << filtered << false << true << u"dabef"_qs;
        QTest::addRow("chosen/%s/range/all", data) << true << filtered << true << false << u"abcef"_qs;
        QTest::addRow("chosen/%s/range/chosen", data) << true << filtered << true << true << u"abef"_qs;
    }
}

void TestTextExport::combinations()
{
    QFETCH(bool, employees);
    QFETCH(bool, filtered);
    QFETCH(bool, range);
    QFETCH(bool, terminals);
    QFETCH(QString, letters);
    TextExport exporter(paths(), m_progress);
    const TextExportRequest request{
        {employees, u" 7, 2"_qs, filtered, range, u"2024/01/01"_qs, u"2024/01/31"_qs, terminals, u"1, 3"_qs},
        output()};
    const Expected<ExportReport> report = exporter.exportLocal(request, lineOf);
    QVERIFY2(report.ok(), qPrintable(report.error()));
    QCOMPARE(report->status, ExportReport::Status::Exported);
    QCOMPARE(report->message, u"Export successfully"_qs);
    QCOMPARE(report->written, letters.size());
    QCOMPARE(TestFiles::read(output()), expectedFile(letters, filtered));
    QVERIFY(!QFile::exists(paths().stagingFile()));
    QCOMPARE(m_progress.value(), 100);
}

void TestTextExport::groupedByEmployeeBoxOrder_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("letters");
    QTest::newRow("7,2") << u"7,2"_qs << u"dabcef"_qs;
    QTest::newRow("2,7") << u"2,7"_qs << u"efdabc"_qs;
    QTest::newRow("typed with blanks") << u"  15 ,  2 , 7"_qs << u"gefdabc"_qs;
    QTest::newRow("repeated ID") << u"2,7,2"_qs << u"efdabc"_qs;
    QTest::newRow("unknown ID among them") << u"99,7"_qs << u"dabc"_qs;
}

void TestTextExport::groupedByEmployeeBoxOrder()
{
    QFETCH(QString, box);
    QFETCH(QString, letters);
    TextExport exporter(paths(), m_progress);
    const TextExportRequest request{{true, box, true, false, {}, {}, false, {}}, output()};
    const Expected<ExportReport> report = exporter.exportLocal(request, lineOf);
    QVERIFY2(report.ok(), qPrintable(report.error()));
    QCOMPARE(TestFiles::read(output()), expectedFile(letters, true));
}

void TestTextExport::noRowsWritesNoFile()
{
    QVERIFY(TestFiles::write(output(), "earlier export\r\n"));
    TextExport exporter(paths(), m_progress);
    for (const bool chosen : {false, true}) {
        const TextExportRequest request{
            {chosen, u"42"_qs, true, true, u"2030/01/01"_qs, u"2030/01/31"_qs, false, {}}, output()};
        const Expected<ExportReport> report = exporter.exportLocal(request, lineOf);
        QVERIFY2(report.ok(), qPrintable(report.error()));
        QCOMPARE(report->status, ExportReport::Status::NoData);
        QCOMPARE(report->message, u" No data for export !!!"_qs);
        QCOMPARE(TestFiles::read(output()), QByteArray("earlier export\r\n"));
        QVERIFY(!QFile::exists(paths().stagingFile()));
    }
}

void TestTextExport::noChosenEmployeeRowsWritesOneBlankLine()
{
    // A work table left by another search, holding none of the chosen employees.
    const QSqlDatabase db = Connections::get(Connections::LocalConnection);
    QVERIFY(executeStatement(db, QStringLiteral("insert into tblExport1(HID,FID,GID,wDate,wTime,Status) "
                                                "values('5','1','0','2024/01/09','08:00:00','1')"))
                .ok());
    TextExport exporter(paths(), m_progress);
    const TextExportRequest request{{true, u"7,2"_qs, true, false, {}, {}, false, {}}, output()};
    const Expected<ExportReport> report = exporter.exportWorkTable(request, lineOf);
    QVERIFY2(report.ok(), qPrintable(report.error()));
    QCOMPARE(report->status, ExportReport::Status::NoData);
    QCOMPARE(report->message, u" No data for export !!!"_qs);
    QCOMPARE(TestFiles::read(output()), QByteArray(" \r\n"));
    QVERIFY(!QFile::exists(paths().stagingFile()));
}

void TestTextExport::leftoverStagingIsDiscarded()
{
    QVERIFY(TestFiles::write(paths().stagingFile(), "left over from an interrupted run\r\n"));
    TextExport exporter(paths(), m_progress);
    const TextExportRequest request{{true, u"15"_qs, false, false, {}, {}, false, {}}, output()};
    QVERIFY(exporter.exportLocal(request, lineOf).ok());
    QCOMPARE(TestFiles::read(output()), expectedFile(u"g"_qs, false));
    QVERIFY(!QFile::exists(paths().stagingFile()));
}

void TestTextExport::encodesThaiWithCrLf()
{
    TextExport exporter(paths(), m_progress);
    const TextExportRequest request{{true, u"15"_qs, true, false, {}, {}, false, {}}, output()};
    const auto thai = [](const PunchRecord& p) {
        return p.hid + QStringLiteral(" \u0e40\u0e02\u0e49\u0e32");
    };
    QVERIFY(exporter.exportLocal(request, thai).ok());
    QCOMPARE(TestFiles::read(output()), QByteArray("15 \xe0\xa2\xe9\xd2\r\n"));
}

void TestTextExport::unwritableOutput_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("missing folder") << u"no-such-folder/out.txt"_qs;
    QTest::newRow("a folder") << u"folder"_qs;
}

void TestTextExport::unwritableOutput()
{
    QFETCH(QString, path);
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("folder")));
    const QString target = m_dir->filePath(path);
    TextExport exporter(paths(), m_progress);
    const Expected<ExportReport> report =
        exporter.exportLocal({{false, {}, false, false, {}, {}, false, {}}, target}, lineOf);
    QVERIFY(!report.ok());
    QVERIFY2(report.error().startsWith(u"Cannot write the export file"_qs), qPrintable(report.error()));
    QVERIFY2(report.error().contains(QDir::toNativeSeparators(target)), qPrintable(report.error()));
    QVERIFY(!QFileInfo(target).isFile());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{u"dataexport.db"_qs});
}

void TestTextExport::databaseErrorLeavesFileAlone()
{
    QVERIFY(TestFiles::write(output(), "earlier export\r\n"));
    const QSqlDatabase db = Connections::get(Connections::LocalConnection);
    QVERIFY(
        executeStatement(db, QStringLiteral("create trigger failing before insert on tblExport1 when "
                                            "new.HID = '7' begin select raise(abort, 'disk is full'); end"))
            .ok());
    TextExport exporter(paths(), m_progress);
    const Expected<ExportReport> report =
        exporter.exportLocal({{false, {}, true, false, {}, {}, false, {}}, output()}, lineOf);
    QVERIFY(!report.ok());
    QVERIFY2(report.error().contains(u"disk is full"_qs), qPrintable(report.error()));
    QVERIFY2(report.error().contains(u"was not changed"_qs), qPrintable(report.error()));
    QCOMPARE(TestFiles::read(output()), QByteArray("earlier export\r\n"));
    QVERIFY(!QFile::exists(paths().stagingFile()));
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), (L("dataexport.db", "out.txt")));
}

void TestTextExport::outputFolderVanishingMidRun()
{
    const QString folder = m_dir->filePath(QStringLiteral("target"));
    QVERIFY(QDir().mkpath(folder));
    m_progress.setYielder([folder] { QDir(folder).removeRecursively(); });
    TextExport exporter(paths(), m_progress);
    const Expected<ExportReport> report = exporter.exportLocal(
        {{false, {}, false, false, {}, {}, false, {}}, folder + QStringLiteral("/out.txt")}, lineOf);
    QVERIFY(!report.ok());
    QVERIFY2(report.error().contains(u"was not changed"_qs), qPrintable(report.error()));
    QVERIFY(!QFile::exists(folder));
    QVERIFY(!QFile::exists(paths().stagingFile()));
}

void TestTextExport::secondPressWhileRunningDoesNothing()
{
    TextExport exporter(paths(), m_progress);
    const TextExportRequest request{{false, {}, true, false, {}, {}, false, {}}, output()};
    const QString other = m_dir->filePath(QStringLiteral("other.txt"));
    QList<ExportReport::Status> inner;
    m_progress.setYielder([&] {
        const Expected<ExportReport> again = exporter.exportLocal({request.filter, other}, lineOf);
        if (again.ok())
            inner << again->status;
    });
    const Expected<ExportReport> report = exporter.exportLocal(request, lineOf);
    QVERIFY2(report.ok(), qPrintable(report.error()));
    QCOMPARE(report->status, ExportReport::Status::Exported);
    QVERIFY(!inner.isEmpty());
    for (const ExportReport::Status s : inner)
        QCOMPARE(s, ExportReport::Status::Busy);
    QVERIFY(!QFile::exists(other));
    QCOMPARE(TestFiles::read(output()), expectedFile(u"gefdabc"_qs, true));
}

QTEST_GUILESS_MAIN(TestTextExport)
#include "tst_textexport.moc"
