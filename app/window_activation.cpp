#include "app/window_activation.h"

#include <QGuiApplication>
#include <QWidget>
#include <QtGui/qguiapplication_platform.h>
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>

namespace {
QByteArray value(const QVariantMap &data, const char *key)
{
    return data.value(QString::fromLatin1(key)).toString().toUtf8();
}

// A startup id goes into a message of its own syntax unquoted: only plain ones are used.
bool plain(const QByteArray &id)
{
    for (const char c : id)
        if (uchar(c) <= ' ' || c == '"' || c == '\\')
            return false;
    return !id.isEmpty();
}

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    xcb_intern_atom_reply_t *reply =
        xcb_intern_atom_reply(connection, xcb_intern_atom(connection, false, uint16_t(strlen(name)), name), nullptr);
    const xcb_atom_t found = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    free(reply);
    return found;
}

xcb_connection_t *x11Connection()
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// Set once the window is shown: the toolkit makes the window it maps anew as the page's GL view
// joins it, and the map request is still on its way, so the window manager reads the id (and
// the time in it) as it maps the window.
void markLaunch(xcb_connection_t *connection, QWidget *window, const QByteArray &id)
{
    const auto wid = xcb_window_t(window->winId());
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, wid, atom(connection, "_NET_STARTUP_ID"),
                        atom(connection, "UTF8_STRING"), 8, uint32_t(id.size()), id.constData());
}

// The launch is over: the launcher's busy feedback ends. Sent to the root window in pieces of
// 20 bytes, the text's closing NUL included.
void endLaunch(xcb_connection_t *connection, QWidget *window, const QByteArray &id)
{
    const QByteArray message = "remove: ID=" + id;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    const xcb_atom_t begin = atom(connection, "_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t more = atom(connection, "_NET_STARTUP_INFO");
    const qsizetype length = message.size() + 1;
    for (qsizetype sent = 0; sent < length; sent += 20) {
        xcb_client_message_event_t event = {};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 8;
        event.window = xcb_window_t(window->winId());
        event.type = sent == 0 ? begin : more;
        const qsizetype piece = qMin<qsizetype>(20, length - sent);
        memcpy(event.data.data8, message.constData() + sent, size_t(piece)); // NUL from constData()
        xcb_send_event(connection, false, root, XCB_EVENT_MASK_PROPERTY_CHANGE, reinterpret_cast<const char *>(&event));
    }
    xcb_flush(connection);
}
} // namespace

namespace WindowActivation {

void show(QWidget *window, const QVariantMap &platformData)
{
    const bool wayland = QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
    QByteArray startupId = value(platformData, "desktop-startup-id");
    QByteArray token = value(platformData, "activation-token");
    xcb_connection_t *x11 = wayland ? nullptr : x11Connection();
    if (x11 && startupId.isEmpty())
        startupId = token; // some launchers give X11's id under the newer key alone
    if (wayland && !token.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", token); // the toolkit's Wayland plugin activates with it, once
    window->show();
    if (x11 && plain(startupId))
        markLaunch(x11, window, startupId);
    window->raise();
    window->activateWindow();
    if (wayland)
        qunsetenv("XDG_ACTIVATION_TOKEN"); // once used, no later window or child program takes it
    if (x11 && plain(startupId))
        endLaunch(x11, window, startupId);
}

} // namespace WindowActivation
