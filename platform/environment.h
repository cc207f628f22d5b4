#pragma once
// Process set-up shared by the program and its tests.

class QApplication;

namespace Environment {
// Before the QApplication exists: engine flags and the sandbox decision.
void prepareProcess();
// Once it exists: resources, names, version, icon and the fonts of the window designs.
void prepareApplication(QApplication &app);
// After the event loop: releases what the engine still holds, pages before their profile.
void shutdown();
} // namespace Environment
