#include "core/terminal/LogRecord.h"

#include <QDate>
#include <QRandomGenerator>

namespace {

QString twoDigits(std::uint8_t v)
{
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

} // namespace

LogRecord LogRecord::decode(const char* p)
{
    const auto b = [p](int i) {
        return static_cast<std::uint8_t>(p[i]);
    };
    LogRecord r;
    for (int i = 5; i >= 0; --i)
        r.userId = (r.userId << 8) | b(i);
    r.terminal = b(6);
    r.group = b(7);
    r.year = static_cast<std::uint16_t>(b(8) | (b(9) << 8));
    r.month = b(10);
    r.day = b(11);
    r.hour = b(12);
    r.minute = b(13);
    r.second = b(14);
    r.status = b(15);
    return r;
}

QByteArray LogRecord::encode() const
{
    QByteArray out(Size, '\0');
    for (int i = 0; i < 6; ++i)
        out[i] = static_cast<char>((userId >> (8 * i)) & 0xFFU);
    out[6] = static_cast<char>(terminal);
    out[7] = static_cast<char>(group);
    out[8] = static_cast<char>(year & 0xFFU);
    out[9] = static_cast<char>(year >> 8);
    out[10] = static_cast<char>(month);
    out[11] = static_cast<char>(day);
    out[12] = static_cast<char>(hour);
    out[13] = static_cast<char>(minute);
    out[14] = static_cast<char>(second);
    out[15] = static_cast<char>(status);
    return out;
}

QString LogRecord::wDate() const
{
    return QString::number(year) + u'/' + twoDigits(month) + u'/' + twoDigits(day);
}

QString LogRecord::wTime() const
{
    return twoDigits(hour) + u':' + twoDigits(minute) + u':' + twoDigits(second);
}

QByteArray generateLog(int count, std::uint32_t seed)
{
    QRandomGenerator random(seed);
    QByteArray out;
    if (count <= 0)
        return out;
    out.reserve(static_cast<qsizetype>(count) * LogRecord::Size);
    constexpr int Employees = 400;
    QDate day(2024, 1, 2);
    int secondOfDay = 7 * 3600;
    for (int i = 0; i < count; ++i) {
        // punches spread over the working day; a new day starts when the evening is reached
        secondOfDay += static_cast<int>(random.bounded(1, 90));
        if (secondOfDay >= 19 * 3600) {
            day = day.addDays(1);
            secondOfDay = 7 * 3600 + static_cast<int>(random.bounded(600));
        }
        LogRecord r;
        r.userId = 1000 + random.bounded(Employees);
        r.terminal = static_cast<std::uint8_t>(1 + random.bounded(4));
        r.group = static_cast<std::uint8_t>(random.bounded(3));
        r.year = static_cast<std::uint16_t>(day.year());
        r.month = static_cast<std::uint8_t>(day.month());
        r.day = static_cast<std::uint8_t>(day.day());
        r.hour = static_cast<std::uint8_t>(secondOfDay / 3600);
        r.minute = static_cast<std::uint8_t>(secondOfDay / 60 % 60);
        r.second = static_cast<std::uint8_t>(secondOfDay % 60);
        r.status = static_cast<std::uint8_t>(random.bounded(3));
        out.append(r.encode());
    }
    return out;
}
