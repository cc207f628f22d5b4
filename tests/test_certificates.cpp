// A site with an untrusted certificate is refused with a page of ours that names the host
// and the reason; "continue" passes only an error the engine lets the user pass, only for
// that host, and only for this run.

#include "browser/browser_window.h"
#include "engine/qtwebengine/error_pages.h"
#include "engine/qtwebengine/qt_web_engine.h"
#include "support/loopback_http_server.h"
#include "support/test_main.h"
#include "support/windows.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QSslKey>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <memory>
#include <optional>

namespace {
QString title(Browser *window) { return window->windowTitle().section(QStringLiteral("   --"), 0, 0); }

QString pageText(Browser *window)
{
    auto answer = std::make_shared<std::optional<QString>>();
    static_cast<QtWebEngine *>(window->WebBrowser1)->page()->toPlainText([answer](const QString &t) { *answer = t; });
    QDeadlineTimer deadline(10000);
    while (!answer->has_value() && !deadline.hasExpired())
        QTest::qWait(20);
    return answer->value_or(QString());
}
} // namespace

class TestCertificates : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<LoopbackHttpServer> server;

    Browser *openWindow(const QUrl &url)
    {
        auto *window = new Browser;
        QSignalSpy done(window->WebBrowser1, &WebEngine::DownloadComplete);
        window->show();
        done.wait(15000);
        window->WebBrowser1->Navigate(url.toString());
        return window;
    }

private Q_SLOTS:
    void initTestCase()
    {
        // A self-signed certificate, made for this run.
        const std::optional<QSslConfiguration> tls = LoopbackHttpServer::selfSignedTls(dir.path());
        QVERIFY(tls);
        server = std::make_unique<LoopbackHttpServer>(nullptr, &*tls);
        QVERIFY(server->isListening());
        server->route("/page", "text/html", "<title>Secure page</title>hello");
    }
    void cleanup() { deleteAllBrowsers(); }
    void cleanupTestCase() { server.reset(); }

    void errorPageOffersToContinueOnlyWhenAllowed()
    {
        const QUrl url(QStringLiteral("https://bad.test/<script>x</script>"));
        const QString passable = certificateErrorPage(url, QStringLiteral("It expired."), true);
        const QString fixed = certificateErrorPage(url, QStringLiteral("It expired."), false);
        for (const QString &page : {passable, fixed}) {
            QVERIFY(page.contains(QStringLiteral("bad.test")));
            QVERIFY(page.contains(QStringLiteral("It expired.")));
            QVERIFY(!page.contains(QStringLiteral("<script>")));
        }
        QVERIFY(passable.contains(QStringLiteral("Continue to this site anyway (unsafe)")));
        QVERIFY(!fixed.contains(QStringLiteral("Continue to this site anyway")));
    }

    void untrustedSiteIsRefusedUntilTheUserContinues()
    {
        Browser *window = openWindow(server->url("/page"));
        QTRY_COMPARE_WITH_TIMEOUT(title(window), QStringLiteral("Certificate not trusted"), 10000);
        const QString text = pageText(window);
        QVERIFY2(text.contains(QStringLiteral("127.0.0.1")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("not issued by an authority this computer trusts")), qPrintable(text));
        QVERIFY(!server->requests().contains("/page"));

        // Refresh asks again and is refused again: the page comes back once the reload is over
        // (it shows the bare address meanwhile, for as long as a busy machine takes).
        QSignalSpy reloaded(window->WebBrowser1, &WebEngine::DownloadComplete);
        window->Refreshbrw_Click();
        QVERIFY(reloaded.wait(10000));
        QTRY_COMPARE_WITH_TIMEOUT(title(window), QStringLiteral("Certificate not trusted"), 10000);
        QVERIFY(!server->requests().contains("/page"));

        static_cast<QtWebEngine *>(window->WebBrowser1)->page()->runJavaScript("document.querySelector('a').click()");
        QTRY_COMPARE_WITH_TIMEOUT(title(window), QStringLiteral("Secure page"), 10000);
        QVERIFY(server->requests().contains("/page"));

        // Accepted for that host in every window of this run; another host is still refused.
        Browser *second = openWindow(server->url("/page"));
        QTRY_COMPARE_WITH_TIMEOUT(title(second), QStringLiteral("Secure page"), 10000);
        Browser *other = openWindow(server->url("/page", QStringLiteral("localhost")));
        QTRY_COMPARE_WITH_TIMEOUT(title(other), QStringLiteral("Certificate not trusted"), 10000);
    }
};

QUILLON_TEST_MAIN(TestCertificates)
#include "test_certificates.moc"
