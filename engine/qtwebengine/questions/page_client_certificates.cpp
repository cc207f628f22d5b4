// A site that asks for a certificate to identify the user: the user chooses one of those the
// engine offers (the user's NSS database), or none. With none offered the engine goes on
// without asking, and the site's refusal shows as the engine's error page.

#include "engine/qtwebengine/questions/page_questions.h"

#include "common/modal.h"

#include <QHash>
#include <QSslCertificate>
#include <QWebEngineClientCertificateSelection>
#include <QWebEngineView>

namespace {
ClientCertificate factsOf(const QSslCertificate &certificate)
{
    const auto name = [](const QString &display, const QStringList &common) {
        return display.isEmpty() ? common.join(QStringLiteral(", ")) : display;
    };
    return {name(certificate.subjectDisplayName(), certificate.subjectInfo(QSslCertificate::CommonName)),
            name(certificate.issuerDisplayName(), certificate.issuerInfo(QSslCertificate::CommonName)),
            certificate.expiryDate()};
}

// The answers of this run, per site and port: a null certificate is "Don't send".
QHash<QString, QSslCertificate> &chosen()
{
    static QHash<QString, QSslCertificate> answers;
    return answers;
}

// Further asks of a site while its question is open.
QHash<QString, QList<QWebEngineClientCertificateSelection>> &waiting()
{
    static QHash<QString, QList<QWebEngineClientCertificateSelection>> asks;
    return asks;
}

void send(QWebEngineClientCertificateSelection &selection, const QSslCertificate &certificate)
{
    if (certificate.isNull() || !selection.certificates().contains(certificate))
        selection.selectNone();
    else
        selection.select(certificate);
}
} // namespace

void PageQuestions::connectClientCertificates()
{
    connect(m_page, &QWebEnginePage::selectClientCertificate, this,
            [this](QWebEngineClientCertificateSelection selection) {
                // Each connection to the site asks again: the first answer stands for the rest,
                // those made while it is asked among them.
                const QString site = selection.host().toString();
                if (const auto known = chosen().constFind(site); known != chosen().constEnd())
                    return send(selection, *known);
                if (waiting().contains(site))
                    return waiting()[site].append(selection);
                waiting()[site] = {};
                const QList<QSslCertificate> offered = selection.certificates();
                ClientCertificateRequest request;
                request.host = selection.host().host();
                for (const QSslCertificate &certificate : offered)
                    request.certificates << factsOf(certificate);
                auto *pending = new QObject(this);
                std::optional<int> choice;
                try {
                    choice = EngineHost::chooseClientCertificate()(m_area, request, pending);
                } catch (...) {
                    choice.reset();
                }
                delete pending;
                const QSslCertificate certificate =
                    choice && *choice >= 0 && *choice < offered.size() ? offered.at(*choice) : QSslCertificate();
                if (!Modal::ending(m_area->window())) // closing the window is no answer
                    chosen().insert(site, certificate);
                send(selection, certificate);
                for (QWebEngineClientCertificateSelection &other : waiting().take(site))
                    send(other, certificate);
            });
}
