#include "common/failure.h"

#include "common/modal.h"

#include <QCoreApplication>
#include <QMessageBox>

PlatformError::PlatformError(const QString &message)
    : std::runtime_error(message.toStdString())
{
}

namespace {
void showMessageBox(const QString &message)
{
    QMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(), message,
                    QMessageBox::Ok);
    const Modal::Wait wait(&box);
    box.exec();
}
} // namespace

namespace UncaughtErrors {
Override<Sink> &sink()
{
    static Override<Sink> current(showMessageBox);
    return current;
}

void report(const QString &message) { sink()(message); }
} // namespace UncaughtErrors
