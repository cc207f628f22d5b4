#include "prompts/download_row.h"

#include "common/message_box.h"
#include "engine/download.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>

namespace {
QString dataSize(qint64 bytes) { return QLocale().formattedDataSize(bytes); }
} // namespace

DownloadRow::DownloadRow(Download *download, QWidget *parent)
    : QFrame(parent), m_download(download), m_name(new QLabel), m_status(new QLabel),
      m_bar(new QProgressBar), m_cancel(new QPushButton(tr("&Cancel"))),
      m_open(new QPushButton(tr("&Open"))), m_folder(new QPushButton(tr("Show in &folder")))
{
    setFrameShape(QFrame::StyledPanel);
    // Names and reasons come from the server or the page: plain text only.
    m_name->setTextFormat(Qt::PlainText);
    m_status->setTextFormat(Qt::PlainText);
    m_name->setText(download->fileName());
    m_name->setToolTip(download->targetPath());
    QFont bold = m_name->font();
    bold.setBold(true);
    m_name->setFont(bold);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    m_open->setObjectName(QStringLiteral("open"));
    m_folder->setObjectName(QStringLiteral("folder"));
    m_bar->setTextVisible(false);
    m_bar->setMaximumHeight(12);

    auto *layout = new QGridLayout(this);
    layout->addWidget(m_name, 0, 0, 1, 4);
    layout->addWidget(m_status, 1, 0, 1, 4);
    layout->addWidget(m_bar, 2, 0);
    layout->addWidget(m_cancel, 2, 1);
    layout->addWidget(m_open, 2, 2);
    layout->addWidget(m_folder, 2, 3);
    layout->setColumnStretch(0, 1);

    connect(m_cancel, &QPushButton::clicked, download, [download] { download->cancel(); });
    connect(m_open, &QPushButton::clicked, this, [this] { open(m_download->targetPath()); });
    connect(m_folder, &QPushButton::clicked, this,
            [this] { open(QFileInfo(m_download->targetPath()).absolutePath()); });
    connect(download, &Download::progressed, this, &DownloadRow::refresh);
    connect(download, &Download::ended, this, &DownloadRow::refresh);
    refresh();
}

QString DownloadRow::statusText() const { return m_status->text(); }

void DownloadRow::refresh()
{
    const Download *d = m_download;
    const bool running = d->isRunning();
    const bool finished = d->state() == Download::State::Finished;
    if (running) {
        const QString of = d->total() < 0 ? tr("%1 of unknown size").arg(dataSize(d->received()))
                                            : tr("%1 of %2").arg(dataSize(d->received()), dataSize(d->total()));
        m_status->setText(d->bytesPerSecond() > 0 ? tr("%1 at %2/s").arg(of, dataSize(d->bytesPerSecond())) : of);
    } else if (finished) {
        m_status->setText(tr("Done: %1").arg(dataSize(d->received())));
    } else {
        m_status->setText(d->state() == Download::State::Failed ? tr("Failed: %1").arg(d->reason()) : d->reason());
    }
    // A size not known yet shows the bar as busy.
    m_bar->setRange(0, running && d->total() < 0 ? 0 : 1000);
    m_bar->setValue(finished ? 1000 : d->total() > 0 ? int(d->received() * 1000 / d->total()) : 0);
    m_bar->setVisible(running || finished);
    m_cancel->setVisible(running);
    m_open->setVisible(finished);
    m_folder->setVisible(finished);
}

void DownloadRow::open(const QString &path)
{
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        MessageBox::show(tr("No program is set up to open %1").arg(path));
}
