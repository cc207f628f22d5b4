#include "engine/qtwebengine/addresses/request_policy.h"

#include <QUrl>

RequestPolicy::RequestPolicy(QObject *parent) : QWebEngineUrlRequestInterceptor(parent) {}

bool RequestPolicy::needsNetwork(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
           scheme == QLatin1String("ws") || scheme == QLatin1String("wss") ||
           scheme == QLatin1String("ftp");
}

void RequestPolicy::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    const QUrl &url = info.requestUrl();
    if (m_offline && needsNetwork(url))
        info.block(true);
    else if (info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeXhr && url.isLocalFile())
        info.block(true); // fetch and XHR alike
}
