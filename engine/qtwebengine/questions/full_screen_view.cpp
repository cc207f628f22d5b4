#include "engine/qtwebengine/questions/full_screen_view.h"

#include <QAction>
#include <QCloseEvent>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>

FullScreenView::FullScreenView(QWebEngineView *original, QWebEnginePage *page)
    : QWidget(original, Qt::Window), m_original(original), m_page(page), m_view(new QWebEngineView(this))
{
    setObjectName(QStringLiteral("fullScreenView"));
    setWindowTitle(original->window()->windowTitle());
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    m_view->setPage(page);
    auto *leave = new QAction(this);
    leave->setShortcut(Qt::Key_Escape);
    leave->setShortcutContext(Qt::WindowShortcut);
    connect(leave, &QAction::triggered, page, [page] { page->triggerAction(QWebEnginePage::ExitFullScreen); });
    addAction(leave);
    showFullScreen();
    m_view->setFocus();
}

FullScreenView::~FullScreenView()
{
    if (m_original && m_page)
        m_original->setPage(m_page);
}

void FullScreenView::closeEvent(QCloseEvent *event)
{
    event->ignore(); // the page leaves full screen, and that removes this window
    if (m_page)
        m_page->triggerAction(QWebEnginePage::ExitFullScreen);
}
