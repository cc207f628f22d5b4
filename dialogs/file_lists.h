#pragma once
// The three lists of the open-file dialog: mounted file systems, the folder path with its
// subfolders, and a folder's files.

#include <QComboBox>
#include <QListWidget>

// The machine's mounted file systems; the current one is the "drive".
class DriveList : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(QWidget *parent = nullptr);
    // Root folder of the current drive.
    QString drive() const;
    // Makes the drive holding `path` current.
    void setDriveOf(const QString &path);
    void refresh();
};

// The current folder's path from its root, one folder a line, then its subfolders.
// A subfolder opens by double-click or Enter; pathChanged follows every change of path.
class FolderList : public QListWidget {
    Q_OBJECT
public:
    explicit FolderList(QWidget *parent = nullptr);
    QString path() const { return m_path; }
    // Throws PlatformError when the folder cannot be read; the path stays as it was.
    void setPath(const QString &path);
    // The folder a line stands for.
    static QString folderOf(const QListWidgetItem *item);

Q_SIGNALS:
    void pathChanged();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void openItem(QListWidgetItem *item);
    QString m_path;
};

// Normal and read-only files of one folder, no hidden or special files.
// clicked() follows every change of the selected file, by mouse or keys, and a click on the
// file already selected.
class FileList : public QListWidget {
    Q_OBJECT
public:
    explicit FileList(QWidget *parent = nullptr);
    QString path() const { return m_path; }
    // Throws PlatformError when the folder cannot be read.
    void setPath(const QString &path);
    // The selected file's name alone, or empty.
    QString fileName() const;

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    QString m_path;
    bool m_filling = false;
};
