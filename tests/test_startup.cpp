// Start-up: the splash window gives way to the first browser window after 1.5 s; the command
// line gives the addresses to open then (the program's own test opens them).

#include "app/command_line.h"
#include "app/handover.h"
#include "app/splash_window.h"
#include "browser/browser_window.h"
#include "engine/qtwebengine/setup/engine_version.h"
#include "support/fake_engine.h"
#include "support/test_main.h"
#include "support/windows.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QTimer>

class TestStartup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { FakeEngine::install(); }

    void splashLooksAsDesignedAndIsCentred()
    {
        frmSplash splash;
        splash.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        QCOMPARE(splash.size(), QSize(492, 281));
        QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
        const QPoint centre = splash.screen()->availableGeometry().center();
        QVERIFY((splash.geometry().center() - centre).manhattanLength() <= 2);
        QCOMPARE(splash.lblVersion->text(), QStringLiteral("Version 1.0.0"));
        QCOMPARE(splash.lblCompany->text(), QStringLiteral(" Tarvel Communications"));
        QCOMPARE(splash.Timer1->interval(), 1500);
        QVERIFY(splash.Timer1->isActive());
        QCOMPARE(splash.grab().toImage().pixelColor(splash.Frame1->geometry().topLeft() + QPoint(3, 3)),
                 QColor(0, 255, 255));
    }

    void splashGivesWayToTheFirstBrowserWindowOnce()
    {
        QSignalSpy allClosed(BrowserWindows::instance(), &BrowserWindows::allClosed);
        QElapsedTimer clock;
        clock.start();
        QPointer<frmSplash> splash = new frmSplash;
        splash->show();
        QTRY_VERIFY_WITH_TIMEOUT(BrowserWindows::first(), 5000);
        const qint64 elapsed = clock.elapsed();
        QVERIFY2(elapsed >= 1450 && elapsed < 3000, qPrintable(QString::number(elapsed)));
        QVERIFY(BrowserWindows::first()->isVisible());
        QVERIFY(BrowserWindows::first()->isLoaded());
        QTRY_VERIFY(splash.isNull()); // gone, with its timer
        QCOMPARE(BrowserWindows::count(), 1);
        QTest::qWait(1600);
        QCOMPARE(BrowserWindows::count(), 1); // the tick ran once
        QCOMPARE(allClosed.size(), 0); // no moment where the program had no window to live for
        deleteAllBrowsers();
        QCOMPARE(allClosed.size(), 1);
    }

    void commandLineGivesAddressesAndOptions()
    {
        const CommandLine::Parsed plain = CommandLine::parse({"http://a/", "b c", "-", "--", "--help", "-x"});
        QCOMPARE(plain.addresses, QStringList({"http://a/", "b c", "-", "--help", "-x"}));
        QVERIFY(!plain.help && !plain.version && plain.unknownOptions.isEmpty());
        const CommandLine::Parsed options = CommandLine::parse({"-v", "x", "--help", "--nope"});
        QVERIFY(options.help && options.version);
        QCOMPARE(options.unknownOptions, QStringList({"--nope"}));
        QCOMPARE(options.addresses, QStringList({"x"}));
        QVERIFY(CommandLine::helpText().startsWith(QStringLiteral("Usage: quillon [--new-instance] [ADDRESS...]\n")));
        const QStringList version = CommandLine::versionText().split(QLatin1Char('\n'));
        QCOMPARE(version.size(), 3);
        QCOMPARE(version[0], QStringLiteral("Quillon's Browser 1.0.0"));
        QCOMPARE(version[1], EngineVersion::line(EngineVersion::running()));
        QVERIFY2(QRegularExpression(QStringLiteral(R"(^Qt WebEngine 6\.\d+\.\d+ \(Chromium \d+\.[\d.]+, )"
                                                   R"(security fixes to \d+\.[\d.]+\)$)"))
                     .match(version[1])
                     .hasMatch(),
                 qPrintable(version[1]));
        QCOMPARE(CommandLine::refuseUnknown(plain), std::nullopt);
        const CommandLine::Parsed apart = CommandLine::parse({"--new-instance", "--", "--new-instance", "-platform"});
        QVERIFY(apart.newInstance);
        QCOMPARE(apart.addresses, QStringList({"--new-instance", "-platform"}));
        QCOMPARE(CommandLine::answerAtOnce(CommandLine::parse({"-platform", "offscreen"})), std::optional<int>(2));
    }

    // One name per display, valid on the bus whatever the display is called; none where the
    // windows would not go to the desktop's display.
    void handoverNameFollowsTheDisplay()
    {
        const QByteArray saved[] = {qgetenv("DISPLAY"), qgetenv("WAYLAND_DISPLAY"), qgetenv("QT_QPA_PLATFORM")};
        const auto set = [](const char *display, const char *wayland, const char *platform) {
            const std::pair<const char *, const char *> values[] = {
                {"DISPLAY", display}, {"WAYLAND_DISPLAY", wayland}, {"QT_QPA_PLATFORM", platform}};
            for (const auto &[name, value] : values)
                value ? qputenv(name, value) : qunsetenv(name);
            return Handover::busName();
        };
        QCOMPARE(set(":7", nullptr, nullptr), QStringLiteral("com.example.quillon.x11__3a7"));
        QCOMPARE(set(":7.0", nullptr, "xcb"), QStringLiteral("com.example.quillon.x11__3a7"));
        QVERIFY(set(":8", nullptr, nullptr) != set(":7", nullptr, nullptr));
        QCOMPARE(set(":7", "wayland-1", nullptr), QStringLiteral("com.example.quillon.wayland_wayland_2d1"));
        QCOMPARE(set(":7", "wayland-1", "xcb"), QStringLiteral("com.example.quillon.x11__3a7"));
        QCOMPARE(set(":7", nullptr, "offscreen"), QString());
        QCOMPARE(set(nullptr, nullptr, nullptr), QString());
        const QString longName = set(nullptr, QByteArray(300, '/').constData(), nullptr);
        QVERIFY2(longName.size() <= 255 && QRegularExpression("^com\\.example\\.quillon\\.[A-Za-z_][A-Za-z0-9_]*$").match(longName).hasMatch(),
                 qPrintable(longName));
        QCOMPARE(Handover::objectPath(QStringLiteral("com.example.quillon.x11__3a7")), QStringLiteral("/com/example/quillon/x11__3a7"));
        set(saved[0].isNull() ? nullptr : saved[0].constData(), saved[1].isNull() ? nullptr : saved[1].constData(),
            saved[2].isNull() ? nullptr : saved[2].constData());
    }

    void engineAgeFollowsTheReleaseTable_data()
    {
        QTest::addColumn<QString>("fixes");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<bool>("old");
        // Chromium 108 came out on 29 November 2022.
        QTest::newRow("a year to the day") << "108.0.5359.181" << QDate(2023, 11, 29) << false;
        QTest::newRow("a year and a day") << "108.0.5359.181" << QDate(2023, 11, 30) << true;
        QTest::newRow("Debian 12's, today") << "108.0.5359.181" << QDate(2026, 12, 7) << true;
        QTest::newRow("fresh") << "140.0.7339.207" << QDate(2026, 3, 1) << false;
        QTest::newRow("older than the table") << "80.0.1" << QDate(2024, 1, 1) << true;
        QTest::newRow("newer than the table") << "999.0.1" << QDate(2040, 1, 1) << false;
        QTest::newRow("unreadable") << "unknown" << QDate(2040, 1, 1) << false;
        QTest::newRow("empty") << "" << QDate(2040, 1, 1) << false;
    }

    void engineAgeFollowsTheReleaseTable()
    {
        QFETCH(QString, fixes);
        QFETCH(QDate, today);
        QFETCH(bool, old);
        QCOMPARE(EngineVersion::noLongerFixed(fixes, today), old);
        QCOMPARE(EngineVersion::line({"6.8.2", "122.0.6261.171", "132.0.6834.111"}),
                 QStringLiteral("Qt WebEngine 6.8.2 (Chromium 122.0.6261.171, security fixes to 132.0.6834.111)"));
        QVERIFY(EngineVersion::firstStable(122) < EngineVersion::firstStable(123));
        // Debian 13 is offered only to an engine older than its own.
        QVERIFY(EngineVersion::notice({"6.4.2", "102.0", "108.0"}).contains(QLatin1String("Debian 13")));
        QVERIFY(!EngineVersion::notice({"6.8.2", "122.0", "132.0"}).contains(QLatin1String("Debian")));
    }
};

QUILLON_TEST_MAIN(TestStartup)
#include "test_startup.moc"
