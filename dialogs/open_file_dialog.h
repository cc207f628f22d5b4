#pragma once
// The open-file dialog: a drive list, a folder list and a file list. Clicking a file loads it
// in the first browser window (whoever listens to fileChosen) and closes the dialog. One shared instance, shown modally.

#include "common/shared_dialog.h"
#include <QDialog>

class DriveList;
class FolderList;
class FileList;

class openfile : public QDialog, public SharedDialog<openfile> {
    Q_OBJECT
public:
    explicit openfile(QWidget *parent = nullptr);
    ~openfile() override;



    FileList *File1 = nullptr;
    FolderList *Dir1 = nullptr;
    DriveList *Drive1 = nullptr;

    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();

Q_SIGNALS:
    // A file was clicked: its full path, for the first browser window to load.
    void fileChosen(const QString &path);
};
