#include "engine/qtwebengine/engine_warmer.h"

#include "engine/qtwebengine/engine_profile.h"
#include "engine/qtwebengine/qt_web_engine.h"

#include <QPointer>
#include <QWebEnginePage>
#include <QWebEngineView>

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
    // Shown, so the engine composes it as it will the real page, but never mapped on screen.
    view->setAttribute(Qt::WA_DontShowOnScreen);
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
    }
}

} // namespace EngineWarmer
