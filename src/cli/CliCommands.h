#pragma once

#include "cli/CliContext.h"

#include <QList>
#include <QString>

#include <functional>

struct CliCommand
{
    QString name;
    QString synopsis;
    std::function<int(CliContext&, const QStringList&)> run;
};

// The table of commands; each subsystem's commands live in their own file under cli/.
const QList<CliCommand>& cliCommands();
