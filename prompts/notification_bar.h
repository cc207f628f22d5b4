#pragma once
// A page's notification shown in its own window, where the desktop has no notification
// service: a bar along the bottom of the page area with the title, the text and the site.
// A click on it is a click on the notification; it goes by itself after a few seconds (not
// while the mouse is over it), or with its close button. It never takes the keyboard focus,
// and reads as a notification to screen readers.

#include "engine/engine_host.h"

#include <QFrame>
#include <QPointer>
#include <QTimer>

class QLabel;

class NotificationBar : public QFrame {
    Q_OBJECT
public:
    // How long a bar stays up by itself.
    static constexpr int showMs = 8000;

    // Shows the notification in pageArea's window, or, for a `shown` already up there,
    // puts the new text in its place.
    static void present(QWidget *pageArea, const EngineHost::PageNotification &notification, QObject *shown,
                     std::function<void()> clicked, std::function<void()> closed);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    NotificationBar(QWidget *pageArea, QObject *shown);
    void fill(const EngineHost::PageNotification &notification);
    void place();
    void finish(bool clicked);
    void restack();

    QPointer<QWidget> m_pageArea;
    QPointer<QObject> m_shown;
    QLabel *m_icon;
    QLabel *m_title;
    QLabel *m_text;
    QLabel *m_site;
    QTimer m_timer;
    std::function<void()> m_clicked;
    std::function<void()> m_closed;
};
