#include "prompts/window_modal.h"

#include "common/modal.h"

#include <QDialog>
#include <QEventLoop>
#include <QPointer>

namespace {
// Keeps the user's input from one window while its dialog is open: the window is disabled,
// which also stops its shortcuts, while its own windows (the dialog among them) stay enabled.
// Its close box still reaches it. No event of any other object is looked at.
class InputBlock {
public:
    InputBlock(QWidget *window, QDialog *dialog) : m_window(window)
    {
        if (!window || !window->isEnabled()) {
            dialog->setEnabled(true); // no window, or one already blocked by an earlier dialog
            return;
        }
        m_focus = window->focusWidget();
        window->setEnabled(false);
        for (QWidget *child : window->findChildren<QWidget *>())
            if (child->isWindow() && !child->testAttribute(Qt::WA_ForceDisabled))
                child->setEnabled(true);
        m_blocked = true;
    }
    ~InputBlock()
    {
        if (!m_blocked || !m_window)
            return;
        m_window->setEnabled(true);
        if (m_focus)
            m_focus->setFocus(Qt::OtherFocusReason);
    }
    InputBlock(const InputBlock &) = delete;
    InputBlock &operator=(const InputBlock &) = delete;

private:
    QPointer<QWidget> m_window;
    QPointer<QWidget> m_focus;
    bool m_blocked = false;
};
} // namespace

namespace WindowModal {
int run(QDialog *dialog, QObject *withdrawn)
{
    QPointer<QDialog> guard(dialog);
    QWidget *window = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
    if (Modal::ending(window))
        return QDialog::Rejected;
    dialog->setWindowModality(Qt::NonModal);
    const Modal::Wait wait(dialog); // the window's going rejects it
    const InputBlock block(window, dialog);
    QEventLoop loop;
    QObject::connect(dialog, &QDialog::finished, &loop, &QEventLoop::quit);
    QObject::connect(dialog, &QObject::destroyed, &loop, &QEventLoop::quit);
    if (withdrawn)
        QObject::connect(withdrawn, &QObject::destroyed, dialog, &QDialog::reject);
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    if (guard && dialog->isVisible())
        loop.exec(QEventLoop::DialogExec);
    return guard ? guard->result() : QDialog::Rejected;
}
} // namespace WindowModal
