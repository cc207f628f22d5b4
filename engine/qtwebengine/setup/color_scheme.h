#pragma once
// Pages see prefers-color-scheme: dark when the desktop prefers dark: the freedesktop settings
// portal's org.freedesktop.appearance color-scheme, which GNOME and KDE publish, or what the
// toolkit reports (Qt 6.5 on). Pages with no dark style of their own are not repainted, and
// the browser's frame keeps its own colours.

#include <QVariant>

namespace ColorScheme {
// The portal's color-scheme as a number (0: no preference, 1: dark, 2: light), from a reply of
// ReadOne (one variant) or of the older Read (a variant in a variant); -1 when it is none.
int portalValue(const QVariant &reply);
// Whether the desktop prefers dark pages, asked now.
bool desktopPrefersDark();
// Before the engine starts, with the application object made: pages start dark on a dark
// desktop, and follow the desktop's changes where the engine can (Qt WebEngine 6.8 on).
void prepareApplication();
} // namespace ColorScheme
