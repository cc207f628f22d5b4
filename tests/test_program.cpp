// The whole program as a user starts it: splash, first window, home page, addresses from the
// command line, a second start that hands its addresses to the running program over a private
// session bus, and the end of the process when its last window closes, when the splash is
// closed early, or on SIGTERM. Driven from outside through X, like a person.

#include "support/close_box.h"
#include "support/loopback_http_server.h"
#include "support/test_main.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>

namespace {
const QString quillon = QStringLiteral(QUILLON_BINARY_DIR "/quillon");

// Runs xdotool (on another display when given one) and returns its output, trimmed. A window
// the program destroys while xdotool looks at it makes xdotool die of an X error: then it
// looks again.
QString xdotool(const QStringList &arguments, const QString &display = QString())
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        QProcess tool;
        if (!display.isEmpty()) {
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("DISPLAY"), display);
            tool.setProcessEnvironment(environment);
        }
        tool.start(QStringLiteral("xdotool"), arguments);
        tool.waitForFinished(10000);
        if (!tool.readAllStandardError().contains("X Error"))
            return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
    }
    return QString();
}

// The visible windows of that process (other tests share the display) whose titles match.
QStringList windowsWithTitle(qint64 pid, const QString &pattern, const QString &display = QString())
{
    return xdotool({"search", "--all", "--onlyvisible", "--pid", QString::number(pid), "--name", pattern}, display)
        .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString windowWithTitle(qint64 pid, const QString &pattern, const QString &display = QString())
{
    return windowsWithTitle(pid, pattern, display).value(0);
}

// A session bus of the test's own, and a display of its own for the start that must not
// reach the program on the test's display. Both end with the test.
struct Daemon {
    QProcess process;
    QString answer; // its first line: the bus's address, the display's number
    Daemon(const QString &program, const QStringList &arguments)
    {
        process.start(program, arguments);
        while (answer.isEmpty() && process.waitForReadyRead(10000))
            answer = QString::fromUtf8(process.readLine()).trimmed();
    }
    ~Daemon()
    {
        process.kill();
        process.waitForFinished(5000);
    }
};

QProcessEnvironment withBus(const QString &address, const QString &name = QString(), const QString &value = QString())
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
    if (!name.isEmpty())
        environment.insert(name, value);
    return environment;
}

void writeFile(const QString &path, const QByteArray &text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

// Why an ended program did not end cleanly (status 0, nothing on the terminal beyond the
// engine's root-only sandbox notes); empty when it did.
QString uncleanEnd(QProcess &program)
{
    if (program.state() != QProcess::NotRunning)
        return QStringLiteral("still running");
    if (program.exitStatus() != QProcess::NormalExit || program.exitCode() != 0)
        return QStringLiteral("ended with status %1").arg(program.exitCode());
    return QString::fromUtf8(program.readAllStandardError())
        .split('\n', Qt::SkipEmptyParts)
        .filter(QRegularExpression("^(?!quillon: running as root|QStandardPaths: XDG_RUNTIME_DIR)"))
        .join('\n');
}
} // namespace

class TestProgram : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void startsShowsTheHomePageAndEndsWithItsLastWindow()
    {
        QProcess program;
        QElapsedTimer clock;
        clock.start();
        program.start(quillon, {});
        QVERIFY(program.waitForStarted());

        QString window;
        QTRY_VERIFY_WITH_TIMEOUT(!(window = windowWithTitle(program.processId(), "Quillon 's Browser")).isEmpty(), 10000);
        const qint64 firstWindow = clock.elapsed();
        QVERIFY2(firstWindow >= 1450, qPrintable(QString::number(firstWindow)));
        // The caption turns into the home page's title followed by the program's name.
        QTRY_VERIFY_WITH_TIMEOUT(!windowWithTitle(program.processId(), ".+   --  Quillon 's Browser").isEmpty(), 15000);
        qInfo("start to first window %lld ms, to home page %lld ms", firstWindow, clock.elapsed());

        // Exit's shortcut on the only window closes it, and with it the program.
        xdotool({"windowfocus", "--sync", window});
        // F12 by its key code: on newer keymaps xdotool reaches the name F12 with Alt held.
        xdotool({"key", "--clearmodifiers", "ctrl+shift+96"});
        QElapsedTimer closing;
        closing.start();
        QVERIFY(program.waitForFinished(5000));
        qInfo("window closed to process end %lld ms", closing.elapsed());
        const QString unclean = uncleanEnd(program);
        QVERIFY2(unclean.isEmpty(), qPrintable(unclean));
    }

    // The splash alone for its 1.5 s: the first window is built while the splash is up, but
    // nothing of it shows before the tick.
    void splashAloneUntilItsTick()
    {
        QProcess program;
        program.start(quillon, {});
        QVERIFY(program.waitForStarted());
        const QString pid = QString::number(program.processId());
        QElapsedTimer clock;
        clock.start();
        QString splashWindow; // the first window the program shows
        while (splashWindow.isEmpty() && clock.elapsed() < 10000)
            splashWindow = xdotool({"search", "--maxdepth", "1", "--onlyvisible", "--pid", pid, "--name",
                                    "^Quillon's Browser$"});
        qint64 splashFrom = -1, splashTo = -1;
        bool together = false, browser = false;
        while (!browser && clock.elapsed() < 15000) {
            // The browser first: once it shows, a splash still seen would have shown with it.
            browser = !windowWithTitle(program.processId(), "Quillon 's Browser").isEmpty();
            const bool splash = xdotool({"search", "--onlyvisible", "--pid", pid, ""})
                                    .split(QLatin1Char('\n'))
                                    .contains(splashWindow);
            if (splash) {
                splashFrom = splashFrom < 0 ? clock.elapsed() : splashFrom;
                splashTo = clock.elapsed();
            }
            together |= splash && browser;
        }
        program.terminate();
        QVERIFY(program.waitForFinished(5000));
        QVERIFY(browser);
        QVERIFY(!together);
        QVERIFY2(splashFrom >= 0 && splashTo - splashFrom >= 1200, qPrintable(QString::number(splashTo - splashFrom)));
    }

    void addressesOpenAsTypedAndSigtermEndsTheProgram()
    {
        LoopbackHttpServer server;
        server.route("/a", "text/html", "<title>Page A</title>");
        server.route("/b", "text/html", "<title>Page B</title>");
        QProcess program;
        program.start(quillon,
                      {server.url("/a").authority() + "/a", QStringLiteral("localhost:%1/b").arg(server.url("/").port())});
        QVERIFY(program.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(!windowWithTitle(program.processId(), "^Page A   --  Quillon 's Browser$").isEmpty(), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!windowWithTitle(program.processId(), "^Page B   --  Quillon 's Browser$").isEmpty(), 20000);

        ::kill(pid_t(program.processId()), SIGTERM);
        QVERIFY(program.waitForFinished(10000));
        const QString unclean = uncleanEnd(program);
        QVERIFY2(unclean.isEmpty(), qPrintable(unclean));
    }

    // A start while the program runs hands its addresses over and ends at once; the running
    // program opens each in a new window and brings the last forward with the launch's id.
    // Started apart (--new-instance, no session bus, another display) or while the program
    // ends, a start is a program of its own, and its address is not lost.
    void secondStartHandsItsAddressesToTheRunningProgram()
    {
        const Daemon bus(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
        QVERIFY2(bus.answer.startsWith(QLatin1String("unix:")), qPrintable(bus.answer));
        LoopbackHttpServer server;
        server.route("/a", "text/html", "<title>Page A</title>");
        server.route("/b", "text/html", "<title>Page B</title>");
        const QString a = server.url("/a").toString(), b = server.url("/b").toString();
        QTemporaryDir folder;
        writeFile(folder.filePath("-dash.html"), "<title>Dash Page</title>");

        QProcess first;
        first.setProcessEnvironment(withBus(bus.answer));
        first.start(quillon, {});
        QVERIFY(first.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(!windowWithTitle(first.processId(), "^Quillon's Home   --  ").isEmpty(), 20000);

        // A file named from the caller's folder, after "--" though it begins with a dash.
        QProcess second;
        second.setProcessEnvironment(withBus(bus.answer, "DESKTOP_STARTUP_ID", "quillon-test_TIME0"));
        second.setWorkingDirectory(folder.path());
        second.start(quillon, {a, "--", "-dash.html"});
        QVERIFY(second.waitForFinished(5000));
        QString unclean = uncleanEnd(second);
        QVERIFY2(unclean.isEmpty(), qPrintable(unclean));
        QTRY_VERIFY_WITH_TIMEOUT(!windowWithTitle(first.processId(), "^Page A   --  ").isEmpty(), 10000);
        QString dash;
        QTRY_VERIFY_WITH_TIMEOUT(!(dash = windowWithTitle(first.processId(), "^Dash Page   --  ")).isEmpty(), 10000);
        QProcess property;
        property.start(QStringLiteral("xprop"), {"-id", dash, "_NET_STARTUP_ID"});
        QVERIFY(property.waitForFinished(5000));
        QCOMPARE(QString::fromUtf8(property.readAllStandardOutput()).trimmed(),
                 QStringLiteral("_NET_STARTUP_ID(UTF8_STRING) = \"quillon-test_TIME0\""));

        // No address: one more window on the home page, as File > New opens it.
        QProcess third;
        third.setProcessEnvironment(withBus(bus.answer));
        third.start(quillon, {});
        QVERIFY(third.waitForFinished(5000));
        QCOMPARE(third.exitCode(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(windowsWithTitle(first.processId(), "^Quillon's Home   --  ").size(), 2, 10000);

        // Programs of their own: each shows page B itself.
        const Daemon display(QStringLiteral("Xvfb"), {"-displayfd", "1", "-screen", "0", "800x600x24", "-nolisten", "tcp"});
        QVERIFY2(!display.answer.isEmpty(), "no second display");
        const QString other = QLatin1Char(':') + display.answer;
        const QList<std::pair<QStringList, QProcessEnvironment>> apart = {
            {{"--new-instance", b}, withBus(bus.answer)},
            {{b}, withBus(QStringLiteral("unix:path=") + folder.filePath("no-bus"))},
            {{b}, withBus(bus.answer, "DISPLAY", other)},
        };
        for (const auto &[arguments, environment] : apart) {
            QProcess own;
            own.setProcessEnvironment(environment);
            own.start(quillon, arguments);
            QVERIFY(own.waitForStarted());
            const QString on = environment.value(QStringLiteral("DISPLAY"));
            QTRY_VERIFY2_WITH_TIMEOUT(!windowWithTitle(own.processId(), "^Page B   --  ", on).isEmpty(),
                                      qPrintable(arguments.join(' ') + " on " + on), 20000);
            own.terminate();
            QVERIFY(own.waitForFinished(10000));
        }
        QVERIFY(windowWithTitle(first.processId(), "^Page B   --  ").isEmpty());

        // Ending, the program takes no address: the start that comes then shows it itself.
        ::kill(pid_t(first.processId()), SIGTERM);
        QProcess late;
        late.setProcessEnvironment(withBus(bus.answer));
        late.start(quillon, {b});
        QVERIFY(first.waitForFinished(10000));
        unclean = uncleanEnd(first);
        QVERIFY2(unclean.isEmpty(), qPrintable(unclean));
        QTRY_VERIFY_WITH_TIMEOUT(!windowWithTitle(late.processId(), "^Page B   --  ").isEmpty(), 20000);
        late.terminate();
        QVERIFY(late.waitForFinished(10000));
    }

    // The command line is the program's alone: the toolkit's options are unknown options, and
    // after "--" they are addresses (here files of those names) that change nothing: the
    // windows are on this display, without the style sheet.
    void toolkitOptionsAreRefusedAndAfterDashesAreAddresses()
    {
        const QList<QStringList> options = {{"-platform", "offscreen"}, {"-platformpluginpath", "/tmp"},
                                            {"-plugin", "evdevkeyboard"}, {"-style", "fusion"},
                                            {"-stylesheet", "red.qss"}, {"-session", "x"}, {"--webEngineArgs"},
                                            {"-reverse"}, {"-display", ":0"}};
        for (const QStringList &option : options) {
            QProcess refused;
            refused.start(quillon, option + QStringList{"http://127.0.0.1:1/"});
            QVERIFY(refused.waitForFinished(10000));
            QCOMPARE(refused.exitCode(), 2);
            QCOMPARE(QString::fromUtf8(refused.readAllStandardError()),
                     QStringLiteral("quillon: unknown option %1\nTry 'quillon --help'.\n").arg(option.first()));
        }

        QTemporaryDir folder;
        for (const char *name : {"-stylesheet", "-platform", "offscreen"})
            writeFile(folder.filePath(QString::fromLatin1(name)), "plain text");
        writeFile(folder.filePath("red.qss"), "* { background: red; }");
        QProcess program;
        program.setWorkingDirectory(folder.path());
        program.start(quillon, {"--new-instance", "--", "-stylesheet", "red.qss", "-platform", "offscreen"});
        QVERIFY(program.waitForStarted());
        // A file's caption is its name.
        for (const char *title : {"-stylesheet", "red.qss", "-platform", "offscreen"})
            QTRY_VERIFY2_WITH_TIMEOUT(!windowWithTitle(program.processId(), QStringLiteral("^%1   --  ").arg(title)).isEmpty(),
                                      title, 20000);
        QProcess shot;
        shot.start(QStringLiteral("import"), {"-window", windowWithTitle(program.processId(), "^-stylesheet"), "png:-"});
        QVERIFY(shot.waitForFinished(10000));
        const QImage image = QImage::fromData(shot.readAllStandardOutput(), "PNG");
        QVERIFY(!image.isNull());
        int red = 0;
        for (int y = 0; y < image.height(); y += 4)
            for (int x = 0; x < image.width(); x += 4)
                red += image.pixelColor(x, y) == QColor(Qt::red);
        QCOMPARE(red, 0);
        program.terminate();
        QVERIFY(program.waitForFinished(10000));
        const QString unclean = uncleanEnd(program);
        QVERIFY2(unclean.isEmpty(), qPrintable(unclean));
    }

    void closingTheSplashEarlyEndsTheProgram()
    {
        QProcess program;
        program.start(quillon, {});
        QVERIFY(program.waitForStarted());
        QString splash;
        QTRY_VERIFY_WITH_TIMEOUT(!(splash = windowWithTitle(program.processId(), "^$")).isEmpty(), 10000);
        pressCloseBox(splash.toUInt());
        QElapsedTimer clock;
        clock.start();
        while (program.state() != QProcess::NotRunning && clock.elapsed() < 5000) {
            QVERIFY(windowWithTitle(program.processId(), "Quillon 's Browser").isEmpty());
            program.waitForFinished(100);
        }
        const QString unclean = uncleanEnd(program);
        QVERIFY2(unclean.isEmpty(), qPrintable(unclean));
    }
};

QUILLON_TEST_MAIN(TestProgram)
#include "test_program.moc"
