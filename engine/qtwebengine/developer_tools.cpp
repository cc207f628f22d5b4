#include "engine/qtwebengine/developer_tools.h"

#include "engine/qtwebengine/engine_page.h"
#include "engine/qtwebengine/engine_profile.h"
#include "engine/qtwebengine/request_policy.h"

#include <QScreen>
#include <QWebEnginePage>

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
