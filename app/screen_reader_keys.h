#pragma once
// Keys pass through a running screen reader before the program sees them, so it can take its
// own commands (browse-mode letters, say-all) and follow what is typed. Qt's accessibility
// bridge does this too, but lets a slow reply time out and pairs late replies with later keys,
// so a key can act twice (Alt+D opening the menu bar as well) or land in the wrong place.
// Here every key waits for its own reply, and keys reach the program in the order typed; a key
// the page hears first and may hand back to the window holds the keys after it until it has.

class QEvent;
class QObject;

namespace ScreenReaderKeys {
// From the application's notify(), before any event filter: true when the key was taken and
// will be delivered once the screen reader has seen it.
bool intercept(QObject *receiver, QEvent *event);
} // namespace ScreenReaderKeys
