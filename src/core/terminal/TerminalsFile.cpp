#include "core/terminal/TerminalsFile.h"

#include "core/platform/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// A terminals file names a few dozen terminals; anything far larger is the wrong file.
constexpr qint64 MaxFileBytes = 1024 * 1024;

} // namespace

Expected<QList<TerminalEntry>> readTerminalsFile(const QString& path)
{
    using Result = Expected<QList<TerminalEntry>>;
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (!info.exists())
        return Result::failure(QStringLiteral("The terminals file %1 does not exist.").arg(shown));
    if (!info.isFile())
        return Result::failure(QStringLiteral("The terminals file %1 is not a regular file.").arg(shown));
    if (info.size() > MaxFileBytes)
        return Result::failure(QStringLiteral("The terminals file %1 holds %2 bytes, more than a terminals "
                                              "file may (%3 bytes).")
                                   .arg(shown)
                                   .arg(info.size())
                                   .arg(MaxFileBytes));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Result::failure(
            QStringLiteral("Cannot read the terminals file %1: %2").arg(shown, file.errorString()));
    const IniDocument ini = IniDocument::fromBytes(file.readAll());

    QList<TerminalEntry> terminals;
    const auto fault = [&shown](const QString& section, const QString& what) {
        return Result::failure(
            QStringLiteral("The terminals file %1, section [%2]: %3").arg(shown, section, what));
    };
    for (const QString& name : ini.sections()) {
        if (name.isEmpty())
            return fault(name, QStringLiteral("a terminal needs a name."));
        for (const TerminalEntry& earlier : terminals) {
            if (earlier.name.compare(name, Qt::CaseInsensitive) == 0)
                return fault(name, QStringLiteral("the name is used twice."));
        }
        TerminalEntry terminal;
        terminal.name = name;
        terminal.ip = ini.value(name, QStringLiteral("IP")).value_or(QString()).trimmed();
        if (terminal.ip.isEmpty())
            return fault(name, QStringLiteral("IP is missing."));
        const QString port =
            ini.value(name, QStringLiteral("Port")).value_or(QStringLiteral("5001")).trimmed();
        bool numeric = false;
        terminal.port = port.toInt(&numeric);
        if (!numeric || terminal.port < 1 || terminal.port > 65535)
            return fault(name, QStringLiteral("Port is %1; it takes a number from 1 to 65535.").arg(port));
        const QString erase =
            ini.value(name, QStringLiteral("Erase")).value_or(QStringLiteral("no")).trimmed();
        if (erase.compare(QStringLiteral("yes"), Qt::CaseInsensitive) == 0)
            terminal.erase = true;
        else if (erase.compare(QStringLiteral("no"), Qt::CaseInsensitive) != 0)
            return fault(name, QStringLiteral("Erase is %1; it takes yes or no.").arg(erase));
        terminals.append(terminal);
    }
    if (terminals.isEmpty())
        return Result::failure(
            QStringLiteral("The terminals file %1 names no terminal: give each terminal a section such as "
                           "[Front door] with IP=..., Port=... and Erase=yes or no.")
                .arg(shown));
    return terminals;
}
