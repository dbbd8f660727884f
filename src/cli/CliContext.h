#pragma once

#include "core/platform/AppPaths.h"

#include <QStringList>
#include <QTextStream>

// What a command of tqtool-cli works with. Exit codes: 0 success (also when there was nothing
// to export), 1 the work failed (reason on the error stream), 2 bad usage.
struct CliContext
{
    AppPaths paths;
    QTextStream& out;
    QTextStream& err;
};

namespace CliExit {
constexpr int Success = 0;
constexpr int Failure = 1;
constexpr int Usage = 2;
} // namespace CliExit

// Small option reader for "--name value" and "--name=value" pairs and bare flags.
class CliOptions final
{
public:
    explicit CliOptions(QStringList args) : m_args(std::move(args)) {}
    // Takes the option's value out of the arguments; nullopt when the option is absent,
    // and sets missingValue when it is present without a value.
    std::optional<QString> take(const QString& name, bool* missingValue = nullptr);
    bool takeFlag(const QString& name);
    // What is left after the options were taken.
    const QStringList& rest() const { return m_args; }

private:
    QStringList m_args;
};
