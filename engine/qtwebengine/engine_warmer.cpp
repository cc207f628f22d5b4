#include "engine/qtwebengine/engine_warmer.h"

#include "engine/qtwebengine/engine_profile.h"
#include "engine/qtwebengine/qt_web_engine.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineView>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {
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
    // Shown, so the engine composes it as it will the real page, but never mapped on screen;
    // and should anything map it, a window manager leaves it alone.
    view->setAttribute(Qt::WA_DontShowOnScreen);
    view->setWindowFlag(Qt::X11BypassWindowManagerHint);
    auto *page = new QWebEnginePage(EngineProfile::profile(), view);
    view->setPage(page);
    view->resize(pageSize);
    QObject::connect(page, &QWebEnginePage::loadFinished, view, [ready = std::move(ready)] {
        if (ready)
            ready();
    }, Qt::SingleShotConnection);
    page->load(QtWebEngine::homeUrl());
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
