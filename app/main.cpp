// Quillon's Browser: the splash window first, then the first browser window and the addresses
// given on the command line. The program reads no settings; it ends when its last browser
// window closes, or on SIGTERM or SIGINT.

#include "app/application.h"
#include "app/command_line.h"
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
    if (const std::optional<int> status = CommandLine::answerAtOnce(argc, argv))
        return *status;
    defaultHandler = qInstallMessageHandler(withoutEngineRepeats);
    Program::prepareProcess();
    Application app(argc, argv);
    const CommandLine::Parsed command = CommandLine::parse(QApplication::arguments().mid(1));
    if (const std::optional<int> status = CommandLine::refuseUnknown(command))
        return *status;
    Program::prepareApplication(app);
    StartUp::endOnSignals();

    // The splash closes before the first browser window exists: Qt's own last-window rule
    // would end the program in that gap.
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(BrowserWindows::instance(), &BrowserWindows::allClosed, &app,
                     &QApplication::quit, Qt::QueuedConnection);

    StartUp::begin(command.addresses);
    WarmStart::begin(&app);
    const int status = QApplication::exec();

    Program::end();
    return status;
}
