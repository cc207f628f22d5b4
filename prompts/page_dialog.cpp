#include "prompts/page_dialog.h"

#include "prompts/window_modal.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

PageDialog::PageDialog(const PageDialogRequest &request, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("pageDialog"));
    const bool leave = request.kind == PageDialogKind::Leave;
    setWindowTitle(leave ? tr("Leave this page?") : tr("%1 says").arg(request.site));
    auto *layout = new QVBoxLayout(this);
    auto *message = new QLabel(leave ? tr("This page asks you to confirm that you want to leave. "
                                          "Changes you made may not be saved.")
                                     : request.message);
    message->setObjectName(QStringLiteral("message"));
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(true);
    message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Selectable text takes focus on a click, and so reads as focusable: Orca (from 50) then
    // takes it for a control, not the dialog's text, and does not say it. Its context menu
    // still copies.
    message->setFocusPolicy(Qt::NoFocus);
    message->setMinimumWidth(360);
    layout->addWidget(message);
    if (request.kind == PageDialogKind::Prompt) {
        m_text = new QLineEdit(request.text);
        m_text->setObjectName(QStringLiteral("text"));
        message->setBuddy(m_text); // a screen reader names the field by the page's question
        layout->addWidget(m_text);
    }
    if (request.offerToStop) {
        m_stop = new QCheckBox(tr("&Don't let this page show more dialogs"));
        m_stop->setObjectName(QStringLiteral("stopMore"));
        layout->addWidget(m_stop);
    }
    const bool alert = request.kind == PageDialogKind::Alert;
    auto *buttons = new QDialogButtonBox(alert ? QDialogButtonBox::Ok : QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    if (leave) {
        buttons->button(QDialogButtonBox::Ok)->setText(tr("&Leave"));
        buttons->button(QDialogButtonBox::Cancel)->setText(tr("&Stay"));
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

PageDialogAnswer PageDialog::answer() const
{
    PageDialogAnswer answer;
    answer.accepted = result() == QDialog::Accepted;
    if (m_text && answer.accepted)
        answer.text = m_text->text();
    answer.stopMore = m_stop && m_stop->isChecked();
    return answer;
}

PageDialogAnswer PageDialog::ask(QWidget *pageArea, const PageDialogRequest &request, QObject *pending)
{
    // On the heap: the window may be closed, and its children deleted, while the dialog waits.
    QPointer<PageDialog> dialog(new PageDialog(request, pageArea));
    WindowModal::run(dialog, pending);
    const PageDialogAnswer answer = dialog ? dialog->answer() : PageDialogAnswer();
    delete dialog.data();
    return answer;
}
