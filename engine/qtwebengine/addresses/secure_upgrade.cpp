#include "engine/qtwebengine/addresses/secure_upgrade.h"

#include <QWebEngineHistory>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineSettings>

SecureUpgrade::SecureUpgrade(QWebEnginePage *page) : QObject(page), m_page(page)
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(answerMs);
    connect(&m_timer, &QTimer::timeout, this, &SecureUpgrade::timedOut);
}

void SecureUpgrade::setState(State state)
{
    m_state = state;
    // While https is tried, the engine's error page would commit, show and stay in the
    // history for a failure the user never sees; with it off, a failed load commits nothing.
    m_page->settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, state != State::Trying);
    if (state != State::Trying)
        m_timer.stop();
}

void SecureUpgrade::load(const QUrl &secure, const QUrl &plain)
{
    m_secure = secure;
    m_plain = plain;
    m_entryBefore = m_page->history()->currentItemIndex();
    m_urlBefore = m_page->history()->currentItem().url();
    setState(State::Trying); // before the load: the engine reads the setting as it starts
    m_timer.start();
    m_page->load(secure);
}

void SecureUpgrade::settle()
{
    setState(State::Idle);
    Q_EMIT answered();
}

void SecureUpgrade::cancel()
{
    if (m_state != State::Idle)
        setState(State::Idle);
}

void SecureUpgrade::navigating(const QUrl &url, bool typed, bool redirect)
{
    if (m_state == State::Idle || redirect)
        return;
    const QUrl &ours = m_state == State::Trying ? m_secure : m_plain;
    if (!typed || url.scheme() != ours.scheme() || url.host() != ours.host())
        cancel();
}

bool SecureUpgrade::committed() const
{
    const QWebEngineHistory *history = m_page->history();
    return history->currentItemIndex() != m_entryBefore || history->currentItem().url() != m_urlBefore;
}

void SecureUpgrade::timedOut()
{
    // A page that has begun to arrive is slow, not missing: it keeps loading over https.
    if (committed())
        settle();
    else
        fallBack();
}

void SecureUpgrade::fallBack()
{
    setState(State::FallingBack);
    m_page->load(m_plain); // replaces a secure load still waiting for an answer
}

SecureUpgrade::Outcome SecureUpgrade::loadEnded(const QWebEngineLoadingInfo &info)
{
    switch (m_state) {
    case State::Idle: return Outcome::None;
    case State::Trying:
        // A network or TLS error (codes below zero) before anything arrived; an HTTP error
        // status is an answer from the secure site.
        if (info.status() == QWebEngineLoadingInfo::LoadFailedStatus && info.errorCode() < 0 && !committed()) {
            fallBack();
            return Outcome::FellBack;
        }
        if (info.status() == QWebEngineLoadingInfo::LoadSucceededStatus || committed())
            settle();
        else
            setState(State::Idle); // stopped before any answer
        return Outcome::None;
    case State::FallingBack:
        setState(State::Idle);
        return info.status() == QWebEngineLoadingInfo::LoadSucceededStatus && info.url().scheme() == QLatin1String("http")
                   ? Outcome::CameOverHttp
                   : Outcome::None;
    }
    return Outcome::None;
}

QString SecureUpgrade::notice() const
{
    return tr("%1 has no secure version: this page came over http, unencrypted").arg(m_plain.host());
}
