#pragma once

#include "cli/CliContext.h"

#include <QCommandLineOption>
#include <QList>
#include <QString>

#include <functional>
#include <utility>

struct CliCommand
{
    QString name;
    QString summary;  // its line in the list of commands
    QString synopsis; // what follows the name in its usage line
    QString description;
    QList<QCommandLineOption> options;
    QList<std::pair<QString, QString>> arguments; // positional arguments and their meaning
    bool longWork = false;                        // takes --quiet and shows progress
    std::function<int(CliContext&)> run;
};

// The table of commands; each subsystem's commands live in their own file under cli/.
const QList<CliCommand>& cliCommands();

// The texts of --help.
QString programHelp();
QString commandHelp(const CliCommand& command);
QString commandUsage(const CliCommand& command);
// The --quiet option of the long-running commands.
QCommandLineOption quietOption();
