// The movie reader: the stored banners read back as the windows expect them, the generator
// still writes them byte for byte, and malformed movies are refused with an error, quickly
// and without large allocations.

#include "support/test_main.h"

#include "common/failure.h"
#include "banner/swf/reader.h"
#include "tools/swf_writer/writer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace Swf;

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray stored(const QString &name)
{
    return readFile(QStringLiteral(QUILLON_SOURCE_DIR "/resources/banners/") + name);
}

const QStringList storedNames = {QStringLiteral("quillonspot1.swf"), QStringLiteral("quillonspot2.swf"),
                                 QStringLiteral("arotate.swf")};

// Empty when the movie is refused, else the reason it was not.
QString rejection(const QByteArray &data)
{
    try {
        readMovie(data);
    } catch (const PlatformError &e) {
        return e.message();
    }
    return {};
}

void setLength(QByteArray &movie, quint32 length) { qToLittleEndian(length, movie.data() + 4); }

ShapeWriter square(int size = 200)
{
    ShapeWriter s;
    s.setFill1(s.addFill(Qt::red));
    s.moveTo(0, 0);
    s.lineTo(size, 0);
    s.lineTo(size, size);
    s.lineTo(0, size);
    s.lineTo(0, 0);
    return s;
}

// A valid two-frame movie; extra runs before the first frame.
QByteArray smallMovie(const std::function<void(MovieWriter &)> &extra = {})
{
    MovieWriter w(4, QRect(0, 0, 2000, 1000), 12);
    w.setBackground(Qt::black);
    w.defineShape(1, square());
    if (extra)
        extra(w);
    w.place(1, 1, false, QTransform::fromTranslate(100, 100));
    w.showFrame();
    w.place(1, 0, true, QTransform::fromTranslate(300, 100));
    w.showFrame();
    return w.finish();
}

bool sameMovie(const Movie &a, const Movie &b)
{
    if (a.stage != b.stage || a.frameRate != b.frameRate || a.background != b.background ||
        a.frameCount() != b.frameCount() || a.shapes.size() != b.shapes.size())
        return false;
    for (int f = 0; f < a.frameCount(); ++f) {
        const auto &x = a.frames[f], &y = b.frames[f];
        if (x.size() != y.size())
            return false;
        for (size_t i = 0; i < x.size(); ++i)
            if (x[i].depth != y[i].depth || x[i].shapeId != y[i].shapeId || x[i].matrix != y[i].matrix ||
                x[i].colour.apply(Qt::gray) != y[i].colour.apply(Qt::gray))
                return false;
    }
    for (const auto &[id, shape] : a.shapes) {
        const auto other = b.shapes.find(id);
        if (other == b.shapes.end() || other->second.layers.size() != shape.layers.size())
            return false;
        for (size_t l = 0; l < shape.layers.size(); ++l) {
            const ShapeLayer &p = shape.layers[l], &q = other->second.layers[l];
            if (p.fills.size() != q.fills.size() || p.strokes.size() != q.strokes.size())
                return false;
            for (size_t i = 0; i < p.fills.size(); ++i)
                if (p.fills[i].colour != q.fills[i].colour || p.fills[i].path != q.fills[i].path)
                    return false;
        }
    }
    return true;
}


// A DefineShape body selecting fill 3 when only one is defined.
QByteArray fillIndexOutOfRange()
{
    BitWriter w;
    w.u16(9); // character id
    w.rect(QRect(0, 0, 10, 10));
    w.u8(1); // one solid red fill
    w.u8(0);
    w.rgb(Qt::red);
    w.u8(0);    // no lines
    w.ub(2, 4); // fill bits
    w.ub(0, 4); // line bits
    w.ub(0, 1); // style change
    w.ub(0x04, 5);
    w.ub(3, 2);
    w.ub(0, 6); // end of shape
    return w.data();
}

// A shape body whose one record brings new styles, allowed only from DefineShape2 on.
QByteArray newStylesIn(int id)
{
    BitWriter w;
    w.u16(id + 8);
    w.rect(QRect(0, 0, 10, 10));
    w.u8(0);
    w.u8(0);
    w.ub(0, 8);
    w.ub(0, 1);
    w.ub(0x10, 5);
    w.u8(0);
    w.u8(0);
    w.ub(0, 8);
    w.ub(0, 6);
    return w.data();
}

} // namespace

class TestSwfReader : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void storedMoviesReadBack_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("bytes");
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<int>("frames");
        QTest::newRow("busy") << storedNames[0] << 3395 << QSize(85, 45) << 25;
        QTest::newRow("idle") << storedNames[1] << 2870 << QSize(85, 45) << 25;
        QTest::newRow("about") << storedNames[2] << 2140 << QSize(56, 35) << 45;
    }
    void storedMoviesReadBack()
    {
        QFETCH(QString, name);
        QFETCH(int, bytes);
        QFETCH(QSize, pixels);
        QFETCH(int, frames);
        const QByteArray data = stored(name);
        QCOMPARE(data.size(), bytes);
        QCOMPARE(data.left(4), QByteArray("FWS\x04"));
        QCOMPARE(qFromLittleEndian<quint32>(data.constData() + 4), quint32(bytes));
        const Movie movie = readMovie(data);
        QCOMPARE(movie.version, 4);
        QCOMPARE(movie.stage, QRect(QPoint(0, 0), pixels * 20));
        QCOMPARE(movie.stagePixels(), pixels);
        QCOMPARE(movie.frameRate, 12.0);
        QCOMPARE(movie.frameCount(), frames);
        QCOMPARE(movie.background, QColor(Qt::black));
        for (const auto &frame : movie.frames) {
            QVERIFY(!frame.empty());
            for (const Placement &p : frame)
                QVERIFY(movie.shapes.count(p.shapeId));
        }
    }

    void generatorReproducesStoredMovies()
    {
        QTemporaryDir out;
        QVERIFY(out.isValid());
        QProcess generator;
        generator.start(QStringLiteral(QUILLON_BINARY_DIR "/gen_banners"), {out.path()});
        QVERIFY2(generator.waitForFinished(60000), "the generator did not finish");
        QCOMPARE(generator.exitCode(), 0);
        for (const QString &name : storedNames) {
            const QByteArray made = readFile(out.filePath(name));
            QVERIFY2(made == stored(name), qPrintable(name + QStringLiteral(" differs")));
        }
    }

    // Cut anywhere, a movie is refused, also when its length field is made to agree.
    void everyTruncationRejected()
    {
        QElapsedTimer clock;
        clock.start();
        for (const QString &name : storedNames) {
            const QByteArray data = stored(name);
            QVERIFY(!data.isEmpty());
            for (int size = 0; size < data.size(); ++size) {
                QByteArray cut = data.left(size);
                QVERIFY2(!rejection(cut).isEmpty(), qPrintable(QStringLiteral("%1 cut to %2").arg(name).arg(size)));
                if (size >= 8) {
                    setLength(cut, quint32(size));
                    QVERIFY2(!rejection(cut).isEmpty(),
                             qPrintable(QStringLiteral("%1 cut to %2, length fixed").arg(name).arg(size)));
                }
            }
        }
        QVERIFY(clock.elapsed() < 60000);
    }

    void corruptHeadersRejected_data()
    {
        QTest::addColumn<QByteArray>("movie");
        const QByteArray good = smallMovie();
        auto patched = [&](int at, QByteArray bytes) {
            QByteArray m = good;
            m.replace(at, bytes.size(), bytes);
            return m;
        };
        QByteArray longer = good + QByteArray(4, '\0');
        QTest::newRow("signature") << patched(0, "GWS");
        QTest::newRow("LZMA signature") << patched(0, "ZWS");
        QTest::newRow("version 0") << patched(3, QByteArray(1, '\0'));
        QTest::newRow("length too large") << patched(4, QByteArray("\xff\x00\x00\x00", 4));
        QTest::newRow("length too small") << patched(4, QByteArray("\x09\x00\x00\x00", 4));
        QTest::newRow("huge length") << patched(4, QByteArray("\xff\xff\xff\xff", 4));
        QTest::newRow("trailing bytes") << longer;
        setLength(longer, quint32(longer.size()));
        QTest::newRow("bytes after End") << longer;
        // The stage RECT of smallMovie uses 12-bit fields: 5 + 48 bits, 7 bytes.
        QTest::newRow("empty stage") << patched(8, QByteArray(7, '\0'));
        QTest::newRow("frame rate 0") << patched(15, QByteArray(2, '\0'));
        QTest::newRow("no frames declared") << patched(17, QByteArray(2, '\0'));
        QTest::newRow("more frames declared") << patched(17, QByteArray("\x03\x00", 2));
        QTest::newRow("fewer frames declared") << patched(17, QByteArray("\x01\x00", 2));
        QTest::newRow("absurd frame count") << patched(17, QByteArray("\xff\xff", 2));
        QTest::newRow("only a header") << good.left(8);
    }
    void corruptHeadersRejected()
    {
        QFETCH(QByteArray, movie);
        QVERIFY(!rejection(movie).isEmpty());
    }

    void corruptTagsRejected_data()
    {
        QTest::addColumn<QByteArray>("movie");
        const QByteArray good = smallMovie();
        const int firstTag = 19; // after the 19-byte header
        auto withTag = [&](int code, const QByteArray &body, bool longHeader = false) {
            return smallMovie([&](MovieWriter &w) { w.tag(code, body, longHeader); });
        };
        QByteArray m = good;
        m.replace(firstTag, 2, QByteArray("\x3f\x02\xff\xff\xff\xff", 6));
        setLength(m, quint32(m.size()));
        QTest::newRow("tag length 4 GiB") << m;
        m = good;
        m[firstTag] = char((9 << 6 | 62) & 0xFF);
        QTest::newRow("tag runs past the end") << m;
        m = good;
        m[firstTag] = char((9 << 6 | 2) & 0xFF); // SetBackgroundColor one byte short
        QTest::newRow("tag shorter than its content") << m;
        QTest::newRow("shape body cut") << withTag(2, square().body(7).left(8));
        QTest::newRow("shape defined twice") << withTag(2, square().body(1));
        QTest::newRow("gradient fill") << withTag(2, QByteArray("\x07\x00\x00\x01\x10", 5));
        QTest::newRow("fill count beyond data") << withTag(22, QByteArray("\x07\x00\x00\xff\xff\xff\x00", 7));
        QTest::newRow("place undefined shape") << withTag(26, QByteArray("\x02\x05\x00\x63\x00", 5));
        QTest::newRow("move at empty depth") << withTag(26, QByteArray("\x01\x05\x00", 3));
        QTest::newRow("clip actions") << withTag(26, QByteArray("\x82\x05\x00\x01\x00", 5));
        QTest::newRow("fill index out of range") << withTag(2, fillIndexOutOfRange());
        QTest::newRow("new styles in DefineShape") << withTag(2, newStylesIn(1));
        QTest::newRow("no End tag") << good.left(good.size() - 2) + QByteArray("\xc0\x00", 2);
    }
    void corruptTagsRejected()
    {
        QFETCH(QByteArray, movie);
        QVERIFY(!rejection(movie).isEmpty());
    }

    // Small files that would expand into large models are refused.
    void limitsHold()
    {
        // 300 objects shown on 250 frames: 75,000 display-list entries.
        MovieWriter crowd(4, QRect(0, 0, 2000, 1000), 12);
        crowd.defineShape(1, square());
        for (int depth = 1; depth <= 300; ++depth)
            crowd.place(depth, 1, false);
        for (int f = 0; f < 250; ++f)
            crowd.showFrame();
        QVERIFY(crowd.finishedSize() < 4000);
        QVERIFY(rejection(crowd.finish()).contains(QStringLiteral("too many objects")));

        ShapeWriter zigzag;
        zigzag.setLine(zigzag.addLine(20, Qt::white));
        for (int i = 0; i < 50001; ++i)
            zigzag.lineTo((i + 1) % 2, 0);
        MovieWriter edges(4, QRect(0, 0, 2000, 1000), 12);
        edges.defineShape(1, zigzag);
        edges.showFrame();
        QVERIFY(rejection(edges.finish()).contains(QStringLiteral("too many edges")));

        // A 1,000-edge shape shown 51 times on one frame: too slow to draw.
        ShapeWriter detailed;
        detailed.setLine(detailed.addLine(20, Qt::white));
        for (int i = 0; i < 1000; ++i)
            detailed.lineTo((i + 1) % 2, 0);
        MovieWriter busy(4, QRect(0, 0, 2000, 1000), 12);
        busy.defineShape(1, detailed);
        for (int depth = 1; depth <= 50; ++depth)
            busy.place(depth, 1, false);
        busy.showFrame();
        QVERIFY(rejection(busy.finish()).isEmpty());
        busy.place(51, 1, false);
        busy.showFrame();
        const QByteArray tooBusy = busy.finish();
        QVERIFY(!rejection(tooBusy).isEmpty());
        QVERIFY(rejection(tooBusy).contains(QStringLiteral("too complex")));
    }

    // Unknown tags, short or long, and sprites with whatever inside are skipped by length.
    void unknownTagsSkipped()
    {
        const Movie plain = readMovie(smallMovie());
        const Movie padded = readMovie(smallMovie([](MovieWriter &w) {
            w.tag(1000, QByteArray(5, '\xff'));
            w.tag(77, QByteArray(100, '\0'), true);
            w.tag(39, QByteArray("\x01\x00\x05\x00\xff\xff\xff\xff", 8)); // a sprite
            w.tag(3, QByteArray(), true);
        }));
        QVERIFY(sameMovie(plain, padded));
        QCOMPARE(plain.frameCount(), 2);
        QCOMPARE(plain.frames[1][0].matrix.dx(), 300.0);
    }

    void compressedMovies()
    {
        for (const QString &name : storedNames) {
            const QByteArray fws = stored(name);
            const QByteArray cws = compressMovie(fws);
            QCOMPARE(cws.left(4), QByteArray("CWS\x04"));
            QVERIFY(cws.size() < fws.size());
            QCOMPARE(uncompressed(cws), fws);
            QVERIFY(sameMovie(readMovie(cws), readMovie(fws)));
            for (int size = 0; size < cws.size(); size += 7)
                QVERIFY(!rejection(cws.left(size)).isEmpty());
        }
        const QByteArray cws = compressMovie(smallMovie());
        QByteArray lie = cws;
        setLength(lie, quint32(smallMovie().size() - 1));
        QVERIFY(rejection(lie).contains(QStringLiteral("longer")));
        setLength(lie, quint32(smallMovie().size() + 1));
        QVERIFY(rejection(lie).contains(QStringLiteral("shorter")));
        setLength(lie, 0xFFFFFFFFu);
        QVERIFY(rejection(lie).contains(QStringLiteral("out of range")));
        // A bomb: a megabyte of zeros, declared as a small movie.
        const QByteArray bomb = compressMovie(QByteArray("FWS\x04\x00\x00\x00\x00", 8) + QByteArray(1 << 20, '\0'));
        lie = bomb;
        setLength(lie, 4096);
        QVERIFY(!rejection(lie).isEmpty());
        lie = cws;
        lie[12] = char(lie[12] ^ 0x55);
        QVERIFY(!rejection(lie).isEmpty());
    }
};

QUILLON_TEST_MAIN(TestSwfReader)
#include "test_swf_reader.moc"
