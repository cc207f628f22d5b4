// What today's web applications ask of the browser, on the real engine: notifications reach a
// stand-in desktop notification service (python3-dbusmock's) on a session bus of the test's
// own, and come back to the page; with no service they show in the page's window; links of a
// scheme a site was allowed to handle go to that site; the proxy the user names reaches the engine.

#include "browser/browser_window.h"
#include "engine/engine_host.h"
#include "engine/qtwebengine/qt_web_engine.h"
#include "support/loopback_http_server.h"
#include "support/private_session_bus.h"
#include "support/test_main.h"
#include "support/windows.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEngineView>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {
const QString notifications = QStringLiteral("org.freedesktop.Notifications");

PrivateSessionBus privateBus;

QString title(Browser *window) { return window->windowTitle().section(QStringLiteral("   --"), 0, 0); }
QtWebEngine *engineOf(Browser *window) { return static_cast<QtWebEngine *>(window->WebBrowser1); }

// Every event of every notification the page made goes into its title, in order.
const QByteArray notesPage = R"(<title>ready</title><script>
const events = [];
const seen = e => { events.push(e); document.title = events.join(' '); };
const notes = {};
function note(name, title, options) {
  const n = new Notification(title, options);
  n.onshow = () => seen('show:' + name);
  n.onclick = () => seen('click:' + name);
  n.onclose = () => seen('close:' + name);
  notes[name] = n;
}
const icon = 'data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR4nGP4z8DwHwAFAAH/iZk9HQAAAABJRU5ErkJggg==';
Notification.requestPermission().then(p => seen(p));
</script>)";
} // namespace

class TestWebApps : public QObject {
    Q_OBJECT
    LoopbackHttpServer server;
    QTemporaryDir folder;
    QProcess daemon;
    QList<PermissionQuestion> asked;

    // Every permission is granted, and each question noted.
    Override<EngineHost::PermissionAsk>::Scoped allowAll()
    {
        asked.clear();
        return EngineHost::askPermission().scoped(
            [this](QWidget *, const PermissionQuestion &q, QObject *, std::function<void(bool)> answer) {
                asked << q;
                answer(true);
            });
    }

    static void run(Browser *window, const QString &script) { engineOf(window)->page()->runJavaScript(script); }

    QString daemonLog() const
    {
        QFile log(folder.filePath(QStringLiteral("notifications.log")));
        return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
    }

    static bool serviceUp()
    {
        return QDBusConnection::sessionBus().interface()->isServiceRegistered(notifications).value();
    }

    // The stand-in service does what a user's click or dismissal makes the real one do.
    static void emitFromService(const QString &name, const QVariantList &arguments, const QString &signature)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(
            notifications, QStringLiteral("/org/freedesktop/Notifications"), QStringLiteral("org.freedesktop.DBus.Mock"),
            QStringLiteral("EmitSignal"));
        message << notifications << name << signature << arguments;
        QDBusConnection::sessionBus().call(message);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(QDBusConnection::sessionBus().isConnected());
        server.route("/notes", "text/html", notesPage);
        server.route("/page", "text/html", "<title>Page</title>page");
        server.route("/links", "text/html",
                     "<title>links</title><body style='margin:0'><a href='web+quillon:hello' style='display:block;"
                     "height:600px'>link</a><script>navigator.registerProtocolHandler('web+quillon', "
                     "'/handle?u=%s');</script></body>");
        server.route("/handle", "text/html", "<title>handled</title>handled");
        server.route("/proxied", "text/html", "<title>Proxied</title>proxied");
    }
    void cleanup() { deleteAllBrowsers(); }
    void cleanupTestCase()
    {
        daemon.kill();
        daemon.waitForFinished(5000);
    }

    void notificationsGoToTheDesktopServiceAndComeBack()
    {
        daemon.start(QStringLiteral("/usr/bin/python3"), QStringLiteral("-m dbusmock --template notification_daemon -l").split(' ')
                                                             << folder.filePath(QStringLiteral("notifications.log")));
        QTRY_VERIFY_WITH_TIMEOUT(serviceUp(), 15000);
        auto allow = allowAll();
        Browser *window = openWindow(server.url("/notes"));
        QTRY_COMPARE_WITH_TIMEOUT(title(window), QStringLiteral("granted"), 10000);
        QCOMPARE(asked.size(), 1); // asked first, as any permission
        // Another site's window, the one in use when the notification comes.
        Browser *other = openWindow(server.url("/page", QStringLiteral("localhost")));
        QTRY_COMPARE_WITH_TIMEOUT(title(other), QStringLiteral("Page"), 10000);
        other->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(other));

        run(window, "note('a', 'Mail <b>1</b>', {body: 'From Ann & Bob', tag: 'mail', icon: icon})");
        QTRY_VERIFY_WITH_TIMEOUT(title(window).contains("show:a"), 10000);
        QVERIFY2(daemonLog().contains("Notify \"Quillon's Browser\" 0 \"quillon\" \"Mail <b>1</b>\" "
                                      "\"From Ann &amp; Bob\n127.0.0.1\" [\"default\", \"Show\"]"),
                 qPrintable(daemonLog()));
        // The picture: one red pixel, 4 bytes a row, with alpha, 8 bits × 4 (the log spells each
        // value out with its D-Bus type).
        QString picture = daemonLog().section(QStringLiteral("\"image-data\": "), 1).left(400);
        picture.remove(QRegularExpression(QStringLiteral(R"(dbus\.\w+\(|[()])")));
        QVERIFY2(picture.contains("1, 1, 4, True, 8, 4, ") && picture.contains("[255, 0, 0, 255]"), qPrintable(picture));
        // The same tag: the one on the desktop is replaced in place.
        run(window, "note('b', 'Mail 2', {body: 'Again', tag: 'mail'})");
        QTRY_VERIFY_WITH_TIMEOUT(daemonLog().contains("Notify \"Quillon's Browser\" 1 \"quillon\" \"Mail 2\""), 10000);
        // Clicked on the desktop: its page's window comes up and the page hears of it.
        emitFromService(QStringLiteral("ActionInvoked"), {1u, QStringLiteral("default")}, QStringLiteral("us"));
        QTRY_VERIFY_WITH_TIMEOUT(title(window).contains("click:b"), 10000);
        QVERIFY(QTest::qWaitForWindowActive(window));
        QVERIFY(!title(window).contains("click:a"));
        // Dismissed on the desktop: the page hears it closed.
        emitFromService(QStringLiteral("NotificationClosed"), {1u, 2u}, QStringLiteral("uu"));
        QTRY_VERIFY_WITH_TIMEOUT(title(window).contains("close:b"), 10000);
        // Closed by the page: gone from the desktop.
        run(window, "note('c', 'Call', {body: 'Ringing'})");
        QTRY_VERIFY_WITH_TIMEOUT(daemonLog().contains("\"Call\" \"Ringing\n127.0.0.1\""), 10000);
        run(window, "notes.c.close()");
        QTRY_VERIFY_WITH_TIMEOUT(daemonLog().contains("CloseNotification 2"), 10000);
        // A window that closes takes its page's notifications with it.
        run(window, "note('d', 'Later', {})");
        QTRY_VERIFY_WITH_TIMEOUT(title(window).contains("show:d"), 10000);
        delete window;
        QTRY_VERIFY_WITH_TIMEOUT(daemonLog().contains("CloseNotification 3"), 10000);
    }

    void withoutAServiceTheyShowInThePagesWindow()
    {
        daemon.terminate();
        daemon.waitForFinished(5000);
        QTRY_VERIFY_WITH_TIMEOUT(!serviceUp(), 10000);
        auto allow = allowAll();
        Browser *window = openWindow(server.url("/notes"));
        QTRY_COMPARE_WITH_TIMEOUT(title(window), QStringLiteral("granted"), 10000);
        Browser *other = openWindow(server.url("/page", QStringLiteral("localhost")));
        QTRY_COMPARE_WITH_TIMEOUT(title(other), QStringLiteral("Page"), 10000);
        other->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(other));

        run(window, "note('a', 'Mail <b>1</b>', {body: 'From Ann'}); note('b', 'Timer', {body: 'Done'});"
                    "note('c', 'Call', {})");
        QTRY_COMPARE_WITH_TIMEOUT(window->findChildren<QWidget *>(QStringLiteral("notificationBar")).size(), 3, 10000);
        QVERIFY(other->findChildren<QWidget *>(QStringLiteral("notificationBar")).isEmpty());
        const QList<QWidget *> bars = window->findChildren<QWidget *>(QStringLiteral("notificationBar"));
        QWidget *mail = bars[0];
        QCOMPARE(mail->findChild<QLabel *>(QStringLiteral("title"))->text(), QStringLiteral("Mail <b>1</b>"));
        QCOMPARE(mail->findChild<QLabel *>(QStringLiteral("text"))->text(), QStringLiteral("From Ann"));
        QCOMPARE(mail->findChild<QLabel *>(QStringLiteral("site"))->text(), QStringLiteral("127.0.0.1"));
        QCOMPARE(mail->findChild<QLabel *>(QStringLiteral("title"))->textFormat(), Qt::PlainText);
        // Stacked along the bottom of the page, none over another.
        QWidget *page = engineOf(window)->view();
        QCOMPARE(mail->geometry().bottom(), page->geometry().bottom());
        QVERIFY(bars[1]->geometry().bottom() < mail->geometry().top());
        QVERIFY(bars[2]->geometry().bottom() < bars[1]->geometry().top());
        window->grab().save(QStringLiteral(QUILLON_BINARY_DIR "/notification-bars.png"));

        QTest::mouseClick(mail, Qt::LeftButton, {}, QPoint(20, 10));
        QTRY_VERIFY_WITH_TIMEOUT(title(window).contains("click:a close:a"), 10000);
        run(window, "notes.c.close()");
        QTRY_COMPARE_WITH_TIMEOUT(window->findChildren<QWidget *>(QStringLiteral("notificationBar")).size(), 1, 10000);
        // The last goes by itself.
        QTRY_VERIFY_WITH_TIMEOUT(title(window).contains("close:b"), 15000);
        QVERIFY(window->findChildren<QWidget *>(QStringLiteral("notificationBar")).isEmpty());
        QVERIFY(!title(window).contains("click:b"));
    }

    void linksOfAnAllowedSchemeGoToItsHandler()
    {
        auto allow = allowAll();
        Browser *window = openWindow(server.url("/links"));
        QTRY_COMPARE_WITH_TIMEOUT(asked.size(), 1, 10000);
        QCOMPARE(asked[0].site, QStringLiteral("127.0.0.1"));
        QCOMPARE(asked[0].wants, QStringLiteral("open web+quillon links"));
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTest::qWait(300); // the first frame has to be up before the page takes clicks
        QTest::mouseClick(engineOf(window)->view()->focusProxy(), Qt::LeftButton, {}, QPoint(60, 60));
        QTRY_COMPARE_WITH_TIMEOUT(title(window), QStringLiteral("handled"), 10000);
        QVERIFY2(server.requests().contains("/handle?u=web%2Bquillon%3Ahello"), qPrintable(server.requests().join(' ')));
        // In every window, typed as well.
        Browser *other = openWindow(server.url("/page", QStringLiteral("localhost")));
        QTRY_COMPARE_WITH_TIMEOUT(title(other), QStringLiteral("Page"), 10000);
        other->WebBrowser1->Navigate(QStringLiteral("web+quillon:typed"));
        QTRY_COMPARE_WITH_TIMEOUT(title(other), QStringLiteral("handled"), 10000);
        QVERIFY(server.requests().contains("/handle?u=web%2Bquillon%3Atyped"));
        QCOMPARE(asked.size(), 1);
    }

    void theProxyTheEnvironmentNamesCarriesThePages()
    {
        // The program as the user starts it, with a proxy named the usual way; the test's
        // server stands in for the proxy (loopback addresses never go through one).
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("http_proxy"), server.url(QString()).toString());
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(QUILLON_BINARY_DIR "/quillon"), {QStringLiteral("http://proxied.invalid/proxied")});
        QTRY_VERIFY_WITH_TIMEOUT(server.requests().contains("http://proxied.invalid/proxied"), 20000);
        program.terminate();
        QVERIFY(program.waitForFinished(10000));
    }
};

QUILLON_TEST_MAIN(TestWebApps)
#include "test_web_apps.moc"
