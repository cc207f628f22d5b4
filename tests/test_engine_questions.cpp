// The questions a page asks are each answered, in the page's own window: sign-in, permissions,
// full screen and page dialogs. Answers come through the engine's host as a user would give
// them; the page must see the result and never wait forever.

#include "browser/browser_window.h"
#include "engine/engine_host.h"
#include "engine/qtwebengine/qt_web_engine.h"
#include "support/loopback_http_server.h"
#include "support/test_main.h"
#include "support/windows.h"

#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTimer>
#include <QWebEngineView>

namespace {
QString title(Browser *window) { return window->windowTitle().section(QStringLiteral("   --"), 0, 0); }
QtWebEngine *engineOf(Browser *window) { return static_cast<QtWebEngine *>(window->WebBrowser1); }

// A page whose body is one large block that runs script when clicked.
QByteArray clickPage(const QByteArray &onClick, const QByteArray &extra = QByteArray())
{
    return "<title>ready</title><body style='margin:0'><div style='width:100%;height:600px' onclick=\"" + onClick +
           "\">click</div><script>" + extra + "</script></body>";
}
} // namespace

class TestEngineQuestions : public QObject {
    Q_OBJECT
    LoopbackHttpServer server;

    Browser *openWindow(const QString &path) { return ::openWindow(server.url(path)); }

    static void click(Browser *window)
    {
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTest::qWait(300); // the first frame has to be up before the page takes clicks
        QTest::mouseClick(engineOf(window)->view()->focusProxy(), Qt::LeftButton, {}, QPoint(60, 60));
    }

private Q_SLOTS:
    void initTestCase()
    {
        server.route("/page", "text/html", "<title>Page</title>page");
        server.route("/private", "text/html", "<title>Inside</title>inside");
        server.protect("/private", "Staff area", "ann:secret");
        server.route("/other", "text/html", "<title>Other inside</title>inside");
        server.protect("/other", "Other area", "bob:pw");
        // Pages that ask as soon as they load.
        auto asking = [this](const QString &path, const QByteArray &script) {
            server.route(path, "text/html", "<title>asking</title><script>" + script + "</script>");
        };
        asking("/geo", "navigator.geolocation.getCurrentPosition(() => document.title = 'geo:ok',"
                       " e => document.title = 'geo:' + e.code);");
        asking("/notify", "Notification.requestPermission().then(p => document.title = 'notify:' + p);");
        asking("/dialogs", "alert('hello <b>there</b>'); const c = confirm('sure?');"
                           "const p = prompt('name?', 'x'); document.title = c + '|' + p;");
        asking("/loop", "for (let i = 0; i < 20; ++i) alert(i); document.title = 'done';");
        asking("/endless", "for (;;) alert('again');");
        server.route("/full", "text/html",
                     clickPage("document.documentElement.requestFullscreen().then(() => document.title = 'full', "
                               "() => document.title = 'refused')",
                               "document.onfullscreenchange = () => { if (!document.fullscreenElement) "
                               "document.title = 'left'; };"));
        server.route("/leave", "text/html",
                     clickPage("document.title = 'clicked'",
                               "onbeforeunload = e => { e.preventDefault(); e.returnValue = 'unsaved'; };"));
        server.route("/opener", "text/html", clickPage("window.open('/closer')"));
        server.route("/closer", "text/html",
                     "<title>Closer</title><script>setTimeout(() => window.close(), 300);</script>");
    }
    void cleanup() { deleteAllBrowsers(); }

    void signInReachesTheServerAndCancelShowsItsPage()
    {
        QList<SignInRequest> asked;
        std::optional<Credentials> give = Credentials{QStringLiteral("ann"), QStringLiteral("secret")};
        auto restore = EngineHost::signIn().scoped([&](QWidget *area, const SignInRequest &request) {
            asked << request;
            [&] { QVERIFY(area && area->window()->isVisible()); }();
            return give;
        });
        Browser *window = openWindow("/private");
        QTRY_COMPARE_WITH_TIMEOUT(title(window), QStringLiteral("Inside"), 10000);
        QCOMPARE(asked.size(), 1);
        QCOMPARE(asked[0].host, QStringLiteral("127.0.0.1"));
        QCOMPARE(asked[0].realm, QStringLiteral("Staff area"));
        QVERIFY(!asked[0].proxy);
        QVERIFY(server.authorizations().contains("Basic " + QByteArray("ann:secret").toBase64()));

        give.reset(); // Cancel: the server's own page, asked once, no empty credentials sent
        window->WebBrowser1->Navigate(server.url("/other").toString());
        QTRY_COMPARE_WITH_TIMEOUT(title(window), QStringLiteral("Not signed in"), 10000);
        QTest::qWait(300);
        QCOMPARE(asked.size(), 2);
        QCOMPARE(asked[1].realm, QStringLiteral("Other area"));
        const QList<QByteArray> authorizations = server.authorizations();
        const QSet<QByteArray> sent(authorizations.cbegin(), authorizations.cend());
        QCOMPARE(sent, QSet<QByteArray>{"Basic " + QByteArray("ann:secret").toBase64()});
    }

    void permissionsAreAnsweredRememberedAndWithdrawn()
    {
        QList<PermissionQuestion> asked;
        QList<QPointer<QObject>> open;
        bool allow = false;
        bool answer = true;
        auto restore = EngineHost::askPermission().scoped(
            [&](QWidget *, const PermissionQuestion &q, QObject *pending, std::function<void(bool)> reply) {
                asked << q;
                open << pending;
                if (answer)
                    QTimer::singleShot(0, pending, [reply, allow] { reply(allow); });
            });
        Browser *window = openWindow("/geo");
        QTRY_COMPARE_WITH_TIMEOUT(asked.size(), 1, 10000);
        QElapsedTimer clock;
        clock.start();
        QTRY_COMPARE_WITH_TIMEOUT(title(window), QStringLiteral("geo:1"), 1000); // PERMISSION_DENIED
        qInfo("geolocation settled %lld ms after the question", clock.elapsed());
        QCOMPARE(asked[0].site, QStringLiteral("127.0.0.1"));
        QCOMPARE(asked[0].wants, QStringLiteral("know your location"));

        // The same site is not asked again in this run, in any window.
        Browser *second = openWindow("/geo");
        QTRY_COMPARE_WITH_TIMEOUT(title(second), QStringLiteral("geo:1"), 10000);
        QCOMPARE(asked.size(), 1);

        allow = true;
        window->WebBrowser1->Navigate(server.url("/notify").toString());
        QTRY_COMPARE_WITH_TIMEOUT(title(window), QStringLiteral("notify:granted"), 10000);
        QCOMPARE(asked.last().wants, QStringLiteral("show notifications"));

        // Unanswered, the question goes when the page moves on.
        answer = false;
        window->WebBrowser1->Navigate(server.url("/geo").toString().replace("127.0.0.1", "localhost"));
        QTRY_COMPARE_WITH_TIMEOUT(asked.size(), 3, 10000);
        QVERIFY(open.last());
        window->WebBrowser1->Navigate(server.url("/page").toString());
        QTRY_VERIFY_WITH_TIMEOUT(open.last().isNull(), 10000);
    }

    void fullScreenFollowsAClickAndEscLeavesIt()
    {
        Browser *window = openWindow("/full");
        QTRY_COMPARE_WITH_TIMEOUT(title(window), QStringLiteral("ready"), 10000);
        click(window);
        QTRY_COMPARE_WITH_TIMEOUT(title(window), QStringLiteral("full"), 5000);
        auto *full = window->findChild<QWidget *>(QStringLiteral("fullScreenView"));
        QVERIFY(full);
        QTRY_VERIFY(full->isFullScreen());
        QTest::keyClick(full, Qt::Key_Escape);
        QTRY_COMPARE_WITH_TIMEOUT(title(window), QStringLiteral("left"), 10000);
        QTRY_VERIFY(!window->findChild<QWidget *>(QStringLiteral("fullScreenView")));
    }

    void pageDialogsGetTheirAnswersAndALoopCanBeStopped()
    {
        QList<PageDialogRequest> asked;
        auto restore = EngineHost::pageDialog().scoped([&](QWidget *, const PageDialogRequest &r, QObject *) {
            asked << r;
            return PageDialogAnswer{true, QStringLiteral("Ann"), r.offerToStop};
        });
        Browser *window = openWindow("/dialogs");
        QTRY_COMPARE_WITH_TIMEOUT(title(window), QStringLiteral("true|Ann"), 10000);
        QCOMPARE(asked.size(), 3);
        QCOMPARE(asked[0].kind, PageDialogKind::Alert);
        QCOMPARE(asked[0].message, QStringLiteral("hello <b>there</b>"));
        QCOMPARE(asked[0].site, QStringLiteral("127.0.0.1"));
        QCOMPARE(asked[1].kind, PageDialogKind::Confirm);
        QCOMPARE(asked[2].kind, PageDialogKind::Prompt);
        QCOMPARE(asked[2].text, QStringLiteral("x"));

        asked.clear();
        window->WebBrowser1->Navigate(server.url("/loop").toString());
        QTRY_COMPARE_WITH_TIMEOUT(title(window), QStringLiteral("done"), 10000);
        QCOMPARE(asked.size(), 3); // the third offered to stop, and the user took it
        QVERIFY(!asked[1].offerToStop);
        QVERIFY(asked[2].offerToStop);
    }

    void alertLoopKeepsOtherWindowsUsableAndItsWindowClosable()
    {
        // The real dialogs, which nobody answers. While one is up, this test runs inside its
        // wait, so the steps are driven from a timer, as a user's clicks would be.
        Browser *other = openWindow("/page");
        QTRY_COMPARE_WITH_TIMEOUT(title(other), QStringLiteral("Page"), 10000);
        Browser *looping = openWindow("/endless");
        QPointer<Browser> guard(looping);
        bool blocksNoOtherWindow = false, otherTakesKeys = false, ownWindowTakesNoKeys = false;
        QTimer steps;
        connect(&steps, &QTimer::timeout, this, [&] {
            auto *dialog = guard ? looping->findChild<QDialog *>(QStringLiteral("pageDialog")) : nullptr;
            if (!dialog || !dialog->isVisible())
                return;
            steps.stop();
            blocksNoOtherWindow = !QApplication::activeModalWidget();
            other->ComboURL->setEditText(QString());
            QTest::keyClicks(other->ComboURL, "typed");
            otherTakesKeys = other->ComboURL->currentText() == QLatin1String("typed");
            looping->ComboURL->setEditText(QString());
            QTest::keyClicks(looping->ComboURL, "typed");
            ownWindowTakesNoKeys = looping->ComboURL->currentText().isEmpty();
            looping->close(); // as its close box does
        });
        steps.start(50);
        QTRY_VERIFY_WITH_TIMEOUT(guard.isNull(), 20000);
        QVERIFY(blocksNoOtherWindow);
        QVERIFY(otherTakesKeys);
        QVERIFY(ownWindowTakesNoKeys);
        other->WebBrowser1->Navigate(server.url("/page?again").toString());
        QTRY_VERIFY_WITH_TIMEOUT(server.requests().contains("/page?again"), 10000);
    }

    void closingAsksThePageAndAPageMayCloseItsOwnWindow()
    {
        QList<PageDialogKind> asked;
        bool leave = false;
        auto restore = EngineHost::pageDialog().scoped([&](QWidget *, const PageDialogRequest &r, QObject *) {
            asked << r.kind;
            return PageDialogAnswer{leave, QString(), false};
        });
        Browser *window = openWindow("/leave");
        QTRY_COMPARE_WITH_TIMEOUT(title(window), QStringLiteral("ready"), 10000);
        click(window); // a page may ask only after the user has used it
        QTRY_COMPARE_WITH_TIMEOUT(title(window), QStringLiteral("clicked"), 10000);
        QPointer<Browser> guard(window);
        window->close();
        QTRY_COMPARE_WITH_TIMEOUT(asked.size(), 1, 10000);
        QCOMPARE(asked[0], PageDialogKind::Leave);
        QTest::qWait(3500); // "stay" keeps the window, past the wait for an unanswering page
        QVERIFY(guard && window->isVisible());
        leave = true;
        window->close();
        QTRY_VERIFY_WITH_TIMEOUT(guard.isNull(), 10000);

        // window.close() from a window the page opened closes that window.
        Browser *opener = openWindow("/opener");
        QTRY_COMPARE_WITH_TIMEOUT(title(opener), QStringLiteral("ready"), 10000);
        const int before = BrowserWindows::count();
        click(opener);
        QTRY_COMPARE_WITH_TIMEOUT(BrowserWindows::count(), before + 1, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(BrowserWindows::count(), before, 10000);
        QVERIFY(opener->isVisible());
    }
};

QUILLON_TEST_MAIN(TestEngineQuestions)
#include "test_engine_questions.moc"
