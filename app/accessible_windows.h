#pragma once
// The program's windows as assistive technology lists them: the ones a person can meet on the
// screen. Left out are windows never put on the display (Qt Quick's off-screen windows, one
// behind every engine view) and widgets kept off it on purpose (the engine's warm-up view,
// unmapped or placed off every screen).
// Caret moves in a window that is not the active one are not passed on.

namespace AccessibleWindows {
// Before the QApplication exists, so the list is in place before a screen reader first asks.
void install();
} // namespace AccessibleWindows
