#include "banner/swf/bit_reader.h"

#include "common/failure.h"
#include "banner/swf/movie.h"

namespace Swf {

BitReader::BitReader(const char *data, qsizetype size, qsizetype base)
    : m_data(reinterpret_cast<const unsigned char *>(data)), m_end(size), m_base(base)
{
}

void BitReader::fail(const QString &what) const
{
    throw PlatformError(QStringLiteral("Invalid movie: %1 (at byte %2)").arg(what).arg(m_base + m_pos));
}

void BitReader::align()
{
    if (m_bit) {
        m_bit = 0;
        ++m_pos;
    }
}

quint8 BitReader::u8()
{
    align();
    if (m_pos >= m_end)
        fail(QStringLiteral("unexpected end of data"));
    return m_data[m_pos++];
}

quint16 BitReader::u16()
{
    const quint16 low = u8();
    return static_cast<quint16>(low | (u8() << 8));
}

quint32 BitReader::u32()
{
    const quint32 low = u16();
    return low | (static_cast<quint32>(u16()) << 16);
}

void BitReader::skip(qsizetype count)
{
    align();
    if (count < 0 || count > remaining())
        fail(QStringLiteral("unexpected end of data"));
    m_pos += count;
}

QByteArray BitReader::bytes(qsizetype count)
{
    const qsizetype start = m_pos + (m_bit ? 1 : 0);
    skip(count);
    return QByteArray(reinterpret_cast<const char *>(m_data + start), count);
}

quint32 BitReader::ub(int n)
{
    quint32 value = 0;
    for (int i = 0; i < n; ++i) {
        if (m_pos >= m_end)
            fail(QStringLiteral("unexpected end of data"));
        const int bit = (m_data[m_pos] >> (7 - m_bit)) & 1;
        value = (value << 1) | static_cast<quint32>(bit);
        if (++m_bit == 8) {
            m_bit = 0;
            ++m_pos;
        }
    }
    return value;
}

qint32 BitReader::sb(int n)
{
    const quint32 raw = ub(n);
    if (n == 0 || n >= 32)
        return static_cast<qint32>(raw);
    if (raw & (1u << (n - 1)))
        return static_cast<qint32>(static_cast<qint64>(raw) - (qint64(1) << n));
    return static_cast<qint32>(raw);
}

double BitReader::fb(int n) { return sb(n) / 65536.0; }

TwipRect BitReader::rect()
{
    align();
    const int n = static_cast<int>(ub(5));
    TwipRect r;
    r.xMin = sb(n);
    r.xMax = sb(n);
    r.yMin = sb(n);
    r.yMax = sb(n);
    align();
    return r;
}

QTransform BitReader::matrix()
{
    align();
    double scaleX = 1, scaleY = 1, skew0 = 0, skew1 = 0;
    if (ub(1)) {
        const int n = static_cast<int>(ub(5));
        scaleX = fb(n);
        scaleY = fb(n);
    }
    if (ub(1)) {
        const int n = static_cast<int>(ub(5));
        skew0 = fb(n);
        skew1 = fb(n);
    }
    const int n = static_cast<int>(ub(5));
    const int dx = sb(n), dy = sb(n);
    align();
    return QTransform(scaleX, skew0, skew1, scaleY, dx, dy);
}

QColor BitReader::rgb()
{
    const int r = u8(), g = u8(), b = u8();
    return QColor(r, g, b);
}

QColor BitReader::rgba()
{
    const int r = u8(), g = u8(), b = u8(), a = u8();
    return QColor(r, g, b, a);
}

ColourTransform BitReader::colourTransformWithAlpha()
{
    align();
    ColourTransform cx;
    const bool hasAdd = ub(1), hasMult = ub(1);
    const int n = static_cast<int>(ub(4));
    if (hasMult)
        for (int &m : cx.mult)
            m = sb(n);
    if (hasAdd)
        for (int &a : cx.add)
            a = sb(n);
    align();
    return cx;
}

} // namespace Swf
