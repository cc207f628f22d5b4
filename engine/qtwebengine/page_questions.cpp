// The questions a page puts to the user: sign-in, permissions and full screen. Each is
// answered, in the window of the page that asked; nothing is kept past the run.

#include "engine/qtwebengine/engine_page.h"

#include "engine/qtwebengine/error_pages.h"
#include "engine/qtwebengine/full_screen_view.h"

#include <QAuthenticator>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineView>

namespace {
QString wants(QWebEnginePage::Feature feature)
{
    switch (feature) {
    case QWebEnginePage::Notifications: return QStringLiteral("show notifications");
    case QWebEnginePage::Geolocation: return QStringLiteral("know your location");
    case QWebEnginePage::MediaAudioCapture: return QStringLiteral("use your microphone");
    case QWebEnginePage::MediaVideoCapture: return QStringLiteral("use your camera");
    case QWebEnginePage::MediaAudioVideoCapture: return QStringLiteral("use your camera and microphone");
    case QWebEnginePage::MouseLock: return QStringLiteral("lock and hide your mouse pointer");
    case QWebEnginePage::DesktopVideoCapture: return QStringLiteral("share your screen");
    case QWebEnginePage::DesktopAudioVideoCapture: return QStringLiteral("share your screen and its sound");
    }
    return QStringLiteral("use a feature of this computer");
}

// The user's answers for this run, per site and feature, for every window.
QHash<QPair<QUrl, int>, bool> &answers()
{
    static QHash<QPair<QUrl, int>, bool> remembered;
    return remembered;
}

QString siteName(const QUrl &url) { return url.host().isEmpty() ? url.toDisplayString() : url.host(); }
} // namespace

void EnginePage::connectQuestions()
{
    connect(this, &QWebEnginePage::authenticationRequired, this,
            [this](const QUrl &url, QAuthenticator *authenticator) { signIn(url, authenticator, QString()); });
    connect(this, &QWebEnginePage::proxyAuthenticationRequired, this,
            [this](const QUrl &url, QAuthenticator *authenticator, const QString &proxyHost) {
                signIn(url, authenticator, proxyHost);
            });
    connect(this, &QWebEnginePage::featurePermissionRequested, this, &EnginePage::permissionRequested);
    connect(this, &QWebEnginePage::featurePermissionRequestCanceled, this,
            [this](const QUrl &origin, Feature feature) { withdrawPermission(origin, feature, false); });
    connect(this, &QWebEnginePage::fullScreenRequested, this, &EnginePage::fullScreenRequested);
    connect(this, &QWebEnginePage::certificateError, this, &EnginePage::certificateRefused);
}

void EnginePage::signIn(const QUrl &url, QAuthenticator *authenticator, const QString &proxyHost)
{
    // The engine keeps what was given in the profile's memory for the rest of the run.
    // Left empty, the engine asks again at once; a cancelled sign-in stays cancelled for this load.
    if (m_signInCancelled == url)
        return;
    const SignInRequest request{proxyHost.isEmpty() ? siteName(url) : proxyHost, authenticator->realm(),
                                !proxyHost.isEmpty()};
    std::optional<Credentials> credentials;
    try {
        credentials = EngineHost::signIn()(pageArea(), request);
    } catch (...) {
        credentials.reset();
    }
    if (!credentials) {
        m_signInCancelled = url; // the engine's own page would say the site cannot be reached
        return;
    }
    authenticator->setUser(credentials->user);
    authenticator->setPassword(credentials->password);
}

void EnginePage::permissionRequested(const QUrl &origin, Feature feature)
{
    const QPair<QUrl, int> key(origin, int(feature));
    if (const auto known = answers().constFind(key); known != answers().constEnd()) {
        setFeaturePermission(origin, feature, *known ? PermissionGrantedByUser : PermissionDeniedByUser);
        return;
    }
    if (m_permissions.value(key))
        return; // already asked, not yet answered
    auto *pending = new QObject(this);
    m_permissions.insert(key, pending);
    QPointer<QObject> open(pending);
    auto answer = [this, open, origin, feature, key](bool allow) {
        if (!open)
            return; // withdrawn: the page has gone on without it
        answers().insert(key, allow);
        setFeaturePermission(origin, feature, allow ? PermissionGrantedByUser : PermissionDeniedByUser);
        m_permissions.remove(key);
        delete open.data();
    };
    try {
        EngineHost::askPermission()(pageArea(), PermissionQuestion{siteName(origin), wants(feature)}, pending, answer);
    } catch (...) {
        answer(false);
    }
}

void EnginePage::withdrawPermission(const QUrl &origin, Feature feature, bool deny)
{
    QPointer<QObject> pending = m_permissions.take(qMakePair(origin, int(feature)));
    if (deny)
        setFeaturePermission(origin, feature, PermissionDeniedByUser);
    delete pending.data();
}

void EnginePage::denyPendingPermissions()
{
    // A question nobody answered before the page moved on is a no.
    const auto keys = m_permissions.keys();
    for (const auto &key : keys)
        withdrawPermission(key.first, Feature(key.second), true);
}

void EnginePage::fullScreenRequested(QWebEngineFullScreenRequest request)
{
    // The engine asks only in answer to a click or a key of the user's.
    request.accept();
    if (request.toggleOn() && !m_fullScreen)
        m_fullScreen = new FullScreenView(static_cast<QWebEngineView *>(pageArea()), this);
    else if (!request.toggleOn())
        leaveFullScreen();
}

void EnginePage::leaveFullScreen() { delete m_fullScreen.data(); }
