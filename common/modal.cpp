#include "common/modal.h"

#include <QDialog>
#include <QList>
#include <QWidget>
#include <algorithm>
#include <utility>

namespace Modal {
namespace {
QList<Wait *> &waits()
{
    static QList<Wait *> list;
    return list;
}

QList<std::function<void()>> &afterWaits()
{
    static QList<std::function<void()>> list;
    return list;
}

// Windows that have gone, kept until they are deleted.
QList<QPointer<QWidget>> &endedWindows()
{
    static QList<QPointer<QWidget>> list;
    return list;
}

QWidget *windowOf(QDialog *dialog)
{
    return dialog && dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
}
} // namespace

Override<Runner> &runner()
{
    static Override<Runner> current([](QDialog *dialog) { return dialog->exec(); });
    return current;
}

int run(QDialog *dialog)
{
    if (ending(windowOf(dialog)))
        return QDialog::Rejected; // nobody is left to answer it
    const Wait wait(dialog);
    return runner()(dialog);
}

Wait::Wait(QWidget *window, std::function<void()> end) : m_window(window), m_end(std::move(end))
{
    waits().append(this);
}

Wait::Wait(QDialog *dialog)
    : Wait(windowOf(dialog), [guard = QPointer<QDialog>(dialog)] {
          if (guard)
              guard->reject();
      })
{
}

Wait::~Wait()
{
    waits().removeOne(this);
    if (!waits().isEmpty())
        return;
    // The last wait has returned: what was put off until now runs here, in the frame that
    // started the outermost wait, so a deleteLater() from here waits for that handler to end.
    const QList<std::function<void()>> pending = std::exchange(afterWaits(), {});
    for (const std::function<void()> &then : pending)
        then();
}

void endWindow(QWidget *window, std::function<void()> then)
{
    endedWindows().removeAll(nullptr);
    endedWindows().append(window);
    const QList<Wait *> current = waits();
    for (Wait *wait : current) {
        if (!waits().contains(wait) || wait->m_ended || !window || wait->m_window != window)
            continue;
        wait->m_ended = true;
        if (wait->m_end)
            wait->m_end();
    }
    if (waits().isEmpty())
        then();
    else
        afterWaits().append(std::move(then));
}

bool ending(const QWidget *window)
{
    const QList<QPointer<QWidget>> &ended = endedWindows();
    return window && std::any_of(ended.cbegin(), ended.cend(), [window](const QPointer<QWidget> &gone) {
               return gone.data() == window;
           });
}

int waiting() { return int(waits().size()); }
} // namespace Modal
