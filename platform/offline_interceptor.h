#pragma once
// Offline mode of one page: once set, nothing of that page reaches the network (pages,
// pictures, scripts, fetch, XHR, web sockets); local files, built-in pages, data: and
// about: addresses still load. Installed per page, so other windows stay online.

#include <QWebEngineUrlRequestInterceptor>
#include <atomic>

class OfflineInterceptor : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    explicit OfflineInterceptor(QObject *parent = nullptr);

    void setOffline(bool offline) { m_offline = offline; }
    bool isOffline() const { return m_offline; }

    // Whether an address needs the network (and so is refused while offline).
    static bool needsNetwork(const QUrl &url);

    void interceptRequest(QWebEngineUrlRequestInfo &info) override;

private:
    std::atomic<bool> m_offline{false};
};
