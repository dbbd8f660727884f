// Pairing search and text export of 1,000,000 punches of 5,000 employees, end to end, against
// a pipeline of the sqlite3 shell over the same rows in the same run: copy them sorted into a
// work table, then dump that table sorted to CSV. Prints both times and their ratio (target:
// at most 1.3).
#include "core/export/TextExport.h"
#include "core/layouts/LineBuilder.h"
#include "core/platform/AppPaths.h"
#include "core/storage/Connections.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>

namespace {

constexpr int Employees = 5000;
constexpr int Days = 50;
constexpr int PunchesPerDay = 4;

bool fillPunches(QSqlDatabase db)
{
    if (!db.transaction())
        return false;
    PreparedStatement insert(db, QStringLiteral("insert into tblexport(HID,FID,GID,wDate,wTime,Status) "
                                                "values(?,?,?,?,?,?)"));
    const char* times[PunchesPerDay] = {"08:01:10", "12:00:05", "13:02:40", "17:31:00"};
    QVariantList values(6);
    // Inserted day by day, so the source query really has to sort.
    for (int day = 0; day < Days; ++day) {
        const QString date = QStringLiteral("2024/%1/%2")
                                 .arg(1 + day / 28, 2, 10, QChar(u'0'))
                                 .arg(1 + day % 28, 2, 10, QChar(u'0'));
        for (int e = 0; e < Employees; ++e) {
            for (int p = 0; p < PunchesPerDay; ++p) {
                values[0] = QString::number(1000 + e);
                values[1] = QString::number(1 + e % 8);
                values[2] = QString::number(e % 20);
                values[3] = date;
                values[4] = QString::fromLatin1(times[p]);
                values[5] = (e + day + p) % 17 == 0 ? QStringLiteral("2") : QStringLiteral("0");
                if (!insert.exec(values)) {
                    std::fprintf(stderr, "%s\n", qPrintable(insert.error()));
                    return false;
                }
            }
        }
    }
    return db.commit();
}

bool runSqlite(const QString& db, const QString& sql, const QString& outputFile = {})
{
    QProcess sqlite;
    if (!outputFile.isEmpty())
        sqlite.setStandardOutputFile(outputFile);
    sqlite.start(QStringLiteral("sqlite3"), {QStringLiteral("-csv"), db, sql});
    if (!sqlite.waitForFinished(-1) || sqlite.exitCode() != 0) {
        std::fprintf(stderr, "sqlite3 failed: %s\n", sqlite.readAllStandardError().constData());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const AppPaths paths(dir.path());
    if (const Outcome opened = openLocalDatabase(paths); !opened) {
        std::fprintf(stderr, "%s\n", qPrintable(opened.error()));
        return 1;
    }
    QSqlDatabase db = Connections::get(Connections::LocalConnection);
    std::printf("filling %d punches of %d employees...\n", Employees * Days * PunchesPerDay, Employees);
    std::fflush(stdout);
    if (!fillPunches(db) ||
        !executeStatement(db, QStringLiteral("create table refWork as select * from tblExport1 where 0"))
             .ok())
        return 1;
    db = QSqlDatabase();

    // A layout as an operator would make it: person, terminal, date, time, event.
    ExportLayout layout;
    layout.delimiter = QStringLiteral(",");
    layout.datePattern = QStringLiteral("dd/MM/yyyy");
    layout.timePattern = QStringLiteral("HH:mm");
    layout.inText = QStringLiteral("IN");
    layout.outText = QStringLiteral("OUT");
    layout.alignments = {1, 1, 0, 0, 0};
    layout.pads = {QStringLiteral("0"), QStringLiteral("0"), QStringLiteral(" "), QStringLiteral(" "),
                   QStringLiteral(" ")};
    const QList<LayoutRow> rows = {{QStringLiteral("UID"), QStringLiteral("8")},
                                   {QStringLiteral("Kestrum ID"), QStringLiteral("3")},
                                   {QStringLiteral("Date"), QStringLiteral("11")},
                                   {QStringLiteral("Time"), QStringLiteral("5")},
                                   {QStringLiteral("Event"), QStringLiteral("3")}};
    const LineBuilder builder(layout, rows, layout.delimiter, ExportDataType::Filtered);

    RunProgress progress;
    TextExport exporter(paths, progress);
    TextExportRequest request;
    request.filter.filtered = true;
    request.outputFile = dir.filePath(QStringLiteral("export.txt"));
    // The machine may be shared: each side runs three times, alternating, and its best time counts.
    constexpr int Runs = 3;
    const QString file = paths.localDatabase();
    const QString csv = dir.filePath(QStringLiteral("reference.csv"));
    double ours = 1e9;
    double reference = 1e9;
    qint64 lines = 0;
    QElapsedTimer clock;
    for (int run = 0; run < Runs; ++run) {
        if (const Outcome opened = openLocalDatabase(paths); !opened)
            return 1;
        clock.start();
        const Expected<ExportReport> report = exporter.exportLocal(
            request, [&builder](const PunchRecord& punch) { return builder.build(punch); });
        const double ourRun = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        ours = std::min(ours, ourRun);
        if (!report) {
            std::fprintf(stderr, "%s\n", qPrintable(report.error()));
            return 1;
        }
        lines = report->written;
        Connections::close(Connections::LocalConnection);

        clock.restart();
        if (!runSqlite(file, QStringLiteral("begin; delete from refWork; insert into refWork select * from "
                                            "tblexport order by HID,wDate,wTime; commit;")) ||
            !runSqlite(file, QStringLiteral("select * from refWork order by HID,wDate,wTime;"), csv))
            return 1;
        const double referenceRun = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        reference = std::min(reference, referenceRun);
        std::printf("run %d: ours %.2f s, sqlite3 %.2f s\n", run + 1, ourRun, referenceRun);
        std::fflush(stdout);
    }

    std::printf("search + text export: %lld lines, %lld bytes in %.2f s\n", static_cast<long long>(lines),
                static_cast<long long>(QFileInfo(request.outputFile).size()), ours);
    std::printf("sqlite3 reference:    %lld bytes in %.2f s\n", static_cast<long long>(QFileInfo(csv).size()),
                reference);
    std::printf("search + text export: %.2fx the sqlite3 pipeline (target <= 1.3)\n", ours / reference);
    return 0;
}
