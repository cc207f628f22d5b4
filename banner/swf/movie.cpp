#include "banner/swf/movie.h"

#include <algorithm>

namespace Swf {

QColor ColourTransform::apply(const QColor &colour) const
{
    const int in[4] = {colour.red(), colour.green(), colour.blue(), colour.alpha()};
    int out[4];
    for (int i = 0; i < 4; ++i)
        out[i] = std::clamp(in[i] * mult[i] / 256 + add[i], 0, 255);
    return QColor(out[0], out[1], out[2], out[3]);
}

bool ColourTransform::isIdentity() const
{
    for (int i = 0; i < 4; ++i)
        if (mult[i] != 256 || add[i] != 0)
            return false;
    return true;
}

QSize Movie::stagePixels() const { return QSize(stage.width() / 20, stage.height() / 20); }

} // namespace Swf
