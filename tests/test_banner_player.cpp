// The banner widget: plays its stored movie from creation and loops, StopPlay holds the
// frame and Play goes on, no timer runs while stopped or hidden, and a movie that cannot be
// read shows black.

#include "support/test_main.h"

#include "banner/banner_player.h"

#include <QScreen>
#include <QSignalSpy>
#include <QWindow>
#include <QTest>

namespace {

// Pixels clearly not black, and how far apart the leftmost and rightmost are.
struct Ink {
    int count = 0, left = INT_MAX, right = -1;
};

Ink inkOf(QWidget &widget)
{
    const QImage image = widget.grab().toImage();
    Ink ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (qRed(p) + qGreen(p) + qBlue(p) > 90) {
                ++ink.count;
                ink.left = std::min(ink.left, x);
                ink.right = std::max(ink.right, x);
            }
        }
    return ink;
}

// A banner at its design size in a small shown window.
BannerPlayer *showInWindow(BannerMovie movie, QWidget &window)
{
    window.resize(200, 100);
    auto *player = new BannerPlayer(movie, &window);
    player->setGeometry(10, 10, 49, 35);
    window.show();
    return player;
}

} // namespace

class TestBannerPlayer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void playsFromCreationAndLoops_data()
    {
        QTest::addColumn<BannerMovie>("movie");
        QTest::addColumn<int>("frames");
        QTest::newRow("busy") << BannerMovie::Busy << 25;
        QTest::newRow("idle") << BannerMovie::Idle << 25;
        QTest::newRow("about") << BannerMovie::About << 45;
    }
    void playsFromCreationAndLoops()
    {
        QFETCH(BannerMovie, movie);
        QFETCH(int, frames);
        BannerPlayer player(movie);
        player.resize(49, 35);
        QVERIFY(player.hasMovie());
        QCOMPARE(player.TotalFrames(), frames);
        QVERIFY(player.isPlaying());
        QVERIFY(!player.timerActive()); // not shown yet
        player.show();
        QVERIFY(QTest::qWaitForWindowExposed(&player));
        QVERIFY(player.timerActive());
        QVERIFY(inkOf(player).count > 20);

        QSignalSpy frames_(&player, &BannerPlayer::frameChanged);
        player.GotoFrame(frames - 2);
        QTRY_VERIFY(frames_.count() >= 4);
        QCOMPARE(frames_.at(0).at(0).toInt(), frames - 2);
        QCOMPARE(frames_.at(1).at(0).toInt(), frames - 1);
        QCOMPARE(frames_.at(2).at(0).toInt(), 0); // frame 0 follows the last
        QCOMPARE(frames_.at(3).at(0).toInt(), 1);
    }

    void stopHoldsTheFramePlayMovesOn()
    {
        BannerPlayer player(BannerMovie::Busy);
        player.resize(85, 45);
        player.show();
        QVERIFY(QTest::qWaitForWindowExposed(&player));
        QSignalSpy frames(&player, &BannerPlayer::frameChanged);
        QTRY_VERIFY(frames.count() >= 2);

        player.StopPlay();
        QVERIFY(!player.isPlaying());
        QVERIFY(!player.timerActive());
        const int held = player.CurrentFrame();
        const QImage before = player.grab().toImage();
        frames.clear();
        QTest::qWait(300);
        QCOMPARE(frames.count(), 0);
        QCOMPARE(player.CurrentFrame(), held);
        QCOMPARE(player.grab().toImage(), before);

        player.Play();
        QVERIFY(player.timerActive());
        QTRY_VERIFY(frames.count() >= 1);
        QCOMPARE(frames.at(0).at(0).toInt(), (held + 1) % player.TotalFrames());
        QTRY_VERIFY(player.grab().toImage() != before);
    }

    // Hidden by itself or with its window, or stopped: no timer, and none comes back
    // unless it is both shown and playing.
    void noTimerWhileHiddenOrStopped()
    {
        QWidget window;
        BannerPlayer *player = showInWindow(BannerMovie::Idle, window);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(player->timerActive());

        player->hide();
        QVERIFY(!player->timerActive());
        QSignalSpy frames(player, &BannerPlayer::frameChanged);
        QTest::qWait(250);
        QCOMPARE(frames.count(), 0);
        player->show();
        QVERIFY(player->timerActive());

        window.hide();
        QVERIFY(!player->timerActive());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(player->timerActive());

        player->StopPlay();
        player->hide();
        player->show();
        QVERIFY(!player->timerActive());
        player->hide();
        player->Play(); // plays once it is seen again
        QVERIFY(player->isPlaying());
        QVERIFY(!player->timerActive());
        player->show();
        QVERIFY(player->timerActive());
    }

    // What reaches the screen is the frame the banner is on, also when the X server shows it
    // from its own copy, and also after a resize.
    void screenShowsTheCurrentFrame()
    {
        QWidget window;
        BannerPlayer *player = showInWindow(BannerMovie::Busy, window);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        for (const QSize size : {QSize(49, 35), QSize(98, 70)}) {
            player->resize(size);
            QSignalSpy frames(player, &BannerPlayer::frameChanged);
            QVERIFY(frames.wait(1000) && frames.wait(1000)); // drawn by the clock, twice
            player->StopPlay();
            player->GotoFrame((player->CurrentFrame() + 7) % player->TotalFrames());
            QTest::qWait(100);
            const QImage expected = player->grab().toImage().convertToFormat(QImage::Format_RGB32);
            QWindow *surface = player->surface();
            QVERIFY(surface);
            const QImage shown = QGuiApplication::primaryScreen()
                                     ->grabWindow(surface->winId())
                                     .toImage()
                                     .convertToFormat(QImage::Format_RGB32);
            QCOMPARE(shown.size(), expected.size());
            QCOMPARE(shown, expected);
            player->Play();
        }
    }

    // Frames drawn for one size are not reused at another.
    void framesFollowTheWidgetSize()
    {
        BannerPlayer player(BannerMovie::Busy);
        player.StopPlay();
        player.resize(49, 35);
        player.show();
        QVERIFY(QTest::qWaitForWindowExposed(&player));
        const Ink small = inkOf(player);
        player.resize(340, 180);
        QTRY_COMPARE(player.size(), QSize(340, 180));
        const Ink large = inkOf(player);
        QVERIFY(small.right - small.left < 49);
        QVERIFY(large.right - large.left > 250);
        QVERIFY(large.count > small.count * 10);
    }

    void unreadableMovieShowsBlack()
    {
        BannerPlayer player(BannerMovie::About);
        player.resize(56, 35);
        player.show();
        QVERIFY(QTest::qWaitForWindowExposed(&player));
        QVERIFY(inkOf(player).count > 0);
        QVERIFY(!player.loadMovie(QByteArray("FWS\x04\x10\x00\x00\x00garbage!", 16)));
        QVERIFY(!player.hasMovie());
        QCOMPARE(player.TotalFrames(), 0);
        QVERIFY(!player.timerActive());
        QCOMPARE(inkOf(player).count, 0);
        player.GotoFrame(3); // ignored
        QCOMPARE(player.CurrentFrame(), 0);
    }
};

QUILLON_TEST_MAIN(TestBannerPlayer)
#include "test_banner_player.moc"
