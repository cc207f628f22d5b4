#pragma once
// The open-file dialog: a drive list, a folder list and a file list. Clicking a file loads it
// in the first browser window and closes the dialog. One shared instance, shown modally.

#include <QDialog>

class DriveList;
class FolderList;
class FileList;

class openfile : public QDialog {
    Q_OBJECT
public:
    explicit openfile(QWidget *parent = nullptr);
    ~openfile() override;

    // The shared instance, made on first use (and again after it was unloaded).
    static openfile *shared();
    // Null when no instance is loaded.
    static openfile *current();
    // Shows the shared instance modally; returns when it is closed.
    static void showShared();

    // The full path of a file in a folder, with one separator between them.
    static QString joinPath(const QString &folder, const QString &fileName);

    FileList *File1 = nullptr;
    FolderList *Dir1 = nullptr;
    DriveList *Drive1 = nullptr;

    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();
};
