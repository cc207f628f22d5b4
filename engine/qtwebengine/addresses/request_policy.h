#pragma once
// What one page may request. Offline mode: once set, nothing of that page reaches the
// network (pages, pictures, scripts, fetch, XHR, web sockets); local files, built-in
// pages, data: and about: addresses still load. Installed per page, so other windows stay
// online. And always: scripts may not read local files, so a saved or downloaded page
// cannot read the user's other files (its own pictures and styles still load).

#include <QWebEngineUrlRequestInterceptor>
#include <atomic>

class RequestPolicy : public QWebEngineUrlRequestInterceptor {
    Q_OBJECT
public:
    explicit RequestPolicy(QObject *parent = nullptr);

    void setOffline(bool offline) { m_offline = offline; }
    bool isOffline() const { return m_offline; }

    // Whether an address needs the network (and so is refused while offline).
    static bool needsNetwork(const QUrl &url);

    void interceptRequest(QWebEngineUrlRequestInfo &info) override;

private:
    std::atomic<bool> m_offline{false};
};
