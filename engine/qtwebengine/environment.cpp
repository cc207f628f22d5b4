#include "engine/qtwebengine/environment.h"

#include "engine/download.h"
#include "engine/qtwebengine/qt_web_engine.h"
#include "engine/qtwebengine/questions/download_manager.h"
#include "engine/qtwebengine/questions/page_notifications.h"
#include "engine/qtwebengine/setup/color_scheme.h"
#include "engine/qtwebengine/setup/engine_profile.h"
#include "engine/qtwebengine/setup/spelling.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QLoggingCategory>
#include <QtWebEngineCoreVersion>
#include <cstdio>
#include <unistd.h>

namespace Environment {

void prepareProcess(const QString &runFolder)
{
    // Chromium refuses to run its sandbox as root; an ordinary user keeps it.
    if (geteuid() == 0) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
        std::fputs("quillon: running as root, so the web engine's sandbox is off\n", stderr);
    }
    // Chromium's own diagnostics (GPU set-up on virtual displays and the like) are not for
    // the user's terminal; fatal errors still show. What the user or a packager put in the
    // engine's flags (a proxy, a scale factor, a feature switch) is kept and comes after ours,
    // so a switch of theirs that names the same setting wins.
    QByteArray ours("--log-level=3");
#if QTWEBENGINECORE_VERSION < QT_VERSION_CHECK(6, 5, 0)
    // This engine crashes once a page that was given a file through its save or open picker
    // moves to another site, or picks the same file again: pages get no pickers, and fall
    // back to a download or a file input, which are safe.
    ours += " --disable-blink-features=FileSystemAccess";
#endif
    const QByteArray theirs = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").trimmed();
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", theirs.isEmpty() ? ours : ours + ' ' + theirs);
    // Without this, Qt WebEngine 6.4 never gives a screen reader the page's contents (later
    // versions do by default). The engine still builds that tree only while assistive
    // technology is active, so nobody else pays for it.
    qputenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", "1");
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    Spelling::prepareProcess(runFolder); // the engine reads where its dictionaries are once, as it starts
    // The engine reports its GL set-up at every start; that is not for the user.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
}

#if QTWEBENGINECORE_VERSION >= QT_VERSION_CHECK(6, 9, 0)
namespace {
// Whether a screen reader (or another assistive technology) runs on this desktop: it says so
// on the accessibility bus when it starts, as Orca does.
bool assistiveTechnologyRuns()
{
    QDBusMessage get = QDBusMessage::createMethodCall(QStringLiteral("org.a11y.Bus"), QStringLiteral("/org/a11y/bus"),
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    for (const char *property : {"ScreenReaderEnabled", "IsEnabled"}) {
        get.setArguments({QStringLiteral("org.a11y.Status"), QString::fromLatin1(property)});
        const QDBusMessage reply = QDBusConnection::sessionBus().call(get, QDBus::Block, 500);
        if (reply.type() == QDBusMessage::ReplyMessage
            && reply.arguments().value(0).value<QDBusVariant>().variant().toBool())
            return true;
    }
    return false;
}
} // namespace
#endif

void prepareApplication()
{
    WebEngines::factory().set(&QtWebEngine::create);
    EngineProfile::serve([](QWebEngineProfile *profile) {
        new DownloadManager(profile); // every download is answered, or the engine drops it
        PageNotifications::present(profile); // to the desktop, or the page's window
    });
    ColorScheme::prepareApplication(); // asks the session bus, so not before the application object
#if QTWEBENGINECORE_VERSION >= QT_VERSION_CHECK(6, 9, 0)
    // Newer engines no longer build the page's tree for a screen reader that was already
    // running when the program started; it is asked for then, and only then.
    if (assistiveTechnologyRuns())
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", qgetenv("QTWEBENGINE_CHROMIUM_FLAGS") + " --force-renderer-accessibility");
#endif
}

void shutdown()
{
    // A download cut short leaves no half-written file behind.
    DownloadList::instance()->cancelAll(QObject::tr("The browser was closed"));
    EngineProfile::release();
}

} // namespace Environment
