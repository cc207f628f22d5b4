#pragma once
// One download in the Downloads window: its name, how far it is (bytes received of the total,
// or of an unknown size, and the speed), a progress bar, Cancel while it runs, and Open and
// Show in folder once it is done. A download that did not finish says why.

#include "engine/download.h"

#include <QFrame>
#include <QPointer>

class QLabel;
class QProgressBar;
class QPushButton;

class DownloadRow : public QFrame {
    Q_OBJECT
public:
    explicit DownloadRow(Download *download, QWidget *parent = nullptr);

    Download *download() const { return m_download; }
    QString statusText() const;
    QProgressBar *progressBar() const { return m_bar; }

private:
    void refresh();
    void open(const QString &path);

    QPointer<Download> m_download;
    QLabel *m_name;
    QLabel *m_status;
    QProgressBar *m_bar;
    QPushButton *m_cancel;
    QPushButton *m_open;
    QPushButton *m_folder;
};
