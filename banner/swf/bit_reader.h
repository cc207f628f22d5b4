#pragma once
// Reads the SWF encodings (little-endian integers, bit fields, records) from a byte range
// that it never leaves: every read past the end throws PlatformError.

#include <QByteArray>
#include <QRect>
#include <QString>
#include <QTransform>
#include <cstdint>

namespace Swf {

struct ColourTransform;

// A RECT record as stored; validated by whoever uses it.
struct TwipRect {
    qint32 xMin = 0, xMax = 0, yMin = 0, yMax = 0;
};

class BitReader {
public:
    // base: where data starts in the whole file, for error messages.
    BitReader(const char *data, qsizetype size, qsizetype base = 0);

    qsizetype position() const { return m_pos; }
    qsizetype remaining() const { return m_end - m_pos; }
    bool atEnd() const { return m_pos >= m_end; }

    // Whole bytes; each first drops any partly read byte.
    quint8 u8();
    quint16 u16();
    quint32 u32();
    void skip(qsizetype bytes);
    QByteArray bytes(qsizetype count);

    // Bit fields, most significant bit first; n may be 0.
    quint32 ub(int n);
    qint32 sb(int n);
    double fb(int n); // signed 16.16 fixed point
    void align();

    TwipRect rect();
    QTransform matrix();
    QColor rgb();
    QColor rgba();
    ColourTransform colourTransformWithAlpha();

    [[noreturn]] void fail(const QString &what) const;

private:
    const unsigned char *m_data;
    qsizetype m_pos = 0;
    qsizetype m_end;
    qsizetype m_base;
    int m_bit = 0; // bits already used of m_data[m_pos]; 0 means byte-aligned
};

} // namespace Swf
