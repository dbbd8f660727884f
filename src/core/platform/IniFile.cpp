#include "core/platform/IniFile.h"

#include "core/platform/Cp874.h"

#include <QFile>
#include <QSaveFile>

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

bool sameName(const QString& a, const QString& b)
{
    return QString::compare(a, b, Qt::CaseInsensitive) == 0;
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

} // namespace

IniDocument IniDocument::fromBytes(const QByteArray& bytes)
{
    IniDocument doc;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        qsizetype i = pos;
        while (i < bytes.size() && bytes[i] != '\r' && bytes[i] != '\n')
            ++i;
        Line line{bytes.mid(pos, i - pos), {}};
        if (i < bytes.size()) {
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
                line.end = QByteArrayLiteral("\r\n");
            else
                line.end = bytes.mid(i, 1);
        }
        pos = i + line.end.size();
        doc.m_lines.append(line);
    }
    return doc;
}

IniDocument IniDocument::load(const QString& path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return {};
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

qsizetype IniDocument::findSection(const QString& section) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const auto name = sectionName(m_lines[i].text);
        if (name && sameName(*name, section))
            return i;
    }
    return -1;
}

qsizetype IniDocument::sectionEnd(qsizetype header) const
{
    qsizetype i = header + 1;
    while (i < m_lines.size() && !sectionName(m_lines[i].text))
        ++i;
    return i;
}

QStringList IniDocument::sections() const
{
    QStringList names;
    for (const Line& line : m_lines) {
        if (const auto name = sectionName(line.text))
            names.append(*name);
    }
    return names;
}

std::optional<QString> IniDocument::value(const QString& section, const QString& key) const
{
    const qsizetype header = findSection(section);
    if (header < 0)
        return std::nullopt;
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const auto name = keyName(m_lines[i].text);
        if (!name || !sameName(*name, key))
            continue;
        const QByteArray& text = m_lines[i].text;
        QByteArray v = trimBlanks(text.mid(text.indexOf('=') + 1));
        if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
            v = v.mid(1, v.size() - 2);
        return Cp874::decode(v);
    }
    return std::nullopt;
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& value)
{
    QString clean = value;
    clean.replace(u'\r', u' ').replace(u'\n', u' ');
    const QByteArray v = Cp874::encode(clean);
    const QByteArray crlf = QByteArrayLiteral("\r\n");

    const qsizetype header = findSection(section);
    if (header < 0) {
        if (!m_lines.isEmpty() && m_lines.back().end.isEmpty())
            m_lines.back().end = crlf;
        m_lines.append({'[' + Cp874::encode(section) + ']', crlf});
        m_lines.append({Cp874::encode(key) + '=' + v, crlf});
        return;
    }
    const qsizetype end = sectionEnd(header);
    for (qsizetype i = header + 1; i < end; ++i) {
        const auto name = keyName(m_lines[i].text);
        if (name && sameName(*name, key)) {
            QByteArray& text = m_lines[i].text;
            text = text.left(text.indexOf('=') + 1) + v;
            return;
        }
    }
    qsizetype last = header;
    for (qsizetype i = header + 1; i < end; ++i) {
        if (!trimBlanks(m_lines[i].text).isEmpty())
            last = i;
    }
    if (m_lines[last].end.isEmpty())
        m_lines[last].end = crlf;
    m_lines.insert(last + 1, {Cp874::encode(key) + '=' + v, crlf});
}

QByteArray IniDocument::toBytes() const
{
    QByteArray out;
    for (const Line& line : m_lines)
        out += line.text + line.end;
    return out;
}

Outcome IniDocument::save(const QString& path) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Outcome::failure(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
    file.write(toBytes());
    if (!file.commit())
        return Outcome::failure(QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
    return Outcome::success();
}

QString readIniValue(const QString& section, const QString& key, const QString& defaultValue,
                     const QString& path)
{
    QString v = profileRead(section, key, defaultValue, path, 255);
    v.remove(QChar(u'\0'));
    qsizetype b = 0;
    qsizetype e = v.size();
    while (b < e && v[b] == u' ')
        ++b;
    while (e > b && v[e - 1] == u' ')
        --e;
    return v.mid(b, e - b);
}

int writeIniValue(const QString& section, const QString& key, const QString& value, const QString& path)
{
    IniDocument doc = IniDocument::load(path);
    doc.setValue(section, key, value);
    return doc.save(path).ok() ? 1 : 0;
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
