#include "platform/swf/renderer.h"

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

    for (const Placement &p : movie.frames[size_t(frame)]) {
        const auto shape = movie.shapes.find(p.shapeId);
        if (p.clipDepth || shape == movie.shapes.end() || !p.matrix.isInvertible())
            continue; // masks are not drawn
        painter.setWorldTransform(p.matrix * stage * base);
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
                QPen pen(colour, stroke.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
                painter.strokePath(stroke.path, pen);
            }
        }
    }
    painter.restore();
}

} // namespace Swf
