// Certificate errors: refused, with a page of ours that says which site and why. A site
// whose error the engine lets the user pass may be accepted, for this run only.

#include "engine/qtwebengine/page/engine_page.h"

#include "engine/qtwebengine/addresses/error_pages.h"
#include "engine/qtwebengine/addresses/secure_upgrade.h"

#include <QSet>
#include <QWebEngineCertificateError>

namespace {
// Hosts whose certificate the user accepted, until the program ends.
QSet<QString> &acceptedHosts()
{
    static QSet<QString> hosts;
    return hosts;
}

QString reason(QWebEngineCertificateError::Type type)
{
    using E = QWebEngineCertificateError;
    switch (type) {
    case E::CertificateCommonNameInvalid: return QStringLiteral("The certificate was issued for a different site name.");
    case E::CertificateDateInvalid: return QStringLiteral("The certificate has expired or is not valid yet.");
    case E::CertificateAuthorityInvalid:
        return QStringLiteral("The certificate was not issued by an authority this computer trusts "
                              "(it may be self-signed).");
    case E::CertificateRevoked: return QStringLiteral("The certificate has been revoked by its issuer.");
    case E::CertificateWeakSignatureAlgorithm:
    case E::CertificateWeakKey: return QStringLiteral("The certificate uses weak, outdated security.");
    case E::CertificateNameConstraintViolation:
    case E::CertificateNonUniqueName: return QStringLiteral("The certificate names a site it may not name.");
    case E::CertificateValidityTooLong: return QStringLiteral("The certificate is valid for too long to be trusted.");
    case E::SslObsoleteVersion: return QStringLiteral("The site uses an obsolete, insecure protocol version.");
    default: return QStringLiteral("The certificate is not valid.");
    }
}
} // namespace

void EnginePage::certificateRefused(const QWebEngineCertificateError &error)
{
    QWebEngineCertificateError answer = error;
    if (error.isOverridable() && acceptedHosts().contains(error.url().host())) {
        answer.acceptCertificate();
        return;
    }
    // The page's own address is what our page speaks of. The engine's icon request to the
    // same host may fail before or after it, even while our page shows: it never replaces
    // what is known. A typed host tried over https falls back to http instead of saying anything.
    const bool forThePage = error.url() == requestedUrl();
    if (!m_upgrade->trying() && (forThePage || (!m_errorFor.isValid() && !m_certificate.url.isValid())))
        m_certificate = {error.url(), reason(error.type()), error.isOverridable()};
    answer.rejectCertificate();
}

void EnginePage::showCertificatePage()
{
    const CertificateFailure failure = m_certificate;
    m_certificate = {};
    showErrorPage(certificateErrorPage(failure.url, failure.reason, failure.overridable), failure.url);
    m_certificate = failure; // kept for its "continue" link while the page is shown
}

bool EnginePage::continuesPastCertificate(const QUrl &url, NavigationType type)
{
    // Only the link on our own page, only for an error the engine lets the user pass.
    if (type != NavigationTypeLinkClicked || !m_errorFor.isValid() || !m_certificate.overridable ||
        url != m_certificate.url)
        return false;
    acceptedHosts().insert(url.host());
    m_certificate = {};
    return true;
}
