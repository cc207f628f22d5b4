#pragma once
// Reads an SWF movie into the model the banners play: the header (FWS, or CWS compressed
// with zlib), SetBackgroundColor, DefineShape 1-3, PlaceObject2, RemoveObject(2), ShowFrame
// and End. Other tags are skipped by their length. Anything malformed throws PlatformError;
// sizes are checked before anything is allocated for them.

#include "banner/swf/movie.h"

#include <QByteArray>

namespace Swf {

// Far above any banner; a larger declared or actual size is refused.
constexpr qsizetype maxMovieBytes = 1 << 20;
// Display-list entries summed over all frames.
constexpr qsizetype maxPlacements = 1 << 16;
// Edges drawn for one frame, summed over its display list; bounds the time a frame takes.
constexpr qsizetype maxFrameEdges = 50000;

Movie readMovie(const QByteArray &data);

// The FWS form of a movie: itself, or a CWS movie inflated to its declared length.
QByteArray uncompressed(const QByteArray &data);

} // namespace Swf
