#include "gui/layouts/LayoutFileChoice.h"

#include "core/layouts/LayoutFile.h"

#include <QFileInfo>

QString chooseLayoutFile(const AppPaths& paths, const QString& name, Prompter& prompter)
{
    if (!name.isEmpty()) {
        const Expected<QString> file = layoutFileNamed(paths, name);
        return file ? *file : QString();
    }
    const QString chosen =
        prompter.askFileName(Prompter::FileDialog::Open, QStringLiteral("ini Files (*.ini)|*.ini"));
    return chosen.isEmpty() ? QString() : QFileInfo(chosen).absoluteFilePath();
}
