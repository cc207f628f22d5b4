#pragma once
// Browser windows in tests: every one still open deleted safely (deleting one window also
// deletes its menus and dialogs, which are top-level widgets of their own), and finding another.

#include "browser/browser_window.h"

#include <QApplication>
#include <QPointer>
#include <QSignalSpy>
#include <QUrl>

inline void deleteAllBrowsers()
{
    QList<QPointer<Browser>> windows;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *browser = qobject_cast<Browser *>(w))
            windows.append(browser);
    for (const QPointer<Browser> &window : windows)
        delete window.data();
}

// A browser window other than window, or null: the newest one File > New or a page opened.
inline Browser *otherBrowser(const Browser *window)
{
    Browser *other = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *b = qobject_cast<Browser *>(w); b && b != window)
            other = b;
    return other;
}

// A new window, shown once its home page has loaded, then sent to url.
inline Browser *openWindow(const QUrl &url)
{
    auto *window = new Browser;
    QSignalSpy done(window->WebBrowser1, &WebEngine::DownloadComplete);
    window->show();
    done.wait(15000);
    window->WebBrowser1->Navigate(url.toString());
    return window;
}
