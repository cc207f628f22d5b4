// Browsing with the real engine: the home page, typed addresses, redirects, failures,
// history, new windows only in answer to a click, finding on the page, and its reading view.

#include "app/accessible_windows.h"
#include "app/warm_start.h"
#include "browser/browser_window.h"
#include "browser/reading_view.h"
#include "browser/status_bar.h"
#include "banner/banner_player.h"
#include "common/failure.h"
#include "dialogs/find_dialog.h"
#include "engine/qtwebengine/setup/engine_warmer.h"
#include "engine/qtwebengine/qt_web_engine.h"
#include "support/loopback_http_server.h"
#include "support/test_main.h"
#include "support/windows.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QScreen>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTemporaryDir>
#include <QToolButton>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {
const QString suffix = QStringLiteral("   --  Quillon 's Browser");

QByteArray page(const char *title, const char *body = "")
{
    return QByteArray("<html><head><title>") + title + "</title></head><body>" + body + "</body></html>";
}
} // namespace

class TestEngineBrowsing : public QObject {
    Q_OBJECT
    LoopbackHttpServer server;
    QTemporaryDir dir;
    Browser *window = nullptr;
    QStringList m_uncaught;

    // Types into the address box and presses Enter, then waits for the load to finish.
    void typeAndEnter(const QString &address)
    {
        QSignalSpy done(window->WebBrowser1, &WebEngine::DownloadComplete);
        window->ComboURL->setFocus();
        window->ComboURL->lineEdit()->clear();
        QTest::keyClicks(window->ComboURL, address);
        QTest::keyClick(window->ComboURL, Qt::Key_Return);
        QVERIFY(done.wait(10000));
    }
    // Whether the page area shows the engine's find marks (yellow, the current one orange).
    static bool marked(Browser *browser)
    {
        // The page itself, not its scroll bar: newer engines leave the last search's ticks there.
        const QImage shot = browser->WebBrowser1->control()->grab().toImage();
        for (int y = 0; y < shot.height(); y += 2)
            for (int x = 0; x < shot.width() - 24; x += 2)
                if (const QColor c = shot.pixelColor(x, y); c.red() > 230 && c.green() > 140 && c.blue() < 80)
                    return true;
        return false;
    }
    QWidget *pageWidget() const
    {
        return static_cast<QtWebEngine *>(window->WebBrowser1)->view()->focusProxy();
    }

private Q_SLOTS:
    void initTestCase()
    {
        UncaughtErrors::sink().set([this](const QString &m) { m_uncaught.append(m); });
        QVERIFY(server.isListening());
        server.route("/a", "text/html", page("Page A"));
        server.route("/b", "text/html", page("Page B"));
        server.redirect("/old", server.url("/a"));
        server.route("/links", "text/html",
                     page("Links", "<a id=l href='/b' target='_blank' style='display:block;"
                                   "width:100%;height:400px'>open B</a>"));
        server.route("/needles", "text/html",
                     page("Needles", "<div style='height:3000px'>hay</div><p style='font-size:40px'>needle one</p>"
                                     "<p style='font-size:40px'>Needle two</p><p style='font-size:40px'>nEEDLE three</p>"));
        // The page's own scripts try to spoil what others read of it; the reading view's world
        // is not theirs.
        server.route("/article", "text/html",
                     page("Whale Watch",
                          "<h1>Whales today</h1><p>Three whales  were seen\n near the <b>harbour</b>.</p>"
                          "<h2>Where to look</h2><ul><li><a href='/b'>Page B</a></li><li><a href='/a'>Page A</a>"
                          "</li><li><a href='/a'><img src='/none.png' alt=''></a></li></ul>"
                          "<table><tr><th>Whale</th><th>Length</th></tr><tr><td>Blue</td><td>30 m</td></tr></table>"
                          "<img src='/whale.png' alt='A blue whale'><div style='display:none'>Hidden one</div>"
                          "<p hidden>Hidden two</p><p aria-hidden='true'>Hidden three <a href='/b'>x</a></p>"
                          "<form><label for=n>Your name</label> <input id=n value='Ada'>"
                          "<label><input type=checkbox checked> Send news</label><button>Send</button></form>"
                          "<iframe src='/frame'></iframe><p>&lt;b&gt;Plain&lt;/b&gt; at the end</p>"
                          "<script>JSON.stringify = () => '{\"blocks\":[]}'; getComputedStyle = null;</script>"));
        server.route("/frame", "text/html", page("Frame", "<p>Framed words</p>"));
        server.route("/popup", "text/html",
                     page("Popup", "<script>for (let i = 0; i < 20; ++i) window.open('/b');</script>"));
    }

    void init()
    {
        m_uncaught.clear();
        window = new Browser;
        QSignalSpy begin(window->WebBrowser1, &WebEngine::DownloadBegin);
        QSignalSpy navigated(window->WebBrowser1, &WebEngine::NavigateComplete2);
        QSignalSpy title(window->WebBrowser1, &WebEngine::TitleChange);
        QSignalSpy done(window->WebBrowser1, &WebEngine::DownloadComplete);
        window->show();
        QVERIFY(done.wait(15000));
        QCOMPARE(begin.size(), 1);
        QVERIFY(navigated.size() >= 1);
        QVERIFY(title.size() >= 1);
    }
    void cleanup()
    {
        deleteAllBrowsers();
        QVERIFY(m_uncaught.isEmpty());
    }

    void homePageLoadsIntoAFreshWindow()
    {
        QVERIFY(window->windowTitle().endsWith(suffix));
        QVERIFY(window->windowTitle().size() > suffix.size());
        QCOMPARE(window->ComboURL->itemText(0), QtWebEngine::homeUrl().toString());
        QCOMPARE(window->StatusBar1->panelText(),
                 QStringLiteral("Complete Download  ") + QtWebEngine::homeUrl().toString());
        QVERIFY(window->ShockwaveFlash2->isVisible());
        QVERIFY(!window->ShockwaveFlash1->isVisible());
    }

    void typedLocalPathLoads()
    {
        const QString path = dir.filePath(QStringLiteral("local page.html"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(page("Local"));
        file.close();
        typeAndEnter(path);
        QTRY_COMPARE(window->windowTitle(), QStringLiteral("Local") + suffix);
        QCOMPARE(window->ComboURL->itemText(0), QUrl::fromLocalFile(path).toString());
        QVERIFY(window->StatusBar1->panelText().startsWith(QStringLiteral("Complete Download  ")));
        QVERIFY(window->toolbarButton(1)->isEnabled());
    }

    void redirectPutsTheFinalAddressOnTop()
    {
        typeAndEnter(server.url("/old").toString());
        QTRY_COMPARE(window->windowTitle(), QStringLiteral("Page A") + suffix);
        QCOMPARE(window->ComboURL->itemText(0), server.url("/a").toString());
        QCOMPARE(window->WebBrowser1->LocationURL(), server.url("/a").toString());
    }

    void failedLoadsLeaveTheWindowConsistent()
    {
        typeAndEnter(QStringLiteral("http://127.0.0.1:1/"));
        QVERIFY(window->StatusBar1->panelText().startsWith(QStringLiteral("Complete Download  ")));
        QVERIFY(window->ShockwaveFlash2->isVisible());
        QVERIFY(!window->ShockwaveFlash1->isPlaying());
        typeAndEnter(dir.filePath(QStringLiteral("missing.html")));
        QVERIFY(window->ShockwaveFlash2->isVisible());
        QVERIFY(!window->WebBrowser1->Busy());
    }

    void backAndForwardStepThroughTheEnginesHistory()
    {
        typeAndEnter(server.url("/a").toString());
        typeAndEnter(server.url("/b").toString());
        QSignalSpy done(window->WebBrowser1, &WebEngine::DownloadComplete);
        QTest::mouseClick(window->toolbarButton(1), Qt::LeftButton);
        QVERIFY(done.wait(10000));
        QCOMPARE(window->WebBrowser1->LocationURL(), server.url("/a").toString());
        window->activateWindow(); // its keys work in the page too
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keyClick(pageWidget(), Qt::Key_Right, Qt::AltModifier);
        QVERIFY(done.wait(10000));
        QCOMPARE(window->WebBrowser1->LocationURL(), server.url("/b").toString());
    }

    void clickOnABlankTargetLinkOpensOneNewWindow()
    {
        typeAndEnter(server.url("/links").toString());
        const int before = BrowserWindows::count();
        const QString caption = window->windowTitle();
        QTRY_VERIFY(pageWidget());
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTest::qWait(300); // the first frame has to be up before the page takes clicks
        QTest::mouseClick(pageWidget(), Qt::LeftButton, {}, QPoint(60, 60));
        QTRY_COMPARE_WITH_TIMEOUT(BrowserWindows::count(), before + 1, 10000);
        Browser *opened = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *b = qobject_cast<Browser *>(w); b && b != window)
                opened = b;
        QVERIFY(opened && opened->isVisible());
        QVERIFY(!opened->toolbarButton(1)->isEnabled());
        QVERIFY(!opened->toolbarButton(4)->isEnabled());
        QTRY_COMPARE_WITH_TIMEOUT(opened->WebBrowser1->LocationURL(), server.url("/b").toString(), 10000);
        QTRY_COMPARE(opened->windowTitle(), QStringLiteral("Page B") + suffix);
        QCOMPARE(window->windowTitle(), caption);
    }

    void findMarksThePageAndKeepsTheAddressBoxSelection()
    {
        window = BrowserWindows::showFirst(); // the dialog's window
        QSignalSpy home(window->WebBrowser1, &WebEngine::DownloadComplete);
        QVERIFY(home.wait(15000));
        typeAndEnter(server.url("/needles").toString());
        QWebEnginePage *page = static_cast<QtWebEngine *>(window->WebBrowser1)->page();
        QSignalSpy results(page, &QWebEnginePage::findTextFinished);
        auto active = [&] { // the current occurrence, counted from 1; 0 when there is none
            return results.wait(10000) ? results.takeLast().constFirst().value<QWebEngineFindTextResult>().activeMatch()
                                       : -1;
        };
        QLineEdit *address = window->ComboURL->lineEdit();

        auto *find = Find1::shared();
        find->Text1->setText(QStringLiteral("NEEDLE"));
        QVERIFY(!marked(window));
        find->Find_Click();
        QCOMPARE(active(), 1); // of three, far down: scrolled into view
        QTRY_VERIFY(page->scrollPosition().y() > 2000 && marked(window));
        QCOMPARE(address->selectedText(), QStringLiteral("needle")); // the address box as ever
        QCOMPARE(address->selectionStart(), int(address->text().indexOf(QLatin1String("needle"))));
        for (int expected : {2, 3, 1, 2}) { // wrapping at the end
            find->Findnext_Click();
            QCOMPARE(active(), expected);
        }
        QVERIFY(!address->hasSelectedText()); // no second needle in the address

        // Closing takes the marks away; the next Find starts at the first again (not at the
        // occurrence the last search left selected); a text not on the page marks nothing.
        find->Cancel_Click();
        QTRY_VERIFY(!Find1::current() && !marked(window));
        find = Find1::shared();
        find->Text1->setText(QStringLiteral("needle"));
        find->Find_Click();
        QCOMPARE(active(), 1);
        QTRY_VERIFY(marked(window)); // as a person sees them before closing
        delete find;
        find = Find1::shared();
        find->Text1->setText(QStringLiteral("haystack"));
        find->Find_Click();
        QCOMPARE(active(), 0);
        QTest::qWait(300);
        QVERIFY(!marked(window));
        delete find;
    }

    void readingViewShowsThePageAsTextAndFollowsIt()
    {
        typeAndEnter(server.url("/article").toString());
        QTRY_COMPARE(window->windowTitle(), QStringLiteral("Whale Watch") + suffix);
        QTRY_VERIFY(server.requests().contains(QStringLiteral("/frame")));
        QTest::qWait(300); // the frame's words in place
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        const int requests = int(server.requests().size());
        QTest::keyClick(window, Qt::Key_R, Qt::ControlModifier | Qt::AltModifier);
        ReadingView *view = window->readingView();
        QVERIFY(view);
        QTRY_VERIFY(view->isCurrent() && view->hasFocus());
        QVERIFY(view->isVisible() && !window->WebBrowser1->control()->isVisible());
        QCOMPARE(view->geometry(), window->WebBrowser1->control()->geometry());
        QCOMPARE(view->accessibleName(), QStringLiteral("Reading view: Whale Watch"));
        const QString a = server.url("/a").toString();
        const QStringList expected{QStringLiteral("Heading 1: Whales today"),
                                   QStringLiteral("Three whales were seen near the harbour."),
                                   QStringLiteral("Heading 2: Where to look"),
                                   QStringLiteral("• Page B"), QStringLiteral("• Page A"), QStringLiteral("• ") + a,
                                   QStringLiteral("Whale | Length"), QStringLiteral("Blue | 30 m"),
                                   QStringLiteral("Image: A blue whale"),
                                   QStringLiteral("Your name: text field, Ada"),
                                   QStringLiteral("Send news: check box, checked"), QStringLiteral("Send: button"),
                                   QStringLiteral("Framed words"), QStringLiteral("<b>Plain</b> at the end")};
        QCOMPARE(view->toPlainText().split(QLatin1Char('\n')), expected);
        QCOMPARE(server.requests().size(), requests); // nothing fetched for the view

        const auto line = [view] { return view->textCursor().block().text(); };
        QCOMPARE(view->textCursor().position(), 0);
        QTest::keyClick(view, Qt::Key_H);
        QCOMPARE(line(), expected[2]);
        QTest::keyClick(view, Qt::Key_H); // no heading further on: the caret stays
        QCOMPARE(line(), expected[2]);
        QTest::keyClick(view, Qt::Key_H, Qt::ShiftModifier);
        QCOMPARE(line(), expected[0]);
        QTest::keyClick(view, Qt::Key_K);
        QCOMPARE(line(), expected[3]);
        QTest::keyClick(view, Qt::Key_K);
        QTest::keyClick(view, Qt::Key_K);
        QCOMPARE(line(), expected[5]);
        QTest::keyClick(view, Qt::Key_K, Qt::ShiftModifier);
        QCOMPARE(line(), expected[4]);
        QTest::keyClick(view, Qt::Key_Down);
        QCOMPARE(line(), expected[5]);

        const double size = view->font().pointSizeF();
        QTest::keyClick(view, Qt::Key_Equal, Qt::ControlModifier);
        QVERIFY(view->font().pointSizeF() > size);
        QCOMPARE(window->WebBrowser1->zoomFactor(), 1.0); // the page keeps its own

        // Enter on a link loads it in the page; the view reads the new page.
        QTest::keyClick(view, Qt::Key_K, Qt::ShiftModifier);
        QSignalSpy done(window->WebBrowser1, &WebEngine::DownloadComplete);
        QTest::keyClick(view, Qt::Key_Return);
        QVERIFY(done.wait(10000));
        QCOMPARE(window->WebBrowser1->LocationURL(), a);
        QTRY_COMPARE(view->accessibleName(), QStringLiteral("Reading view: Page A"));
        QTRY_VERIFY(view->isCurrent());
        QVERIFY(view->isVisible());

        // Esc is the view's own, not Stop: back to the page, with the keyboard.
        QTest::keyClick(view, Qt::Key_Escape);
        QVERIFY(!view->isVisible() && window->WebBrowser1->control()->isVisible());
        QTRY_VERIFY(window->WebBrowser1->control()->hasFocus() || pageWidget()->hasFocus());
    }

    void scriptedPopupsWithoutAClickOpenNothing()
    {
        const int before = BrowserWindows::count();
        typeAndEnter(server.url("/popup").toString());
        QTest::qWait(1000);
        QCOMPARE(BrowserWindows::count(), before);
    }

    // The warm start's off-screen view goes whatever the first window's page does: here that
    // window is built but never shown, so its page never loads.
    void warmUpViewGoesEvenIfTheFirstPageNeverLoads()
    {
        deleteAllBrowsers();
        QObject context;
        WarmStart::begin(&context);
        QTRY_VERIFY_WITH_TIMEOUT(EngineWarmer::isWarming() && BrowserWindows::first(), 10000);
        QVERIFY(!BrowserWindows::first()->isVisible());
        // Shown, but on no screen, never given the keyboard, and not among the windows assistive
        // technology is told of.
        AccessibleWindows::install();
        QAccessibleInterface *program = QAccessible::queryAccessibleInterface(qApp);
        int warm = 0;
        for (QWidget *view : QApplication::topLevelWidgets()) {
            if (!qobject_cast<QWebEngineView *>(view) || !view->isVisible())
                continue;
            ++warm;
            const QRect desktop = view->screen()->virtualGeometry();
            QVERIFY(!view->testAttribute(Qt::WA_Mapped) || !desktop.intersects(view->frameGeometry()));
            QVERIFY(!view->isActiveWindow());
            for (int i = 0; i < program->childCount(); ++i)
                QVERIFY(program->child(i)->object() != view);
        }
        QCOMPARE(warm, 1);
        QTRY_VERIFY_WITH_TIMEOUT(!EngineWarmer::isWarming(), 10000);
    }
};

QUILLON_TEST_MAIN(TestEngineBrowsing)
#include "test_engine_browsing.moc"
