#include "core/platform/AppPaths.h"

#include "core/platform/CheckedFileWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

AppPaths::AppPaths(QString dataDir) : m_dataDir(QDir::cleanPath(std::move(dataDir))) {}

QString AppPaths::defaultDataDir()
{
    const QString exeDir = QCoreApplication::applicationDirPath();
    const QFileInfo info(exeDir);
    if (!exeDir.isEmpty() && info.isDir() && info.isWritable())
        return exeDir;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

Expected<AppPaths> AppPaths::fromArguments(QStringList& arguments)
{
    QString dir;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QStringLiteral("--data-dir")) {
            if (i + 1 >= arguments.size())
                return Expected<AppPaths>::failure(QStringLiteral("--data-dir needs a directory."));
            dir = arguments[i + 1];
            arguments.remove(i, 2);
            break;
        }
        if (a.startsWith(QStringLiteral("--data-dir="))) {
            dir = a.mid(11);
            arguments.remove(i);
            if (dir.isEmpty())
                return Expected<AppPaths>::failure(QStringLiteral("--data-dir needs a directory."));
            break;
        }
    }
    if (dir.isEmpty())
        dir = defaultDataDir();
    dir = QDir(dir).absolutePath();
    if (!QDir().mkpath(dir))
        return Expected<AppPaths>::failure(
            QStringLiteral("Cannot create the data directory %1. Choose another with --data-dir.").arg(dir));
    return AppPaths(dir);
}

QString AppPaths::ownFileAt(const QString& path) const
{
    const QString target = resolvedFilePath(path);
    const QString database = localDatabase();
    const std::pair<QString, const char*> files[] = {
        {database, "the local database"},
        {database + QStringLiteral("-journal"), "the local database's journal"},
        {database + QStringLiteral("-wal"), "the local database's journal"},
        {database + QStringLiteral("-shm"), "the local database's journal"},
        {settingsFile(), "the settings file"},
        {logFile(), "the downloaded log file"},
        {stagingFile(), "the export's staging file"},
    };
    for (const auto& [file, what] : files) {
        if (isSameFile(target, file))
            return QString::fromLatin1(what);
    }
    if (target.endsWith(QStringLiteral(".ini"), Qt::CaseInsensitive) &&
        isSameFile(QFileInfo(target).path(), exportFormatDir()))
        return QStringLiteral("a layout file");
    return {};
}
