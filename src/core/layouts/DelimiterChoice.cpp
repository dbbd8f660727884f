#include "core/layouts/DelimiterChoice.h"

namespace DelimiterChoice {

const QStringList& captions()
{
    static const QStringList texts = {
        QStringLiteral("Semicolon(;)"), QStringLiteral("Comma(,)"), QStringLiteral("Space( )"),
        QStringLiteral("Tab(      )"),  QStringLiteral("Custom.."), QStringLiteral("Non"),
    };
    return texts;
}

QString delimiterOf(int option, const QString& customText)
{
    switch (option) {
    case Semicolon:
        return QStringLiteral(";");
    case Comma:
        return QStringLiteral(",");
    case Space:
        return QStringLiteral(" ");
    case Tab:
        return QStringLiteral("TAB");
    case Custom:
        return customText;
    default:
        return QString();
    }
}

int optionOf(const QString& delimiter)
{
    if (delimiter.isEmpty())
        return None;
    for (int option : {Semicolon, Comma, Space, Tab})
        if (delimiter == delimiterOf(option, QString()))
            return option;
    return Custom;
}

} // namespace DelimiterChoice
