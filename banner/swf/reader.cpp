#include "banner/swf/reader.h"

#include "common/failure.h"
#include "banner/swf/bit_reader.h"
#include "banner/swf/shape_reader.h"

#include <cstdlib>
#include <zlib.h>

namespace Swf {
namespace {

enum Tag {
    End = 0,
    ShowFrame = 1,
    DefineShape = 2,
    RemoveObject = 5,
    SetBackgroundColor = 9,
    DefineShape2 = 22,
    PlaceObject2 = 26,
    RemoveObject2 = 28,
    DefineShape3 = 32,
};

// Stages beyond this are corrupt headers (the format's own limit is near 6,500 pixels).
constexpr qint32 maxStageTwips = 8192 * 20;

[[noreturn]] void reject(const QString &what)
{
    throw PlatformError(QStringLiteral("Invalid movie: %1").arg(what));
}

quint32 littleEndian32(const QByteArray &data, int at)
{
    quint32 value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<quint8>(data[at + i]);
    return value;
}

// Inflates into exactly outSize bytes: a stream that ends early or would go on is refused,
// so a small file cannot claim memory beyond its declared length.
QByteArray inflateExactly(const char *in, qsizetype inSize, qsizetype outSize)
{
    QByteArray out(outSize, Qt::Uninitialized);
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        reject(QStringLiteral("cannot start decompression"));
    zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(in));
    zs.avail_in = static_cast<uInt>(inSize);
    zs.next_out = reinterpret_cast<Bytef *>(out.data());
    zs.avail_out = static_cast<uInt>(outSize);
    int rc = outSize > 0 ? inflate(&zs, Z_FINISH) : Z_BUF_ERROR;
    if (rc == Z_BUF_ERROR && zs.avail_out == 0) {
        // Output is full; the stream must end right here, giving no further byte.
        unsigned char probe = 0;
        zs.next_out = &probe;
        zs.avail_out = 1;
        rc = inflate(&zs, Z_FINISH);
        const bool overflow = zs.avail_out == 0;
        zs.avail_out = 0;
        if (overflow) {
            inflateEnd(&zs);
            reject(QStringLiteral("compressed data longer than the declared length"));
        }
    }
    const bool complete = rc == Z_STREAM_END && zs.avail_out == 0;
    inflateEnd(&zs);
    if (!complete)
        reject(rc == Z_STREAM_END ? QStringLiteral("compressed data shorter than the declared length")
                                  : QStringLiteral("corrupt compressed data"));
    return out;
}

void placeObject(BitReader &r, std::map<int, Placement> &list, const std::map<int, Shape> &shapes)
{
    const quint8 flags = r.u8();
    const int depth = r.u16();
    if (flags & 0x80)
        r.fail(QStringLiteral("clip actions are not supported"));
    const bool move = flags & 0x01, hasShape = flags & 0x02, hasMatrix = flags & 0x04;
    const bool hasColour = flags & 0x08;
    int shapeId = 0;
    if (hasShape) {
        shapeId = r.u16();
        if (!shapes.count(shapeId))
            r.fail(QStringLiteral("placing undefined character %1").arg(shapeId));
    }
    const QTransform matrix = hasMatrix ? r.matrix() : QTransform();
    const ColourTransform colour = hasColour ? r.colourTransformWithAlpha() : ColourTransform();
    if (flags & 0x10)
        r.u16(); // morph ratio, unused by shapes
    if (flags & 0x20) { // instance name, up to its terminating zero
        while (r.u8() != 0) {
        }
    }
    const int clipDepth = (flags & 0x40) ? r.u16() : 0;

    auto at = list.find(depth);
    if (!move || at == list.end()) {
        if (!hasShape)
            r.fail(QStringLiteral("nothing to place at depth %1").arg(depth));
        Placement p;
        p.depth = depth;
        list[depth] = p;
        at = list.find(depth);
    }
    Placement &p = at->second;
    if (hasShape)
        p.shapeId = shapeId;
    if (hasMatrix)
        p.matrix = matrix;
    if (hasColour)
        p.colour = colour;
    if (flags & 0x40)
        p.clipDepth = clipDepth;
}

void readStage(BitReader &r, Movie &movie)
{
    const TwipRect s = r.rect();
    const qint64 width = qint64(s.xMax) - s.xMin, height = qint64(s.yMax) - s.yMin;
    if (width <= 0 || height <= 0 || width > maxStageTwips || height > maxStageTwips ||
        std::abs(s.xMin) > maxStageTwips || std::abs(s.yMin) > maxStageTwips)
        reject(QStringLiteral("stage size out of range"));
    movie.stage = QRect(s.xMin, s.yMin, static_cast<int>(width), static_cast<int>(height));
}

} // namespace

QByteArray uncompressed(const QByteArray &data)
{
    if (data.size() < 8)
        reject(QStringLiteral("shorter than a header"));
    const QByteArray signature = data.left(3);
    if (signature != "FWS" && signature != "CWS")
        reject(QStringLiteral("not an SWF movie"));
    if (data[3] == 0)
        reject(QStringLiteral("version 0"));
    const quint32 declared = littleEndian32(data, 4);
    if (declared < 8 || declared > quint32(maxMovieBytes))
        reject(QStringLiteral("declared length %1 out of range").arg(declared));
    if (signature == "FWS") {
        if (quint32(data.size()) != declared)
            reject(QStringLiteral("declared length %1 but %2 bytes").arg(declared).arg(data.size()));
        return data;
    }
    if (data.size() > maxMovieBytes)
        reject(QStringLiteral("compressed movie too large"));
    QByteArray out = QByteArray("FWS") + data.mid(3, 5);
    out += inflateExactly(data.constData() + 8, data.size() - 8, qsizetype(declared) - 8);
    return out;
}

Movie readMovie(const QByteArray &data)
{
    const QByteArray fws = uncompressed(data);
    BitReader r(fws.constData(), fws.size());
    r.skip(8);

    Movie movie;
    movie.version = static_cast<quint8>(fws[3]);
    readStage(r, movie);
    const int rate = r.u16();
    if (rate == 0)
        reject(QStringLiteral("frame rate 0"));
    movie.frameRate = rate / 256.0;
    const int declaredFrames = r.u16();
    if (declaredFrames == 0)
        reject(QStringLiteral("no frames"));

    std::map<int, Placement> displayList;
    EdgeBudget budget;
    qsizetype placements = 0;
    for (bool ended = false; !ended;) {
        if (r.atEnd())
            reject(QStringLiteral("no End tag"));
        const quint16 codeAndLength = r.u16();
        const int code = codeAndLength >> 6;
        qsizetype length = codeAndLength & 0x3F;
        if (length == 0x3F)
            length = r.u32();
        if (length > r.remaining())
            r.fail(QStringLiteral("tag %1 runs past the end").arg(code));
        BitReader body(fws.constData() + r.position(), length, r.position());
        r.skip(length);

        switch (code) {
        case End:
            ended = true;
            break;
        case ShowFrame: {
            if (movie.frameCount() >= declaredFrames)
                reject(QStringLiteral("more frames than the header's %1").arg(declaredFrames));
            placements += qsizetype(displayList.size());
            if (placements > maxPlacements)
                reject(QStringLiteral("too many objects on the frames"));
            qsizetype frameEdges = 0;
            movie.frames.emplace_back();
            for (const auto &entry : displayList) {
                frameEdges += movie.shapes.at(entry.second.shapeId).edges;
                movie.frames.back().push_back(entry.second);
            }
            if (frameEdges > maxFrameEdges)
                reject(QStringLiteral("frame %1 too complex").arg(movie.frameCount()));
            break;
        }
        case SetBackgroundColor:
            movie.background = body.rgb();
            break;
        case DefineShape:
        case DefineShape2:
        case DefineShape3: {
            const int id = body.u16();
            if (movie.shapes.count(id))
                body.fail(QStringLiteral("character %1 defined twice").arg(id));
            const int shapeVersion = code == DefineShape ? 1 : code == DefineShape2 ? 2 : 3;
            movie.shapes[id] = readShape(body, shapeVersion, budget);
            break;
        }
        case PlaceObject2:
            placeObject(body, displayList, movie.shapes);
            break;
        case RemoveObject:
            body.u16(); // character id
            displayList.erase(body.u16());
            break;
        case RemoveObject2:
            displayList.erase(body.u16());
            break;
        default:
            break; // not drawn by the banners
        }
    }
    if (!r.atEnd())
        r.fail(QStringLiteral("data after the End tag"));
    if (movie.frameCount() != declaredFrames)
        reject(QStringLiteral("header declares %1 frames, movie has %2")
                   .arg(declaredFrames)
                   .arg(movie.frameCount()));
    return movie;
}

} // namespace Swf
