#pragma once
// The Downloads window: one row per download of this run, newest first. It opens when a
// download starts and with every browser window's Ctrl+J; closing it hides it, and the
// downloads go on. Also the questions around downloads: where to save one, and whether the
// running ones may end with the last browser window.

#include <QWidget>

class Download;
class DownloadRow;
class QLabel;
class QVBoxLayout;

class DownloadsWindow : public QWidget {
    Q_OBJECT
public:
    DownloadsWindow();

    // Shows the run's one Downloads window, made on first use, beside parent when given.
    static DownloadsWindow *showFor(QWidget *parent);
    QList<DownloadRow *> rows() const;

    // The platform's save dialog in the Downloads folder, which is made only for a file saved
    // there; it asks before replacing a file. Empty when cancelled.
    static QString askTarget(QWidget *parent, const QString &suggestedName);
    // Whether the last browser window may close: asks when downloads are running, and
    // cancels them on yes.
    static bool mayEndDownloads(QWidget *parent);

private:
    void addRow(Download *download);

    QVBoxLayout *m_rows;
    QLabel *m_empty;
};
