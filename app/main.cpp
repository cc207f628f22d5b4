// Quillon's Browser: the splash window first, then the first browser window and the addresses
// given on the command line. While it runs, a later start on the same display hands its
// addresses over and ends. The program reads no settings; it ends when its last browser
// window closes, or on SIGTERM or SIGINT.

#include "app/application.h"
#include "app/application_service.h"
#include "app/command_line.h"
#include "app/handover.h"
#include "app/start_up.h"
#include "browser/browser_window.h"
#include "app/warm_start.h"
#include "app/program.h"


namespace {
QtMessageHandler defaultHandler = nullptr;

// As root the engine repeats, in its own words, what prepareProcess already said. Newer engines
// (Qt 6.11) look for a Vulkan driver where they find no GBM device, as on a virtual display, and
// the toolkit reports a machine without one as if it were a fault; the engine goes on without.
void withoutEngineRepeats(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message == QLatin1String("Sandboxing disabled by user."))
        return;
    if (type == QtWarningMsg && (message.startsWith(QLatin1String("Failed to create Vulkan instance: ")) ||
                                 message == QLatin1String("Failed to create platform Vulkan instance")))
        return;
    defaultHandler(type, context, message);
}
} // namespace

int main(int argc, char **argv)
{
    const CommandLine::Parsed command = CommandLine::parse(CommandLine::arguments(argc, argv));
    if (const std::optional<int> status = CommandLine::answerAtOnce(command))
        return *status;
    // Before anything of the program's own is set up: a start that hands over shows nothing.
    if (!command.newInstance && Handover::toRunningProgram(command.addresses, argv[0]))
        return 0;
    defaultHandler = qInstallMessageHandler(withoutEngineRepeats);
    Program::prepareProcess();
    Application app(argv[0]);
    Program::prepareApplication(app);
    StartUp::endOnSignals();

    // The splash closes before the first browser window exists: Qt's own last-window rule
    // would end the program in that gap.
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(BrowserWindows::instance(), &BrowserWindows::allClosed, &app,
                     &QApplication::quit, Qt::QueuedConnection);
    // From the first window on, later starts hand their addresses here; a program that is
    // ending takes none (a further start then runs by itself). --new-instance stays apart.
    QObject::connect(BrowserWindows::instance(), &BrowserWindows::allClosed, &app, &ApplicationService::stop);
    StartUp::begin(command.addresses, [listen = !command.newInstance] {
        if (listen)
            ApplicationService::listen();
    });
    WarmStart::begin(&app);
    const int status = QApplication::exec();
    ApplicationService::stop();

    Program::end();
    return status;
}
