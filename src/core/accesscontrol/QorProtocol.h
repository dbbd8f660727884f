#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// The line protocol between the program and the access-control service (docs/qor-protocol.md),
// shared by the client and the service simulator.
namespace QorProtocol {

constexpr quint16 DefaultPort = 4900;
// Longest line, its LF included.
constexpr qsizetype MaxLine = 512;
inline const QByteArray Greeting = QByteArrayLiteral("QOR 1");

// The service's error codes.
enum ErrorCode : int {
    Malformed = 400,
    WrongPassword = 401,
    NotAuthenticated = 403,
    NoSuchFacility = 404,
    DatabaseFailed = 500,
};

// One complete line taken from the front of buffer: without its LF (and a CR before it).
// Empty optional when no complete line is there yet. tooLong is set when the buffer holds
// more than MaxLine bytes without an LF among them.
std::optional<QByteArray> takeLine(QByteArray& buffer, bool* tooLong);

// Printable ASCII only, so that a line can never carry control bytes into logs or terminals.
bool isPrintable(const QByteArray& line);

// The words of a line, split at single blanks.
QList<QByteArray> words(const QByteArray& line);

// A decimal number without sign within 0..max; empty optional otherwise.
std::optional<quint32> number(const QByteArray& word, quint32 max);

// A text as hexadecimal digits of its code page 874 bytes, and back. fromHex fails on an odd
// count or a non-hex digit.
QByteArray toHex(const QString& text);
std::optional<QString> fromHex(const QByteArray& hex);

// An answer line: "OK", "OK <n>" or "ERR <code> <text>". Texts are made printable.
QByteArray ok();
QByteArray ok(quint32 n);
QByteArray error(int code, const QString& text);

// A parsed answer of the service.
struct Answer
{
    bool ok = false;
    int code = 0;                 // an error's code
    QString text;                 // an error's text
    std::optional<quint32> count; // "OK <n>"
};
std::optional<Answer> parseAnswer(const QByteArray& line);

} // namespace QorProtocol
