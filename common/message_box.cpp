#include "common/message_box.h"

#include "common/modal.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace MessageBox {
namespace {
void showBox(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok);
    const Modal::Wait wait(&box);
    box.exec();
}
} // namespace

Override<Sink> &sink()
{
    static Override<Sink> current(showBox);
    return current;
}

void show(const QString &text) { sink()(text); }
} // namespace MessageBox
