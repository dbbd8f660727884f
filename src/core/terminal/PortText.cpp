#include "core/terminal/PortText.h"

#include <algorithm>
#include <limits>

Expected<qint32> ParsePortText(const QString& text)
{
    const QString trimmed = text.trimmed();
    bool ok = false;
    const qlonglong value = trimmed.toLongLong(&ok);
    if (!ok) {
        // digits beyond 64 bits are still a number, only too large
        const QString body = trimmed.startsWith(u'-') || trimmed.startsWith(u'+') ? trimmed.mid(1) : trimmed;
        const bool allDigits = !body.isEmpty() && std::all_of(body.cbegin(), body.cend(),
                                                              [](QChar c) { return c >= u'0' && c <= u'9'; });
        return Expected<qint32>::failure(allDigits ? QStringLiteral("Overflow")
                                                   : QStringLiteral("Type mismatch"));
    }
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return Expected<qint32>::failure(QStringLiteral("Overflow"));
    return static_cast<qint32>(value);
}
