// bench-startup: starts tqtool on the offscreen platform and measures the time from starting
// the process until the main window with the export window has been painted (the program
// reports it and ends when TQTOOL_EXIT_WHEN_SHOWN is set). The first start in a fresh data
// directory installs the shipped layouts; the later starts are the everyday case.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

constexpr double TargetMs = 300;

// Milliseconds from the start of the process to its report, or a negative number on failure.
double startOnce(const QString& dataDir)
{
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("TQTOOL_EXIT_WHEN_SHOWN"), QStringLiteral("1"));
    tool.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    tool.start(QStringLiteral(TQTOOL_PATH), {QStringLiteral("--data-dir"), dataDir});
    QByteArray output;
    while (!output.contains("shown after")) {
        if (!tool.waitForReadyRead(10000)) {
            std::fprintf(stderr, "tqtool did not report: %s\n", tool.readAllStandardError().constData());
            tool.kill();
            tool.waitForFinished();
            return -1;
        }
        output += tool.readAllStandardOutput();
    }
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    tool.waitForFinished();
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 7;
    QTemporaryDir dir;
    const double first = startOnce(dir.path());
    if (first < 0)
        return 1;
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        const double ms = startOnce(dir.path());
        if (ms < 0)
            return 1;
        times.append(ms);
    }
    std::sort(times.begin(), times.end());
    std::printf("start-up, fresh data directory: %.0f ms (target < %.0f)\n", first, TargetMs);
    std::printf("start-up, median of %d: %.0f ms (best %.0f, worst %.0f) (target < %.0f)\n", runs,
                times[times.size() / 2], times.first(), times.last(), TargetMs);
    return 0;
}
