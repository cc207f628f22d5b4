#include "prompts/sign_in_dialog.h"

#include "prompts/window_modal.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

SignInDialog::SignInDialog(const SignInRequest &request, QWidget *parent)
    : QDialog(parent), m_user(new QLineEdit), m_password(new QLineEdit)
{
    setObjectName(QStringLiteral("signIn"));
    setWindowTitle(tr("Sign in"));
    const QString who = request.proxy ? tr("The proxy %1 asks you to sign in.") : tr("The site %1 asks you to sign in.");
    auto *intro = new QLabel(who.arg(request.host));
    intro->setObjectName(QStringLiteral("site"));
    auto *realm = new QLabel(request.realm.isEmpty() ? QString() : tr("It says: \u201c%1\u201d").arg(request.realm));
    realm->setObjectName(QStringLiteral("realm"));
    for (QLabel *label : {intro, realm}) {
        label->setTextFormat(Qt::PlainText); // host and realm come from the site
        label->setWordWrap(true);
    }
    realm->setVisible(!request.realm.isEmpty());
    m_user->setObjectName(QStringLiteral("user"));
    m_password->setObjectName(QStringLiteral("password"));
    m_password->setEchoMode(QLineEdit::Password);
    auto *form = new QFormLayout;
    form->addRow(tr("&User name:"), m_user);
    form->addRow(tr("&Password:"), m_password);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(tr("&Sign In"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(realm);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(380);
    m_user->setFocus();
}

Credentials SignInDialog::credentials() const { return {m_user->text(), m_password->text()}; }

std::optional<Credentials> SignInDialog::ask(QWidget *pageArea, const SignInRequest &request)
{
    QPointer<SignInDialog> dialog(new SignInDialog(request, pageArea));
    const bool accepted = WindowModal::run(dialog) == QDialog::Accepted && dialog;
    std::optional<Credentials> answer;
    if (accepted)
        answer = dialog->credentials();
    delete dialog.data();
    return answer;
}
