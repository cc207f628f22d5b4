#pragma once
// The page of one engine. It opens the windows the page asks for with the full page policy,
// puts every question the page asks to the user through the engine's host, and shows the
// engine's own pages for what it could not load.

#include "engine/engine_host.h"

#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QWebEnginePage>
#include <functional>

class FileAccess;
class FullScreenView;
class QAuthenticator;
class QWebEngineCertificateError;
class QWebEngineFullScreenRequest;
class QWebEngineNewWindowRequest;
class QtWebEngine;
class RequestPolicy;
class SecureUpgrade;

class EnginePage : public QWebEnginePage {
    Q_OBJECT
public:
    EnginePage(QtWebEngine *engine, QWidget *view);

    // The engine this page belongs to (downloads are answered in its window).
    QtWebEngine *engine() const { return m_engine; }
    ~EnginePage() override;

    RequestPolicy *requests() const { return m_requests; }
    // Typed host names: https first, http when that fails.
    SecureUpgrade *upgrade() const { return m_upgrade; }

    // Shows one of the engine's own pages in place of url; Refresh then loads url again.
    void showErrorPage(const QString &html, const QUrl &url);
    // Reloads the page, or the address an error page of ours stands for.
    void reload();
    // See WebEngine::RequestClose.
    bool requestClose();

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    void javaScriptAlert(const QUrl &origin, const QString &message) override;
    bool javaScriptConfirm(const QUrl &origin, const QString &message) override;
    bool javaScriptPrompt(const QUrl &origin, const QString &message, const QString &defaultValue,
                          QString *result) override;
    // A page's console is the page author's business, not the user's terminal.
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &, int, const QString &) override {}
    // File inputs and the save and open pickers: the program's own dialogs (page_file_access.cpp).
    QStringList chooseFiles(FileSelectionMode mode, const QStringList &oldFiles, const QStringList &accepted) override;

private:
    QWidget *pageArea() const;
    void openNewWindow(QWebEngineNewWindowRequest &request);
    void started();
    void finished(bool ok);
    void agreeToClose();
    PageDialogAnswer ask(PageDialogRequest request, const QUrl &origin);

    // page_questions.cpp
    void connectQuestions();
    void signIn(const QUrl &url, QAuthenticator *authenticator, const QString &proxyHost);
    // Asks once per site and kind for the run; settle hands the answer to the engine.
    void askPermission(const QUrl &origin, int kind, const QString &wants, const std::function<void(bool)> &settle);
    void withdrawPermission(const QPair<QUrl, int> &key, bool deny);
    void denyPendingPermissions();
    void fullScreenRequested(QWebEngineFullScreenRequest request);
    void leaveFullScreen();

    // page_screen_share.cpp, page_file_access.cpp, page_client_certificates.cpp
    void connectScreenShare();
    static bool isScreenShare(int kind);
    // Whether the user has just chosen what to share in the chooser; asks only once.
    bool takeScreenChoice();
    void connectFileAccess();
    void connectClientCertificates();

    // page_certificates.cpp
    void certificateRefused(const QWebEngineCertificateError &error);
    void showCertificatePage();
    bool continuesPastCertificate(const QUrl &url, NavigationType type);

    // protocol_handlers.cpp
    void connectProtocolHandlers();

    QtWebEngine *m_engine;
    RequestPolicy *m_requests;
    SecureUpgrade *m_upgrade;

    // Our own error page: the address it stands for, while shown.
    QUrl m_errorFor;
    bool m_errorLoading = false;

    // Page dialogs: the one open now, and how many came in a row.
    QPointer<QObject> m_dialog;
    QElapsedTimer m_sinceDialog;
    int m_dialogsInARow = 0;
    bool m_dialogsStopped = false;
    bool m_closing = false;
    bool m_closeAgreed = false;

    struct PendingPermission {
        QPointer<QObject> question;
        std::function<void(bool)> settle;
    };
    QHash<QPair<QUrl, int>, PendingPermission> m_permissions;
    QPointer<FullScreenView> m_fullScreen;
    bool m_screenChosen = false;
    FileAccess *m_files = nullptr;

    struct CertificateFailure {
        QUrl url;
        QString reason;
        bool overridable = false;
    } m_certificate;
};
