// The engine's events mirrored in the window: status text, banners, caption, new windows.
// A new engine event gets its handler here and its connection in connectEngineEvents.

#include "browser/browser_window.h"

#include "browser/page_focus.h"
#include "browser/reading_view.h"
#include "browser/status_bar.h"
#include "common/connect_guarded.h"
#include "banner/banner_player.h"
#include "engine/web_engine.h"

#include <QComboBox>
#include <QPushButton>
#include <utility>

void Browser::connectEngineEvents()
{
    WebEngine *engine = WebBrowser1;
    connectGuarded(engine, &WebEngine::DownloadBegin, this, &Browser::WebBrowser1_DownloadBegin);
    connectGuarded(engine, &WebEngine::DownloadComplete, this, &Browser::WebBrowser1_DownloadComplete);
    connectGuarded(engine, &WebEngine::ProgressChange, this, &Browser::WebBrowser1_ProgressChange);
    connectGuarded(engine, &WebEngine::TitleChange, this, &Browser::WebBrowser1_TitleChange);
    connectGuarded(engine, &WebEngine::NavigateComplete2, this, &Browser::WebBrowser1_NavigateComplete2);
    connect(engine, &WebEngine::FileNotice, StatusBar1, &StatusBar::setPanelText);
    connect(engine, &WebEngine::CloseRequested, this, &QWidget::close);
    // The engine needs the new window's engine before the request returns: a call, not a signal.
    engine->setNewWindow2Handler([this]() -> WebEngine * {
        WebEngine *ppDisp = nullptr;
        bool cancel = false;
        unguarded([&] { WebBrowser1_NewWindow2(&ppDisp, &cancel); });
        return cancel ? nullptr : ppDisp;
    });
}

void Browser::WebBrowser1_DownloadBegin()
{
    StatusBar1->setPanelText(QStringLiteral("Downloading Site  ") + ComboURL->currentText());
    ShockwaveFlash1->setVisible(true);
    ShockwaveFlash2->setVisible(false);
}

void Browser::WebBrowser1_DownloadComplete()
{
    StatusBar1->setPanelText(QStringLiteral("Complete Download  ") + ComboURL->currentText());
    ShockwaveFlash2->setVisible(true);
    ShockwaveFlash1->setVisible(false);
    ShockwaveFlash1->StopPlay();
    // A page that came from the address box gets the keyboard, so a screen reader announces
    // it by its title and reads on; a user already elsewhere keeps the focus.
    QWidget *focused = focusWidget();
    if (!std::exchange(m_pageTakesFocus, false) || !(focusInAddressBox() || focused == Go))
        return;
    if (m_reading && m_reading->isOpen())
        m_reading->setFocus(Qt::OtherFocusReason); // it says the new page as it reads it
    else
        PageFocus::give(WebBrowser1->control());
}

void Browser::WebBrowser1_ProgressChange(int progress, int progressMax)
{
    Q_UNUSED(progress);
    Q_UNUSED(progressMax);
    if (WebBrowser1->Busy())
        ShockwaveFlash1->Play();
    else
        ShockwaveFlash1->StopPlay();
}

void Browser::WebBrowser1_TitleChange(const QString &text)
{
    // Qt reads "[*]" as the place of its modified-window mark; doubled, it shows as written.
    QString title = text;
    title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    setWindowTitle(title + QStringLiteral("   --  Quillon 's Browser"));
    WebBrowser1->control()->setAccessibleName(text.isEmpty() ? QStringLiteral("Page") : text);
}

void Browser::WebBrowser1_NewWindow2(WebEngine **ppDisp, bool *Cancel)
{
    Q_UNUSED(Cancel); // left as it is: the engine goes on into the new window
    auto *window = new Browser;
    window->ensureLoaded(); // reaching its engine loads the window first
    window->WebBrowser1->setRegisterAsBrowser(true);
    *ppDisp = window->WebBrowser1->Object();
    window->setVisible(true);
}
