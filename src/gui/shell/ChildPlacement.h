#pragma once

#include <QPoint>

#include <optional>

// Where a child window goes inside the main window, in twips (1/1440 inch): centred, then moved
// 1500 twips to the left and 1000 up (the offsets differ on purpose: the frame's side bar takes
// the left edge).
namespace ChildPlacement {

inline constexpr double LeftOffset = 1500;
inline constexpr double TopOffset = 1000;

// The nearest whole number; a value exactly between two goes to the even one.
// std::nearbyint would depend on the process's rounding mode, so it is done here.
qint64 roundHalfToEven(double value);

// The child's new left and top for the given outer sizes, or nothing when the main window is
// not in its normal state (minimised or maximised): the child then stays where it is.
std::optional<QPoint> centredPosition(bool mainIsNormal, double mainWidth, double mainHeight,
                                      double childWidth, double childHeight);

} // namespace ChildPlacement
