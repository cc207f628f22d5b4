#pragma once
// The browser window's layout procedure, in twips and free of widgets: given the client
// area (W x H) and the address band's top and height, where the width-dependent controls go.

#include <optional>

namespace BrowserLayout {

constexpr int designBandWidth = 15255;

struct Result {
    std::optional<int> comboWidth;   // empty: negative, not applied
    int goLeft = 0;                  // Go's left edge in the address band
    int busyBannerLeft = 0;          // ShockwaveFlash1, in the address band
    int idleBannerLeft = 0;          // ShockwaveFlash2, on the window
    std::optional<int> engineWidth;  // empty: negative, not applied
    std::optional<int> engineHeight; // empty: negative, not applied
    int bandWidth = designBandWidth; // the band reaches at least the window's right edge
};

Result compute(float W, float H, int bandTop, int bandHeight);

} // namespace BrowserLayout
