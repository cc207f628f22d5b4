#pragma once
// The browser windows alive now, and the first one: the shared window that start-up shows
// and that the find and open-file dialogs act on.

#include <QList>
#include <QObject>
#include <QPointer>

class Browser;

class BrowserWindows : public QObject {
    Q_OBJECT
public:
    static BrowserWindows *instance();

    // The first browser window, or null once it has closed.
    static Browser *first();
    // Start-up: creates the first window if it does not exist yet and shows it.
    static Browser *showFirst();
    // Builds the first window ahead of time, hidden: showing it (showFirst) then only loads it.
    static Browser *prepareFirst();
    // For the dialogs that act on the first window: brings it back (new and shown) if closed.
    static Browser *firstOrCreate();
    // Browser windows alive now.
    static int count();

    // Every window enters and leaves the list itself.
    void add(Browser *window);
    void remove(Browser *window);

    // The open-file dialog's choice: loaded in the first window, as if typed there.
    void openInFirst(const QString &path);

Q_SIGNALS:
    // The last browser window has gone: the program can end.
    void allClosed();

private:
    BrowserWindows();

    QList<Browser *> m_windows;
    QPointer<Browser> m_first;
};
