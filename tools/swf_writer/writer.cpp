#include "tools/swf_writer/writer.h"

#include <algorithm>
#include <cmath>
#include <zlib.h>

namespace Swf {

void BitWriter::ub(quint32 value, int bits)
{
    for (int i = bits - 1; i >= 0; --i) {
        m_current = static_cast<quint8>(m_current | (((value >> i) & 1u) << (7 - m_used)));
        if (++m_used == 8) {
            m_bytes.append(static_cast<char>(m_current));
            m_current = 0;
            m_used = 0;
        }
    }
}

void BitWriter::sb(qint32 value, int bits)
{
    ub(static_cast<quint32>(value) & (bits >= 32 ? 0xFFFFFFFFu : ((1u << bits) - 1)), bits);
}

void BitWriter::align()
{
    if (m_used)
        ub(0, 8 - m_used);
}

void BitWriter::u8(int value)
{
    align();
    m_bytes.append(static_cast<char>(value & 0xFF));
}

void BitWriter::u16(int value)
{
    u8(value);
    u8(value >> 8);
}

void BitWriter::u32(quint32 value)
{
    u16(static_cast<int>(value & 0xFFFF));
    u16(static_cast<int>(value >> 16));
}

void BitWriter::append(const QByteArray &bytes)
{
    align();
    m_bytes.append(bytes);
}

int BitWriter::signedBits(qint64 value)
{
    int bits = 1;
    while (value < -(qint64(1) << (bits - 1)) || value >= (qint64(1) << (bits - 1)))
        ++bits;
    return bits;
}

void BitWriter::rect(const QRect &r)
{
    align();
    const int values[4] = {r.x(), r.x() + r.width(), r.y(), r.y() + r.height()};
    int bits = 1;
    for (int v : values)
        bits = std::max(bits, signedBits(v));
    ub(static_cast<quint32>(bits), 5);
    for (int v : values)
        sb(v, bits);
    align();
}

static qint32 fixed16(double value) { return static_cast<qint32>(std::lround(value * 65536)); }

void BitWriter::matrix(const QTransform &m)
{
    align();
    const qint32 scaleX = fixed16(m.m11()), scaleY = fixed16(m.m22());
    const qint32 skew0 = fixed16(m.m12()), skew1 = fixed16(m.m21());
    const bool hasScale = scaleX != 65536 || scaleY != 65536;
    ub(hasScale, 1);
    if (hasScale) {
        const int bits = std::max(signedBits(scaleX), signedBits(scaleY));
        ub(static_cast<quint32>(bits), 5);
        sb(scaleX, bits);
        sb(scaleY, bits);
    }
    const bool hasRotate = skew0 != 0 || skew1 != 0;
    ub(hasRotate, 1);
    if (hasRotate) {
        const int bits = std::max(signedBits(skew0), signedBits(skew1));
        ub(static_cast<quint32>(bits), 5);
        sb(skew0, bits);
        sb(skew1, bits);
    }
    const qint32 dx = static_cast<qint32>(std::lround(m.dx()));
    const qint32 dy = static_cast<qint32>(std::lround(m.dy()));
    const int bits = (dx || dy) ? std::max(signedBits(dx), signedBits(dy)) : 0;
    ub(static_cast<quint32>(bits), 5);
    sb(dx, bits);
    sb(dy, bits);
    align();
}

void BitWriter::rgb(const QColor &c)
{
    u8(c.red());
    u8(c.green());
    u8(c.blue());
}

void BitWriter::rgba(const QColor &c)
{
    rgb(c);
    u8(c.alpha());
}

void BitWriter::colourTransformWithAlpha(const ColourTransform &cx)
{
    align();
    bool hasMult = false, hasAdd = false;
    int bits = 1;
    for (int i = 0; i < 4; ++i) {
        hasMult = hasMult || cx.mult[i] != 256;
        hasAdd = hasAdd || cx.add[i] != 0;
    }
    for (int i = 0; i < 4; ++i) {
        if (hasMult)
            bits = std::max(bits, signedBits(cx.mult[i]));
        if (hasAdd)
            bits = std::max(bits, signedBits(cx.add[i]));
    }
    ub(hasAdd, 1);
    ub(hasMult, 1);
    ub(static_cast<quint32>(bits), 4);
    if (hasMult)
        for (int m : cx.mult)
            sb(m, bits);
    if (hasAdd)
        for (int a : cx.add)
            sb(a, bits);
    align();
}

QByteArray BitWriter::data() const
{
    QByteArray out = m_bytes;
    if (m_used)
        out.append(static_cast<char>(m_current));
    return out;
}

MovieWriter::MovieWriter(int version, const QRect &stageTwips, double frameRate)
    : m_version(version)
{
    BitWriter w;
    w.rect(stageTwips);
    w.u16(static_cast<int>(std::lround(frameRate * 256)));
    m_header = w.data();
}

void MovieWriter::tag(int code, const QByteArray &body, bool longHeader)
{
    BitWriter w;
    if (body.size() < 0x3F && !longHeader) {
        w.u16((code << 6) | int(body.size()));
    } else {
        w.u16((code << 6) | 0x3F);
        w.u32(static_cast<quint32>(body.size()));
    }
    m_tags += w.data() + body;
}

void MovieWriter::setBackground(const QColor &colour)
{
    BitWriter w;
    w.rgb(colour);
    tag(9, w.data());
}

void MovieWriter::defineShape(int id, const ShapeWriter &shape) { tag(shape.tagCode(), shape.body(id)); }

void MovieWriter::place(int depth, int shapeId, bool move, const std::optional<QTransform> &matrix,
                        const std::optional<ColourTransform> &colour)
{
    BitWriter w;
    w.u8((colour ? 0x08 : 0) | (matrix ? 0x04 : 0) | (shapeId ? 0x02 : 0) | (move ? 0x01 : 0));
    w.u16(depth);
    if (shapeId)
        w.u16(shapeId);
    if (matrix)
        w.matrix(*matrix);
    if (colour)
        w.colourTransformWithAlpha(*colour);
    tag(26, w.data());
}

void MovieWriter::remove(int depth)
{
    BitWriter w;
    w.u16(depth);
    tag(28, w.data());
}

void MovieWriter::showFrame()
{
    tag(1, {});
    ++m_frames;
}

qsizetype MovieWriter::finishedSize() const { return 8 + m_header.size() + 2 + m_tags.size() + 2; }

QByteArray MovieWriter::finish() const
{
    BitWriter w;
    w.append("FWS");
    w.u8(m_version);
    w.u32(static_cast<quint32>(finishedSize()));
    w.append(m_header);
    w.u16(m_frames);
    w.append(m_tags);
    w.u16(0); // End
    return w.data();
}

QByteArray compressMovie(const QByteArray &fws)
{
    const QByteArray body = fws.mid(8);
    uLongf size = compressBound(static_cast<uLong>(body.size()));
    QByteArray packed(static_cast<qsizetype>(size), Qt::Uninitialized);
    compress2(reinterpret_cast<Bytef *>(packed.data()), &size,
              reinterpret_cast<const Bytef *>(body.constData()), static_cast<uLong>(body.size()), 9);
    packed.resize(static_cast<qsizetype>(size));
    return QByteArray("CWS") + fws.mid(3, 5) + packed;
}

} // namespace Swf
