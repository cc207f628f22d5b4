// The page's zoom. The page keeps its factor across navigations, so each window keeps its
// own for the run, whatever site it shows.

#include "engine/qtwebengine/qt_web_engine.h"

#include "common/failure.h"

#include <QWebEnginePage>

namespace {
// What the engine accepts.
constexpr double smallest = 0.25;
constexpr double largest = 5.0;
} // namespace

void QtWebEngine::setZoomFactor(double factor)
{
    if (!(factor >= smallest && factor <= largest))
        throw PlatformError(QStringLiteral("Invalid zoom factor %1").arg(factor));
    page()->setZoomFactor(factor);
}

double QtWebEngine::zoomFactor() const { return page()->zoomFactor(); }
