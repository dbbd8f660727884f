#include "core/accesscontrol/QorProtocol.h"

#include "core/platform/Cp874.h"

namespace QorProtocol {

std::optional<QByteArray> takeLine(QByteArray& buffer, bool* tooLong)
{
    if (tooLong)
        *tooLong = false;
    const qsizetype end = buffer.indexOf('\n');
    if (end < 0 || end + 1 > MaxLine) {
        if (tooLong && (buffer.size() >= MaxLine || end >= 0))
            *tooLong = true;
        return std::nullopt;
    }
    QByteArray line = buffer.left(end);
    buffer.remove(0, end + 1);
    if (line.endsWith('\r'))
        line.chop(1);
    return line;
}

bool isPrintable(const QByteArray& line)
{
    for (const char c : line) {
        if (c < 32 || c > 126)
            return false;
    }
    return true;
}

QList<QByteArray> words(const QByteArray& line)
{
    return line.split(' ');
}

std::optional<quint32> number(const QByteArray& word, quint32 max)
{
    if (word.isEmpty() || word.size() > 10)
        return std::nullopt;
    quint64 value = 0;
    for (const char c : word) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + static_cast<quint64>(c - '0');
    }
    if (value > max)
        return std::nullopt;
    return static_cast<quint32>(value);
}

QByteArray toHex(const QString& text)
{
    return Cp874::encode(text).toHex().toUpper();
}

std::optional<QString> fromHex(const QByteArray& hex)
{
    if (hex.size() % 2 != 0)
        return std::nullopt;
    for (const char c : hex) {
        const bool digit = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
        if (!digit)
            return std::nullopt;
    }
    return Cp874::decode(QByteArray::fromHex(hex));
}

QByteArray ok()
{
    return QByteArrayLiteral("OK\n");
}

QByteArray ok(quint32 n)
{
    return QByteArrayLiteral("OK ") + QByteArray::number(n) + '\n';
}

QByteArray error(int code, const QString& text)
{
    QByteArray line = QByteArrayLiteral("ERR ") + QByteArray::number(code);
    QByteArray words = text.simplified().toUtf8();
    for (char& c : words) {
        if (c < 32 || c > 126)
            c = '?';
    }
    if (!words.isEmpty())
        line += ' ' + words;
    line.truncate(MaxLine - 1);
    return line + '\n';
}

std::optional<Answer> parseAnswer(const QByteArray& line)
{
    if (!isPrintable(line))
        return std::nullopt;
    Answer answer;
    if (line == "OK") {
        answer.ok = true;
        return answer;
    }
    if (line.startsWith("OK ")) {
        answer.ok = true;
        answer.count = number(line.mid(3), 0xFFFFFFFFu);
        if (!answer.count)
            return std::nullopt;
        return answer;
    }
    if (line.startsWith("ERR ")) {
        const qsizetype blank = line.indexOf(' ', 4);
        const QByteArray codeWord = blank < 0 ? line.mid(4) : line.mid(4, blank - 4);
        const std::optional<quint32> code = number(codeWord, 999);
        if (!code)
            return std::nullopt;
        answer.code = static_cast<int>(*code);
        answer.text = blank < 0 ? QString() : QString::fromLatin1(line.mid(blank + 1));
        return answer;
    }
    return std::nullopt;
}

} // namespace QorProtocol
