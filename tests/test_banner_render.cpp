// Frames drawn from movies: shapes in their colours where they are and black elsewhere,
// the whole stage fitted at its aspect ratio, and the stored banners alive and distinct.

#include "support/test_main.h"

#include "banner/swf/reader.h"
#include "banner/swf/renderer.h"
#include "tools/swf_writer/writer.h"

#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTest>

using namespace Swf;

namespace {

constexpr int px = 20; // twips to a movie pixel

QImage render(const Movie &movie, int frame, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::magenta); // anything the renderer leaves unpainted shows
    QPainter painter(&image);
    renderFrame(painter, movie, frame, QRectF(QPointF(0, 0), size));
    return image;
}

bool near(QRgb pixel, const QColor &want, int tolerance = 3)
{
    return std::abs(qRed(pixel) - want.red()) <= tolerance && std::abs(qGreen(pixel) - want.green()) <= tolerance &&
           std::abs(qBlue(pixel) - want.blue()) <= tolerance;
}

// One frame on a 100 x 50 pixel stage.
Movie oneFrame(const std::function<void(MovieWriter &)> &content)
{
    MovieWriter w(4, QRect(0, 0, 100 * px, 50 * px), 12);
    content(w);
    w.showFrame();
    return readMovie(w.finish());
}

Movie storedMovie(const char *name)
{
    QFile file(QStringLiteral(QUILLON_SOURCE_DIR "/resources/banners/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? readMovie(file.readAll()) : Movie();
}

} // namespace

class TestBannerRender : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A filled square and a stroked line, shown twice as large in a square target:
    // the stage is letterboxed top and bottom.
    void shapesInTheirColoursOnBlack()
    {
        const Movie movie = oneFrame([](MovieWriter &w) {
            ShapeWriter square;
            square.setFill1(square.addFill(Qt::red));
            square.moveTo(10 * px, 10 * px);
            square.lineTo(30 * px, 10 * px);
            square.lineTo(30 * px, 30 * px);
            square.lineTo(10 * px, 30 * px);
            square.lineTo(10 * px, 10 * px);
            w.defineShape(1, square);
            ShapeWriter line;
            line.setLine(line.addLine(4 * px, Qt::green));
            line.moveTo(50 * px, 40 * px);
            line.lineTo(90 * px, 40 * px);
            w.defineShape(2, line);
            w.place(1, 1, false);
            w.place(2, 2, false);
        });
        const QImage image = render(movie, 0, QSize(200, 200));
        QVERIFY(near(image.pixel(40, 90), Qt::red));    // inside the square
        QVERIFY(near(image.pixel(140, 130), Qt::green)); // on the line
        QVERIFY(near(image.pixel(100, 20), Qt::black));  // letterbox above
        QVERIFY(near(image.pixel(100, 185), Qt::black)); // letterbox below
        QVERIFY(near(image.pixel(150, 90), Qt::black));  // stage, nothing drawn
        QVERIFY(near(image.pixel(17, 90), Qt::black));   // just left of the square
        QVERIFY(near(image.pixel(40, 66), Qt::black));   // just above it
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 200; ++x)
                QVERIFY(image.pixel(x, y) != qRgb(255, 0, 255));
    }

    // A wide target letterboxes at the sides and keeps the stage's proportions.
    void showAllCentresTheStage()
    {
        const Movie movie = oneFrame([](MovieWriter &w) {
            ShapeWriter all;
            all.setFill1(all.addFill(Qt::blue));
            all.moveTo(0, 0);
            all.lineTo(100 * px, 0);
            all.lineTo(100 * px, 50 * px);
            all.lineTo(0, 50 * px);
            all.lineTo(0, 0);
            w.defineShape(1, all);
            w.place(1, 1, false);
        });
        const QImage image = render(movie, 0, QSize(400, 50));
        QVERIFY(near(image.pixel(145, 25), Qt::black));
        QVERIFY(near(image.pixel(152, 2), Qt::blue));
        QVERIFY(near(image.pixel(247, 47), Qt::blue));
        QVERIFY(near(image.pixel(255, 25), Qt::black));
    }

    // A disc of four curves is round, not a diamond; two fills sharing an edge, given on
    // either side of it, each fill their own half.
    void curvesAndFillSides()
    {
        const Movie movie = oneFrame([](MovieWriter &w) {
            ShapeWriter disc;
            disc.setFill1(disc.addFill(Qt::yellow));
            const int c = 25 * px, r = 20 * px;
            disc.moveTo(c + r, c);
            disc.curveTo(c + r, c + r, c, c + r);
            disc.curveTo(c - r, c + r, c - r, c);
            disc.curveTo(c - r, c - r, c, c - r);
            disc.curveTo(c + r, c - r, c + r, c);
            w.defineShape(1, disc);

            // fill0 lies left of an edge's direction, fill1 right of it.
            ShapeWriter halves;
            const int left = halves.addFill(Qt::red), right = halves.addFill(Qt::cyan);
            halves.setFill0(left); // the left half, anticlockwise
            halves.moveTo(60 * px, 10 * px);
            halves.lineTo(60 * px, 40 * px);
            halves.lineTo(75 * px, 40 * px);
            halves.setFill1(right); // the shared edge, going up
            halves.lineTo(75 * px, 10 * px);
            halves.setFill1(0);
            halves.lineTo(60 * px, 10 * px);
            halves.setFill0(right); // the rest of the right half, anticlockwise
            halves.moveTo(75 * px, 40 * px);
            halves.lineTo(90 * px, 40 * px);
            halves.lineTo(90 * px, 10 * px);
            halves.lineTo(75 * px, 10 * px);
            w.defineShape(2, halves);
            w.place(1, 1, false);
            w.place(2, 2, false);
        });
        const QImage image = render(movie, 0, QSize(100, 50));
        QVERIFY(near(image.pixel(25, 25), Qt::yellow));
        // At 45 degrees, 0.85 of the radius out: inside the circle, outside a diamond.
        QVERIFY(near(image.pixel(25 + 12, 25 + 12), Qt::yellow, 40));
        QVERIFY(near(image.pixel(25 + 17, 25 + 17), Qt::black, 40));
        QVERIFY(near(image.pixel(67, 25), Qt::red));
        QVERIFY(near(image.pixel(82, 25), Qt::cyan));
        QVERIFY(near(image.pixel(95, 25), Qt::black));
    }

    // Later style groups draw over earlier ones; placements carry matrix and colour.
    void layersMatricesAndColourTransforms()
    {
        const Movie movie = oneFrame([](MovieWriter &w) {
            ShapeWriter s(3);
            s.setFill1(s.addFill(Qt::white));
            s.moveTo(0, 0);
            s.lineTo(10 * px, 0);
            s.lineTo(10 * px, 10 * px);
            s.lineTo(0, 10 * px);
            s.lineTo(0, 0);
            s.newStyles();
            s.setFill1(s.addFill(QColor(0, 0, 255, 255)));
            s.moveTo(0, 0);
            s.lineTo(5 * px, 0);
            s.lineTo(5 * px, 10 * px);
            s.lineTo(0, 10 * px);
            s.lineTo(0, 0);
            w.defineShape(1, s);
            w.place(1, 1, false, QTransform::fromScale(2, 2) * QTransform::fromTranslate(20 * px, 10 * px));
            ColourTransform half;
            half.mult[3] = 128; // half transparent
            half.mult[2] = 0;   // no blue
            half.add[0] = 255;  // all red
            w.place(2, 1, false, QTransform::fromTranslate(60 * px, 20 * px), half);
        });
        const QImage image = render(movie, 0, QSize(100, 50));
        QVERIFY(near(image.pixel(25, 20), Qt::blue));    // second group over the first
        QVERIFY(near(image.pixel(35, 20), Qt::white));   // first group, scaled twice
        QVERIFY(near(image.pixel(39, 29), Qt::white));
        QVERIFY(near(image.pixel(42, 20), Qt::black));
        // White less blue, red added, at half alpha: yellow at half strength.
        QVERIFY(near(image.pixel(67, 25), QColor(128, 128, 0), 4));
        // Each layer is blended on its own: half red over that half yellow.
        QVERIFY(near(image.pixel(62, 25), QColor(191, 64, 0), 4));
    }

    // A detailed shape zoomed far past the target is left out rather than taking minutes;
    // the rest of the frame is still drawn.
    void absurdZoomStaysQuick()
    {
        const Movie movie = oneFrame([](MovieWriter &w) {
            ShapeWriter zigzag;
            zigzag.setLine(zigzag.addLine(10 * px, Qt::green));
            zigzag.setFill1(zigzag.addFill(Qt::green));
            zigzag.moveTo(-50 * px, -50 * px);
            for (int i = 0; i < 500; ++i)
                zigzag.curveTo(50 * px, (i % 2 - 1) * 25 * px, (i % 2 ? 50 : -50) * px, 50 * px);
            w.defineShape(1, zigzag);
            ShapeWriter square;
            square.setFill1(square.addFill(Qt::red));
            square.moveTo(0, 0);
            square.lineTo(10 * px, 0);
            square.lineTo(10 * px, 10 * px);
            square.lineTo(0, 10 * px);
            square.lineTo(0, 0);
            w.defineShape(2, square);
            w.place(1, 1, false, QTransform::fromScale(64, 64) * QTransform::fromTranslate(50 * px, 25 * px));
            w.place(2, 2, false, QTransform::fromTranslate(5 * px, 5 * px));
        });
        QElapsedTimer clock;
        clock.start();
        const QImage image = render(movie, 0, QSize(1920, 960));
        QVERIFY(clock.elapsed() < 3000);
        QVERIFY(near(image.pixel(190, 190), Qt::red));
    }

    // Each stored banner moves, and busy and idle differ in their warmth.
    void storedBannersAnimateAndDiffer()
    {
        const Movie busy = storedMovie("quillonspot1.swf"), idle = storedMovie("quillonspot2.swf");
        const Movie about = storedMovie("arotate.swf");
        for (const Movie *movie : {&busy, &idle, &about}) {
            QVERIFY(movie->frameCount() > 1);
            const QSize size = movie->stagePixels() * 2;
            QVERIFY(render(*movie, 0, size) != render(*movie, movie->frameCount() / 4, size));
            QVERIFY(render(*movie, 0, size) != render(*movie, movie->frameCount() - 1, size));
        }
        auto warmth = [](const Movie &movie) {
            qint64 red = 0, blue = 0;
            for (int f = 0; f < movie.frameCount(); f += 4) {
                const QImage image = render(movie, f, QSize(85, 45));
                for (int y = 0; y < image.height(); ++y)
                    for (int x = 0; x < image.width(); ++x) {
                        red += qRed(image.pixel(x, y));
                        blue += qBlue(image.pixel(x, y));
                    }
            }
            return double(red) / double(std::max<qint64>(blue, 1));
        };
        QVERIFY(warmth(busy) > 2.0);
        QVERIFY(warmth(idle) < 0.7);
    }
};

QUILLON_TEST_MAIN(TestBannerRender)
#include "test_banner_render.moc"
