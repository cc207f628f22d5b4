#include "app/accessible_windows.h"

#include <QAccessibleObject>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QSet>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace {
bool metOnScreen(QWindow *window)
{
    // Qt skips these itself.
    if (window->type() == Qt::Popup)
        return false;
    // Never created on the display: a window only in name, such as Qt Quick's off-screen one.
    if (!window->handle())
        return false;
    QAccessibleInterface *root = window->accessibleRoot();
    if (!root || !root->object())
        return false;
    const auto *widget = qobject_cast<const QWidget *>(root->object());
    if (widget && widget->testAttribute(Qt::WA_DontShowOnScreen))
        return false;
    // Mapped, but placed off every screen.
    const QRect area = window->frameGeometry();
    const QList<QScreen *> screens = QGuiApplication::screens();
    return screens.isEmpty() || std::any_of(screens.begin(), screens.end(),
                       [&area](const QScreen *screen) { return screen->geometry().intersects(area); });
}

QObjectList windowsOnScreen()
{
    QObjectList list;
    const QWindowList windows = QGuiApplication::topLevelWindows();
    for (QWindow *window : windows) {
        if (metOnScreen(window))
            list.append(window->accessibleRoot()->object());
    }
    return list;
}

class ApplicationAccessible : public QAccessibleApplication {
public:
    // The program goes by the toolkit's own name, so Orca reads it with its script for the
    // toolkit. Under a web engine's name ("Gecko") Orca took its web script, which read the page
    // with the arrows on Orca 43 but reads no say-all of text outside a web document: the
    // reading view, which gives every release the arrows, say-all, headings and links.
    int childCount() const override { return int(windowsOnScreen().size()); }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        return child ? int(windowsOnScreen().indexOf(child->object())) : -1;
    }

    QAccessibleInterface *child(int index) const override
    {
        const QObjectList windows = windowsOnScreen();
        return index >= 0 && index < windows.size() ? QAccessible::queryAccessibleInterface(windows.at(index))
                                                    : nullptr;
    }
};

// A caret moving in a window that is not the active one tells a screen reader nothing, and Orca
// takes it for that window having become active: a new window's address box is filled as the
// window shows, and the window's own activation a moment later then went unannounced.
// Here and below only the program's own controls: the page's events pass as the engine sends them.
bool caretOutsideActiveWindow(QAccessibleEvent *event)
{
    if (event->type() != QAccessible::TextCaretMoved)
        return false;
    const auto *widget = qobject_cast<const QWidget *>(event->object());
    return widget && !widget->isActiveWindow();
}

// Orca 43 keeps the states it reads along with an event. Read from a widget not yet shown, they
// lack "visible", which Qt never sends once the widget shows (only "showing"), and flat review
// then skipped the widget and all inside it: the toolbar, the address row, the page. A hidden
// widget's name, state, text or caret tells no one anything; it is read as it shows (a caret
// moved in the reading view as it is filled, before it shows, made Orca take the view for
// focused already, and its name went unsaid as it took the keyboard).
bool aboutHiddenWidget(QAccessibleEvent *event)
{
    static const QSet<QAccessible::Event> kinds{
        QAccessible::NameChanged,     QAccessible::DescriptionChanged, QAccessible::StateChanged,
        QAccessible::TextCaretMoved,  QAccessible::TextInserted,       QAccessible::TextRemoved,
        QAccessible::TextUpdated,     QAccessible::TextSelectionChanged};
    if (!kinds.contains(event->type()))
        return false;
    const auto *widget = qobject_cast<const QWidget *>(event->object());
    return widget && !widget->isVisible();
}

void passOn(QAccessibleEvent *event)
{
    if (!QAccessible::isActive() || caretOutsideActiveWindow(event) || aboutHiddenWidget(event))
        return;
    // The toolkit's own way to the accessibility bus is the one taken while no handler is set.
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(&passOn);
}

QAccessibleInterface *applicationAccessible(const QString &, QObject *object)
{
    if (object && object == QCoreApplication::instance())
        return new ApplicationAccessible;
    return nullptr;
}
} // namespace

namespace AccessibleWindows {
void install()
{
    QAccessible::installFactory(&applicationAccessible);
    QAccessible::installUpdateHandler(&passOn);
}
} // namespace AccessibleWindows
