#include "cli/CliContext.h"

std::optional<QString> CliOptions::take(const QString& name, bool* missingValue)
{
    const QString prefix = name + u'=';
    for (qsizetype i = 0; i < m_args.size(); ++i) {
        if (m_args[i] == name) {
            if (i + 1 >= m_args.size()) {
                if (missingValue)
                    *missingValue = true;
                m_args.remove(i);
                return std::nullopt;
            }
            const QString value = m_args[i + 1];
            m_args.remove(i, 2);
            return value;
        }
        if (m_args[i].startsWith(prefix)) {
            const QString value = m_args[i].mid(prefix.size());
            m_args.remove(i);
            return value;
        }
    }
    return std::nullopt;
}

bool CliOptions::takeFlag(const QString& name)
{
    return m_args.removeAll(name) > 0;
}
