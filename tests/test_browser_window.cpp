// The browser window's definition and its load and close sequences, on a scripted engine.

#include "browser/browser_window.h"
#include "browser/status_bar.h"
#include "banner/banner_player.h"
#include "common/failure.h"
#include "common/twips.h"
#include "support/fake_engine.h"
#include "support/test_main.h"

#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QToolButton>

class TestBrowserWindow : public QObject {
    Q_OBJECT
    QStringList m_uncaught;

private Q_SLOTS:
    void initTestCase()
    {
        FakeEngine::install();
        UncaughtErrors::sink().set([this](const QString &m) { m_uncaught.append(m); });
    }
    void init() { m_uncaught.clear(); }

    void newWindowMatchesItsDefinition()
    {
        Browser window;
        QCOMPARE(window.windowTitle(), QStringLiteral("Quillon 's Browser"));
        QCOMPARE(window.ComboURL->currentText(), QString());
        QCOMPARE(window.ComboURL->count(), 0);
        QCOMPARE(window.StatusBar1->panelText(), QStringLiteral("Welcome To Your Own Browser"));
        QCOMPARE(window.toolbarButton(6)->toolTip(), QStringLiteral("Serach Page"));
        QCOMPARE(window.toolbarButton(1)->property("Key").toString(), QStringLiteral("back"));
        QCOMPARE(window.New->text(), QStringLiteral("&New "));
        QCOMPARE(window.SaveAs->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
        QVERIFY(window.Save->shortcut().isEmpty());
        QCOMPARE(window.Exit->shortcut(), QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_F12));
        QCOMPARE(window.Find->text(), QStringLiteral("&Find(on this page)"));

        QStringList menus;
        for (QAction *action : window.menuBar()->actions())
            menus << action->text();
        QCOMPARE(menus, QStringList({"&File", "&Edit", "&View", "F&avourites", "&Tools", "&Help"}));
        // Every menu holds exactly its designed items, nothing added (the window's other keys
        // are not menu items).
        QStringList items;
        for (QAction *menu : window.menuBar()->actions())
            for (QAction *item : menu->menu()->actions())
                items << menu->menu()->objectName() + QLatin1Char(' ')
                             + (item->isSeparator() ? QStringLiteral("-") : item->text())
                             + QLatin1Char(' ') + item->shortcut().toString();
        QCOMPARE(items, QStringList({"File &New  Ctrl+N", "File &Open Ctrl+O", "File &Save ",
                                     "File Save &As Ctrl+S", "File - ", "File Page Set&up ", "File &Print ",
                                     "File Print Pre&view ", "File - ", "File Prope&rties ", "File O&ffline ",
                                     "File &Exit Ctrl+Shift+F12", "Edit Cu&t Ctrl+X", "Edit &Copy Ctrl+C",
                                     "Edit &Paste Ctrl+V", "Edit - ", "Edit Select A&ll Ctrl+A", "Edit - ",
                                     "Edit &Find(on this page) Ctrl+F", "View &Stop ", "View &Refresh ",
                                     "Favourites &Add To Favourites ", "Tools Internet &Options ",
                                     "Help &About Us "}));

        QVERIFY(!window.isLoaded());
        QVERIFY(FakeEngine::all().last()->calls.isEmpty()); // nothing loads before the load sequence

        // Both banners share one spot, both playing; the idle banner lies on top.
        window.show();
        const QRect busy(window.ShockwaveFlash1->mapTo(window.client, QPoint()),
                         window.ShockwaveFlash1->size());
        QCOMPARE(busy, window.ShockwaveFlash2->geometry());
        QWidget *onTop = window.client->childAt(busy.center());
        QVERIFY(onTop == window.ShockwaveFlash2 || window.ShockwaveFlash2->isAncestorOf(onTop));
        QVERIFY(window.ShockwaveFlash1->isVisible() && window.ShockwaveFlash2->isVisible());
        QVERIFY(window.ShockwaveFlash1->isPlaying());
        QVERIFY(window.ShockwaveFlash2->isPlaying());
    }

    void loadSequenceRunsOnFirstShow()
    {
        auto *window = new Browser;
        auto *engine = FakeEngine::all().last();
        window->show();
        QVERIFY(window->isLoaded());
        QVERIFY(window->isVisible());
        QCOMPARE(engine->calls, QStringList({"RegisterAsBrowser=true", "GoHome"}));
        QVERIFY(!window->toolbarButton(1)->isEnabled());
        QVERIFY(!window->toolbarButton(4)->isEnabled());
        for (int n : {2, 3, 5, 6})
            QVERIFY(window->toolbarButton(n)->isEnabled());
        // The sequence's own moves override the layout pass until the next resize.
        QCOMPARE(window->ComboURL->x(), Twips::toPixels(1500));
        QCOMPARE(window->Go->x(), Twips::toPixels(6600));
        QCOMPARE(window->ShockwaveFlash1->x(), Twips::toPixels(7500));
        QCOMPARE(window->ShockwaveFlash2->x(), Twips::toPixels(7500));
        window->show(); // a second show loads nothing again
        QCOMPARE(engine->calls.size(), 2);
        QVERIFY(m_uncaught.isEmpty());
        delete window;
    }

    void failureBeforeShowIsReportedAndTheWindowStillComesUp()
    {
        auto *window = new Browser;
        FakeEngine::all().last()->failing = {"GoHome"};
        window->show();
        QCOMPARE(m_uncaught, QStringList({"GoHome failed"}));
        QVERIFY(window->isVisible());
        QVERIFY(!window->toolbarButton(4)->isEnabled());
        delete window;
    }

    void failureAfterShowIsSkippedSilently()
    {
        auto *window = new Browser;
        FakeEngine::all().last()->failing = {"Width", "Height"};
        window->show();
        QVERIFY(m_uncaught.isEmpty());
        QCOMPARE(window->Go->x(), Twips::toPixels(6600)); // later steps still ran
        delete window;
    }

    void closingHidesThenDestroysAndTheLastOneTellsTheProgram()
    {
        QSignalSpy allClosed(BrowserWindows::instance(), &BrowserWindows::allClosed);
        auto *a = new Browser;
        auto *b = new Browser;
        a->show();
        b->show();
        QPointer<Browser> guardA(a), guardB(b);
        QVERIFY(a->close());
        QVERIFY(!a->isVisible());
        QTRY_VERIFY(guardA.isNull());
        QVERIFY(b->isVisible()); // the other window goes on
        QCOMPARE(allClosed.size(), 0);
        b->close();
        QTRY_VERIFY(guardB.isNull());
        QCOMPARE(allClosed.size(), 1);
    }

    void firstWindowComesBackWhenAskedFor()
    {
        Browser *first = BrowserWindows::showFirst();
        QCOMPARE(BrowserWindows::first(), first);
        auto *other = new Browser;
        other->show();
        QCOMPARE(BrowserWindows::firstOrCreate(), first); // a later window never becomes the first
        QPointer<Browser> guard(first);
        first->close();
        QTRY_VERIFY(guard.isNull());
        QVERIFY(!BrowserWindows::first());
        Browser *again = BrowserWindows::firstOrCreate();
        QVERIFY(again && again != other);
        QVERIFY(again->isVisible());
        delete again;
        delete other;
    }
};

QUILLON_TEST_MAIN(TestBrowserWindow)
#include "test_browser_window.moc"
