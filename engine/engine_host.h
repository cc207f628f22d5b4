#pragma once
// What the engine asks of the program around it. The engine knows none of the program's
// dialogs: the program installs them here at start, and tests answer in their place.

#include "common/override.h"

#include <QDateTime>
#include <QIcon>
#include <QList>
#include <QStringList>
#include <QImage>
#include <QString>
#include <functional>
#include <optional>

class Download;
class QObject;
class QWidget;

// A page's properties as the engine knows them, each text ready to show. Page-supplied
// texts (title, address) are shown literally.
struct PageFacts {
    QString title;
    QString address;
    QString protocol;
    QString type;
    QString size;
    QString modified; // empty when not known
    QString security;
    QIcon icon;
};

// Questions a page asks of the user. Each is shown in the window of the page that asked;
// `pageArea` is that page's area. A `pending` object stands for a question still open:
// when the engine destroys it (the page went away, the window is closing) the question
// is withdrawn and its answer no longer counts.

// Sign-in for a site (or a proxy) that asks for a user name and password.
struct SignInRequest {
    QString host;
    QString realm;
    bool proxy = false;
};
struct Credentials {
    QString user;
    QString password;
};

// A permission such as the location or the camera: "<site> wants to <wants>".
struct PermissionQuestion {
    QString site;
    QString wants;
};

// alert, confirm, prompt and the page's "leave this page?" question.
enum class PageDialogKind { Alert, Confirm, Prompt, Leave };
struct PageDialogRequest {
    PageDialogKind kind = PageDialogKind::Alert;
    QString site;
    QString message;
    QString text;             // a prompt's starting text
    bool offerToStop = false; // the page has shown several dialogs in a row
};
struct PageDialogAnswer {
    bool accepted = false;
    QString text;
    bool stopMore = false; // show this page no more dialogs
};

namespace EngineHost {
using PropertiesView = std::function<void(QWidget *parent, const PageFacts &facts)>;
// Shows a page's properties; fails until the program has installed its dialog.
Override<PropertiesView> &showProperties();

using DownloadTargetQuestion = std::function<QString(QWidget *parent, const QString &suggestedName)>;
// Where to save a download the page offers; an empty answer means the user cancelled.
// Unanswered until the program installs its dialog: nothing is written.
Override<DownloadTargetQuestion> &askDownloadTarget();

using DownloadView = std::function<void(QWidget *parent, Download *download)>;
// A download has begun (or could not begin) in parent's page: the program shows it.
Override<DownloadView> &showDownload();

// Returns the credentials, or nothing when the user cancels. Refuses until installed.
using SignIn = std::function<std::optional<Credentials>(QWidget *pageArea, const SignInRequest &)>;
Override<SignIn> &signIn();

// Asks without waiting; `answer` is called once with the user's choice. Denies until installed.
using PermissionAsk = std::function<void(QWidget *pageArea, const PermissionQuestion &, QObject *pending,
                                         std::function<void(bool allow)> answer)>;
Override<PermissionAsk> &askPermission();

// Returns when answered or withdrawn; only the page's own window waits. Refuses until installed.
using PageDialog = std::function<PageDialogAnswer(QWidget *pageArea, const PageDialogRequest &, QObject *pending)>;
Override<PageDialog> &pageDialog();

// A notification a page shows, once the user has allowed the site to notify: its title and
// text as the page gave them (shown literally), the site it came from and its picture, if any.
struct PageNotification {
    QString title;
    QString text;
    QString site;
    QImage icon;
};
// What becomes of it, told back to the page: `displayed` once it is on the screen, `clicked`
// when the user clicks it, `closed` when it is closed on the program's side (dismissed, timed
// out). None is called once `shown` is gone.
struct NotificationEvents {
    std::function<void()> displayed;
    std::function<void()> clicked;
    std::function<void()> closed;
};
// Shows it for the page in pageArea's window. `shown` stands for it while it is up: when the
// engine destroys it (the page closed it, or went away) it goes. Handed over again with the
// same `shown`, it replaces the one up (the page used the same tag). Until the program
// installs this, nothing is shown and the page hears at once that it was closed.
using NotificationView =
    std::function<void(QWidget *pageArea, const PageNotification &, QObject *shown, NotificationEvents events)>;
Override<NotificationView> &showNotification();
} // namespace EngineHost

// What a page may reach beyond itself: the screen, the user's files, the user's certificates.
// Each is asked in the page's own window and answered for this run only.
struct ScreenShareRequest {
    QString site;
    QStringList screens; // what the engine offers, by name, in its order
    QStringList windows;
};
struct ScreenShareChoice {
    bool window = false; // a window, else a whole screen
    int index = -1;      // into screens or windows
};

// A page's file input or its save and open pickers. `accepted` holds suffixes (".txt") or types.
enum class FileChoiceKind { Open, OpenMany, Folder, Save };
struct FileChoiceRequest {
    FileChoiceKind kind = FileChoiceKind::Open;
    QString site;
    QString suggested; // a name or a path, maybe empty
    QStringList accepted;
};

struct ClientCertificate {
    QString subject;
    QString issuer;
    QDateTime validUntil;
};
struct ClientCertificateRequest {
    QString host;
    QList<ClientCertificate> certificates;
};

namespace EngineHost {
// What to share; nothing when the user cancels. Cancels until installed.
using ScreenChooser = std::function<std::optional<ScreenShareChoice>(QWidget *pageArea, const ScreenShareRequest &,
                                                                     QObject *pending)>;
Override<ScreenChooser> &chooseScreen();

// The files the user chose (absolute paths); empty when cancelled. Chooses none until installed.
using FileChooser = std::function<QStringList(QWidget *pageArea, const FileChoiceRequest &)>;
Override<FileChooser> &chooseFiles();

// The index of the certificate to send, or nothing for "don't send". Sends none until installed.
using ClientCertificateChooser = std::function<std::optional<int>(QWidget *pageArea, const ClientCertificateRequest &,
                                                                  QObject *pending)>;
Override<ClientCertificateChooser> &chooseClientCertificate();
} // namespace EngineHost
