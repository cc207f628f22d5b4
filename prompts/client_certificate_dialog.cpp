#include "prompts/client_certificate_dialog.h"

#include "prompts/window_modal.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

ClientCertificateDialog::ClientCertificateDialog(const ClientCertificateRequest &request, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("clientCertificateDialog"));
    setWindowTitle(tr("Identify yourself"));
    auto *layout = new QVBoxLayout(this);
    auto *text = new QLabel(tr("%1 asks for a certificate to identify you. Choose the one to send:").arg(request.host));
    text->setObjectName(QStringLiteral("question"));
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    layout->addWidget(text);
    m_list = new QTreeWidget;
    m_list->setObjectName(QStringLiteral("certificates"));
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels({tr("Subject"), tr("Issuer"), tr("Valid until")});
    m_list->setMinimumSize(520, 160);
    for (const ClientCertificate &certificate : request.certificates)
        new QTreeWidgetItem(m_list, {certificate.subject, certificate.issuer,
                                     QLocale().toString(certificate.validUntil.date(), QLocale::ShortFormat)});
    m_list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_list->setCurrentItem(m_list->topLevelItem(0));
    text->setBuddy(m_list);
    layout->addWidget(m_list);
    auto *buttons = new QDialogButtonBox;
    auto *send = buttons->addButton(tr("&Send"), QDialogButtonBox::AcceptRole);
    send->setObjectName(QStringLiteral("send"));
    send->setDefault(true);
    auto *none = buttons->addButton(tr("&Don't send"), QDialogButtonBox::RejectRole);
    none->setObjectName(QStringLiteral("dontSend"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
    layout->addWidget(buttons);
}

std::optional<int> ClientCertificateDialog::choice() const
{
    const int row = m_list->indexOfTopLevelItem(m_list->currentItem());
    if (result() != QDialog::Accepted || row < 0)
        return std::nullopt;
    return row;
}

std::optional<int> ClientCertificateDialog::ask(QWidget *pageArea, const ClientCertificateRequest &request,
                                                QObject *pending)
{
    QPointer<ClientCertificateDialog> dialog(new ClientCertificateDialog(request, pageArea));
    WindowModal::run(dialog, pending);
    const std::optional<int> chosen = dialog ? dialog->choice() : std::nullopt;
    delete dialog.data();
    return chosen;
}
