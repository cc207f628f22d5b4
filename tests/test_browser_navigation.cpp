// The address box, the address list, the toolbar and its keys, and the engine's events, on a
// scripted engine.

#include "browser/address_history.h"
#include "browser/browser_keys.h"
#include "browser/browser_window.h"
#include "browser/reading_view.h"
#include "browser/status_bar.h"
#include "banner/banner_player.h"
#include "common/failure.h"
#include "common/shared_dialog.h"
#include "prompts/downloads_window.h"
#include "support/fake_engine.h"
#include "support/test_main.h"
#include "support/windows.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QToolButton>
#include <QWindow>
#include <functional>

class TestBrowserNavigation : public QObject {
    Q_OBJECT
    Browser *window = nullptr;
    FakeEngine *engine = nullptr;
    QStringList m_uncaught;

    void navigateComplete(const QString &location, const QString &url)
    {
        engine->location = location;
        Q_EMIT engine->NavigateComplete2(engine, url);
    }
    QStringList items() const
    {
        QStringList list;
        for (int i = 0; i < window->ComboURL->count(); ++i)
            list << window->ComboURL->itemText(i);
        return list;
    }

    // The window's keys work while it is the active window (no window manager activates it here).
    static void activate(Browser *browser)
    {
        browser->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(browser));
        browser->WebBrowser1->control()->setFocus();
    }
    // Presses keys in the page area, where the focus is when a window opens.
    QStringList callsOf(QKeyCombination key)
    {
        engine->calls.clear();
        QTest::keyClick(window->WebBrowser1->control(), key.key(), key.keyboardModifiers());
        QCoreApplication::processEvents(); // a key the page leaves acts a moment later
        return engine->calls;
    }

    // Ctrl+Alt+R on the page: the reading view once it is shown with the keyboard, else null.
    ReadingView *openReadingView()
    {
        activate(window);
        callsOf(Qt::CTRL | Qt::ALT | Qt::Key_R);
        ReadingView *view = window->readingView();
        return view && QTest::qWaitFor([&] { return view->isVisible() && view->hasFocus(); }) ? view : nullptr;
    }

private Q_SLOTS:
    void initTestCase()
    {
        FakeEngine::install();
        UncaughtErrors::sink().set([this](const QString &m) { m_uncaught.append(m); });
    }
    void init()
    {
        m_uncaught.clear();
        window = new Browser;
        engine = FakeEngine::all().last();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        engine->calls.clear();
    }
    void cleanup() { delete window; }

    void enterPassesTheTextUnchangedAndEnablesBackAndStop()
    {
        window->ComboURL->setFocus();
        QTest::keyClicks(window->ComboURL, QStringLiteral("  Example.org/a b "));
        QTest::keyClick(window->ComboURL, Qt::Key_Return);
        QCOMPARE(engine->calls, QStringList({"Navigate(  Example.org/a b )"}));
        QVERIFY(window->toolbarButton(1)->isEnabled());
        QVERIFY(window->toolbarButton(4)->isEnabled());
        QCOMPARE(window->ComboURL->count(), 0); // only a completed navigation adds to the list
        QCOMPARE(window->ComboURL->currentText(), QStringLiteral("  Example.org/a b "));
    }

    // A page loaded from the box takes the keyboard, unless the user went back to work in the
    // box before it finished (a key or a click there), as when typing the next address.
    void aLoadedPageTakesTheKeyboardUnlessTheUserIsBackInTheBox()
    {
        const auto enterThen = [this](const std::function<void()> &meanwhile) {
            window->ComboURL->setFocus();
            QTest::keyClick(window->ComboURL, Qt::Key_Return);
            meanwhile();
            Q_EMIT engine->DownloadComplete();
            return window->focusWidget() == window->WebBrowser1->control();
        };
        QVERIFY(enterThen([] {}));
        QVERIFY(!enterThen([this] { QTest::keyClick(window->ComboURL, Qt::Key_End); }));
        QVERIFY(!enterThen([this] { QTest::mouseClick(window->ComboURL->lineEdit(), Qt::LeftButton); }));
        QVERIFY(enterThen([this] { QTest::keyClick(window->ComboURL, Qt::Key_Shift); }));
    }

    void emptyTextAndAFailingEngineStillEnableTheButtons()
    {
        engine->failing = {"Navigate"};
        QTest::mouseClick(window->Go, Qt::LeftButton);
        QCOMPARE(engine->calls, QStringList({"Navigate()"}));
        QVERIFY(window->toolbarButton(1)->isEnabled());
        QVERIFY(window->toolbarButton(4)->isEnabled());
        QVERIFY(m_uncaught.isEmpty()); // ignored silently
    }

    void historyKeepsOneCopyMostRecentFirst()
    {
        navigateComplete("A", "A");
        navigateComplete("B", "B");
        navigateComplete("A", "A");
        QCOMPARE(items(), QStringList({"A", "B"}));
        QCOMPARE(window->ComboURL->currentIndex(), 0);
        QCOMPARE(window->ComboURL->currentText(), QStringLiteral("A"));
        // Exact comparison: case and a trailing slash make different addresses.
        navigateComplete("a", "a");
        navigateComplete("A/", "A/");
        QCOMPARE(items(), QStringList({"A/", "a", "A", "B"}));
    }

    void listTakesTheEngineAddressAndTheBoxTheEventAddress()
    {
        navigateComplete("http://final.test/", "http://asked.test/");
        QCOMPARE(items(), QStringList({"http://final.test/"}));
        QCOMPARE(window->ComboURL->currentText(), QStringLiteral("http://asked.test/"));
    }

    void pickingFromTheListLoadsNothing()
    {
        navigateComplete("A", "A");
        navigateComplete("B", "B");
        engine->calls.clear();
        window->ComboURL->setCurrentIndex(1);
        QCOMPARE(window->ComboURL->currentText(), QStringLiteral("A"));
        QVERIFY(engine->calls.isEmpty());
    }

    void historyUpdateFailureReachesTheUncaughtHandler()
    {
        engine->failing = {"LocationURL"};
        Q_EMIT engine->NavigateComplete2(engine, QStringLiteral("x"));
        QCOMPARE(m_uncaught.size(), 1);
        QCOMPARE(window->ComboURL->count(), 0);
    }

    void longHistoryDropsTheOldestEntry()
    {
        QComboBox *combo = window->ComboURL;
        for (int i = 0; i < AddressHistory::maxItems; ++i)
            combo->addItem(QString::number(i));
        navigateComplete("new", "new");
        QCOMPARE(combo->count(), AddressHistory::maxItems);
        QCOMPARE(combo->itemText(0), QStringLiteral("new"));
        QCOMPARE(combo->itemText(combo->count() - 1), QString::number(AddressHistory::maxItems - 2));
    }

    void toolbarDispatchesOnTheExactKey()
    {
        for (int n = 1; n <= 6; ++n) {
            window->toolbarButton(n)->setEnabled(true);
            QTest::mouseClick(window->toolbarButton(n), Qt::LeftButton);
        }
        QCOMPARE(engine->calls,
                 QStringList({"GoBack", "GoForward", "ExecWB(22,0)", "Stop", "GoHome", "GoSearch"}));
        engine->calls.clear();
        window->toolbarButton(2)->setProperty("Key", QStringLiteral("Back"));
        window->Toolbar1_ButtonClick(window->toolbarButton(2));
        QVERIFY(engine->calls.isEmpty());
    }

    void disabledButtonsDoNotReactAndFailuresAreSilent()
    {
        QTest::mouseClick(window->toolbarButton(1), Qt::LeftButton);
        QVERIFY(engine->calls.isEmpty());
        engine->failing = {"GoForward"};
        QTest::mouseClick(window->toolbarButton(2), Qt::LeftButton);
        QVERIFY(m_uncaught.isEmpty());
        QVERIFY(window->toolbarButton(2)->isEnabled());
    }

    void downloadEventsWriteTheStatusAndSwapTheBanners()
    {
        Q_EMIT engine->DownloadBegin();
        QCOMPARE(window->StatusBar1->panelText(), QStringLiteral("Downloading Site  "));
        QVERIFY(window->ShockwaveFlash1->isVisible());
        QVERIFY(!window->ShockwaveFlash2->isVisible());
        window->ComboURL->setEditText(QStringLiteral("x"));
        Q_EMIT engine->DownloadComplete();
        QCOMPARE(window->StatusBar1->panelText(), QStringLiteral("Complete Download  x"));
        QVERIFY(!window->ShockwaveFlash1->isVisible());
        QVERIFY(!window->ShockwaveFlash1->isPlaying());
        QVERIFY(window->ShockwaveFlash2->isVisible());
    }

    void progressPlaysTheBusyBannerOnlyWhileBusy()
    {
        Q_EMIT engine->DownloadComplete();
        engine->busy = true;
        Q_EMIT engine->ProgressChange(10, 100);
        QVERIFY(window->ShockwaveFlash1->isPlaying()); // even though hidden
        QVERIFY(!window->ShockwaveFlash1->isVisible());
        engine->busy = false;
        Q_EMIT engine->ProgressChange(100, 100);
        QVERIFY(!window->ShockwaveFlash1->isPlaying());
    }

    void titleComesFirstInTheCaption()
    {
        Q_EMIT engine->TitleChange(QStringLiteral("Home"));
        QCOMPARE(window->windowTitle(), QStringLiteral("Home   --  Quillon 's Browser"));
        Q_EMIT engine->TitleChange(QString());
        QCOMPARE(window->windowTitle(), QStringLiteral("   --  Quillon 's Browser"));
        // Not Qt's modified-window mark: the title as the page has it.
        Q_EMIT engine->TitleChange(QStringLiteral("[*] and [*][*]"));
        QCOMPARE(window->windowHandle()->title(), QStringLiteral("[*] and [*][*]   --  Quillon 's Browser"));
    }

    void newWindowRequestGetsALoadedVisibleWindow()
    {
        const int before = BrowserWindows::count();
        const QString caption = window->windowTitle();
        WebEngine *handedBack = engine->requestNewWindow();
        QCOMPARE(BrowserWindows::count(), before + 1);
        auto *created = FakeEngine::all().last();
        QCOMPARE(handedBack, created);
        QCOMPARE(created->calls, QStringList({"RegisterAsBrowser=true", "GoHome", "RegisterAsBrowser=true"}));
        auto *newWindow = qobject_cast<Browser *>(created->control()->window());
        QVERIFY(newWindow && newWindow->isVisible());
        QVERIFY(!newWindow->toolbarButton(1)->isEnabled());
        QCOMPARE(window->windowTitle(), caption);
        QVERIFY(engine->calls.isEmpty());
        delete newWindow;
    }

    void keysPressTheirButtonsAndReachTheAddressBox()
    {
        activate(window);
        // Back and Stop are disabled until the first Go: their keys do nothing either.
        QCOMPARE(callsOf(Qt::ALT | Qt::Key_Left) + callsOf(Qt::Key_Escape), QStringList());
        QCOMPARE(callsOf(Qt::ALT | Qt::Key_Right), QStringList({"GoForward"}));
        QCOMPARE(callsOf(Qt::Key_F5) + callsOf(Qt::CTRL | Qt::Key_R), QStringList({"ExecWB(22,0)", "ExecWB(22,0)"}));
        window->Go_Click();
        engine->failing << QStringLiteral("GoBack"); // the button's policy: no message
        QCOMPARE(callsOf(Qt::ALT | Qt::Key_Left) + callsOf(Qt::Key_Escape), QStringList({"GoBack", "Stop"}));
        QVERIFY(m_uncaught.isEmpty());
        QCOMPARE(callsOf(Qt::CTRL | Qt::Key_A), QStringList({"ExecWB(17,0)"})); // as before

        window->ComboURL->setEditText(QStringLiteral("http://example.com/"));
        for (QKeyCombination key : {Qt::CTRL | Qt::Key_L, Qt::ALT | Qt::Key_D, QKeyCombination(Qt::Key_F6)}) {
            window->WebBrowser1->control()->setFocus();
            callsOf(key);
            QVERIFY(window->ComboURL->lineEdit()->hasFocus());
            QCOMPARE(window->ComboURL->lineEdit()->selectedText(), QStringLiteral("http://example.com/"));
        }
    }

    void windowKeysRunTheirCommands()
    {
        activate(window);
        QCOMPARE(callsOf(Qt::CTRL | Qt::Key_P), QStringList({"ExecWB(6,0)"})); // File > Print
        window->Go_Click();
        for (bool full : {true, false, true}) {
            QVERIFY(callsOf(Qt::Key_F11).isEmpty());
            QCOMPARE(window->isFullScreen(), full);
        }
        QVERIFY(callsOf(Qt::Key_Escape).isEmpty()); // leaves full screen, does not stop
        QVERIFY(!window->isFullScreen());
        QCOMPARE(callsOf(Qt::Key_Escape), QStringList({"Stop"}));
        // The developer tools, by either key; Ctrl+Shift+F12 is still File > Exit.
        QCOMPARE(callsOf(Qt::Key_F12) + callsOf(Qt::CTRL | Qt::SHIFT | Qt::Key_I),
                 QStringList({"DeveloperTools", "DeveloperTools"}));
        QCOMPARE(window->Exit->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F12));

        // Ctrl+U, even in the address box (where it would empty it): the source in a new window,
        // offline as this one is.
        window->ComboURL->setEditText(QStringLiteral("typed"));
        engine->location = QStringLiteral("http://example.com/a");
        engine->setOffline(true);
        window->ComboURL->setFocus();
        QTest::keyClick(window->ComboURL, Qt::Key_U, Qt::ControlModifier);
        QCOMPARE(window->ComboURL->currentText(), QStringLiteral("typed"));
        QScopedPointer<Browser> source(otherBrowser(window));
        QVERIFY(source);
        QCOMPARE(FakeEngine::all().last()->calls.mid(2),
                 QStringList({"Offline=true", "Navigate(view-source:http://example.com/a)"}));

        activate(window);
        callsOf(Qt::CTRL | Qt::Key_J); // the Downloads window, a key only now
        QVERIFY(SharedDialog<DownloadsWindow>::current()->isVisible());
        delete SharedDialog<DownloadsWindow>::current();
        activate(window);
        QPointer<Browser> closing = window;
        callsOf(Qt::CTRL | Qt::Key_W); // as the close box
        QTRY_VERIFY(!closing);
        window = nullptr;
    }

    // The page's words are text, never markup, whatever they hold; Esc and Ctrl+Alt+R go back.
    void readingViewShowsThePageAsPlainTextAndEscReturns()
    {
        engine->pageText = QStringLiteral(
            "{\"title\": \"<i>T</i>\", \"blocks\": ["
            "{\"kind\": \"text\", \"runs\": [{\"text\": \"<b>bold?</b> &amp; <img src=http://127.0.0.1:1/x>\"}]},"
            "{\"kind\": \"field\", \"label\": \"Name\", \"role\": \"text field\", \"value\": \"<u>Ada</u>\"}]}");
        ReadingView *view = openReadingView();
        QVERIFY(view);
        QCOMPARE(view->toPlainText(), QStringLiteral("<b>bold?</b> &amp; <img src=http://127.0.0.1:1/x>\n"
                                                     "Name: text field, <u>Ada</u>"));
        QCOMPARE(view->accessibleName(), QStringLiteral("Reading view: <i>T</i>"));
        QCOMPARE(engine->calls, QStringList{QStringLiteral("ReadPageText")});
        engine->calls.clear();
        QTest::keyClick(view, Qt::Key_Escape);
        QVERIFY(!view->isVisible() && window->WebBrowser1->control()->isVisible());
        QVERIFY(engine->calls.isEmpty()); // not Stop

        // A page the engine cannot read says so; a new page while the view is closed is not read.
        engine->pageText = QStringLiteral("{\"blocks\": [");
        Q_EMIT engine->DownloadComplete();
        QVERIFY(engine->calls.filter(QStringLiteral("ReadPageText")).isEmpty());
        callsOf(Qt::CTRL | Qt::ALT | Qt::Key_R);
        QTRY_COMPARE(view->toPlainText(), QStringLiteral("This page's text cannot be read."));
        QTest::keyClick(view, Qt::Key_R, Qt::ControlModifier | Qt::AltModifier);
        QVERIFY(!view->isVisible());
        QVERIFY(m_uncaught.isEmpty());
    }

    // Runs as a page splits them: blanks collapse, a link in two runs (words and an image) is one
    // link; Tab selects the links in turn, K and Enter follow one, the zoom keys are the view's.
    void readingViewLinksTabKAndEnter()
    {
        engine->pageText = QStringLiteral(
            "{\"title\": \"L\", \"cut\": true, \"blocks\": ["
            "{\"kind\": \"heading\", \"level\": 9, \"runs\": [{\"text\": \"  Top \\n\"}]},"
            "{\"kind\": \"text\", \"runs\": [{\"text\": \" See  \"}, {\"text\": \"one \", \"href\": \"http://x/1\"},"
            "{\"text\": \"logo\", \"image\": true, \"href\": \"http://x/1\"}, {\"text\": \" or \"},"
            "{\"text\": \"two\", \"href\": \"http://x/2\"}]}]}");
        ReadingView *view = openReadingView();
        QVERIFY(view);
        QCOMPARE(view->toPlainText(), QStringLiteral("Heading 6: Top\nSee one Image: logo or two\n"
                                                     "(The page goes on; the reading view shows its beginning.)"));
        QTest::keyClick(view, Qt::Key_Tab);
        QCOMPARE(view->textCursor().selectedText(), QStringLiteral("one Image: logo"));
        QTest::keyClick(view, Qt::Key_Tab);
        QCOMPARE(view->textCursor().selectedText(), QStringLiteral("two"));
        QTest::keyClick(view, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(view->textCursor().selectedText(), QStringLiteral("one Image: logo"));
        QTest::keyClick(view, Qt::Key_K); // from the link's start to the next one
        QCOMPARE(view->textCursor().position(), int(view->toPlainText().indexOf(QLatin1String("two"))));
        QTest::keyClick(view, Qt::Key_K); // none further: the caret stays
        QCOMPARE(view->textCursor().position(), int(view->toPlainText().indexOf(QLatin1String("two"))));
        engine->calls.clear();
        QTest::keyClick(view, Qt::Key_Minus, Qt::ControlModifier);
        QTest::keyClick(view, Qt::Key_Return);
        QCOMPARE(engine->calls, QStringList{QStringLiteral("Navigate(http://x/2)")});
        QVERIFY(window->toolbarButton(1)->isEnabled() && window->toolbarButton(4)->isEnabled());
        QTest::keyClick(view, Qt::Key_H, Qt::ShiftModifier);
        QCOMPARE(view->textCursor().position(), 0);
        QTest::keyClick(view, Qt::Key_Return); // not on a link: nothing loads
        QCOMPARE(engine->calls.size(), 1);
    }

    void zoomKeysZoomOnlyTheirWindow()
    {
        QScopedPointer<Browser> other(new Browser);
        other->show();
        FakeEngine *otherEngine = FakeEngine::all().last();
        activate(other.get());
        QTest::keyClick(other->WebBrowser1->control(), Qt::Key_Minus, Qt::ControlModifier);
        activate(window);
        for (const auto &[key, factor] : {std::pair{Qt::CTRL | Qt::Key_Equal, 1.1}, {Qt::CTRL | Qt::Key_Plus, 1.25},
                                          {Qt::CTRL | Qt::Key_Minus, 1.1}, {Qt::CTRL | Qt::Key_0, 1.0}}) {
            callsOf(key);
            QCOMPARE(engine->zoomFactor(), factor);
        }
        QCOMPARE(otherEngine->calls.filter(QStringLiteral("Zoom")), QStringList({"Zoom=0.9"}));
        QCOMPARE(BrowserKeys::zoomedIn(5.0), 5.0); // the ends hold
        QCOMPARE(BrowserKeys::zoomedOut(0.25), 0.25);
    }
};

QUILLON_TEST_MAIN(TestBrowserNavigation)
#include "test_browser_navigation.moc"
