#pragma once

#include "core/platform/Outcome.h"

#include <QByteArray>
#include <QHash>
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
// The file is read once into its sections, each with an index of its keys, so that loading a
// file and looking up all of its values takes time in proportion to the file's size.
class IniDocument final
{
public:
    static IniDocument fromBytes(const QByteArray& bytes);
    // A missing or unreadable file, or one that is not a regular file, gives an empty document.
    static IniDocument load(const QString& path);

    std::optional<QString> value(const QString& section, const QString& key) const;
    // The section names in file order, as written.
    QStringList sections() const;
    // Values are written unchanged; line breaks inside a value, a key or a section name are
    // replaced by blanks so that one entry can never become several lines.
    void setValue(const QString& section, const QString& key, const QString& value);

    QByteArray toBytes() const;
    // Replaces the file atomically: a failed write leaves the earlier file intact. A path that
    // names a folder, a pipe or a device is refused.
    Outcome save(const QString& path) const;

private:
    enum class LineEnd : quint8 { None, CrLf, Lf, Cr };
    struct Line
    {
        QByteArray text; // without its line end
        LineEnd end = LineEnd::CrLf;
    };
    struct Section
    {
        QList<Line> lines;              // the header line first; the lines before the first header have none
        QHash<QString, qsizetype> keys; // folded key name -> its first line in lines
    };

    static std::optional<QString> sectionName(const QByteArray& line);
    static std::optional<QString> keyName(const QByteArray& line);
    static QString folded(const QString& name) { return name.toCaseFolded(); }
    const Section* findSection(const QString& section) const;
    void appendLine(Line line);

    QList<Section> m_sections;
    QHash<QString, qsizetype> m_sectionIndex; // folded section name -> its first section
};

// The settings file's reader: at most 254 characters of value, surrounding blanks removed;
// the default when the file, section or key is missing.
QString readIniValue(const QString& section, const QString& key, const QString& defaultValue,
                     const QString& path);
// Returns 1 when the value was stored, 0 when the file could not be written.
int writeIniValue(const QString& section, const QString& key, const QString& value, const QString& path);
// The settings writer for values typed by an operator or a script: stores the value only when
// readIniValue gives back exactly that value, and otherwise says why not (enclosing quotes,
// blanks around it, a character outside code page 874, a line break, more than 254
// characters), leaving the file as it was; a failed write names the file and the reason.
Outcome storeIniValue(const QString& section, const QString& key, const QString& value, const QString& path);

// The layout files' reader: at most 255 characters, empty when missing.
QString readLayoutValue(const QString& section, const QString& key, const QString& path);
int writeLayoutValue(const QString& section, const QString& key, const QString& value, const QString& path);

// Stored form of the SQL Server password: the character at 1-based position i is raised by i
// code points in code page 874. A password that would pass code 255, or holds a character the
// code page lacks, is refused rather than stored garbled.
Expected<QString> shiftPassword(const QString& password);
QString unshiftPassword(const QString& stored);
