// The page policy holds in every window: one opened by a page's own link gets the same
// offline blocking and local-file rule as any other, and page-supplied text in our dialogs
// is shown literally.

#include "browser/browser_window.h"
#include "dialogs/properties_dialog.h"
#include "engine/qtwebengine/qt_web_engine.h"
#include "support/loopback_http_server.h"
#include "support/test_main.h"
#include "support/windows.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {
// A link over the whole page, so a click anywhere follows it into a new window.
QByteArray opener(const QByteArray &target)
{
    return "<title>Opener</title><body style='margin:0'><a target=_blank href='" + target +
           "' style='display:block;width:100%;height:600px'>open</a></body>";
}

void write(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QtWebEngine *engineOf(Browser *window) { return static_cast<QtWebEngine *>(window->WebBrowser1); }

// Loads address in a new window, clicks its page and sets opened to the window the click opened.
void openThroughLink(const QString &address, Browser *&opened)
{
    auto *window = new Browser;
    window->show();
    QSignalSpy done(window->WebBrowser1, &WebEngine::DownloadComplete);
    QVERIFY(done.wait(15000));
    window->WebBrowser1->Navigate(address);
    QTRY_COMPARE_WITH_TIMEOUT(window->windowTitle().section(QStringLiteral("   --"), 0, 0), QStringLiteral("Opener"), 10000);
    const int before = BrowserWindows::count();
    QTest::qWait(300); // the first frame has to be up before the page takes clicks
    QTest::mouseClick(engineOf(window)->view()->focusProxy(), Qt::LeftButton, {}, QPoint(60, 60));
    QTRY_VERIFY_WITH_TIMEOUT(BrowserWindows::count() > before, 10000);
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *b = qobject_cast<Browser *>(w); b && b != window && b->isVisible())
            opened = b;
    QVERIFY(opened);
}

QString title(Browser *window) { return window->windowTitle().section(QStringLiteral("   --"), 0, 0); }
} // namespace

class TestPagePolicy : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { deleteAllBrowsers(); }

    void windowOpenedByALinkGoesOffline()
    {
        LoopbackHttpServer server;
        server.route("/opener", "text/html", opener("/second"));
        server.route("/second", "text/html", "<title>Second</title>second");
        Browser *opened = nullptr;
        openThroughLink(server.url("/opener").toString(), opened);
        if (QTest::currentTestFailed())
            return;
        QTRY_COMPARE_WITH_TIMEOUT(title(opened), QStringLiteral("Second"), 10000);

        opened->offline_Click();
        engineOf(opened)->page()->runJavaScript(
            "fetch('/probe').then(() => document.title = 'reached', () => document.title = 'blocked')");
        QTRY_COMPARE_WITH_TIMEOUT(title(opened), QStringLiteral("blocked"), 10000);
        opened->WebBrowser1->Navigate(server.url("/second?again").toString());
        QTest::qWait(1500);
        QVERIFY2(!server.requests().contains("/probe"), qPrintable(server.requests().join(' ')));
        QVERIFY(!server.requests().contains("/second?again"));
    }

    void localPageOpenedByALinkCannotReadOtherFiles()
    {
        QTemporaryDir dir, elsewhere;
        write(elsewhere.filePath("secret.txt"), "top secret");
        write(dir.filePath("opener.html"), opener("reader.html"));
        write(dir.filePath("reader.html"),
              "<title>reading</title><script>let r = 'blocked';"
              "try { const x = new XMLHttpRequest(); x.open('GET', \"" +
                  QUrl::fromLocalFile(elsewhere.filePath("secret.txt")).toEncoded() +
                  "\", false); x.send(); if (x.responseText.length) r = 'read'; } catch (e) {}"
                  "document.title = r;</script>");
        Browser *opened = nullptr;
        openThroughLink(dir.filePath("opener.html"), opened);
        if (QTest::currentTestFailed())
            return;
        QTRY_VERIFY2_WITH_TIMEOUT(title(opened) == "blocked" || title(opened) == "read",
                                  qPrintable(title(opened) + " " + opened->WebBrowser1->LocationURL()), 10000);
        QCOMPARE(title(opened), QStringLiteral("blocked"));
    }

    void propertiesShowPageTextLiterally()
    {
        PageFacts facts;
        facts.title = QStringLiteral("<b>x</b><img src=file:///etc/passwd>");
        facts.address = QStringLiteral("http://127.0.0.1/<i>y</i>");
        PageProperties dialog(facts);
        for (const char *name : {"title", "address"}) {
            auto *label = dialog.findChild<QLabel *>(name);
            QVERIFY(label);
            QCOMPARE(label->textFormat(), Qt::PlainText);
        }
        QCOMPARE(dialog.findChild<QLabel *>("title")->text(), facts.title);
        QCOMPARE(dialog.findChild<QLabel *>("address")->text(), facts.address);
    }
};

QUILLON_TEST_MAIN(TestPagePolicy)
#include "test_page_policy.moc"
