#pragma once
// The process set-up shared by the program and its tests: the engine, the resources, the
// program's names and icon, the design fonts and the dialogs the engine asks for.

class QApplication;

namespace Program {
// Before the QApplication exists.
void prepareProcess();
// Once it exists.
void prepareApplication(QApplication &app);
// After the event loop: what the engine still holds is released, pages before their profile.
void shutdown();
// Deletes every window left, pages before the profile that holds them, then shuts down.
void end();
} // namespace Program
