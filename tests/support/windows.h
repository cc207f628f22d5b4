#pragma once
// Deletes every browser window still open, safely: deleting one window also deletes its
// menus and dialogs, which are top-level widgets of their own.

#include "browser/browser_window.h"

#include <QApplication>
#include <QPointer>

inline void deleteAllBrowsers()
{
    QList<QPointer<Browser>> windows;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *browser = qobject_cast<Browser *>(w))
            windows.append(browser);
    for (const QPointer<Browser> &window : windows)
        delete window.data();
}
