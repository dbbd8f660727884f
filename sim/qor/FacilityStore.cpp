#include "FacilityStore.h"

#include "core/accesscontrol/QorProtocol.h"

#include <QFile>

namespace {

std::optional<quint32> field(const QByteArray& word, quint32 max)
{
    return QorProtocol::number(word, max);
}

} // namespace

Expected<FacilityStore> FacilityStore::load(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Expected<FacilityStore>::failure(
            QStringLiteral("Cannot read the facilities file %1: %2").arg(path, file.errorString()));
    Expected<FacilityStore> store = parse(file.readAll());
    if (!store)
        return Expected<FacilityStore>::failure(QStringLiteral("%1: %2").arg(path, store.error()));
    return store;
}

Expected<FacilityStore> FacilityStore::parse(const QByteArray& text)
{
    FacilityStore store;
    const QList<QByteArray> lines = text.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const auto bad = [&](const QString& why) {
            return Expected<FacilityStore>::failure(QStringLiteral("line %1: %2").arg(i + 1).arg(why));
        };
        const QList<QByteArray> words = line.simplified().split(' ');
        if (words[0] == "facility") {
            if (words.size() != 2)
                return bad(QStringLiteral("expected \"facility <FacID>\""));
            const std::optional<quint32> fac = field(words[1], 255);
            if (!fac)
                return bad(QStringLiteral("the FacID must be a number from 0 to 255"));
            store.m_logs[static_cast<quint8>(*fac)];
            continue;
        }
        if (words[0] != "log")
            return bad(QStringLiteral("expected \"facility\" or \"log\""));
        if (words.size() != 8)
            return bad(QStringLiteral(
                "expected \"log <FacID> <UID> <FID> <GID> <yyyy/MM/dd> <HH:mm:ss> <InOutOption>\""));
        const std::optional<quint32> fac = field(words[1], 255);
        if (!fac)
            return bad(QStringLiteral("the FacID must be a number from 0 to 255"));
        RawAccessLog log;
        const std::optional<quint32> uid = field(words[2], 999999999);
        const std::optional<quint32> fid = field(words[3], 999999999);
        const std::optional<quint32> gid = field(words[4], 999999999);
        const std::optional<quint32> option = field(words[7], 255);
        if (!uid || !fid || !gid)
            return bad(QStringLiteral("UID, FID and GID must be numbers from 0 to 999999999"));
        if (!option)
            return bad(QStringLiteral("the InOutOption must be a number from 0 to 255"));
        log.uid = *uid;
        log.fid = *fid;
        log.gid = *gid;
        log.inOutOption = *option;
        log.date = QDateTime::fromString(QString::fromLatin1(words[5] + ' ' + words[6]),
                                         QStringLiteral("yyyy/MM/dd HH:mm:ss"));
        if (!log.date.isValid())
            return bad(QStringLiteral("the date and time must read yyyy/MM/dd HH:mm:ss"));
        store.m_logs[static_cast<quint8>(*fac)].append(log);
    }
    return store;
}

void FacilityStore::clear(quint8 facility)
{
    if (m_logs.contains(facility))
        m_logs[facility].clear();
}
