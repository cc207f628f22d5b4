#pragma once
// The keys every desktop browser has, beyond the menus' own shortcuts. A toolbar button's key
// goes through the button, so a disabled button ignores its key too; the others run the
// command they stand for (close, print, full screen, page source, downloads, developer tools).

class Browser;

namespace BrowserKeys {
// Zoom steps of the page, as browsers offer them.
double zoomedIn(double factor);
double zoomedOut(double factor);
// Adds the keys to a new window.
void install(Browser *window);
} // namespace BrowserKeys
