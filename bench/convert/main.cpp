// bench-convert: converts a log of 1,000,000 punches into an empty local database and again
// into one that already holds them, and compares each time with the sqlite3 shell's .import of
// the same rows as CSV into the same schema (table and index), measured in the same run. The
// peak memory is that of `tqtool-cli import` converting the log into an empty database.
#include "core/platform/AppPaths.h"
#include "core/storage/Connections.h"
#include "core/terminal/LogConversion.h"
#include "core/terminal/LogRecord.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>

#include <sys/resource.h>

namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const int punches = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1000000;
    const QString sqlite3 = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (sqlite3.isEmpty()) {
        QTextStream(stderr) << "bench-convert needs the sqlite3 shell (apt-get install sqlite3)\n";
        return 1;
    }
    QTemporaryDir dir;
    const AppPaths paths(dir.path());

    if (!writeFile(paths.logFile(), generateLog(punches, 42) + QByteArray(1, '\0'))) {
        QTextStream(stderr) << "cannot write the log in " << dir.path() << '\n';
        return 1;
    }

    // Peak memory of the import on its own: the command line's, started while this process is
    // still small (a child's peak counts the parent's memory it starts with), and the first
    // child here.
    QTemporaryDir cliData;
    QProcess cli;
    cli.start(QStringLiteral(TQTOOL_CLI_PATH),
              {QStringLiteral("--data-dir"), cliData.path(), QStringLiteral("import"), paths.logFile()});
    if (!cli.waitForFinished(-1) || cli.exitCode() != 0) {
        QTextStream(stderr) << "tqtool-cli import failed: " << cli.readAllStandardError() << '\n';
        return 1;
    }
    rusage children{};
    getrusage(RUSAGE_CHILDREN, &children);
    const double peakMiB = static_cast<double>(children.ru_maxrss) / 1024.0;

    const QByteArray log = generateLog(punches, 42);
    QByteArray csv;
    csv.reserve(static_cast<qsizetype>(punches) * 48);
    for (qsizetype i = 0; i < log.size(); i += LogRecord::Size) {
        const LogRecord r = LogRecord::decode(log.constData() + i);
        csv +=
            (QStringList{r.hid(), r.fid(), r.gid(), r.wDate(), r.wTime(), r.statusText()}.join(u',') + u'\n')
                .toLatin1();
    }
    const QString csvPath = dir.filePath(QStringLiteral("rows.csv"));
    if (!writeFile(csvPath, csv)) {
        QTextStream(stderr) << "cannot write the CSV in " << dir.path() << '\n';
        return 1;
    }

    // reference: the sqlite3 shell importing the CSV into the same schema
    const QString script =
        QStringLiteral("CREATE TABLE tblexport (HID TEXT, FID TEXT, GID TEXT, wDate TEXT, wTime TEXT, "
                       "Status TEXT);\n"
                       "CREATE INDEX ix_tblexport_punch ON tblexport (HID, FID, GID, wDate, wTime, "
                       "Status);\n"
                       ".mode csv\n.import %1 tblexport\n")
            .arg(csvPath);
    QProcess shell;
    QElapsedTimer timer;
    timer.start();
    shell.start(sqlite3, {dir.filePath(QStringLiteral("reference.db"))});
    shell.write(script.toUtf8());
    shell.closeWriteChannel();
    if (!shell.waitForFinished(-1) || shell.exitCode() != 0) {
        QTextStream(stderr) << "sqlite3 failed: " << shell.readAllStandardError() << '\n';
        return 1;
    }
    const double reference = static_cast<double>(timer.nsecsElapsed()) / 1e9;

    if (const Outcome opened = openLocalDatabase(paths); !opened) {
        QTextStream(stderr) << opened.error() << '\n';
        return 1;
    }
    double times[2] = {0, 0};
    for (double& t : times) {
        const QSqlDatabase db = Connections::get(Connections::LocalConnection);
        timer.restart();
        const auto result = convertLogToDatabase(paths.logFile(), db);
        t = static_cast<double>(timer.nsecsElapsed()) / 1e9;
        if (!result) {
            QTextStream(stderr) << result.error() << '\n';
            return 1;
        }
        out << "  converted: " << conversionSummary(*result) << '\n';
    }
    out << "punches: " << punches << '\n';
    out << QStringLiteral("sqlite3 .import of the CSV: %1 s\n").arg(reference, 0, 'f', 3);
    out << QStringLiteral("import empty: %1 s = %2x sqlite3 (target <= 0.45)\n")
               .arg(times[0], 0, 'f', 3)
               .arg(times[0] / reference, 0, 'f', 2);
    out << QStringLiteral("import again (all present): %1 s = %2x sqlite3 (target <= 0.35)\n")
               .arg(times[1], 0, 'f', 3)
               .arg(times[1] / reference, 0, 'f', 2);
    out << QStringLiteral(
               "import peak memory (tqtool-cli import into an empty database): %1 MB (target <= 64)\n")
               .arg(peakMiB, 0, 'f', 1);
    Connections::close(Connections::LocalConnection);
    return 0;
}
