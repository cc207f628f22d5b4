#pragma once
// DefineShape, DefineShape2 and DefineShape3 bodies (after the character id) to shapes.

#include "banner/swf/movie.h"

namespace Swf {

class BitReader;

// Caps the edges of a whole movie, so a small file cannot build huge paths.
struct EdgeBudget {
    qsizetype left = 50000;
};

// shapeVersion is 1, 2 or 3 for DefineShape, DefineShape2 and DefineShape3.
Shape readShape(BitReader &reader, int shapeVersion, EdgeBudget &budget);

} // namespace Swf
