#include "banner/swf/shape_reader.h"

#include "banner/swf/bit_reader.h"

#include <QPainterPathStroker>
#include <cstdlib>
#include <map>

namespace Swf {
namespace {

// Shapes this far out are corrupt; refusing them keeps the paths within what the
// rasteriser handles well.
constexpr qint64 coordinateLimit = qint64(1) << 26;

struct Point {
    qint64 x = 0, y = 0;
    bool operator==(const Point &o) const { return x == o.x && y == o.y; }
    bool operator!=(const Point &o) const { return !(*this == o); }
    bool operator<(const Point &o) const { return x < o.x || (x == o.x && y < o.y); }
    QPointF f() const { return QPointF(static_cast<qreal>(x), static_cast<qreal>(y)); }
};

struct Edge {
    Point from, control, to;
    bool curved = false;
    int fill0 = 0, fill1 = 0, line = 0;
};

struct LineStyle {
    int width = 0;
    QColor colour;
};

struct Styles {
    std::vector<QColor> fills;
    std::vector<LineStyle> lines;
    int fillBits = 0, lineBits = 0;
};

QColor readColour(BitReader &r, int shapeVersion) { return shapeVersion >= 3 ? r.rgba() : r.rgb(); }

// The counts are not trusted for allocation: every style read consumes bytes.
Styles readStyles(BitReader &r, int shapeVersion)
{
    Styles s;
    int count = r.u8();
    if (count == 0xFF && shapeVersion >= 2)
        count = r.u16();
    for (int i = 0; i < count; ++i) {
        const int type = r.u8();
        if (type != 0x00)
            r.fail(QStringLiteral("unsupported fill style type %1").arg(type));
        s.fills.push_back(readColour(r, shapeVersion));
    }
    count = r.u8();
    if (count == 0xFF)
        count = r.u16();
    for (int i = 0; i < count; ++i) {
        LineStyle line;
        line.width = r.u16();
        line.colour = readColour(r, shapeVersion);
        s.lines.push_back(line);
    }
    s.fillBits = static_cast<int>(r.ub(4));
    s.lineBits = static_cast<int>(r.ub(4));
    return s;
}

void addEdge(QPainterPath &path, const Point &control, const Point &to, bool curved)
{
    if (curved)
        path.quadTo(control.f(), to.f());
    else
        path.lineTo(to.f());
}

// Each edge has a fill on either side; a fill's outline is its edges, those with the fill
// on their other side reversed, chained end to start into closed contours.
QPainterPath fillPath(const std::vector<Edge> &directed)
{
    std::multimap<Point, size_t> byStart;
    std::vector<std::multimap<Point, size_t>::iterator> entry;
    entry.reserve(directed.size());
    for (size_t i = 0; i < directed.size(); ++i)
        entry.push_back(byStart.emplace(directed[i].from, i));

    QPainterPath path;
    std::vector<bool> used(directed.size(), false);
    for (size_t i = 0; i < directed.size(); ++i) {
        if (used[i])
            continue;
        used[i] = true;
        byStart.erase(entry[i]);
        const Point start = directed[i].from;
        path.moveTo(start.f());
        addEdge(path, directed[i].control, directed[i].to, directed[i].curved);
        Point at = directed[i].to;
        while (at != start) {
            const auto next = byStart.find(at);
            if (next == byStart.end())
                break; // an open outline; filling closes it
            const size_t j = next->second;
            byStart.erase(next);
            used[j] = true;
            addEdge(path, directed[j].control, directed[j].to, directed[j].curved);
            at = directed[j].to;
        }
        path.closeSubpath();
    }
    return path;
}

QPainterPath strokePath(const std::vector<Edge> &edges)
{
    QPainterPath path;
    for (size_t i = 0; i < edges.size(); ++i) {
        if (i == 0 || edges[i].from != edges[i - 1].to)
            path.moveTo(edges[i].from.f());
        addEdge(path, edges[i].control, edges[i].to, edges[i].curved);
    }
    return path;
}

// Sorts the edges by style in one pass, then builds each style's path.
ShapeLayer buildLayer(const std::vector<Edge> &edges, const Styles &styles)
{
    std::vector<std::vector<Edge>> byFill(styles.fills.size() + 1);
    std::vector<std::vector<Edge>> byLine(styles.lines.size() + 1);
    for (const Edge &e : edges) {
        if (e.fill1)
            byFill[e.fill1].push_back(e);
        if (e.fill0) {
            Edge back = e;
            std::swap(back.from, back.to);
            byFill[e.fill0].push_back(back);
        }
        if (e.line)
            byLine[e.line].push_back(e);
    }
    ShapeLayer layer;
    for (size_t i = 1; i < byFill.size(); ++i)
        if (!byFill[i].empty())
            layer.fills.push_back({styles.fills[i - 1], fillPath(byFill[i])});
    for (size_t i = 1; i < byLine.size(); ++i) {
        if (byLine[i].empty())
            continue;
        Stroke stroke{styles.lines[i - 1].colour, styles.lines[i - 1].width, strokePath(byLine[i]), {}};
        // Outlined once here, in shape units: stroking at draw time would work at the
        // placement's scale, which can be enormous.
        if (stroke.width > 0) {
            QPainterPathStroker stroker;
            stroker.setWidth(stroke.width);
            stroker.setCapStyle(Qt::RoundCap);
            stroker.setJoinStyle(Qt::RoundJoin);
            stroke.outline = stroker.createStroke(stroke.path);
        }
        layer.strokes.push_back(stroke);
    }
    return layer;
}

void checkPoint(BitReader &r, const Point &p)
{
    if (std::llabs(p.x) > coordinateLimit || std::llabs(p.y) > coordinateLimit)
        r.fail(QStringLiteral("shape coordinates out of range"));
}

} // namespace

Shape readShape(BitReader &r, int shapeVersion, EdgeBudget &budget)
{
    Shape shape;
    const TwipRect b = r.rect();
    if (b.xMin <= b.xMax && b.yMin <= b.yMax)
        shape.bounds = QRect(b.xMin, b.yMin, b.xMax - b.xMin, b.yMax - b.yMin);

    Styles styles = readStyles(r, shapeVersion);
    std::vector<Edge> edges;
    Point at;
    int fill0 = 0, fill1 = 0, line = 0;

    for (;;) {
        if (r.ub(1) == 0) {
            const quint32 flags = r.ub(5);
            if (flags == 0)
                break; // end of shape
            const bool newStyles = flags & 0x10, lineChange = flags & 0x08;
            const bool fill1Change = flags & 0x04, fill0Change = flags & 0x02, moveTo = flags & 0x01;
            if (moveTo) {
                const int n = static_cast<int>(r.ub(5));
                at.x = r.sb(n);
                at.y = r.sb(n);
                checkPoint(r, at);
            }
            // The indices are read with the old bit counts but select from the new styles.
            const int newFill0 = fill0Change ? static_cast<int>(r.ub(styles.fillBits)) : -1;
            const int newFill1 = fill1Change ? static_cast<int>(r.ub(styles.fillBits)) : -1;
            const int newLine = lineChange ? static_cast<int>(r.ub(styles.lineBits)) : -1;
            if (newStyles) {
                if (shapeVersion < 2)
                    r.fail(QStringLiteral("new styles in a DefineShape"));
                if (!edges.empty())
                    shape.layers.push_back(buildLayer(edges, styles));
                edges.clear();
                styles = readStyles(r, shapeVersion);
                fill0 = fill1 = line = 0;
            }
            const int fillCount = static_cast<int>(styles.fills.size());
            const int lineCount = static_cast<int>(styles.lines.size());
            if (newFill0 > fillCount || newFill1 > fillCount || newLine > lineCount)
                r.fail(QStringLiteral("style index out of range"));
            if (newFill0 >= 0)
                fill0 = newFill0;
            if (newFill1 >= 0)
                fill1 = newFill1;
            if (newLine >= 0)
                line = newLine;
            continue;
        }

        if (--budget.left < 0)
            r.fail(QStringLiteral("too many edges"));
        Edge e;
        e.from = at;
        const bool straight = r.ub(1);
        const int n = static_cast<int>(r.ub(4)) + 2;
        if (straight) {
            qint64 dx = 0, dy = 0;
            if (r.ub(1)) { // general line
                dx = r.sb(n);
                dy = r.sb(n);
            } else if (r.ub(1)) { // vertical
                dy = r.sb(n);
            } else {
                dx = r.sb(n);
            }
            e.to = {at.x + dx, at.y + dy};
            e.control = e.to;
        } else {
            const qint64 cx = r.sb(n), cy = r.sb(n), ax = r.sb(n), ay = r.sb(n);
            e.control = {at.x + cx, at.y + cy};
            e.to = {e.control.x + ax, e.control.y + ay};
            e.curved = true;
            checkPoint(r, e.control);
        }
        checkPoint(r, e.to);
        e.fill0 = fill0;
        e.fill1 = fill1;
        e.line = line;
        if (fill0 || fill1 || line) {
            edges.push_back(e);
            ++shape.edges;
        }
        at = e.to;
    }
    if (!edges.empty())
        shape.layers.push_back(buildLayer(edges, styles));
    for (const ShapeLayer &layer : shape.layers) {
        for (const Fill &fill : layer.fills)
            shape.extent |= fill.path.controlPointRect();
        for (const Stroke &stroke : layer.strokes)
            shape.extent |= (stroke.width ? stroke.outline : stroke.path).controlPointRect();
    }
    return shape;
}

} // namespace Swf
