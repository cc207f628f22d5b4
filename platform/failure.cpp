#include "platform/failure.h"

#include <QCoreApplication>
#include <QMessageBox>

PlatformError::PlatformError(const QString &message)
    : std::runtime_error(message.toStdString())
{
}

namespace {
UncaughtErrors::Sink &currentSink()
{
    static UncaughtErrors::Sink sink;
    return sink;
}

void showMessageBox(const QString &message)
{
    QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(), message,
                    QMessageBox::Ok);
    box.exec();
}
} // namespace

namespace UncaughtErrors {
void report(const QString &message)
{
    const Sink &sink = currentSink();
    if (sink)
        sink(message);
    else
        showMessageBox(message);
}

Sink setSink(Sink sink)
{
    Sink previous = std::move(currentSink());
    currentSink() = std::move(sink);
    return previous;
}
} // namespace UncaughtErrors
