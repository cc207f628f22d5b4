// A careless user, driven by a seed, cannot break the program: windows open and close; a page
// closes its own window while Page Setup, Save As, Print, Print Preview or Properties is open;
// another dialog of a window is asked for while Properties still reads its page; a page that
// never finishes loading is saved (twice), then left or closed; alerts come while the user
// clicks behind them and windows come and go. The whole program runs in a child process and
// must end by itself once its last window is closed (or on SIGTERM), with status 0, no
// sanitizer report and no window left. QUILLON_STRESS_SEED and QUILLON_STRESS_STEPS repeat a
// run or make a longer one.

#include "app/application.h"
#include "app/program.h"
#include "app/start_up.h"
#include "browser/browser_window.h"
#include "common/modal.h"
#include "engine/web_engine.h"
#include "support/close_box.h"
#include "support/loopback_http_server.h"

#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QPrintDialog>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <random>

namespace {
QString title(const Browser *window) { return window->windowTitle().section(QStringLiteral("   --"), 0, 0); }

class User : public QObject {
    struct Stage {
        QString what;
        std::function<bool()> ready;
        std::function<void()> act;
        int waitMs;
        bool faultIfLate = false; // not ready in time is a fault of the program, not the user's slowness
    };

public:
    User(quint32 seed, int steps) : m_random(seed), m_steps(steps), m_sigterm(seed % 4 == 3)
    {
        m_server.route("/page", "text/html", "<title>Page</title><p>A page.</p>");
        m_server.route("/alert", "text/html", "<title>alerting</title><body style='margin:0'><div style='height:600px'>"
                       "behind</div><script>alert('hello'); document.title = 'alerted';</script></body>");
        m_server.route("/opener", "text/html", "<title>ready</title><body style='margin:0'><div style='height:600px' "
                       "onclick=\"window.open('/closer')\">open</div></body>");
        m_server.route("/closer", "text/html", "<title>Closer</title><script>setTimeout(() => window.close(), 1500);</script>");
        m_server.route("/endless", "text/html", "<title>endless</title><p>" + QByteArray(4096, 'x'), {},
                       LoopbackHttpServer::Delivery::Endless);
        m_server.route("/busy", "text/html", "<title>busy</title><script>for (const end = Date.now() + 2000; Date.now() < end;);</script>");
        m_server.route("/signin", "text/html", "<title>inside</title>inside");
        m_server.protect("/signin", "Staff", "ann:pw");
        QDir(m_dir.path()).mkpath(QStringLiteral("saved"));
        // The faults met before, each once, in the seed's order; then whatever the seed says.
        m_script = {[this] { pageClosesUnder(0); }, [this] { pageClosesUnder(1); }, [this] { pageClosesUnder(2); },
                    [this] { pageClosesUnder(3); }, [this] { pageClosesUnder(4); }, [this] { saveEndless(false); },
                    [this] { saveEndless(true); },   [this] { alertClicks(false); }, [this] { alertClicks(true); },
                    [this] { dialogWhileReading(0); }, [this] { dialogWhileReading(pick(4)); },
                    [this] { saveEndlessTwice(); }};
        std::shuffle(m_script.begin(), m_script.end(), m_random);
        connect(&m_tick, &QTimer::timeout, this, &User::tick);
        m_clock.start();
    }
    void start() { m_tick.start(150); }
    QStringList faults() const { return m_faults; }

private:
    // ---- the program as the user sees it

    static QList<Browser *> windows()
    {
        QList<Browser *> list;
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (auto *window = qobject_cast<Browser *>(widget); window && window->isVisible())
                list << window;
        return list;
    }
    static QList<QDialog *> dialogs()
    {
        QList<QDialog *> list;
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (auto *dialog = qobject_cast<QDialog *>(widget); dialog && dialog->isVisible())
                list << dialog;
        return list;
    }
    static QDialog *dialogOf(const Browser *window, const QString &name = QString())
    {
        for (QDialog *dialog : dialogs())
            if (dialog->parentWidget() && dialog->parentWidget()->window() == window
                && (name.isEmpty() || dialog->objectName() == name))
                return dialog;
        return nullptr;
    }
    static Browser *titled(const QString &text)
    {
        for (Browser *window : windows())
            if (title(window) == text)
                return window;
        return nullptr;
    }

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }
    bool chance(int percent) { return pick(100) < percent; }
    Browser *anyWindow()
    {
        const QList<Browser *> list = windows();
        return list.isEmpty() ? nullptr : list.at(pick(int(list.size())));
    }
    void say(const QString &text)
    {
        std::printf("%6.1f s  %s\n", double(m_clock.elapsed()) / 1000, qPrintable(text));
        std::fflush(stdout);
    }

    // ---- what the user does: through the event loop, as a click would; some of it waits in a
    // dialog, and the user goes on meanwhile

    template <typename Action>
    static void later(QObject *context, Action action)
    {
        if (context) // a window gone meanwhile takes the user's action with it
            QTimer::singleShot(0, context, action);
    }
    // The user's input to a window: none while a dialog keeps that window waiting.
    template <typename Action>
    static void input(QWidget *window, Action action)
    {
        later(window, [window, action] {
            if (!QApplication::activeModalWidget() && window->isEnabled())
                action();
        });
    }
    void go(Browser *window, const QString &address)
    {
        input(window, [window, address] {
            window->ComboURL->setFocus(Qt::MouseFocusReason);
            window->ComboURL->setEditText(address);
            QTest::keyClick(window->ComboURL, Qt::Key_Return);
        });
    }
    void go(Browser *window, const char *path) { go(window, m_server.url(QString::fromLatin1(path)).toString()); }
    static void trigger(Browser *window, QAction *Browser::*item)
    {
        input(window, [window, item] { (window->*item)->trigger(); });
    }
    // Clicks go to the page even behind a dialog: the program must ignore them itself. The
    // window comes to the front first, as a window manager brings it on a click.
    static void click(Browser *window)
    {
        later(window, [window] {
            window->activateWindow();
            QWidget *view = window->WebBrowser1->control();
            QTest::mouseClick(view->focusProxy() ? view->focusProxy() : view, Qt::LeftButton, {}, QPoint(60, 60));
        });
    }
    static void closeBox(Browser *window)
    {
        later(window, [window] { pressCloseBox(quint32(window->winId())); });
    }
    void close(Browser *window)
    {
        if (chance(50))
            return closeBox(window);
        // Keys go to the window that has the keyboard: the user brings this one to the front first.
        later(window, [window] { window->activateWindow(); });
        QTimer::singleShot(300, window, [window] {
            input(window, [window] { QTest::keyClick(window, Qt::Key_F12, Qt::ControlModifier | Qt::ShiftModifier); });
        });
    }
    static void typeName(QFileDialog *files, const QString &path)
    {
        later(files, [files, path] {
            auto *name = files->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            name->setText(path);
            QTest::keyClick(name, Qt::Key_Return);
        });
    }

    // A new name each time, one in four in a folder that does not exist.
    QString savePath()
    {
        return m_dir.filePath(QString::fromLatin1(chance(25) ? "saved/sub/none/%1.html" : "saved/%1.html").arg(++m_saves));
    }

    // What the status bar says of a save must be true, and said once.
    void watchNotices()
    {
        for (Browser *window : windows())
            if (!window->property("watched").toBool()) {
                window->setProperty("watched", true);
                connect(window->WebBrowser1, &WebEngine::FileNotice, this, &User::noticed);
            }
    }
    void noticed(const QString &text)
    {
        say(text);
        static const QRegularExpression notice(QStringLiteral("^(Saved|Save failed): (.+?)( \\(.*\\))?$"));
        const QRegularExpressionMatch match = notice.match(text);
        if (!match.hasMatch())
            return;
        const QString path = match.captured(2);
        if (m_told.contains(path))
            m_faults << QStringLiteral("told twice: ") + text;
        m_told << path;
        if ((match.captured(1) == QLatin1String("Saved")) != QFileInfo(path).isFile())
            m_faults << QStringLiteral("not true: ") + text;
    }
    void answer(QDialog *dialog)
    {
        say(QStringLiteral("answer %1 %2").arg(QString::fromLatin1(dialog->metaObject()->className()), dialog->objectName()));
        const bool yes = chance(60);
        if (auto *files = qobject_cast<QFileDialog *>(dialog); files && yes)
            return typeName(files, savePath());
        if (dialog->objectName() == QLatin1String("signIn")) {
            dialog->findChild<QLineEdit *>(QStringLiteral("user"))->setText(QStringLiteral("ann"));
            dialog->findChild<QLineEdit *>(QStringLiteral("password"))->setText(QStringLiteral("pw"));
        }
        // A print accepted would go to a printer; the user cancels it.
        if (yes && !qobject_cast<QPrintDialog *>(dialog))
            return later(dialog, [dialog] { dialog->accept(); });
        later(dialog, [dialog] { dialog->reject(); });
    }
    static QAction *Browser::*menuItem(int n)
    {
        QAction *Browser::*const items[] = {&Browser::pagesetup, &Browser::SaveAs, &Browser::printpreview,
                                            &Browser::print, &Browser::properties};
        return items[n % 5];
    }

    // ---- the faults met before, each cut down to its steps

    void pageClosesUnder(int item)
    {
        QPointer<Browser> opener(anyWindow());
        auto popup = std::make_shared<QPointer<Browser>>();
        m_stages = {
            {"a page that opens a pop-up on a click", [] { return true; }, [=] { go(opener, "/opener"); }, 0},
            {"click it", [=] { return opener && title(opener) == QLatin1String("ready"); }, [=] { click(opener); }, 10000},
            {"its menu item, as the pop-up closes itself",
             [=] { return (*popup = titled(QStringLiteral("Closer"))); },
             [=] {
                 say(((*popup)->*menuItem(item))->text());
                 trigger(*popup, menuItem(item));
             },
             10000},
            {"the dialog", [=] { return !*popup || dialogOf(*popup); }, [] {}, 5000},
            {"the pop-up gone", [=] { return popup->isNull(); }, [] {}, 15000},
        };
    }

    // Closing the last window would end the program: a window to close is never the only one.
    std::function<bool()> spareWindow()
    {
        if (windows().size() < 2)
            if (Browser *window = anyWindow())
                trigger(window, &Browser::New);
        return [] { return windows().size() >= 2; };
    }

    void saveEndless(bool thenClose)
    {
        QPointer<Browser> window(anyWindow());
        const int saveFor = 500 + pick(2500);
        const QString path = m_dir.filePath(QStringLiteral("saved/endless%1.html").arg(++m_saves));
        m_stages = {
            {"a page that never ends", thenClose ? spareWindow() : [] { return true; }, [=] { go(window, "/endless"); }, 10000},
            {"Save As", [=] { return window && title(window) == QLatin1String("endless"); },
             [=] { trigger(window, &Browser::SaveAs); }, 10000},
            {"a file name", [=] { return window && dialogOf(window); },
             [=] {
                 if (auto *files = qobject_cast<QFileDialog *>(dialogOf(window)))
                     typeName(files, path);
             },
             10000},
            {thenClose ? "close the window" : "another address", [=] { return m_stageClock.elapsed() > saveFor; },
             [=] { thenClose ? close(window) : go(window, "/page"); }, 10000},
            {"the save settled",
             [=] { return !window || m_told.contains(path); },
             [] {}, 12000},
        };
    }

    // Another dialog of the window asked for while Properties still reads a busy page.
    void dialogWhileReading(int item)
    {
        QPointer<Browser> window(anyWindow());
        m_stages = {
            {"a page busy for 2 s", [] { return true; }, [=] { go(window, "/busy"); }, 0},
            {"Properties", [=] { return window && title(window) == QLatin1String("busy"); },
             [=] { trigger(window, &Browser::properties); }, 10000},
            {"another dialog of the window while it reads", [=] { return m_stageClock.elapsed() > 300; },
             [=] {
                 say((window->*menuItem(item))->text());
                 trigger(window, menuItem(item));
             },
             2000},
        };
    }

    // Two saves of a page that never ends, the second asked for while the first runs; then the
    // window closes.
    void saveEndlessTwice()
    {
        QPointer<Browser> window(anyWindow());
        const QString first = m_dir.filePath(QStringLiteral("saved/endless%1.html").arg(++m_saves));
        const QString second = m_dir.filePath(QStringLiteral("saved/endless%1.html").arg(++m_saves));
        auto name = [=](const QString &path) {
            if (auto *files = window ? qobject_cast<QFileDialog *>(dialogOf(window)) : nullptr)
                typeName(files, path);
        };
        m_stages = {
            {"a page that never ends", spareWindow(), [=] { go(window, "/endless"); }, 10000},
            {"Save As", [=] { return window && title(window) == QLatin1String("endless"); },
             [=] { trigger(window, &Browser::SaveAs); }, 10000},
            {"a file name", [=] { return window && dialogOf(window); }, [=] { name(first); }, 10000},
            {"Save", [=] { return m_stageClock.elapsed() > 400; }, [=] { trigger(window, &Browser::Save); }, 2000},
            {"a file name if asked", [=] { return m_stageClock.elapsed() > 400; }, [=] { name(second); }, 2000},
            {"close the window", [=] { return m_stageClock.elapsed() > 400; }, [=] { close(window); }, 2000},
            {"the window gone", [=] { return window.isNull(); }, [] {}, 15000, true},
        };
    }

    void alertClicks(bool thenClose)
    {
        QPointer<Browser> window(anyWindow());
        m_stages = {
            {"a page with an alert", thenClose ? spareWindow() : [] { return true; }, [=] { go(window, "/alert"); }, 10000},
            {"two clicks behind it", [=] { return window && dialogOf(window, QStringLiteral("pageDialog")); },
             [=] {
                 click(window);
                 click(window);
             },
             10000},
            {thenClose ? "close its window" : "answer it", [=] { return m_stageClock.elapsed() > 600; },
             [=] {
                 QDialog *alert = window ? dialogOf(window, QStringLiteral("pageDialog")) : nullptr;
                 if (thenClose)
                     closeBox(window);
                 else if (alert)
                     later(alert, [alert] { alert->accept(); });
             },
             10000},
            {"the page goes on", [=] { return !window || title(window) == QLatin1String("alerted"); }, [] {}, 10000},
        };
    }

    // ---- anything else a user does

    void anything()
    {
        Browser *window = anyWindow();
        if (!window) {
            say(QStringLiteral("no window left: the program ends"));
            return;
        }
        static const char *const routes[] = {"/page", "/busy", "/signin", "/alert", "/endless", "/opener"};
        switch (pick(8)) {
        case 0:
            if (windows().size() < 4)
                return say(QStringLiteral("File > New")), trigger(window, &Browser::New);
            [[fallthrough]];
        case 1:
            if (windows().size() > 1)
                return say(QStringLiteral("close a window")), close(window);
            [[fallthrough]];
        case 2:
        case 3: {
            const char *route = routes[pick(6)];
            return say(QStringLiteral("go to %1").arg(QString::fromLatin1(route))), go(window, route);
        }
        case 4: {
            QAction *Browser::*item = menuItem(pick(5));
            return say(QStringLiteral("menu item ") + (window->*item)->text()), trigger(window, item);
        }
        case 5: return say(QStringLiteral("click the page")), click(window);
        case 6: return say(QStringLiteral("mailto: address")), go(window, QStringLiteral("mailto:someone@example.com"));
        default: {
            const QKeyCombination keys[] = {Qt::Key_F5, Qt::Key_Escape, Qt::CTRL | Qt::Key_Plus, Qt::ALT | Qt::Key_Left};
            const QKeyCombination key = keys[pick(4)];
            say(QStringLiteral("keys %1").arg(QKeySequence(key).toString()));
            return later(window, [window, key] { QTest::keyClick(window, key.key(), key.keyboardModifiers()); });
        }
        }
    }

    void tick()
    {
        watchNotices();
        if (!m_stages.isEmpty())
            return advance();
        // Only the topmost of the dialogs that block every window can be answered.
        QList<QDialog *> open = dialogs();
        if (auto *blocking = qobject_cast<QDialog *>(QApplication::activeModalWidget()))
            open = {blocking};
        if (!open.isEmpty() && (m_steps <= 0 || chance(50)))
            return answer(open.at(pick(int(open.size()))));
        if (m_steps > 0) {
            --m_steps;
            if (!m_script.isEmpty())
                return m_script.takeFirst()();
            return anything();
        }
        if (m_sigterm) {
            say(QStringLiteral("SIGTERM"));
            m_tick.stop();
            ::raise(SIGTERM);
        } else if (Browser *window = anyWindow()) {
            say(QStringLiteral("close every window"));
            close(window);
        }
    }

    void advance()
    {
        Stage &stage = m_stages.first();
        if (stage.ready()) {
            say(stage.what);
            stage.act();
            m_stages.removeFirst();
            m_stageClock.start();
        } else if (m_stageClock.elapsed() > stage.waitMs) {
            say(QStringLiteral("gave up waiting for: %1 (%2 waits running)").arg(stage.what).arg(Modal::waiting()));
            if (stage.faultIfLate)
                m_faults << QStringLiteral("never happened: ") + stage.what;
            m_stages.clear();
        }
    }

    std::mt19937 m_random;
    int m_steps;
    const bool m_sigterm;
    int m_saves = 0;
    LoopbackHttpServer m_server;
    QTemporaryDir m_dir;
    QTimer m_tick;
    QElapsedTimer m_clock;
    QElapsedTimer m_stageClock;
    QList<std::function<void()>> m_script;
    QStringList m_told; // files whose save the status bar told of
    QStringList m_faults;
    QList<Stage> m_stages;
};

// The program as app/main.cpp makes it, with the user in place of a person.
int drive(char **argv, quint32 seed, int steps)
{
    Program::prepareProcess();
    Application app(argv[0]);
    Program::prepareApplication(app);
    StartUp::endOnSignals();
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(BrowserWindows::instance(), &BrowserWindows::allClosed, &app, &QApplication::quit,
                     Qt::QueuedConnection);
    int shown = 0;
    bool sigterm = false;
    QStringList faults;
    {
        User user(seed, steps);
        sigterm = seed % 4 == 3;
        BrowserWindows::showFirst();
        user.start();
        QApplication::exec();
        for (QWidget *widget : QApplication::topLevelWidgets())
            shown += widget->isVisible();
        faults = user.faults();
    }
    Program::end();
    for (const QString &fault : faults)
        std::printf("FAULT %s\n", qPrintable(fault));
    std::printf("windows still shown at the end: %d\n", shown);
    return faults.isEmpty() && (sigterm || shown == 0) ? 0 : 3;
}
} // namespace

class TestStress : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aCarelessUserCannotBreakTheProgram()
    {
        const quint32 seed = qEnvironmentVariableIsSet("QUILLON_STRESS_SEED")
            ? qEnvironmentVariable("QUILLON_STRESS_SEED").toUInt()
            : 22;
        const int steps = qEnvironmentVariableIsSet("QUILLON_STRESS_STEPS")
            ? qEnvironmentVariableIntValue("QUILLON_STRESS_STEPS")
            : 36;
        QProcess program;
        QElapsedTimer clock;
        clock.start();
        program.start(QCoreApplication::applicationFilePath(),
                      {QStringLiteral("--drive"), QString::number(seed), QString::number(steps)});
        QVERIFY(program.waitForStarted());
        // The known faults' steps wait up to 15 s each; a sanitized build on a busy machine needs it all.
        const bool ended = program.waitForFinished(90000 + steps * 4000);
        if (!ended)
            program.kill(), program.waitForFinished();
        const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
        const QString err = QString::fromLocal8Bit(program.readAllStandardError());
        qInfo("seed %u, %d steps: %.1f s, %s with status %d", seed, steps, double(clock.elapsed()) / 1000,
              program.exitStatus() == QProcess::NormalExit ? "ended" : "crashed", program.exitCode());
        const QString story = out.right(4000) + QStringLiteral("\n--- error output ---\n") + err.right(6000);
        const bool clean = ended && program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0;
        if (!clean) // a failure's message is cut short: the whole story goes first
            std::fprintf(stderr, "%s\n", qPrintable(story));
        QVERIFY2(ended, qPrintable(QStringLiteral("still running\n") + story));
        QVERIFY2(!err.contains(QLatin1String("Sanitizer")) && !err.contains(QLatin1String("runtime error")), qPrintable(story));
        QVERIFY2(program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0, qPrintable(story));
        QVERIFY2(out.contains(QLatin1String("windows still shown at the end: 0")) || seed % 4 == 3, qPrintable(story));
    }
};

int main(int argc, char **argv)
{
    if (argc == 4 && qstrcmp(argv[1], "--drive") == 0)
        return drive(argv, QByteArray(argv[2]).toUInt(), atoi(argv[3]));
    QCoreApplication app(argc, argv);
    TestStress test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_stress.moc"
