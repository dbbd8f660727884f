#include "SimConsole.h"

#include "SimServer.h"
#include "SimTerminal.h"
#include "core/terminal/LogRecord.h"

#include <QDateTime>
#include <QFile>

namespace {

QString error(const QString& text)
{
    return QStringLiteral("error: ") + text;
}

std::optional<int> number(const QString& text, int min, int max)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < min || v > max)
        return std::nullopt;
    return v;
}

} // namespace

QString SimConsole::help()
{
    return QStringLiteral(
        "ok commands: status | punch USER [TERMINAL [GROUP [STATUS]]] | generate N [SEED] | load FILE | "
        "clear-log | require-key on|off | fake-size N|off | place USER [FINGER] | lift | "
        "capture-fail CODE [TIMES] | fail FUNCTION CODE [TIMES] | "
        "misbehave FUNCTION silent|corrupt|drop|short|giant|trickle|grow [TIMES] | clear-faults | doors | "
        "templates | quit");
}

QString SimConsole::execute(const QString& line)
{
    const QStringList words = line.split(u' ', Qt::SkipEmptyParts);
    if (words.isEmpty())
        return error(QStringLiteral("empty command; try help"));
    const QString cmd = words[0].toLower();
    const QStringList args = words.mid(1);
    SimFingerSensor& sensor = m_terminal.sensor();

    if (cmd == u"help")
        return help();
    if (cmd == u"status")
        return status();
    if (cmd == u"quit") {
        m_quit = true;
        return QStringLiteral("ok bye");
    }
    if (cmd == u"punch")
        return punch(args);
    if (cmd == u"generate" && (args.size() == 1 || args.size() == 2)) {
        const auto n = number(args[0], 0, static_cast<int>(Tq90Protocol::MaxLogBytes / LogRecord::Size));
        const auto seed = args.size() == 2 ? number(args[1], 0, 1 << 30) : std::optional<int>(1);
        if (!n || !seed)
            return error(QStringLiteral("generate N [SEED]: N punches, 0 to 4194304"));
        m_terminal.log() = generateLog(*n, static_cast<std::uint32_t>(*seed));
        return QStringLiteral("ok log %1 bytes").arg(m_terminal.log().size());
    }
    if (cmd == u"load" && args.size() == 1) {
        QFile f(args[0]);
        if (!f.open(QIODevice::ReadOnly))
            return error(QStringLiteral("cannot read %1: %2").arg(args[0], f.errorString()));
        if (f.size() > Tq90Protocol::MaxLogBytes + 1)
            return error(QStringLiteral("%1 is larger than a terminal's log").arg(args[0]));
        QByteArray bytes = f.readAll();
        // a downloaded log file carries one extra byte after the records
        if (bytes.size() % LogRecord::Size == 1)
            bytes.chop(1);
        m_terminal.log() = bytes;
        return QStringLiteral("ok log %1 bytes").arg(bytes.size());
    }
    if (cmd == u"clear-log" && args.isEmpty()) {
        m_terminal.log().clear();
        return QStringLiteral("ok log 0 bytes");
    }
    if (cmd == u"require-key" && args.size() == 1 && (args[0] == u"on" || args[0] == u"off")) {
        m_terminal.setRequireKey(args[0] == u"on");
        return QStringLiteral("ok require-key ") + args[0];
    }
    if (cmd == u"fake-size" && args.size() == 1) {
        if (args[0] == u"off") {
            m_terminal.setFakeLogSize(std::nullopt);
            return QStringLiteral("ok fake-size off");
        }
        bool ok = false;
        const quint32 size = args[0].toUInt(&ok);
        if (!ok)
            return error(QStringLiteral("fake-size N|off: N from 0 to 4294967295"));
        m_terminal.setFakeLogSize(size);
        return QStringLiteral("ok fake-size %1").arg(size);
    }
    if (cmd == u"place" && (args.size() == 1 || args.size() == 2)) {
        const auto finger = args.size() == 2 ? number(args[1], 0, 255) : std::optional<int>(0);
        if (!finger)
            return error(QStringLiteral("place USER [FINGER]: FINGER 0 to 255"));
        sensor.place({args[0], *finger});
        return QStringLiteral("ok finger ") + sensor.placed()->text();
    }
    if (cmd == u"lift" && args.isEmpty()) {
        sensor.lift();
        return QStringLiteral("ok finger none");
    }
    if (cmd == u"capture-fail" && (args.size() == 1 || args.size() == 2)) {
        const auto code = number(args[0], -2147483647, 2147483647);
        const auto times = args.size() == 2 ? number(args[1], 1, 1000) : std::optional<int>(1);
        if (!code || !times)
            return error(QStringLiteral("capture-fail CODE [TIMES]"));
        sensor.failCaptures(*code, *times);
        return QStringLiteral("ok next %1 capture(s) fail with %2").arg(*times).arg(*code);
    }
    if (cmd == u"fail")
        return fail(args);
    if (cmd == u"misbehave")
        return misbehave(args);
    if (cmd == u"clear-faults" && args.isEmpty()) {
        m_terminal.faults().clear();
        return QStringLiteral("ok faults cleared");
    }
    if (cmd == u"doors" && args.isEmpty())
        return QStringLiteral("ok doors %1").arg(m_terminal.doorOpenings());
    if (cmd == u"templates" && args.isEmpty()) {
        QStringList list;
        for (const auto& t : m_terminal.templates().templates())
            list << QStringLiteral("%1:%2:%3:%4").arg(t.userId).arg(t.group).arg(t.finger).arg(t.level);
        return QStringLiteral("ok templates %1 %2").arg(list.size()).arg(list.join(u' ')).trimmed();
    }
    return error(QStringLiteral("unknown command or arguments: %1; try help").arg(line.trimmed()));
}

QString SimConsole::punch(const QStringList& args)
{
    if (args.isEmpty() || args.size() > 4)
        return error(QStringLiteral("punch USER [TERMINAL [GROUP [STATUS]]]"));
    bool ok = false;
    const qulonglong user = args[0].toULongLong(&ok);
    if (!ok || user > LogRecord::MaxUserId)
        return error(QStringLiteral("USER is a number up to 281474976710655"));
    std::array<int, 3> bytes = {1, 0, 0};
    for (qsizetype i = 1; i < args.size(); ++i) {
        const auto v = number(args[i], 0, 255);
        if (!v)
            return error(QStringLiteral("TERMINAL, GROUP and STATUS are numbers 0 to 255"));
        bytes[static_cast<size_t>(i - 1)] = *v;
    }
    if (m_terminal.log().size() + LogRecord::Size > Tq90Protocol::MaxLogBytes)
        return error(QStringLiteral("the log is full"));
    const QDateTime now = QDateTime::currentDateTime();
    LogRecord r;
    r.userId = user;
    r.terminal = static_cast<std::uint8_t>(bytes[0]);
    r.group = static_cast<std::uint8_t>(bytes[1]);
    r.status = static_cast<std::uint8_t>(bytes[2]);
    r.year = static_cast<std::uint16_t>(now.date().year());
    r.month = static_cast<std::uint8_t>(now.date().month());
    r.day = static_cast<std::uint8_t>(now.date().day());
    r.hour = static_cast<std::uint8_t>(now.time().hour());
    r.minute = static_cast<std::uint8_t>(now.time().minute());
    r.second = static_cast<std::uint8_t>(now.time().second());
    m_terminal.log().append(r.encode());
    return QStringLiteral("ok log %1 bytes").arg(m_terminal.log().size());
}

QString SimConsole::fail(const QStringList& args)
{
    const QString usage = QStringLiteral("fail FUNCTION CODE [TIMES] (TIMES 0: until clear-faults)");
    if (args.size() < 2 || args.size() > 3)
        return error(usage);
    const auto command = Tq90Protocol::commandFromName(args[0]);
    const auto code = number(args[1], -2147483647, 2147483647);
    const auto times = args.size() == 3 ? number(args[2], 0, 1000000) : std::optional<int>(1);
    if (!command || !code || !times)
        return error(usage);
    m_terminal.faults().set(*command, {SimFaults::Kind::Code, *code, *times});
    return QStringLiteral("ok %1 fails with %2").arg(Tq90Protocol::commandName(*command)).arg(*code);
}

QString SimConsole::misbehave(const QStringList& args)
{
    const QString usage =
        QStringLiteral("misbehave FUNCTION silent|corrupt|drop|short|giant|trickle|grow [TIMES]");
    if (args.size() < 2 || args.size() > 3)
        return error(usage);
    const auto command = Tq90Protocol::commandFromName(args[0]);
    const auto kind = SimFaults::kindFromName(args[1]);
    const auto times = args.size() == 3 ? number(args[2], 0, 1000000) : std::optional<int>(1);
    if (!command || !kind || !times)
        return error(usage);
    m_terminal.faults().set(*command, {*kind, 0, *times});
    return QStringLiteral("ok %1 is %2").arg(Tq90Protocol::commandName(*command), args[1].toLower());
}

QString SimConsole::status() const
{
    const auto& placed = m_terminal.sensor().placed();
    return QStringLiteral("ok log %1 bytes, %2 punches; doors %3; templates %4; finger %5; "
                          "require-key %6; clients %7; faults %8")
        .arg(m_terminal.log().size())
        .arg(m_terminal.log().size() / LogRecord::Size)
        .arg(m_terminal.doorOpenings())
        .arg(m_terminal.templates().templates().size())
        .arg(placed ? placed->text() : QStringLiteral("none"))
        .arg(m_terminal.requireKey() ? QStringLiteral("on") : QStringLiteral("off"))
        .arg(m_server.clients())
        .arg(m_terminal.faults().size());
}
