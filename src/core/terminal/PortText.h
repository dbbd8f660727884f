#pragma once

#include "core/platform/Outcome.h"

#include <QString>

// The port text of a connect step as a 32-bit number: blanks around it are ignored. Fails with
// "Type mismatch" when the text is not a whole number and "Overflow" when it does not fit in 32
// bits; the range 1 to 65535 is the caller's check.
Expected<qint32> ParsePortText(const QString& text);
