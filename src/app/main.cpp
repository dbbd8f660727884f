#include "app/AppPaths.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("TQTool"));
    QCoreApplication::setApplicationName(QStringLiteral("tqtool"));
    QStringList args = QCoreApplication::arguments();
    Expected<AppPaths> paths = AppPaths::fromArguments(args);
    if (!paths) {
        QTextStream(stderr) << paths.error() << '\n';
        return 2;
    }
    return 0;
}
