#include "engine/qtwebengine/page/developer_tools.h"

#include "engine/qtwebengine/page/engine_page.h"
#include "engine/qtwebengine/setup/engine_profile.h"
#include "engine/qtwebengine/addresses/request_policy.h"

#include <QScreen>
#include <QWebEnginePage>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <utility>

namespace {
// Offline, the tools' front end starts with source maps off: it would fetch a map the page names
// through the page's network context, where no request policy reaches, or through its host.
// What else it asks its host to fetch from the network gets the answer of a blocked request.
// Its host object may come after this script.
const QString offlineHost = QStringLiteral(R"((() => {
  const network = /^(https?|wss?|ftp):/i;
  const patch = (host) => {
    const proto = host && Object.getPrototypeOf(host);
    if (!proto || !proto.getPreferences || proto.quillonOffline) return;
    proto.quillonOffline = true;
    const preferences = proto.getPreferences;
    proto.getPreferences = function (callback) {
      return preferences.call(this, (values) => callback(Object.assign({}, values,
        {jsSourceMapsEnabled: 'false', cssSourceMapsEnabled: 'false'})));
    };
    const load = proto.loadNetworkResource;
    proto.loadNetworkResource = function (url, headers, streamId, callback) {
      if (!network.test(url)) return load.apply(this, arguments);
      callback({statusCode: 0, netError: -20, netErrorName: 'net::ERR_BLOCKED_BY_CLIENT', urlValid: true});
    };
  };
  if (window.InspectorFrontendHost) return patch(window.InspectorFrontendHost);
  let host;
  Object.defineProperty(window, 'InspectorFrontendHost', {configurable: true, enumerable: true,
    get: () => host, set: (value) => { host = value; patch(value); }});
})();)");
} // namespace

DeveloperTools::DeveloperTools(EnginePage *inspected) : m_inspected(inspected)
{
    setObjectName(QStringLiteral("developerTools"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto *tools = new QWebEnginePage(EngineProfile::profile(), this);
    // The inspected page's own policy object: Offline set later reaches the tools at once.
    tools->setUrlRequestInterceptor(inspected->requests());
    setPage(tools);
    // Their own close button; queued, as the engine is still inside its call.
    connect(tools, &QWebEnginePage::windowCloseRequested, this, &QWidget::close, Qt::QueuedConnection);
    if (inspected->requests()->isOffline())
        goOffline();
    inspected->setDevToolsPage(tools);
    connect(inspected, &QWebEnginePage::titleChanged, this, &DeveloperTools::updateCaption);
    connect(inspected, &QWebEnginePage::urlChanged, this, &DeveloperTools::updateCaption);
    updateCaption();
}

DeveloperTools::~DeveloperTools()
{
    // Detached before their page goes with this view.
    if (m_inspected)
        m_inspected->setDevToolsPage(nullptr);
}

void DeveloperTools::goOffline()
{
    if (std::exchange(m_offline, true))
        return;
    QWebEngineScript script;
    script.setName(QStringLiteral("offlineHost"));
    script.setInjectionPoint(QWebEngineScript::DocumentCreation);
    script.setWorldId(QWebEngineScript::MainWorld); // where the front end's host object lives
    script.setRunsOnSubFrames(false);
    script.setSourceCode(offlineHost);
    page()->scripts().insert(script);
    // A front end already running read its settings online: it starts again.
    if (page()->url().scheme() == QLatin1String("devtools"))
        page()->triggerAction(QWebEnginePage::Reload);
}

void DeveloperTools::closeEvent(QCloseEvent *event)
{
    // Not the view's own close: it would put the tools' page to sleep, which the engine refuses
    // (and says so) while they are attached. The window is deleted on close, detaching them.
    QWidget::closeEvent(event);
}

void DeveloperTools::updateCaption()
{
    if (!m_inspected)
        return;
    QString title = m_inspected->title();
    if (title.isEmpty())
        title = m_inspected->url().toDisplayString();
    // Qt reads "[*]" as the place of its modified-window mark; doubled, it shows as written.
    title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    setWindowTitle(tr("Developer Tools - %1").arg(title));
}

void DeveloperTools::placeBeside(QWidget *pageWindow)
{
    const QRect frame = pageWindow->frameGeometry();
    const QRect room = pageWindow->screen()->availableGeometry();
    resize(qMax(640, room.width() / 2), qMax(480, frame.height()));
    // To the right of the page's window where it fits, else to its left; else where the
    // window manager puts it.
    if (frame.right() + width() < room.right())
        move(frame.right() + 1, frame.top());
    else if (frame.left() - width() > room.left())
        move(frame.left() - width(), frame.top());
}

void DeveloperTools::bringForward()
{
    if (!m_placed) {
        m_placed = true;
        if (QWidget *view = QWebEngineView::forPage(m_inspected); view && view->window()->isVisible())
            placeBeside(view->window());
    }
    showNormal();
    raise();
    activateWindow();
}
