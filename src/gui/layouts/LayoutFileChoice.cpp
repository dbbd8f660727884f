#include "gui/layouts/LayoutFileChoice.h"

#include <QFileInfo>

QString chooseLayoutFile(const AppPaths& paths, const QString& name, Prompter& prompter)
{
    if (!name.isEmpty())
        return paths.layoutFile(name);
    const QString chosen =
        prompter.askFileName(Prompter::FileDialog::Open, QStringLiteral("ini Files (*.ini)|*.ini"));
    return chosen.isEmpty() ? QString() : QFileInfo(chosen).absoluteFilePath();
}
