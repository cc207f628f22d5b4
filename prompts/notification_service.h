#pragma once
// A page's notifications on the desktop, through its notification service
// (org.freedesktop.Notifications on the session bus): sent as "Quillon's Browser", with the
// page's title, its text and the site it came from. Its click raises the page's window and
// reaches the page; closed on either side, it closes on the other; the page's replacement (the
// same tag) takes its place. Where no service answers (no session bus, nobody owns the name, or
// it refuses the notification), the notification shows in the page's window instead.

#include "engine/engine_host.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <optional>

class NotificationService : public QObject {
    Q_OBJECT
public:
    static void present(QWidget *pageArea, const EngineHost::PageNotification &notification, QObject *shown,
                        EngineHost::NotificationEvents events);

private Q_SLOTS:
    void actionInvoked(uint id, const QString &action);
    void notificationClosed(uint id, uint reason);

private:
    NotificationService();
    static NotificationService *instance();

    // One notification while it is up, by the engine's object that stands for it.
    struct Up {
        QPointer<QWidget> pageArea;
        EngineHost::NotificationEvents events; // a click also raises the page's window
        uint id = 0;            // the service's number for it, once it has answered
        bool sending = false;   // a Notify is on its way
        bool inWindow = false;  // shown in the page's window instead
        std::optional<EngineHost::PageNotification> next; // sent once the one on its way is answered
    };

    void send(QObject *shown, const EngineHost::PageNotification &notification);
    void withCapabilities(std::function<void(bool answered)> then);
    void notify(QObject *shown, const EngineHost::PageNotification &notification);
    void notified(const QPointer<QObject> &shown, const EngineHost::PageNotification &notification, bool failed, uint id);
    void showInWindow(QObject *shown, const EngineHost::PageNotification &notification);
    void withdraw(QObject *shown);
    QObject *byId(uint id) const;

    QHash<QObject *, Up> m_up;
    std::optional<QStringList> m_capabilities;
};
