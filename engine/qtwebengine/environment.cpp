#include "engine/qtwebengine/environment.h"

#include "engine/download.h"
#include "engine/qtwebengine/engine_profile.h"
#include "engine/qtwebengine/qt_web_engine.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <cstdio>
#include <unistd.h>

namespace Environment {

void prepareProcess()
{
    // Chromium refuses to run its sandbox as root; an ordinary user keeps it.
    if (geteuid() == 0) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        std::fputs("quillon: running as root, so the web engine's sandbox is off\n", stderr);
    }
    // Chromium's own diagnostics (GPU set-up on virtual displays and the like) are not for
    // the user's terminal; fatal errors still show.
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--log-level=3");
    // Without this, Qt WebEngine 6.4 never gives a screen reader the page's contents (later
    // versions do by default). The engine still builds that tree only while assistive
    // technology is active, so nobody else pays for it.
    qputenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // The engine reports its GL set-up at every start; that is not for the user.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
}

void prepareApplication() { WebEngines::factory().set(&QtWebEngine::create); }

void shutdown()
{
    // A download cut short leaves no half-written file behind.
    DownloadList::instance()->cancelAll(QObject::tr("The browser was closed"));
    EngineProfile::release();
}

} // namespace Environment
