#include "browser/layout.h"

#include <algorithm>
#include <cmath>

namespace BrowserLayout {
namespace {
int toInt(float value) { return static_cast<int>(std::lrint(value)); }

std::optional<int> size(float value)
{
    if (value < 0)
        return std::nullopt;
    return toInt(value);
}
} // namespace

Result compute(float W, float H, int bandTop, int bandHeight)
{
    Result r;
    r.comboWidth = size(W - 3500.0f);
    r.goLeft = toInt(W - 1800.0f);
    r.busyBannerLeft = toInt(W - 900.0f);
    r.idleBannerLeft = toInt(W - 900.0f);
    r.engineWidth = size(W - 50.0f);
    r.engineHeight = size(H - (float(bandTop) + float(bandHeight)) - 500.0f);
    // Wider windows would cut Go and the busy banner off at the band's design width.
    r.bandWidth = std::max(designBandWidth, toInt(W));
    return r;
}

} // namespace BrowserLayout
