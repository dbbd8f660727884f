#include "core/platform/AppPaths.h"
#include "gui/platform/AppContext.h"
#include "gui/platform/WidgetPrompter.h"
#include "gui/shell/MainWindow.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
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
    main.windows().open(WindowId::Export);
    return QApplication::exec();
}
