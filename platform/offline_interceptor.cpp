#include "platform/offline_interceptor.h"

#include <QUrl>

OfflineInterceptor::OfflineInterceptor(QObject *parent) : QWebEngineUrlRequestInterceptor(parent) {}

bool OfflineInterceptor::needsNetwork(const QUrl &url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
           scheme == QLatin1String("ws") || scheme == QLatin1String("wss") ||
           scheme == QLatin1String("ftp");
}

void OfflineInterceptor::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    if (m_offline && needsNetwork(info.requestUrl()))
        info.block(true);
}
