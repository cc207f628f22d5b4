// libFuzzer target for the movie reader: any input is either refused with PlatformError or
// read into a movie whose first and last frames then draw without fault.

#include "common/failure.h"
#include "banner/swf/reader.h"
#include "banner/swf/renderer.h"

#include <QImage>
#include <QPainter>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    try {
        const Swf::Movie movie = Swf::readMovie(bytes);
        QImage image(40, 24, QImage::Format_RGB32);
        QPainter painter(&image);
        Swf::renderFrame(painter, movie, 0, QRectF(0, 0, 40, 24));
        Swf::renderFrame(painter, movie, movie.frameCount() - 1, QRectF(0, 0, 40, 24));
    } catch (const PlatformError &) {
    }
    return 0;
}
