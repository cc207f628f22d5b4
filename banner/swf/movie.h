#pragma once
// The movie model the banners play: what the reader makes of an SWF file and what the
// renderer draws. Geometry is in twips, as the file stores it.

#include <QColor>
#include <QPainterPath>
#include <QRect>
#include <QTransform>
#include <map>
#include <vector>

namespace Swf {

struct Fill {
    QColor colour;
    QPainterPath path; // closed contours, odd-even filled
};

struct Stroke {
    QColor colour;
    int width = 0;        // twips; 0 is a one-pixel hairline
    QPainterPath path;    // the line itself
    QPainterPath outline; // its area once drawn at width (empty for hairlines)
};

// One group of styles: a shape that brings in new styles draws the earlier groups first.
struct ShapeLayer {
    std::vector<Fill> fills;
    std::vector<Stroke> strokes;
};

struct Shape {
    QRect bounds;
    std::vector<ShapeLayer> layers;
    int edges = 0;  // drawing cost
    QRectF extent;  // what its paths cover, lines included
};

// Colour transform with alpha: each channel becomes c * mult / 256 + add, clamped.
struct ColourTransform {
    int mult[4] = {256, 256, 256, 256}; // red, green, blue, alpha
    int add[4] = {0, 0, 0, 0};

    QColor apply(const QColor &colour) const;
    bool isIdentity() const;
};

// One entry of a frame's display list.
struct Placement {
    int depth = 0;
    int shapeId = 0;
    QTransform matrix;
    ColourTransform colour;
    int clipDepth = 0; // non-zero: a mask layer, which is not drawn
};

struct Movie {
    int version = 0;
    QRect stage;          // twips
    double frameRate = 0; // frames per second
    QColor background = Qt::black;
    std::map<int, Shape> shapes;               // by character id
    std::vector<std::vector<Placement>> frames; // display list of each frame, by depth

    int frameCount() const { return static_cast<int>(frames.size()); }
    QSize stagePixels() const; // 20 twips to a pixel in the file format
};

} // namespace Swf
