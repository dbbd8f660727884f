#include "SimTemplateStore.h"

#include "core/terminal/Tq90Result.h"

int SimTemplateStore::store(Template t)
{
    for (const Template& e : m_templates) {
        if (e.userId == t.userId && e.finger == t.finger)
            return Tq90Result::UserExists;
    }
    if (m_templates.size() >= Capacity)
        return Tq90Result::NoSpace;
    m_templates.append(std::move(t));
    return Tq90Result::Ok;
}

int SimTemplateStore::verify(const QString& userId, int group, int finger, const SimFinger& sample) const
{
    if (m_templates.isEmpty())
        return Tq90Result::UserDatabaseEmpty;
    for (const Template& e : m_templates) {
        if (e.userId == userId && e.group == group && e.finger == finger)
            return matches(e, sample) ? Tq90Result::Ok : Tq90Result::UnknownUser;
    }
    return Tq90Result::UserNotFound;
}

int SimTemplateStore::identify(const SimFinger& sample, QString* userId) const
{
    if (m_templates.isEmpty())
        return Tq90Result::UserDatabaseEmpty;
    for (const Template& e : m_templates) {
        if (matches(e, sample)) {
            *userId = e.userId;
            return Tq90Result::Ok;
        }
    }
    return Tq90Result::UnknownUser;
}
