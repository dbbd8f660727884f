#pragma once

#include <QString>

// One punch as the work table tblExport1 holds it: all six columns as text, wDate as
// "yyyy/MM/dd" and wTime as "HH:mm:ss".
struct PunchRow
{
    QString HID;
    QString FID;
    QString GID;
    QString wDate;
    QString wTime;
    QString Status;
};
