#include "core/platform/IniFile.h"

#include "core/platform/CheckedFileWriter.h"
#include "core/platform/Cp874.h"

#include <QDir>
#include <QFile>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

QByteArray trimBlanks(const QByteArray& s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.mid(b, e - b);
}

// The platform's profile read into a buffer of bufferSize characters (NUL included).
QString profileRead(const QString& section, const QString& key, const QString& defaultValue,
                    const QString& path, int bufferSize)
{
    const std::optional<QString> stored = IniDocument::load(path).value(section, key);
    QString result;
    if (stored) {
        result = *stored;
    } else {
        // the platform drops trailing blanks of the default
        result = defaultValue;
        while (!result.isEmpty() && (result.back() == u' ' || result.back() == u'\t'))
            result.chop(1);
    }
    if (result.size() > bufferSize - 1)
        result.truncate(bufferSize - 1);
    return result;
}

// The settings reader's cleaning of a value that arrived in its buffer: NULs dropped, then the
// spaces around it.
QString cleanSetting(QString v)
{
    v.remove(QChar(u'\0'));
    qsizetype b = 0;
    qsizetype e = v.size();
    while (b < e && v[b] == u' ')
        ++b;
    while (e > b && v[e - 1] == u' ')
        --e;
    return v.mid(b, e - b);
}

constexpr int SettingBufferSize = 255;

} // namespace

IniDocument IniDocument::fromBytes(const QByteArray& bytes)
{
    IniDocument doc;
    doc.m_sections.append(Section()); // the lines before the first section
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        qsizetype i = pos;
        while (i < bytes.size() && bytes[i] != '\r' && bytes[i] != '\n')
            ++i;
        Line line{bytes.mid(pos, i - pos), LineEnd::None};
        pos = i;
        if (i < bytes.size()) {
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
                line.end = LineEnd::CrLf;
                pos += 2;
            } else {
                line.end = bytes[i] == '\r' ? LineEnd::Cr : LineEnd::Lf;
                pos += 1;
            }
        }
        doc.appendLine(std::move(line));
    }
    return doc;
}

void IniDocument::appendLine(Line line)
{
    if (const std::optional<QString> name = sectionName(line.text)) {
        if (const QString f = folded(*name); !m_sectionIndex.contains(f))
            m_sectionIndex.insert(f, m_sections.size());
        m_sections.append(Section());
    } else if (m_sections.size() > 1) {
        // keys before the first section are never looked up
        if (const std::optional<QString> key = keyName(line.text))
            if (const QString f = folded(*key); !m_sections.back().keys.contains(f))
                m_sections.back().keys.insert(f, m_sections.back().lines.size());
    }
    m_sections.back().lines.append(std::move(line));
}

IniDocument IniDocument::load(const QString& path)
{
    QFile file(path);
    // a named pipe would block the read until some other program writes into it
    if (path.isEmpty() || !notRegularFileReason(path).isEmpty() || !file.open(QIODevice::ReadOnly))
        return fromBytes({});
    return fromBytes(file.readAll());
}

std::optional<QString> IniDocument::sectionName(const QByteArray& line)
{
    const QByteArray t = trimBlanks(line);
    if (!t.startsWith('['))
        return std::nullopt;
    qsizetype close = t.indexOf(']');
    if (close < 0)
        close = t.size();
    return Cp874::decode(trimBlanks(t.mid(1, close - 1)));
}

std::optional<QString> IniDocument::keyName(const QByteArray& line)
{
    const qsizetype eq = line.indexOf('=');
    if (eq < 0)
        return std::nullopt;
    return Cp874::decode(trimBlanks(line.left(eq)));
}

const IniDocument::Section* IniDocument::findSection(const QString& section) const
{
    const auto found = m_sectionIndex.constFind(folded(section));
    return found == m_sectionIndex.constEnd() ? nullptr : &m_sections[*found];
}

QStringList IniDocument::sections() const
{
    QStringList names;
    for (const Section& section : m_sections) {
        if (!section.lines.isEmpty()) {
            if (const auto name = sectionName(section.lines.constFirst().text))
                names.append(*name);
        }
    }
    return names;
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const
{
    const Section* s = findSection(section);
    if (!s)
        return std::nullopt;
    const auto line = s->keys.constFind(folded(key));
    if (line == s->keys.constEnd())
        return std::nullopt;
    const QByteArray& text = s->lines[*line].text;
    QByteArray v = trimBlanks(text.mid(text.indexOf('=') + 1));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    return Cp874::decode(v);
}

void IniDocument::setValue(const QString& sectionText, const QString& keyText, const QString& value)
{
    const auto oneLine = [](QString text) {
        return text.replace(u'\r', u' ').replace(u'\n', u' ');
    };
    const QString section = oneLine(sectionText);
    const QString key = oneLine(keyText);
    const QByteArray v = Cp874::encode(oneLine(value));
    if (m_sections.isEmpty())
        m_sections.append(Section());

    const auto found = m_sectionIndex.constFind(folded(section));
    if (found == m_sectionIndex.constEnd()) {
        for (qsizetype i = m_sections.size() - 1; i >= 0; --i) {
            if (!m_sections[i].lines.isEmpty()) {
                Line& last = m_sections[i].lines.back();
                if (last.end == LineEnd::None)
                    last.end = LineEnd::CrLf;
                break;
            }
        }
        appendLine({'[' + Cp874::encode(section) + ']', LineEnd::CrLf});
        appendLine({Cp874::encode(key) + '=' + v, LineEnd::CrLf});
        return;
    }
    Section& s = m_sections[*found];
    if (const auto line = s.keys.constFind(folded(key)); line != s.keys.constEnd()) {
        QByteArray& text = s.lines[*line].text;
        text = text.left(text.indexOf('=') + 1) + v;
        return;
    }
    // after the section's last line that is not blank (its header at least); every key stands
    // on a line that is not blank, so no key's line moves
    qsizetype last = s.lines.size() - 1;
    while (last > 0 && trimBlanks(s.lines[last].text).isEmpty())
        --last;
    if (s.lines[last].end == LineEnd::None)
        s.lines[last].end = LineEnd::CrLf;
    const QByteArray text = Cp874::encode(key) + '=' + v;
    s.lines.insert(last + 1, {text, LineEnd::CrLf});
    if (sectionName(text)) {
        // a key such as "[x" makes a line that opens a section when the file is read again
        *this = fromBytes(toBytes());
        return;
    }
    // indexed by the name a reading finds on the line, which for a key holding "=" is not key
    if (const QString name = folded(*keyName(text)); !s.keys.contains(name))
        s.keys.insert(name, last + 1);
}

QByteArray IniDocument::toBytes() const
{
    QByteArray out;
    for (const Section& s : m_sections) {
        for (const Line& line : s.lines) {
            out += line.text;
            switch (line.end) {
            case LineEnd::None:
                break;
            case LineEnd::CrLf:
                out += "\r\n";
                break;
            case LineEnd::Lf:
                out += '\n';
                break;
            case LineEnd::Cr:
                out += '\r';
                break;
            }
        }
    }
    return out;
}

Outcome IniDocument::save(const QString& path) const
{
    if (const QString kind = notRegularFileReason(path); !kind.isEmpty())
        return Outcome::failure(QStringLiteral("Cannot write %1: it is %2, not a file")
                                    .arg(QDir::toNativeSeparators(path), kind));
    return writeFileAtomically(path, toBytes());
}

QString readIniValue(const QString& section, const QString& key, const QString& defaultValue,
                     const QString& path)
{
    return cleanSetting(profileRead(section, key, defaultValue, path, SettingBufferSize));
}

int writeIniValue(const QString& section, const QString& key, const QString& value, const QString& path)
{
    IniDocument doc = IniDocument::load(path);
    doc.setValue(section, key, value);
    return doc.save(path).ok() ? 1 : 0;
}

Outcome storeIniValue(const QString& section, const QString& key, const QString& value, const QString& path)
{
    const auto refused = [&](const QString& why) {
        return Outcome::failure(
            QStringLiteral("The setting %1 was not stored: %2. The settings file %3 was not "
                           "changed.")
                .arg(key, why, QDir::toNativeSeparators(path)));
    };
    for (const QChar c : value) {
        if (Cp874::codeOf(c) < 0)
            return refused(QStringLiteral("the character \"%1\" is not in code page 874 (Thai and Latin "
                                          "characters) and would read back as \"?\"")
                               .arg(c));
        if (c == u'\r' || c == u'\n' || c == u'\0')
            return refused(QStringLiteral("a line break or a NUL character cannot be kept in a setting"));
    }
    IniDocument doc = IniDocument::load(path);
    doc.setValue(section, key, value);
    const std::optional<QString> stored = doc.value(section, key);
    if (!stored)
        return refused(QStringLiteral("a setting's name cannot hold \"=\", begin with \"[\" or have blanks "
                                      "around it"));
    const QString readBack = cleanSetting(stored->left(SettingBufferSize - 1));
    if (readBack != value) {
        if (value.size() > SettingBufferSize - 1)
            return refused(QStringLiteral("it is longer than the %1 characters a setting reads back")
                               .arg(SettingBufferSize - 1));
        return refused(QStringLiteral("it would read back as \"%1\": blanks around a value and one pair of "
                                      "quotation marks enclosing it are dropped when it is read")
                           .arg(readBack));
    }
    return doc.save(path);
}

QString readLayoutValue(const QString& section, const QString& key, const QString& path)
{
    const QString v = profileRead(section, key, QString(), path, 256);
    const qsizetype nul = v.indexOf(QChar(u'\0'));
    return nul < 0 ? v : v.left(nul);
}

int writeLayoutValue(const QString& section, const QString& key, const QString& value, const QString& path)
{
    return writeIniValue(section, key, value, path);
}

Expected<QString> shiftPassword(const QString& password)
{
    QString out;
    out.reserve(password.size());
    for (qsizetype i = 0; i < password.size(); ++i) {
        const int code = Cp874::codeOf(password[i]);
        if (code < 0)
            return Expected<QString>::failure(
                QStringLiteral("The password cannot be stored: the character \"%1\" is not a Thai or "
                               "Latin character. Choose a password of letters, digits and punctuation.")
                    .arg(password[i]));
        const int shifted = code + static_cast<int>(i) + 1;
        if (shifted > 255)
            return Expected<QString>::failure(
                QStringLiteral("The password cannot be stored: it is too long or its character \"%1\" at "
                               "position %2 is too high in the code page to be kept in the settings file. "
                               "Use a shorter password.")
                    .arg(password[i])
                    .arg(i + 1));
        out += Cp874::charOf(static_cast<unsigned char>(shifted));
    }
    // the reader strips one pair of enclosing quotes, which would lose two characters
    if (out.size() >= 2 && (out.front() == u'"' || out.front() == u'\'') && out.back() == out.front())
        return Expected<QString>::failure(
            QStringLiteral("The password cannot be stored: its stored form would begin and end with a "
                           "quotation mark and not read back. Change its first or last character."));
    return out;
}

QString unshiftPassword(const QString& stored)
{
    QString out;
    out.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const int code = Cp874::codeOf(stored[i]);
        const int clear = code - static_cast<int>(i) - 1;
        out += Cp874::charOf(static_cast<unsigned char>(clear < 0 ? clear + 256 : clear));
    }
    return out;
}
