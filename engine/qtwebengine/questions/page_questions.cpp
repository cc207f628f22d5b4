// The questions a page puts to the user: sign-in, permissions and full screen. Each is
// answered, in the window of the page that asked; nothing is kept past the run.

#include "engine/qtwebengine/questions/page_questions.h"

#include "engine/qtwebengine/addresses/request_policy.h"
#include "engine/qtwebengine/questions/full_screen_view.h"
#include "engine/qtwebengine/questions/page_file_access.h"

#include <QAuthenticator>
#include <QWebEngineProfile>
#include <QtWebEngineCoreVersion>
#if QTWEBENGINECORE_VERSION >= QT_VERSION_CHECK(6, 8, 0)
#include <QWebEnginePermission>
#endif
#include <QWebEngineFullScreenRequest>
#include <QWebEngineView>

namespace {
// The user's answers for this run, per site and kind of permission, for every window.
QHash<QPair<QUrl, int>, bool> &answers()
{
    static QHash<QPair<QUrl, int>, bool> remembered;
    return remembered;
}

QString siteName(const QUrl &url) { return url.host().isEmpty() ? url.toDisplayString() : url.host(); }

// Qt 6.8 hands each permission request over as an object of its own, and still emits the old
// signal for the same request: only one of the two may be connected.
#if QTWEBENGINECORE_VERSION >= QT_VERSION_CHECK(6, 8, 0)
using Kind = QWebEnginePermission::PermissionType;
// What the page wants, in plain words; empty for what is refused without asking.
QString wants(Kind kind)
{
    switch (kind) {
    case Kind::Notifications: return QStringLiteral("show notifications");
    case Kind::Geolocation: return QStringLiteral("know your location");
    case Kind::MediaAudioCapture: return QStringLiteral("use your microphone");
    case Kind::MediaVideoCapture: return QStringLiteral("use your camera");
    case Kind::MediaAudioVideoCapture: return QStringLiteral("use your camera and microphone");
    case Kind::MouseLock: return QStringLiteral("lock and hide your mouse pointer");
    case Kind::DesktopVideoCapture: return QStringLiteral("share your screen");
    case Kind::DesktopAudioVideoCapture: return QStringLiteral("share your screen and its sound");
    case Kind::ClipboardReadWrite: return QStringLiteral("read and change what you copied (the clipboard)");
    case Kind::LocalFontsAccess: return QStringLiteral("see the fonts installed on this computer");
    default: return QString();
    }
}
#else
using Kind = QWebEnginePage::Feature;
QString wants(Kind kind)
{
    switch (kind) {
    case QWebEnginePage::Notifications: return QStringLiteral("show notifications");
    case QWebEnginePage::Geolocation: return QStringLiteral("know your location");
    case QWebEnginePage::MediaAudioCapture: return QStringLiteral("use your microphone");
    case QWebEnginePage::MediaVideoCapture: return QStringLiteral("use your camera");
    case QWebEnginePage::MediaAudioVideoCapture: return QStringLiteral("use your camera and microphone");
    case QWebEnginePage::MouseLock: return QStringLiteral("lock and hide your mouse pointer");
    // This engine offers no choice: it shares the whole of the first screen.
    case QWebEnginePage::DesktopVideoCapture: return QStringLiteral("share your whole screen");
    case QWebEnginePage::DesktopAudioVideoCapture: return QStringLiteral("share your whole screen and its sound");
    }
    return QString();
}
#endif
} // namespace

PageQuestions::PageQuestions(QWebEnginePage *page, QWebEngineView *area, RequestPolicy *requests)
    : QObject(page), m_page(page), m_area(area), m_requests(requests), m_files(new FileAccess(page, area))
{
    connect(page, &QWebEnginePage::authenticationRequired, this,
            [this](const QUrl &url, QAuthenticator *authenticator) { signIn(url, authenticator, QString()); });
    connect(page, &QWebEnginePage::proxyAuthenticationRequired, this,
            [this](const QUrl &url, QAuthenticator *authenticator, const QString &proxyHost) {
                signIn(url, authenticator, proxyHost);
            });
#if QTWEBENGINECORE_VERSION >= QT_VERSION_CHECK(6, 8, 0)
    // The answers live in this run's memory only, ours; the engine keeps none.
    page->profile()->setPersistentPermissionsPolicy(QWebEngineProfile::PersistentPermissionsPolicy::AskEveryTime);
    connect(page, &QWebEnginePage::permissionRequested, this, [this](QWebEnginePermission permission) {
        askPermission(permission.origin(), int(permission.permissionType()), wants(permission.permissionType()),
                      [permission](bool allow) { allow ? permission.grant() : permission.deny(); });
    });
#else
    connect(page, &QWebEnginePage::featurePermissionRequested, this, [this](const QUrl &origin, Kind kind) {
        askPermission(origin, int(kind), wants(kind), [page = m_page, origin, kind](bool allow) {
            page->setFeaturePermission(origin, kind,
                                       allow ? QWebEnginePage::PermissionGrantedByUser
                                             : QWebEnginePage::PermissionDeniedByUser);
        });
    });
    connect(page, &QWebEnginePage::featurePermissionRequestCanceled, this,
            [this](const QUrl &origin, Kind kind) { withdrawPermission(qMakePair(origin, int(kind)), false); });
#endif
    connect(page, &QWebEnginePage::fullScreenRequested, this, &PageQuestions::fullScreenRequested);
    connectScreenShare();
    connectClientCertificates();
    connectProtocolHandlers();
}

PageQuestions *PageQuestions::of(const QWebEnginePage *page)
{
    return page ? page->findChild<PageQuestions *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

bool PageQuestions::offline() const { return m_requests->isOffline(); }

QStringList PageQuestions::chooseFiles(QWebEnginePage::FileSelectionMode mode, const QStringList &oldFiles,
                                       const QStringList &accepted)
{
    return m_files->choose(mode, oldFiles, accepted);
}

void PageQuestions::signIn(const QUrl &url, QAuthenticator *authenticator, const QString &proxyHost)
{
    // The engine keeps what was given in the profile's memory for the rest of the run.
    const SignInRequest request{proxyHost.isEmpty() ? siteName(url) : proxyHost, authenticator->realm(),
                                !proxyHost.isEmpty()};
    std::optional<Credentials> credentials;
    try {
        credentials = EngineHost::signIn()(m_area, request);
    } catch (...) {
        credentials.reset();
    }
    if (!credentials) {
        // A null authenticator cancels: the server's own page shows. One left as it came
        // would send empty credentials, and the engine would ask again and again.
        *authenticator = QAuthenticator();
        return;
    }
    authenticator->setUser(credentials->user);
    authenticator->setPassword(credentials->password);
}

void PageQuestions::askPermission(const QUrl &origin, int kind, const QString &wants,
                               const std::function<void(bool)> &settle)
{
    const QPair<QUrl, int> key(origin, kind);
    if (wants.isEmpty()) {
        settle(false); // a kind we cannot put in plain words is never granted
        return;
    }
    const bool screen = isScreenShare(kind); // asked for every share, never remembered
    if (screen && takeScreenChoice()) {
        settle(true);
        return;
    }
    if (const auto known = answers().constFind(key); known != answers().constEnd()) {
        settle(*known);
        return;
    }
    if (m_permissions.value(key).question)
        return; // already asked, not yet answered
    auto *pending = new QObject(this);
    m_permissions.insert(key, {pending, settle});
    QPointer<QObject> open(pending);
    auto answer = [this, open, key, settle, screen](bool allow) {
        if (!open)
            return; // withdrawn: the page has gone on without it
        if (!screen)
            answers().insert(key, allow);
        settle(allow);
        m_permissions.remove(key);
        delete open.data();
    };
    try {
        EngineHost::askPermission()(m_area, PermissionQuestion{siteName(origin), wants}, pending, answer);
    } catch (...) {
        answer(false);
    }
}

void PageQuestions::withdrawPermission(const QPair<QUrl, int> &key, bool deny)
{
    const PendingPermission pending = m_permissions.take(key);
    if (deny && pending.settle)
        pending.settle(false);
    delete pending.question.data();
}

void PageQuestions::denyPending()
{
    // A question nobody answered before the page moved on is a no.
    const auto keys = m_permissions.keys();
    for (const auto &key : keys)
        withdrawPermission(key, true);
}

void PageQuestions::fullScreenRequested(QWebEngineFullScreenRequest request)
{
    // The engine asks only in answer to a click or a key of the user's.
    request.accept();
    if (request.toggleOn() && !m_fullScreen)
        m_fullScreen = new FullScreenView(m_area, m_page);
    else if (!request.toggleOn())
        leaveFullScreen();
}

void PageQuestions::leaveFullScreen() { delete m_fullScreen.data(); }

void PageQuestions::pageClosing()
{
    if (m_fullScreen)
        m_fullScreen->forget();
    leaveFullScreen();
}
