#include "dialogs/file_lists.h"

#include "common/failure.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QStorageInfo>
#include <QStyle>

namespace {

constexpr int PathRole = Qt::UserRole + 1;

QString cleanFolder(const QString &path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

void requireReadableFolder(const QString &folder)
{
    const QFileInfo info(folder);
    if (!info.exists())
        throw PlatformError(QStringLiteral("Path not found: %1").arg(folder));
    if (!info.isDir())
        throw PlatformError(QStringLiteral("Not a folder: %1").arg(folder));
    if (!info.isReadable() || !info.isExecutable())
        throw PlatformError(QStringLiteral("Permission denied: %1").arg(folder));
}

} // namespace

// DriveList

DriveList::DriveList(QWidget *parent) : QComboBox(parent) { refresh(); }

void DriveList::refresh()
{
    const QSignalBlocker blocker(this);
    const QString previous = drive();
    clear();
    QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    std::sort(volumes.begin(), volumes.end(),
              [](const QStorageInfo &a, const QStorageInfo &b) { return a.rootPath() < b.rootPath(); });
    for (const QStorageInfo &volume : volumes) {
        if (!volume.isValid() || !volume.isReady())
            continue;
        const QString root = volume.rootPath();
        const QString name = volume.displayName();
        const QString text = name.isEmpty() || name == root ? root
                                                            : QStringLiteral("%1 [%2]").arg(root, name);
        addItem(text, root);
    }
    if (!previous.isEmpty())
        setCurrentIndex(std::max(0, findData(previous)));
}

QString DriveList::drive() const { return currentData().toString(); }

void DriveList::setDriveOf(const QString &path)
{
    const int index = findData(QStorageInfo(path).rootPath());
    if (index >= 0)
        setCurrentIndex(index);
}

// FolderList

FolderList::FolderList(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem *item) { unguarded([this, item] { openItem(item); }); });
}

QString FolderList::folderOf(const QListWidgetItem *item)
{
    return item ? item->data(PathRole).toString() : QString();
}

void FolderList::setPath(const QString &path)
{
    const QString folder = cleanFolder(path);
    requireReadableFolder(folder);

    const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);
    clear();

    // The path from the root down, each folder one step further in.
    QStringList chain;
    for (QDir dir(folder);; ) {
        chain.prepend(dir.absolutePath());
        if (dir.isRoot() || !dir.cdUp())
            break;
    }
    int depth = 0;
    QListWidgetItem *currentItem = nullptr;
    for (const QString &step : chain) {
        const QString name = depth == 0 ? step : QFileInfo(step).fileName();
        auto *item = new QListWidgetItem(openIcon, QString(depth * 2, QLatin1Char(' ')) + name, this);
        item->setData(PathRole, step);
        currentItem = item;
        ++depth;
    }
    const QStringList subfolders =
        QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString &name : subfolders) {
        auto *item = new QListWidgetItem(closedIcon, QString(depth * 2, QLatin1Char(' ')) + name, this);
        item->setData(PathRole, QDir(folder).filePath(name));
    }
    setCurrentItem(currentItem);

    const bool changed = folder != m_path;
    m_path = folder;
    if (changed)
        Q_EMIT pathChanged();
}

void FolderList::openItem(QListWidgetItem *item)
{
    if (item)
        setPath(folderOf(item));
}

void FolderList::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        QListWidgetItem *item = currentItem();
        unguarded([this, item] { openItem(item); });
        event->accept();
        return;
    }
    QListWidget::keyPressEvent(event);
}

// FileList

FileList::FileList(QWidget *parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QListWidget::itemSelectionChanged, this, [this] {
        if (!m_filling && !selectedItems().isEmpty())
            Q_EMIT clicked();
    });
}

void FileList::setPath(const QString &path)
{
    const QString folder = cleanFolder(path);
    requireReadableFolder(folder);
    // Hidden and special files (sockets, pipes, devices) stay out, as QDir::Files leaves them.
    const QStringList files = QDir(folder).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
    m_filling = true;
    clear();
    addItems(files);
    m_filling = false;
    m_path = folder;
}

QString FileList::fileName() const
{
    const QList<QListWidgetItem *> items = selectedItems();
    return items.isEmpty() ? QString() : items.first()->text();
}

void FileList::mousePressEvent(QMouseEvent *event)
{
    // A click on the file already selected changes no selection but is still a click.
    const QListWidgetItem *item = itemAt(event->position().toPoint());
    const bool wasSelected = item && item->isSelected();
    QListWidget::mousePressEvent(event);
    if (wasSelected && item->isSelected() && event->button() == Qt::LeftButton)
        Q_EMIT clicked();
}
