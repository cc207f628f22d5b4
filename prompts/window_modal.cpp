#include "prompts/window_modal.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QEventLoop>
#include <QPointer>

namespace {
// Swallows the user's input to one window while its dialog is open.
class InputBlocker : public QObject {
public:
    InputBlocker(QWidget *window, QDialog *dialog) : m_window(window), m_dialog(dialog)
    {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!watched->isWidgetType() || !isInput(event->type()))
            return false;
        auto *widget = static_cast<QWidget *>(watched);
        if (!m_window || widget->window() != m_window)
            return false;
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept(); // keeps the window's shortcuts from firing; the key is then dropped
            return true;
        }
        if (event->type() == QEvent::MouseButtonPress && m_dialog) {
            m_dialog->raise();
            m_dialog->activateWindow();
        }
        return true;
    }

private:
    static bool isInput(QEvent::Type type)
    {
        switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::Drop:
            return true;
        default:
            return false;
        }
    }

    QPointer<QWidget> m_window;
    QPointer<QDialog> m_dialog;
};
} // namespace

namespace WindowModal {
int run(QDialog *dialog, QObject *withdrawn)
{
    QPointer<QDialog> guard(dialog);
    QWidget *window = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
    dialog->setWindowModality(Qt::NonModal);
    InputBlocker blocker(window, dialog);
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
