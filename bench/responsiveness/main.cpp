// bench-responsiveness: downloads a log of 1,000,000 punches from tq90-sim in the terminal
// window and stores it, then exports them, paired, from the export window, inside the main
// window on the offscreen platform, as an operator starts them. Measures how long the window
// went without an event-loop turn (the longest interval of a 10 ms timer) and without its
// progress moving (the conversion window's percentage, the export window's bar). Target: at
// most 100 ms each.
//   bench-responsiveness [punches]   (default 1,000,000; the export to the time-attendance
//                                     database goes into a PostgreSQL server over ODBC)
#include "core/layouts/ExportLayout.h"
#include "core/platform/AppPaths.h"
#include "core/storage/Connections.h"
#include "core/terminal/LogRecord.h"
#include "fixtures/PostgresServer.h"
#include "fixtures/TestPrompter.h"
#include "fixtures/Tq90SimProcess.h"
#include "gui/export/ExportWindow.h"
#include "gui/platform/AppContext.h"
#include "gui/shell/MainWindow.h"
#include "gui/shell/SideBar.h"
#include "gui/shell/WindowRegistry.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSqlError>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace {

constexpr qint64 TargetMs = 100;

// Watches the event loop and the progress while a command runs.
class Watch final : public QObject
{
public:
    Watch()
    {
        m_timer.setInterval(10);
        connect(&m_timer, &QTimer::timeout, this,
                [this] { m_loopGap = qMax(m_loopGap, m_sinceTick.restart()); });
    }
    void progressMoved() { m_progressGap = qMax(m_progressGap, m_sinceProgress.restart()); }
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
        m_progressGap = qMax(m_progressGap, m_sinceProgress.elapsed());
    }
    void print(const char* what) const
    {
        std::printf("%s: %.1f s; longest without an event-loop turn %lld ms, without the progress "
                    "moving %lld ms (target <= %lld)\n",
                    what, static_cast<double>(m_run.elapsed()) / 1000, m_loopGap, m_progressGap, TargetMs);
        std::fflush(stdout);
    }

private:
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
    const QString served = settings.filePath(QStringLiteral("served.bin"));
    QFile log(served);
    if (!log.open(QIODevice::WriteOnly) || log.write(generateLog(punches, 7)) < 0 || !log.flush()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(served));
        return 1;
    }
    log.close();
    Tq90SimProcess terminal;
    if (!terminal.start({QStringLiteral("--log"), served})) {
        std::fprintf(stderr, "cannot start tq90-sim\n");
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

    {
        // side-bar item 1, as the operator opens the terminal window
        SideBar& sideBar = main.sideBar();
        QTreeWidgetItem* item = sideBar.itemWithValue(1);
        QTest::mouseClick(sideBar.viewport(), Qt::LeftButton, {}, sideBar.visualItemRect(item).center());
        QWidget* window = main.windows().find(WindowId::Connect);
        auto* ip = window ? window->findChild<QLineEdit*>(QStringLiteral("txtIP")) : nullptr;
        auto* port = window ? window->findChild<QLineEdit*>(QStringLiteral("txtPort")) : nullptr;
        auto* connectButton =
            window ? window->findChild<QPushButton*>(QStringLiteral("btnconnect")) : nullptr;
        auto* getLog = window ? window->findChild<QPushButton*>(QStringLiteral("btnGetlog")) : nullptr;
        if (!ip || !port || !connectButton || !getLog) {
            std::fprintf(stderr, "the terminal window lacks its controls\n");
            return 1;
        }
        ip->setText(QStringLiteral("127.0.0.1"));
        port->setText(QString::number(terminal.port()));
        connectButton->click();
        Watch watch;
        // the download's and the check's percentage in the window's status line, the conversion
        // window's in between
        auto* status = window->findChild<QLabel*>(QStringLiteral("lblMsg"));
        QTimer poll;
        QString shown;
        QObject::connect(&poll, &QTimer::timeout, &main, [&] {
            auto* label = main.findChild<QLabel*>(QStringLiteral("Label2"));
            const QString now =
                status->text() + u'|' + (label && label->isVisible() ? label->text() : QString());
            if (now != shown) {
                shown = now;
                watch.progressMoved();
            }
        });
        poll.start(5);
        prompter.clear();
        watch.start();
        getLog->click();
        watch.stop();
        poll.stop();
        watch.print("download and store the log from the terminal window");
        if (prompter.texts().value(0) != QStringLiteral("ดึงข้อมูลเรียบร้อย")) {
            std::fprintf(stderr, "the download ended with: %s\n", qPrintable(prompter.texts().join(u' ')));
            return 1;
        }
    }

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
        Watch watch;
        QObject::connect(bar, &QProgressBar::valueChanged, &watch, [&watch] { watch.progressMoved(); });
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
