// exportLocal of 100,000 punches into a PostgreSQL server over loopback through psqlODBC (default
// driver settings), as a user's time-attendance database is reached. Prints rows per second (target: at least
// 80,000), for a first export into an empty table and for the same period exported again.
#include "core/export/TimeAttendanceExport.h"
#include "core/platform/AppPaths.h"
#include "core/storage/Connections.h"
#include "fixtures/PostgresServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlError>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int Employees = 1000;
constexpr int Days = 25;
constexpr int PunchesPerDay = 4;

bool fillPunches(QSqlDatabase db)
{
    if (!db.transaction())
        return false;
    PreparedStatement insert(db, QStringLiteral("insert into tblexport(HID,FID,GID,wDate,wTime,Status) "
                                                "values(?,?,?,?,?,?)"));
    const char* times[PunchesPerDay] = {"08:01:10", "12:00:05", "13:02:40", "17:31:00"};
    QVariantList values(6);
    for (int e = 0; e < Employees; ++e) {
        for (int day = 0; day < Days; ++day) {
            for (int p = 0; p < PunchesPerDay; ++p) {
                values[0] = QString::number(1000 + e);
                values[1] = QString::number(1 + e % 8);
                values[2] = QStringLiteral("0");
                values[3] = QStringLiteral("2024/03/%1").arg(1 + day, 2, 10, QChar(u'0'));
                values[4] = QString::fromLatin1(times[p]);
                values[5] = QStringLiteral("0");
                if (!insert.exec(values))
                    return false;
            }
        }
    }
    return db.commit();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    PostgresServer server;
    if (!server.start()) {
        std::fprintf(stderr, "%s\n", qPrintable(server.error()));
        return 1;
    }
    QSqlDatabase target =
        Connections::replace(Connections::TimeAttendanceConnection, QStringLiteral("QODBC"));
    target.setDatabaseName(server.odbcConnectionString());
    if (!target.open()) {
        std::fprintf(stderr, "%s\n", qPrintable(target.lastError().text()));
        return 1;
    }
    // A time-attendance table keyed on the punch, as the program that owns it would keep it.
    for (const char* sql :
         {"create table tblTransaction (TerminalID varchar(10), HumanID varchar(20), StampDateTime "
          "varchar(19), "
          "StampStat varchar(3), Process varchar(1), Upload varchar(1))",
          "create index ix_punch on tblTransaction (HumanID, StampDateTime, TerminalID, StampStat)"}) {
        if (!executeStatement(target, QString::fromLatin1(sql)).ok())
            return 1;
    }

    QTemporaryDir dir;
    if (const Outcome opened = openLocalDatabase(AppPaths(dir.path())); !opened) {
        std::fprintf(stderr, "%s\n", qPrintable(opened.error()));
        return 1;
    }
    if (!fillPunches(Connections::get(Connections::LocalConnection)))
        return 1;

    RunProgress progress;
    for (const char* round : {"into an empty table", "the same period again"}) {
        QElapsedTimer clock;
        clock.start();
        const Expected<ExportReport> report = TimeAttendanceExport(target, progress).exportLocal({});
        const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        if (!report) {
            std::fprintf(stderr, "%s\n", qPrintable(report.error()));
            return 1;
        }
        std::printf("ExportTA %s: %lld punches in %.2f s = %.0f rows/s (target >= 80000)\n", round,
                    static_cast<long long>(report->written), seconds,
                    static_cast<double>(report->written) / seconds);
        std::fflush(stdout);
    }
    target = QSqlDatabase();
    Connections::close(Connections::TimeAttendanceConnection);
    Connections::close(Connections::LocalConnection);
    return 0;
}
