#include "core/platform/AppPaths.h"
#include "gui/platform/AppContext.h"
#include "gui/platform/WidgetPrompter.h"
#include "gui/shell/MainWindow.h"
#include "gui/shell/WindowRegistry.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>

namespace {

// With TQTOOL_EXIT_WHEN_SHOWN set (the start-up benchmark sets it), the program prints
// "shown after N ms" once the export window has been painted for the first time, then ends.
class FirstPaintProbe final : public QObject
{
public:
    explicit FirstPaintProbe(const QElapsedTimer& clock) : m_clock(clock) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !m_reported) {
            m_reported = true;
            QTextStream(stdout) << "shown after " << m_clock.elapsed() << " ms" << Qt::endl;
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    const QElapsedTimer& m_clock;
    bool m_reported = false;
};

} // namespace

int main(int argc, char** argv)
{
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("TQTool"));
    QCoreApplication::setApplicationName(QStringLiteral("tqtool"));
    WidgetPrompter prompter;
    QStringList args = QCoreApplication::arguments();
    Expected<AppPaths> paths = AppPaths::fromArguments(args);
    if (!paths) {
        QTextStream(stderr) << paths.error() << '\n';
        prompter.message(Prompter::Icon::Critical, QStringLiteral("TQ & QOR Tool"), paths.error());
        return 1;
    }
    AppContext context{*paths, prompter};
    MainWindow main(context);
    prompter.setParent(&main);
    main.show();
    // The export window is the program's first window, with no export command until the side
    // bar prepares it.
    QWidget* exportWindow = main.windows().open(WindowId::Export);
    FirstPaintProbe probe(clock);
    if (exportWindow && qEnvironmentVariableIsSet("TQTOOL_EXIT_WHEN_SHOWN"))
        exportWindow->installEventFilter(&probe);
    return QApplication::exec();
}
