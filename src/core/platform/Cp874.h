#pragma once

#include <QByteArray>
#include <QString>

// The Thai Windows code page 874, the 8-bit encoding of every text file the program
// shares with Windows machines. Qt's own converters only know Unicode and Latin-1 here,
// and the table is small, so it is written out. Every byte maps to a distinct character
// (bytes the code page leaves undefined map into the private-use area at U+F700 + byte),
// so any byte string survives a decode and encode unchanged.
namespace Cp874 {

QString decode(const QByteArray& bytes);

// Characters outside the code page become '?'; ok (when given) tells whether all fit.
QByteArray encode(const QString& text, bool* ok = nullptr);
// The same, appended to out.
void append(QByteArray& out, QStringView text);

// Code of one character in the code page, or -1 when it has none.
int codeOf(QChar c);
QChar charOf(unsigned char code);

} // namespace Cp874
