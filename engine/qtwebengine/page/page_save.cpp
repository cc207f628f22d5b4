#include "engine/qtwebengine/page/page_save.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QWebEnginePage>
#include <QWebEngineProfile>

namespace {
// The engine's folder for a complete page: the file's name without its suffix, then "_files".
QString filesFolder(const QString &path)
{
    const QFileInfo file(path);
    return file.absoluteDir().filePath(file.completeBaseName() + QStringLiteral("_files"));
}
} // namespace

PageSave::PageSave(QWebEnginePage *page, const QString &path, QWebEngineDownloadRequest::SavePageFormat format,
                   int timeoutMs, QObject *parent)
    : QObject(parent), m_page(page), m_path(path), m_files(filesFolder(path)),
      m_started(QDateTime::currentDateTime().addSecs(-2)), m_existed(QFileInfo::exists(path)),
      m_filesExisted(QFileInfo::exists(m_files)),
      m_downloads(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation)),
      m_downloadsExisted(QFileInfo::exists(m_downloads))
{
    // The profile is shared: take only the save of this page that was just started.
    connect(page->profile(), &QWebEngineProfile::downloadRequested, this, [this](QWebEngineDownloadRequest *download) {
        if (!m_request && !m_over && download->isSavePageDownload() && download->page() == m_page)
            take(download);
    });
    // A page that moves on takes its save with it: what it saved would not be what was asked for.
    connect(page, &QWebEnginePage::loadStarted, this, [this] { end(tr("the page was left before it was saved")); });
    m_timeout.setSingleShot(true);
    connect(&m_timeout, &QTimer::timeout, this, [this] { end(tr("it took too long")); });
    m_timeout.start(timeoutMs);
    page->save(path, format);
}

PageSave::~PageSave()
{
    if (!m_over) {
        m_over = true;
        if (m_request)
            m_request->cancel();
        removePartial();
    }
    // The engine makes the user's download folder if there is none, though it saves elsewhere:
    // one it made, still empty, goes again.
    if (!m_downloadsExisted && !m_downloads.isEmpty())
        QDir().rmdir(m_downloads);
}

QString PageSave::refusal(const QString &path)
{
    const QFileInfo folder(QFileInfo(path).absolutePath());
    if (!folder.isDir())
        return tr("the folder %1 does not exist").arg(folder.filePath());
    if (!folder.isWritable())
        return tr("the folder %1 cannot be written to").arg(folder.filePath());
    if (QFileInfo(path).isDir())
        return tr("a folder has that name");
    return QString();
}

void PageSave::take(QWebEngineDownloadRequest *download)
{
    m_request = download;
    download->accept();
    connect(download, &QWebEngineDownloadRequest::isFinishedChanged, this, &PageSave::settle);
    // Gone before it finished: the engine dropped it with its page.
    connect(download, &QObject::destroyed, this, [this] { end(tr("the page went away")); });
    if (download->isFinished())
        settle();
}

void PageSave::settle()
{
    if (m_over || !m_request || !m_request->isFinished())
        return;
    if (m_request->state() != QWebEngineDownloadRequest::DownloadCompleted) {
        const QString reason = m_request->state() == QWebEngineDownloadRequest::DownloadCancelled
            ? tr("it was stopped")
            : m_request->interruptReasonString();
        return end(reason.isEmpty() ? tr("the engine could not save it") : reason);
    }
    // The engine reports a save it could not write as completed: check the file itself.
    const QFileInfo written(m_path);
    if (!written.isFile() || written.size() == 0 || written.lastModified() < m_started)
        return end(tr("the engine could not write the file"));
    end(QString());
}

void PageSave::end(const QString &reason)
{
    if (m_over)
        return;
    m_over = true;
    m_timeout.stop();
    if (!reason.isEmpty()) {
        if (m_request && !m_request->isFinished())
            m_request->cancel();
        removePartial();
    }
    if (!m_downloadsExisted && !m_downloads.isEmpty())
        QDir().rmdir(m_downloads);
    // Told from the event loop: a save that ends because its page is being deleted ends with
    // that page's window, and nobody is left to tell.
    QMetaObject::invokeMethod(this, [this, reason] { Q_EMIT finished(m_path, reason); }, Qt::QueuedConnection);
}

void PageSave::removePartial()
{
    if (!m_existed || QFileInfo(m_path).lastModified() >= m_started)
        QFile::remove(m_path);
    if (!m_filesExisted)
        QDir(m_files).removeRecursively();
}
