// Hostile pages and careless input against the real window and engine: a dying renderer,
// pop-up floods and a sweep of bad addresses. Nothing may crash, hang, flood the desktop
// or show a message of the program's own.

#include "browser/browser_window.h"
#include "browser/status_bar.h"
#include "banner/banner_player.h"
#include "common/failure.h"
#include "engine/qtwebengine/qt_web_engine.h"
#include "support/loopback_http_server.h"
#include "support/test_main.h"
#include "support/windows.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <csignal>

class TestEngineRobustness : public QObject {
    Q_OBJECT
    LoopbackHttpServer server;
    QTemporaryDir dir;
    Browser *window = nullptr;
    QStringList m_uncaught;

    QtWebEngine *engine() const { return static_cast<QtWebEngine *>(window->WebBrowser1); }

    Browser *openLoadedWindow()
    {
        auto *w = new Browser;
        QSignalSpy done(w->WebBrowser1, &WebEngine::DownloadComplete);
        w->show();
        done.wait(15000);
        return w;
    }

    // Puts a text in the address box and presses Enter, as a paste then Enter would.
    void enter(const QString &address)
    {
        window->ComboURL->setFocus();
        window->ComboURL->setEditText(address);
        QTest::keyClick(window->ComboURL, Qt::Key_Return);
    }

    void clickPage()
    {
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTest::qWait(300); // the first frame has to be up before the page takes clicks
        QTest::mouseClick(engine()->view()->focusProxy(), Qt::LeftButton, {}, QPoint(60, 60));
    }

private Q_SLOTS:
    void initTestCase()
    {
        UncaughtErrors::sink().set([this](const QString &m) { m_uncaught.append(m); });
        server.route("/flood", "text/html",
                     "<title>Flood</title><script>for (let i = 0; i < 500; ++i) window.open('/x' + i);</script>");
        server.route("/clickflood", "text/html",
                     "<title>Click flood</title><body style='margin:0'><div id=d style='width:100%;"
                     "height:500px' onclick='for (let i = 0; i < 500; ++i) window.open(\"/x\" + i)'>"
                     "click</div></body>");
        server.route("/page", "text/html", "<title>Page</title>hello");
    }
    void init()
    {
        m_uncaught.clear();
        window = openLoadedWindow();
    }
    void cleanup()
    {
        deleteAllBrowsers();
        QVERIFY2(m_uncaught.isEmpty(), qPrintable(m_uncaught.join('\n')));
    }

    void deadRendererLeavesTheWindowWorking()
    {
        Browser *other = openLoadedWindow();
        const QString otherTitle = other->windowTitle();
        QSignalSpy loaded(window->WebBrowser1, &WebEngine::DownloadComplete);
        enter(server.url("/page").toString());
        QVERIFY(loaded.wait(10000));
        const qint64 pid = engine()->page()->renderProcessPid();
        QVERIFY(pid > 0);
        QSignalSpy terminated(engine()->page(), &QWebEnginePage::renderProcessTerminated);
        ::kill(pid_t(pid), SIGKILL);
        QVERIFY(terminated.wait(10000));

        // The page area explains, once: no reload loop.
        QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QStringLiteral("Page stopped   --  Quillon 's Browser"), 10000);
        QVERIFY(window->isVisible());
        QTRY_VERIFY(window->ShockwaveFlash2->isVisible());
        QVERIFY(!window->ShockwaveFlash1->isVisible());
        QTest::qWait(1000);
        QCOMPARE(terminated.size(), 1);
        QCOMPARE(server.requests().filter("/page").size(), 1);

        // Refresh loads the page that stopped, not the explanation; the other window never noticed.
        window->Refreshbrw_Click();
        QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle(), QStringLiteral("Page   --  Quillon 's Browser"), 10000);
        QCOMPARE(server.requests().filter("/page").size(), 2);
        QCOMPARE(other->windowTitle(), otherTitle);
    }

    void popupFloodOnLoadOpensNothing()
    {
        const int before = BrowserWindows::count();
        QSignalSpy loaded(window->WebBrowser1, &WebEngine::DownloadComplete);
        enter(server.url("/flood").toString());
        QVERIFY(loaded.wait(10000));
        QTest::qWait(1000);
        QCOMPARE(BrowserWindows::count(), before);
    }

    void popupFloodFromOneClickOpensAtMostOne()
    {
        const int before = BrowserWindows::count();
        QSignalSpy loaded(window->WebBrowser1, &WebEngine::DownloadComplete);
        enter(server.url("/clickflood").toString());
        QVERIFY(loaded.wait(10000));
        clickPage();
        QTRY_VERIFY_WITH_TIMEOUT(BrowserWindows::count() > before, 10000);
        QTest::qWait(1500);
        qInfo("windows opened by a 500-pop-up click: %d", BrowserWindows::count() - before);
        QCOMPARE(BrowserWindows::count(), before + 1);
    }

    void badAddressesEndSoundly_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("empty") << QString();
        QTest::newRow("1 MB") << QStringLiteral("http://127.0.0.1/") + QString(1 << 20, QLatin1Char('a'));
        QTest::newRow("control characters") << QStringLiteral("http://exa\x01mple\x7f.test/\x1b[31m\r\n\t");
        QTest::newRow("lone NUL") << QString(QChar(0));
        QTest::newRow("javascript") << QStringLiteral("javascript:document.title='owned'");
        QTest::newRow("unknown scheme") << QStringLiteral("quux://nowhere/at/all");
        QTest::newRow("folder") << QDir::tempPath();
        QTest::newRow("missing file") << QStringLiteral("/no/such/file.html");
        QTest::newRow("malformed IPv6") << QStringLiteral("http://[::1::zz]:80/");
        QTest::newRow("spaces and letters") << QStringLiteral("/tmp/ça va/ü ñ 页.html");
    }

    void badAddressesEndSoundly()
    {
        QFETCH(QString, address);
        QSignalSpy loaded(window->WebBrowser1, &WebEngine::DownloadComplete);
        QElapsedTimer clock;
        clock.start();
        enter(address);
        // Either the engine refuses at once (nothing loads) or it finishes with its error page.
        loaded.wait(3000);
        QTRY_VERIFY_WITH_TIMEOUT(!window->WebBrowser1->Busy(), 3000);
        QVERIFY(clock.elapsed() < 5000);
        QVERIFY(window->isVisible());
        QVERIFY(!window->windowTitle().startsWith(QStringLiteral("owned")));
        QVERIFY(window->toolbarButton(1)->isEnabled());
    }

    void historyOverFortyThousandItems()
    {
        QComboBox *combo = window->ComboURL;
        QStringList many;
        for (int i = 0; i < 40000; ++i)
            many << QStringLiteral("http://item%1.test/").arg(i);
        combo->clear();
        combo->addItems(many);
        QElapsedTimer clock;
        clock.start();
        Q_EMIT window->WebBrowser1->NavigateComplete2(window->WebBrowser1, QStringLiteral("x"));
        qInfo("history update over 40,000 items: %lld ms", clock.elapsed());
        QVERIFY(clock.elapsed() < 2000);
        QCOMPARE(combo->count(), 40000); // an over-full list does not grow: the oldest goes
        QCOMPARE(combo->itemText(0), window->WebBrowser1->LocationURL());
        QCOMPARE(combo->itemText(39999), many.at(39998));
    }
};

QUILLON_TEST_MAIN(TestEngineRobustness)
#include "test_engine_robustness.moc"
