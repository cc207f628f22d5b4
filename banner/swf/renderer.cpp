#include "banner/swf/renderer.h"

#include <QPainter>
#include <algorithm>

namespace Swf {

QTransform showAllTransform(const QRect &stage, const QRectF &target)
{
    if (stage.isEmpty() || target.isEmpty())
        return QTransform(0, 0, 0, 0, target.center().x(), target.center().y());
    const qreal scale = std::min(target.width() / stage.width(), target.height() / stage.height());
    const QPointF offset(target.x() + (target.width() - stage.width() * scale) / 2,
                         target.y() + (target.height() - stage.height() * scale) / 2);
    return QTransform::fromTranslate(-stage.x(), -stage.y()) * QTransform::fromScale(scale, scale) *
           QTransform::fromTranslate(offset.x(), offset.y());
}

void renderFrame(QPainter &painter, const Movie &movie, int frame, const QRectF &target,
                 const QColor &stageColour)
{
    painter.save();
    painter.fillRect(target, Qt::black);
    const QTransform base = painter.worldTransform();
    const QTransform stage = showAllTransform(movie.stage, target);
    const QRectF stageArea = stage.mapRect(QRectF(movie.stage));
    painter.fillRect(stageArea, stageColour);
    if (frame < 0 || frame >= movie.frameCount()) {
        painter.restore();
        return;
    }
    painter.setClipRect(stageArea, Qt::IntersectClip);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);

    // Drawing time grows with a shape's edges times its size on the target (lines crossed,
    // curve pieces). A frame may spend this much, about half a second; shapes beyond it are
    // left out. Only absurd zooms of detailed shapes get there: a banner uses under 1%.
    constexpr double budget = 1e6;
    double spent = 0;
    const double targetExtent = std::max(target.width(), target.height());
    for (const Placement &p : movie.frames[size_t(frame)]) {
        const auto shape = movie.shapes.find(p.shapeId);
        if (p.clipDepth || shape == movie.shapes.end() || !p.matrix.isInvertible())
            continue; // masks are not drawn
        const QTransform toTarget = p.matrix * stage;
        const QRectF area = toTarget.mapRect(shape->second.extent);
        if (!area.adjusted(-1, -1, 1, 1).intersects(stageArea)) // hairlines have no area
            continue;
        const double extent = std::max(area.width(), area.height());
        const double cost = shape->second.edges * (std::min(extent, targetExtent) + extent / 8 + 1);
        if (spent + cost > budget)
            continue;
        spent += cost;
        painter.setWorldTransform(toTarget * base);
        for (const ShapeLayer &layer : shape->second.layers) {
            for (const Fill &fill : layer.fills) {
                const QColor colour = p.colour.apply(fill.colour);
                if (colour.alpha())
                    painter.fillPath(fill.path, colour);
            }
            for (const Stroke &stroke : layer.strokes) {
                const QColor colour = p.colour.apply(stroke.colour);
                if (!colour.alpha())
                    continue;
                if (stroke.width > 0)
                    painter.fillPath(stroke.outline, colour);
                else
                    painter.strokePath(stroke.path, QPen(colour, 0)); // one-pixel hairline
            }
        }
    }
    painter.restore();
}

} // namespace Swf
