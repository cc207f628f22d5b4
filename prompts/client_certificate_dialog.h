#pragma once
// A site asks for a certificate to identify the user: the certificates offered, by subject,
// issuer and the date they run out, with Send and "Don't send". Over the page's window only.

#include "engine/engine_host.h"

#include <QDialog>

class QTreeWidget;

class ClientCertificateDialog : public QDialog {
    Q_OBJECT
public:
    ClientCertificateDialog(const ClientCertificateRequest &request, QWidget *parent = nullptr);

    // The row chosen, or nothing for "Don't send".
    std::optional<int> choice() const;

    static std::optional<int> ask(QWidget *pageArea, const ClientCertificateRequest &request, QObject *pending);

private:
    QTreeWidget *m_list;
};
