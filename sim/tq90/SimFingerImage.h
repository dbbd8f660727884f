#pragma once

#include "SimFinger.h"

#include <QByteArray>

// The grey image the sensor delivers for a finger: 320 x 480 bytes, row by row from the top,
// and one spare byte (153,601 bytes). The same finger always gives the same image.
class SimFingerImage final
{
public:
    static QByteArray render(const SimFinger& finger);
};
