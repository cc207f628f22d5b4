#pragma once
// Draws one frame of a movie with QPainter, the whole stage fitted into a target rectangle
// at its aspect ratio and centred ("show all"), on black.

#include "banner/swf/movie.h"

class QPainter;

namespace Swf {

// Maps stage twips into target so that the whole stage shows, centred, undistorted.
QTransform showAllTransform(const QRect &stage, const QRectF &target);

// The letterbox is black; the stage is filled with stageColour. Antialiased; the
// painter's state is left as it was. A frame out of range draws only the background.
void renderFrame(QPainter &painter, const Movie &movie, int frame, const QRectF &target,
                 const QColor &stageColour = Qt::black);

} // namespace Swf
