#include "core/enrolment/UserEntry.h"

namespace {
constexpr int MaxUserIdLength = 12;
constexpr int MaxGroupId = 99;

// A group ID must be a whole number written in digits only; "099" reads as 99.
bool readGroupId(const QString& text, int* value)
{
    for (QChar c : text) {
        if (!c.isDigit() || c.unicode() > u'9')
            return false;
    }
    bool ok = false;
    const qulonglong number = text.toULongLong(&ok);
    if (!ok || number > MaxGroupId)
        return false;
    *value = int(number);
    return true;
}
} // namespace

const QStringList& fingerNames()
{
    static const QStringList fingers = {
        QStringLiteral("0 - Left thumb"),         QStringLiteral("1 - Left index finger"),
        QStringLiteral("2 - Left middle finger"), QStringLiteral("3 - Left ring finger"),
        QStringLiteral("4 - Left little finger"), QStringLiteral("5 - Right thumb"),
        QStringLiteral("6 - Right index finger"), QStringLiteral("7 - Right middle finger"),
        QStringLiteral("8 - Right ring finger"),  QStringLiteral("9 - Right little finger"),
    };
    return fingers;
}

Outcome applyUserEntry(const UserEntry& entry, EnrolUser& record)
{
    const QString userId = entry.userId.trimmed();
    if (userId.isEmpty())
        return Outcome::failure(QStringLiteral("User ID could not be empty!"));
    if (userId == u"0")
        return Outcome::failure(QStringLiteral("User ID could not be 0!"));
    if (userId.size() > MaxUserIdLength)
        return Outcome::failure(QStringLiteral("The range of User ID could be 1-999999999999!"));

    const QString groupText = entry.groupId.trimmed();
    if (groupText.isEmpty())
        return Outcome::failure(QStringLiteral("Group ID could not be empty!"));
    int groupId = 0;
    if (!readGroupId(groupText, &groupId))
        return Outcome::failure(QStringLiteral("Group ID should be in range of 0-99!"));

    if (entry.fingerIndex < 0 || entry.fingerIndex >= fingerNames().size())
        return Outcome::failure(QStringLiteral("Finger ID could not be empty!"));

    record.UserId = userId;
    record.GroupId = quint8(groupId);
    record.FingerNo = quint8(entry.fingerIndex);
    const QString& finger = fingerNames().at(entry.fingerIndex);
    record.FingerName = finger.mid(finger.indexOf(u'-') + 2);
    if (record.EnrolMode)
        record.Level = quint8(entry.levelText.toInt() + (entry.vipText == u"VIP" ? 4 : 0));
    record.DialogAccepted = true;
    return Outcome::success();
}
