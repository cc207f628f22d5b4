// Typed addresses and keys with the real engine: host names and host:port load over http,
// words go to the search page, other schemes to the desktop, a malformed address gets our
// page; the toolbar keys and zoom reach the page; a title is shown literally in the caption.

#include "browser/browser_window.h"
#include "common/failure.h"
#include "engine/qtwebengine/qt_web_engine.h"
#include "support/loopback_http_server.h"
#include "support/test_main.h"
#include "support/windows.h"

#include <QComboBox>
#include <QDesktopServices>
#include <QLineEdit>
#include <QSignalSpy>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QWindow>

namespace {
QByteArray page(const char *title) { return QByteArray("<html><head><title>") + title + "</title></head></html>"; }

// Takes what the desktop would be handed.
class DesktopRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public Q_SLOTS:
    void open(const QUrl &url) { opened << url; }
};

QString run(QWebEnginePage *page, const QString &script)
{
    auto result = std::make_shared<std::optional<QString>>();
    page->runJavaScript(script, [result](const QVariant &v) { *result = v.toString(); });
    (void)QTest::qWaitFor([&] { return result->has_value(); }, 10000);
    return result->value_or(QStringLiteral("(no answer)"));
}
} // namespace

class TestEngineAddresses : public QObject {
    Q_OBJECT
    LoopbackHttpServer server;
    Browser *window = nullptr;
    QStringList m_uncaught;

    QtWebEngine *engine() const { return static_cast<QtWebEngine *>(window->WebBrowser1); }
    // Types into the address box and presses Enter, then waits for the load to finish.
    void typeAndEnter(const QString &text)
    {
        QSignalSpy done(window->WebBrowser1, &WebEngine::DownloadComplete);
        window->ComboURL->setEditText(text);
        QTest::keyClick(window->ComboURL, Qt::Key_Return);
        QVERIFY(done.wait(10000));
    }
    void press(QKeyCombination key)
    {
        QTest::keyClick(engine()->view()->focusProxy(), key.key(), key.keyboardModifiers());
    }

private Q_SLOTS:
    void initTestCase()
    {
        UncaughtErrors::sink().set([this](const QString &m) { m_uncaught.append(m); });
        server.route("/a", "text/html", page("Page A"));
        server.route("/b", "text/html", page("Page B [*] and [*][*]"));
    }
    void init()
    {
        m_uncaught.clear();
        window = new Browser;
        QSignalSpy done(window->WebBrowser1, &WebEngine::DownloadComplete);
        window->show();
        window->activateWindow();
        QVERIFY(done.wait(15000));
        QVERIFY(QTest::qWaitForWindowActive(window));
    }
    void cleanup()
    {
        deleteAllBrowsers();
        QVERIFY(m_uncaught.isEmpty());
    }

    void hostsLoadOverHttpAndTitlesShowLiterally()
    {
        const QString hostAndPort = server.url("/a").authority();
        typeAndEnter(hostAndPort + QStringLiteral("/a"));
        QCOMPARE(window->WebBrowser1->LocationURL(), server.url("/a").toString());
        typeAndEnter(QStringLiteral("localhost:%1/b").arg(server.url("/").port()));
        QCOMPARE(window->WebBrowser1->LocationURL(), QStringLiteral("http://localhost:%1/b").arg(server.url("/").port()));
        QCOMPARE(window->ComboURL->currentText(), window->WebBrowser1->LocationURL());
        // Qt reads "[*]" as its modified-window mark; the caption shows it as the page has it.
        const QString caption = QStringLiteral("Page B [*] and [*][*]   --  Quillon 's Browser");
        QTRY_COMPARE(window->windowHandle()->title(), caption);
    }

    void wordsOtherSchemesAndNonsense()
    {
        // Offline, the words are only filled in; the search itself would need the network.
        window->WebBrowser1->setOffline(true);
        typeAndEnter(QStringLiteral("quill & ink"));
        QCOMPARE(window->WebBrowser1->LocationURL(), QStringLiteral("qrc:/pages/search.html?q=quill %26 ink"));
        QCOMPARE(run(engine()->page(), "document.querySelector('input[name=q]').value"), QStringLiteral("quill & ink"));

        DesktopRecorder desktop;
        QDesktopServices::setUrlHandler(QStringLiteral("ftp"), &desktop, "open");
        window->ComboURL->setEditText(QStringLiteral("ftp://ftp.example.com/file"));
        window->Go_Click();
        QDesktopServices::unsetUrlHandler(QStringLiteral("ftp"));
        QCOMPARE(desktop.opened, QList<QUrl>({QUrl("ftp://ftp.example.com/file")}));

        typeAndEnter(QStringLiteral("http://["));
        QTRY_COMPARE(engine()->page()->title(), QStringLiteral("Address not valid"));
        QVERIFY(run(engine()->page(), "document.body.innerText").contains(QStringLiteral("http://[")));
    }

    void toolbarAndZoomKeysReachThePage()
    {
        typeAndEnter(server.url("/a").toString());
        typeAndEnter(QStringLiteral("localhost:%1/b").arg(server.url("/").port()));
        press(Qt::CTRL | Qt::Key_Equal);
        QCOMPARE(window->WebBrowser1->zoomFactor(), 1.1);
        QSignalSpy done(window->WebBrowser1, &WebEngine::DownloadComplete);
        press(Qt::ALT | Qt::Key_Left);
        QVERIFY(done.wait(10000));
        QCOMPARE(window->WebBrowser1->LocationURL(), server.url("/a").toString());
        // Another site in the same window keeps the window's zoom.
        QCOMPARE(window->WebBrowser1->zoomFactor(), 1.1);
        press(Qt::Key_F5);
        QVERIFY(done.wait(10000));
        press(Qt::CTRL | Qt::Key_L);
        QTRY_VERIFY(window->ComboURL->lineEdit()->hasFocus());
        QCOMPARE(window->ComboURL->lineEdit()->selectedText(), server.url("/a").toString());
    }
};

QUILLON_TEST_MAIN(TestEngineAddresses)
#include "test_engine_addresses.moc"
