#pragma once
// One save of a page into a file, carried out by the engine while the program goes on: the
// page may go on loading or never finish, move to another address, or close meanwhile. The
// outcome comes once; a save that does not complete leaves no file behind.

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWebEngineDownloadRequest>

class QWebEnginePage;

class PageSave : public QObject {
    Q_OBJECT
public:
    // Starts saving page into path (absolute), giving up after timeoutMs.
    PageSave(QWebEnginePage *page, const QString &path, QWebEngineDownloadRequest::SavePageFormat format,
             int timeoutMs, QObject *parent = nullptr);
    // A save still running is cancelled, its partial file removed, and nothing is reported.
    ~PageSave() override;

    QString path() const { return m_path; }
    bool isRunning() const { return !m_over; }

    // Where a save cannot go at all: why, or nothing when the folder takes files.
    static QString refusal(const QString &path);

Q_SIGNALS:
    // Once: the file is there (reason empty), or it is not and why.
    void finished(const QString &path, const QString &reason);

private:
    void take(QWebEngineDownloadRequest *download);
    void settle();
    void end(const QString &reason);
    void removePartial();

    QPointer<QWebEnginePage> m_page;
    QPointer<QWebEngineDownloadRequest> m_request;
    const QString m_path;
    const QString m_files; // where the complete format puts the page's pictures and styles
    const QDateTime m_started;
    const bool m_existed;
    const bool m_filesExisted;
    const QString m_downloads;
    const bool m_downloadsExisted;
    QTimer m_timeout;
    bool m_over = false;
};
