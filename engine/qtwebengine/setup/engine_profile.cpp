#include "engine/qtwebengine/setup/engine_profile.h"

#include "engine/qtwebengine/addresses/built_in_pages.h"
#include "engine/qtwebengine/setup/accept_language.h"
#include "engine/qtwebengine/setup/engine_version.h"
#include "engine/qtwebengine/setup/spelling.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>

namespace {
// The home page names the engine, and says plainly when its security fixes have stopped.
QWebEngineScript engineOnHomePage()
{
    const EngineVersion::Versions versions = EngineVersion::running();
    const bool old = EngineVersion::noLongerFixed(versions.securityFixes, QDate::currentDate());
    const QJsonArray texts{BuiltInPages::home().toString(), EngineVersion::line(versions),
                           old ? EngineVersion::notice(versions) : QString()};
    QWebEngineScript script;
    script.setName(QStringLiteral("engineOnHomePage"));
    script.setInjectionPoint(QWebEngineScript::DocumentReady);
    script.setWorldId(QWebEngineScript::ApplicationWorld);
    script.setRunsOnSubFrames(false);
    script.setSourceCode(QStringLiteral(R"((([home, line, notice]) => {
  const card = document.getElementById('engine');
  if (location.href !== home || !card) return;
  document.getElementById('engine-line').textContent = line;
  const said = document.getElementById('engine-notice');
  said.textContent = notice;
  said.hidden = !notice;
  card.hidden = false;
})(%1);)")
                             .arg(QString::fromUtf8(QJsonDocument(texts).toJson(QJsonDocument::Compact))));
    return script;
}

QWebEngineProfile *&instance()
{
    static QWebEngineProfile *profile = nullptr;
    return profile;
}

std::function<void(QWebEngineProfile *)> &servers()
{
    static std::function<void(QWebEngineProfile *)> serve;
    return serve;
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
        if (servers())
            servers()(p); // downloads and notifications are answered, or the engine drops them
        p->scripts()->insert(engineOnHomePage());
        settings->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, true); // asked first, see EnginePage
        Spelling::apply(p);
        AcceptLanguage::apply(p);
        settings->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, true); // asked first, see EnginePage
    }
    return p;
}

void serve(std::function<void(QWebEngineProfile *)> handOver)
{
    servers() = std::move(handOver);
    if (instance() && servers())
        servers()(instance());
}

void release()
{
    delete instance();
    instance() = nullptr;
}

} // namespace EngineProfile
