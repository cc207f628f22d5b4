// The layout procedure's arithmetic, and the browser window following its size.

#include "browser/browser_window.h"
#include "browser/layout.h"
#include "banner/banner_player.h"
#include "common/twips.h"
#include "engine/web_engine.h"
#include "support/fake_engine.h"
#include "support/test_main.h"

#include <QComboBox>
#include <QPushButton>

class TestLayout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { FakeEngine::install(); }

    void designSize()
    {
        const auto r = BrowserLayout::compute(8445, 6045, 480, 615);
        QCOMPARE(r.comboWidth, std::optional<int>(4945));
        QCOMPARE(r.goLeft, 6645);
        QCOMPARE(r.busyBannerLeft, 7545);
        QCOMPARE(r.idleBannerLeft, 7545);
        QCOMPARE(r.engineWidth, std::optional<int>(8395));
        QCOMPARE(r.engineHeight, std::optional<int>(4450));
    }

    void wideningMovesTheRightGroupOnly()
    {
        const auto a = BrowserLayout::compute(8445, 6045, 480, 615);
        const auto b = BrowserLayout::compute(8445 + 1500, 6045, 480, 615);
        QCOMPARE(b.goLeft - a.goLeft, 1500);
        QCOMPARE(b.busyBannerLeft - a.busyBannerLeft, 1500);
        QCOMPARE(*b.comboWidth - *a.comboWidth, 1500);
        QCOMPARE(*b.engineWidth - *a.engineWidth, 1500);
        QCOMPARE(b.engineHeight, a.engineHeight);
    }

    void negativeSizesAreNotApplied()
    {
        const auto narrow = BrowserLayout::compute(3000, 1000, 480, 615);
        QVERIFY(!narrow.comboWidth);
        QVERIFY(!narrow.engineHeight);
        QCOMPARE(narrow.engineWidth, std::optional<int>(2950));
        QCOMPARE(narrow.goLeft, 1200);
        QCOMPARE(narrow.busyBannerLeft, 2100);
        // Left edges may go negative: they are applied like any other.
        QCOMPARE(BrowserLayout::compute(1000, 6045, 480, 615).goLeft, -800);
    }

    void veryWideWindowsKeepGoAndTheBandInView()
    {
        const auto r = BrowserLayout::compute(40000, 6045, 480, 615);
        QCOMPARE(r.goLeft, 38200); // past 16 bits, still follows the width
        QCOMPARE(r.bandWidth, 40000);
        QCOMPARE(BrowserLayout::compute(8445, 6045, 480, 615).bandWidth, BrowserLayout::designBandWidth);
    }

    void windowAppliesTheLayoutOnResize()
    {
        auto *window = new Browser;
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCOMPARE(window->client->size(), QSize(563, 403));

        window->resize(window->width() + 100, window->height());
        QTRY_COMPARE(window->client->width(), 663);
        const int W = 663 * Twips::perPixel;
        QCOMPARE(window->Go->x(), Twips::toPixels(W - 1800));
        QCOMPARE(window->ShockwaveFlash1->x(), Twips::toPixels(W - 900));
        QCOMPARE(window->ShockwaveFlash2->x(), Twips::toPixels(W - 900));
        QCOMPARE(window->ComboURL->width(), Twips::toPixels(W - 3500));
        QCOMPARE(window->WebBrowser1->control()->width(), Twips::toPixels(W - 50));
        QCOMPARE(window->WebBrowser1->control()->height(), Twips::toPixels(6045 - 1095 - 500));

        // Too narrow for the address box: it keeps its width, the rest still follows.
        const int comboWidth = window->ComboURL->width();
        window->resize(200, window->height());
        QTRY_COMPARE(window->client->width(), 200);
        QCOMPARE(window->ComboURL->width(), comboWidth);
        QCOMPARE(window->Go->x(), Twips::toPixels(3000 - 1800));
        delete window;
    }
};

QUILLON_TEST_MAIN(TestLayout)
#include "test_layout.moc"
