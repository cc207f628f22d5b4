#include "app/start_up.h"

#include "app/splash_window.h"
#include "browser/browser_window.h"
#include "common/connect_guarded.h"

#include <QApplication>
#include <QComboBox>
#include <QSocketNotifier>
#include <csignal>
#include <memory>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int signalSockets[2] = {-1, -1};

// Only async-signal-safe work here: the event loop reads the byte and does the rest.
void noteSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalSockets[0], &byte, 1);
}
} // namespace

namespace StartUp {

void begin(const QStringList &addresses, std::function<void()> then)
{
    auto *splash = new frmSplash;
    // The first window may already be built, hidden, before the tick: what tells whether the
    // splash went early is whether it handed over.
    auto handedOver = std::make_shared<bool>(false);
    connectGuarded(splash, &frmSplash::handedOver, BrowserWindows::instance(), [addresses, handedOver, then] {
        *handedOver = true;
        if (then)
            then();
        openAddresses(addresses);
    });
    QObject::connect(splash, &QObject::destroyed, BrowserWindows::instance(), [handedOver] {
        if (!*handedOver)
            QCoreApplication::quit();
    });
    splash->show();
}

void openAddresses(const QStringList &addresses)
{
    for (qsizetype i = 0; i < addresses.size(); ++i) {
        Browser *window = i == 0 ? BrowserWindows::first() : nullptr;
        if (!window) {
            window = new Browser; // independent, as File > New makes it
            window->show();
        }
        window->ComboURL->setEditText(addresses.at(i));
        window->Go_Click();
    }
}

void endOnSignals()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalSockets) != 0)
        return; // the default action then ends the program, as before
    auto *notifier = new QSocketNotifier(signalSockets[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [] {
        char byte = 0;
        [[maybe_unused]] const ssize_t read = ::read(signalSockets[1], &byte, 1);
        // exit, not quit: quit first asks every window to close, and a page still answering
        // its leave question would keep the program alive.
        QCoreApplication::exit(0);
    });
    struct sigaction action = {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

} // namespace StartUp
