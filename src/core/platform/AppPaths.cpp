#include "core/platform/AppPaths.h"

#include "core/platform/CheckedFileWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

AppPaths::AppPaths(QString dataDir) : m_dataDir(QDir::cleanPath(std::move(dataDir))) {}

namespace {

// An installed program (below /usr, as the package puts it) keeps its data per user, even when
// the user, such as root, could write into the program's folder.
bool isSystemProgramDir(const QString& dir)
{
    const QString path = QFileInfo(dir).canonicalFilePath();
    return path == u"/usr" || path.startsWith(u"/usr/") || path == u"/bin" || path == u"/sbin";
}

} // namespace

QString AppPaths::defaultDataDir()
{
    return defaultDataDirFor(QCoreApplication::applicationDirPath());
}

QString AppPaths::defaultDataDirFor(const QString& programDir)
{
    const QFileInfo info(programDir);
    if (!programDir.isEmpty() && info.isDir() && info.isWritable() && !isSystemProgramDir(programDir))
        return programDir;
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
    return fromDirectory(dir.isEmpty() ? defaultDataDir() : dir);
}

Expected<AppPaths> AppPaths::fromDirectory(const QString& dir)
{
    const QString absolute = QDir(dir).absolutePath();
    if (!QDir().mkpath(absolute))
        return Expected<AppPaths>::failure(
            QStringLiteral("Cannot create the data directory %1. Choose another with --data-dir.")
                .arg(absolute));
    return AppPaths(absolute);
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
