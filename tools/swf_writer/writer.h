#pragma once
// Writes the SWF subset that the reader takes: used by the banner generator and by tests
// that build movies of their own.

#include "banner/swf/movie.h"

#include <QByteArray>
#include <optional>

namespace Swf {

class BitWriter {
public:
    void ub(quint32 value, int bits);
    void sb(qint32 value, int bits);
    void align();
    void u8(int value);
    void u16(int value);
    void u32(quint32 value);
    void append(const QByteArray &bytes);
    void rect(const QRect &twips);
    void matrix(const QTransform &m);
    void rgb(const QColor &c);
    void rgba(const QColor &c);
    void colourTransformWithAlpha(const ColourTransform &cx);
    QByteArray data() const;

    // Bits an SB field needs for value.
    static int signedBits(qint64 value);

private:
    QByteArray m_bytes;
    quint8 m_current = 0;
    int m_used = 0; // bits used of m_current
};

// A shape drawn as pen moves, in twips. Styles are 1-based; 0 means none. Style changes
// take effect from the next edge.
class ShapeWriter {
public:
    explicit ShapeWriter(int shapeVersion = 1) : m_version(shapeVersion) { m_groups.emplace_back(); }

    int addFill(const QColor &colour);
    int addLine(int width, const QColor &colour);
    void setFill0(int style);
    void setFill1(int style);
    void setLine(int style);
    // DefineShape2 and 3: later styles go into fresh arrays, drawn over the earlier ones.
    void newStyles();

    void moveTo(int x, int y);
    void lineTo(int x, int y);
    void curveTo(int controlX, int controlY, int x, int y);

    // The tag body: character id, bounds, styles and records.
    QByteArray body(int id) const;
    int tagCode() const;

private:
    struct Group {
        std::vector<QColor> fills;
        std::vector<std::pair<int, QColor>> lines;
    };
    struct Op {
        enum Kind { Change, Line, Curve } kind = Change;
        bool move = false, newGroup = false;
        int fill0 = -1, fill1 = -1, line = -1;
        int x = 0, y = 0, cx = 0, cy = 0;
    };
    Op &pendingChange();

    int m_version;
    std::vector<Group> m_groups;
    std::vector<Op> m_ops;
};

class MovieWriter {
public:
    MovieWriter(int version, const QRect &stageTwips, double frameRate);

    // Long headers may be forced: readers must take them for any length.
    void tag(int code, const QByteArray &body, bool longHeader = false);
    void setBackground(const QColor &colour);
    void defineShape(int id, const ShapeWriter &shape);
    // PlaceObject2: shapeId 0 places nothing new; move modifies what is at depth.
    void place(int depth, int shapeId, bool move, const std::optional<QTransform> &matrix = {},
               const std::optional<ColourTransform> &colour = {});
    void remove(int depth);
    void showFrame();

    // Bytes the movie has once finish() adds its End tag.
    qsizetype finishedSize() const;
    QByteArray finish() const;

private:
    QByteArray m_header; // after signature, version and length
    int m_version;
    int m_frames = 0;
    QByteArray m_tags;
};

// The CWS (zlib) form of an FWS movie.
QByteArray compressMovie(const QByteArray &fws);

} // namespace Swf
