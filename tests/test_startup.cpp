// Start-up: the splash window gives way to the first browser window after 1.5 s; the command
// line gives the addresses to open then (the program's own test opens them).

#include "app/command_line.h"
#include "app/splash_window.h"
#include "browser/browser_window.h"
#include "support/fake_engine.h"
#include "support/test_main.h"
#include "support/windows.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
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
        QVERIFY(CommandLine::helpText().startsWith(QStringLiteral("Usage: quillon [ADDRESS...]\n")));
        QCOMPARE(CommandLine::versionText(), QStringLiteral("Quillon's Browser 1.0.0\n"));
        QCOMPARE(CommandLine::refuseUnknown(plain), std::nullopt);
    }
};

QUILLON_TEST_MAIN(TestStartup)
#include "test_startup.moc"
