#pragma once
// The keys every desktop browser has, beyond the menus' own shortcuts. A toolbar button's key
// goes through the button, so a disabled button ignores its key too; the others run the
// command they stand for (close, print, full screen, page source, downloads, developer tools).
// While the page has the keyboard, a key goes to the page first and the window acts only on
// what it leaves, except the reserved keys, with which no page may trap the user.

#include <QKeyCombination>

class Browser;
class QAction;
class QWidget;

namespace BrowserKeys {
// Zoom steps of the page, as browsers offer them.
double zoomedIn(double factor);
double zoomedOut(double factor);
// Adds the keys to a new window.
void install(Browser *window);
// New window, close, Exit, full screen, Esc in full screen, the menu bar's access keys.
bool reserved(const Browser *window, QKeyCombination key);
// The enabled menu item or window key for a key the page left; null when the window has none.
QAction *commandFor(const Browser *window, QKeyCombination key);
// The window whose page has the keyboard at focus, when that window has a command for key:
// the page may hand the key back to it a moment later. Null otherwise.
Browser *waitingOnPage(const QWidget *focus, QKeyCombination key);
} // namespace BrowserKeys
