#include "SimFingerImage.h"

#include "core/terminal/Tq90Protocol.h"

#include <QHash>

#include <cmath>

QByteArray SimFingerImage::render(const SimFinger& finger)
{
    using namespace Tq90Protocol;
    QByteArray image(RawImageBytes, char(0xFF));
    const size_t seed = qHash(finger.text());
    const double cx = RawImageWidth / 2.0 + static_cast<double>(seed % 41) - 20.0;
    const double cy = RawImageHeight / 2.0 + static_cast<double>((seed >> 8) % 61) - 30.0;
    const double spacing = 7.0 + static_cast<double>((seed >> 16) % 5);
    const double twist = static_cast<double>((seed >> 20) % 100) / 400.0;
    // concentric ridges, bent by the finger's own twist, inside an oval pad
    for (int y = 0; y < RawImageHeight; ++y) {
        for (int x = 0; x < RawImageWidth; ++x) {
            const double dx = (x - cx) / 140.0;
            const double dy = (y - cy) / 210.0;
            if (dx * dx + dy * dy > 1.0)
                continue;
            const double r = std::hypot(x - cx, (y - cy) * 0.8);
            const double angle = std::atan2(y - cy, x - cx);
            const double wave =
                std::sin((r + 6.0 * std::sin(angle * 3.0 + twist * r / 10.0)) * 2.0 * M_PI / spacing);
            image[y * RawImageWidth + x] = static_cast<char>(wave > 0.2 ? 40 : 215);
        }
    }
    image[RawImageBytes - 1] = 0;
    return image;
}
