#pragma once

#include <QString>
#include <QtGlobal>

// The user and finger the enrolment window is about to enrol or verify. The window owns one
// record, hands it to the user dialog, and passes its values to the terminal.
struct EnrolUser
{
    // Set by the caller before the dialog opens: true to enrol (asks for level and VIP),
    // false to verify.
    bool EnrolMode = false;
    // True only when the dialog was closed with OK.
    bool DialogAccepted = false;
    QString UserId;      // 1 to 12 characters, trimmed
    quint8 GroupId = 0;  // 0 to 99
    quint8 FingerNo = 0; // position in the finger list, 0 to 9
    quint8 Level = 0;    // verification level 0 to 3, plus 4 for a VIP user (enrolment only)
    QString FingerName;  // "Left thumb" for "0 - Left thumb"
};
