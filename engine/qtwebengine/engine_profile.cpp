#include "engine/qtwebengine/engine_profile.h"

#include "engine/qtwebengine/download_manager.h"

#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace {
QWebEngineProfile *&instance()
{
    static QWebEngineProfile *profile = nullptr;
    return profile;
}
} // namespace

namespace EngineProfile {

QWebEngineProfile *profile()
{
    QWebEngineProfile *&p = instance();
    if (!p) {
        p = new QWebEngineProfile(); // no storage name: off the record
        p->setHttpCacheType(QWebEngineProfile::MemoryHttpCache);
        p->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
        QWebEngineSettings *settings = p->settings();
        // Pop-ups only in answer to a user's action: Chromium's blocker then stops the rest.
        settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
        settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
        settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
        // PDFs show in the window, in the engine's own viewer; a Qt WebEngine built without
        // it hands them to the download path instead.
        settings->setAttribute(QWebEngineSettings::PluginsEnabled, true);
        settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, true);
        new DownloadManager(p); // every download is answered, or the engine drops it
        settings->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, true); // asked first, see EnginePage
    }
    return p;
}

void release()
{
    delete instance();
    instance() = nullptr;
}

} // namespace EngineProfile
