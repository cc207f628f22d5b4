#pragma once
// Sign-in for a site or proxy that asks for a user name and password. What is typed is
// handed to the engine and kept nowhere else.

#include "engine/engine_host.h"

#include <QDialog>

class QLineEdit;

class SignInDialog : public QDialog {
    Q_OBJECT
public:
    SignInDialog(const SignInRequest &request, QWidget *parent = nullptr);

    Credentials credentials() const;

    // The engine's sign-in question, answered by the user.
    static std::optional<Credentials> ask(QWidget *pageArea, const SignInRequest &request);

private:
    QLineEdit *m_user;
    QLineEdit *m_password;
};
