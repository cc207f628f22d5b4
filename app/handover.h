#pragma once
// A start while the program already runs for this user on this display hands its addresses to
// that program and ends: over the session bus, with the desktop's own interface
// (org.freedesktop.Application: Open for addresses, Activate for none), under a name of the
// program's for this display. Where there is no bus, or nobody answers in time, or the running
// program refuses (it is ending), the start goes on as a program of its own.

#include <QStringList>
#include <QVariantMap>

namespace Handover {
// How long a start waits for the running program's answer.
constexpr int answerMs = 500;

// The program's name on the session bus for the display this start would open its windows on
// (WAYLAND_DISPLAY, else DISPLAY); empty when there is none.
QString busName();
// The object that answers under that name, as the interface's convention derives it.
QString objectPath(const QString &busName);

// The launcher's activation token, as the interface's platform data carries it: Wayland's
// XDG_ACTIVATION_TOKEN, X11's DESKTOP_STARTUP_ID.
QVariantMap platformData();
// The addresses as the running program must be given them: a file named from this start's own
// folder is named whole, since the running program's folder is another.
QStringList wholeAddresses(const QStringList &addresses);

// True once the running program has taken the addresses (none: it opens a window on the home
// page). Needs no application object; makes its own, for the call alone.
bool toRunningProgram(const QStringList &addresses, char *programName);
} // namespace Handover
