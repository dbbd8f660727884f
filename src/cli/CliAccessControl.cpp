#include "cli/CliAccessControl.h"

#include "core/accesscontrol/AccessLogPull.h"
#include "core/accesscontrol/QorClient.h"
#include "core/storage/Connections.h"

namespace {

const QCommandLineOption
    SourceOption(QStringLiteral("source"),
                 QStringLiteral("Where the punches come from: local, the local database, or "
                                "qor, the access-control server's RALog (default: local)."),
                 QStringLiteral("local|qor"));
const QCommandLineOption PullOption(
    QStringLiteral("pull"),
    QStringLiteral("With --source qor: first bring the facilities' logs into RALog and keep them on the "
                   "facilities (keep), delete them there (delete), or pull nothing (none) (default: keep)."),
    QStringLiteral("keep|delete|none"));
const QCommandLineOption
    HostOption(QStringLiteral("qor-host"),
               QStringLiteral("With --source qor: the SQL Server's host (default: the one "
                              "stored by the connection window)."),
               QStringLiteral("HOST"));
const QCommandLineOption
    PortOption(QStringLiteral("qor-port"),
               QStringLiteral("With --source qor: the SQL Server's port (default: stored)."),
               QStringLiteral("PORT"));
const QCommandLineOption
    UserOption(QStringLiteral("qor-user"),
               QStringLiteral("With --source qor: the SQL Server login (default: stored)."),
               QStringLiteral("LOGIN"));
const QCommandLineOption
    PasswordOption(QStringLiteral("qor-password"),
                   QStringLiteral("With --source qor: the login's password (default: stored)."),
                   QStringLiteral("PASSWORD"));
const QCommandLineOption DriverOption(
    QStringLiteral("qor-driver"),
    QStringLiteral("With --source qor: the ODBC driver (default: the setting DRIVERSQL, else FreeTDS)."),
    QStringLiteral("ODBC-DRIVER"));
const QCommandLineOption ServicePortOption(
    QStringLiteral("service-port"),
    QStringLiteral("With --source qor: the access-control service's port on the server (default: 4900)."),
    QStringLiteral("N"));

} // namespace

QList<QCommandLineOption> accessControlOptions()
{
    return {SourceOption, PullOption,     HostOption,   PortOption,
            UserOption,   PasswordOption, DriverOption, ServicePortOption};
}

bool takeAccessControlSource(CliContext& ctx, bool& fromAccessControl, CliAccessControlSource& source)
{
    const QCommandLineParser& options = ctx.options;
    const QString from = options.value(SourceOption);
    if (options.isSet(SourceOption) && from != u"local" && from != u"qor") {
        ctx.err << "--source is local or qor.\n";
        return false;
    }
    fromAccessControl = from == u"qor";
    source.login = readAccessControlLogin(ctx.paths);
    source.driver = readAccessControlDriver(ctx.paths);
    bool given = false;
    const auto take = [&](const QCommandLineOption& option, QString& target) {
        if (options.isSet(option)) {
            target = options.value(option);
            given = true;
        }
    };
    take(HostOption, source.login.host);
    take(PortOption, source.login.port);
    take(UserOption, source.login.user);
    take(PasswordOption, source.login.password);
    take(DriverOption, source.driver);
    QString servicePort;
    QString pull;
    take(ServicePortOption, servicePort);
    take(PullOption, pull);
    if (given && !fromAccessControl) {
        ctx.err << "The --qor-*, --service-port and --pull options go with --source qor.\n";
        return false;
    }
    if (options.isSet(ServicePortOption)) {
        bool ok = false;
        source.servicePort = servicePort.toInt(&ok);
        if (!ok || source.servicePort < 1 || source.servicePort > 65535) {
            ctx.err << "--service-port takes a port from 1 to 65535.\n";
            return false;
        }
    }
    if (pull.isEmpty() || pull == u"keep")
        source.pullFlag = 0;
    else if (pull == u"delete")
        source.pullFlag = 1;
    else if (pull == u"none")
        source.pullFlag.reset();
    else {
        ctx.err << "--pull is keep, delete or none.\n";
        return false;
    }
    return true;
}

bool prepareAccessControlSource(CliContext& ctx, const CliAccessControlSource& source)
{
    if (const Outcome complete = checkAccessControlLogin(source.login); !complete) {
        ctx.err << complete.error()
                << " Connect once in the SQL Server connection window, or give --qor-host and --qor-port.\n";
        return false;
    }
    if (const Outcome opened = openAccessControlDatabase(source.login, source.driver); !opened) {
        ctx.err << opened.error() << '\n';
        return false;
    }
    if (!source.pullFlag)
        return true;
    QorClient client;
    const Expected<AccessLogPullReport> report =
        AccessLogPull(Connections::get(Connections::AccessControlConnection), client)
            .run(source.login.host, source.servicePort, *source.pullFlag);
    if (!report) {
        ctx.err << report.error() << '\n';
        return false;
    }
    if (!report->initialised)
        ctx.err << "No logs were pulled: " << report->initError
                << " The export reads what RALog already holds.\n";
    if (const QString warnings = report->warnings(); !warnings.isEmpty())
        ctx.err << warnings << '\n';
    return true;
}
