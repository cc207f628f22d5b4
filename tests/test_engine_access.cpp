// What a page may reach beyond itself, on the real engine: the screen (asked for every share),
// the files the user picks in the program's dialogs (a save picker's file is the page's to
// write; more is asked), and the user's client certificates (the one chosen reaches the site).

#include "browser/browser_window.h"
#include "common/modal.h"
#include "engine/engine_host.h"
#include "engine/qtwebengine/qt_web_engine.h"
#include "support/loopback_http_server.h"
#include "support/test_main.h"
#include "support/windows.h"

#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebEngineView>
#include <QtWebEngineCoreVersion>
#include <memory>

namespace {
QString title(Browser *window) { return window->windowTitle().section(QStringLiteral("   --"), 0, 0); }
QtWebEngine *engineOf(Browser *window) { return static_cast<QtWebEngine *>(window->WebBrowser1); }

// A page that runs script when clicked; a failure shows as "failed:" and its name in the title.
QByteArray clickPage(const QByteArray &script)
{
    return "<title>ready</title><body style='margin:0'><div style='width:100%;height:600px' onclick='run()'>click"
           "</div><script>async function run() { try { " +
           script + " } catch (e) { document.title = 'failed:' + e.name; } }</script>";
}

// A test authority, two client certificates it issued (Ann and Bob Example) in the user's NSS
// database, and the server's own certificate, all made in the folder given.
const char *makeCertificates = R"(set -e; cd "$1"; mkdir -p .pki/nssdb; certutil -N -d sql:.pki/nssdb --empty-password
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj '/CN=127.0.0.1' \
  -addext subjectAltName=IP:127.0.0.1,DNS:localhost -keyout key.pem -out cert.pem
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj '/CN=Quillon Test Authority' -keyout ca.key -out ca.pem
echo extendedKeyUsage=clientAuth > client.ext
for n in Ann Bob; do openssl req -newkey rsa:2048 -nodes -subj "/CN=$n Example" -keyout $n.key -out $n.csr
  openssl x509 -req -in $n.csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile client.ext -out $n.pem
  openssl pkcs12 -export -in $n.pem -inkey $n.key -name $n -passout pass: -out $n.p12
  pk12util -i $n.p12 -d sql:.pki/nssdb -W ''; done)";
} // namespace

class TestEngineAccess : public QObject {
    Q_OBJECT
    QTemporaryDir home;
    LoopbackHttpServer server;
    std::unique_ptr<LoopbackHttpServer> secure;
    QList<PermissionQuestion> asked;
    bool allow = true;
    std::optional<Override<EngineHost::PermissionAsk>::Scoped> answering;

    // Loads path (in a new window when none is given), then clicks the page.
    Browser *clickedPage(const QString &path, Browser *window = nullptr)
    {
        if (window)
            window->WebBrowser1->Navigate(server.url(path).toString());
        else
            window = openWindow(server.url(path));
        [&] {
            QTRY_COMPARE_WITH_TIMEOUT(title(window), QStringLiteral("ready"), 10000);
            QVERIFY(QTest::qWaitForWindowExposed(window));
        }();
        click(window);
        return window;
    }

    static void click(Browser *window)
    {
        QTest::qWait(300); // the first frame has to be up before the page takes clicks
        QTest::mouseClick(engineOf(window)->view()->focusProxy(), Qt::LeftButton, {}, QPoint(60, 60));
    }

private Q_SLOTS:
    void initTestCase()
    {
        // The engine reads the user's certificates from ~/.pki/nssdb when it first needs them:
        // a home of the test's own, made before any page.
        QVERIFY(home.isValid());
        qputenv("HOME", QFile::encodeName(home.path()));
        QProcess make;
        make.setProcessChannelMode(QProcess::MergedChannels);
        make.start("bash", {"-c", makeCertificates, "bash", home.path()});
        QVERIFY(make.waitForFinished(60000));
        QVERIFY2(make.exitCode() == 0, make.readAll().constData());

        // A site that will not talk to anyone without a certificate from that authority.
        std::optional<QSslConfiguration> tls = LoopbackHttpServer::selfSignedTls(home.path()); // the one made above
        QVERIFY(tls);
        tls->setPeerVerifyMode(QSslSocket::VerifyPeer);
        tls->addCaCertificates(home.filePath("ca.pem"));
        secure = std::make_unique<LoopbackHttpServer>(nullptr, &*tls);
        secure->route("/page", "text/html", "<title>Secure page</title>hello");

        server.route("/share", "text/html",
                     clickPage("const s = await navigator.mediaDevices.getDisplayMedia({video: true});"
                               " document.title = 'shared:' + s.getVideoTracks().length; s.getTracks()[0].stop();"));
        server.route("/save", "text/html",
                     clickPage("const h = await showSaveFilePicker({suggestedName: 'notes.txt'});"
                               " const w = await h.createWritable(); await w.write('written by the page');"
                               " await w.close(); document.title = 'saved';"));
        server.route("/upload", "text/html",
                     clickPage("const input = document.createElement('input'); input.type = 'file'; input.click();"
                               " input.onchange = async () =>"
                               " document.title = 'read:' + (await input.files[0].text()).slice(0, 10);"));
        server.route("/edit", "text/html",
                     clickPage("const [h] = await showOpenFilePicker(); const text = await (await h.getFile()).text();"
                               " await h.createWritable().catch(e => { throw {name: text + ':' + e.name}; });"
                               " document.title = 'changed';"));
        answering.emplace(EngineHost::askPermission().scoped(
            [this](QWidget *, const PermissionQuestion &q, QObject *pending, std::function<void(bool)> reply) {
                asked << q;
                QTimer::singleShot(0, pending, [reply, yes = allow] { reply(yes); });
            }));
    }
    void init() { asked.clear(); }
    void cleanup() { deleteAllBrowsers(); }
    void cleanupTestCase()
    {
        answering.reset();
        secure.reset();
    }

    void screenSharingIsAskedForEveryShare()
    {
        QList<ScreenShareRequest> chooser;
        std::optional<ScreenShareChoice> choose = ScreenShareChoice{false, 0};
        auto restore = EngineHost::chooseScreen().scoped([&](QWidget *, const ScreenShareRequest &r, QObject *) {
            chooser << r;
            return choose;
        });
        allow = true;
        Browser *window = clickedPage("/share");
        QTRY_COMPARE_WITH_TIMEOUT(title(window), QStringLiteral("shared:1"), 15000);

        allow = false; // the next share is asked again, and refused
        choose.reset();
        click(window);
        QTRY_VERIFY_WITH_TIMEOUT(title(window).startsWith(QStringLiteral("failed:")), 15000);
#if QTWEBENGINECORE_VERSION >= QT_VERSION_CHECK(6, 7, 0)
        // The chooser is the question: the user's choice, or Cancel, is the whole answer.
        QCOMPARE(chooser.size(), 2);
        QCOMPARE(chooser[0].site, QStringLiteral("127.0.0.1"));
        QVERIFY(!chooser[0].screens.isEmpty());
        QVERIFY(asked.isEmpty());
#else
        QCOMPARE(title(window), QStringLiteral("failed:NotAllowedError"));
        QVERIFY(chooser.isEmpty());
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked[0].site, QStringLiteral("127.0.0.1"));
        QCOMPARE(asked[0].wants, QStringLiteral("share your whole screen"));
#endif
    }

    void filesComeFromTheProgramsDialogs()
    {
        QString target = home.filePath("ca.pem");
        QList<QFileDialog::AcceptMode> modes;
        QString suggested;
        auto restore = Modal::runner().scoped([&](QDialog *dialog) {
            auto *files = qobject_cast<QFileDialog *>(dialog);
            if (!files)
                return int(QDialog::Rejected);
            modes << files->acceptMode();
            suggested = files->selectedFiles().value(0);
            files->selectFile(target);
            return int(QDialog::Accepted);
        });
        // A file input: the program's dialog, the page reads what was chosen.
        Browser *window = clickedPage("/upload");
        QTRY_COMPARE_WITH_TIMEOUT(title(window), QStringLiteral("read:-----BEGIN"), 15000);
        QCOMPARE(modes, QList<QFileDialog::AcceptMode>{QFileDialog::AcceptOpen});

        target = home.filePath("notes.txt");
        clickedPage("/save", window);
#if QTWEBENGINECORE_VERSION >= QT_VERSION_CHECK(6, 5, 0)
        QTRY_COMPARE_WITH_TIMEOUT(title(window), QStringLiteral("saved"), 15000);
        QCOMPARE(modes.size(), 2);
        QCOMPARE(modes[1], QFileDialog::AcceptSave);
        QVERIFY2(suggested.endsWith(QStringLiteral("/notes.txt")), qPrintable(suggested));
        QFile saved(target);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), QByteArray("written by the page"));
        QVERIFY2(asked.isEmpty(), qPrintable(asked.value(0).wants)); // the picked file is the page's

        // A file only opened may be read; changing it is asked, and refused here. (The file
        // saved above is the page's to change: another one.)
        target = home.filePath("opened.txt");
        QFile opened(target);
        QVERIFY(opened.open(QIODevice::WriteOnly) && opened.write("written by the page") > 0);
        opened.close();
        allow = false;
        clickedPage("/edit", window);
        QTRY_COMPARE_WITH_TIMEOUT(title(window), QStringLiteral("failed:written by the page:NotAllowedError"), 15000);
        QCOMPARE(modes.size(), 3);
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].wants, QStringLiteral("save changes to \u201c%1\u201d").arg(target));
#else
        // This engine crashes once a page given a file by a picker moves on: it has none, and
        // pages fall back to a download or a file input.
        QTRY_COMPARE_WITH_TIMEOUT(title(window), QStringLiteral("failed:ReferenceError"), 15000);
        QCOMPARE(modes.size(), 1);
#endif
    }

    void theCertificateChosenReachesTheSite()
    {
        QList<ClientCertificateRequest> offered;
        std::optional<int> choose;
        bool send = true;
        auto restore = EngineHost::chooseClientCertificate().scoped(
            [&](QWidget *, const ClientCertificateRequest &request, QObject *) {
                offered << request;
                choose.reset();
                for (int i = 0; i < request.certificates.size(); ++i)
                    if (request.certificates[i].subject == QLatin1String("Bob Example"))
                        choose = i;
                return send ? choose : std::nullopt;
            });
        Browser *window = openWindow(secure->url("/page"));
        // The server's own certificate is one of the test's: passed as the user would.
        QTRY_COMPARE_WITH_TIMEOUT(title(window), QStringLiteral("Certificate not trusted"), 10000);
        engineOf(window)->page()->runJavaScript("document.querySelector('a').click()");
        QTRY_COMPARE_WITH_TIMEOUT(title(window), QStringLiteral("Secure page"), 15000);
        QCOMPARE(offered.size(), 1);
        QCOMPARE(offered[0].host, QStringLiteral("127.0.0.1"));
        QCOMPARE(offered[0].certificates.size(), 2);
        QVERIFY(choose);
        QCOMPARE(offered[0].certificates[*choose].issuer, QStringLiteral("Quillon Test Authority"));
        QVERIFY(offered[0].certificates[*choose].validUntil > QDateTime::currentDateTime().addDays(1));
        const QStringList peers = secure->peers(); // the page, and maybe its icon
        QCOMPARE(QSet<QString>(peers.cbegin(), peers.cend()), QSet<QString>{QStringLiteral("Bob Example")});

        // "Don't send": the site never sees a request; the engine's error page shows.
        send = false;
        window->WebBrowser1->Navigate(secure->url("/page", QStringLiteral("localhost")).toString());
        QTRY_COMPARE_WITH_TIMEOUT(title(window), QStringLiteral("Certificate not trusted"), 10000);
        engineOf(window)->page()->runJavaScript("document.querySelector('a').click()");
        QTRY_COMPARE_WITH_TIMEOUT(offered.size(), 2, 15000);
        QTest::qWait(1000);
        QVERIFY(title(window) != QStringLiteral("Secure page"));
        QCOMPARE(secure->requests().count(QStringLiteral("/page")), 1);
        QVERIFY(!secure->peers().contains(QString()));
    }
};

QUILLON_TEST_MAIN(TestEngineAccess)
#include "test_engine_access.moc"
