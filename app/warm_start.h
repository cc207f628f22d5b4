#pragma once
// Uses the splash's 1.5 s: the engine starts and loads the home page off screen, and the first
// browser window is built, hidden. Its load sequence still runs only when the tick shows it.
// Nothing reaches the screen early, and the tick is never held up.

class QObject;

namespace WarmStart {
void begin(QObject *context);
}
