#include "cli/CliContext.h"

int CliContext::usageError(const QString& why) const
{
    if (!why.isEmpty())
        err << why << '\n';
    err << usage << '\n';
    return CliExit::Usage;
}
