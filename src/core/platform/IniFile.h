#pragma once

#include "core/platform/Outcome.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// An INI file read and written by the Windows profile rules that the settings file and the
// layout files rely on. QSettings is not used because it escapes values, sorts keys and
// rewrites the whole file; here a write touches one line and leaves every other byte as it was.
//  - section and key names match without regard to letter case; the first match wins;
//  - a value is the text after the first '=', blanks around it and one pair of matching
//    enclosing quotes removed;
//  - a write replaces an existing key's value in place, adds a new key after the last line of
//    its section and a new section at the end of the file; lines end in CR LF;
//  - the file is 8-bit text in code page 874.
class IniDocument final
{
public:
    static IniDocument fromBytes(const QByteArray& bytes);
    // A missing or unreadable file gives an empty document.
    static IniDocument load(const QString& path);

    std::optional<QString> value(const QString& section, const QString& key) const;
    // The section names in file order, as written.
    QStringList sections() const;
    // Values are written unchanged; line breaks inside a value are replaced by blanks so that
    // one value can never become several lines.
    void setValue(const QString& section, const QString& key, const QString& value);

    QByteArray toBytes() const;
    // Replaces the file atomically: a failed write leaves the earlier file intact.
    Outcome save(const QString& path) const;

private:
    struct Line
    {
        QByteArray text; // without its line end
        QByteArray end;  // "\r\n", "\n", "\r" or empty for an unterminated last line
    };

    qsizetype findSection(const QString& section) const;
    qsizetype sectionEnd(qsizetype header) const;
    static std::optional<QString> sectionName(const QByteArray& line);
    static std::optional<QString> keyName(const QByteArray& line);

    QList<Line> m_lines;
};

// The settings file's reader: at most 254 characters of value, surrounding blanks removed;
// the default when the file, section or key is missing.
QString readIniValue(const QString& section, const QString& key, const QString& defaultValue,
                     const QString& path);
// Returns 1 when the value was stored, 0 when the file could not be written.
int writeIniValue(const QString& section, const QString& key, const QString& value, const QString& path);

// The layout files' reader: at most 255 characters, empty when missing.
QString readLayoutValue(const QString& section, const QString& key, const QString& path);
int writeLayoutValue(const QString& section, const QString& key, const QString& value, const QString& path);

// Stored form of the SQL Server password: the character at 1-based position i is raised by i
// code points in code page 874. A password that would pass code 255, or holds a character the
// code page lacks, is refused rather than stored garbled.
Expected<QString> shiftPassword(const QString& password);
QString unshiftPassword(const QString& stored);
