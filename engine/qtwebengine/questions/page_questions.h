#pragma once
// What one browser page asks of the user: sign-in, permissions, full screen, screen sharing,
// files, client certificates and protocol handlers. Each question is put through the engine's
// host in the page's own area, the view that shows it; nothing is kept past the run.

#include "engine/engine_host.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QWebEnginePage>
#include <functional>

class FileAccess;
class FullScreenView;
class QAuthenticator;
class QWebEngineFullScreenRequest;
class QWebEngineView;
class RequestPolicy;

class PageQuestions : public QObject {
    Q_OBJECT
public:
    // Answers what page asks, in area; requests is the page's own request policy.
    PageQuestions(QWebEnginePage *page, QWebEngineView *area, RequestPolicy *requests);

    // The questions of a browser window's page; null for any other page (the tools', the
    // warm-up view's).
    static PageQuestions *of(const QWebEnginePage *page);

    QWebEngineView *area() const { return m_area; }
    bool offline() const;

    // The page moved on: a question nobody answered is a no.
    void denyPending();
    void leaveFullScreen();
    // The page goes with its window: the full-screen view has nothing to give back.
    void pageClosing();
    // The page's file inputs and pickers, answered by the program's own dialogs.
    QStringList chooseFiles(QWebEnginePage::FileSelectionMode mode, const QStringList &oldFiles,
                            const QStringList &accepted);

Q_SIGNALS:
    // What the page's window says in its status bar (a download that ended, one refused).
    void notice(const QString &text);

private:
    void signIn(const QUrl &url, QAuthenticator *authenticator, const QString &proxyHost);
    // Asks once per site and kind for the run; settle hands the answer to the engine.
    void askPermission(const QUrl &origin, int kind, const QString &wants, const std::function<void(bool)> &settle);
    void withdrawPermission(const QPair<QUrl, int> &key, bool deny);
    void fullScreenRequested(QWebEngineFullScreenRequest request);

    // page_screen_share.cpp, page_client_certificates.cpp, protocol_handlers.cpp
    void connectScreenShare();
    static bool isScreenShare(int kind);
    // Whether the user has just chosen what to share in the chooser; asks only once.
    bool takeScreenChoice();
    void connectClientCertificates();
    void connectProtocolHandlers();

    QWebEnginePage *m_page;
    QWebEngineView *m_area;
    RequestPolicy *m_requests;

    struct PendingPermission {
        QPointer<QObject> question;
        std::function<void(bool)> settle;
    };
    QHash<QPair<QUrl, int>, PendingPermission> m_permissions;
    QPointer<FullScreenView> m_fullScreen;
    bool m_screenChosen = false;
    FileAccess *m_files;
};
