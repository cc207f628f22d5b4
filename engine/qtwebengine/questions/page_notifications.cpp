#include "engine/qtwebengine/questions/page_notifications.h"

#include "engine/engine_host.h"
#include "engine/qtwebengine/questions/page_questions.h"

#include <QApplication>
#include <QPointer>
#include <QWebEngineNotification>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <QWindow>
#include <climits>
#include <memory>

namespace {
// One notification while it is up; a child of the page area it shows for, so a window that
// closes takes its notifications with it.
class Shown : public QObject {
public:
    explicit Shown(QObject *parent) : QObject(parent) {}
    std::unique_ptr<QWebEngineNotification> notification;
};

QList<QPointer<Shown>> &allShown()
{
    static QList<QPointer<Shown>> shown;
    return shown;
}

// The program's windows, the one the user was in last first.
QList<QPointer<QWindow>> &lastActive()
{
    static QList<QPointer<QWindow>> windows;
    return windows;
}

void followActiveWindows()
{
    QObject::connect(qApp, &QGuiApplication::focusWindowChanged, qApp, [](QWindow *window) {
        QList<QPointer<QWindow>> &order = lastActive();
        order.removeAll(QPointer<QWindow>());
        if (!window)
            return;
        order.removeAll(window);
        order.prepend(window);
    });
}

bool sameSite(const QUrl &a, const QUrl &b)
{
    constexpr auto site = QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment;
    return a.adjusted(site) == b.adjusted(site);
}

// A page of the site in the window the user was in last; failing that, any page there.
QWebEngineView *pageAreaFor(const QUrl &origin)
{
    QWebEngineView *best = nullptr;
    int bestRank = INT_MAX;
    const QList<QPointer<QWindow>> &order = lastActive();
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (!window->isVisible())
            continue;
        const int recent = window->windowHandle() ? int(order.indexOf(window->windowHandle())) : -1;
        const int rank = recent < 0 ? int(order.size()) : recent;
        for (auto *view : window->findChildren<QWebEngineView *>()) {
            if (!PageQuestions::of(view->page()))
                continue; // not a browser window's page
            const int ranked = sameSite(view->page()->url(), origin) ? rank : rank + (1 << 20);
            if (ranked < bestRank) {
                best = view;
                bestRank = ranked;
            }
        }
    }
    return best;
}

// The one up from the same site under the same tag, which the new one replaces.
Shown *replaced(const QWebEngineNotification &notification)
{
    allShown().removeAll(QPointer<Shown>());
    if (notification.tag().isEmpty())
        return nullptr; // without a tag, each one stands alone
    for (const QPointer<Shown> &up : allShown())
        if (up->notification->matches(&notification))
            return up.data();
    return nullptr;
}

void showForItsPage(std::unique_ptr<QWebEngineNotification> notification)
{
    QWebEngineView *pageArea = pageAreaFor(notification->origin());
    if (!pageArea) {
        notification->close(); // no window left to show it in: the page hears so
        return;
    }
    Shown *shown = replaced(*notification);
    if (!shown) {
        shown = new Shown(pageArea);
        allShown().append(shown);
    }
    // The one it replaces goes without a close: the engine already counts the new one in its
    // place, and would close that one in the page.
    shown->setParent(pageArea);
    shown->notification = std::move(notification);
    QWebEngineNotification *current = shown->notification.get();
    // The page closed it.
    QObject::connect(current, &QWebEngineNotification::closed, shown, &QObject::deleteLater);

    const QUrl origin = current->origin();
    const EngineHost::PageNotification facts{current->title(), current->message(),
                                             origin.host().isEmpty() ? origin.toDisplayString() : origin.host(),
                                             current->icon()};
    QPointer<Shown> alive(shown);
    EngineHost::NotificationEvents events;
    events.displayed = [alive, current] {
        if (alive && alive->notification.get() == current)
            current->show();
    };
    events.clicked = [alive] {
        if (alive)
            alive->notification->click();
    };
    events.closed = [alive] {
        if (!alive)
            return;
        alive->notification->close();
        delete alive.data();
    };
    const auto closed = events.closed;
    try {
        EngineHost::showNotification()(pageArea, facts, shown, std::move(events));
    } catch (...) {
        closed();
    }
}
} // namespace

namespace PageNotifications {
void present(QWebEngineProfile *profile)
{
    static const bool following = (followActiveWindows(), true);
    Q_UNUSED(following);
    profile->setNotificationPresenter(&showForItsPage);
}
} // namespace PageNotifications
