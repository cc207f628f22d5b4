// The address box, the address list, the toolbar and the engine's events, on a scripted engine.

#include "browser/address_history.h"
#include "browser/browser_window.h"
#include "browser/status_bar.h"
#include "banner/banner_player.h"
#include "common/failure.h"
#include "support/fake_engine.h"
#include "support/test_main.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

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
};

QUILLON_TEST_MAIN(TestBrowserNavigation)
#include "test_browser_navigation.moc"
