#include "cli/CliAccessControl.h"

#include "core/accesscontrol/AccessLogPull.h"
#include "core/accesscontrol/QorClient.h"
#include "core/storage/Connections.h"

QString accessControlUsage()
{
    return QStringLiteral(
        "[--source local|qor] [--pull keep|delete|none] [--qor-host HOST] [--qor-port PORT] "
        "[--qor-user LOGIN] [--qor-password PASSWORD] [--qor-driver ODBC-DRIVER] "
        "[--service-port N]");
}

bool takeAccessControlSource(CliContext& ctx, CliOptions& options, bool qorChosen,
                             CliAccessControlSource& source)
{
    source.login = readAccessControlLogin(ctx.paths);
    source.driver = readAccessControlDriver(ctx.paths);
    bool missing = false;
    bool given = false;
    const auto take = [&](const char* name, QString& target) {
        bool absent = false;
        const std::optional<QString> value = options.take(QString::fromLatin1(name), &absent);
        if (absent) {
            ctx.err << name << " needs a value.\n";
            missing = true;
        }
        if (value) {
            target = *value;
            given = true;
        }
    };
    take("--qor-host", source.login.host);
    take("--qor-port", source.login.port);
    take("--qor-user", source.login.user);
    take("--qor-password", source.login.password);
    take("--qor-driver", source.driver);
    QString servicePort;
    QString pull;
    take("--service-port", servicePort);
    take("--pull", pull);
    if (missing)
        return false;
    if (given && !qorChosen) {
        ctx.err << "The --qor-*, --service-port and --pull options go with --source qor.\n";
        return false;
    }
    if (!servicePort.isEmpty()) {
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
