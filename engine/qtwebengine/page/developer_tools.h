#pragma once
// The engine's developer tools for one page, in a window of their own captioned
// "Developer Tools - <page title>". Their page is in the same profile and under the same
// request policy as the page they inspect: an offline page's tools stay offline, and their
// scripts read no local files either. The tools also fetch what a page names for them (source
// maps) outside every page's policy, so offline they are told such fetches failed. The engine that owns the page deletes the window with it.

#include <QPointer>
#include <QWebEngineView>

class EnginePage;

class DeveloperTools : public QWebEngineView {
    Q_OBJECT
public:
    explicit DeveloperTools(EnginePage *inspected);
    ~DeveloperTools() override;

    // Shows the window beside the page's window the first time, and brings it forward.
    void bringForward();
    // The page went offline: so do the tools, for good.
    void goOffline();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void updateCaption();
    void placeBeside(QWidget *pageWindow);

    QPointer<EnginePage> m_inspected;
    bool m_placed = false;
    bool m_offline = false;
};
