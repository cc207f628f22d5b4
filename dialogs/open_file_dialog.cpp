#include "dialogs/open_file_dialog.h"

#include "dialogs/file_lists.h"
#include "common/design.h"
#include "common/connect_guarded.h"
#include "common/failure.h"
#include "common/paths.h"
#include "common/twips.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QStorageInfo>

namespace {

// A drive's current folder: the process's current folder when it lies on that drive,
// else the drive's root.
QString currentFolderOf(const QString &driveRoot)
{
    const QString here = QDir::currentPath();
    if (QStorageInfo(here).rootPath() == driveRoot)
        return here;
    return driveRoot;
}

} // namespace

openfile::openfile(QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("openfile"));
    setWindowTitle(QStringLiteral("File Open"));
    setAttribute(Qt::WA_DeleteOnClose);
    Design::paint(this, Design::background);
    resize(Twips::toPixels(4320), Twips::toPixels(2295));

    File1 = new FileList(this);
    File1->setObjectName(QStringLiteral("File1"));
    File1->setGeometry(Twips::rect(2280, 120, 1815, 1455));

    Dir1 = new FolderList(this);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    Dir1->setGeometry(Twips::rect(120, 120, 1935, 1890));

    Drive1 = new DriveList(this);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    Drive1->setGeometry(Twips::rect(2280, 1680, 1815, 315));

    File1->setAccessibleName(QStringLiteral("File1"));
    File1->setAccessibleDescription(QStringLiteral("Files: one click opens the file in the browser"));
    Dir1->setAccessibleName(QStringLiteral("Dir1"));
    Dir1->setAccessibleDescription(QStringLiteral("Folders"));
    Drive1->setAccessibleDescription(QStringLiteral("Drives"));
    setTabOrder(Drive1, Dir1);
    setTabOrder(Dir1, File1);

    // The lists start at the process's current drive and folder.
    const QString start = QDir::currentPath();
    Drive1->setDriveOf(start);
    unguarded([this, start] {
        Dir1->setPath(start);
        File1->setPath(Dir1->path());
    });

    connectGuarded(Drive1, &QComboBox::currentIndexChanged, this, &openfile::Drive1_Change);
    connectGuarded(Dir1, &FolderList::pathChanged, this, &openfile::Dir1_Change);
    connectGuarded(File1, &FileList::clicked, this, &openfile::File1_Click);

    Drive1->setFocus();
}

openfile::~openfile() = default;


void openfile::Drive1_Change() { Dir1->setPath(currentFolderOf(Drive1->drive())); }

void openfile::Dir1_Change() { File1->setPath(Dir1->path()); }

void openfile::File1_Click()
{
    // Every step runs even when an earlier one failed.
    resumeNext([this] { Q_EMIT fileChosen(Paths::join(Dir1->path(), File1->fileName())); });
    resumeNext([this] { close(); });
}
