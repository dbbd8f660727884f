#pragma once

#include "core/platform/Outcome.h"

#include <QString>
#include <QStringList>

// Where the program keeps its files: the data directory and the files in it.
// The data directory is the executable's directory when that is writable (a portable
// install), otherwise the per-user application data directory; --data-dir overrides both.
class AppPaths final
{
public:
    explicit AppPaths(QString dataDir);

    // Reads "--data-dir DIR" (or "--data-dir=DIR") from the arguments, removing it from them.
    // Fails when the option has no value or the directory cannot be created.
    static Expected<AppPaths> fromArguments(QStringList& arguments);
    // The data directory dir (made absolute), created when it does not exist.
    static Expected<AppPaths> fromDirectory(const QString& dir);
    static QString defaultDataDir();
    // The same for a program in programDir: that folder when it is writable and not a system
    // folder (an installed program), otherwise the per-user application data folder.
    static QString defaultDataDirFor(const QString& programDir);

    const QString& dataDir() const { return m_dataDir; }
    QString settingsFile() const { return file(QStringLiteral("DefFMT.txt")); }
    QString localDatabase() const { return file(QStringLiteral("dataexport.db")); }
    QString logFile() const { return file(QStringLiteral("TQ90_log.bin")); }
    QString stagingFile() const { return file(QStringLiteral("ZUN.BAK")); }
    // Held while a sync runs, so that two never run on one data directory at once.
    QString syncLockFile() const { return file(QStringLiteral("sync.lock")); }
    QString exportFormatDir() const { return file(QStringLiteral("ExportFormat")); }
    QString layoutFile(const QString& name) const
    {
        return exportFormatDir() + u'/' + name + QStringLiteral(".ini");
    }

    // Which of the program's own files path names once links are followed ("the local
    // database", "a layout file", ...), or the empty text when it names none of them.
    QString ownFileAt(const QString& path) const;

private:
    QString file(const QString& name) const { return m_dataDir + u'/' + name; }

    QString m_dataDir;
};
