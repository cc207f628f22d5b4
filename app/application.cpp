#include "app/application.h"

#include "app/screen_reader_keys.h"
#include "common/failure.h"

Application::Application(int &argc, char **argv) : QApplication(argc, argv) {}

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
