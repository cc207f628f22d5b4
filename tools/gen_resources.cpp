// Writes the program's pictures: the application icon (a 16-colour .ico and full-colour PNGs)
// and the twelve 20 x 20 toolbar JPEGs. Everything is drawn with QPainter from fixed
// geometry and no fonts, so the output is the same byte for byte on every run.
//   gen_resources <output resources dir>

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtEndian>
#include <array>
#include <cstdio>

namespace {

// The classic 16-colour palette of Windows icons, in palette order.
const std::array<QRgb, 16> kPalette = {
    qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
    qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
    qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
    qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};

const QColor kToolbarBackground(224, 224, 224);

// ---- the application icon: a globe whose quill tail makes it a "Q" ----

// Drawn in a 100 x 100 box. `flat` keeps to palette colours so the 16-colour images stay clean.
void drawIcon(QPainter &p, bool flat, bool detail)
{
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(44, 44);
    const qreal radius = 40;

    // Globe.
    QPainterPath globe;
    globe.addEllipse(centre, radius, radius);
    if (flat) {
        p.fillPath(globe, QColor(0, 0, 255));
    } else {
        QRadialGradient sea(QPointF(32, 30), 58);
        sea.setColorAt(0.0, QColor(120, 190, 255));
        sea.setColorAt(0.55, QColor(30, 100, 220));
        sea.setColorAt(1.0, QColor(10, 35, 120));
        p.fillPath(globe, sea);
    }

    // Continents, clipped to the globe.
    p.save();
    p.setClipPath(globe);
    QPainterPath land;
    land.moveTo(14, 20);
    land.cubicTo(24, 8, 44, 8, 50, 16);
    land.cubicTo(54, 24, 42, 28, 40, 36);
    land.cubicTo(38, 46, 28, 44, 24, 52);
    land.cubicTo(20, 60, 10, 56, 6, 46);
    land.cubicTo(4, 36, 8, 28, 14, 20);
    land.closeSubpath();
    land.moveTo(58, 36);
    land.cubicTo(68, 30, 80, 36, 84, 46);
    land.cubicTo(86, 58, 74, 64, 66, 62);
    land.cubicTo(60, 70, 52, 80, 44, 82);
    land.cubicTo(40, 74, 50, 64, 50, 56);
    land.cubicTo(50, 46, 52, 40, 58, 36);
    land.closeSubpath();
    if (flat) {
        p.fillPath(land, QColor(0, 128, 0));
    } else {
        QLinearGradient green(QPointF(10, 10), QPointF(80, 80));
        green.setColorAt(0.0, QColor(130, 210, 90));
        green.setColorAt(1.0, QColor(30, 120, 40));
        p.fillPath(land, green);
    }
    if (!flat) {
        // Meridians and parallels; too busy for the small palette images.
        p.setPen(QPen(QColor(255, 255, 255, 90), 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(centre, radius * 0.45, radius);
        p.drawLine(QPointF(centre.x(), centre.y() - radius), QPointF(centre.x(), centre.y() + radius));
        p.drawLine(QPointF(centre.x() - radius, centre.y()), QPointF(centre.x() + radius, centre.y()));
        const qreal dy = radius * 0.5;
        const qreal half = std::sqrt(radius * radius - dy * dy);
        p.drawLine(QPointF(centre.x() - half, centre.y() - dy), QPointF(centre.x() + half, centre.y() - dy));
        p.drawLine(QPointF(centre.x() - half, centre.y() + dy), QPointF(centre.x() + half, centre.y() + dy));
    }
    if (!flat) {
        QRadialGradient shine(QPointF(30, 26), 22);
        shine.setColorAt(0.0, QColor(255, 255, 255, 150));
        shine.setColorAt(1.0, QColor(255, 255, 255, 0));
        p.fillPath(globe, shine);
    }
    p.restore();

    const qreal rim = flat ? (detail ? 5 : 8) : 4;
    p.setPen(QPen(flat ? QColor(0, 0, 128) : QColor(8, 28, 90), rim));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, radius, radius);

    // The quill: a feather from inside the globe to a nib at the bottom-right corner.
    p.save();
    p.translate(97, 97);
    p.rotate(135); // the quill's axis points up-left from the nib
    QPainterPath vane;
    vane.moveTo(0, 0);
    vane.cubicTo(6, 12, 12, 26, 12, 44);
    vane.cubicTo(12, 54, 6, 62, 0, 66);
    vane.cubicTo(-8, 56, -12, 42, -10, 30);
    vane.cubicTo(-8, 20, -4, 12, 0, 0);
    vane.closeSubpath();
    QPainterPath feather;
    feather.addPath(vane.translated(0, 14));
    const qreal outline = flat ? (detail ? 4 : 6) : 3;
    p.setPen(QPen(flat ? QColor(0, 0, 0) : QColor(60, 40, 30), outline, Qt::SolidLine, Qt::RoundCap,
                  Qt::RoundJoin));
    if (flat) {
        p.setBrush(QColor(255, 255, 255));
    } else {
        QLinearGradient white(QPointF(-12, 0), QPointF(12, 0));
        white.setColorAt(0.0, QColor(255, 255, 255));
        white.setColorAt(1.0, QColor(215, 215, 205));
        p.setBrush(white);
    }
    p.drawPath(feather);
    // Shaft and barbs.
    p.setPen(QPen(flat ? QColor(128, 128, 128) : QColor(150, 130, 110), flat ? (detail ? 3 : 4) : 2,
                  Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(0, 12), QPointF(0, 76));
    if (detail) {
        for (int i = 0; i < 4; ++i) {
            const qreal y = 34 + i * 10;
            p.drawLine(QPointF(0, y), QPointF(8, y - 8));
            p.drawLine(QPointF(0, y + 4), QPointF(-7, y - 3));
        }
    }
    // Nib.
    QPainterPath nib;
    nib.moveTo(0, -2);
    nib.lineTo(5, 14);
    nib.lineTo(-5, 14);
    nib.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(flat ? QColor(0, 0, 0) : QColor(40, 30, 25));
    p.drawPath(nib);
    p.restore();
}

QImage iconImage(int size, bool flat)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.scale(size / 100.0, size / 100.0);
    drawIcon(p, flat, size >= 32);
    p.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

int nearestPaletteIndex(QRgb c)
{
    int best = 0;
    long bestDistance = -1;
    for (int i = 0; i < 16; ++i) {
        // Weighted for the eye's sensitivity to green.
        const long dr = qRed(c) - qRed(kPalette[i]);
        const long dg = qGreen(c) - qGreen(kPalette[i]);
        const long db = qBlue(c) - qBlue(kPalette[i]);
        const long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return best;
}

void put16(QByteArray &out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void put32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

// One icon image as a 4-bit BMP (colour bitmap then AND mask, both bottom-up).
QByteArray iconBitmap(const QImage &image)
{
    const int n = image.width();
    const int xorStride = ((n * 4 + 31) / 32) * 4;
    const int andStride = ((n + 31) / 32) * 4;
    QByteArray out;
    put32(out, 40);
    put32(out, n);
    put32(out, 2 * n); // colour bitmap plus mask
    put16(out, 1);
    put16(out, 4);
    put32(out, 0);
    put32(out, (xorStride + andStride) * n);
    put32(out, 0);
    put32(out, 0);
    put32(out, 16);
    put32(out, 0);
    for (QRgb c : kPalette) {
        out.append(char(qBlue(c)));
        out.append(char(qGreen(c)));
        out.append(char(qRed(c)));
        out.append(char(0));
    }
    QByteArray colours(xorStride * n, 0);
    QByteArray mask(andStride * n, 0);
    for (int y = 0; y < n; ++y) {
        const int row = n - 1 - y;
        for (int x = 0; x < n; ++x) {
            const QRgb c = image.pixel(x, y);
            if (qAlpha(c) < 128) {
                mask[row * andStride + x / 8] = char(mask[row * andStride + x / 8] | (0x80 >> (x % 8)));
                continue;
            }
            const int index = nearestPaletteIndex(c);
            char &byte = colours[row * xorStride + x / 2];
            byte = char(byte | (x % 2 == 0 ? index << 4 : index));
        }
    }
    return out + colours + mask;
}

QByteArray icoFile(const QList<QImage> &images)
{
    QList<QByteArray> bitmaps;
    for (const QImage &image : images)
        bitmaps.append(iconBitmap(image));
    QByteArray out;
    put16(out, 0);
    put16(out, 1);
    put16(out, quint16(images.size()));
    quint32 offset = 6 + 16 * quint32(images.size());
    for (int i = 0; i < images.size(); ++i) {
        out.append(char(images[i].width()));
        out.append(char(images[i].height()));
        out.append(char(16)); // colours
        out.append(char(0));
        put16(out, 1);
        put16(out, 4);
        put32(out, quint32(bitmaps[i].size()));
        put32(out, offset);
        offset += quint32(bitmaps[i].size());
    }
    for (const QByteArray &b : bitmaps)
        out += b;
    return out;
}

// ---- toolbar pictures, drawn in a 20 x 20 box ----

QPen outlinePen(const QColor &c, qreal w = 1.0)
{
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void drawArrow(QPainter &p, bool right)
{
    QPainterPath arrow;
    arrow.moveTo(2.5, 10);
    arrow.lineTo(10, 2.5);
    arrow.lineTo(10, 6.5);
    arrow.lineTo(17.5, 6.5);
    arrow.lineTo(17.5, 13.5);
    arrow.lineTo(10, 13.5);
    arrow.lineTo(10, 17.5);
    arrow.closeSubpath();
    if (right)
        arrow = QTransform(-1, 0, 0, 1, 20, 0).map(arrow);
    QLinearGradient fill(0, 3, 0, 17);
    fill.setColorAt(0, right ? QColor(120, 220, 110) : QColor(110, 200, 250));
    fill.setColorAt(1, right ? QColor(20, 130, 30) : QColor(20, 90, 190));
    p.setPen(outlinePen(right ? QColor(10, 70, 15) : QColor(10, 40, 110)));
    p.setBrush(fill);
    p.drawPath(arrow);
}

void drawRefresh(QPainter &p)
{
    const QRectF ring(3.5, 3.5, 13, 13);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(10, 80, 20), 4.2, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(ring, 100 * 16, 280 * 16);
    p.setPen(QPen(QColor(60, 180, 60), 2.4, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(ring, 100 * 16, 280 * 16);
    // Arrowhead at the arc's open end, pointing clockwise.
    QPainterPath head;
    head.moveTo(9.0, 0.5);
    head.lineTo(14.5, 3.8);
    head.lineTo(9.0, 7.5);
    head.closeSubpath();
    p.setPen(outlinePen(QColor(10, 80, 20)));
    p.setBrush(QColor(60, 180, 60));
    p.drawPath(head);
}

void drawStop(QPainter &p)
{
    QPainterPath octagon;
    const qreal a = 2.0, b = 6.6, c = 13.4, d = 18.0;
    octagon.moveTo(b, a);
    octagon.lineTo(c, a);
    octagon.lineTo(d, b);
    octagon.lineTo(d, c);
    octagon.lineTo(c, d);
    octagon.lineTo(b, d);
    octagon.lineTo(a, c);
    octagon.lineTo(a, b);
    octagon.closeSubpath();
    QLinearGradient red(0, 2, 0, 18);
    red.setColorAt(0, QColor(255, 90, 80));
    red.setColorAt(1, QColor(190, 10, 10));
    p.setPen(outlinePen(QColor(110, 0, 0)));
    p.setBrush(red);
    p.drawPath(octagon);
    p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(7, 7), QPointF(13, 13));
    p.drawLine(QPointF(13, 7), QPointF(7, 13));
}

void drawHome(QPainter &p)
{
    // Walls, door, window, then the roof over them.
    p.setPen(outlinePen(QColor(90, 60, 30)));
    p.setBrush(QColor(250, 230, 180));
    p.drawRect(QRectF(4.5, 9.5, 11, 8));
    p.setBrush(QColor(150, 90, 40));
    p.drawRect(QRectF(8.5, 12.5, 3, 5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 160, 230));
    p.drawRect(QRectF(12.5, 11.5, 2, 2));
    QPainterPath roof;
    roof.moveTo(1.5, 10.5);
    roof.lineTo(10, 2.5);
    roof.lineTo(18.5, 10.5);
    roof.lineTo(16, 10.5);
    roof.lineTo(10, 5);
    roof.lineTo(4, 10.5);
    roof.closeSubpath();
    p.setPen(outlinePen(QColor(110, 10, 10)));
    p.setBrush(QColor(220, 40, 30));
    p.drawPath(roof);
    p.setBrush(QColor(120, 120, 120));
    p.setPen(outlinePen(QColor(60, 60, 60)));
    p.drawRect(QRectF(13.5, 3.5, 2, 3.5));
}

void drawSearch(QPainter &p)
{
    p.setPen(QPen(QColor(100, 60, 20), 3.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12.5, 12.5), QPointF(17.5, 17.5));
    QRadialGradient lens(QPointF(6.5, 6.5), 7);
    lens.setColorAt(0, QColor(255, 255, 255));
    lens.setColorAt(1, QColor(150, 210, 250));
    p.setPen(QPen(QColor(40, 40, 60), 2.0));
    p.setBrush(lens);
    p.drawEllipse(QPointF(8.5, 8.5), 5.5, 5.5);
}

QImage toolbarPicture(int number)
{
    QImage image(20, 20, QImage::Format_RGB32);
    image.fill(kToolbarBackground);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    switch (number) {
    case 1: drawArrow(p, false); break;
    case 2: drawArrow(p, true); break;
    case 3: drawRefresh(p); break;
    case 4: drawStop(p); break;
    case 5: drawHome(p); break;
    case 6: drawSearch(p); break;
    }
    p.end();
    return image;
}

// The same picture in greys, a little lighter so colour under the pointer stands out.
QImage greyed(const QImage &colour)
{
    QImage grey(colour.size(), QImage::Format_RGB32);
    for (int y = 0; y < colour.height(); ++y) {
        for (int x = 0; x < colour.width(); ++x) {
            const QRgb c = colour.pixel(x, y);
            const int luma = (299 * qRed(c) + 587 * qGreen(c) + 114 * qBlue(c)) / 1000;
            const int v = qMin(255, 40 + luma * 85 / 100);
            grey.setPixel(x, y, c == kToolbarBackground.rgb() ? c : qRgb(v, v, v));
        }
    }
    return grey;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "gen_resources: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

bool writeImage(const QString &path, const QImage &image, const char *format, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    if (!writer.write(image)) {
        std::fprintf(stderr, "gen_resources: cannot encode %s\n", qPrintable(path));
        return false;
    }
    return writeFile(path, bytes);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_resources <output resources dir>\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("icon")) || !out.mkpath(QStringLiteral("toolbar"))) {
        std::fprintf(stderr, "gen_resources: cannot create folders in %s\n", argv[1]);
        return 1;
    }
    bool ok = writeFile(out.filePath(QStringLiteral("icon/quillon.ico")),
                        icoFile({iconImage(16, true), iconImage(32, true)}));
    for (int size : {48, 64, 128, 256})
        ok = ok && writeImage(out.filePath(QStringLiteral("icon/quillon-%1.png").arg(size)),
                              iconImage(size, false), "png", -1);
    for (int n = 1; n <= 6; ++n) {
        const QImage colour = toolbarPicture(n);
        ok = ok && writeImage(out.filePath(QStringLiteral("toolbar/colour%1.jpg").arg(n)), colour, "jpg", 100);
        ok = ok && writeImage(out.filePath(QStringLiteral("toolbar/grey%1.jpg").arg(n)), greyed(colour), "jpg", 100);
    }
    return ok ? 0 : 1;
}
