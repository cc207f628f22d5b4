// A site with an untrusted certificate is refused with a page of ours that names the host
// and the reason; "continue" passes only an error the engine lets the user pass, only for
// that host, and only for this run. A typed host name goes over https first and falls back to
// http, without that page, when the site has no working secure version.

#include "browser/browser_window.h"
#include "browser/status_bar.h"
#include "engine/qtwebengine/addresses/error_pages.h"
#include "engine/qtwebengine/qt_web_engine.h"
#include "engine/qtwebengine/addresses/secure_upgrade.h"
#include "support/loopback_http_server.h"
#include "support/test_main.h"
#include "support/windows.h"

#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QSslKey>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <memory>
#include <optional>

namespace {
// Test host names live on loopback addresses of their own (chosen at random, so that runs side
// by side do not meet), on the web's ports: 443 and 80. The engine is told where they are, and
// reads the certificate authorities it trusts from the home folder, which is a fresh one.
const QString prefix = QStringLiteral("127.%1.%2.")
                           .arg(QRandomGenerator::global()->bounded(1, 255))
                           .arg(QRandomGenerator::global()->bounded(1, 255));
QTemporaryDir home;
const bool engineEnvironment = [] {
    QStringList rules;
    const QStringList names{"secure.test", "closed.test", "untrusted.test", "silent.test"};
    for (int i = 0; i < names.size(); ++i)
        rules << QStringLiteral("MAP %1 %2%3").arg(names[i], prefix).arg(i + 1);
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--host-resolver-rules=\"" + rules.join(',').toLatin1() + '"');
    qputenv("HOME", home.path().toLocal8Bit());
    return true;
}();

QHostAddress hostAddress(int n) { return QHostAddress(prefix + QString::number(n)); }

// A certificate authority for this run, trusted in the engine's store under HOME, and a
// certificate it issued for secure.test; as a TLS configuration for the server.
std::optional<QSslConfiguration> trustedTls(const QString &folder)
{
    const auto run = [&](const QString &program, const QStringList &arguments) {
        QProcess process;
        process.setWorkingDirectory(folder);
        process.start(program, arguments);
        return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    };
    QFile extensions(folder + QStringLiteral("/leaf.ext"));
    const QString db = QStringLiteral("sql:") + home.path() + QStringLiteral("/.pki/nssdb");
    if (!extensions.open(QIODevice::WriteOnly) ||
        extensions.write("subjectAltName=DNS:secure.test\nextendedKeyUsage=serverAuth\n") < 0)
        return std::nullopt;
    extensions.close();
    if (!QDir(home.path()).mkpath(QStringLiteral(".pki/nssdb")) ||
        !run("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=Test Authority",
                         "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign",
                         "-keyout", "ca.key", "-out", "ca.pem"}) ||
        !run("openssl", {"req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=secure.test", "-keyout", "leaf.key",
                         "-out", "leaf.csr"}) ||
        !run("openssl", {"x509", "-req", "-in", "leaf.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial",
                         "-days", "2", "-extfile", "leaf.ext", "-out", "leaf.pem"}) ||
        !run("certutil", {"-N", "-d", db, "--empty-password"}) ||
        !run("certutil", {"-A", "-d", db, "-n", "Test Authority", "-t", "C,,", "-i", "ca.pem"}))
        return std::nullopt;
    return LoopbackHttpServer::tlsFrom(folder + QStringLiteral("/leaf.pem"), folder + QStringLiteral("/leaf.key"));
}

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
    QTemporaryDir authority;
    std::unique_ptr<LoopbackHttpServer> server;
    // Hosts 1 to 4: secure (a trusted certificate), closed (nothing on 443), untrusted
    // (self-signed), silent (443 takes the connection and never answers). Each serves http on 80.
    std::unique_ptr<LoopbackHttpServer> secure, untrusted;
    QTcpServer silent;
    std::vector<std::unique_ptr<LoopbackHttpServer>> plain;

    // Types text into the window's address box and presses GO.
    static void type(Browser *window, const QString &text)
    {
        window->ComboURL->setEditText(text);
        window->Go_Click();
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

        QVERIFY(engineEnvironment);
        const std::optional<QSslConfiguration> trusted = trustedTls(authority.path());
        QVERIFY2(trusted, "no test certificate authority (openssl, certutil)");
        secure = std::make_unique<LoopbackHttpServer>(nullptr, &*trusted, hostAddress(1), 443);
        untrusted = std::make_unique<LoopbackHttpServer>(nullptr, &*tls, hostAddress(3), 443);
        QVERIFY2(secure->isListening() && untrusted->isListening() && silent.listen(hostAddress(4), 443),
                 "ports 443 and 80 need root");
        secure->route("/", "text/html", "<title>Secure page</title>hello");
        // Its head and title at once, the rest over several seconds: slow, but answered.
        secure->route("/slow", "text/html", "<title>Slow secure page</title>" + QByteArray(60 * 8192, ' '), {},
                      LoopbackHttpServer::Delivery::Slowly);
        for (int n = 1; n <= 4; ++n) {
            plain.push_back(std::make_unique<LoopbackHttpServer>(nullptr, nullptr, hostAddress(n), 80));
            QVERIFY(plain.back()->isListening());
            plain.back()->route("/", "text/html", "<title>Plain page</title>hello");
        }
    }
    void cleanup() { deleteAllBrowsers(); }
    void cleanupTestCase()
    {
        server.reset();
        secure.reset();
        untrusted.reset();
        plain.clear();
    }

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

    void typedHostTriesHttpsFirst_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("fellBack");
        const QString ip = prefix + QStringLiteral("1");
        QTest::newRow("trusted") << "secure.test" << "Secure page" << "https://secure.test/" << false;
        QTest::newRow("slow but answered") << "secure.test/slow" << "Slow secure page" << "https://secure.test/slow"
                                           << false;
        QTest::newRow("nothing on 443") << "closed.test" << "Plain page" << "http://closed.test/" << true;
        QTest::newRow("untrusted") << "untrusted.test" << "Plain page" << "http://untrusted.test/" << true;
        QTest::newRow("no answer") << "silent.test" << "Plain page" << "http://silent.test/" << true;
        QTest::newRow("typed http") << "http://secure.test" << "Plain page" << "http://secure.test/" << false;
        QTest::newRow("IP address") << ip << "Plain page" << "http://" + ip + "/" << false;
    }

    void typedHostTriesHttpsFirst()
    {
        QFETCH(QString, typed);
        QFETCH(QString, title);
        QFETCH(QString, address);
        QFETCH(bool, fellBack);
        Browser *window = openWindow(QtWebEngine::homeUrl());
        QTRY_COMPARE_WITH_TIMEOUT(::title(window), QStringLiteral("Quillon's Home"), 10000);
        QWebEnginePage *page = static_cast<QtWebEngine *>(window->WebBrowser1)->page();
        const int entries = page->history()->count();
        const int secureConnections = secure->connections();
        QSignalSpy done(window->WebBrowser1, &WebEngine::DownloadComplete);
        QSignalSpy titles(window->WebBrowser1, &WebEngine::TitleChange);

        type(window, typed);
        QVERIFY(done.wait(20000));
        QCOMPARE(::title(window), title);
        QCOMPARE(window->WebBrowser1->LocationURL(), address);
        // Once, whole; and no page or history entry of the failed attempt.
        QCOMPARE(done.count(), 1);
        QCOMPARE(page->history()->count(), entries + 1);
        for (const QList<QVariant> &shown : titles)
            QVERIFY(shown.value(0).toString() != QStringLiteral("Certificate not trusted"));
        QCOMPARE(window->ComboURL->itemText(0), address);
        QCOMPARE(window->StatusBar1->panelText().contains(QStringLiteral("no secure version")), fellBack);
        if (!address.startsWith(QStringLiteral("https")) && !fellBack)
            QCOMPARE(secure->connections(), secureConnections); // straight to http
    }

    void stopEndsTheHttpsAttempt()
    {
        Browser *window = openWindow(QtWebEngine::homeUrl());
        QTRY_COMPARE_WITH_TIMEOUT(title(window), QStringLiteral("Quillon's Home"), 10000);
        const qsizetype requests = plain[3]->requests().size();
        type(window, QStringLiteral("silent.test"));
        QTest::qWait(1000);
        window->Stopbrw_Click();
        QTest::qWait(SecureUpgrade::answerMs + 2000);
        QCOMPARE(plain[3]->requests().size(), requests); // no fall-back after Stop
        QCOMPARE(title(window), QStringLiteral("Quillon's Home"));
    }
};

QUILLON_TEST_MAIN(TestCertificates)
#include "test_certificates.moc"
