#include "engine/qtwebengine/qt_web_engine.h"

#include "common/failure.h"
#include "engine/qtwebengine/addresses/address_reading.h"
#include "engine/qtwebengine/addresses/error_pages.h"
#include "engine/qtwebengine/addresses/request_policy.h"
#include "engine/qtwebengine/addresses/secure_upgrade.h"
#include "engine/qtwebengine/page/developer_tools.h"
#include "engine/qtwebengine/page/engine_page.h"
#include "engine/qtwebengine/page/page_commands.h"
#include "engine/qtwebengine/page/page_find.h"
#include "engine/qtwebengine/page/page_menu.h"
#include "engine/qtwebengine/page/page_reading.h"
#include "engine/qtwebengine/page/shown_document.h"
#include "engine/qtwebengine/questions/page_questions.h"
#include "engine/qtwebengine/questions/protocol_handlers.h"

#include <QDesktopServices>
#include <QDir>
#include <QPointer>
#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineView>

QtWebEngine::QtWebEngine(QWidget *parent)
    : m_view(new QWebEngineView(parent))
{
    setParent(m_view); // the view belongs to the window, the engine object to the view
    m_page = new EnginePage(m_view, [engine = QPointer<QtWebEngine>(this)]() -> QWebEnginePage * {
        return engine ? engine->createWindow() : nullptr;
    });
    m_requests = m_page->requests();
    m_view->setPage(m_page);
    m_commands = new PageCommands(m_view, this);
    m_find = new PageFind(m_page);
    connect(m_commands, &PageCommands::notice, this, &WebEngine::FileNotice);
    connect(m_page->questions(), &PageQuestions::notice, this, &WebEngine::FileNotice);
    connect(m_page, &EnginePage::closeAgreed, this, &WebEngine::CloseRequested);
    PageMenu::attach(m_view, m_commands, [engine = QPointer<QtWebEngine>(this)] {
        if (engine)
            engine->inspectElement();
    });
    connectPage();
}

QtWebEngine::~QtWebEngine()
{
    // The tools go with their page's window.
    delete m_developerTools.data();
}

QWidget *QtWebEngine::control() { return m_view; }

QWebEnginePage *QtWebEngine::page() const { return m_page; }

void QtWebEngine::connectPage()
{
    connect(m_page, &QWebEnginePage::loadStarted, this, [this] {
        m_busy = true;
        Q_EMIT DownloadBegin();
    });
    connect(m_page, &QWebEnginePage::loadProgress, this,
            [this](int progress) { Q_EMIT ProgressChange(progress, 100); });
    connect(m_page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo &info) {
        if (info.status() != QWebEngineLoadingInfo::LoadStartedStatus)
            pageLoaded(info);
    });
    connect(m_page, &QWebEnginePage::renderProcessTerminated, this, &QtWebEngine::rendererGone);
    connect(m_page, &QWebEnginePage::titleChanged, this,
            [this](const QString &title) { Q_EMIT TitleChange(title); });
    connect(m_page, &QWebEnginePage::printRequested, this, &QtWebEngine::printRequested);
    // An https address tried for a typed host is shown only once the site answers over it.
    connect(m_page, &QWebEnginePage::urlChanged, this, [this](const QUrl &url) {
        if (!m_page->upgrade()->trying())
            Q_EMIT NavigateComplete2(this, url.toString());
    });
    connect(m_page->upgrade(), &SecureUpgrade::answered, this,
            [this] { Q_EMIT NavigateComplete2(this, m_page->url().toString()); });
}

void QtWebEngine::pageLoaded(const QWebEngineLoadingInfo &info)
{
    const SecureUpgrade::Outcome upgrade = m_page->upgrade()->loadEnded(info);
    if (upgrade == SecureUpgrade::Outcome::FellBack)
        return; // still loading: the same address over http
    m_busy = false;
    Q_EMIT DownloadComplete();
    if (upgrade == SecureUpgrade::Outcome::CameOverHttp)
        Q_EMIT FileNotice(m_page->upgrade()->notice());
    // Offline, the engine's generic "blocked" page would not say why.
    const QUrl url = m_page->requestedUrl();
    if (info.status() != QWebEngineLoadingInfo::LoadSucceededStatus && Offline() && RequestPolicy::needsNetwork(url))
        m_page->showErrorPage(offlineErrorPage(url), url);
}

void QtWebEngine::rendererGone()
{
    // The window stays; the page area explains and offers the page again. No reload of our
    // own: a page that kills its renderer every time would loop.
    const QUrl url = m_page->url();
    if (m_busy) {
        m_busy = false;
        Q_EMIT DownloadComplete();
    }
    m_page->showErrorPage(crashErrorPage(url), url);
}

void QtWebEngine::Navigate(const QString &address)
{
    const AddressReading reading = AddressReading::read(address, QDir::currentPath(), !Offline());
    m_page->upgrade()->cancel();
    switch (reading.kind) {
    case AddressReading::Load:
        if (reading.fallback.isValid())
            m_page->upgrade()->load(reading.url, reading.fallback);
        else
            m_page->load(reading.url);
        return;
    case AddressReading::Desktop:
        if (ProtocolHandlers::handled(reading.url.scheme()))
            return m_page->load(reading.url); // a site of this run opens these
        if (!QDesktopServices::openUrl(reading.url))
            m_page->setHtml(noProgramPage(reading.url), QUrl(QStringLiteral("about:blank")));
        return;
    case AddressReading::Malformed:
        m_page->setHtml(malformedAddressPage(address), QUrl(QStringLiteral("about:blank")));
        return;
    case AddressReading::Refused: break;
    }
    throw PlatformError(reading.reason);
}

void QtWebEngine::GoBack()
{
    if (!m_page->history()->canGoBack())
        throw PlatformError(QStringLiteral("There is no previous page"));
    m_page->upgrade()->cancel();
    m_page->history()->back();
}

void QtWebEngine::GoForward()
{
    if (!m_page->history()->canGoForward())
        throw PlatformError(QStringLiteral("There is no next page"));
    m_page->upgrade()->cancel();
    m_page->history()->forward();
}

// Each of the user's own navigations (and Stop) ends an https attempt first, so that its
// failures show as usual.
void QtWebEngine::GoHome()
{
    m_page->upgrade()->cancel();
    m_page->load(homeUrl());
}

void QtWebEngine::GoSearch()
{
    m_page->upgrade()->cancel();
    m_page->load(searchUrl());
}

bool QtWebEngine::RequestClose() { return m_page->requestClose(); }

void QtWebEngine::Stop()
{
    m_page->upgrade()->cancel();
    m_page->triggerAction(QWebEnginePage::Stop);
}

WebEngine *QtWebEngine::create(QWidget *parent) { return new QtWebEngine(parent); }

void QtWebEngine::ExecWB(ExecCommand commandId, int option)
{
    if (option != ExecDoDefault)
        throw PlatformError(QStringLiteral("Unsupported option %1").arg(option));
    switch (commandId) {
    case ExecCommand::Copy: m_page->triggerAction(QWebEnginePage::Copy); return;
    case ExecCommand::Paste: m_page->triggerAction(QWebEnginePage::Paste); return;
    case ExecCommand::SelectAll: m_page->triggerAction(QWebEnginePage::SelectAll); return;
    case ExecCommand::Refresh:
        m_page->upgrade()->cancel();
        m_page->reload();
        return;
    case ExecCommand::Save:
    case ExecCommand::SaveAs:
    case ExecCommand::Print:
    case ExecCommand::PrintPreview: return execOnDocument(commandId);
    case ExecCommand::PageSetup: m_commands->pageSetup(); return;
    case ExecCommand::Properties: m_commands->properties(); return;
    }
    throw PlatformError(QStringLiteral("Unknown command %1").arg(int(commandId)));
}

void QtWebEngine::execOnDocument(ExecCommand commandId)
{
    const bool save = commandId == ExecCommand::Save || commandId == ExecCommand::SaveAs;
    if (!save)
        m_commands->refuseWhileLoading();
    QPointer<QtWebEngine> alive(this);
    const bool pdf = ShownDocument::isPdf(m_page);
    if (!alive)
        return; // the window closed meanwhile
    if (pdf && save) {
        m_page->download(m_page->url()); // the file itself, asked for like any download
        return;
    }
    if (pdf && !ShownDocument::enginePrintsPdf) {
        Q_EMIT FileNotice(tr("Cannot print a PDF here: save it and print it from a PDF reader"));
        throw PlatformError(QStringLiteral("The web engine cannot print a PDF"));
    }
    switch (commandId) {
    case ExecCommand::Save: m_commands->save(); return;
    case ExecCommand::SaveAs: m_commands->saveAs(); return;
    case ExecCommand::Print: m_commands->print(); return;
    default: m_commands->printPreview(); return;
    }
}

void QtWebEngine::printRequested()
{
    // window.print(), or the print button of the engine's PDF viewer: as File > Print. A page
    // that asks again and again gets no dialog while one is open or has just closed.
    if (m_printing || (m_sincePrint.isValid() && m_sincePrint.elapsed() < printPauseMs))
        return;
    m_printing = true;
    QPointer<QtWebEngine> alive(this);
    resumeNext([this] { ExecWB(ExecCommand::Print, ExecDoDefault); });
    if (!alive)
        return;
    m_printing = false;
    m_sincePrint.start();
}

void QtWebEngine::setOffline(bool offline)
{
    m_requests->setOffline(offline);
    if (offline && m_developerTools)
        m_developerTools->goOffline();
}
bool QtWebEngine::Offline() const { return m_requests->isOffline(); }

void QtWebEngine::findOnPage(const QString &text) { m_find->find(text); }
void QtWebEngine::findNextOnPage(const QString &text) { m_find->findNext(text); }
void QtWebEngine::clearFindOnPage() { m_find->clear(); }

void QtWebEngine::showDeveloperTools()
{
    if (!m_developerTools)
        m_developerTools = new DeveloperTools(m_page);
    m_developerTools->bringForward();
}

void QtWebEngine::readPageText(QObject *context, PageTextHandler handler)
{
    PageReading::read(m_page, context, std::move(handler));
}

void QtWebEngine::inspectElement()
{
    showDeveloperTools();
    m_page->triggerAction(QWebEnginePage::InspectElement);
}

QString QtWebEngine::LocationURL() const { return m_page->url().toString(); }

QWebEnginePage *QtWebEngine::createWindow()
{
    auto *engine = qobject_cast<QtWebEngine *>(NewWindow2());
    return engine ? engine->page() : nullptr;
}
