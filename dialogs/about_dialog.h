#pragma once
// The About dialog: title, version, description, a warning, the About banner, and a button
// that starts the system-information program. One shared instance, shown modally; OK unloads it.

#include "common/shared_dialog.h"
#include <QDialog>

class QLabel;
class QPushButton;
class BannerPlayer;

class frmAbout : public QDialog, public SharedDialog<frmAbout> {
    Q_OBJECT
public:
    explicit frmAbout(QWidget *parent = nullptr);
    ~frmAbout() override;


    // "Version major.minor.patch" from the program's version numbers.
    static QString versionLine();

    BannerPlayer *ShockwaveFlash1 = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *lblDescription = nullptr;
    QLabel *lblDisclaimer = nullptr;
    QWidget *Line1 = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdSysInfo = nullptr;

    void Form_Load();
    void cmdOK_Click();
    void cmdSysInfo_Click();
};
