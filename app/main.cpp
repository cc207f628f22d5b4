// Quillon's Browser: the splash window first, then the first browser window. The program
// takes no arguments and reads no settings; it ends when its last browser window closes.

#include "app/application.h"
#include "app/splash_window.h"
#include "browser/browser_window.h"
#include "app/warm_start.h"
#include "engine/qtwebengine/engine_profile.h"
#include "app/program.h"

#include <QPointer>

namespace {
QtMessageHandler defaultHandler = nullptr;

// As root the engine repeats, in its own words, what prepareProcess already said.
void withoutEngineRepeats(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message == QLatin1String("Sandboxing disabled by user."))
        return;
    defaultHandler(type, context, message);
}
} // namespace

int main(int argc, char **argv)
{
    defaultHandler = qInstallMessageHandler(withoutEngineRepeats);
    Program::prepareProcess();
    Application app(argc, argv);
    Program::prepareApplication(app);

    // The splash closes before the first browser window exists: Qt's own last-window rule
    // would end the program in that gap.
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(BrowserWindows::instance(), &BrowserWindows::allClosed, &app,
                     &QApplication::quit, Qt::QueuedConnection);

    (new frmSplash)->show();
    WarmStart::begin(&app);
    const int status = QApplication::exec();

    // Pages go before the profile that holds them.
    QList<QPointer<QWidget>> windows;
    for (QWidget *window : QApplication::topLevelWidgets())
        windows.append(window);
    for (const QPointer<QWidget> &window : windows)
        delete window.data();
    Program::shutdown();
    return status;
}
