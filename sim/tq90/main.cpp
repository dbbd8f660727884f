#include "SimConsole.h"
#include "SimControlServer.h"
#include "SimServer.h"
#include "SimStdinReader.h"
#include "SimTerminal.h"
#include "core/terminal/LogRecord.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

namespace {

int fail(const QString& text)
{
    QTextStream(stderr) << "tq90-sim: " << text << '\n';
    return 2;
}

std::optional<quint16> port(const QString& text)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (!ok || v < 0 || v > 65535)
        return std::nullopt;
    return static_cast<quint16>(v);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tq90-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A TQ90 terminal simulator. Commands on standard input or the control port:\n") +
        SimConsole::help().mid(3));
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("TCP port (0: any free one)."),
                                        QStringLiteral("N"), QStringLiteral("5001"));
    const QCommandLineOption bindOption(QStringLiteral("bind"), QStringLiteral("Address to listen on."),
                                        QStringLiteral("ADDRESS"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption logOption(QStringLiteral("log"), QStringLiteral("Attendance log file to serve."),
                                       QStringLiteral("FILE"));
    const QCommandLineOption generateOption(
        QStringLiteral("generate"), QStringLiteral("Serve N generated punches."), QStringLiteral("N"));
    const QCommandLineOption keyOption(QStringLiteral("require-key"),
                                       QStringLiteral("Demand a key exchange before other requests."));
    const QCommandLineOption controlOption(QStringLiteral("control-port"),
                                           QStringLiteral("Also take console commands on this TCP port."),
                                           QStringLiteral("N"));
    parser.addOptions({portOption, bindOption, logOption, generateOption, keyOption, controlOption});
    parser.process(app);

    SimTerminal terminal;
    SimServer server(terminal);
    SimConsole console(terminal, server);

    terminal.setRequireKey(parser.isSet(keyOption));
    if (parser.isSet(logOption) && parser.isSet(generateOption))
        return fail(QStringLiteral("--log and --generate exclude each other"));
    if (parser.isSet(logOption)) {
        const QString answer = console.execute(QStringLiteral("load ") + parser.value(logOption));
        if (!answer.startsWith(u"ok"))
            return fail(answer);
    }
    if (parser.isSet(generateOption)) {
        const QString answer = console.execute(QStringLiteral("generate ") + parser.value(generateOption));
        if (!answer.startsWith(u"ok"))
            return fail(answer);
    }

    const QHostAddress address(parser.value(bindOption));
    if (address.isNull())
        return fail(QStringLiteral("--bind needs an IP address"));
    const auto mainPort = port(parser.value(portOption));
    if (!mainPort)
        return fail(QStringLiteral("--port needs a number from 0 to 65535"));
    if (!server.listen(address, *mainPort))
        return fail(QStringLiteral("cannot listen on %1:%2: %3")
                        .arg(address.toString(), parser.value(portOption), server.errorString()));

    SimControlServer control(console);
    QString banner = QStringLiteral("tq90-sim listening on %1:%2").arg(address.toString()).arg(server.port());
    if (parser.isSet(controlOption)) {
        const auto controlPort = port(parser.value(controlOption));
        if (!controlPort)
            return fail(QStringLiteral("--control-port needs a number from 0 to 65535"));
        if (!control.listen(address, *controlPort))
            return fail(QStringLiteral("cannot listen on control port %1: %2")
                            .arg(parser.value(controlOption), control.errorString()));
        banner += QStringLiteral(" control %1:%2").arg(address.toString()).arg(control.port());
    }
    banner += QStringLiteral(" log %1 punches").arg(terminal.log().size() / LogRecord::Size);
    {
        QTextStream out(stdout);
        out << banner << Qt::endl;
    }

    SimStdinReader input(console);
    QObject::connect(&input, &SimStdinReader::quitRequested, &app, &QCoreApplication::quit);
    QObject::connect(&control, &SimControlServer::quitRequested, &app, &QCoreApplication::quit);
    return app.exec();
}
