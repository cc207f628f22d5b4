#include "prompts/downloads_window.h"

#include "common/modal.h"
#include "common/shared_dialog.h"
#include "prompts/download_row.h"
#include "engine/download.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QStandardPaths>
#include <QVBoxLayout>

DownloadsWindow::DownloadsWindow() : QWidget(nullptr, Qt::Window)
{
    setObjectName(QStringLiteral("Downloads"));
    setWindowTitle(tr("Downloads"));
    resize(460, 320);
    auto *list = new QWidget;
    m_rows = new QVBoxLayout(list);
    m_empty = new QLabel(tr("Nothing has been downloaded in this session."));
    m_rows->addWidget(m_empty);
    m_rows->addStretch(1);
    auto *scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setWidget(list);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);

    const QList<Download *> downloads = DownloadList::instance()->downloads();
    for (Download *download : downloads)
        addRow(download);
    connect(DownloadList::instance(), &DownloadList::added, this, &DownloadsWindow::addRow);
}

DownloadsWindow *DownloadsWindow::showFor(QWidget *parent)
{
    const bool made = !SharedDialog<DownloadsWindow>::current();
    DownloadsWindow *window = SharedDialog<DownloadsWindow>::shared();
    if (made && parent)
        window->move(parent->window()->geometry().center() - window->rect().center());
    window->show();
    window->raise();
    return window;
}

QList<DownloadRow *> DownloadsWindow::rows() const { return findChildren<DownloadRow *>(); }

void DownloadsWindow::addRow(Download *download)
{
    m_empty->hide();
    m_rows->insertWidget(0, new DownloadRow(download));
}

QString DownloadsWindow::askTarget(QWidget *parent, const QString &suggestedName)
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    const bool madeFolder = !QDir(folder).exists() && QDir().mkpath(folder);
    QFileDialog dialog(parent, tr("Save File"));
    dialog.setObjectName(QStringLiteral("saveDownload"));
    dialog.setAcceptMode(QFileDialog::AcceptSave); // asks before replacing a file
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDirectory(folder);
    dialog.selectFile(suggestedName);
    QString chosen;
    if (Modal::run(&dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        chosen = dialog.selectedFiles().constFirst();
    if (madeFolder && QFileInfo(chosen).absolutePath() != QDir(folder).absolutePath())
        QDir().rmdir(folder); // nothing was saved there after all
    return chosen;
}

bool DownloadsWindow::mayEndDownloads(QWidget *parent)
{
    const QList<Download *> running = DownloadList::instance()->running();
    if (running.isEmpty())
        return true;
    const QString text = running.size() == 1
        ? tr("\"%1\" is still downloading. Closing the last window cancels it and removes the "
             "unfinished file.").arg(running.constFirst()->fileName())
        : tr("%1 downloads are still running. Closing the last window cancels them and removes "
             "their unfinished files.").arg(running.size());
    QMessageBox box(QMessageBox::Question, QCoreApplication::applicationName(), text,
                    QMessageBox::Yes | QMessageBox::Cancel, parent);
    box.setTextFormat(Qt::PlainText);
    box.button(QMessageBox::Yes)->setText(running.size() == 1 ? tr("Cancel &Download and Close")
                                                              : tr("Cancel &Downloads and Close"));
    box.setDefaultButton(QMessageBox::Cancel);
    if (Modal::run(&box) != QMessageBox::Yes)
        return false;
    DownloadList::instance()->cancelAll(tr("Cancelled: the browser was closed"));
    return true;
}
