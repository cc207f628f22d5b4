#include "app/application.h"

#include "app/screen_reader_keys.h"
#include "common/failure.h"

namespace {
// QApplication keeps both for its whole life.
int toolkitArgc = 1;
char *toolkitArgv[] = {nullptr, nullptr};

int &onlyTheName(char *programName)
{
    toolkitArgv[0] = programName;
    return toolkitArgc;
}
} // namespace

Application::Application(char *programName) : QApplication(onlyTheName(programName), toolkitArgv) {}

bool Application::notify(QObject *receiver, QEvent *event)
{
    try {
        if (ScreenReaderKeys::intercept(receiver, event))
            return true;
        return QApplication::notify(receiver, event);
    } catch (const std::exception &e) {
        UncaughtErrors::report(QString::fromUtf8(e.what()));
    } catch (...) {
        UncaughtErrors::report(QStringLiteral("Unknown error"));
    }
    return false;
}
