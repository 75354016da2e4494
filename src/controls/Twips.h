#pragma once

#include <QRect>

// Positions and sizes are designed in twips: 15 to a device-independent pixel.
namespace Twips {
inline constexpr int PerPixel = 15;
constexpr int toPixels(int twips)
{
    return twips / PerPixel;
}
constexpr int fromPixels(int pixels)
{
    return pixels * PerPixel;
}
inline QRect toPixels(int left, int top, int width, int height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}
} // namespace Twips
