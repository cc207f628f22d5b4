#pragma once
// The page of one engine. It opens the windows the page asks for with the full page policy,
// has its questions answered in its own area (PageQuestions) and its dialogs through the
// engine's host, and shows the engine's own pages for what it could not load.

#include "engine/engine_host.h"

#include <QElapsedTimer>
#include <QHash>
#include <QPointer>
#include <QWebEnginePage>
#include <functional>

class PageQuestions;
class QWebEngineCertificateError;
class QWebEngineNewWindowRequest;
class QWebEngineView;
class RequestPolicy;
class SecureUpgrade;

class EnginePage : public QWebEnginePage {
    Q_OBJECT
public:
    // The page opener makes the page of a window this page opens, or refuses with null.
    using Opener = std::function<QWebEnginePage *()>;
    EnginePage(QWebEngineView *area, Opener opener);
    ~EnginePage() override;

    RequestPolicy *requests() const { return m_requests; }
    PageQuestions *questions() const { return m_questions; }
    // Typed host names: https first, http when that fails.
    SecureUpgrade *upgrade() const { return m_upgrade; }

    // Shows one of the engine's own pages in place of url; Refresh then loads url again.
    void showErrorPage(const QString &html, const QUrl &url);
    // Reloads the page, or the address an error page of ours stands for.
    void reload();
    // See WebEngine::RequestClose.
    bool requestClose();

Q_SIGNALS:
    // The page may go: its window closes.
    void closeAgreed();

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    void javaScriptAlert(const QUrl &origin, const QString &message) override;
    bool javaScriptConfirm(const QUrl &origin, const QString &message) override;
    bool javaScriptPrompt(const QUrl &origin, const QString &message, const QString &defaultValue,
                          QString *result) override;
    // A page's console is the page author's business, not the user's terminal.
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel, const QString &, int, const QString &) override {}
    // File inputs and the save and open pickers: the program's own dialogs.
    QStringList chooseFiles(FileSelectionMode mode, const QStringList &oldFiles, const QStringList &accepted) override;

private:
    void openNewWindow(QWebEngineNewWindowRequest &request);
    void started();
    void finished(bool ok);
    void agreeToClose();
    PageDialogAnswer ask(PageDialogRequest request, const QUrl &origin);

    // page_certificates.cpp
    void certificateRefused(const QWebEngineCertificateError &error);
    void showCertificatePage();
    bool continuesPastCertificate(const QUrl &url, NavigationType type);

    QWebEngineView *m_area;
    Opener m_opener;
    RequestPolicy *m_requests;
    SecureUpgrade *m_upgrade;
    PageQuestions *m_questions;

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

    struct CertificateFailure {
        QUrl url;
        QString reason;
        bool overridable = false;
    } m_certificate;
};
