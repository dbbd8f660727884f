#pragma once

#include "core/platform/Outcome.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>

// One raw access log waiting in a facility: a door event of a person.
struct RawAccessLog
{
    quint32 uid = 0;
    quint32 fid = 0;
    quint32 gid = 0;
    QDateTime date;
    quint32 inOutOption = 0;
};

// The facilities the simulated service holds, each with its pending raw access logs, read from
// a text file (format in the README's qor-sim section and in load()).
class FacilityStore final
{
public:
    // One line per entry; blank lines and lines starting with '#' are skipped:
    //   facility <FacID>
    //   log <FacID> <UID> <FID> <GID> <yyyy/MM/dd> <HH:mm:ss> <InOutOption>
    // A log line declares its facility too. FacID is 0..255, InOutOption 0..255, the other
    // numbers 0..999999999. A malformed line refuses the whole file, naming the line.
    static Expected<FacilityStore> load(const QString& path);
    static Expected<FacilityStore> parse(const QByteArray& text);

    bool contains(quint8 facility) const { return m_logs.contains(facility); }
    QList<RawAccessLog> logs(quint8 facility) const { return m_logs.value(facility); }
    void clear(quint8 facility);
    qsizetype facilityCount() const { return m_logs.size(); }

private:
    QMap<quint8, QList<RawAccessLog>> m_logs;
};
