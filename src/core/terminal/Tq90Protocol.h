#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

// The wire protocol between the terminal client and a terminal (see docs/terminal-protocol.md).
// Every message is one frame:
//   "TQ" | payload length (u32 LE) | payload | CRC-32 of the payload (u32 LE)
// A request's payload is a command byte and its arguments; a reply's payload is the command
// byte echoed, the result code (i32 LE) and the reply's data.
namespace Tq90Protocol {

enum class Command : std::uint8_t {
    Hello = 0x01,
    Bye = 0x02,
    GetLogSize = 0x10,
    GetLogData = 0x11,
    EraseLogData = 0x12,
    ExchangeKey = 0x20,
    OpenDoor = 0x21,
    CheckFinger = 0x30,
    CaptureImage = 0x31,
    DownloadRawImage = 0x32,
    ProcessImage = 0x33,
    StoreSample = 0x34,
    StoreTemplate = 0x35,
    Verify = 0x36,
    Identify = 0x37,
};

inline constexpr char Magic[2] = {'T', 'Q'};
constexpr int HeaderBytes = 6;  // magic + length
constexpr int TrailerBytes = 4; // CRC
// The largest log a terminal holds (4,194,304 punches of 16 bytes): a bigger reported size is
// a broken peer and a bigger log file is no downloaded log, so that nothing ever allocates or
// reads what a peer or a file merely claims.
constexpr qint64 MaxLogBytes = 64 * 1024 * 1024;
// The largest payload either side accepts (a whole log plus the reply's head).
constexpr qint64 MaxPayloadBytes = MaxLogBytes + 64;
constexpr int RawImageBytes = 153601; // 320 x 480 grey bytes and one spare
constexpr int RawImageWidth = 320;
constexpr int RawImageHeight = 480;
constexpr int IdentifyBytes = 17;
constexpr int MaxUserIdBytes = 16;
constexpr int KeyBytes = 16;
constexpr int SampleCount = 5;

// CRC-32 (IEEE 802.3, as zip uses). Qt only offers a CRC-16, hence our own.
std::uint32_t crc32(const char* data, qsizetype size);
inline std::uint32_t crc32(const QByteArray& data)
{
    return crc32(data.constData(), data.size());
}

QByteArray encodeFrame(const QByteArray& payload);
QByteArray encodeRequest(Command command, const QByteArray& arguments = {});
QByteArray encodeReply(Command command, qint32 result, const QByteArray& data = {});

void appendU32(QByteArray& out, std::uint32_t value);
std::uint32_t readU32(const char* p);

// The name of a command as the simulator's console and the documentation spell it
// ("GetLogSize"), and back (without regard to letter case; an optional "Tq90" prefix).
QString commandName(Command command);
std::optional<Command> commandFromName(const QString& name);
std::optional<Command> commandFromByte(std::uint8_t byte);

// Cuts frames out of a byte stream as it arrives.
class FrameParser final
{
public:
    enum class State { NeedMore, Frame, BadCrc, Broken };
    explicit FrameParser(qint64 maxPayload = MaxPayloadBytes) : m_maxPayload(maxPayload) {}

    void append(const QByteArray& bytes) { m_buffer.append(bytes); }
    // Frame: payload() holds the frame's payload. BadCrc: a whole frame arrived damaged (the
    // stream stays in step). Broken: bad magic or a length out of range; the stream is lost.
    State next();
    const QByteArray& payload() const { return m_payload; }
    // How many bytes the frame being received still needs (0 when unknown).
    qint64 pending() const;
    // How many bytes have arrived and are not yet taken as a frame.
    qint64 buffered() const { return m_buffer.size(); }
    QString brokenReason() const { return m_reason; }

private:
    QByteArray m_buffer;
    QByteArray m_payload;
    QString m_reason;
    qint64 m_maxPayload;
};

} // namespace Tq90Protocol
