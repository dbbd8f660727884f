#pragma once

#include <QString>

// Result codes of the terminal functions; 0 is success.
namespace Tq90Result {
constexpr int Ok = 0;
constexpr int SocketError = 48;
constexpr int KeyNotSet = 49;
constexpr int NoImage = 65;
constexpr int BadQuality = 66;
constexpr int TooFewPoints = 67;
constexpr int UserDatabaseEmpty = 68;
constexpr int UnknownUser = 69;
constexpr int NoSpace = 70;
constexpr int BadArgument = 71;
constexpr int CrcError = 73;
constexpr int Timeout = 74;
constexpr int UserNotFound = 77;
constexpr int UserExists = 78;
constexpr int SampleTooSimilar = 79;
constexpr int UnknownCommand = 85;
constexpr int HardwareError = 88;
constexpr int BadFlash = 90;
constexpr int TooManyVip = 91;
} // namespace Tq90Result

// The operator's text for a result code; codes without a text of their own, 0 included,
// give "Unknown error!".
QString Tq90ErrorText(int code);
