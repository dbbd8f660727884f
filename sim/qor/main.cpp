// qor-sim: a simulator of the access-control service on 127.0.0.1.
#include "FacilityStore.h"
#include "QorService.h"
#include "RalogWriter.h"
#include "core/accesscontrol/QorProtocol.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qor-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulates the access-control service: holds facilities with pending raw access logs and, "
        "when the program asks for a facility, writes its logs into RALog of the access-control "
        "database."));
    parser.addHelpOption();
    const QCommandLineOption port(QStringLiteral("port"),
                                  QStringLiteral("TCP port on 127.0.0.1 (default 4900, 0 = any free port)."),
                                  QStringLiteral("port"), QString::number(QorProtocol::DefaultPort));
    const QCommandLineOption facilities(QStringLiteral("facilities"),
                                        QStringLiteral("File of facilities and their pending logs."),
                                        QStringLiteral("file"));
    const QCommandLineOption odbc(QStringLiteral("odbc"),
                                  QStringLiteral("ODBC connection string of the access-control database."),
                                  QStringLiteral("connection-string"));
    const QCommandLineOption password(QStringLiteral("password"), QStringLiteral("The service's password."),
                                      QStringLiteral("password"), QStringLiteral("tarnish"));
    const QCommandLineOption idle(QStringLiteral("idle-timeout"),
                                  QStringLiteral("Seconds a silent connection stays open (default 60)."),
                                  QStringLiteral("seconds"), QStringLiteral("60"));
    parser.addOptions({port, facilities, odbc, password, idle});
    parser.process(app);

    QTextStream err(stderr);
    QTextStream out(stdout);
    bool portOk = false;
    const uint portValue = parser.value(port).toUInt(&portOk);
    bool idleOk = false;
    const uint idleSeconds = parser.value(idle).toUInt(&idleOk);
    if (!portOk || portValue > 65535 || !idleOk || idleSeconds < 1 || idleSeconds > 86400) {
        err << "qor-sim: --port must be 0..65535 and --idle-timeout 1..86400" << Qt::endl;
        return 2;
    }
    if (!parser.isSet(facilities) || !parser.isSet(odbc)) {
        err << "qor-sim: --facilities FILE and --odbc CONNECTION-STRING are required" << Qt::endl;
        return 2;
    }
    Expected<FacilityStore> store = FacilityStore::load(parser.value(facilities));
    if (!store) {
        err << "qor-sim: " << store.error() << Qt::endl;
        return 2;
    }

    RalogWriter writer(parser.value(odbc));
    QorService service(std::move(*store), writer, parser.value(password));
    service.setIdleTimeout(static_cast<int>(idleSeconds * 1000));
    if (!service.listen(static_cast<quint16>(portValue))) {
        err << "qor-sim: cannot listen on 127.0.0.1:" << portValue << ": " << service.errorString()
            << Qt::endl;
        return 1;
    }
    // The line tests wait for before they connect.
    out << "qor-sim: listening on 127.0.0.1:" << service.port() << Qt::endl;
    return app.exec();
}
