#pragma once

#include <QString>
#include <QStringList>

// The format editor's delimiter options: Semicolon, Comma, Space, Tab, Custom (the text of the
// custom box) and none, by their option number.
namespace DelimiterChoice {

enum Option { Semicolon = 0, Comma = 1, Space = 2, Tab = 3, Custom = 4, None = 5 };
constexpr int OptionCount = 6;

// The captions of the options, in option order.
const QStringList& captions();

// The delimiter an option sets; Custom takes the custom box's text as it is at that moment.
QString delimiterOf(int option, const QString& customText);

// The option that shows a delimiter; any delimiter without an option of its own is Custom, and
// must then be put into the custom box so that the option keeps it.
int optionOf(const QString& delimiter);

} // namespace DelimiterChoice
