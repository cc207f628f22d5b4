// Offline mode on the real engine: once a page's interceptor is offline, nothing of that page
// reaches a loopback server any more, local and built-in pages still load, and another
// window's page stays online.

#include "support/loopback_http_server.h"
#include "support/test_main.h"

#include "engine/qtwebengine/setup/engine_profile.h"
#include "engine/qtwebengine/addresses/error_pages.h"
#include "engine/qtwebengine/addresses/request_policy.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <memory>
#include <optional>

namespace {

// A view in a window with its own page and offline interceptor, as a browser window has.
struct EngineWindow {
    QWebEngineView *view = new QWebEngineView;
    QWebEnginePage *page = new QWebEnginePage(EngineProfile::profile(), view);
    RequestPolicy *interceptor = new RequestPolicy(page);

    EngineWindow()
    {
        page->setUrlRequestInterceptor(interceptor);
        view->setPage(page);
        view->resize(400, 300);
        view->show();
    }
    ~EngineWindow() { delete view; }

    // Loads an address and reports whether the engine said it loaded.
    bool load(const QUrl &url)
    {
        QSignalSpy finished(page, &QWebEnginePage::loadFinished);
        page->load(url);
        if (!finished.wait(15000))
            return false;
        return finished.constFirst().constFirst().toBool();
    }

    QVariant evaluate(const QString &script)
    {
        // A late answer writes into shared state, never into a finished call's frame.
        auto answer = std::make_shared<std::optional<QVariant>>();
        page->runJavaScript(script, [answer](const QVariant &v) { *answer = v; });
        QDeadlineTimer deadline(10000);
        while (!*answer && !deadline.hasExpired())
            QTest::qWait(20);
        return answer->value_or(QVariant());
    }
};

const QByteArray kPage = "<!DOCTYPE html><html><head><title>Served</title></head><body>served page</body></html>";

} // namespace

class TestOffline : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void networkSchemesAreTheOnesRefused_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("refused");
        QTest::newRow("http") << "http://127.0.0.1/a" << true;
        QTest::newRow("https") << "HTTPS://example.com/" << true;
        QTest::newRow("ws") << "ws://127.0.0.1:9/" << true;
        QTest::newRow("wss") << "wss://example.com/socket" << true;
        QTest::newRow("file") << "file:///tmp/page.html" << false;
        QTest::newRow("qrc") << "qrc:/pages/home.html" << false;
        QTest::newRow("data") << "data:text/html,hello" << false;
        QTest::newRow("about") << "about:blank" << false;
    }

    void networkSchemesAreTheOnesRefused()
    {
        QFETCH(QString, address);
        QFETCH(bool, refused);
        QCOMPARE(RequestPolicy::needsNetwork(QUrl(address)), refused);
    }

    void errorPageNamesTheAddressSafely()
    {
        const QString page = offlineErrorPage(QUrl(QStringLiteral("http://127.0.0.1/<script>alert(1)</script>")));
        QVERIFY(page.contains(QStringLiteral("offline")));
        QVERIFY(page.contains(QStringLiteral("http://127.0.0.1/")));
        QVERIFY(!page.contains(QStringLiteral("<script>")));
    }

    void offlinePageReachesNoServerWhileAnotherWindowDoes()
    {
        LoopbackHttpServer server;
        QVERIFY(server.isListening());
        server.route(QStringLiteral("/page"), "text/html", kPage);

        EngineWindow offline;
        QVERIFY(!offline.interceptor->isOffline());
        QVERIFY(offline.load(server.url(QStringLiteral("/page"))));
        QVERIFY(server.requests().contains(QStringLiteral("/page")));

        offline.interceptor->setOffline(true);
        QVERIFY(offline.interceptor->isOffline());
        QTest::qWait(300); // let anything the first load started settle
        const int connectionsBefore = server.connections();
        const QStringList requestsBefore = server.requests();

        QVERIFY(!offline.load(server.url(QStringLiteral("/page?again"))));
        QVERIFY(!offline.load(server.url(QStringLiteral("/other"))));
        // The error page stands in for the refused address without reaching for it.
        QSignalSpy shown(offline.page, &QWebEnginePage::loadFinished);
        offline.page->setHtml(offlineErrorPage(server.url(QStringLiteral("/other"))),
                              server.url(QStringLiteral("/other")));
        QVERIFY(shown.wait(10000));
        QVERIFY(shown.constFirst().constFirst().toBool());
        QCOMPARE(offline.page->title(), QStringLiteral("Working offline"));
        // Local pages still load in the offline window.
        QVERIFY(offline.load(QUrl(QStringLiteral("qrc:/pages/home.html"))));
        QTest::qWait(200);
        QCOMPARE(server.requests(), requestsBefore);
        QCOMPARE(server.connections(), connectionsBefore);

        // Another window's page is online and still reaches the server.
        EngineWindow online;
        QVERIFY(online.load(server.url(QStringLiteral("/page"))));
        QVERIFY(server.requests().mid(requestsBefore.size()).contains(QStringLiteral("/page")));
        QCOMPARE(offline.interceptor->isOffline(), true);
        QCOMPARE(online.interceptor->isOffline(), false);
    }

    void pageLoadedOnlineMakesNoRequestAfterGoingOffline()
    {
        LoopbackHttpServer server;
        server.route(QStringLiteral("/page"), "text/html", kPage);
        server.route(QStringLiteral("/data"), "text/plain", "data");
        server.route(QStringLiteral("/picture"), "image/svg+xml",
                     "<svg xmlns='http://www.w3.org/2000/svg' width='4' height='4'/>");
        EngineWindow window;
        QVERIFY(window.load(server.url(QStringLiteral("/page"))));
        QTest::qWait(300);
        window.interceptor->setOffline(true);
        const QStringList before = server.requests();
        const int connectionsBefore = server.connections();

        window.evaluate(QStringLiteral(
            "window.outcome = [];"
            "fetch('/data').then(() => outcome.push('fetch loaded'), () => outcome.push('fetch blocked'));"
            "var x = new XMLHttpRequest(); x.open('GET', '/data?xhr');"
            "x.onload = () => outcome.push('xhr loaded'); x.onerror = () => outcome.push('xhr blocked'); x.send();"
            "var i = new Image(); i.onload = () => outcome.push('image loaded');"
            "i.onerror = () => outcome.push('image blocked'); i.src = '/picture';"
            "var w = new WebSocket('ws://' + location.host + '/socket');"
            "w.onerror = () => outcome.push('socket blocked'); w.onopen = () => outcome.push('socket open');"
            "true;"));
        QTRY_COMPARE_WITH_TIMEOUT(window.evaluate(QStringLiteral("outcome.length")).toInt(), 4, 10000);
        const QStringList outcome = window.evaluate(QStringLiteral("outcome.sort()")).toStringList();
        QCOMPARE(outcome, (QStringList{QStringLiteral("fetch blocked"), QStringLiteral("image blocked"),
                                       QStringLiteral("socket blocked"), QStringLiteral("xhr blocked")}));
        QCOMPARE(server.requests(), before);
        QCOMPARE(server.connections(), connectionsBefore);
    }

    void localAndBuiltInPagesLoadWhileOffline()
    {
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("local.html")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<html><head><title>Local</title></head><body>on this computer</body></html>");
        file.close();

        EngineWindow window;
        window.interceptor->setOffline(true);
        QVERIFY(window.load(QUrl::fromLocalFile(file.fileName())));
        QCOMPARE(window.page->title(), QStringLiteral("Local"));
        QVERIFY(window.load(QUrl(QStringLiteral("qrc:/pages/home.html"))));
        QCOMPARE(window.page->title(), QStringLiteral("Quillon's Home"));
        QVERIFY(window.load(QUrl(QStringLiteral("data:text/html,<title>Data</title>"))));
        QCOMPARE(window.page->title(), QStringLiteral("Data"));
        QVERIFY(window.load(QUrl(QStringLiteral("about:blank"))));
    }
};

QUILLON_TEST_MAIN(TestOffline)
#include "test_offline.moc"
