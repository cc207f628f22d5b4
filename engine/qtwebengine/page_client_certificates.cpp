// A site that asks for a certificate to identify the user: the user chooses one of those the
// engine offers (the user's NSS database), or none. With none offered the engine goes on
// without asking, and the site's refusal shows as the engine's error page.

#include "engine/qtwebengine/engine_page.h"

#include "engine/qtwebengine/qt_web_engine.h"

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
} // namespace

void EnginePage::connectClientCertificates()
{
    connect(this, &QWebEnginePage::selectClientCertificate, this,
            [this](QWebEngineClientCertificateSelection selection) {
                const QList<QSslCertificate> offered = selection.certificates();
                ClientCertificateRequest request;
                request.host = selection.host().host();
                for (const QSslCertificate &certificate : offered)
                    request.certificates << factsOf(certificate);
                auto *pending = new QObject(this);
                std::optional<int> chosen;
                try {
                    chosen = EngineHost::chooseClientCertificate()(engine()->view(), request, pending);
                } catch (...) {
                    chosen.reset();
                }
                delete pending;
                if (chosen && *chosen >= 0 && *chosen < offered.size())
                    selection.select(offered.at(*chosen));
                else
                    selection.selectNone();
            });
}
