#pragma once

#include "core/enrolment/EnrolUser.h"
#include "core/platform/Outcome.h"

#include <QString>
#include <QStringList>

// What the operator typed and chose in the user dialog, before it is checked.
struct UserEntry
{
    QString userId;
    QString groupId;
    int fingerIndex = -1; // position in fingerNames(), -1 when none is chosen
    QString levelText;    // "0" to "3"
    QString vipText;      // "VIP" or "Ordinary"
};

// The ten fingers in their terminal order; the position is the finger number.
const QStringList& fingerNames();

// Checks the entry in the dialog's order and, when every check passes, writes it into the
// record (the level only when record.EnrolMode is set, otherwise the level stays as it was) and
// marks the record accepted. On the first failing check the record is left untouched and the
// failure carries the message for the operator.
Outcome applyUserEntry(const UserEntry& entry, EnrolUser& record);
