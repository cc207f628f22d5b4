#include "prompts/notification_service.h"

#include "prompts/notification_bar.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusConnection>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QWidget>

namespace {
const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString interface = QStringLiteral("org.freedesktop.Notifications");
// A service that has not answered by then is taken to be absent.
constexpr int answerMs = 5000;

QDBusMessage call(const QString &method) { return QDBusMessage::createMethodCall(service, path, interface, method); }

// The picture as the service takes it: width, height, row length, alpha, bits per sample,
// samples per pixel, the pixels in RGBA order.
struct ImageData {
    QImage image;
};

QDBusArgument &operator<<(QDBusArgument &out, const ImageData &data)
{
    const QImage &image = data.image;
    out.beginStructure();
    out << image.width() << image.height() << int(image.bytesPerLine()) << true << 8 << 4
        << QByteArray(reinterpret_cast<const char *>(image.constBits()), int(image.sizeInBytes()));
    out.endStructure();
    return out;
}

const QDBusArgument &operator>>(const QDBusArgument &in, ImageData &) { return in; } // never read

QVariant imageData(const QImage &icon)
{
    static const QMetaType registered = qDBusRegisterMetaType<ImageData>();
    Q_UNUSED(registered);
    const bool large = icon.width() > 128 || icon.height() > 128;
    const QImage image = large ? icon.scaled(128, 128, Qt::KeepAspectRatio, Qt::SmoothTransformation) : icon;
    return QVariant::fromValue(ImageData{image.convertToFormat(QImage::Format_RGBA8888)});
}

void raise(QWidget *pageArea)
{
    if (!pageArea)
        return;
    QWidget *window = pageArea->window();
    if (window->isMinimized())
        window->showNormal();
    window->raise();
    window->activateWindow();
}
} // namespace

NotificationService::NotificationService()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(service, path, interface, QStringLiteral("ActionInvoked"), this,
                SLOT(actionInvoked(uint, QString)));
    bus.connect(service, path, interface, QStringLiteral("NotificationClosed"), this,
                SLOT(notificationClosed(uint, uint)));
}

NotificationService *NotificationService::instance()
{
    static auto *one = new NotificationService;
    return one;
}

void NotificationService::present(QWidget *pageArea, const EngineHost::PageNotification &notification,
                                  QObject *shown, EngineHost::NotificationEvents events)
{
    NotificationService *self = instance();
    if (!self->m_up.contains(shown))
        connect(shown, &QObject::destroyed, self, [self, shown] { self->withdraw(shown); });
    Up &up = self->m_up[shown];
    up.pageArea = pageArea;
    QPointer<QWidget> area(pageArea);
    events.clicked = [area, clicked = std::move(events.clicked)] {
        raise(area);
        clicked();
    };
    up.events = std::move(events);
    if (up.inWindow)
        return self->showInWindow(shown, notification);
    self->send(shown, notification);
}

void NotificationService::send(QObject *shown, const EngineHost::PageNotification &notification)
{
    withCapabilities([this, shown = QPointer<QObject>(shown), notification](bool answered) {
        if (!shown || !m_up.contains(shown))
            return; // withdrawn meanwhile
        if (answered)
            notify(shown, notification);
        else
            showInWindow(shown, notification);
    });
}

void NotificationService::withCapabilities(std::function<void(bool answered)> then)
{
    if (m_capabilities)
        return then(true);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return then(false);
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call(QStringLiteral("GetCapabilities")), answerMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, then = std::move(then)] {
        watcher->deleteLater();
        const QDBusPendingReply<QStringList> reply = *watcher;
        if (!reply.isError())
            m_capabilities = reply.value();
        then(!reply.isError());
    });
}

void NotificationService::notify(QObject *shown, const EngineHost::PageNotification &notification)
{
    Up &up = m_up[shown];
    if (up.sending) {
        up.next = notification; // in turn, so that it replaces the one on its way
        return;
    }
    up.sending = true;
    // The page's text is plain; a service that reads markup gets it escaped.
    const bool markup = m_capabilities.value_or(QStringList()).contains(QLatin1String("body-markup"));
    const auto plain = [markup](const QString &text) { return markup ? text.toHtmlEscaped() : text; };
    const QString body = notification.text.isEmpty() ? plain(notification.site)
                                                     : plain(notification.text) + QLatin1Char('\n') + plain(notification.site);
    QVariantMap hints{{QStringLiteral("desktop-entry"), QStringLiteral("quillon")}};
    if (!notification.icon.isNull())
        hints.insert(QStringLiteral("image-data"), imageData(notification.icon));
    QDBusMessage message = call(QStringLiteral("Notify"));
    message << QStringLiteral("Quillon's Browser") << up.id << QStringLiteral("quillon") << notification.title << body
            << QStringList{QStringLiteral("default"), tr("Show")} << hints << -1;
    auto *watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(message, answerMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, watcher, shown = QPointer<QObject>(shown), notification] {
                watcher->deleteLater();
                const QDBusPendingReply<uint> reply = *watcher;
                notified(shown, notification, reply.isError(), reply.isError() ? 0 : reply.value());
            });
}

void NotificationService::notified(const QPointer<QObject> &shown, const EngineHost::PageNotification &notification, bool failed,
                                   uint id)
{
    const auto up = shown ? m_up.find(shown) : m_up.end();
    if (up == m_up.end()) {
        if (!failed) // withdrawn while on its way
            QDBusConnection::sessionBus().asyncCall(call(QStringLiteral("CloseNotification")) << id);
        return;
    }
    up->sending = false;
    if (failed) {
        m_capabilities.reset(); // asked again next time: the service may have gone
        return showInWindow(shown, up->next.value_or(notification));
    }
    up->id = id;
    if (up->next)
        send(shown, *std::exchange(up->next, std::nullopt));
    else
        up->events.displayed();
}

void NotificationService::showInWindow(QObject *shown, const EngineHost::PageNotification &notification)
{
    Up &up = m_up[shown];
    up.inWindow = true;
    if (!up.pageArea)
        return m_up.take(shown).events.closed(); // no window to show it in
    NotificationBar::present(up.pageArea, notification, shown, up.events.clicked,
                             [this, shown] { m_up.take(shown).events.closed(); });
    up.events.displayed();
}

void NotificationService::withdraw(QObject *shown)
{
    const Up up = m_up.take(shown);
    if (up.id && !up.inWindow)
        QDBusConnection::sessionBus().asyncCall(call(QStringLiteral("CloseNotification")) << up.id);
}

QObject *NotificationService::byId(uint id) const
{
    for (auto up = m_up.cbegin(); up != m_up.cend(); ++up)
        if (up->id == id && !up->inWindow)
            return up.key();
    return nullptr;
}

void NotificationService::actionInvoked(uint id, const QString &action)
{
    QObject *shown = byId(id);
    if (shown && action == QLatin1String("default")) {
        const auto clicked = m_up.value(shown).events.clicked;
        clicked();
    }
}

void NotificationService::notificationClosed(uint id, uint)
{
    // Dismissed, timed out or closed by us: the page hears it in every case.
    if (QObject *shown = byId(id))
        m_up.take(shown).events.closed();
}
