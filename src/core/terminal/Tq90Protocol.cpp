#include "core/terminal/Tq90Protocol.h"

#include <array>

namespace Tq90Protocol {

namespace {

constexpr std::array<std::uint32_t, 256> makeCrcTable()
{
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1U) ? (0xEDB88320U ^ (c >> 1)) : (c >> 1);
        table[i] = c;
    }
    return table;
}

constexpr auto CrcTable = makeCrcTable();

struct NamedCommand
{
    Command command;
    const char16_t* name;
};

constexpr NamedCommand Names[] = {
    {Command::Hello, u"Initialize"},
    {Command::Bye, u"Terminate"},
    {Command::GetLogSize, u"GetLogSize"},
    {Command::GetLogData, u"GetLogData"},
    {Command::EraseLogData, u"EraseLogData"},
    {Command::ExchangeKey, u"ExchangeKey"},
    {Command::OpenDoor, u"OpenDoor"},
    {Command::CheckFinger, u"CheckFinger"},
    {Command::CaptureImage, u"CaptureImage"},
    {Command::DownloadRawImage, u"DownloadRawImage"},
    {Command::ProcessImage, u"ProcessImage"},
    {Command::StoreSample, u"StoreSample"},
    {Command::StoreTemplate, u"StoreTemplate"},
    {Command::Verify, u"Verify"},
    {Command::Identify, u"Identify"},
};

} // namespace

std::uint32_t crc32(const char* data, qsizetype size)
{
    std::uint32_t c = 0xFFFFFFFFU;
    for (qsizetype i = 0; i < size; ++i)
        c = CrcTable[(c ^ static_cast<std::uint8_t>(data[i])) & 0xFFU] ^ (c >> 8);
    return c ^ 0xFFFFFFFFU;
}

void appendU32(QByteArray& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.append(static_cast<char>((value >> (8 * i)) & 0xFFU));
}

std::uint32_t readU32(const char* p)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<std::uint8_t>(p[i]);
    return v;
}

QByteArray encodeFrame(const QByteArray& payload)
{
    QByteArray frame;
    frame.reserve(HeaderBytes + payload.size() + TrailerBytes);
    frame.append(Magic, 2);
    appendU32(frame, static_cast<std::uint32_t>(payload.size()));
    frame.append(payload);
    appendU32(frame, crc32(payload));
    return frame;
}

QByteArray encodeRequest(Command command, const QByteArray& arguments)
{
    QByteArray payload;
    payload.reserve(1 + arguments.size());
    payload.append(static_cast<char>(command));
    payload.append(arguments);
    return encodeFrame(payload);
}

QByteArray encodeReply(Command command, qint32 result, const QByteArray& data)
{
    QByteArray payload;
    payload.reserve(5 + data.size());
    payload.append(static_cast<char>(command));
    appendU32(payload, static_cast<std::uint32_t>(result));
    payload.append(data);
    return encodeFrame(payload);
}

QString commandName(Command command)
{
    for (const NamedCommand& n : Names) {
        if (n.command == command)
            return QString::fromUtf16(n.name);
    }
    return QStringLiteral("0x%1").arg(static_cast<int>(command), 2, 16, QLatin1Char('0'));
}

std::optional<Command> commandFromName(const QString& name)
{
    QString n = name.trimmed();
    if (n.startsWith(QStringLiteral("Tq90"), Qt::CaseInsensitive))
        n = n.mid(4);
    for (const NamedCommand& c : Names) {
        if (n.compare(QString::fromUtf16(c.name), Qt::CaseInsensitive) == 0)
            return c.command;
    }
    return std::nullopt;
}

std::optional<Command> commandFromByte(std::uint8_t byte)
{
    for (const NamedCommand& c : Names) {
        if (static_cast<std::uint8_t>(c.command) == byte)
            return c.command;
    }
    return std::nullopt;
}

FrameParser::State FrameParser::next()
{
    if (m_buffer.size() < HeaderBytes)
        return State::NeedMore;
    if (m_buffer[0] != Magic[0] || m_buffer[1] != Magic[1]) {
        m_reason = QStringLiteral("the peer does not speak the terminal protocol");
        return State::Broken;
    }
    const qint64 length = readU32(m_buffer.constData() + 2);
    if (length < 1 || length > m_maxPayload) {
        m_reason = QStringLiteral("frame length %1 is out of range").arg(length);
        return State::Broken;
    }
    const qint64 total = HeaderBytes + length + TrailerBytes;
    if (m_buffer.size() < total)
        return State::NeedMore;
    m_payload = m_buffer.mid(HeaderBytes, length);
    const std::uint32_t crc = readU32(m_buffer.constData() + HeaderBytes + length);
    m_buffer.remove(0, total);
    if (crc != crc32(m_payload)) {
        m_payload.clear();
        return State::BadCrc;
    }
    return State::Frame;
}

qint64 FrameParser::pending() const
{
    if (m_buffer.size() < HeaderBytes)
        return 0;
    const qint64 length = readU32(m_buffer.constData() + 2);
    return HeaderBytes + length + TrailerBytes - m_buffer.size();
}

} // namespace Tq90Protocol
