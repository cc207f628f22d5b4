#include "app/warm_start.h"

#include "browser/browser_windows.h"
#include "browser/browser_window.h"
#include "engine/qtwebengine/setup/engine_warmer.h"
#include "engine/web_engine.h"

#include <QTimer>

namespace {
// After the splash has painted; the window is built well before the tick.
constexpr int engineStartMs = 200;
constexpr int latestBuildMs = 1100;
// Well after the tick: the first window's page has long had what the off-screen one warmed.
constexpr int latestReleaseMs = 7000;

void buildFirstWindow()
{
    if (BrowserWindows::first())
        return;
    Browser *window = BrowserWindows::prepareFirst();
    // The off-screen page has done its work once the window has its own.
    QObject::connect(window->WebBrowser1, &WebEngine::DownloadComplete, window, [] { EngineWarmer::release(); },
                     Qt::SingleShotConnection);
}
} // namespace

namespace WarmStart {
void begin(QObject *context)
{
    QTimer::singleShot(engineStartMs, context, [] {
        EngineWarmer::start(Browser::pageAreaDesign().size(), buildFirstWindow);
    });
    QTimer::singleShot(latestBuildMs, context, buildFirstWindow);
    // And it goes in any case, whatever the first window's page does (a download, an error, a
    // load that never ends) or if that window was there before it.
    QTimer::singleShot(latestReleaseMs, context, [] { EngineWarmer::release(); });
}
} // namespace WarmStart
