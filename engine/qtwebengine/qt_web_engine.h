#pragma once
// The web engine on Qt WebEngine: one view and one page in the shared off-the-record profile.

#include "engine/qtwebengine/addresses/built_in_pages.h"
#include "engine/web_engine.h"

#include <QElapsedTimer>
#include <QPointer>

class DeveloperTools;
class EnginePage;
class PageCommands;
class PageFind;
class RequestPolicy;
class QWebEngineLoadingInfo;
class QWebEnginePage;
class QWebEngineView;

class QtWebEngine : public WebEngine {
    Q_OBJECT
public:
    explicit QtWebEngine(QWidget *parent);
    ~QtWebEngine() override;

    QWidget *control() override;

    void Navigate(const QString &address) override;
    void GoBack() override;
    void GoForward() override;
    void GoHome() override;
    void GoSearch() override;
    void Stop() override;
    void ExecWB(ExecCommand commandId, int option) override;

    void setOffline(bool offline) override;
    bool Offline() const override;
    void setRegisterAsBrowser(bool registered) override { m_registered = registered; }
    bool RegisterAsBrowser() const override { return m_registered; }

    bool RequestClose() override;

    QString LocationURL() const override;
    bool Busy() const override { return m_busy; }
    void setZoomFactor(double factor) override;
    double zoomFactor() const override;
    void findOnPage(const QString &text) override;
    void findNextOnPage(const QString &text) override;
    void clearFindOnPage() override;
    void showDeveloperTools() override;
    void readPageText(QObject *context, PageTextHandler handler) override;
    // The developer tools, opened on the element under the page's last context menu.
    void inspectElement();

    QWebEngineView *view() const { return m_view; }
    QWebEnginePage *page() const;

    // The backend's factory: what the program makes every browser window's engine with.
    static WebEngine *create(QWidget *parent);

    static const QUrl &homeUrl() { return BuiltInPages::home(); }
    static const QUrl &searchUrl() { return BuiltInPages::search(); }

private:
    QWebEnginePage *createWindow();
    void connectPage();
    void pageLoaded(const QWebEngineLoadingInfo &info);
    void rendererGone();
    // Save, save as, print and print preview, for a web page or a document the engine shows.
    void execOnDocument(ExecCommand commandId);
    void printRequested();

    QWebEngineView *m_view;
    EnginePage *m_page;
    RequestPolicy *m_requests;
    PageCommands *m_commands;
    PageFind *m_find;
    bool m_busy = false;
    bool m_printing = false;     // a print the page asked for is running
    QElapsedTimer m_sincePrint; // since that print ended
    static constexpr qint64 printPauseMs = 3000;
    bool m_registered = false;
    QPointer<DeveloperTools> m_developerTools;
};
