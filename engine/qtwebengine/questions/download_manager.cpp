#include "engine/qtwebengine/questions/download_manager.h"

#include "engine/download.h"
#include "engine/engine_host.h"
#include "engine/qtwebengine/addresses/request_policy.h"
#include "engine/qtwebengine/questions/page_questions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QWebEngineDownloadRequest>
#include <QWebEngineView>
#include <QWebEngineProfile>
#include <QWidget>

namespace {

using Reason = QWebEngineDownloadRequest::DownloadInterruptReason;
// The engine's reason for a body shorter than announced; Qt's list does not name it.
constexpr Reason kCutShort = Reason(38);

QString plainReason(QWebEngineDownloadRequest *request)
{
    if (request->interruptReason() == kCutShort)
        return QObject::tr("The connection was lost before the whole file came");
    switch (request->interruptReason()) {
    case Reason::FileNoSpace:
    case Reason::FileTooLarge: return QObject::tr("The disk is full");
    case Reason::FileAccessDenied: return QObject::tr("The folder may not be written to");
    case Reason::FileNameTooLong: return QObject::tr("The file name is too long");
    case Reason::FileFailed:
    case Reason::FileTransientError: return QObject::tr("The file could not be written");
    case Reason::NetworkTimeout: return QObject::tr("The server stopped answering");
    case Reason::NetworkFailed:
    case Reason::NetworkDisconnected: return QObject::tr("The connection was lost");
    case Reason::NetworkServerDown:
    case Reason::ServerUnreachable: return QObject::tr("The server could not be reached");
    case Reason::ServerUnauthorized:
    case Reason::ServerForbidden:
    case Reason::ServerCertProblem: return QObject::tr("The server refused the file");
    case Reason::ServerFailed:
    case Reason::ServerBadContent: return QObject::tr("The server could not send the file");
    case Reason::UserCanceled: return QObject::tr("Cancelled");
    default: return request->interruptReasonString();
    }
}

// A download the engine is carrying out: its request's progress and end, in the program's terms.
class EngineDownload : public Download {
public:
    EngineDownload(QWebEngineDownloadRequest *request, const QString &target)
        : Download(target, request->url()), m_id(request->id())
    {
        follow(request);
        running().insert(m_id, this);
    }
    ~EngineDownload() override { running().remove(m_id); }

    // Running downloads by the engine's id. When the engine resumes a download by itself
    // after a short break, it offers it again under the same id as a new request.
    static QHash<quint32, QPointer<EngineDownload>> &running()
    {
        static QHash<quint32, QPointer<EngineDownload>> downloads;
        return downloads;
    }

    void follow(QWebEngineDownloadRequest *request)
    {
        if (m_request)
            m_request->disconnect(this);
        m_request = request;
        connect(request, &QWebEngineDownloadRequest::receivedBytesChanged, this, &EngineDownload::update);
        connect(request, &QWebEngineDownloadRequest::totalBytesChanged, this, &EngineDownload::update);
        connect(request, &QWebEngineDownloadRequest::stateChanged, this, &EngineDownload::stateChanged);
    }

protected:
    void abort() override
    {
        running().remove(m_id);
        if (m_request)
            m_request->cancel();
        removePartial();
    }

private:
    void update() { setProgress(m_request->receivedBytes(), m_request->totalBytes()); }

    void stateChanged(QWebEngineDownloadRequest::DownloadState state)
    {
        if (state != QWebEngineDownloadRequest::DownloadInProgress)
            running().remove(m_id);
        if (state == QWebEngineDownloadRequest::DownloadCompleted) {
            update();
            if (QFileInfo::exists(targetPath()))
                end(State::Finished);
            else
                end(State::Failed, tr("The file could not be written"));
        } else if (state == QWebEngineDownloadRequest::DownloadInterrupted) {
            // The engine keeps an interrupted download's data to resume it; nobody will.
            end(State::Failed, plainReason(m_request));
            m_request->cancel();
            removePartial();
        } else if (state == QWebEngineDownloadRequest::DownloadCancelled) {
            end(State::Cancelled, tr("Cancelled"));
            removePartial();
        }
    }

    void removePartial() { QFile::remove(DownloadManager::partialPath(targetPath())); }

    quint32 m_id;
    QPointer<QWebEngineDownloadRequest> m_request;
};

// Why the target cannot be written, or empty when it can. Makes its folder when missing:
// a file is about to be saved there.
QString writeProblem(const QString &target)
{
    const QString folder = QFileInfo(target).absolutePath();
    if (!QDir().mkpath(folder))
        return QObject::tr("The folder %1 cannot be made").arg(folder);
    QFile probe(DownloadManager::partialPath(target));
    if (!probe.open(QIODevice::WriteOnly))
        return QObject::tr("The folder %1 may not be written to").arg(folder);
    probe.remove();
    return QString();
}

// What the asking window's status bar says when a download ends.
QString notice(const Download *download)
{
    if (download->state() == Download::State::Finished)
        return QObject::tr("Download complete: %1").arg(download->fileName());
    if (download->state() == Download::State::Failed)
        return QObject::tr("Download failed: %1 (%2)").arg(download->fileName(), download->reason());
    return QString();
}

// Shows the download and, once it has ended, says so in the asking window's status bar.
void announce(Download *download, PageQuestions *page, QWidget *window)
{
    auto tell = [download, page] {
        const QString text = notice(download);
        if (page && !text.isEmpty())
            Q_EMIT page->notice(text);
    };
    if (!download->isRunning())
        tell();
    else if (page)
        QObject::connect(download, &Download::ended, page, tell);
    DownloadList::instance()->add(download);
    EngineHost::showDownload()(window, download);
}

} // namespace

DownloadManager::DownloadManager(QWebEngineProfile *profile) : QObject(profile)
{
    connect(profile, &QWebEngineProfile::downloadRequested, this, &DownloadManager::requested);
}

QString DownloadManager::partialPath(const QString &target) { return target + QStringLiteral(".download"); }

void DownloadManager::requested(QWebEngineDownloadRequest *request)
{
    // The page commands start their own saves, already accepted, and follow them themselves.
    if (request->state() != QWebEngineDownloadRequest::DownloadRequested || request->isSavePageDownload())
        return;
    if (EngineDownload *resumed = EngineDownload::running().value(request->id()); resumed && resumed->isRunning()) {
        const QFileInfo target(resumed->targetPath());
        request->setDownloadDirectory(target.absolutePath());
        request->setDownloadFileName(target.fileName());
        request->accept();
        resumed->follow(request);
        return;
    }
    QPointer<PageQuestions> page = PageQuestions::of(request->page());
    QPointer<QWidget> window = page ? page->area()->window() : nullptr;
    if (page && page->offline() && RequestPolicy::needsNetwork(request->url())) {
        Q_EMIT page->notice(tr("Working offline: %1 was not downloaded").arg(request->suggestedFileName()));
        return; // not accepted: the engine drops it
    }
    QPointer<QWebEngineDownloadRequest> alive(request);
    const QString chosen = EngineHost::askDownloadTarget()(window, request->suggestedFileName());
    if (!alive || chosen.isEmpty())
        return; // cancelled: nothing is written
    const QString target = QFileInfo(chosen).absoluteFilePath();
    const QString problem = writeProblem(target);
    if (!problem.isEmpty()) {
        auto *failed = new Download(target, request->url());
        failed->end(Download::State::Failed, problem);
        announce(failed, page, window);
        return;
    }
    request->setDownloadDirectory(QFileInfo(target).absolutePath());
    request->setDownloadFileName(QFileInfo(target).fileName());
    request->accept();
    announce(new EngineDownload(request, target), page, window);
}
