#pragma once
// One file the engine is fetching to the place the user chose, as the program sees it: name,
// target, progress, speed and how it ended, in plain words. The engine makes them; the
// Downloads window shows them. Nothing about them outlives the run.

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

class Download : public QObject {
    Q_OBJECT
public:
    enum class State { Running, Finished, Cancelled, Failed };

    Download(const QString &targetPath, const QUrl &source, QObject *parent = nullptr);

    QString fileName() const;
    QString targetPath() const { return m_target; }
    QUrl source() const { return m_source; }
    qint64 received() const { return m_received; }
    qint64 total() const { return m_total; } // negative when the size is not known
    qint64 bytesPerSecond() const { return m_speed; }
    State state() const { return m_state; }
    bool isRunning() const { return m_state == State::Running; }
    // Why it did not finish, in plain words; empty otherwise.
    QString reason() const { return m_reason; }

    // Stops a running download; its unfinished file is removed.
    void cancel(const QString &why = QString());

    // What the engine reports.
    void setProgress(qint64 received, qint64 total);
    // Ends it once: later ends are ignored, so the first reason stands.
    void end(State state, const QString &why = QString());

Q_SIGNALS:
    void progressed();
    void ended();

protected:
    // The engine's part of cancelling: stop fetching and remove the unfinished file.
    virtual void abort() {}

private:
    QString m_target;
    QUrl m_source;
    qint64 m_received = 0;
    qint64 m_total = -1;
    qint64 m_speed = 0;
    State m_state = State::Running;
    QString m_reason;
    QElapsedTimer m_clock;
    qint64 m_sampleAt = 0;
    qint64 m_sampleBytes = 0;
};

// Every download of this run, oldest first.
class DownloadList : public QObject {
    Q_OBJECT
public:
    static DownloadList *instance();

    // Takes it into the list; the list owns it from then on.
    void add(Download *download);
    QList<Download *> downloads() const { return m_downloads; }
    QList<Download *> running() const;
    void cancelAll(const QString &why);

Q_SIGNALS:
    void added(Download *download);

private:
    DownloadList() = default;
    QList<Download *> m_downloads;
};
