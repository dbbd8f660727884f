#include "SimFaults.h"

std::optional<SimFaults::Fault> SimFaults::take(Tq90Protocol::Command command)
{
    const auto it = m_faults.find(command);
    if (it == m_faults.end())
        return std::nullopt;
    const Fault fault = it->second;
    if (it->second.times > 0 && --it->second.times == 0)
        m_faults.erase(it);
    return fault;
}

std::optional<SimFaults::Kind> SimFaults::kindFromName(const QString& name)
{
    const QString n = name.toLower();
    if (n == u"silent")
        return Kind::Silent;
    if (n == u"corrupt")
        return Kind::Corrupt;
    if (n == u"drop")
        return Kind::Drop;
    if (n == u"short")
        return Kind::Short;
    if (n == u"giant")
        return Kind::Giant;
    if (n == u"trickle")
        return Kind::Trickle;
    if (n == u"grow")
        return Kind::Grow;
    return std::nullopt;
}
