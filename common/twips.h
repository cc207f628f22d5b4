#pragma once
// Window designs are in twips: 1440 to the inch, 15 to a device-independent pixel.
// Qt scales logical pixels for HiDPI, so the conversion stays fixed.

#include <QRect>
#include <cmath>

namespace Twips {
constexpr int perPixel = 15;

inline int toPixels(double twips) { return static_cast<int>(std::lround(twips / perPixel)); }
inline int fromPixels(int pixels) { return pixels * perPixel; }
inline QRect rect(int left, int top, int width, int height)
{
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}
} // namespace Twips
