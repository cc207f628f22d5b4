#pragma once
// Shows a window that another program asked for and brings it to the front with that
// program's activation token (the platform data of org.freedesktop.Application): on Wayland
// the xdg-activation token, on X11 the startup notification's id, which the window manager
// matches to the launch it saw.

#include <QVariantMap>

class QWidget;

namespace WindowActivation {
void show(QWidget *window, const QVariantMap &platformData);
}
