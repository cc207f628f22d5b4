#pragma once
// A typed host name goes over https first. When that load fails (refused, reset, no answer in
// time, a certificate the engine does not trust, a TLS error) the same address loads over http
// instead, without an error page in between and without an entry in the page's history. Only
// what the user typed comes here; links and redirects load as the page wrote them.

#include <QObject>
#include <QTimer>
#include <QUrl>

class QWebEngineLoadingInfo;
class QWebEnginePage;

class SecureUpgrade : public QObject {
    Q_OBJECT
public:
    explicit SecureUpgrade(QWebEnginePage *page);

    // Loads secure in the page; plain is what loads when it fails.
    void load(const QUrl &secure, const QUrl &plain);
    // Stop, or a navigation of the user's: a failure from now on is not fallen back from.
    void cancel();
    // Whether the secure load is under way: its certificate errors are ours, not the user's.
    bool trying() const { return m_state == State::Trying; }
    // A main-frame navigation the page is about to make; any other than ours cancels.
    void navigating(const QUrl &url, bool typed, bool redirect);

    enum class Outcome {
        None,        // not ours, or nothing more to do
        FellBack,    // the secure load failed; the plain one is under way, the load goes on
        CameOverHttp // the plain load succeeded: the user is told once
    };
    // The page's load ended (succeeded, stopped or failed).
    Outcome loadEnded(const QWebEngineLoadingInfo &info);
    // For the status bar, after CameOverHttp.
    QString notice() const;

Q_SIGNALS:
    // The secure load was answered: the page is the site's secure version.
    void answered();

public:
    // With no answer at all within this time, the site counts as having no secure version.
    static constexpr int answerMs = 5000;

private:
    enum class State { Idle, Trying, FallingBack };
    void setState(State state);
    void settle();
    void timedOut();
    void fallBack();
    // Whether the page has moved on to a new history entry since the secure load began.
    bool committed() const;

    QWebEnginePage *m_page;
    QTimer m_timer;
    State m_state = State::Idle;
    QUrl m_secure;
    QUrl m_plain;
    int m_entryBefore = -1;
    QUrl m_urlBefore;
};
