// Writes the three banner movies into a folder: gen_banners <output dir>.
// The output is deterministic and committed under resources/banners/; a test checks that
// this program still reproduces it byte for byte.

#include "tools/swf_writer/writer.h"

#include <QDir>
#include <QFile>
#include <cmath>
#include <cstdio>
#include <functional>

using Swf::ColourTransform;
using Swf::MovieWriter;
using Swf::ShapeWriter;

namespace {

constexpr double pi = 3.14159265358979323846;
constexpr int twipsPerPixel = 20;
constexpr int swfVersion = 4;
constexpr double frameRate = 12;
constexpr int metadataTag = 77; // ignored by players of version 4 movies

int tw(double pixels) { return static_cast<int>(std::lround(pixels * twipsPerPixel)); }

// Pen in pixels, written as twips.
struct Pen {
    ShapeWriter &s;
    double ox = 0, oy = 0; // origin, pixels
    void moveTo(double x, double y) { s.moveTo(tw(ox + x), tw(oy + y)); }
    void lineTo(double x, double y) { s.lineTo(tw(ox + x), tw(oy + y)); }
    // Elliptic arc from angle a0 to a1 (radians, y down) in steps of at most 45 degrees;
    // the pen must already stand at its start.
    void arc(double cx, double cy, double rx, double ry, double a0, double a1)
    {
        const int steps = std::max(1, static_cast<int>(std::ceil(std::abs(a1 - a0) / (pi / 4) - 1e-9)));
        const double step = (a1 - a0) / steps, k = 1 / std::cos(step / 2);
        for (int i = 0; i < steps; ++i) {
            const double mid = a0 + step * (i + 0.5), end = a0 + step * (i + 1);
            s.curveTo(tw(ox + cx + k * rx * std::cos(mid)), tw(oy + cy + k * ry * std::sin(mid)),
                      tw(ox + cx + rx * std::cos(end)), tw(oy + cy + ry * std::sin(end)));
        }
    }
    void ellipse(double cx, double cy, double rx, double ry)
    {
        moveTo(cx + rx, cy);
        arc(cx, cy, rx, ry, 0, 2 * pi);
    }
};

// "Quillon" drawn with a round pen; each letter is a shape with its origin on the baseline.
struct Letter {
    double width; // pixels between the outer stems, pen not counted
    std::function<void(Pen &)> draw;
    bool dot = false; // the i's dot, a filled disc
};

const std::vector<Letter> &letters()
{
    static const std::vector<Letter> all = {
        {13.0,
         [](Pen &p) {
             p.ellipse(6.5, -8.6, 6.5, 8.2);
             p.moveTo(8.0, -3.6);
             p.lineTo(13.5, 1.6);
         }},
        {8.0,
         [](Pen &p) {
             p.moveTo(0, -11);
             p.lineTo(0, -4);
             p.arc(4, -4, 4, 4, pi, 0);
             p.lineTo(8, -11);
             p.moveTo(8, -4);
             p.lineTo(8, 0);
         }},
        {0.0,
         [](Pen &p) {
             p.moveTo(0, -11);
             p.lineTo(0, 0);
         },
         true},
        {0.0,
         [](Pen &p) {
             p.moveTo(0, -17.2);
             p.lineTo(0, 0);
         }},
        {0.0,
         [](Pen &p) {
             p.moveTo(0, -17.2);
             p.lineTo(0, 0);
         }},
        {10.0, [](Pen &p) { p.ellipse(5, -5.6, 5, 5.6); }},
        {8.0,
         [](Pen &p) {
             p.moveTo(0, -11);
             p.lineTo(0, 0);
             p.moveTo(0, -7);
             p.arc(4, -7, 4, 4, pi, 2 * pi);
             p.lineTo(8, 0);
         }},
    };
    return all;
}

constexpr double penWidth = 3.2;
constexpr double letterGap = 5.2; // between skeletons, pixels

ShapeWriter letterShape(const Letter &letter, const QColor &colour)
{
    ShapeWriter s(1);
    s.setLine(s.addLine(tw(penWidth), colour));
    Pen pen{s};
    letter.draw(pen);
    if (letter.dot) {
        s.setLine(0);
        s.setFill1(s.addFill(colour));
        pen.ellipse(0, -15.4, 1.9, 1.9);
    }
    return s;
}

// Left skeleton edge of each letter, the word centred on the stage.
std::vector<double> letterPositions(double stageWidth)
{
    double total = -letterGap;
    for (const Letter &l : letters())
        total += l.width + letterGap;
    std::vector<double> x;
    double at = (stageWidth - total) / 2;
    for (const Letter &l : letters()) {
        x.push_back(at);
        at += l.width + letterGap;
    }
    return x;
}

ColourTransform brighten(double amount, double alpha = 1.0)
{
    ColourTransform cx;
    for (int i = 0; i < 3; ++i)
        cx.add[i] = static_cast<int>(std::lround(amount));
    cx.mult[3] = static_cast<int>(std::lround(alpha * 256));
    return cx;
}

// Pads with an ignored metadata tag so the movie is exactly size bytes.
QByteArray finishAt(MovieWriter &movie, qsizetype size, const QByteArray &note)
{
    const qsizetype padding = size - movie.finishedSize() - 6; // long tag header
    if (padding < note.size() + 1) {
        std::fprintf(stderr, "gen_banners: content is %lld bytes over its size\n",
                     static_cast<long long>(note.size() + 1 - padding));
        return {};
    }
    movie.tag(metadataTag, note + QByteArray(padding - note.size(), '\0'), true);
    return movie.finish();
}

QColor mix(const QColor &a, const QColor &b, double t)
{
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                            float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

QTransform at(double x, double y) { return QTransform::fromTranslate(tw(x), tw(y)); }

QTransform turned(double x, double y, double degrees)
{
    const double a = degrees * pi / 180;
    return QTransform(std::cos(a), std::sin(a), -std::sin(a), std::cos(a), tw(x), tw(y));
}

// Places or moves depth only when its look changed since the previous frame.
struct Layer {
    Layer(int depth, int shape) : depth(depth), shape(shape) {}
    int depth, shape;
    bool placed = false;
    QTransform matrix;
    ColourTransform colour;

    void show(MovieWriter &movie, const QTransform &m, const ColourTransform &c = {})
    {
        const bool newMatrix = !placed || m != matrix;
        const bool newColour = !placed ? !c.isIdentity() : !sameColour(c, colour);
        if (placed && !newMatrix && !newColour)
            return;
        movie.place(depth, placed ? 0 : shape, placed,
                    newMatrix ? std::optional<QTransform>(m) : std::nullopt,
                    newColour ? std::optional<ColourTransform>(c) : std::nullopt);
        placed = true;
        matrix = m;
        colour = c;
    }
    static bool sameColour(const ColourTransform &a, const ColourTransform &b)
    {
        return std::equal(a.mult, a.mult + 4, b.mult) && std::equal(a.add, a.add + 4, b.add);
    }
};

constexpr double baseline = 29.5;

// A browser banner's movie with the word's letters defined as shapes 10 and up, their
// colours running from first to last across the word.
MovieWriter wordMovie(const QColor &first, const QColor &last)
{
    MovieWriter movie(swfVersion, QRect(0, 0, tw(85), tw(45)), frameRate);
    movie.setBackground(Qt::black);
    const int count = int(letters().size());
    for (int i = 0; i < count; ++i)
        movie.defineShape(10 + i, letterShape(letters()[i], mix(first, last, i / 6.0)));
    return movie;
}

// Busy: warm letters leap in a running wave while a spark races along beneath them.
QByteArray busyBanner()
{
    const int frames = 25;
    MovieWriter movie = wordMovie(QColor(255, 216, 70), QColor(240, 64, 48));
    const auto x = letterPositions(85);
    const int count = int(letters().size());

    ShapeWriter track(1);
    track.setLine(track.addLine(tw(1), QColor(110, 36, 12)));
    Pen t{track};
    t.moveTo(3, 38.5);
    t.lineTo(82, 38.5);
    movie.defineShape(1, track);

    // The spark: a glow, a tapering tail and a hot head, with alpha.
    ShapeWriter spark(3);
    Pen s{spark};
    spark.setFill1(spark.addFill(QColor(255, 120, 30, 70)));
    s.ellipse(0, 0, 6, 3.2);
    spark.setFill1(spark.addFill(QColor(255, 150, 40, 150)));
    s.moveTo(0, -1.6);
    s.lineTo(-16, 0);
    s.lineTo(0, 1.6);
    s.lineTo(0, -1.6);
    spark.setFill1(spark.addFill(QColor(255, 246, 210)));
    s.ellipse(0, 0, 2, 2);
    movie.defineShape(2, spark);

    Layer trackLayer(1, 1), sparkLayer(2, 2);
    std::vector<Layer> word;
    for (int i = 0; i < count; ++i)
        word.emplace_back(3 + i, 10 + i);
    for (int f = 0; f < frames; ++f) {
        trackLayer.show(movie, QTransform());
        sparkLayer.show(movie, at(-8 + f * (85 + 16.0) / frames, 38.5));
        for (int i = 0; i < count; ++i) {
            const double lift = std::max(0.0, std::sin(2 * pi * f / frames - i * 0.85));
            word[i].show(movie, at(x[i], baseline - 4.5 * lift), brighten(std::round(lift * 4) * 20));
        }
        movie.showFrame();
    }
    return finishAt(movie, 3395, "Quillon's Browser: busy banner");
}

// Idle: cool letters at rest; a soft light drifts across them over a slowly breathing line.
QByteArray idleBanner()
{
    const int frames = 25;
    MovieWriter movie = wordMovie(QColor(96, 170, 255), QColor(70, 214, 196));
    const auto x = letterPositions(85);
    const int count = int(letters().size());

    ShapeWriter line(1);
    line.setLine(line.addLine(tw(1.2), QColor(70, 130, 200)));
    Pen l{line};
    l.moveTo(8, 0);
    l.lineTo(77, 0);
    movie.defineShape(1, line);

    Layer lineLayer(1, 1);
    std::vector<Layer> word;
    for (int i = 0; i < count; ++i)
        word.emplace_back(3 + i, 10 + i);
    for (int f = 0; f < frames; ++f) {
        const double breath = 0.5 + 0.5 * std::cos(2 * pi * f / frames);
        lineLayer.show(movie, at(0, 37), brighten(0, 0.35 + 0.5 * std::round(breath * 8) / 8));
        const double light = -2 + (count + 4.0) * f / frames;
        for (int i = 0; i < count; ++i) {
            const double glow = std::exp(-(light - i) * (light - i) / 2.0);
            word[i].show(movie, at(x[i], baseline), brighten(std::round(glow * 6) * 12));
        }
        movie.showFrame();
    }
    return finishAt(movie, 2870, "Quillon's Browser: idle banner");
}

// About: a three-petalled quill wheel turning inside a ring of twinkling lights.
QByteArray aboutBanner()
{
    const int frames = 45;
    MovieWriter movie(swfVersion, QRect(0, 0, tw(56), tw(35)), frameRate);
    movie.setBackground(Qt::black);
    const double cx = 28, cy = 17.5, radius = 15.2;

    ShapeWriter ring(1);
    ring.setLine(ring.addLine(tw(1.1), QColor(176, 132, 48)));
    Pen r{ring};
    r.ellipse(0, 0, radius, radius);
    movie.defineShape(1, ring);

    ShapeWriter light(1);
    light.setFill1(light.addFill(QColor(255, 226, 140)));
    Pen d{light};
    d.ellipse(0, 0, 1.5, 1.5);
    movie.defineShape(2, light);

    ShapeWriter wheel(2);
    Pen w{wheel};
    const QColor petals[3] = {QColor(255, 128, 56), QColor(64, 176, 255), QColor(120, 214, 90)};
    for (int k = 0; k < 3; ++k) {
        const double a = -pi / 2 + k * 2 * pi / 3;
        auto px = [&](double rr, double da) { return rr * std::cos(a + da); };
        auto py = [&](double rr, double da) { return rr * std::sin(a + da); };
        wheel.setFill1(wheel.addFill(petals[k]));
        w.moveTo(0, 0);
        wheel.curveTo(tw(px(8.5, -0.55)), tw(py(8.5, -0.55)), tw(px(12.8, 0)), tw(py(12.8, 0)));
        wheel.curveTo(tw(px(8.5, 0.55)), tw(py(8.5, 0.55)), 0, 0);
    }
    wheel.setFill1(0);
    wheel.newStyles(); // the hub lies over the petals
    wheel.setFill1(wheel.addFill(QColor(250, 244, 228)));
    wheel.setLine(wheel.addLine(tw(0.8), QColor(90, 70, 40)));
    w.ellipse(0, 0, 2.6, 2.6);
    movie.defineShape(3, wheel);

    Layer ringLayer(1, 1), wheelLayer(2, 3);
    std::vector<Layer> lights;
    for (int k = 0; k < 6; ++k)
        lights.emplace_back(3 + k, 2);
    for (int f = 0; f < frames; ++f) {
        ringLayer.show(movie, at(cx, cy));
        wheelLayer.show(movie, turned(cx, cy, 360.0 * f / frames));
        for (int k = 0; k < 6; ++k) {
            const double a = 2 * pi * k / 6;
            const double twinkle = 0.5 + 0.5 * std::cos(2 * pi * (f / double(frames) - k / 6.0));
            lights[k].show(movie, at(cx + radius * std::cos(a), cy + radius * std::sin(a)),
                           brighten(0, 0.25 + 0.75 * std::round(twinkle * 5) / 5));
        }
        movie.showFrame();
    }
    return finishAt(movie, 2140, "Quillon's Browser: About banner");
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_banners <output dir>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral(".")))
        return 1;
    const struct {
        const char *name;
        QByteArray data;
    } movies[] = {{"quillonspot1.swf", busyBanner()},
                  {"quillonspot2.swf", idleBanner()},
                  {"arotate.swf", aboutBanner()}};
    for (const auto &movie : movies) {
        QFile file(out.filePath(QString::fromLatin1(movie.name)));
        if (movie.data.isEmpty() || !file.open(QIODevice::WriteOnly) ||
            file.write(movie.data) != movie.data.size()) {
            std::fprintf(stderr, "gen_banners: could not write %s\n", movie.name);
            return 1;
        }
    }
    return 0;
}
