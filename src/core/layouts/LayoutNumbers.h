#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// How numbers are read from layout texts.
namespace LayoutNumbers {

// The leading number of a text: blanks before it skipped, an optional sign, digits and an
// optional fraction; a text that does not start with a number reads as 0 ("12px" is 12,
// "abc" and "" are 0).
double leadingNumber(const QString& text);

// A number rounded half to even and held in 16 bits; values beyond the range stop at its ends.
qint16 toInt16(double value);

// The width of a grid row as line building reads it: leadingNumber, then toInt16.
inline qint16 width(const QString& text)
{
    return toInt16(leadingNumber(text));
}

// A whole number written as such (blanks around it allowed) that fits in 16 bits; nullopt for
// anything else, an empty text included.
std::optional<qint16> wholeInt16(const QString& text);

} // namespace LayoutNumbers
