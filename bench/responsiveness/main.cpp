// bench-responsiveness: runs the exports of 1,000,000 paired punches from the export window
// inside the main window, on the offscreen platform, as an operator starts them, and measures
// how long the window went without an event-loop turn (the longest interval of a 10 ms timer)
// and without its progress bar moving. Target: at most 100 ms each.
//   bench-responsiveness [punches]   (default 1,000,000; the export to the time-attendance
//                                     database goes into a PostgreSQL server over ODBC)
#include "core/layouts/ExportLayout.h"
#include "core/platform/AppPaths.h"
#include "core/storage/Connections.h"
#include "core/storage/SqliteHandle.h"
#include "fixtures/PostgresServer.h"
#include "fixtures/TestPrompter.h"
#include "gui/export/ExportWindow.h"
#include "gui/platform/AppContext.h"
#include "gui/shell/MainWindow.h"
#include "gui/shell/SideBar.h"
#include "gui/shell/WindowRegistry.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSqlError>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <sqlite3.h>

#include <cstdio>

namespace {

constexpr qint64 TargetMs = 100;

// Punches of employees over working days, four a day, inserted day by day.
bool fillPunches(int punches)
{
    sqlite3* db = SqliteHandle(Connections::get(Connections::LocalConnection));
    sqlite3_stmt* insert = nullptr;
    if (!db || sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK ||
        sqlite3_prepare_v2(db, "insert into tblexport(HID,FID,GID,wDate,wTime,Status) values(?,?,?,?,?,?)",
                           -1, &insert, nullptr) != SQLITE_OK)
        return false;
    const char* times[4] = {"08:01:10", "12:00:05", "13:02:40", "17:31:00"};
    constexpr int Employees = 5000;
    bool ok = true;
    for (int i = 0; i < punches && ok; ++i) {
        const int e = i / 4 % Employees;
        const int day = i / (4 * Employees);
        const QByteArray values[6] = {QByteArray::number(1000 + e),
                                      QByteArray::number(1 + e % 8),
                                      QByteArray::number(e % 20),
                                      QStringLiteral("2024/%1/%2")
                                          .arg(1 + day / 28 % 12, 2, 10, QChar(u'0'))
                                          .arg(1 + day % 28, 2, 10, QChar(u'0'))
                                          .toLatin1(),
                                      times[i % 4],
                                      "0"};
        sqlite3_reset(insert);
        for (int c = 0; c < 6; ++c)
            sqlite3_bind_text(insert, c + 1, values[c].constData(), static_cast<int>(values[c].size()),
                              SQLITE_TRANSIENT);
        ok = sqlite3_step(insert) == SQLITE_DONE;
    }
    sqlite3_finalize(insert);
    return ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
}

// Watches the event loop and the progress bar while a command runs.
class Watch final : public QObject
{
public:
    explicit Watch(QProgressBar& bar) : m_bar(bar)
    {
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this,
                [this] { m_loopGap = qMax(m_loopGap, m_sinceTick.restart()); });
        connect(&bar, &QProgressBar::valueChanged, this,
                [this] { m_progressGap = qMax(m_progressGap, m_sinceProgress.restart()); });
    }
    void start()
    {
        m_loopGap = m_progressGap = 0;
        m_run.start();
        m_sinceTick.start();
        m_sinceProgress.start();
        m_timer.start();
    }
    void stop()
    {
        m_timer.stop();
        m_loopGap = qMax(m_loopGap, m_sinceTick.elapsed());
    }
    void print(const char* what) const
    {
        std::printf("%s: %.1f s; longest without an event-loop turn %lld ms, without the progress bar "
                    "moving %lld ms (target <= %lld)\n",
                    what, static_cast<double>(m_run.elapsed()) / 1000, m_loopGap, m_progressGap, TargetMs);
        std::fflush(stdout);
    }

private:
    QProgressBar& m_bar;
    QTimer m_timer;
    QElapsedTimer m_run;
    QElapsedTimer m_sinceTick;
    QElapsedTimer m_sinceProgress;
    qint64 m_loopGap = 0;
    qint64 m_progressGap = 0;
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int punches = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1000000;
    QTemporaryDir dir;
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    const AppPaths paths(dir.path());
    if (const Outcome opened = openLocalDatabase(paths); !opened || !fillPunches(punches)) {
        std::fprintf(stderr, "cannot fill the local database in %s\n", qPrintable(dir.path()));
        return 1;
    }
    PostgresServer server;
    if (!server.start()) {
        std::fprintf(stderr, "%s\n", qPrintable(server.error()));
        return 1;
    }
    QSqlDatabase target =
        Connections::replace(Connections::TimeAttendanceConnection, QStringLiteral("QODBC"));
    target.setDatabaseName(server.odbcConnectionString());
    // a time-attendance table keyed on the punch, as the program that owns it would keep it
    if (!target.open() ||
        !executeStatement(target,
                          QStringLiteral("create table tblTransaction (TerminalID varchar(10), HumanID "
                                         "varchar(20), StampDateTime varchar(19), StampStat varchar(3), "
                                         "Process varchar(1), Upload varchar(1))"))
             .ok() ||
        !executeStatement(target, QStringLiteral("create index ix_punch on tblTransaction (HumanID, "
                                                 "StampDateTime, TerminalID, StampStat)"))
             .ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(target.lastError().text()));
        return 1;
    }
    target = QSqlDatabase();

    TestPrompter prompter;
    AppContext context{paths, prompter};
    MainWindow main(context);
    main.show();
    if (!QTest::qWaitForWindowExposed(&main))
        return 1;
    std::printf("%d punches\n", punches);

    struct Run
    {
        const char* what;
        int sideBarItem;
        const char* command;
    };
    for (const Run& run : {Run{"text export from the window", 2, "cmdExport"},
                           Run{"export to the time-attendance database from the window", 3, "cmdExportTA"}}) {
        // as side-bar item 2 or 3 does, the connections being open already
        auto* window = qobject_cast<ExportWindow*>(main.windows().open(WindowId::Export, run.sideBarItem));
        auto* bar = window ? window->findChild<QProgressBar*>(QStringLiteral("ProgressBar1")) : nullptr;
        auto* filtered = window ? window->findChild<QRadioButton*>(QStringLiteral("optDataType_1")) : nullptr;
        auto* command = window ? window->findChild<QPushButton*>(QString::fromLatin1(run.command)) : nullptr;
        if (!bar || !filtered || !command) {
            std::fprintf(stderr, "the export window lacks its controls\n");
            return 1;
        }
        filtered->setChecked(true);
        prompter.clear();
        prompter.queueFileName(dir.filePath(QStringLiteral("export.txt")));
        Watch watch(*bar);
        watch.start();
        command->click();
        watch.stop();
        watch.print(run.what);
        if (prompter.texts().value(0) != u"Export successfully") {
            std::fprintf(stderr, "the export ended with: %s\n", qPrintable(prompter.texts().join(u' ')));
            return 1;
        }
    }
    return 0;
}
