// Writes each image of an .ico file as <prefix>-<size>.png, so the desktop's icon theme gets
// the very 16 and 32 pixel pictures that the program's windows carry.
//   quillon-icon-export <icon.ico> <output prefix>

#include <QCoreApplication>
#include <QImage>
#include <QImageReader>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv); // the ICO reader is a plugin
    if (argc != 3) {
        std::fputs("usage: quillon-icon-export <icon.ico> <output prefix>\n", stderr);
        return 2;
    }
    QImageReader reader(QString::fromLocal8Bit(argv[1]), "ico");
    const int count = reader.imageCount();
    if (count <= 0) {
        std::fprintf(stderr, "quillon-icon-export: %s: %s\n", argv[1],
                     qPrintable(reader.errorString()));
        return 1;
    }
    for (int i = 0; i < count; ++i) {
        if (!reader.jumpToImage(i))
            return 1;
        const QImage image = reader.read();
        const QString out = QStringLiteral("%1-%2.png").arg(QString::fromLocal8Bit(argv[2])).arg(image.width());
        if (image.isNull() || !image.save(out, "png")) {
            std::fprintf(stderr, "quillon-icon-export: cannot write %s\n", qPrintable(out));
            return 1;
        }
    }
    return 0;
}
