#include "SimTerminal.h"

#include "SimFingerImage.h"
#include "core/platform/Cp874.h"
#include "core/terminal/LogRecord.h"
#include "core/terminal/Tq90Result.h"

using Tq90Protocol::Command;

SimTerminal::Reply SimTerminal::handle(Session& session, Command command, const QByteArray& arguments)
{
    if (const auto fault = m_faults.take(command)) {
        if (fault->kind == SimFaults::Kind::Code)
            return Reply{fault->code, {}, std::nullopt};
        Reply reply = answer(session, command, arguments);
        if (fault->kind == SimFaults::Kind::Grow) {
            const qsizetype punches = m_log.size() / LogRecord::Size;
            m_log.append(generateLog(static_cast<int>(punches) + 1, 1).right(LogRecord::Size));
            return reply;
        }
        reply.misbehave = fault->kind;
        return reply;
    }
    return answer(session, command, arguments);
}

std::optional<QString> SimTerminal::readUser(const QByteArray& arguments, qsizetype& pos)
{
    if (pos >= arguments.size())
        return std::nullopt;
    const int length = static_cast<std::uint8_t>(arguments[pos]);
    if (length == 0 || length > Tq90Protocol::MaxUserIdBytes || pos + 1 + length > arguments.size())
        return std::nullopt;
    const QString id = Cp874::decode(arguments.mid(pos + 1, length));
    pos += 1 + length;
    return id;
}

SimTerminal::Reply SimTerminal::answer(Session& session, Command command, const QByteArray& args)
{
    using namespace Tq90Result;
    const bool needsKey =
        command != Command::Hello && command != Command::Bye && command != Command::ExchangeKey;
    if (m_requireKey && !session.keyed && needsKey)
        return {KeyNotSet, {}, {}};

    switch (command) {
    case Command::Hello:
        return {Ok, QByteArrayLiteral("TQ90"), {}};
    case Command::Bye:
        return {Ok, {}, {}};
    case Command::GetLogSize: {
        QByteArray data;
        Tq90Protocol::appendU32(data, m_fakeLogSize.value_or(static_cast<quint32>(m_log.size())));
        return {Ok, data, {}};
    }
    case Command::GetLogData: {
        if (args.size() != 4)
            return {BadArgument, {}, {}};
        const qint64 size = Tq90Protocol::readU32(args.constData());
        if (size > m_log.size())
            return {BadArgument, {}, {}};
        return {Ok, m_log.left(size), {}};
    }
    case Command::EraseLogData:
        if (args.size() == 4 && Tq90Protocol::readU32(args.constData()) != static_cast<quint32>(m_log.size()))
            return {BadArgument, {}, {}};
        if (!args.isEmpty() && args.size() != 4)
            return {BadArgument, {}, {}};
        m_log.clear();
        return {Ok, {}, {}};
    case Command::ExchangeKey: {
        if (args.size() != Tq90Protocol::KeyBytes)
            return {BadArgument, {}, {}};
        session.keyed = true;
        QByteArray proof;
        Tq90Protocol::appendU32(proof, Tq90Protocol::crc32(args));
        return {Ok, proof, {}};
    }
    case Command::OpenDoor:
        ++m_doorOpenings;
        return {Ok, {}, {}};
    case Command::CheckFinger:
        return {m_sensor.checkFinger(), {}, {}};
    case Command::CaptureImage:
        return {m_sensor.capture(), {}, {}};
    case Command::DownloadRawImage:
        if (!m_sensor.captured())
            return {NoImage, {}, {}};
        return {Ok, SimFingerImage::render(*m_sensor.captured()), {}};
    case Command::ProcessImage:
        return {m_sensor.process(), {}, {}};
    case Command::StoreSample:
        if (args.size() != 1)
            return {BadArgument, {}, {}};
        return {m_sensor.storeSample(static_cast<std::uint8_t>(args[0])), {}, {}};
    case Command::StoreTemplate: {
        qsizetype pos = 0;
        const auto user = readUser(args, pos);
        if (!user || args.size() != pos + 3)
            return {BadArgument, {}, {}};
        const auto finger = m_sensor.enrolledFinger();
        if (!finger)
            return {BadArgument, {}, {}};
        const int result = m_templates.store({*user, static_cast<std::uint8_t>(args[pos]),
                                              static_cast<std::uint8_t>(args[pos + 1]),
                                              static_cast<std::uint8_t>(args[pos + 2]), *finger});
        if (result == Ok)
            m_sensor.clearSamples();
        return {result, {}, {}};
    }
    case Command::Verify: {
        qsizetype pos = 0;
        const auto user = readUser(args, pos);
        if (!user || args.size() != pos + 2)
            return {BadArgument, {}, {}};
        if (!m_sensor.processed())
            return {NoImage, {}, {}};
        return {m_templates.verify(*user, static_cast<std::uint8_t>(args[pos]),
                                   static_cast<std::uint8_t>(args[pos + 1]), *m_sensor.processed()),
                {},
                {}};
    }
    case Command::Identify: {
        if (!m_sensor.processed())
            return {NoImage, {}, {}};
        QString user;
        const int result = m_templates.identify(*m_sensor.processed(), &user);
        if (result != Ok)
            return {result, {}, {}};
        QByteArray data = Cp874::encode(user).left(Tq90Protocol::IdentifyBytes - 1);
        data.append(QByteArray(Tq90Protocol::IdentifyBytes - data.size(), '\0'));
        return {Ok, data, {}};
    }
    }
    return {UnknownCommand, {}, {}};
}
