#include "engine/qtwebengine/setup/engine_warmer.h"

#include "engine/qtwebengine/addresses/built_in_pages.h"
#include "engine/qtwebengine/setup/engine_profile.h"

#include <QApplication>
#include <QGuiApplication>
#include <QPoint>
#include <QPointer>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {
// X11's screens all lie at positive coordinates, and no view is this large.
constexpr QPoint offScreen(-10000, -10000);

QPointer<QWebEngineView> &warmView()
{
    static QPointer<QWebEngineView> view;
    return view;
}
} // namespace

namespace EngineWarmer {

void start(const QSize &pageSize, std::function<void()> ready)
{
    if (warmView())
        return;
    auto *view = new QWebEngineView;
    warmView() = view;
    // Shown, so the engine composes it as it will the real page, and a window manager leaves it
    // alone. On X11 it is mapped, off every screen, so that the toolkit also composes it into a
    // window as it will the first browser window: with a software renderer, compiling the
    // shaders for that was most of what showing the first window cost. Elsewhere a window
    // cannot be placed off screen, and it is never mapped.
    view->setWindowFlag(Qt::X11BypassWindowManagerHint);
    view->setAttribute(Qt::WA_ShowWithoutActivating);
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        view->move(offScreen);
    else
        view->setAttribute(Qt::WA_DontShowOnScreen);
    auto *page = new QWebEnginePage(EngineProfile::profile(), view);
    view->setPage(page);
    view->resize(pageSize);
    QObject::connect(page, &QWebEnginePage::loadFinished, view, [ready = std::move(ready)] {
        if (ready)
            ready();
    }, Qt::SingleShotConnection);
    page->load(BuiltInPages::home());
    view->show();
}

void release()
{
    if (QWebEngineView *view = warmView()) {
        delete view->page();
        delete view;
#ifdef __GLIBC__
        // What the view held stays in the heap's free lists unless handed back.
        QTimer::singleShot(1000, qApp, [] { malloc_trim(0); });
#endif
    }
}

bool isWarming() { return !warmView().isNull(); }

} // namespace EngineWarmer
