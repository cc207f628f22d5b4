#pragma once
// The browser window: a menu bar, a toolbar, the address band, the page area, a status bar
// and two banners. Every window owns one engine and handles only that engine's events.

#include "browser/browser_windows.h"
#include "browser/layout.h"

#include <QMainWindow>
#include <QPointer>

class QAction;
class QComboBox;
class QLabel;
class QPushButton;
class QToolBar;
class QToolButton;
class BannerPlayer;
class ReadingView;
class StatusBar;
class WebEngine;

class Browser : public QMainWindow {
    Q_OBJECT
public:
    // Builds the window from its definition. The load sequence runs on first show
    // (or ensureLoaded()), not here.
    explicit Browser(QWidget *parent = nullptr);
    ~Browser() override;

    // Runs the load sequence once, as the first use of the window would.
    void ensureLoaded();
    bool isLoaded() const { return m_loaded; }

    void setVisible(bool visible) override;

    // Controls, named as in the window's definition.
    QWidget *client = nullptr; // everything below the menu bar
    QToolBar *Toolbar1 = nullptr;
    QWidget *Picaddress = nullptr;
    QLabel *Label1 = nullptr;
    QPushButton *Go = nullptr;
    BannerPlayer *ShockwaveFlash1 = nullptr; // busy banner, inside the address band
    QComboBox *ComboURL = nullptr;
    BannerPlayer *ShockwaveFlash2 = nullptr; // idle banner, on the window
    WebEngine *WebBrowser1 = nullptr;
    StatusBar *StatusBar1 = nullptr;

    // Toolbar button n (1..6), as the toolbar numbers them.
    QToolButton *toolbarButton(int n) const;

    // Menu items.
    QAction *New = nullptr, *Open = nullptr, *Save = nullptr, *SaveAs = nullptr;
    QAction *pagesetup = nullptr, *print = nullptr, *printpreview = nullptr;
    QAction *properties = nullptr, *offline = nullptr, *Exit = nullptr;
    QAction *Cut = nullptr, *Copy = nullptr, *Paste = nullptr, *selectall = nullptr, *Find = nullptr;
    QAction *Stopbrw = nullptr, *Refreshbrw = nullptr;
    QAction *atf = nullptr, *ioptions = nullptr, *Aboutus = nullptr;

    // The page's text in the page area (Ctrl+Alt+R), or the page again; made on first use.
    void toggleReadingView();
    ReadingView *readingView() const { return m_reading; }

    int goLeft() const { return m_goLeft; }
    // Where the design places the page area, in pixels of the client area.
    static QRect pageAreaDesign();

    // Handlers (public so tests drive exactly what the toolkit would).
    void Form_Load();
    void Form_Resize();
    void Form_Unload(bool &cancel);

    void ComboURL_GotFocus();
    void ComboURL_KeyPress(int keyAscii);
    void Go_Click();
    void Toolbar1_ButtonClick(QToolButton *button);

    void WebBrowser1_DownloadBegin();
    void WebBrowser1_DownloadComplete();
    void WebBrowser1_ProgressChange(int progress, int progressMax);
    void WebBrowser1_TitleChange(const QString &text);
    void WebBrowser1_NewWindow2(WebEngine **ppDisp, bool *Cancel);
    void WebBrowser1_NavigateComplete2(QObject *pDisp, const QString &URL);

    void New_Click();
    void Open_Click();
    void Save_Click();
    void SaveAs_Click();
    void pagesetup_Click();
    void print_Click();
    void printpreview_Click();
    void properties_Click();
    void offline_Click();
    void Exit_Click();
    void Stopbrw_Click();
    void Refreshbrw_Click();
    void Cut_Click();
    void Copy_Click();
    void Paste_Click();
    void selectall_Click();
    void Find_Click();
    void atf_Click();
    void ioptions_Click();
    void Aboutus_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildControls();
    void buildMenus();
    void buildToolbar();
    void connectEngineEvents();
    void dockBars();
    void runGoCommand();
    bool focusInAddressBox() const;
    bool focusInPage() const;

    bool m_loaded = false;
    bool m_closing = false; // closed: deleted once no dialog runs
    int m_goLeft = 0; // left edge last computed for Go, in twips
    QList<QToolButton *> m_buttons;
    ReadingView *m_reading = nullptr;
    // The Go command started the load and the address box has not been edited since: once
    // the page is in, the keyboard goes to it, as in other browsers.
    bool m_pageTakesFocus = false;
};
