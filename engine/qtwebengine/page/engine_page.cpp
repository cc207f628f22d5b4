#include "engine/qtwebengine/page/engine_page.h"

#include "engine/qtwebengine/addresses/request_policy.h"
#include "engine/qtwebengine/addresses/secure_upgrade.h"
#include "engine/qtwebengine/questions/page_questions.h"
#include "engine/qtwebengine/setup/engine_profile.h"

#include <QCoreApplication>
#include <QTimer>
#include <QWebEngineNewWindowRequest>
#include <QWebEngineView>

namespace {
// A dialog that opens this soon after the last one closed counts as one more in a row.
constexpr qint64 inARowMs = 3000;
// From this many dialogs in a row on, the dialog offers to stop the page showing more.
constexpr int offerToStopAfter = 3;
// A page that does not answer a close within this time is closed without it.
constexpr int closeAnswerMs = 3000;
} // namespace

EnginePage::EnginePage(QWebEngineView *area, Opener opener)
    : QWebEnginePage(EngineProfile::profile(), area), m_area(area), m_opener(std::move(opener)),
      m_requests(new RequestPolicy(this)), m_upgrade(new SecureUpgrade(this)),
      m_questions(new PageQuestions(this, area, m_requests))
{
    setUrlRequestInterceptor(m_requests);
    connect(this, &QWebEnginePage::newWindowRequested, this, &EnginePage::openNewWindow);
    connect(this, &QWebEnginePage::loadStarted, this, &EnginePage::started);
    connect(this, &QWebEnginePage::loadFinished, this, &EnginePage::finished);
    connect(this, &QWebEnginePage::windowCloseRequested, this, &EnginePage::agreeToClose);
    connect(this, &QWebEnginePage::certificateError, this, &EnginePage::certificateRefused);
}

EnginePage::~EnginePage() { m_questions->pageClosing(); }

void EnginePage::openNewWindow(QWebEngineNewWindowRequest &request)
{
    auto *page = qobject_cast<EnginePage *>(m_opener());
    if (!page)
        return; // refused: no window opens
    request.openIn(page);
    // Taking the new contents replaces the page's insides, and its request policy with them.
    page->setUrlRequestInterceptor(page->m_requests);
}

void EnginePage::showErrorPage(const QString &html, const QUrl &url)
{
    m_errorFor = url;
    m_errorLoading = true;
    setHtml(html, url);
}

void EnginePage::reload()
{
    if (m_errorFor.isValid())
        load(m_errorFor);
    else
        triggerAction(QWebEnginePage::Reload);
}

void EnginePage::started()
{
    if (m_errorLoading) {
        m_errorLoading = false;
        return;
    }
    m_errorFor.clear();
    m_certificate = {};
    m_questions->denyPending();
}

void EnginePage::finished(bool ok)
{
    if (!ok && m_certificate.url.isValid() && m_certificate.url == requestedUrl())
        showCertificatePage();
}

bool EnginePage::requestClose()
{
    m_questions->leaveFullScreen();
    if (m_closeAgreed)
        return true;
    m_closing = true;
    if (m_dialog) {
        // The dialog goes first; the window closes once the page has its answer.
        delete m_dialog.data();
        return false;
    }
    triggerAction(QWebEnginePage::RequestClose);
    // A page whose renderer hangs must not keep its window open.
    QTimer::singleShot(closeAnswerMs, this, [this] {
        if (m_closing && !m_dialog)
            agreeToClose();
    });
    return false;
}

void EnginePage::agreeToClose()
{
    if (m_closeAgreed)
        return;
    m_closeAgreed = true;
    // Queued: the page may still be inside one of its own calls.
    QTimer::singleShot(0, this, &EnginePage::closeAgreed);
}

PageDialogAnswer EnginePage::ask(PageDialogRequest request, const QUrl &origin)
{
    const bool leave = request.kind == PageDialogKind::Leave;
    if (m_dialog || (m_closing && !leave))
        return {};
    if (m_dialogsStopped)
        return {leave, {}, false}; // a page that may show no more dialogs may be left
    m_dialogsInARow = m_sinceDialog.isValid() && m_sinceDialog.elapsed() < inARowMs ? m_dialogsInARow + 1 : 1;
    request.site = origin.host().isEmpty() ? origin.toDisplayString() : origin.host();
    request.offerToStop = m_dialogsInARow >= offerToStopAfter;
    auto *pending = new QObject(this);
    m_dialog = pending;
    PageDialogAnswer answer;
    try {
        answer = EngineHost::pageDialog()(m_area, request, pending);
    } catch (...) {
        answer = {}; // the page gets a refusal, never an exception through the engine
    }
    const bool withdrawn = m_dialog.isNull();
    delete m_dialog.data();
    m_sinceDialog.start();
    m_dialogsStopped = m_dialogsStopped || answer.stopMore;
    if (leave && !answer.accepted && !withdrawn)
        m_closing = false; // the user stays
    if (withdrawn && m_closing) {
        // Closing the window is the user's answer: leave the page, refuse the rest.
        answer = {};
        answer.accepted = request.kind == PageDialogKind::Leave;
        agreeToClose();
    }
    return answer;
}

void EnginePage::javaScriptAlert(const QUrl &origin, const QString &message)
{
    ask({PageDialogKind::Alert, {}, message, {}, false}, origin);
}

bool EnginePage::javaScriptConfirm(const QUrl &origin, const QString &message)
{
    // The engine asks its "leave this page?" question through here with its own fixed text.
    static const QString leave = QCoreApplication::translate(
        "QWebEnginePage", "Are you sure you want to leave this page? Changes that you made may not be saved.");
    const PageDialogKind kind = message == leave ? PageDialogKind::Leave : PageDialogKind::Confirm;
    return ask({kind, {}, kind == PageDialogKind::Leave ? QString() : message, {}, false}, origin).accepted;
}

bool EnginePage::javaScriptPrompt(const QUrl &origin, const QString &message, const QString &defaultValue,
                                  QString *result)
{
    const PageDialogAnswer answer = ask({PageDialogKind::Prompt, {}, message, defaultValue, false}, origin);
    if (answer.accepted && result)
        *result = answer.text;
    return answer.accepted;
}

bool EnginePage::acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame)
{
    if (isMainFrame && continuesPastCertificate(url, type)) {
        // Queued: a load started from inside the engine's navigation check ends the process
        // on newer engines (Qt 6.11).
        QTimer::singleShot(0, this, [this, url] { load(url); });
        return false;
    }
    if (isMainFrame) {
        m_upgrade->navigating(url, type == NavigationTypeTyped, type == NavigationTypeRedirect);
        // A new page starts with a clean slate of dialogs.
        m_dialogsStopped = false;
        m_dialogsInARow = 0;
        // And the old page's unanswered questions are a no: newer engines (Qt 6.11) do not
        // report the start of a load that replaces one still under way.
        m_questions->denyPending();
    }
    return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
}

QStringList EnginePage::chooseFiles(FileSelectionMode mode, const QStringList &oldFiles, const QStringList &accepted)
{
    return m_questions->chooseFiles(mode, oldFiles, accepted);
}
