#include "tools/swf_writer/writer.h"

#include <algorithm>
#include <climits>

namespace Swf {
namespace {

int unsignedBits(size_t value)
{
    int bits = 0;
    while ((size_t(1) << bits) <= value)
        ++bits;
    return bits;
}

} // namespace

int ShapeWriter::tagCode() const { return m_version >= 3 ? 32 : m_version == 2 ? 22 : 2; }

int ShapeWriter::addFill(const QColor &colour)
{
    m_groups.back().fills.push_back(colour);
    return static_cast<int>(m_groups.back().fills.size());
}

int ShapeWriter::addLine(int width, const QColor &colour)
{
    m_groups.back().lines.emplace_back(width, colour);
    return static_cast<int>(m_groups.back().lines.size());
}

ShapeWriter::Op &ShapeWriter::pendingChange()
{
    if (m_ops.empty() || m_ops.back().kind != Op::Change)
        m_ops.emplace_back();
    return m_ops.back();
}

void ShapeWriter::setFill0(int style) { pendingChange().fill0 = style; }
void ShapeWriter::setFill1(int style) { pendingChange().fill1 = style; }
void ShapeWriter::setLine(int style) { pendingChange().line = style; }

void ShapeWriter::newStyles()
{
    pendingChange().newGroup = true;
    m_groups.emplace_back();
}

void ShapeWriter::moveTo(int x, int y)
{
    Op &op = pendingChange();
    op.move = true;
    op.x = x;
    op.y = y;
}

void ShapeWriter::lineTo(int x, int y)
{
    Op op;
    op.kind = Op::Line;
    op.x = x;
    op.y = y;
    m_ops.push_back(op);
}

void ShapeWriter::curveTo(int controlX, int controlY, int x, int y)
{
    Op op;
    op.kind = Op::Curve;
    op.cx = controlX;
    op.cy = controlY;
    op.x = x;
    op.y = y;
    m_ops.push_back(op);
}

QByteArray ShapeWriter::body(int id) const
{
    // Bounds: every point the pen reaches, widened by half the widest line.
    int widest = 0;
    for (const Group &g : m_groups)
        for (const auto &line : g.lines)
            widest = std::max(widest, line.first);
    int minX = 0, minY = 0, maxX = 0, maxY = 0;
    bool any = false;
    auto extend = [&](int x, int y) {
        minX = any ? std::min(minX, x) : x;
        maxX = any ? std::max(maxX, x) : x;
        minY = any ? std::min(minY, y) : y;
        maxY = any ? std::max(maxY, y) : y;
        any = true;
    };
    for (const Op &op : m_ops) {
        if (op.kind == Op::Curve)
            extend(op.cx, op.cy);
        if (op.kind != Op::Change || op.move)
            extend(op.x, op.y);
    }
    const int pad = (widest + 1) / 2;

    BitWriter w;
    w.u16(id);
    w.rect(QRect(QPoint(minX - pad, minY - pad), QPoint(maxX + pad - 1, maxY + pad - 1)));

    size_t group = 0;
    int fillBits = 0, lineBits = 0;
    auto writeStyles = [&](const Group &g) {
        w.u8(static_cast<int>(std::min<size_t>(g.fills.size(), 0xFF)));
        if (g.fills.size() >= 0xFF)
            w.u16(static_cast<int>(g.fills.size()));
        for (const QColor &c : g.fills) {
            w.u8(0x00); // solid
            m_version >= 3 ? w.rgba(c) : w.rgb(c);
        }
        w.u8(static_cast<int>(std::min<size_t>(g.lines.size(), 0xFF)));
        if (g.lines.size() >= 0xFF)
            w.u16(static_cast<int>(g.lines.size()));
        for (const auto &line : g.lines) {
            w.u16(line.first);
            m_version >= 3 ? w.rgba(line.second) : w.rgb(line.second);
        }
        fillBits = unsignedBits(g.fills.size());
        lineBits = unsignedBits(g.lines.size());
        w.ub(static_cast<quint32>(fillBits), 4);
        w.ub(static_cast<quint32>(lineBits), 4);
    };
    writeStyles(m_groups[0]);

    int atX = 0, atY = 0;
    for (const Op &op : m_ops) {
        if (op.kind == Op::Change) {
            // New styles go in a record of their own, so the indices that follow are
            // written with the new arrays' bit counts.
            if (op.newGroup) {
                w.ub(0, 1);
                w.ub(0x10, 5);
                writeStyles(m_groups[++group]);
            }
            const quint32 flags = (op.line >= 0 ? 0x08 : 0) | (op.fill1 >= 0 ? 0x04 : 0) |
                                  (op.fill0 >= 0 ? 0x02 : 0) | (op.move ? 0x01 : 0);
            if (!flags)
                continue;
            w.ub(0, 1);
            w.ub(flags, 5);
            if (op.move) {
                const int bits = std::max(BitWriter::signedBits(op.x), BitWriter::signedBits(op.y));
                w.ub(static_cast<quint32>(bits), 5);
                w.sb(op.x, bits);
                w.sb(op.y, bits);
                atX = op.x;
                atY = op.y;
            }
            if (op.fill0 >= 0)
                w.ub(static_cast<quint32>(op.fill0), fillBits);
            if (op.fill1 >= 0)
                w.ub(static_cast<quint32>(op.fill1), fillBits);
            if (op.line >= 0)
                w.ub(static_cast<quint32>(op.line), lineBits);
            continue;
        }
        w.ub(1, 1);
        if (op.kind == Op::Line) {
            const int dx = op.x - atX, dy = op.y - atY;
            const int bits = std::max({2, BitWriter::signedBits(dx), BitWriter::signedBits(dy)});
            w.ub(1, 1);
            w.ub(static_cast<quint32>(bits - 2), 4);
            if (dx && dy) {
                w.ub(1, 1);
                w.sb(dx, bits);
                w.sb(dy, bits);
            } else {
                w.ub(0, 1);
                w.ub(dx == 0, 1);
                w.sb(dx == 0 ? dy : dx, bits);
            }
        } else {
            const int cdx = op.cx - atX, cdy = op.cy - atY, adx = op.x - op.cx, ady = op.y - op.cy;
            const int bits = std::max({2, BitWriter::signedBits(cdx), BitWriter::signedBits(cdy),
                                       BitWriter::signedBits(adx), BitWriter::signedBits(ady)});
            w.ub(0, 1);
            w.ub(static_cast<quint32>(bits - 2), 4);
            w.sb(cdx, bits);
            w.sb(cdy, bits);
            w.sb(adx, bits);
            w.sb(ady, bits);
        }
        atX = op.x;
        atY = op.y;
    }
    w.ub(0, 6); // end of shape
    w.align();
    return w.data();
}

} // namespace Swf
