#include "engine/download.h"

#include <QFileInfo>

Download::Download(const QString &targetPath, const QUrl &source, QObject *parent)
    : QObject(parent), m_target(targetPath), m_source(source)
{
    m_clock.start();
}

QString Download::fileName() const { return QFileInfo(m_target).fileName(); }

void Download::cancel(const QString &why)
{
    if (!isRunning())
        return;
    // Ended first: the engine may report the cancel at once, and the reason given here stands.
    end(State::Cancelled, why.isEmpty() ? tr("Cancelled") : why);
    abort();
}

void Download::setProgress(qint64 received, qint64 total)
{
    if (!isRunning())
        return;
    m_received = received;
    m_total = total > 0 ? total : -1;
    // The speed over the last second or so: an average since the start would hide a stall.
    const qint64 now = m_clock.elapsed();
    if (now - m_sampleAt >= 1000) {
        m_speed = (received - m_sampleBytes) * 1000 / (now - m_sampleAt);
        m_sampleAt = now;
        m_sampleBytes = received;
    }
    Q_EMIT progressed();
}

void Download::end(State state, const QString &why)
{
    if (!isRunning() || state == State::Running)
        return;
    m_state = state;
    m_reason = why;
    m_speed = 0;
    if (state == State::Finished && m_total < 0)
        m_total = m_received;
    Q_EMIT ended();
}

DownloadList *DownloadList::instance()
{
    static DownloadList *list = new DownloadList; // lives as long as the process
    return list;
}

void DownloadList::add(Download *download)
{
    download->setParent(this);
    m_downloads.append(download);
    Q_EMIT added(download);
}

QList<Download *> DownloadList::running() const
{
    QList<Download *> result;
    for (Download *download : m_downloads)
        if (download->isRunning())
            result.append(download);
    return result;
}

void DownloadList::cancelAll(const QString &why)
{
    for (Download *download : running())
        download->cancel(why);
}
