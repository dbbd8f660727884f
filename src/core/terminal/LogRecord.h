#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

// One punch of the terminal's attendance log: 16 bytes, numbers little-endian.
//   0..5 user ID | 6 terminal | 7 group | 8..9 year | 10 month | 11 day
//   12 hour | 13 minute | 14 second | 15 direction code
struct LogRecord
{
    static constexpr int Size = 16;
    static constexpr std::uint64_t MaxUserId = 0xFFFFFFFFFFFFULL;

    std::uint64_t userId = 0;
    std::uint8_t terminal = 0;
    std::uint8_t group = 0;
    std::uint16_t year = 0;
    std::uint8_t month = 0;
    std::uint8_t day = 0;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;
    std::uint8_t status = 0;

    // p must point at 16 readable bytes.
    static LogRecord decode(const char* p);
    QByteArray encode() const;

    // The six values as tblexport stores them. No value is range-checked: a month byte of
    // 123 gives "123".
    QString hid() const { return QString::number(userId); }
    QString fid() const { return QString::number(terminal); }
    QString gid() const { return QString::number(group); }
    QString wDate() const;
    QString wTime() const;
    QString statusText() const { return QString::number(status); }
};

// Deterministic attendance logs for the simulator, the sample file and the benchmark:
// count punches of a few hundred employees over consecutive working days, in time order.
QByteArray generateLog(int count, std::uint32_t seed = 1);
