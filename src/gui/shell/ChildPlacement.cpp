#include "gui/shell/ChildPlacement.h"

#include <cmath>

namespace ChildPlacement {

qint64 roundHalfToEven(double value)
{
    const double below = std::floor(value);
    const double fraction = value - below;
    auto whole = static_cast<qint64>(below);
    if (fraction > 0.5 || (fraction == 0.5 && whole % 2 != 0))
        ++whole;
    return whole;
}

std::optional<QPoint> centredPosition(bool mainIsNormal, double mainWidth, double mainHeight,
                                      double childWidth, double childHeight)
{
    if (!mainIsNormal)
        return std::nullopt;
    return QPoint(static_cast<int>(roundHalfToEven((mainWidth - childWidth) / 2 - LeftOffset)),
                  static_cast<int>(roundHalfToEven((mainHeight - childHeight) / 2 - TopOffset)));
}

} // namespace ChildPlacement
