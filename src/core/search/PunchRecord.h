#pragma once

#include <QString>

// One punch as the work table holds it: six texts.
struct PunchRecord
{
    QString hid;    // employee ID
    QString fid;    // terminal ID
    QString gid;    // group ID
    QString wDate;  // "yyyy/MM/dd"
    QString wTime;  // "HH:mm:ss"
    QString status; // "1" entry, "2" exit, other codes as the source gave them
};
