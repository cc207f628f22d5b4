// Windows give their memory back: opening a window with File > New and closing it again,
// fifty times, leaves the program's own heap where it was.

#include "browser/browser_window.h"
#include "engine/web_engine.h"
#include "support/fake_engine.h"
#include "support/test_main.h"
#include "support/windows.h"

#include <QPixmapCache>
#include <QPointer>
#include <QSignalSpy>
#include <malloc.h>

namespace {
// Live heap bytes. Qt's pixmap cache is emptied first: it keeps style pixmaps of closed
// windows until it reaches its fixed limit, which is a bounded cache, not memory lost.
qint64 heapInUse()
{
    QPixmapCache::clear();
    malloc_trim(0);
    return qint64(mallinfo2().uordblks);
}
} // namespace

class TestWindowCycles : public QObject {
    Q_OBJECT

    // File > New in the first window, wait for the new window's home page, close it.
    static void cycle(Browser *first)
    {
        const QList<QWidget *> before = QApplication::topLevelWidgets();
        first->New->trigger();
        Browser *opened = nullptr;
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *b = qobject_cast<Browser *>(w); b && !before.contains(b))
                opened = b;
        QVERIFY(opened);
        QSignalSpy done(opened->WebBrowser1, &WebEngine::DownloadComplete);
        QVERIFY(done.wait(15000));
        QPointer<Browser> guard(opened);
        opened->close();
        QTRY_VERIFY(guard.isNull());
    }

    static void fakeCycle()
    {
        auto *window = new Browser;
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

private Q_SLOTS:
    void frameAloneKeepsNothing()
    {
        // The window without the engine: our own widgets, menus, banners and handlers.
        auto previous = WebEngines::factory().set([](QWidget *parent) { return new FakeEngine(parent); });
        for (int i = 0; i < 5; ++i)
            fakeCycle();
        const qint64 start = heapInUse();
        for (int i = 0; i < 50; ++i)
            fakeCycle();
        const qint64 growth = heapInUse() - start;
        qInfo("frame alone: %+lld KiB after 50 (%+lld bytes a cycle)", growth / 1024, growth / 50);
        WebEngines::factory().set(previous);
        QVERIFY2(growth < 50 * 4 * 1024, "more than 4 KiB kept per window");
    }

    void fiftyNewWindowsComeAndGo()
    {
        Browser *first = BrowserWindows::showFirst();
        QSignalSpy done(first->WebBrowser1, &WebEngine::DownloadComplete);
        QVERIFY(done.wait(15000));
        for (int i = 0; i < 5; ++i) // caches of the engine and the toolkit fill up first
            cycle(first);
        QTest::qWait(500);
        const qint64 start = heapInUse();
        for (int i = 0; i < 50; ++i) {
            cycle(first);
            if (QTest::currentTestFailed())
                return;
        }
        QTest::qWait(500);
        const qint64 growth = heapInUse() - start;
        qInfo("heap in use after 5 warm-up cycles: %lld KiB; after 50 more: %+lld KiB (%+lld bytes a cycle)",
              start / 1024, growth / 1024, growth / 50);
        QCOMPARE(BrowserWindows::count(), 1);
        // The engine's own heap in this process wanders by some tens of KiB a cycle; a window
        // kept alive would cost far more than this.
        QVERIFY2(growth < 50 * 100 * 1024, "more than 100 KiB kept per window");
        deleteAllBrowsers();
    }
};

QUILLON_TEST_MAIN(TestWindowCycles)
#include "test_window_cycles.moc"
