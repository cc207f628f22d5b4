#include "platform/message_box.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace MessageBox {
namespace {
Sink &currentSink()
{
    static Sink sink;
    return sink;
}
} // namespace

void show(const QString &text)
{
    if (const Sink &sink = currentSink()) {
        sink(text);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok);
    box.exec();
}

Sink setSink(Sink sink)
{
    Sink previous = std::move(currentSink());
    currentSink() = std::move(sink);
    return previous;
}
} // namespace MessageBox
